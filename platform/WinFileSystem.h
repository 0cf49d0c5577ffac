#pragma once
// The file system of the machine itself, for the Windows build: the calls go
// straight to kernel32 and shell32, with paths converted between the core's
// UTF-8 and the UTF-16 of the W functions.

#ifdef _WIN32

#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace hw::platform {

// UTF-8 <-> UTF-16 for the W functions, through the project's WTF-8 helpers:
// a name with an unpaired surrogate (NTFS allows them) comes back exactly, so
// a file found once is found again under the name the core holds.
std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);

class WinFileSystem : public FileSystem {
 public:
  UINT GetDriveTypeA(const std::string& root) override;
  bool SetCurrentDirectoryA(const std::string& path) override;
  std::unique_ptr<FindSearch> FindFirstFileA(const std::string& pattern, FindData& data) override;
  std::string GetTempPathA() override;
  std::string GetSpecialFolderPath(int csidl) override;
  // Paths on Windows are host paths: both come back as they are.
  std::optional<std::string> ToHostPath(const std::string& path) override;
  std::optional<std::string> FromHostPath(const std::string& hostPath) override;
  bool IsWalkBarrier(const std::string& folder) override;
};

}  // namespace hw::platform

#endif  // _WIN32
