#include "platform/wine/DriveMap.h"

#include <system_error>

#include "platform/Text.h"

namespace hw::platform {

namespace fs = std::filesystem;

namespace {

// The type Wine was told to give a drive, or DRIVE_UNKNOWN when none is set.
UINT configuredDriveType(RegistryApi& registry, HKEY drives, char letter) {
  const char name[] = {letter, ':', '\0'};
  char data[32] = {};
  DWORD size = sizeof data - 1, type = 0;
  if (registry.RegQueryValueExA(drives, name, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return DRIVE_UNKNOWN;
  std::string kind(data);
  if (equalsNoCase(kind, "hd")) return DRIVE_FIXED;
  if (equalsNoCase(kind, "network")) return DRIVE_REMOTE;
  if (equalsNoCase(kind, "floppy")) return DRIVE_REMOVABLE;
  if (equalsNoCase(kind, "cdrom")) return DRIVE_CDROM;
  if (equalsNoCase(kind, "ramdisk")) return DRIVE_RAMDISK;
  return DRIVE_UNKNOWN;
}

// An absolute path without "." and ".." and without a trailing separator,
// except the host root itself.
std::string plainPath(const fs::path& path) {
  std::string text = path.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string canonicalPath(const fs::path& path) {
  std::error_code error;
  fs::path canonical = fs::weakly_canonical(path, error);
  return plainPath(error ? path : canonical);
}

// Whether root holds path, and how closely (the length of the root); -1 if not.
long holdingLength(const std::string& root, const std::string& path) {
  if (root == "/") return 0;
  if (path.compare(0, root.size(), root) != 0) return -1;
  if (path.size() != root.size() && path[root.size()] != '/') return -1;
  return static_cast<long>(root.size());
}

}  // namespace

DriveMap::DriveMap(const fs::path& prefix, RegistryApi& registry) {
  HKEY types = nullptr;
  if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", KEY_READ, &types) !=
      ERROR_SUCCESS)
    types = nullptr;
  const fs::path devices = prefix / "dosdevices";
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    // Only "x:" is a drive; "x::" names the raw device behind it.
    const fs::path link = devices / std::string{letter, ':'};
    std::error_code error;
    fs::path target;
    if (fs::is_symlink(link, error)) {
      target = fs::read_symlink(link, error);
      if (error) continue;
      if (target.is_relative()) target = devices / target;
    } else if (fs::is_directory(link, error)) {
      // A copy that followed the links holds the drive itself; Wine uses it so.
      target = link;
    } else {
      continue;
    }
    Drive drive;
    drive.root = plainPath(target);
    drive.canonicalRoot = canonicalPath(target);
    drive.type = types ? configuredDriveType(registry, types, letter) : DRIVE_UNKNOWN;
    if (drive.type == DRIVE_UNKNOWN)
      drive.type = fs::is_directory(target, error) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
    drives_[letter - 'a'] = std::move(drive);
  }
  if (types) registry.RegCloseKey(types);
}

std::string DriveMapProblem(const fs::path& prefix) {
  const std::string where = "The Wine prefix " + prefix.string();
  const std::string remedy =
      " Its paths cannot be judged: every one would seem missing. Run \"wineboot\" with "
      "WINEPREFIX set to the prefix to make its drives again, then scan.";
  std::error_code error;
  const fs::path devices = prefix / "dosdevices";
  if (!fs::is_directory(devices, error))
    return where + " has no dosdevices folder, which holds its drive links." + remedy;
  const fs::path c = devices / "c:";
  if (!fs::is_symlink(c, error) && !fs::exists(c, error))
    return where + " has no drive C: (dosdevices/c: is missing)." + remedy;
  if (!fs::is_directory(c, error)) {
    if (!fs::is_symlink(c, error))
      return where + "'s drive C: is no folder (dosdevices/c: is a file)." + remedy;
    fs::path target = fs::read_symlink(c, error);
    return where + "'s drive C: leads nowhere (dosdevices/c: points to \"" + target.string() +
           "\", which is no folder)." + remedy;
  }
  return {};
}

const DriveMap::Drive* DriveMap::Find(char letter) const {
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  if (letter < 'a' || letter > 'z') return nullptr;
  const auto& drive = drives_[letter - 'a'];
  return drive ? &*drive : nullptr;
}

std::optional<std::string> DriveMap::WindowsPathOf(const std::string& hostPath) const {
  if (hostPath.empty() || hostPath.front() != '/') return std::nullopt;
  const std::string path = canonicalPath(hostPath);
  int best = -1;
  long bestLength = -1;
  for (int i = 0; i < 26; ++i) {
    if (!drives_[i]) continue;
    // A tie keeps the earlier letter, so Z: never wins one.
    long length = holdingLength(drives_[i]->canonicalRoot, path);
    if (length > bestLength) {
      best = i;
      bestLength = length;
    }
  }
  if (best < 0) return std::nullopt;
  std::string result{static_cast<char>('A' + best), ':', '\\'};
  std::string_view rest = std::string_view(path).substr(static_cast<std::size_t>(bestLength));
  ForEachNonEmpty(rest, '/', [&](std::string_view piece) {
    if (result.back() != '\\') result += '\\';
    result += piece;
    return true;
  });
  return result;
}

}  // namespace hw::platform
