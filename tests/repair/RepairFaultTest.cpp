// A repair run whose backup cannot be written, whatever the disk fault: it
// ends in EBackupNotWritten before its first change, with the file and the
// reason shown.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "registry/RegExport.h"
#include "repair/RepairRun.h"
#include "results/CategoryTable.h"
#include "tests/support/FileFaults.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/TempDir.h"

namespace hw {
namespace {

class RepairFaultTest : public test::RegistryFixture {};

TEST_P(RepairFaultTest, ABackupThatCannotBeWrittenEndsTheRunBeforeAnyChange) {
  test::TempDir dir;
  for (const test::DiskFault& fault : test::WriteFaults()) {
    SCOPED_TRACE(fault.name);
    AddString("Software\\A", "gone", "C:\\missing.exe");
    std::array<TAnalyzSet, kCategoryCount> exclusions;
    CategoryTable table{exclusions};
    TEntries& list = *table[acInvalidPaths].Entries;
    TEntry& entry = list.AddEntry();
    entry.Category = acInvalidPaths;
    entry.KeyText = "[HKEY_CURRENT_USER] Software\\A";
    entry.ValueName = "gone";
    entry.Choices = {"leave", "repair"};
    entry.SetChoice(1);
    list.SetPicked(&entry, true);
    platform::EventPump pump;
    test::RecordedMessages messages;
    TRepairRun run{api, table, pump, messages};

    test::ScopedFault scoped({.step = fault.step, .error = fault.error, .fileName = "b.reg"});
    try {
      run.RepairAll({true, dir.path() / "b.reg", true});
      ADD_FAILURE() << "no EBackupNotWritten";
    } catch (const EBackupNotWritten& error) {
      EXPECT_NE(std::string(error.what()).find("nothing was changed"), std::string::npos);
    }
    EXPECT_GT(scoped.struck(), 0);
    // Nothing is changed before the backup is on disk.
    EXPECT_TRUE(StringIs("Software\\A", "gone", "C:\\missing.exe"));
    EXPECT_EQ(table.CountTotal(), 1);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_NE(messages.shown.back().find("b.reg"), std::string::npos) << messages.shown.back();
    EXPECT_NE(messages.shown.back().find(std::strerror(fault.error)), std::string::npos)
        << messages.shown.back();
  }
}

HW_INSTANTIATE_OVER_STORES(RepairFaultTest);

}  // namespace
}  // namespace hw
