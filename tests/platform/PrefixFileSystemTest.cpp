#include "platform/PrefixFileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/MemoryStore.h"
#include "platform/StoreRegistryApi.h"
#include "tests/support/TempDir.h"

namespace hw::platform {
namespace {

namespace fs = std::filesystem;

TEST(PrefixFileSystemTest, DriveTypesComeFromDosdevicesAndWinesDriveSettings) {
  test::TempDir prefix;
  fs::create_directories(prefix.path() / "drive_c");
  fs::create_directories(prefix.path() / "media");
  fs::create_directories(prefix.path() / "dosdevices");
  fs::create_directory_symlink("../drive_c", prefix.path() / "dosdevices" / "c:");
  fs::create_directory_symlink("../media", prefix.path() / "dosdevices" / "d:");
  fs::create_directory_symlink("/", prefix.path() / "dosdevices" / "z:");
  fs::create_directory_symlink("../gone", prefix.path() / "dosdevices" / "e:");
  fs::create_symlink("/dev/null", prefix.path() / "dosdevices" / "d::");

  MemoryStore store;
  StoreRegistryApi api(store);
  KeyNode& drives = store.ensureKey(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives");
  store.loadValue(drives, "d:", REG_SZ, utf8ToUtf16(std::string("cdrom") + '\0'));
  store.loadValue(drives, "Z:", REG_SZ, utf8ToUtf16(std::string("network") + '\0'));
  PrefixFileSystem files(prefix.path(), api);

  EXPECT_EQ(files.GetDriveTypeA("C:\\"), DRIVE_FIXED);
  EXPECT_EQ(files.GetDriveTypeA("c:\\"), DRIVE_FIXED);
  EXPECT_EQ(files.GetDriveTypeA("D:\\"), DRIVE_CDROM);
  EXPECT_EQ(files.GetDriveTypeA("Z:\\"), DRIVE_REMOTE);
  EXPECT_EQ(files.GetDriveTypeA("E:\\"), DRIVE_NO_ROOT_DIR) << "a link to nothing";
  EXPECT_EQ(files.GetDriveTypeA("F:\\"), DRIVE_NO_ROOT_DIR) << "no link at all";
  EXPECT_EQ(files.GetDriveTypeA("1:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(api.openHandleCount(), 0u);
}

}  // namespace
}  // namespace hw::platform
