#pragma once
// The file system as the program sees it: Windows paths (X:\...) resolved
// through the drive map of the prefix, host paths (/...) used as they are.
// The calls keep the Win32 names and answers the checks rely on.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/windows/WinTypes.h"

namespace hw::platform {

constexpr DWORD kAttrReadOnly = 0x01;
constexpr DWORD kAttrHidden = 0x02;
constexpr DWORD kAttrSystem = 0x04;
constexpr DWORD kAttrDirectory = 0x10;
constexpr DWORD kAttrArchive = 0x20;

// The identifiers of the special folders the checks ask for.
constexpr int CSIDL_PROGRAMS = 2;
constexpr int CSIDL_FONTS = 20;
constexpr int CSIDL_COMMON_PROGRAMS = 23;

// One entry of a folder listing, as the find calls return it.
struct FindData {
  std::string Name;  // the name alone, as stored on disk
  DWORD Attributes = 0;
  FILETIME LastWriteTime{};
  std::uint64_t Size = 0;
  bool IsDirectory() const { return (Attributes & kAttrDirectory) != 0; }
};

// An open search; FindNextFileA walks it, and FindClose is its destruction.
class FindSearch {
 public:
  virtual ~FindSearch() = default;
  // The next entry into data; false at the end.
  virtual bool FindNextFileA(FindData& data) = 0;
};

// Which kind of program wrote a path, as far as the registry key holding it
// tells: one that reads the key through the 32-bit view (below Wow6432Node)
// is a 32-bit program; elsewhere it may have been either.
enum class RegistryView { Native, Wow32, Either };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // As GetDriveTypeA answers for a root such as "C:\": DRIVE_FIXED,
  // DRIVE_REMOTE, DRIVE_CDROM, ..., DRIVE_NO_ROOT_DIR for a letter that is no drive.
  virtual UINT GetDriveTypeA(const std::string& root) = 0;

  // The folder test: whether the path names an existing folder. It never
  // changes the process's working directory.
  virtual bool SetCurrentDirectoryA(const std::string& path) = 0;

  // The entries matching a pattern whose last component may hold * and ?
  // (matched without regard to case, as Windows does); the first one in data.
  // Null when nothing matches or the folder cannot be read.
  virtual std::unique_ptr<FindSearch> FindFirstFileA(const std::string& pattern,
                                                     FindData& data) = 0;

  // The temporary folder, a host path ending in a separator.
  virtual std::string GetTempPathA() = 0;

  // The path of a special folder (CSIDL_*), without trailing backslash:
  // "error" when the folder is known but its path cannot be produced, empty
  // when the folder is unknown.
  virtual std::string GetSpecialFolderPath(int csidl) = 0;

  // The host path a Windows path resolves to, nullopt when its drive is not
  // mapped; host paths come back as they are. Used to open a folder on the host.
  virtual std::optional<std::string> ToHostPath(const std::string& path) = 0;
  // The Windows path of a host path through the drive that holds it, nullopt
  // when no drive does.
  virtual std::optional<std::string> FromHostPath(const std::string& hostPath) = 0;

  // The file test of the checks: whether the first entry FindFirstFileA finds
  // for path is a file (not a folder). A file system may answer it without
  // reading the entry's times.
  virtual bool FileExists(const std::string& path);

  // The folder and file tests as the program that wrote the path resolves
  // it: where 32-bit programs see other system folders than 64-bit ones,
  // Wow32 asks for what a 32-bit program reaches and Either for what either
  // kind reaches. The path itself is what Native asks for, and what a file
  // system without such views answers for every view.
  virtual bool FolderExistsIn(const std::string& path, RegistryView /*view*/) {
    return SetCurrentDirectoryA(path);
  }
  virtual bool FileExistsIn(const std::string& path, RegistryView /*view*/) {
    return FileExists(path);
  }

  // Whether a walk over a folder tree must not enter this folder although it
  // is one: a link to a folder elsewhere (following links can loop) or a
  // kernel folder of the host (/proc, /sys, /dev) that holds no files.
  virtual bool IsWalkBarrier(const std::string& /*folder*/) { return false; }

  // Forget what was learned about the disk: every scan starts fresh.
  virtual void ClearCache() {}

  // Why the drives cannot be trusted to judge paths at all (a prefix that
  // lost its drive links would make every path seem missing); empty when
  // they can.
  virtual std::string DrivesProblem() { return {}; }
};

}  // namespace hw::platform
