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

 private:
  std::filesystem::path prefix_;
  RegistryApi& registry_;
};

}  // namespace hw::platform
