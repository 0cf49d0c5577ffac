#pragma once
// Whether a wineserver runs for a prefix. While one runs it holds the registry
// in memory and writes it back over the files, so changes we saved would be
// lost. wineserver keeps a POSIX lock on <server dir>/server-<dev>-<inode>/lock
// (device and inode of the prefix folder, in hex) for as long as it runs.

#include <filesystem>
#include <string>
#include <vector>

namespace hw::platform {

// The lock files a wineserver for the prefix may hold, in every layout Wine
// builds use: upstream's /tmp/.wine-<uid>/, and Debian's /run/user/<uid>/wine/
// or $TMPDIR (else /tmp) / <folder named in the prefix's "wineserver" file>.
// Empty when the prefix folder cannot be examined.
std::vector<std::filesystem::path> wineServerLockPaths(const std::filesystem::path& prefix);

// True when some process holds a lock on one of those files.
bool wineServerRunning(const std::filesystem::path& prefix);

// What to tell the user while Wine runs in the prefix.
std::string wineRunningMessage(const std::filesystem::path& prefix);

}  // namespace hw::platform
