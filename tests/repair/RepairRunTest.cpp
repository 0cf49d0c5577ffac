#include "repair/RepairRun.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/FileIo.h"
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
  Add(acInvalidPaths, "Software\\Missing", "v");  // gone: leaves the list, not counted

  EXPECT_EQ(run.RepairAll(Backup()), 4);
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
  EXPECT_TRUE(messages.shown.empty());

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

TEST_P(RepairRunTest, AKeyThatCannotBeWrittenIsNotCountedAndStaysListedWithTheReason) {
  AddString("Software\\Locked", "v", "x");
  AddString("Software\\Locked", "w", "x");
  AddString("Software\\A", "v", "x");
  ASSERT_TRUE(
      store.setAccess(HKEY_CURRENT_USER, "Software\\Locked", platform::KeyAccess::ReadOnly));
  Add(acInvalidPaths, "Software\\Locked", "v");
  Add(acInvalidPaths, "Software\\Locked", "w", 2);
  Add(acInvalidPaths, "Software\\A", "v");
  for (bool backupOn : {true, false}) {
    SCOPED_TRACE(backupOn);
    messages.shown.clear();
    TBackupSettings backup = Backup();
    backup.On = backupOn;
    // The count is what was changed: the value of A alone.
    EXPECT_EQ(run.RepairAll(backup), backupOn ? 1 : 0);
    EXPECT_TRUE(StringIs("Software\\Locked", "v", "x"));
    EXPECT_TRUE(StringIs("Software\\Locked", "w", "x"));
    EXPECT_TRUE(KeyAbsent("Software\\A"));
    EXPECT_EQ(table.CountTotal(), 2);
    EXPECT_EQ(table.PickedTotal(), 2);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("2 entries were left"), std::string::npos)
        << messages.shown[0];
    EXPECT_NE(messages.shown[0].find("Software\\Locked (w): it cannot be changed (access denied)"),
              std::string::npos)
        << messages.shown[0];
  }
  // Nothing of the locked key went into the backup: it was not changed.
  EXPECT_EQ(test::ReadTextFile(dir.path() / "b.reg").find("Locked"), std::string::npos);
}

// Forwards every call, and at the first change of the registry copies the
// backup file as it is then: where the registry changes live, that is all a
// run stopped at that moment leaves.
class FirstChangeWatch final : public platform::RegistryApi {
 public:
  FirstChangeWatch(platform::RegistryApi& inner, fs::path backup)
      : inner_(inner), backup_(std::move(backup)) {}
  std::optional<std::string> atFirstChange;

  LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override {
    return inner_.RegOpenKeyExA(key, subKey, access, result);
  }
  LSTATUS RegOpenLinkKeyA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override {
    return inner_.RegOpenLinkKeyA(key, subKey, access, result);
  }
  LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                          DWORD* disposition) override {
    Changing();
    return inner_.RegCreateKeyExA(key, subKey, access, result, disposition);
  }
  LSTATUS RegCloseKey(HKEY key) override { return inner_.RegCloseKey(key); }
  LSTATUS RegQueryInfoKeyA(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                           DWORD* maxValueNameLen, DWORD* maxValueLen,
                           FILETIME* lastWriteTime) override {
    return inner_.RegQueryInfoKeyA(key, subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueLen,
                                   lastWriteTime);
  }
  LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLen) override {
    return inner_.RegEnumKeyExA(key, index, name, nameLen);
  }
  LSTATUS RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLen) override {
    return inner_.RegEnumValueA(key, index, name, nameLen);
  }
  LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                           DWORD* size) override {
    return inner_.RegQueryValueExA(key, valueName, type, data, size);
  }
  LSTATUS RegQueryStoredValueA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                               DWORD* size) override {
    return inner_.RegQueryStoredValueA(key, valueName, type, data, size);
  }
  LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                         DWORD size) override {
    Changing();
    return inner_.RegSetValueExA(key, valueName, type, data, size);
  }
  LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) override {
    Changing();
    return inner_.RegDeleteKeyA(key, subKey);
  }
  LSTATUS RegDeleteValueA(HKEY key, const char* valueName) override {
    Changing();
    return inner_.RegDeleteValueA(key, valueName);
  }

 private:
  void Changing() {
    if (atFirstChange) return;
    std::string text;
    platform::ReadWholeFile(backup_, text);
    atFirstChange = text;
  }
  platform::RegistryApi& inner_;
  fs::path backup_;
};

TEST_P(RepairRunTest, TheWholeBackupIsOnDiskBeforeTheFirstChange) {
  AddString("Software\\A", "gone", "x");
  AddString("Software\\A", "moved", "C:\\old.exe");
  AddString("Software\\B\\Sub", "v", "y");
  AddKey("Software\\Empty");
  Add(acInvalidPaths, "Software\\A", "gone");
  Add(acInvalidPaths, "Software\\A", "moved", 2);
  Add(acInvalidAppPaths, "Software\\B", "", 1, {etAppPathMissing});
  Add(acEmptyKeys, "Software\\Empty", "");
  FirstChangeWatch watch(api, Backup().File);
  TRepairRun watched{watch, table, pump, messages};
  EXPECT_EQ(watched.RepairAll(Backup()), 4);
  ASSERT_TRUE(watch.atFirstChange.has_value());
  const std::string whole = test::ReadTextFile(Backup().File);
  EXPECT_NE(whole.find("\"v\"=\"y\""), std::string::npos) << whole;
  EXPECT_EQ(*watch.atFirstChange, whole);
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
