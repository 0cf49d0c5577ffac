#pragma once
// The drives of a Wine prefix: each dosdevices/<letter>: link is a drive whose
// root is the link's target; the type is the one Wine gives it.

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/RegistryApi.h"

namespace hw::platform {

class DriveMap {
 public:
  struct Drive {
    std::string root;           // the link's target, made absolute
    std::string canonicalRoot;  // the same with links resolved, to match host paths
    UINT type = DRIVE_NO_ROOT_DIR;
  };

  // Reads the links and HKLM\Software\Wine\Drives once.
  DriveMap(const std::filesystem::path& prefix, RegistryApi& registry);

  // The drive of a letter in either case, null when the letter has no link.
  const Drive* Find(char letter) const;

  // "X:\..." for a host path through the drive whose root holds it most
  // closely, the earliest letter on a tie (so not Z:, by default the whole
  // host); nullopt when no drive holds it.
  std::optional<std::string> WindowsPathOf(const std::string& hostPath) const;

 private:
  std::array<std::optional<Drive>, 26> drives_;
};

// Why the drives of a prefix cannot be used: no dosdevices folder, or a C:
// that is missing or leads nowhere (copied or synced prefixes lose their
// links). Empty when C: is there.
std::string DriveMapProblem(const std::filesystem::path& prefix);

}  // namespace hw::platform
