#pragma once
// The file system of the machine itself, for the Windows build: the calls go
// straight to kernel32 and shell32, with paths converted between the core's
// UTF-8 and the UTF-16 of the W functions.

#ifdef _WIN32

#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/windows/WinFolderCache.h"
#include "platform/windows/WideText.h"

namespace hw::platform {

class WinFileSystem : public FileSystem {
 public:
  UINT GetDriveTypeA(const std::string& root) override;
  bool SetCurrentDirectoryA(const std::string& path) override;
  std::unique_ptr<FindSearch> FindFirstFileA(const std::string& pattern, FindData& data) override;
  std::string GetTempPathA() override;
  std::string GetSpecialFolderPath(int csidl) override;
  // Windows paths are host paths and come back as they are; under Wine a
  // Unix path comes back through the drive that maps it.
  std::optional<std::string> ToHostPath(const std::string& path) override;
  std::optional<std::string> FromHostPath(const std::string& hostPath) override;
  bool IsWalkBarrier(const std::string& folder) override;
  // The file and folder tests answer from the folder listings this object
  // has read, until ClearCache().
  bool FileExists(const std::string& path) override;
  void ClearCache() override { cache_.Clear(); }

 private:
  WinFolderCache cache_;
};

}  // namespace hw::platform

#endif  // _WIN32
