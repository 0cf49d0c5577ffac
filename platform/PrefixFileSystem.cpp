#include "platform/PrefixFileSystem.h"

#include <cctype>
#include <system_error>

#include "platform/Text.h"

namespace hw::platform {

namespace {

// The type Wine was told to give a drive, or DRIVE_UNKNOWN when none is set.
UINT configuredDriveType(RegistryApi& registry, char letter) {
  HKEY drives = nullptr;
  if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", KEY_READ, &drives) !=
      ERROR_SUCCESS)
    return DRIVE_UNKNOWN;
  const char name[] = {letter, ':', '\0'};
  char data[32] = {};
  DWORD size = sizeof data - 1, type = 0;
  LSTATUS status =
      registry.RegQueryValueExA(drives, name, &type, reinterpret_cast<BYTE*>(data), &size);
  registry.RegCloseKey(drives);
  if (status != ERROR_SUCCESS || type != REG_SZ) return DRIVE_UNKNOWN;
  std::string kind(data);
  if (equalsNoCase(kind, "hd")) return DRIVE_FIXED;
  if (equalsNoCase(kind, "network")) return DRIVE_REMOTE;
  if (equalsNoCase(kind, "floppy")) return DRIVE_REMOVABLE;
  if (equalsNoCase(kind, "cdrom")) return DRIVE_CDROM;
  if (equalsNoCase(kind, "ramdisk")) return DRIVE_RAMDISK;
  return DRIVE_UNKNOWN;
}

}  // namespace

PrefixFileSystem::PrefixFileSystem(std::filesystem::path prefix, RegistryApi& registry)
    : prefix_(std::move(prefix)), registry_(registry) {}

UINT PrefixFileSystem::GetDriveTypeA(const std::string& root) {
  if (root.size() < 2 || root[1] != ':' || !std::isalpha(static_cast<unsigned char>(root[0])))
    return DRIVE_NO_ROOT_DIR;
  char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(root[0])));
  std::filesystem::path link = prefix_ / "dosdevices" / std::string{letter, ':'};
  std::error_code error;
  if (!std::filesystem::is_symlink(link, error)) return DRIVE_NO_ROOT_DIR;
  if (UINT configured = configuredDriveType(registry_, letter); configured != DRIVE_UNKNOWN)
    return configured;
  return std::filesystem::is_directory(link, error) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

// Placeholders until the drive map resolves Windows paths.
bool PrefixFileSystem::SetCurrentDirectoryA(const std::string&) { return false; }
std::unique_ptr<FindSearch> PrefixFileSystem::FindFirstFileA(const std::string&, FindData&) {
  return nullptr;
}
std::string PrefixFileSystem::GetTempPathA() { return "/tmp/"; }
std::string PrefixFileSystem::GetSpecialFolderPath(int) { return {}; }
std::optional<std::string> PrefixFileSystem::ToHostPath(const std::string&) {
  return std::nullopt;
}
std::optional<std::string> PrefixFileSystem::FromHostPath(const std::string&) {
  return std::nullopt;
}

}  // namespace hw::platform
