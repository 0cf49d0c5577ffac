#pragma once
// The file system of a Wine prefix: drives are the symlinks in dosdevices/,
// their types those Wine gives them (HKLM\Software\Wine\Drives, else fixed);
// Windows paths are found without regard to case as Wine finds them, and
// what a scan learns of the disk is kept until ClearCache.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/FileSystem.h"
#include "platform/RegistryApi.h"
#include "platform/WindowsPath.h"
#include "platform/wine/DriveMap.h"
#include "platform/wine/FolderCache.h"
#include "platform/wine/ShellFolders.h"

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
  // Forgets the drive map, the folder listings and the paths found; the
  // special folders stay as read at first use.
  bool FileExists(const std::string& path) override;
  // In a WoW64 prefix (C:\windows\syswow64 not empty), with Wine's redirection
  // of system32 and sysnative for 32-bit programs.
  bool FolderExistsIn(const std::string& path, RegistryView view) override;
  bool FileExistsIn(const std::string& path, RegistryView view) override;
  bool IsWalkBarrier(const std::string& folder) override;
  void ClearCache() override;
  std::string DrivesProblem() override;

  // How many host folders were listed so far (a benchmark's measure).
  std::size_t ListingCount() const { return folders_.ListingCount(); }

 private:
  struct Found {
    std::string host;
    FindData data;  // name and kind always; times and size when described
    bool described = true;
  };

  const DriveMap& drives();
  // Whether 32-bit programs see other system folders (worked out once).
  bool hasWow64();
  // The entry named by the drive and the first count components of a path.
  std::optional<Found> resolve(const WindowsPath& path, std::size_t count);
  std::optional<Found> resolveRoot(char drive);
  const std::optional<Found>* recalled(std::string_view key) const;
  void remember(std::string_view key, const std::optional<Found>& found);
  std::unique_ptr<FindSearch> searchFolder(const std::string& folder, std::string_view mask,
                                           bool isRoot, FindData& data);

  std::filesystem::path prefix_;
  RegistryApi& registry_;
  std::optional<DriveMap> drives_;
  std::optional<bool> wow64_;  // whether C:\windows\syswow64 holds anything
  std::optional<ShellFolders> shellFolders_;
  FolderCache folders_;
  // Path text as asked (after "." and ".." are applied) -> what it names,
  // absent ones included. Folders are kept apart from everything else, so that
  // the bound on the many file answers never makes a scan resolve its folders
  // again.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const {
      return std::hash<std::string_view>{}(key);
    }
  };
  using PathMap = std::unordered_map<std::string, std::optional<Found>, KeyHash, std::equal_to<>>;
  PathMap foundFolders_;
  PathMap foundOther_;
};

}  // namespace hw::platform
