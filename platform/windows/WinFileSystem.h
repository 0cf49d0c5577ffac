#pragma once
// The file system of the machine itself, for the Windows build: the calls go
// straight to kernel32 and shell32, with paths converted between the core's
// UTF-8 and the UTF-16 of the W functions.

#ifdef _WIN32

#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinFolderCache.h"

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
  // On 64-bit Windows (and Wine with its 32-bit half) a 32-bit program's
  // system32 is SysWOW64; a 64-bit build judges its paths there. A 32-bit
  // build is redirected by the system itself and judges every path as its
  // own.
  bool FolderExistsIn(const std::string& path, RegistryView view) override;
  bool FileExistsIn(const std::string& path, RegistryView view) override;

 private:
  // Whether 32-bit programs see other system folders (worked out once).
  bool hasWow64();

  WinFolderCache cache_;
  std::optional<bool> wow64_;  // SysWOW64 holds files
};

}  // namespace hw::platform

#endif  // _WIN32
