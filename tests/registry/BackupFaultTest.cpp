// The backup writer under disk faults: a commit that fails says which file
// and why, and leaves the backup that was there as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/FileIo.h"
#include "registry/RegExport.h"
#include "tests/support/FileFaults.h"
#include "tests/support/RecordedMessages.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextFiles.h"

namespace hw {
namespace {

namespace fs = std::filesystem;

TEST(BackupFaultTest, AFailedCommitKeepsTheOldBackup) {
  test::TempDir dir;
  const fs::path file = dir.path() / "undo.reg";
  const TRegBlockFormat format(nullptr);
  test::RecordedMessages messages;
  {
    TRegBackup first(file, true, format, messages);
    first.Add(format.Entry("HKEY_CURRENT_USER", "Software\\Old", "Path", "C:\\old.exe", dkString));
    ASSERT_TRUE(first.Commit());
  }
  std::vector<test::DiskFault> faults = test::WriteFaults();
  // The blocks it holds are read first, to keep them behind the new ones.
  faults.push_back({"read error halfway", platform::FileStep::Read, EIO, 20});
  for (const test::DiskFault& fault : faults) {
    test::ExpectCleanFailure(dir.path(), "undo.reg", fault, [&] {
      messages.shown.clear();
      TRegBackup backup(file, false, format, messages);
      backup.Add(
          format.Entry("HKEY_CURRENT_USER", "Software\\New", "Path", "C:\\new.exe", dkString));
      try {
        if (backup.Commit()) return std::string();
      } catch (const platform::FileError& error) {
        return std::string(error.what());
      }
      return messages.shown.empty() ? std::string("no message") : messages.shown.back();
    });
  }
}

}  // namespace
}  // namespace hw
