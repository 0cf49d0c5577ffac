#include "platform/ProgramPlaces.h"

#include <cstdlib>

#include "platform/windows/WinTypes.h"

namespace hw::platform {

std::filesystem::path ExecutableFolder() {
#ifdef _WIN32
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return std::filesystem::current_path();
    if (length < name.size()) return std::filesystem::path(name.substr(0, length)).parent_path();
    name.resize(name.size() * 2);
  }
#else
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path(error) : exe.parent_path();
#endif
}

std::string ResolvePrefix(const std::string& option) {
  if (!option.empty()) return option;
  if (const char* env = std::getenv("WINEPREFIX"); env && *env) return env;
  if (const char* home = std::getenv("HOME"); home && *home)
    return (std::filesystem::path(home) / ".wine").string();
  return ".wine";
}

bool IsWinePrefix(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_regular_file(folder / "system.reg", error) &&
         std::filesystem::is_regular_file(folder / "user.reg", error);
}

}  // namespace hw::platform
