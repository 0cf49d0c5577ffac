#include "platform/ProgramPlaces.h"

#include <cstdlib>

#include "platform/windows/WinTypes.h"

#ifdef _WIN32
#include <string>
#else
#include <unistd.h>
#endif

// The data folder of an installed program relative to its executable; the
// build sets it from its install directories.
#ifndef HW_DATA_FROM_BIN
#define HW_DATA_FROM_BIN "../share/hivewarden"
#endif

namespace hw::platform {

namespace fs = std::filesystem;

namespace {

// Whether the folder holds the data files that ship beside the program.
bool HoldsData(const fs::path& folder) {
  std::error_code error;
  for (const char* name : {"renglish.lng", "exclpath.def", "images", "help"})
    if (fs::exists(folder / name, error)) return true;
  return false;
}

fs::path InstalledDataFolder(const fs::path& executableFolder) {
  return (executableFolder / HW_DATA_FROM_BIN).lexically_normal();
}

bool FolderWritable(const fs::path& folder) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return false;
#ifdef _WIN32
  // The read-only attribute, all _waccess looks at, says nothing of the
  // folder's access rights (Program Files for a user without elevation):
  // only making a file there tells. The file goes when its handle does.
  const fs::path probe =
      folder / ("hivewarden-" + std::to_string(::GetCurrentProcessId()) + ".tmp");
  HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
#else
  return ::access(folder.c_str(), W_OK) == 0;
#endif
}

}  // namespace

fs::path ExecutableFolder() {
#ifdef _WIN32
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return fs::current_path();
    if (length < name.size()) return fs::path(name.substr(0, length)).parent_path();
    name.resize(name.size() * 2);
  }
#else
  std::error_code error;
  fs::path exe = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::current_path(error) : exe.parent_path();
#endif
}

fs::path DataFolder() { return DataFolderOf(ExecutableFolder()); }

fs::path DataFolderOf(const fs::path& executableFolder) {
  if (HoldsData(executableFolder)) return executableFolder;
  const fs::path installed = InstalledDataFolder(executableFolder);
  std::error_code error;
  return fs::is_directory(installed, error) ? installed : executableFolder;
}

bool IsInstalledDataFolder(const fs::path& folder, const fs::path& executableFolder) {
  const fs::path installed = InstalledDataFolder(executableFolder);
  if (installed == executableFolder.lexically_normal()) return false;  // data beside the program
  std::error_code error;
  return fs::equivalent(folder, installed, error);
}

fs::path UserDataFolder() {
#ifdef _WIN32
  if (const char* appData = std::getenv("APPDATA"); appData && *appData) return appData;
#else
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return xdg;
  if (const char* home = std::getenv("HOME"); home && *home)
    return fs::path(home) / ".local" / "share";
#endif
  return fs::temp_directory_path();
}

fs::path BackupFolder(const fs::path& dataFolder, const fs::path& executableFolder) {
  // An installed program's folders belong to the system; even where they can
  // be written (as root), the user's backups do not go there.
  if (!IsInstalledDataFolder(dataFolder, executableFolder) && FolderWritable(dataFolder))
    return dataFolder / "Backups" / "";
  return UserDataFolder() / "hivewarden" / "Backups" / "";
}

std::string ResolvePrefix(const std::string& option) {
  if (!option.empty()) return option;
  if (const char* env = std::getenv("WINEPREFIX"); env && *env) return env;
  if (const char* home = std::getenv("HOME"); home && *home)
    return (fs::path(home) / ".wine").string();
  return ".wine";
}

bool IsWinePrefix(const fs::path& folder) {
  std::error_code error;
  return fs::is_regular_file(folder / "system.reg", error) &&
         fs::is_regular_file(folder / "user.reg", error);
}

}  // namespace hw::platform
