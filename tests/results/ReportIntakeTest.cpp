#include "results/ReportIntake.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "platform/Text.h"
#include "results/CategoryTable.h"
#include "scan/AnalyzClass.h"
#include "tests/results/ResultsFakes.h"
#include "tests/support/FakeFileSystem.h"
#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

using Texts = std::vector<std::string>;

// The engine's events wired to a results table; reports are either filled in
// by hand and fired, or come from a real scan of the sandbox registry.
class ReportIntakeTest : public test::RegistryFixture {
 protected:
  ReportIntakeTest() {
    files.SetDrive('C', DRIVE_FIXED);
    ConnectReportEvents(engine, table, texts);
  }

  // A writable report of a missing path in a value's data.
  void FillReport() {
    engine.RootName = "HKEY_LOCAL_MACHINE";
    engine.KeyPath = "Software\\Vendor\\Tool";
    engine.ValueName = "Path";
    engine.Data = "C:\\Old\\tool.exe /q";
    engine.BadPath = "C:\\Old\\tool.exe";
    engine.Flags = {etInvalidData};
    engine.PathCount = 1;
    engine.KeyWritable = true;
  }

  void Fire(TAnalyzCategory category) {
    const TNotifyEvent* events[kCategoryCount] = {
        &engine.OnInvalidPath,       &engine.OnEmptyKey,       &engine.OnInvalidFont,
        &engine.OnObsoleteStartMenu, &engine.OnInvalidAppPath, &engine.OnInvalidHelpFile,
        &engine.OnInvalidSharedDLL,  &engine.OnInvalidExt};
    (*events[category])(engine);
  }

  TEntries& EntriesOf(int category) { return *table[category].Entries; }

  test::FakeFileSystem files;
  platform::EventPump pump;
  TAnalyzClass engine{api, files, pump};
  CategoryTable table{engine.ExclusionSets};
  test::FakeTextSource texts;
};

TEST_P(ReportIntakeTest, WritableReportBecomesAPickedEntryChoosingRepair) {
  FillReport();
  Fire(acInvalidPaths);
  ASSERT_EQ(EntriesOf(acInvalidPaths).Count(), 1);
  const TEntry& entry = EntriesOf(acInvalidPaths)[0];
  EXPECT_EQ(entry.KeyText, "[HKEY_LOCAL_MACHINE] Software\\Vendor\\Tool");
  EXPECT_EQ(entry.ValueName, "Path");
  EXPECT_EQ(entry.Data, "C:\\Old\\tool.exe /q");
  EXPECT_EQ(entry.BadPath, "C:\\Old\\tool.exe");
  EXPECT_EQ(entry.Flags, TEntryTypes{etInvalidData});
  EXPECT_EQ(entry.Category, acInvalidPaths);
  EXPECT_EQ(entry.PathCount, 1);
  EXPECT_EQ(entry.Choices, (Texts{"I21", "I8"}));
  EXPECT_EQ(entry.Choice(), 1);
  EXPECT_EQ(entry.ChoiceText(), "I8");
  EXPECT_TRUE(entry.Picked());
  EXPECT_EQ(EntriesOf(acInvalidPaths).PickedCount(), 1);

  // A second report of the same value is a second entry.
  engine.Flags = {etInvalidName};
  Fire(acInvalidPaths);
  EXPECT_EQ(EntriesOf(acInvalidPaths).Count(), 2);
}

TEST_P(ReportIntakeTest, ReadOnlyReportOffersOnlyToLeaveIt) {
  FillReport();
  engine.KeyWritable = false;
  Fire(acInvalidSharedDLLs);
  ASSERT_EQ(EntriesOf(acInvalidSharedDLLs).Count(), 1);
  const TEntry& entry = EntriesOf(acInvalidSharedDLLs)[0];
  EXPECT_FALSE(entry.KeyWritable);
  EXPECT_EQ(entry.Choices, Texts{"I72"});
  EXPECT_EQ(entry.Choice(), 0);
  EXPECT_FALSE(entry.Picked());
  EXPECT_EQ(EntriesOf(acInvalidSharedDLLs).PickedCount(), 0);
}

TEST_P(ReportIntakeTest, EachCategoryHasItsRepairTextAndSkipRule) {
  struct Case {
    TAnalyzCategory category;
    const char* repairText;
    bool keptWithoutKinds;
  };
  for (const Case& c : {Case{acInvalidPaths, "I8", true}, Case{acEmptyKeys, "I25", true},
                        Case{acInvalidFonts, "I8", false}, Case{acObsoleteStartMenu, "I38", false},
                        Case{acInvalidAppPaths, "I8", true}, Case{acInvalidHelpFiles, "I8", true},
                        Case{acInvalidSharedDLLs, "I8", true}, Case{acInvalidExts, "I8", false}}) {
    SCOPED_TRACE(int{c.category});
    FillReport();
    engine.Flags = {};
    Fire(c.category);
    EXPECT_EQ(EntriesOf(c.category).Count(), c.keptWithoutKinds ? 1 : 0);

    engine.Flags = {etObsoleteMenuKey};
    Fire(c.category);
    TEntries& entries = EntriesOf(c.category);
    ASSERT_EQ(entries.Count(), c.keptWithoutKinds ? 2 : 1);
    EXPECT_EQ(entries[entries.Count() - 1].Choices, (Texts{"I21", c.repairText}));
  }
  EXPECT_EQ(table.CountTotal(), 13);
}

TEST_P(ReportIntakeTest, EmptyKeyEntriesCarryNoDataOrKinds) {
  FillReport();
  Fire(acEmptyKeys);
  const TEntry& entry = EntriesOf(acEmptyKeys)[0];
  EXPECT_EQ(entry.Data, "");
  EXPECT_EQ(entry.BadPath, "");
  EXPECT_TRUE(entry.Flags.Empty());
  EXPECT_EQ(entry.ValueName, "Path") << "the rest is copied as for every category";
}

TEST_P(ReportIntakeTest, LongTextsAreCutWithoutSplittingACharacter) {
  FillReport();
  // "[HKEY_LOCAL_MACHINE] " is 21 characters; the key path's three-byte
  // characters straddle the 255th.
  engine.KeyPath.clear();
  for (int i = 0; i < 300; ++i) engine.KeyPath += "\xE2\x82\xAC";  // €
  engine.ValueName = "x" + engine.KeyPath;
  Fire(acInvalidPaths);
  const TEntry& entry = EntriesOf(acInvalidPaths)[0];
  EXPECT_EQ(entry.KeyText.size(), 21 + 234 * 3u);
  EXPECT_EQ(entry.KeyText.substr(entry.KeyText.size() - 3), "\xE2\x82\xAC");
  EXPECT_EQ(entry.ValueName.size(), 1 + 254 * 3u);
  EXPECT_EQ(platform::cutToChars(entry.ValueName, 1000), entry.ValueName);

  // The cut texts no longer name the key and value: a repair would reach a
  // shorter path, so the entry is only shown.
  EXPECT_FALSE(entry.KeyWritable);
  EXPECT_EQ(entry.Choices, Texts{"I72"});
  EXPECT_FALSE(entry.Picked());

  // Exactly 255 characters need no cut.
  engine.KeyPath = std::string(255 - 21, 'k');
  engine.ValueName = std::string(255, 'v');
  Fire(acInvalidPaths);
  EXPECT_TRUE(EntriesOf(acInvalidPaths)[1].KeyWritable);
}

TEST_P(ReportIntakeTest, ShownCategoryGetsItsRowAtOnce) {
  test::FakeEntriesView view;
  view.shown = acInvalidHelpFiles;
  table.SetView(&view);
  FillReport();
  Fire(acInvalidHelpFiles);
  Fire(acInvalidPaths);
  engine.KeyWritable = false;
  Fire(acInvalidHelpFiles);

  ASSERT_EQ(view.rows.size(), 2u) << "rows only for the shown category";
  EXPECT_EQ(view.rows[0].entry, &EntriesOf(acInvalidHelpFiles)[0]);
  EXPECT_TRUE(view.rows[0].checked);
  EXPECT_FALSE(view.rows[1].checked) << "a read-only entry's row starts unchecked";
  EXPECT_NE(EntriesOf(acInvalidHelpFiles)[1].BoxItem, nullptr);
  EXPECT_EQ(EntriesOf(acInvalidPaths)[0].BoxItem, nullptr);
  EXPECT_EQ(view.refreshes, 3) << "every report refreshes the counts";
}

TEST_P(ReportIntakeTest, ScanOfEmptyKeysFillsTheList) {
  AddKey("Software\\Stale");
  AddKey("Software\\Locked");
  store.setAccess(HKEY_CURRENT_USER, "Software\\Locked", platform::KeyAccess::ReadOnly);
  AddString("Software\\Kept", "v", "1");
  engine.Categories = {acEmptyKeys};
  engine.Stop = false;
  engine.Analyze();

  std::vector<std::string> picked, unpicked;
  for (const auto& entry : EntriesOf(acEmptyKeys).List()) {
    if (entry->KeyText.rfind("[HKEY_CURRENT_USER]", 0) != 0) continue;
    (entry->Picked() ? picked : unpicked).push_back(entry->KeyText);
    EXPECT_EQ(entry->Choices.size(), entry->KeyWritable ? 2u : 1u);
  }
  EXPECT_EQ(picked, Texts{"[HKEY_CURRENT_USER] Software\\Stale"});
  EXPECT_EQ(unpicked, Texts{"[HKEY_CURRENT_USER] Software\\Locked"});
  EXPECT_TRUE(EntriesOf(acInvalidPaths).List().empty());
}

HW_INSTANTIATE_OVER_STORES(ReportIntakeTest);

}  // namespace
}  // namespace hw
