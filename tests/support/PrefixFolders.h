#pragma once
// Home folders laid out for the prefix finder: files written with their
// folders, and the least a folder needs to be taken for a Wine prefix.

#include <filesystem>
#include <fstream>
#include <string>

namespace hw::test {

inline void WriteWithFolders(const std::filesystem::path& file, const std::string& text) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

inline void MakeFakePrefix(const std::filesystem::path& folder) {
  WriteWithFolders(folder / "system.reg",
                   "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n");
  WriteWithFolders(
      folder / "user.reg",
      "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n");
  std::filesystem::create_directories(folder / "drive_c");
}

}  // namespace hw::test
