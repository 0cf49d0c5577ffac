#pragma once
// The file system of a Wine prefix: drives are the symlinks in dosdevices/,
// their types those Wine gives them (HKLM\Software\Wine\Drives, else fixed).

#include <filesystem>
#include <string>

#include "platform/FileSystem.h"
#include "platform/RegistryApi.h"

namespace hw::platform {

class PrefixFileSystem : public FileSystem {
 public:
  // Does not take ownership of the registry, which must outlive this object.
  PrefixFileSystem(std::filesystem::path prefix, RegistryApi& registry);

  UINT GetDriveTypeA(const std::string& root) override;
  bool SetCurrentDirectoryA(const std::string& path) override;
  std::unique_ptr<FindSearch> FindFirstFileA(const std::string& pattern, FindData& data) override;
  std::string GetTempPathA() override;
  std::string GetSpecialFolderPath(int csidl) override;
  std::optional<std::string> ToHostPath(const std::string& path) override;
  std::optional<std::string> FromHostPath(const std::string& hostPath) override;

 private:
  std::filesystem::path prefix_;
  RegistryApi& registry_;
};

}  // namespace hw::platform
