#include "scan/AnalyzClass.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

class ScanTest : public test::RegistryFixture {
 protected:
  ScanTest() {
    files.SetDrive('C', DRIVE_FIXED);
    engine = std::make_unique<TAnalyzClass>(api, files, pump);
    engine->OnKey = [this](TAnalyzClass& e) { visited.push_back(KeyOf(e)); };
    engine->OnEmptyKey = [this](TAnalyzClass& e) {
      reports.push_back(KeyOf(e));
      writable.push_back(e.KeyWritable);
    };
  }

  static std::string KeyOf(const TAnalyzClass& e) { return "[" + e.RootName + "] " + e.KeyPath; }

  void Scan(TAnalyzCategories categories) {
    engine->Categories = categories;
    engine->Stop = false;
    engine->Analyze();
    engine->Stop = true;
  }

  // The keys visited below one prefix, in order.
  std::vector<std::string> VisitedUnder(const std::string& prefix) const {
    std::vector<std::string> keys;
    for (const std::string& key : visited)
      if (key.rfind(prefix, 0) == 0) keys.push_back(key);
    return keys;
  }

  // The empty keys reported below one prefix, sorted.
  std::vector<std::string> ReportedUnder(const std::string& prefix) const {
    std::vector<std::string> keys;
    for (const std::string& key : reports)
      if (key.rfind(prefix, 0) == 0) keys.push_back(key);
    std::sort(keys.begin(), keys.end());
    return keys;
  }

  test::FakeFileSystem files;
  platform::EventPump pump;
  std::unique_ptr<TAnalyzClass> engine;
  std::vector<std::string> visited;
  std::vector<std::string> reports;
  std::vector<bool> writable;
};

TEST(ParseRootKeyTextTest, SplitsRootAndPath) {
  TRootKeyText hive = ParseRootKeyText("[HKEY_CLASSES_ROOT]");
  EXPECT_TRUE(hive.Ok);
  EXPECT_EQ(hive.RootKey, HKEY_CLASSES_ROOT);
  EXPECT_EQ(hive.RootName, "HKEY_CLASSES_ROOT");
  EXPECT_EQ(hive.KeyPath, "\\");

  TRootKeyText help =
      ParseRootKeyText("[HKEY_LOCAL_MACHINE]\\Software\\Microsoft\\Windows\\Help\\");
  EXPECT_EQ(help.RootKey, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(help.KeyPath, "\\Software\\Microsoft\\Windows\\Help\\");

  // A found entry's key text: the character after "]" is a blank.
  TRootKeyText entry = ParseRootKeyText("[HKEY_CURRENT_USER] Software\\V");
  EXPECT_EQ(entry.RootKey, HKEY_CURRENT_USER);
  EXPECT_EQ(entry.KeyPath, "\\Software\\V");

  TRootKeyText lower = ParseRootKeyText("[hkey_users]");
  EXPECT_TRUE(lower.Ok);
  EXPECT_EQ(lower.RootKey, platform::invalidRootKey());

  TRootKeyText broken = ParseRootKeyText("[HKEY_USERS");
  EXPECT_FALSE(broken.Ok);
  EXPECT_EQ(broken.RootName, "");
  EXPECT_EQ(broken.KeyPath, "");
  EXPECT_EQ(broken.RootKey, platform::invalidRootKey());
}

TEST(FormatFileTimeTest, TwelveHourClockInUtc) {
  auto at = [](int64_t unixSeconds) {
    return FormatFileTime(platform::toFileTime(platform::ticksFromUnixSeconds(unixSeconds)));
  };
  EXPECT_EQ(at(1075817100), "02/03/2004 02:05PM");  // 2004-02-03 14:05 UTC
  EXPECT_EQ(at(1075766400), "02/03/2004 12:00AM");  // midnight
  EXPECT_EQ(at(1075809600), "02/03/2004 12:00PM");  // noon
  EXPECT_EQ(at(0), "01/01/1970 12:00AM");
  EXPECT_FALSE(FormatFileTime(FILETIME{0xFFFFFFFF, 0xFFFFFFFF}).has_value());
}

TEST(HasGuidTest, NeedsTheHyphensOfAGuidAndItsLength) {
  EXPECT_TRUE(HasGuid("{12345678-1234-1234-1234-123456789012}"));
  EXPECT_TRUE(HasGuid("Prefix{x}{12345678-1234-1234-1234-123456789012}"));
  EXPECT_TRUE(HasGuid("{zzzzzzzz-zzzz-zzzz-zzzz-zzzzzzzzzzzzz"))
      << "only the hyphens and the length are checked";
  EXPECT_FALSE(HasGuid("x{abc}"));
  EXPECT_FALSE(HasGuid("{12345678-1234-1234-1234-12345678901}")) << "one character short";
  EXPECT_FALSE(HasGuid("{12345678_1234-1234-1234-123456789012}"));
  EXPECT_FALSE(HasGuid("no brace at all, but long enough to hold a guid pattern"));
}

TEST(AnalyzSetTest, MatchesLowerCasedPathComponents) {
  TAnalyzSet set;
  set.Items = {"\\software\\foo\\", "\\Mixed\\ÄPFEL\\"};
  EXPECT_EQ(set.IndexOfExcluded("\\Software\\Foo\\", ""), 0);
  EXPECT_EQ(set.IndexOfExcluded("Software\\Foo\\Bar", ""), 0);
  EXPECT_EQ(set.IndexOfExcluded("\\Software\\FooBar\\", ""), -1);
  EXPECT_EQ(set.IndexOfExcluded("\\Software\\", "foo"), 0) << "the value name is part of the text";
  EXPECT_EQ(set.IndexOfExcluded("\\mixed\\äpfel\\", ""), 1);
  EXPECT_EQ(set.IndexOfExcluded("\\\\", "software\\foo"), -1) << "a hive root is never excluded";
  set.Items[0] = "\\other\\";
  EXPECT_EQ(set.IndexOfExcluded("\\Software\\Foo\\", ""), -1) << "edits of Items are seen";
}

TEST_P(ScanTest, ConstructionBuildsRootsAndLocalDrives) {
  files.SetDrive('D', DRIVE_CDROM);
  files.SetDrive('E', DRIVE_REMOVABLE);
  files.SetDrive('R', DRIVE_RAMDISK);
  files.SetDrive('Z', DRIVE_REMOTE);
  TAnalyzClass fresh(api, files, pump);
  EXPECT_EQ(fresh.LocalDrives, "CRZ");
  ASSERT_EQ(fresh.RootKeys.size(), 15u);
  EXPECT_EQ(fresh.RootKeys[5].KeyPath, "\\Software\\Microsoft\\Windows\\Help\\");
  EXPECT_EQ(fresh.RootKeys[8].KeyPath, "\\Software\\Wow6432Node\\Microsoft\\Windows\\Help\\");
  EXPECT_EQ(fresh.RootKeys[12].RootKey, HKEY_USERS);
  EXPECT_EQ(fresh.RootKeys[12].KeyPath, "\\");
  EXPECT_EQ(fresh.Categories,
            (TAnalyzCategories{acInvalidPaths, acEmptyKeys, acInvalidFonts, acObsoleteStartMenu,
                               acInvalidAppPaths, acInvalidHelpFiles}));
}

TEST_P(ScanTest, OnlyRootsOfTheChosenCategoriesAreWalked) {
  AddKey("Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", HKEY_LOCAL_MACHINE);
  Scan({acInvalidFonts});
  EXPECT_EQ(visited,
            (std::vector<std::string>{
                "[HKEY_LOCAL_MACHINE] Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"}))
      << "the second fonts root does not exist and the hives are skipped";

  visited.clear();
  Scan({acInvalidPaths});
  std::vector<std::string> hives;
  for (const std::string& key : visited)
    if (key.back() == ' ') hives.push_back(key);
  // HKEY_CLASSES_ROOT only shows the classes the two hives before it hold.
  EXPECT_EQ(hives, (std::vector<std::string>{"[HKEY_CURRENT_USER] ", "[HKEY_USERS] ",
                                             "[HKEY_LOCAL_MACHINE] "}));
}

TEST_P(ScanTest, EachKeyAndValueIsReportedOnceUnderTheFirstRootThatReachesIt) {
  std::vector<std::string> paths;
  engine->OnInvalidPath = [&](TAnalyzClass& e) { paths.push_back(KeyOf(e) + " " + e.ValueName); };
  AddString("Software\\Stale", "Exe", "C:\\gone\\a.exe");
  AddString(".Default\\Software\\Stale", "Exe", "C:\\gone\\b.exe", REG_SZ, HKEY_USERS);
  AddString("S-1-5-21-7\\Software\\Stale", "Exe", "C:\\gone\\c.exe", REG_SZ, HKEY_USERS);
  AddString("Software\\Classes\\stalefile", "Icon", "C:\\gone\\d.ico", REG_SZ, HKEY_LOCAL_MACHINE);
  Scan({acInvalidPaths, acEmptyKeys});
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "[HKEY_CURRENT_USER] Software\\Stale Exe",
                       "[HKEY_LOCAL_MACHINE] Software\\Classes\\stalefile Icon",
                       "[HKEY_USERS] .Default\\Software\\Stale Exe",
                       "[HKEY_USERS] S-1-5-21-7\\Software\\Stale Exe",
                   }));
  EXPECT_TRUE(VisitedUnder("[HKEY_USERS] S-1-5-21-0-0-0-1000").empty());
  EXPECT_TRUE(VisitedUnder("[HKEY_CLASSES_ROOT]").empty());

  // Where no earlier root reaches them with the same categories, the other
  // names are walked: HKEY_CURRENT_USER only for paths leaves the user's
  // empty keys to HKEY_USERS, and without HKEY_LOCAL_MACHINE the classes are
  // found below HKEY_CLASSES_ROOT.
  engine->RootKeys = {{HKEY_CURRENT_USER, "\\", {acInvalidPaths}},
                      {HKEY_USERS, "\\", {acInvalidPaths, acEmptyKeys}},
                      {HKEY_CLASSES_ROOT, "\\stalefile\\", {acInvalidPaths}}};
  AddKey("Software\\Empty");
  paths.clear();
  Scan({acInvalidPaths, acEmptyKeys});
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{
                       "[HKEY_CLASSES_ROOT] stalefile Icon",
                       "[HKEY_CURRENT_USER] Software\\Stale Exe",
                       "[HKEY_USERS] .Default\\Software\\Stale Exe",
                       "[HKEY_USERS] S-1-5-21-0-0-0-1000\\Software\\Stale Exe",
                       "[HKEY_USERS] S-1-5-21-7\\Software\\Stale Exe",
                   }));
  EXPECT_NE(std::find(reports.begin(), reports.end(),
                      "[HKEY_USERS] S-1-5-21-0-0-0-1000\\Software\\Empty"),
            reports.end());
}

TEST_P(ScanTest, EmptyKeysAreReportedInnermostFirst) {
  AddString("Software\\A", "v", "x");
  AddKey("Software\\A\\B");
  AddKey("Software\\V\\E1\\E2");
  Scan({acEmptyKeys});
  std::vector<std::string> underUser;
  for (const std::string& key : reports)
    if (key.rfind("[HKEY_CURRENT_USER]", 0) == 0) underUser.push_back(key);
  EXPECT_EQ(underUser, (std::vector<std::string>{
                           "[HKEY_CURRENT_USER] Software\\A\\B",
                           "[HKEY_CURRENT_USER] Software\\V\\E1\\E2",
                           "[HKEY_CURRENT_USER] Software\\V\\E1",
                           "[HKEY_CURRENT_USER] Software\\V",
                       }));
  // The same keys below HKEY_USERS are the user's hive again: not reported twice.
  EXPECT_EQ(
      std::count_if(reports.begin(), reports.end(),
                    [](const std::string& key) { return key.find("E1\\E2") != std::string::npos; }),
      1);
}

TEST_P(ScanTest, GuidKeysAreNeverEmptyAndKeepTheirParentsNonEmpty) {
  AddKey("Software\\G\\{12345678-1234-1234-1234-123456789012}");
  AddKey("Software\\X\\x{abc}");
  Scan({acEmptyKeys});
  auto reported = [&](const std::string& path) {
    return std::find(reports.begin(), reports.end(), "[HKEY_CURRENT_USER] " + path) !=
           reports.end();
  };
  EXPECT_FALSE(reported("Software\\G\\{12345678-1234-1234-1234-123456789012}"));
  EXPECT_FALSE(reported("Software\\G"));
  EXPECT_FALSE(reported("Software")) << "every ancestor stays non-empty";
  EXPECT_TRUE(reported("Software\\X\\x{abc}"));
  EXPECT_TRUE(reported("Software\\X"));
}

TEST_P(ScanTest, ExclusionCoversTheKeyAndEverythingBelowIt) {
  AddKey("Software\\Foo\\Bar");
  AddKey("Software\\FooBar");
  engine->ExclusionSets[acEmptyKeys].Items = {"\\software\\foo\\"};
  Scan({acEmptyKeys});
  for (const std::string& key : reports) {
    EXPECT_EQ(key.find("Software\\Foo\\"), std::string::npos) << key;
    EXPECT_FALSE(key.size() >= 12 && key.substr(key.size() - 12) == "Software\\Foo") << key;
  }
  EXPECT_NE(std::find(reports.begin(), reports.end(), "[HKEY_CURRENT_USER] Software\\FooBar"),
            reports.end());
}

TEST_P(ScanTest, AnExcludedEmptyKeyKeepsItsParentsSoTheyAreNotDeletedWithIt) {
  AddKey("Software\\Vendor\\Run");
  AddKey("Software\\Gone\\App");
  engine->ExclusionSets[acEmptyKeys].Items = {"\\Vendor\\Run\\"};
  Scan({acEmptyKeys});
  EXPECT_EQ(ReportedUnder("[HKEY_CURRENT_USER] Software\\"),
            (std::vector<std::string>{"[HKEY_CURRENT_USER] Software\\Gone",
                                      "[HKEY_CURRENT_USER] Software\\Gone\\App"}));
}

TEST_P(ScanTest, FlagKeysOfClassesAreNeverEmptyButAnEmptyClassIs) {
  const std::string classes = "Software\\Classes\\";
  for (const char* key :
       {"Some.Control\\Insertable", "CLSID\\{12345678-1234-1234-1234-123456789012}\\Control",
        "Wow6432Node\\Some.Script\\OLEScript", "Some.Doc\\shellex\\MayChangeDefaultMenu",
        "DirectShow\\MediaObjects\\Categories\\4a69b442-28be-4991-969c-b500adf5d8a8\\x",
        "Wow6432Node\\Gone.Class", "Gone.Class"}) {
    AddKey(classes + key, HKEY_LOCAL_MACHINE);
    AddKey(classes + key);
  }
  AddKey("Software\\Vendor\\Insertable");
  Scan({acEmptyKeys});
  EXPECT_EQ(
      ReportedUnder("[HKEY_CURRENT_USER] Software\\"),
      (std::vector<std::string>{"[HKEY_CURRENT_USER] Software\\Classes\\Gone.Class",
                                "[HKEY_CURRENT_USER] Software\\Classes\\Wow6432Node\\Gone.Class",
                                "[HKEY_CURRENT_USER] Software\\Vendor",
                                "[HKEY_CURRENT_USER] Software\\Vendor\\Insertable"}))
      << "outside the classes a flag's name alone marks nothing";
  EXPECT_EQ(ReportedUnder("[HKEY_LOCAL_MACHINE] Software\\"),
            (std::vector<std::string>{
                "[HKEY_LOCAL_MACHINE] Software\\Classes\\Gone.Class",
                "[HKEY_LOCAL_MACHINE] Software\\Classes\\Wow6432Node\\Gone.Class"}));
}

TEST_P(ScanTest, ReadOnlyKeysAreScannedUnlessSkipped) {
  AddKey("Software\\Locked\\Inner");
  store.setAccess(HKEY_CURRENT_USER, "Software\\Locked", platform::KeyAccess::ReadOnly);
  Scan({acEmptyKeys});
  auto at = [&](const std::string& key) {
    auto it = std::find(reports.begin(), reports.end(), key);
    return it == reports.end() ? -1 : static_cast<int>(it - reports.begin());
  };
  int locked = at("[HKEY_CURRENT_USER] Software\\Locked");
  ASSERT_GE(locked, 0);
  EXPECT_FALSE(writable[locked]);
  EXPECT_TRUE(writable[at("[HKEY_CURRENT_USER] Software\\Locked\\Inner")]);

  reports.clear();
  engine->SkipReadOnlyKeys = true;
  Scan({acEmptyKeys});
  EXPECT_EQ(at("[HKEY_CURRENT_USER] Software\\Locked"), -1);
  EXPECT_EQ(at("[HKEY_CURRENT_USER] Software\\Locked\\Inner"), -1);
  EXPECT_EQ(at("[HKEY_CURRENT_USER] Software"), -1) << "a skipped key makes its parent non-empty";
}

TEST_P(ScanTest, UnopenableKeysAreSkippedAndKeepTheirParentNonEmpty) {
  AddKey("Software\\Parent\\Hidden\\Child");
  store.setAccess(HKEY_CURRENT_USER, "Software\\Parent\\Hidden", platform::KeyAccess::NoAccess);
  Scan({acEmptyKeys});
  EXPECT_TRUE(VisitedUnder("[HKEY_CURRENT_USER] Software\\Parent\\Hidden").empty());
  EXPECT_EQ(std::find(reports.begin(), reports.end(), "[HKEY_CURRENT_USER] Software\\Parent"),
            reports.end());
}

TEST_P(ScanTest, StopFromAnEventEndsTheScanWithoutFurtherReports) {
  for (int i = 0; i < 5; ++i) AddKey("Software\\Deep\\K" + std::to_string(i) + "\\Leaf");
  engine->OnEmptyKey = [this](TAnalyzClass& e) {
    reports.push_back(KeyOf(e));
    e.Stop = true;
  };
  Scan({acEmptyKeys});
  EXPECT_EQ(reports.size(), 1u) << "no empty key is reported on the strength of a partial walk";
  std::size_t keysAfterStop = visited.size();
  EXPECT_LT(keysAfterStop, 10u);
}

TEST_P(ScanTest, ThePumpRunsBeforeEachSubkeyAndValue) {
  AddString("Software\\P", "one", "1");
  AddString("Software\\P", "two", "2");
  AddKey("Software\\P\\Child");
  int pumped = 0;
  pump.SetHook([&] { ++pumped; });
  engine->RootKeys = {{HKEY_CURRENT_USER, "\\Software\\P\\", {acInvalidPaths}}};
  Scan({acInvalidPaths});
  EXPECT_EQ(pumped, 3);
}

TEST_P(ScanTest, KeyDateOfAnEmptyKeyIsItsOwnWriteTime) {
  static platform::FileTicks now = platform::ticksFromUnixSeconds(1075817100);
  store.setClock([] { return now; });
  HKEY key = nullptr;
  ASSERT_EQ(
      api.RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Dated", KEY_ALL_ACCESS, &key, nullptr),
      ERROR_SUCCESS);
  api.RegCloseKey(key);
  std::string date;
  engine->OnEmptyKey = [&](TAnalyzClass& e) {
    if (e.KeyPath == "Software\\Dated") date = e.KeyDate;
  };
  engine->RootKeys = {{HKEY_CURRENT_USER, "\\Software\\", {acEmptyKeys}}};
  Scan({acEmptyKeys});
  EXPECT_EQ(date, "02/03/2004 02:05PM");
}

HW_INSTANTIATE_OVER_STORES(ScanTest);

}  // namespace
}  // namespace hw
