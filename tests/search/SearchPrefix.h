#pragma once
// A Wine prefix on disk for the search tests: each drive letter a folder
// linked from dosdevices/, files and folders created by their Windows paths.

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/MemoryStore.h"
#include "platform/wine/PrefixFileSystem.h"
#include "platform/StoreRegistryApi.h"
#include "tests/support/TempDir.h"

namespace hw::test {

class SearchPrefix {
 public:
  // The host folder of a Windows path; the drive is made on first use.
  std::filesystem::path Host(const std::string& windowsPath) {
    const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
    const std::filesystem::path root = dir_.path() / (std::string("drive_") + drive);
    const std::filesystem::path link = dir_.path() / "dosdevices" / (std::string{drive} + ':');
    if (!std::filesystem::exists(root)) {
      std::filesystem::create_directories(root);
      std::filesystem::create_directories(link.parent_path());
      std::filesystem::create_directory_symlink(root, link);
    }
    std::string rest = windowsPath.size() > 3 ? windowsPath.substr(3) : std::string();
    for (char& c : rest)
      if (c == '\\') c = '/';
    return rest.empty() ? root : root / rest;
  }
  void AddFile(const std::string& windowsPath) {
    const std::filesystem::path path = Host(windowsPath);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }
  // A drive whose root is a host folder elsewhere, as Z: is "/".
  void LinkDrive(char drive, const std::filesystem::path& target) {
    std::filesystem::create_directories(dir_.path() / "dosdevices");
    std::filesystem::create_directory_symlink(
        target, dir_.path() / "dosdevices" / (std::string{drive} + ':'));
    files_.ClearCache();  // the drive map is read once
  }

  platform::PrefixFileSystem& Files() { return files_; }

 private:
  TempDir dir_;
  platform::MemoryStore store_;
  platform::StoreRegistryApi api_{store_};
  platform::PrefixFileSystem files_{dir_.path(), api_};
};

}  // namespace hw::test
