#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/FileIoFaults.h"
#include "tests/support/FileFaults.h"
#include "tests/support/TempDir.h"

namespace hw::platform {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
  std::string text;
  EXPECT_TRUE(ReadWholeFile(file, text)) << file;
  return text;
}

TEST(FileIoTest, AtomicWriteReplacesWholeAndKeepsPermissions) {
  test::TempDir dir;
  const fs::path file = dir.path() / "report.txt";
  WriteFileAtomically(file, "first");
  EXPECT_EQ(Read(file), "first");

#ifndef _WIN32
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  WriteFileAtomically(file, std::string(100000, 'x'));
  EXPECT_EQ(Read(file).size(), 100000u);
#ifndef _WIN32
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
      << "no temporary file is left beside it";
}

TEST(FileIoTest, FailuresNameTheFileAndChangeNothing) {
  test::TempDir dir;
  std::string text;
  EXPECT_FALSE(ReadWholeFile(dir.path() / "absent", text));
  try {
    ReadWholeFile(dir.path(), text);
    ADD_FAILURE() << "a folder was read as a file";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("not a regular file"), std::string::npos);
  }
  const fs::path nowhere = dir.path() / "missing-folder" / "out.txt";
  try {
    WriteFileAtomically(nowhere, "text");
    ADD_FAILURE() << "wrote into a folder that does not exist";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find(nowhere.string()), std::string::npos);
  }
}

#ifndef _WIN32
std::size_t FileCount(const fs::path& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Where hard links are refused (vfat, exFAT, some FUSE mounts) a new file
// still goes in place, and never over a file that appeared meanwhile: by the
// rename that refuses an existing target, else by a copy into a file created
// exclusively.
TEST(FileIoTest, WithoutHardLinksANewFileStillNeverReplacesOne) {
  struct Lacking {
    const char* name;
    std::vector<FileStep> steps;
    int error;
  };
  for (const Lacking& lacking :
       {Lacking{"no hard links", {FileStep::Link}, EPERM},
        Lacking{
            "no exclusive rename either", {FileStep::Link, FileStep::RenameNoReplace}, EINVAL}}) {
    SCOPED_TRACE(lacking.name);
    test::TempDir dir;
    const fs::path file = dir.path() / "backup.reg";
    test::ScopedFault scoped({.fileName = "backup.reg",
                              .unsupported = lacking.steps,
                              .unsupportedError = lacking.error});
    WriteFileAtomically(file, std::string(200000, 'x'));
    EXPECT_EQ(Read(file), std::string(200000, 'x'));
    EXPECT_EQ(FileCount(dir.path()), 1u) << "no temporary file is left beside it";

    const fs::path temp = WriteTemporaryBeside(file, "second", false);
    EXPECT_THROW(MoveIntoPlace(temp, file, false), FileError);
    EXPECT_EQ(Read(file), std::string(200000, 'x'));
    fs::remove(temp);
  }
}

// A copy that fails half-way takes its half file away again.
TEST(FileIoTest, WithoutHardLinksAFailedCopyLeavesNothing) {
  for (auto [step, error] : {std::pair{FileStep::Write, ENOSPC}, std::pair{FileStep::Sync, EIO}}) {
    test::TempDir dir;
    const fs::path file = dir.path() / "backup.reg";
    // The temporary file's own write and flush come first.
    test::ScopedFault scoped({.step = step,
                              .error = error,
                              .fileName = "backup.reg",
                              .skip = 1,
                              .unsupported = {FileStep::Link, FileStep::RenameNoReplace},
                              .unsupportedError = EINVAL});
    try {
      WriteFileAtomically(file, "text");
      ADD_FAILURE() << "a failed copy was reported as written";
    } catch (const FileError& failure) {
      EXPECT_NE(std::string(failure.what()).find(std::strerror(error)), std::string::npos);
    }
    EXPECT_EQ(scoped.struck(), 1);
    EXPECT_EQ(FileCount(dir.path()), 0u);
  }
}

// A real vfat folder, mounted through FUSE from an image made here, where the
// machine allows it (mkfs.vfat from dosfstools, fusefat, /dev/fuse).
class FatFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = dir_.path() / "fat.img";
    mount_ = dir_.path() / "mnt";
    fs::create_directory(mount_);
    const std::string make = "truncate -s 4M '" + image_.string() + "' && mkfs.vfat '" +
                             image_.string() + "' >/dev/null 2>&1 && fusefat -o rw+ '" +
                             image_.string() + "' '" + mount_.string() + "' >/dev/null 2>&1";
    if (!fs::exists("/dev/fuse") || std::system(make.c_str()) != 0)
      GTEST_SKIP() << "no vfat folder can be mounted here (needs mkfs.vfat, fusefat and /dev/fuse)";
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) std::system(("fusermount -u '" + mount_.string() + "'").c_str());
  }

  test::TempDir dir_;
  fs::path image_, mount_;
  bool mounted_ = false;
};

TEST_F(FatFolderTest, TakesNewFilesAndNeverReplacesOneThatAppeared) {
  const fs::path file = mount_ / "backup.reg";
  WriteFileAtomically(file, "REGEDIT4\r\n\r\n[first]\r\n");
  EXPECT_EQ(Read(file), "REGEDIT4\r\n\r\n[first]\r\n");
  WriteFileAtomically(file, "REGEDIT4\r\n\r\n[second]\r\n");
  EXPECT_EQ(Read(file), "REGEDIT4\r\n\r\n[second]\r\n");
  EXPECT_EQ(FileCount(mount_), 1u);

  const fs::path temp = WriteTemporaryBeside(mount_ / "other.reg", "late", false);
  WriteFileAtomically(mount_ / "other.reg", "first");
  EXPECT_THROW(MoveIntoPlace(temp, mount_ / "other.reg", false), FileError);
  EXPECT_EQ(Read(mount_ / "other.reg"), "first");
}
#endif

}  // namespace
}  // namespace hw::platform
