#include "repair/RepairRun.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/RegExport.h"
#include "results/CategoryTable.h"
#include "tests/results/ResultsFakes.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/TextFiles.h"

namespace hw {
namespace {

namespace fs = std::filesystem;

class RepairRunTest : public test::RegistryFixture {
 protected:
  RepairRunTest() { table.SetView(&view); }

  // A picked entry below HKEY_CURRENT_USER with the given choice.
  TEntry& Add(TAnalyzCategory category, const std::string& path, const std::string& value,
              int choice = 1, TEntryTypes flags = {etInvalidData}) {
    TEntries& list = *table[category].Entries;
    TEntry& entry = list.AddEntry();
    entry.Category = category;
    entry.KeyText = "[HKEY_CURRENT_USER] " + path;
    entry.ValueName = value;
    entry.Flags = flags;
    entry.Choices = {"leave", "repair", "C:\\found.exe"};
    entry.SetChoice(choice);
    list.SetPicked(&entry, true);
    view.AddEntryRow(entry, true);
    return entry;
  }
  TBackupSettings Backup() const { return {true, dir.path() / "b.reg", true}; }

  std::array<TAnalyzSet, kCategoryCount> exclusions;
  CategoryTable table{exclusions};
  test::FakeEntriesView view;
  platform::EventPump pump;
  test::RecordedMessages messages;
  TRepairRun run{api, table, pump, messages};
  test::TempDir dir;
};

TEST_P(RepairRunTest, NothingPickedChangesNothing) {
  AddString("Software\\A", "v", "x");
  Add(acInvalidPaths, "Software\\A", "v");
  table[acInvalidPaths].Entries->SetAllPicked(false);
  EXPECT_EQ(run.RepairAll(Backup()), 0);
  EXPECT_FALSE(run.RepairRan());
  EXPECT_FALSE(fs::exists(dir.path() / "b.reg"));
  EXPECT_TRUE(StringIs("Software\\A", "v", "x"));
}

TEST_P(RepairRunTest, RepairsByCategoryAndChoiceAndLeavesTheRestListed) {
  AddString("Software\\Ext", "e", "x");
  AddString("Software\\A", "left", "x");
  AddString("Software\\A", "gone", "x");
  AddString("Software\\A", "moved", "C:\\old.exe");
  AddKey("Software\\Empty");
  AddString("Software\\App Paths\\a.exe", "", "C:\\a.exe");
  Add(acInvalidExts, "Software\\Ext", "e");
  Add(acInvalidAppPaths, "Software\\App Paths\\a.exe", "", 1, {etAppPathMissing});
  Add(acEmptyKeys, "Software\\Empty", "");
  Add(acInvalidPaths, "Software\\A", "left", 0);
  Add(acInvalidPaths, "Software\\A", "gone");
  Add(acInvalidPaths, "Software\\A", "moved", 2);
  Add(acInvalidPaths, "Software\\Missing", "v");  // does not open: counted, removed

  EXPECT_EQ(run.RepairAll(Backup()), 5);
  EXPECT_TRUE(run.RepairRan());
  EXPECT_TRUE(StringIs("Software\\Ext", "e", "x"));
  EXPECT_TRUE(StringIs("Software\\A", "left", "x"));
  EXPECT_TRUE(ValueAbsent("Software\\A", "gone"));
  EXPECT_TRUE(StringIs("Software\\A", "moved", "C:\\found.exe"));
  EXPECT_TRUE(KeyAbsent("Software\\Empty"));
  EXPECT_TRUE(KeyAbsent("Software\\App Paths\\a.exe"));

  // The choice-0 entry and the file-type entry stay listed and picked.
  EXPECT_EQ(table.CountTotal(), 2);
  EXPECT_EQ(table.PickedTotal(), 2);
  EXPECT_EQ(view.rows.size(), 2u);
  EXPECT_EQ(view.removed.size(), 5u);

  // Run order: categories 0 to 7, list order within; newest block first.
  const std::string text = test::ReadTextFile(dir.path() / "b.reg");
  const std::size_t app = text.find("App Paths\\a.exe]");
  const std::size_t empty = text.find("Software\\Empty]");
  const std::size_t moved = text.find("\"moved\"=\"C:\\\\old.exe\"");
  const std::size_t gone = text.find("\"gone\"=\"x\"");
  ASSERT_NE(gone, std::string::npos);
  EXPECT_TRUE(app < empty && empty < moved && moved < gone) << text;
  EXPECT_EQ(text.find("Software\\Ext"), std::string::npos);
}

TEST_P(RepairRunTest, AnEntryTheBackupCannotHoldStaysAndTheRunGoesOn) {
  AddString("Software\\Ωmega", "v", "x");
  AddString("Software\\A", "v", "x");
  Add(acInvalidPaths, "Software\\Ωmega", "v");
  Add(acInvalidPaths, "Software\\A", "v");
  EXPECT_EQ(run.RepairAll(Backup()), 1);
  EXPECT_TRUE(StringIs("Software\\Ωmega", "v", "x"));
  EXPECT_TRUE(KeyAbsent("Software\\A"));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_NE(messages.shown[0].find("Ωmega"), std::string::npos);
  EXPECT_EQ(test::ReadTextFile(dir.path() / "b.reg").find("mega"), std::string::npos);
  EXPECT_EQ(table.CountTotal(), 1);
}

TEST_P(RepairRunTest, NoBackupPlaceMeansNoChange) {
  AddString("Software\\A", "v", "x");
  Add(acInvalidPaths, "Software\\A", "v");
  test::WriteTextFile(dir.path() / "file", "x");
  // Below a plain file, and a folder named as the backup.
  for (const auto& place : {dir.path() / "file" / "b.reg", dir.path()}) {
    messages.shown.clear();
    EXPECT_THROW(run.RepairAll({true, place, true}), EBackupNotWritten) << place;
    EXPECT_TRUE(StringIs("Software\\A", "v", "x"));
    EXPECT_EQ(table.CountTotal(), 1);
    EXPECT_EQ(messages.shown.size(), 1u);
  }
}

HW_INSTANTIATE_OVER_STORES(RepairRunTest);

}  // namespace
}  // namespace hw
