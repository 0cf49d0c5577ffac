#pragma once
// A file system whose drives a test declares.

#include <cctype>
#include <map>
#include <string>

#include "platform/FileSystem.h"

namespace hw::test {

class FakeFileSystem : public platform::FileSystem {
 public:
  void SetDrive(char letter, UINT type) {
    drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = type;
  }

  UINT GetDriveTypeA(const std::string& root) override {
    if (root.empty()) return DRIVE_NO_ROOT_DIR;
    auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
    return it == drives_.end() ? DRIVE_NO_ROOT_DIR : it->second;
  }

 private:
  std::map<char, UINT> drives_;
};

}  // namespace hw::test
