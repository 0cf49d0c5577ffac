#include "app/settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Version.h"
#include "platform/FileIo.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "scan/ExclusionLists.h"
#include "search/SearchFolders.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/TempDir.h"

namespace hw {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* kProgram = "/opt/hivewarden/bin";
const std::string kKey = SettingsKeyPath();
const std::string kOld = kPreviousVersionKey;

class SettingsStoreTest : public test::RegistryFixture {
 protected:
  TSettings Loaded() {
    TSettings settings = TSettings::Fresh(kProgram);
    settings.ExcludedDrives = {"as created"};
    settings.Categories = {acInvalidExts};
    settingsStore.LoadSettings(settings);
    return settings;
  }

  TSettingsStore settingsStore{{api, &store, {}}, kProgram};
};

TEST_P(SettingsStoreTest, AFirstRunKeepsTheFreshWindowAndOnlyScansPaths) {
  Loaded();
  EXPECT_TRUE(KeyAbsent(settingsStore.SettingsKey())) << "loading creates no settings key";
  settingsStore.MigrateSettings();
  TSettings settings = Loaded();
  EXPECT_EQ(settings.Window.WindowState, wsNormal);
  EXPECT_EQ(settings.Window.Width, 599);
  EXPECT_EQ(settings.Window.Height, 450);
  EXPECT_FALSE(settings.Window.Left.has_value()) << "the system places a fresh window";
  EXPECT_FALSE(settings.Window.Top.has_value());
  EXPECT_EQ(settings.Window.OutWidth, 131);
  EXPECT_TRUE(settings.Window.SaveUndo);
  EXPECT_EQ(settings.UndoPath, "");
  EXPECT_EQ(settings.LastTextDir, kProgram);
  EXPECT_EQ(settings.Categories, TAnalyzCategories{acInvalidPaths});
  EXPECT_EQ(settings.ExcludedDrives, Strings{"as created"});
  EXPECT_TRUE(settings.SearchPaths.empty());
  EXPECT_TRUE(KeyAbsent(kOld)) << "looking for old settings creates none";

  test::FakeFileSystem files;
  files.SetDrive('C', DRIVE_FIXED);
  files.SetDrive('D', DRIVE_CDROM);
  files.SetDrive('N', DRIVE_REMOTE);
  files.SetDrive('R', DRIVE_RAMDISK);
  FillDefaultSearchPaths(settings.SearchPaths, files);
  EXPECT_EQ(settings.SearchPaths, (Strings{"C:\\", "R:\\"}));
  settings.SearchPaths = {"E:\\Stored"};
  FillDefaultSearchPaths(settings.SearchPaths, files);
  EXPECT_EQ(settings.SearchPaths, Strings{"E:\\Stored"}) << "stored folders get no defaults";
}

TEST_P(SettingsStoreTest, EverythingSavedIsAStringAndReadsBack) {
  TSettings saved = TSettings::Fresh(kProgram);
  saved.Window = {wsNormal, 800, 600, 10, -20, 150, false};
  saved.UndoPath = "C:\\Backups\\";
  saved.LastTextDir = "/home/u/reports";
  saved.Categories = {acInvalidPaths, acInvalidFonts, acInvalidSharedDLLs};
  saved.SearchPaths = {"C:\\", "D:\\Games"};
  saved.ExcludedDrives = {"E:"};
  settingsStore.SaveSettings(saved);

  EXPECT_TRUE(
      StringIs(kKey, "Version",
               std::string(version::kVersionText) + "." + std::to_string(version::kRelease)));
  EXPECT_TRUE(StringIs(kKey, "ProgPath", "/opt/hivewarden/bin/"));
  EXPECT_TRUE(StringIs(kKey, "Top", "-20"));
  EXPECT_TRUE(StringIs(kKey, "SaveUndo", "0"));
  EXPECT_TRUE(StringIs(kKey, "ScanFor", "137")) << "bits 0, 3 and 7";
  EXPECT_TRUE(StringIs(kKey + "\\Searching_paths", "D:\\Games", "1"));

  TSettings loaded = Loaded();
  EXPECT_EQ(loaded.Window.Width, 800);
  EXPECT_EQ(loaded.Window.Height, 600);
  EXPECT_EQ(loaded.Window.Left, 10);
  EXPECT_EQ(loaded.Window.Top, -20);
  EXPECT_EQ(loaded.Window.OutWidth, 150);
  EXPECT_FALSE(loaded.Window.SaveUndo);
  EXPECT_EQ(loaded.UndoPath, saved.UndoPath);
  EXPECT_EQ(loaded.LastTextDir, saved.LastTextDir);
  EXPECT_EQ(loaded.Categories, saved.Categories);
  EXPECT_EQ(loaded.SearchPaths, saved.SearchPaths);
  EXPECT_EQ(loaded.ExcludedDrives, saved.ExcludedDrives);

  // An empty backup folder is not written over a stored one; removing every
  // excluded drive removes the list.
  saved.UndoPath.clear();
  saved.ExcludedDrives.clear();
  settingsStore.SaveSettings(saved);
  EXPECT_TRUE(StringIs(kKey, "UndoPath", "C:\\Backups\\"));
  EXPECT_TRUE(KeyAbsent(kKey + "\\Excluded_drvs"));
  EXPECT_EQ(Loaded().ExcludedDrives, Strings{"as created"});
}

TEST_P(SettingsStoreTest, ScanForSelectsOnlyVisibleCategoriesAndIsWrittenBackWithoutHidden) {
  AddString(kKey, "ScanFor", "255");
  TSettings settings = Loaded();
  EXPECT_EQ(settings.Categories, kWelcomeCategories);
  settingsStore.SaveSettings(settings);
  EXPECT_TRUE(StringIs(kKey, "ScanFor", "249"));

  AddString(kKey, "ScanFor", "6");  // empty keys and file types only
  EXPECT_TRUE(Loaded().Categories.Empty());
  AddString(kKey, "ScanFor", "0x10");
  EXPECT_EQ(Loaded().Categories, TAnalyzCategories{acObsoleteStartMenu});
}

TEST_P(SettingsStoreTest, AMaximizedWindowKeepsTheBoundsOfItsLastNormalRun) {
  TSettings settings = TSettings::Fresh(kProgram);
  settings.Window = {wsNormal, 700, 500, 30, 40, 131, true};
  settingsStore.SaveSettings(settings);

  settings.Window = {wsMaximized, 1920, 1080, 0, 0, 131, true};
  settingsStore.SaveSettings(settings);
  EXPECT_TRUE(StringIs(kKey, "WindowState", "2"));
  EXPECT_TRUE(StringIs(kKey, "Width", "700"));
  EXPECT_TRUE(StringIs(kKey, "Left", "30"));

  TSettings maximized = Loaded();
  EXPECT_EQ(maximized.Window.WindowState, wsMaximized);
  EXPECT_EQ(maximized.Window.Width, 599) << "bounds are not read for a maximized window";
  EXPECT_FALSE(maximized.Window.Left.has_value());

  maximized.Window.WindowState = wsNormal;
  settingsStore.SaveSettings(maximized);
  EXPECT_TRUE(StringIs(kKey, "Width", "599"));
  EXPECT_EQ(Loaded().Window.Left, 30) << "an unknown position is not written";
}

TEST_P(SettingsStoreTest, ValuesThatAreNoNumbersOrNoStringsReadAsTheDefault) {
  AddString(kKey, "Width", "wide");
  AddDword(kKey, "Height", 700);
  AddDword(kKey, "UndoPath", 1);
  AddString(kKey, "Left", "0");
  TSettings settings;
  ASSERT_NO_THROW(settings = Loaded());
  EXPECT_EQ(settings.Window.Width, 599);
  EXPECT_EQ(settings.Window.Height, 450);
  EXPECT_EQ(settings.UndoPath, "");
  EXPECT_EQ(settings.Window.Left, 0) << "a stored 0 is a position";
  EXPECT_FALSE(settings.Window.Top.has_value());
}

TEST_P(SettingsStoreTest, MigrationTakesTheBackupFolderAndListsOfTheOldVersionOnce) {
  AddString(kOld, "Version", "2.0.0");
  AddString(kOld, "UndoPath", "D:\\Old backups\\");
  AddString(kOld, "WindowState", "2");
  AddString(kOld, "ScanFor", "255");
  AddString(kOld + "\\Excluded_paths_entries", "\\Old\\", "0");
  AddString(kOld + "\\Excluded_fonts_entries", "\\Old font\\", "0");
  AddString(kOld + "\\Excluded_exts_entries", "\\Old ext\\", "0");
  AddString(kOld + "\\Searching_paths", "D:\\", "0");
  AddString(kOld + "\\Excluded_drvs", "F:", "0");
  AddString(kKey + "\\Excluded_fonts_entries", "\\New font\\", "0");

  settingsStore.MigrateSettings();
  EXPECT_TRUE(StringIs(kKey, "UndoPath", "D:\\Old backups\\"));
  EXPECT_TRUE(StringIs(kKey + "\\Excluded_paths_entries", "\\Old\\", "0"));
  EXPECT_TRUE(StringIs(kKey + "\\Excluded_exts_entries", "\\Old ext\\", "0"));
  EXPECT_TRUE(ValueAbsent(kKey + "\\Excluded_fonts_entries", "\\Old font\\"))
      << "a list the new key has stays as it is";
  EXPECT_TRUE(StringIs(kKey + "\\Excluded_fonts_entries", "\\New font\\", "0"));
  TSettings settings = Loaded();
  EXPECT_EQ(settings.UndoPath, "D:\\Old backups\\");
  EXPECT_EQ(settings.SearchPaths, Strings{"D:\\"});
  EXPECT_EQ(settings.ExcludedDrives, Strings{"F:"});
  EXPECT_EQ(settings.Window.WindowState, wsNormal) << "placement starts fresh";
  EXPECT_EQ(settings.Categories, TAnalyzCategories{acInvalidPaths}) << "so does ScanFor";
  EXPECT_TRUE(StringIs(kOld + "\\Excluded_paths_entries", "\\Old\\", "0"))
      << "the old key is never changed";

  // Once this version has saved, the old key is not read again.
  settingsStore.SaveSettings(settings);
  AddString(kOld, "UndoPath", "E:\\Changed\\");
  settingsStore.MigrateSettings();
  EXPECT_TRUE(StringIs(kKey, "UndoPath", "D:\\Old backups\\"));
}

TEST_P(SettingsStoreTest, OldSettingsWithoutAVersionAreNotTakenOver) {
  AddString(kOld, "UndoPath", "D:\\Old\\");
  settingsStore.MigrateSettings();
  EXPECT_EQ(Loaded().UndoPath, "");
}

TEST_P(SettingsStoreTest, APrefixInUseRefusesTheSaveWithItsReasonAndWritesNothing) {
  AddString(kKey, "OutWidth", "200");
  AddString(kOld, "Version", "2.0.0");
  AddString(kOld, "UndoPath", "D:\\Old\\");
  store.refuseWrites("Wine is running in the prefix /p; close its programs first.");

  settingsStore.MigrateSettings();
  EXPECT_TRUE(ValueAbsent(kKey, "UndoPath")) << "migration waits for a writable prefix";
  TSettings settings = Loaded();
  EXPECT_EQ(settings.Window.OutWidth, 200) << "reading works as ever";

  settings.Window.OutWidth = 300;
  try {
    settingsStore.SaveSettings(settings);
    FAIL() << "the save was not refused";
  } catch (const ESettingsNotSaved& error) {
    EXPECT_EQ(std::string(error.what()),
              "The settings were not saved. Wine is running in the prefix /p; close its "
              "programs first.");
  }
  EXPECT_TRUE(StringIs(kKey, "OutWidth", "200"));
  EXPECT_THROW(settingsStore.SetUninstalled(), ESettingsNotSaved);
  bool written = false;
  EXPECT_THROW(settingsStore.SaveLists([&](TStoredLists&) { written = true; }), ESettingsNotSaved);
  EXPECT_FALSE(written) << "lists are not touched in a refusing store";
}

TEST_P(SettingsStoreTest, TheUninstallFlagLivesInTheBaseKey) {
  EXPECT_FALSE(settingsStore.Uninstalled());
  settingsStore.SetUninstalled();
  EXPECT_TRUE(StringIs(kSettingsBaseKey, "Uninstalled", "1"));
  EXPECT_TRUE(settingsStore.Uninstalled());
}

HW_INSTANTIATE_OVER_STORES(SettingsStoreTest);

#ifndef _WIN32
TEST(PrefixSettingsTest, SavingWritesThePrefixFilesAndReportsAFailedWrite) {
  test::TempDir dir;
  auto prefix = platform::WinePrefixStore::createEmpty(dir.path());
  platform::StoreRegistryApi api(*prefix);
  TSettingsStore settingsStore(PrefixSettingsLocation(api, *prefix), kProgram);
  TSettings settings = TSettings::Fresh(kProgram);
  settings.Window.OutWidth = 222;
  settingsStore.SaveSettings(settings);
  EXPECT_FALSE(prefix->hasUnsavedChanges());

  settingsStore.SaveLists([](TStoredLists& lists) {
    lists.SaveListToRegistry("Excluded_paths_entries", {"\\Mine\\"});
  });
  EXPECT_FALSE(prefix->hasUnsavedChanges());

  auto reread = platform::WinePrefixStore::open(dir.path());
  platform::StoreRegistryApi rereadApi(*reread);
  TSettingsStore rereadSettings({rereadApi, nullptr, {}}, kProgram);
  TSettings loaded = TSettings::Fresh(kProgram);
  rereadSettings.LoadSettings(loaded);
  EXPECT_EQ(loaded.Window.OutWidth, 222);
  std::vector<std::string> mine;
  EXPECT_TRUE(rereadSettings.StoredLists().LoadListFromRegistry("Excluded_paths_entries", mine));

  TSettingsStore failing({api, nullptr, [] { throw platform::FileError("user.reg: disk full"); }},
                         kProgram);
  try {
    failing.SaveSettings(settings);
    FAIL() << "the failed write went unreported";
  } catch (const ESettingsNotSaved& error) {
    EXPECT_EQ(std::string(error.what()), "The settings were not saved. user.reg: disk full");
  }
}
#endif

}  // namespace
}  // namespace hw
