// The walk's report logic around the value and key checks, with the checks
// scripted: a text is "missing" when it contains the word.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "registry/NTRegistry.h"
#include "scan/AnalyzClass.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FindingRecorder.h"
#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

class ScriptedEngine : public TAnalyzClass {
 public:
  using TAnalyzClass::TAnalyzClass;
  std::vector<std::string> pathTests;

 protected:
  bool IsInvalidPath(const std::string& text) override {
    pathTests.push_back(text);
    if (text.find("missing") == std::string::npos) return false;
    BadPath = text;
    PathCount = 2;
    return true;
  }
  bool IsInvalidFont(const std::string& data) override {
    return data.find("missing") != std::string::npos;
  }
  bool IsInvalidHelpFile(const std::string& name, const std::string&) override {
    if (name.find("missing") == std::string::npos) return false;
    BadPath = "help of " + name;
    return true;
  }
  bool IsObsoleteMenuItem(const std::string& menuPath) override {
    return menuPath.find("Gone") != std::string::npos;
  }
  void CheckSharedDLL(TNTRegistry& reg, const std::string& valueName) override {
    if (reg.GetDataType(valueName) == dkInteger && reg.ReadInteger(valueName) < 1) {
      Flags = {etInvalidName, etZeroUsageCount};
      BadPath = valueName;
    }
  }
};

struct Report {
  std::string event, key, value, data, badPath;
  TEntryTypes flags;
  int pathCount;
};

class ValueChecksTest : public test::RegistryFixture {
 protected:
  ValueChecksTest() : engine(api, files, pump) {
    test::OnEveryFinding(engine, [this](const char* event, TAnalyzClass& e) {
      reports.push_back({event, e.KeyPath, e.ValueName, e.Data, e.BadPath, e.Flags, e.PathCount});
    });
  }

  void Walk(HKEY root, const std::string& path, TAnalyzCategories categories) {
    engine.RootKeys = {{root, path, categories}};
    engine.Categories = categories;
    engine.Stop = false;
    engine.Analyze();
  }

  test::FakeFileSystem files;
  platform::EventPump pump;
  ScriptedEngine engine;
  std::vector<Report> reports;
};

TEST_P(ValueChecksTest, DataAndNameAreReportedSeparatelyDataFirst) {
  AddString("Software\\App", "C:\\missing\\name.exe", "C:\\missing\\data.exe");
  Walk(HKEY_CURRENT_USER, "\\Software\\App\\", {acInvalidPaths});
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].flags, TEntryTypes{etInvalidData});
  EXPECT_EQ(reports[0].badPath, "C:\\missing\\data.exe");
  EXPECT_EQ(reports[0].data, "C:\\missing\\data.exe");
  EXPECT_EQ(reports[0].pathCount, 2);
  EXPECT_EQ(reports[1].flags, TEntryTypes{etInvalidName});
  EXPECT_EQ(reports[1].badPath, "C:\\missing\\name.exe");
  EXPECT_EQ(reports[1].key, "Software\\App");
}

TEST_P(ValueChecksTest, OnlyStringDataIsTestedButEveryNameIs) {
  AddDword("Software\\App", "C:\\missing\\counter", 7);
  AddString("Software\\App", "Expand", "%ProgramFiles%\\missing", REG_EXPAND_SZ);
  Walk(HKEY_CURRENT_USER, "\\Software\\App\\", {acInvalidPaths});
  EXPECT_EQ(engine.pathTests, (std::vector<std::string>{"C:\\missing\\counter",
                                                        "%ProgramFiles%\\missing", "Expand"}));
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].flags, TEntryTypes{etInvalidName});
  EXPECT_EQ(reports[0].data, "") << "a number has no data text";
  EXPECT_EQ(reports[1].data, "%ProgramFiles%\\missing") << "expandable strings stay unexpanded";
}

TEST_P(ValueChecksTest, ExclusionsCanNameASingleValue) {
  AddString("Software\\App", "Keep", "C:\\missing\\a");
  AddString("Software\\App", "Report", "C:\\missing\\b");
  engine.ExclusionSets[acInvalidPaths].Items = {"\\software\\app\\keep\\"};
  Walk(HKEY_CURRENT_USER, "\\Software\\App\\", {acInvalidPaths});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].value, "Report");
}

TEST_P(ValueChecksTest, FontAndHelpReportsCarryTheirOwnFields) {
  AddString("Fonts", "Demo (TrueType)", "missing.ttf", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString("Help", "missing.hlp", "C:\\Help", REG_SZ, HKEY_LOCAL_MACHINE);
  Walk(HKEY_LOCAL_MACHINE, "\\Fonts\\", {acInvalidFonts});
  Walk(HKEY_LOCAL_MACHINE, "\\Help\\", {acInvalidHelpFiles});
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].event, "font");
  EXPECT_EQ(reports[0].badPath, "missing.ttf");
  EXPECT_EQ(reports[0].pathCount, 1);
  EXPECT_EQ(reports[1].event, "help");
  EXPECT_EQ(reports[1].badPath, "help of missing.hlp");
  EXPECT_EQ(reports[1].flags, TEntryTypes{etInvalidData});
}

TEST_P(ValueChecksTest, SharedLibraryFlagsDoNotLeakFromTheNameTest) {
  AddDword("Shared", "C:\\missing\\lib.dll", 3, HKEY_LOCAL_MACHINE);
  AddDword("Shared", "C:\\present\\zero.dll", 0, HKEY_LOCAL_MACHINE);
  Walk(HKEY_LOCAL_MACHINE, "\\Shared\\", {acInvalidPaths, acInvalidSharedDLLs});
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].event, "path") << "the missing file's name";
  EXPECT_EQ(reports[1].event, "dll");
  EXPECT_EQ(reports[1].value, "C:\\present\\zero.dll");
  EXPECT_EQ(reports[1].flags, (TEntryTypes{etInvalidName, etZeroUsageCount}));
}

TEST_P(ValueChecksTest, StartMenuKeysAreJudgedByTheirPathBelowTheRoot) {
  const std::string menu =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\";
  AddKey(menu + "Programs\\Gone App");
  AddKey(menu + "Programs\\Kept");
  engine.RootKeys = {{HKEY_CURRENT_USER, "\\" + menu, {acObsoleteStartMenu}}};
  engine.Categories = {acObsoleteStartMenu};
  engine.Stop = false;
  engine.Analyze();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].badPath, "Programs\\Gone App") << "without its trailing backslash";
  EXPECT_EQ(reports[0].flags, TEntryTypes{etObsoleteMenuKey});
  EXPECT_EQ(reports[0].key, menu + "Programs\\Gone App");
}

TEST_P(ValueChecksTest, StopInAnEventEndsTheValueLoop) {
  for (int i = 0; i < 4; ++i)
    AddString("Software\\App", "v" + std::to_string(i), "C:\\missing\\" + std::to_string(i));
  engine.OnInvalidPath = [this](TAnalyzClass& e) {
    reports.push_back({"path", e.KeyPath, e.ValueName, e.Data, e.BadPath, e.Flags, e.PathCount});
    e.Stop = true;
  };
  Walk(HKEY_CURRENT_USER, "\\Software\\App\\", {acInvalidPaths});
  EXPECT_EQ(reports.size(), 1u);
}

HW_INSTANTIATE_OVER_STORES(ValueChecksTest);

}  // namespace
}  // namespace hw
