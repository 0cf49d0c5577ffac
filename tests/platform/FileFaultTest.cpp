// Disk faults under the file layer and the prefix store: a write that fails
// leaves every file as it was, and says which file failed and why.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/FileIo.h"
#include "platform/FileIoFaults.h"
#include "platform/StoreError.h"
#include "platform/wine/WinePrefixStore.h"
#include "tests/support/FileFaults.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextFiles.h"

namespace hw::platform {
namespace {

namespace fs = std::filesystem;

template <typename Action>
std::string FailureOf(Action action) {
  try {
    action();
  } catch (const FileError& error) {
    return error.what();
  }
  return {};
}

TEST(FileFaultTest, AnAtomicWriteThatFailsKeepsTheOldFile) {
  test::TempDir dir;
  const fs::path file = dir.path() / "report.txt";
  WriteFileAtomically(file, "old text");
  for (const test::DiskFault& fault : test::WriteFaults())
    test::ExpectCleanFailure(dir.path(), "report.txt", fault, [&] {
      return FailureOf([&] { WriteFileAtomically(file, std::string(50000, 'n')); });
    });
  // A file that did not exist is not left half made either.
  for (const test::DiskFault& fault : test::WriteFaults())
    test::ExpectCleanFailure(dir.path(), "new.txt", fault, [&] {
      return FailureOf([&] { WriteFileAtomically(dir.path() / "new.txt", "text"); });
    });
}

TEST(FileFaultTest, AReadErrorHalfwayReadsNothing) {
  test::TempDir dir;
  const fs::path file = dir.path() / "big.txt";
  test::WriteTextFile(file, std::string(100000, 'r'));
  test::ScopedFault fault(
      {.step = FileStep::Read, .error = EIO, .fileName = "big.txt", .afterBytes = 40000});
  std::string text;
  struct stat st {};
  const std::string message = FailureOf([&] { ReadWholeFile(file, text, st); });
  EXPECT_EQ(fault.struck(), 1);
  EXPECT_NE(message.find(file.string() + ": cannot be read: " + std::strerror(EIO)),
            std::string::npos)
      << message;
}

class PrefixFaultTest : public ::testing::Test {
 protected:
  PrefixFaultTest() {
    fs::create_directory(prefix_);
    test::WriteTextFile(
        prefix_ / "system.reg",
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n"
        "\n[Software\\\\Vendor] 1700000000\n\"Path\"=\"C:\\\\old.exe\"\n");
    test::WriteTextFile(prefix_ / "user.reg",
                        "WINE REGISTRY Version 2\n;; All keys relative to "
                        "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n"
                        "\n[Software\\\\Tool] 1700000000\n\"Recent\"=\"C:\\\\a.txt\"\n");
  }

  // Changes a key of each hive, so that a save replaces both files.
  std::unique_ptr<WinePrefixStore> OpenChanged() {
    auto store = WinePrefixStore::open(prefix_);
    store->setValue(*store->resolve(store->predefinedKey(HKEY_LOCAL_MACHINE), "Software\\Vendor"),
                    "Path", REG_SZ, std::string("n\0e\0w\0\0\0", 8));
    store->setValue(*store->resolve(store->predefinedKey(HKEY_CURRENT_USER), "Software\\Tool"),
                    "Recent", REG_SZ, std::string("x\0\0\0", 4));
    return store;
  }

  test::TempDir dir_;
  fs::path prefix_ = dir_.path() / "pfx";
};

// Either hive failing, at any step, leaves both files as they were, also when
// the other hive was already in place, and a later save still succeeds.
TEST_F(PrefixFaultTest, ASaveThatFailsLeavesBothHivesAsTheyWere) {
  for (const char* hive : {"system.reg", "user.reg"}) {
    for (const test::DiskFault& fault : test::WriteFaults()) {
      auto store = OpenChanged();
      test::ExpectCleanFailure(prefix_, hive, fault,
                               [&] { return FailureOf([&] { store->save(); }); });
      EXPECT_TRUE(store->hasUnsavedChanges());
      EXPECT_NO_THROW(store->save()) << fault.name << " on " << hive;
      EXPECT_NE(test::ReadTextFile(prefix_ / "user.reg").find("\"Recent\"=\"x\""),
                std::string::npos);
    }
  }
}

// A new prefix whose second file fails keeps none of the three.
TEST_F(PrefixFaultTest, ANewPrefixIsWrittenWholeOrNotAtAll) {
  const fs::path fresh = dir_.path() / "fresh";
  fs::create_directory(fresh);
  for (const test::DiskFault& fault : test::WriteFaults())
    test::ExpectCleanFailure(fresh, "user.reg", fault, [&] {
      return FailureOf([&] { WinePrefixStore::createEmpty(fresh)->save(); });
    });
}

TEST_F(PrefixFaultTest, AHiveThatCannotBeReadIsNamedWithTheReason) {
  for (const FaultPlan& plan :
       {FaultPlan{.step = FileStep::Open, .error = EACCES, .fileName = "user.reg"},
        FaultPlan{
            .step = FileStep::Read, .error = EIO, .fileName = "system.reg", .afterBytes = 30}}) {
    test::ScopedFault fault(plan);
    std::string message;
    try {
      WinePrefixStore::open(prefix_);
    } catch (const FileError& error) {
      message = error.what();
    }
    EXPECT_EQ(fault.struck(), 1);
    EXPECT_NE(message.find((prefix_ / plan.fileName).string() +
                           ": cannot be read: " + std::strerror(plan.error)),
              std::string::npos)
        << message;
  }
}

}  // namespace
}  // namespace hw::platform
