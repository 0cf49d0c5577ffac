#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace hw::platform
