#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "registry/RegistryException.h"
#include "registry/StoredList.h"
#include "scan/AnalyzSet.h"
#include "scan/ExclusionEditor.h"
#include "scan/ExclusionLists.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/TempDir.h"

namespace hw {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

void WriteFile(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

// The locations of the documented examples, judged as the walk judges them.
TEST(ExclusionMatchTest, AnEntryCoversItsKeyEverythingBelowAndTheSamePathElsewhere) {
  TAnalyzSet set;
  set.Items = {"\\SOFTWARE\\vendor\\"};
  EXPECT_EQ(set.IndexOfExcluded("Software\\Vendor\\X", ""), 0);
  EXPECT_EQ(set.IndexOfExcluded("Software\\Vendor", "Path"), 0);
  EXPECT_EQ(set.IndexOfExcluded("Software\\Other\\Software\\Vendor", ""), 0);
  EXPECT_EQ(set.IndexOfExcluded("Software\\VendorTools", ""), -1);

  set.Items = {"\\software\\app\\path\\"};
  EXPECT_EQ(set.IndexOfExcluded("Software\\App", "Path"), 0) << "the value Path";
  EXPECT_EQ(set.IndexOfExcluded("Software\\App\\Path\\Sub", ""), 0) << "keys below App\\Path";
  EXPECT_EQ(set.IndexOfExcluded("Software\\App", "PathX"), -1);
  EXPECT_EQ(set.IndexOfExcluded("Software\\App", ""), -1);

  set.Items = {"", "vendor", "\\Vendor\\"};
  EXPECT_EQ(set.IndexOfExcluded("Software\\MyVendorX", ""), 1)
      << "without backslashes an entry matches anywhere; an empty one never";
}

TEST(ExclusionTextTest, AddExcludedWrapsTheTextInSingleBackslashes) {
  TAnalyzSet set;
  EXPECT_TRUE(AddExcluded(set, "\\\\Software\\Vendor\\\\"));
  EXPECT_TRUE(AddExcluded(set, "Software\\App"));
  EXPECT_FALSE(AddExcluded(set, "\\\\\\"));
  EXPECT_FALSE(AddExcluded(set, ""));
  EXPECT_EQ(set.Items, (Strings{"\\Software\\Vendor\\", "\\Software\\App\\"}));

  // From the results: value-level categories keep the value name, the
  // default value (empty name) excludes the whole key.
  EXPECT_EQ(TExclusionLists::FindingText(acInvalidPaths, "Software\\App\\", "Dir"),
            "\\Software\\App\\Dir\\");
  EXPECT_EQ(TExclusionLists::FindingText(acInvalidHelpFiles, "\\Software\\App", ""),
            "\\Software\\App\\");
  EXPECT_EQ(TExclusionLists::FindingText(acInvalidAppPaths, "Software\\App", "Path"),
            "\\Software\\App\\");
}

TEST(DefaultsFileTest, LinesEndWithCrLfLfOrCrAndEmptyLinesAreEntries) {
  test::TempDir dir;
  const fs::path file = dir.path() / "exclpath.def";
  WriteFile(file, "\\a\\\r\n\\b\\\n\n\\c\\\r\\d\\\r\n\r\n\\e\\");
  EXPECT_EQ(ReadDefaultsFile(file), (Strings{"\\a\\", "\\b\\", "", "\\c\\", "\\d\\", "", "\\e\\"}));
  WriteFile(file, "\\a\\\r\n");
  EXPECT_EQ(ReadDefaultsFile(file), Strings{"\\a\\"}) << "a final line break adds nothing";
  WriteFile(file, "");
  EXPECT_TRUE(ReadDefaultsFile(file).empty());
}

TEST(DefaultsFileTest, AMissingFileIsAnErrorNamingTheFullPath) {
  test::TempDir dir;
  std::array<TAnalyzSet, kCategoryCount> sets;
  WriteFile(dir.path() / "exclpath.def", "\\a\\\n");
  TExclusionLists lists(sets, dir.path());
  try {
    lists.Load({acInvalidPaths, acInvalidFonts}, nullptr);
    FAIL() << "the missing file went unnoticed";
  } catch (const EMissingDefaultsFile& error) {
    EXPECT_EQ(error.FileName(), (dir.path() / "exclfont.def").string());
  }
  EXPECT_EQ(sets[acInvalidPaths].Items, Strings{"\\a\\"});
}

// The lists over a data folder holding every default file and a registry
// holding the settings key.
class ExclusionListsTest : public test::RegistryFixture {
 protected:
  ExclusionListsTest() {
    for (int i = 0; i < kCategoryCount; ++i)
      WriteFile(lists.DefaultsFile(static_cast<TAnalyzCategory>(i)), "");
    WriteFile(lists.DefaultsFile(acInvalidPaths), "\\Software\\Wine\\\r\n\\System\\\r\n");
  }

  std::string StoredPath(const char* name) const { return SettingsKeyPath() + "\\" + name; }

  test::TempDir data;
  std::array<TAnalyzSet, kCategoryCount> sets;
  TExclusionLists lists{sets, data.path()};
  TStoredLists stored{api, SettingsKeyPath(), &store};
  TExclusionEditor editor{lists};
};

TEST_P(ExclusionListsTest, LoadingPutsTheUserEntriesAfterTheDefaults) {
  AddString(StoredPath("Excluded_paths_entries"), "\\Mine\\", "0");
  AddString(StoredPath("Excluded_fonts_entries"), "\\Font\\", "0");
  AddString(StoredPath("Excluded_empty_entries"), "\\Empty\\", "0");
  lists.Load(kWelcomeCategories, &stored);
  EXPECT_EQ(sets[acInvalidPaths].Items, (Strings{"\\Software\\Wine\\", "\\System\\", "\\Mine\\"}));
  EXPECT_EQ(lists.DefaultCount(acInvalidPaths), 2);
  EXPECT_EQ(lists.UserEntries(acInvalidPaths), Strings{"\\Mine\\"});
  EXPECT_EQ(sets[acInvalidFonts].Items, Strings{"\\Font\\"});
  EXPECT_EQ(lists.DefaultCount(acInvalidFonts), 0);
  EXPECT_TRUE(sets[acEmptyKeys].Items.empty()) << "hidden categories are not loaded";
}

TEST_P(ExclusionListsTest, AddingRefusesTextsAnEntryAlreadyCovers) {
  lists.Load(kWelcomeCategories, &stored);
  editor.Enter();
  ASSERT_EQ(editor.Category(), acInvalidPaths);

  EXPECT_TRUE(editor.Add("a").Ok());
  TExclusionEditor::TEditResult refused = editor.Add("\\A\\b");
  EXPECT_EQ(refused.Result, TExclusionEditor::TEditResult::Contained);
  EXPECT_EQ(refused.Entry, "\\a\\");
  EXPECT_EQ(editor.Add("\\\\").Result, TExclusionEditor::TEditResult::Empty);

  // The other way round: the wider entry is accepted beside the narrower one.
  editor.SelectCategory(1);
  ASSERT_EQ(editor.Category(), acInvalidFonts);
  EXPECT_TRUE(editor.Add("\\a\\b\\").Ok());
  EXPECT_TRUE(editor.Add("\\a\\").Ok());
  EXPECT_EQ(sets[acInvalidFonts].Items, (Strings{"\\a\\b\\", "\\a\\"}))
      << "edits reach the engine's list at once";
  EXPECT_EQ(sets[acInvalidPaths].Items.back(), "\\a\\");
}

TEST_P(ExclusionListsTest, OnlyTheUsersEntriesCanBeEditedOrRemoved) {
  lists.Load(kWelcomeCategories, &stored);
  editor.Enter();
  ASSERT_TRUE(editor.Add("\\Old\\").Ok());
  ASSERT_TRUE(editor.Add("\\Other\\").Ok());
  EXPECT_FALSE(editor.CanEdit(0));
  EXPECT_FALSE(editor.CanRemove(1));
  EXPECT_TRUE(editor.CanEdit(2));
  EXPECT_FALSE(editor.CanEdit(4)) << "past the end";
  EXPECT_EQ(editor.Edit(1, "\\New\\").Result, TExclusionEditor::TEditResult::NotAllowed);
  EXPECT_FALSE(editor.Remove(0));

  TExclusionEditor::TEditResult wider = editor.Edit(2, "\\Old\\Sub\\");
  EXPECT_EQ(wider.Result, TExclusionEditor::TEditResult::Contained);
  EXPECT_EQ(wider.Entry, "\\Old\\") << "the entry being edited takes part";
  EXPECT_TRUE(editor.Edit(2, "Renamed").Ok());
  EXPECT_TRUE(editor.Remove(3));
  EXPECT_EQ(lists.UserEntries(acInvalidPaths), Strings{"\\Renamed\\"});
}

TEST_P(ExclusionListsTest, SwitchingCategoriesKeepsEachListsEdits) {
  lists.Load(kWelcomeCategories, &stored);
  editor.Enter();
  ASSERT_TRUE(editor.Add("\\P\\").Ok());
  editor.SelectCategory(5);
  EXPECT_EQ(editor.Category(), acInvalidSharedDLLs);
  EXPECT_TRUE(editor.Items().empty());
  ASSERT_TRUE(editor.Add("\\D\\").Ok());
  editor.SelectCategory(0);
  EXPECT_EQ(editor.Items(), (Strings{"\\Software\\Wine\\", "\\System\\", "\\P\\"}));
  EXPECT_EQ(sets[acInvalidSharedDLLs].Items, Strings{"\\D\\"});
  EXPECT_THROW(editor.SelectCategory(6), std::out_of_range);
}

TEST_P(ExclusionListsTest, NextStoresOnlyUserEntriesAndCaseDuplicatesBecomeOne) {
  AddString(StoredPath("Excluded_exts_entries"), "\\Hidden\\", "0");
  lists.Load(kWelcomeCategories, &stored);
  // The editor refuses \x\ beside \X\, but the list keeps whatever it is given.
  sets[acInvalidPaths].Items.push_back("\\X\\");
  sets[acInvalidPaths].Items.push_back("\\x\\");
  editor.Enter();
  ASSERT_TRUE(editor.Add("\\Y\\").Ok());
  editor.SelectCategory(1);
  editor.Save(stored);

  EXPECT_TRUE(StringIs(StoredPath("Excluded_paths_entries"), "\\X\\", "1"));
  EXPECT_TRUE(ValueAbsent(StoredPath("Excluded_paths_entries"), "\\Software\\Wine\\"));
  EXPECT_TRUE(KeyAbsent(StoredPath("Excluded_fonts_entries")));
  EXPECT_TRUE(KeyPresent(StoredPath("Excluded_exts_entries"))) << "hidden lists are left alone";

  std::array<TAnalyzSet, kCategoryCount> again;
  TExclusionLists reloaded(again, data.path());
  reloaded.Load(kWelcomeCategories, &stored);
  EXPECT_EQ(reloaded.UserEntries(acInvalidPaths), (Strings{"\\X\\", "\\Y\\"}));
}

TEST_P(ExclusionListsTest, LookingAtTheListsOfAPrefixInUseIsNoError) {
  lists.Load(kWelcomeCategories, &stored);
  store.refuseWrites("Wine is running in this prefix.");
  editor.Enter();
  editor.SelectCategory(2);
  editor.SelectCategory(0);
  EXPECT_FALSE(editor.Changed());
  EXPECT_NO_THROW(editor.Save(stored));

  ASSERT_TRUE(editor.Add("\\New\\").Ok());
  EXPECT_THROW(editor.Save(stored), ERegistryException);
  EXPECT_TRUE(editor.Changed()) << "a refused save is tried again at the next Next";
}

TEST_P(ExclusionListsTest, RestoredDefaultsLeaveNoStoredListAfterNext) {
  AddString(StoredPath("Excluded_paths_entries"), "\\Mine\\", "0");
  lists.Load(kWelcomeCategories, &stored);
  editor.Enter();
  WriteFile(lists.DefaultsFile(acInvalidPaths), "\\Only\\\n");
  editor.RestoreDefaults();
  EXPECT_EQ(editor.Items(), Strings{"\\Only\\"});
  EXPECT_EQ(editor.DefaultCount(), 1) << "the count follows the file as read again";
  editor.Save(stored);
  EXPECT_TRUE(KeyAbsent(StoredPath("Excluded_paths_entries")));

  fs::remove(lists.DefaultsFile(acInvalidPaths));
  ASSERT_TRUE(editor.Add("\\Kept\\").Ok());
  EXPECT_THROW(editor.RestoreDefaults(), EMissingDefaultsFile);
  EXPECT_EQ(sets[acInvalidPaths].Items, (Strings{"\\Only\\", "\\Kept\\"}));
}

TEST_P(ExclusionListsTest, AFindingAddedFromTheResultsIsStoredAtOnce) {
  AddString(StoredPath("Excluded_paths_entries"), "\\Earlier\\", "0");
  lists.Load(kWelcomeCategories, &stored);
  const std::string text = TExclusionLists::FindingText(acInvalidPaths, "Software\\App", "Dir");
  EXPECT_TRUE(lists.AddUserEntry(acInvalidPaths, text, &stored));
  EXPECT_TRUE(StringIs(StoredPath("Excluded_paths_entries"), "\\Software\\App\\Dir\\", "1"));
  EXPECT_EQ(sets[acInvalidPaths].Items.back(), "\\Software\\App\\Dir\\");

  EXPECT_EQ(lists.CoveringEntry(acInvalidPaths, "\\Software\\Wine\\Drives\\"), 0);
  EXPECT_FALSE(lists.AddUserEntry(acInvalidPaths, "\\Software\\Wine\\Drives\\", &stored));

  store.refuseWrites("Wine is running in this prefix.");
  EXPECT_THROW(lists.AddUserEntry(acInvalidPaths, "\\Elsewhere\\", &stored), ERegistryException);
  EXPECT_EQ(sets[acInvalidPaths].Items.back(), "\\Software\\App\\Dir\\")
      << "a refused store leaves the list as the settings have it";
}

HW_INSTANTIATE_OVER_STORES(ExclusionListsTest);

}  // namespace
}  // namespace hw
