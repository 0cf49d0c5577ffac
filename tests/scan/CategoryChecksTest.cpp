// The real checks of each category, run through the walk over their scan
// roots: what is a finding and every field it reports.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "scan/AnalyzClass.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/FindingRecorder.h"
#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

constexpr const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr const char* kMenuOrder =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu";
constexpr const char* kAppPaths = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr const char* kHelp = "Software\\Microsoft\\Windows\\Help";
constexpr const char* kSharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

struct Finding {
  std::string event, key, value, data, badPath;
  TEntryTypes flags;
  int pathCount;
  bool operator==(const Finding&) const = default;
};

// Findings in key order, for checks where the order of subkeys is not the point.
std::vector<Finding> ByKey(std::vector<Finding> found) {
  std::stable_sort(found.begin(), found.end(),
                   [](const Finding& a, const Finding& b) { return a.key < b.key; });
  return found;
}

void PrintTo(const Finding& f, std::ostream* out) {
  *out << f.event << " [" << f.key << "] value=" << f.value << " data=" << f.data
       << " bad=" << f.badPath << " flags=" << f.flags.ToBits() << " count=" << f.pathCount;
}

class CategoryChecksTest : public test::RegistryFixture {
 protected:
  CategoryChecksTest() {
    files.SetDrive('C', DRIVE_FIXED);
    files.SetDrive('D', DRIVE_CDROM);
    files.SetSpecialFolder(platform::CSIDL_FONTS, "C:\\windows\\Fonts");
    files.SetSpecialFolder(platform::CSIDL_PROGRAMS, "C:\\users\\me\\Start Menu\\Programs");
    files.SetSpecialFolder(platform::CSIDL_COMMON_PROGRAMS,
                           "C:\\ProgramData\\Start Menu\\Programs");
  }

  std::vector<Finding> Scan(TAnalyzCategories categories) {
    TAnalyzClass engine(api, files, pump);
    std::vector<Finding> found;
    test::OnEveryFinding(engine, [&found](const char* event, TAnalyzClass& e) {
      found.push_back({event, e.KeyPath, e.ValueName, e.Data, e.BadPath, e.Flags, e.PathCount});
    });
    engine.ExcludedDrives = excludedDrives;
    engine.Categories = categories;
    engine.Analyze();
    return found;
  }

  std::string AppKey(const std::string& name) { return std::string(kAppPaths) + "\\" + name; }

  test::FakeFileSystem files;
  platform::EventPump pump;
  std::vector<std::string> excludedDrives;
};

TEST_P(CategoryChecksTest, InvalidPathsInDataAndNames) {
  files.AddFile("C:\\App\\app.exe");
  // Below HKEY_LOCAL_MACHINE, which only one scan root holds.
  AddString("Software\\Vendor", "Exe", "\"C:\\App\\app.exe\" \"%1\"", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString("Software\\Vendor", "Old", "C:\\Gone\\old.exe -x;C:\\App\\app.exe", REG_SZ,
            HKEY_LOCAL_MACHINE);
  AddString("Software\\Vendor", "C:\\Gone\\name.dll", "", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString("Software\\Vendor", "Env", "%SystemRoot%\\gone.dll", REG_EXPAND_SZ, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(Scan({acInvalidPaths}), (std::vector<Finding>{
                                        {"path",
                                         "Software\\Vendor",
                                         "Old",
                                         "C:\\Gone\\old.exe -x;C:\\App\\app.exe",
                                         "C:\\Gone\\old.exe",
                                         {etInvalidData},
                                         2},
                                        {"path",
                                         "Software\\Vendor",
                                         "C:\\Gone\\name.dll",
                                         "",
                                         "C:\\Gone\\name.dll",
                                         {etInvalidName},
                                         1},
                                    }));
}

TEST_P(CategoryChecksTest, FontsAreLookedUpInTheFontsFolderWithoutDriveRules) {
  files.AddFile("C:\\windows\\Fonts\\ARIAL.TTF");
  files.AddFile("D:\\Fonts\\on-cd.ttf");
  AddString(kFonts, "Arial (TrueType)", "arial.ttf", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(kFonts, "Gone (TrueType)", "gone.ttf", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(kFonts, "CD (TrueType)", "D:\\Fonts\\on-cd.ttf", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(kFonts, "Lost (TrueType)", "D:\\Fonts\\lost.ttf", REG_SZ, HKEY_LOCAL_MACHINE);
  excludedDrives = {"D:"};
  auto found = Scan({acInvalidFonts});
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(
      found[0],
      (Finding{"font", kFonts, "Gone (TrueType)", "gone.ttf", "gone.ttf", {etInvalidData}, 1}));
  EXPECT_EQ(found[1].badPath, "D:\\Fonts\\lost.ttf");
}

TEST_P(CategoryChecksTest, StartMenuOrderKeysOfVanishedProgramFolders) {
  files.AddFolder("C:\\users\\me\\Start Menu\\Programs\\Accessories");
  // The order key names a folder as it is called; a doubled "&" or an
  // accelerator "&" is found too.
  files.AddFolder("C:\\ProgramData\\Start Menu\\Programs\\Tips & Tricks");
  files.AddFolder("C:\\users\\me\\Start Menu\\Programs\\Q&A");
  files.AddFolder("C:\\users\\me\\Start Menu\\Programs\\Tools");
  const std::string programs = std::string(kMenuOrder) + "\\Programs";
  for (const char* key : {"\\Accessories\\Menu", "\\Accessories\\Games\\Menu", "\\Tips & Tricks",
                          "\\Q&&A", "\\&Tools", "\\Games Menu\\Old", "\\&Gone"})
    AddKey(programs + key);
  AddKey(std::string(kMenuOrder) + "\\Favorites\\Old");
  auto found = Scan({acObsoleteStartMenu});
  std::vector<std::string> bad;
  for (const Finding& f : found) {
    EXPECT_EQ(f.flags, TEntryTypes{etObsoleteMenuKey});
    EXPECT_EQ(f.value, "");
    EXPECT_EQ(f.data, "");
    EXPECT_EQ(f.pathCount, 1);
    bad.push_back(f.badPath);
  }
  // Games Menu's own key ends in "menu" and is not judged; its subkey is.
  std::sort(bad.begin(), bad.end());
  EXPECT_EQ(bad, (std::vector<std::string>{"Programs\\&Gone", "Programs\\Accessories\\Games",
                                           "Programs\\Games Menu\\Old"}));
}

TEST_P(CategoryChecksTest, ApplicationPaths) {
  files.AddFile("C:\\Office\\winword.exe");
  files.AddFolder("C:\\Tools");
  // Default names an existing program, Path a missing folder.
  AddString(AppKey("foo.exe"), "", "C:\\Office\\winword.exe", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(AppKey("foo.exe"), "Path", "C:\\Office\\Gone\\", REG_SZ, HKEY_LOCAL_MACHINE);
  // No default; the Path folder exists without the program in it.
  AddString(AppKey("bar.exe"), "Path", "C:\\Tools", REG_SZ, HKEY_LOCAL_MACHINE);
  // Only a number: no path at all; blocked keys are left alone.
  AddDword(AppKey("num.exe"), "Flags", 1, HKEY_LOCAL_MACHINE);
  AddDword(AppKey("blocked.exe"), "BlockOnTSNonInstallMode", 1, HKEY_LOCAL_MACHINE);
  // A missing default program.
  AddString(AppKey("old.exe"), "", "C:\\Old\\old.exe", REG_SZ, HKEY_LOCAL_MACHINE);
  // Placeholders: the default counts as present and nothing is judged.
  AddString(AppKey("env.exe"), "", "%ProgramFiles%\\x.exe", REG_EXPAND_SZ, HKEY_LOCAL_MACHINE);
  AddString(AppKey("envpath.exe"), "Path", "%ProgramFiles%\\x", REG_EXPAND_SZ, HKEY_LOCAL_MACHINE);
  // Another value with a missing path; a program on a CD is missing.
  AddString(AppKey("tool.exe"), "", "C:\\Tools", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(AppKey("tool.exe"), "Helper", "D:\\helper.exe", REG_SZ, HKEY_LOCAL_MACHINE);
  // A program key's subkeys are its settings, not programs without a path.
  AddDword(AppKey("old.exe\\SupportedProtocols"), "http", 1, HKEY_LOCAL_MACHINE);
  AddString(AppKey("old.exe\\SupportedProtocols"), "Note", "C:\\Tools", REG_SZ, HKEY_LOCAL_MACHINE);

  auto found = ByKey(Scan({acInvalidAppPaths}));
  EXPECT_EQ(found, (std::vector<Finding>{
                       {"app",
                        AppKey("bar.exe"),
                        "Path",
                        "C:\\Tools",
                        "C:\\Tools",
                        {etInvalidData, etAppNotInPath},
                        1},
                       {"app",
                        AppKey("foo.exe"),
                        "Path",
                        "C:\\Office\\Gone\\",
                        "C:\\Office\\Gone\\",
                        {etInvalidData},
                        1},
                       {"app", AppKey("num.exe"), "", "", "num.exe", {etAppPathMissing}, 1},
                       {"app",
                        AppKey("old.exe"),
                        "",
                        "C:\\Old\\old.exe",
                        "C:\\Old\\old.exe",
                        {etInvalidData, etAppDefault},
                        1},
                       {"app",
                        AppKey("tool.exe"),
                        "Helper",
                        "D:\\helper.exe",
                        "D:\\helper.exe",
                        {etInvalidData},
                        1},
                   }));
}

TEST_P(CategoryChecksTest, ApplicationPathFoundInItsPathFolderOrOnAnExcludedDrive) {
  files.AddFile("C:\\Tools\\bar.exe");
  AddString(AppKey("bar.exe"), "Path", "C:\\Tools\\", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(AppKey("cd.exe"), "", "D:\\cd.exe", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(AppKey("cd.exe"), "Path", "D:\\", REG_SZ, HKEY_LOCAL_MACHINE);
  excludedDrives = {"d:"};
  EXPECT_TRUE(Scan({acInvalidAppPaths}).empty());
}

TEST_P(CategoryChecksTest, HelpFilesAreLookedForInTheirFolder) {
  files.AddFile("C:\\Help\\there.hlp");
  AddString(kHelp, "there.hlp", "C:\\Help\\", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(kHelp, "foo.hlp", "C:\\Help\\", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(kHelp, "bare.hlp", "no path", REG_SZ, HKEY_LOCAL_MACHINE);
  AddString(kHelp, "cd.hlp", "D:\\Help", REG_SZ, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(Scan({acInvalidHelpFiles}),
            (std::vector<Finding>{
                {"help", kHelp, "foo.hlp", "C:\\Help\\", "C:\\Help\\", {etInvalidData}, 1},
                {"help", kHelp, "cd.hlp", "D:\\Help", "D:\\Help", {etInvalidData}, 1},
            }));
}

// A 32-bit program in a 64-bit prefix writes its counters and help files to
// the 32-bit view; they are judged there as in the 64-bit one, once each.
TEST_P(CategoryChecksTest, ThirtyTwoBitProgramsCountersAndHelpFiles) {
  const std::string dlls32 =
      "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
  const std::string help32 = "Software\\Wow6432Node\\Microsoft\\Windows\\Help";
  files.AddFile("C:\\lib\\there.dll");
  AddDword(dlls32, "C:\\lib\\there.dll", 1, HKEY_LOCAL_MACHINE);
  AddDword(dlls32, "C:\\gone\\x.dll", 3, HKEY_LOCAL_MACHINE);
  AddString(help32, "gone.hlp", "C:\\Gone Help", REG_SZ, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(Scan({acInvalidSharedDLLs, acInvalidHelpFiles}),
            (std::vector<Finding>{
                {"help", help32, "gone.hlp", "C:\\Gone Help", "C:\\Gone Help", {etInvalidData}, 1},
                {"dll", dlls32, "C:\\gone\\x.dll", "", "C:\\gone\\x.dll", {etInvalidName}, 1},
            }));
}

TEST_P(CategoryChecksTest, SharedLibraryCounters) {
  files.AddFile("C:\\lib\\there.dll");
  AddDword(kSharedDlls, "C:\\lib\\there.dll", 0, HKEY_LOCAL_MACHINE);
  AddDword(kSharedDlls, "C:\\gone\\x.dll", 3, HKEY_LOCAL_MACHINE);
  AddDword(kSharedDlls, "C:\\lib\\there.dll;C:\\lib\\also.dll", 2, HKEY_LOCAL_MACHINE);
  AddString(kSharedDlls, "C:\\gone\\text.dll", "1", REG_SZ, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(
      Scan({acInvalidSharedDLLs}),
      (std::vector<Finding>{
          {"dll",
           kSharedDlls,
           "C:\\lib\\there.dll",
           "",
           "C:\\lib\\there.dll",
           {etInvalidName, etZeroUsageCount},
           0},
          {"dll", kSharedDlls, "C:\\gone\\x.dll", "", "C:\\gone\\x.dll", {etInvalidName}, 1},
          {"dll",
           kSharedDlls,
           "C:\\lib\\there.dll;C:\\lib\\also.dll",
           "",
           "C:\\lib\\also.dll",
           {etInvalidName},
           2},
          {"dll", kSharedDlls, "C:\\gone\\text.dll", "1", "C:\\gone\\text.dll", {etInvalidName}, 1},
      }));
}

HW_INSTANTIATE_OVER_STORES(CategoryChecksTest);

}  // namespace
}  // namespace hw
