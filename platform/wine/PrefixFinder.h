#pragma once
// The Wine prefixes on this machine: the user's own ($WINEPREFIX, ~/.wine)
// and those the game launchers keep (Steam's Proton prefixes, Bottles, Lutris,
// Heroic, PlayOnLinux, native and Flatpak), named as the launcher names them.

#include <filesystem>
#include <string>
#include <vector>

namespace hw::platform {

struct FoundPrefix {
  std::filesystem::path Path;
  // "wine", "steam", "bottles", "lutris", "heroic" or "playonlinux".
  std::string Kind;
  // The game's or bottle's name; for plain Wine "$WINEPREFIX" or "~/.wine".
  std::string Name;
  bool InUse = false;  // a wineserver runs for it
};

// Where to look.
struct PrefixSearchPlaces {
  std::filesystem::path Home;
  std::filesystem::path DataHome;    // $XDG_DATA_HOME, else Home/.local/share
  std::filesystem::path ConfigHome;  // $XDG_CONFIG_HOME, else Home/.config
  std::string WinePrefix;            // $WINEPREFIX; empty when unset
  static PrefixSearchPlaces FromEnvironment();
};

// Every folder found that holds a prefix's registry, each once (by its real
// path, the first place it was found naming it): $WINEPREFIX, ~/.wine, then
// each launcher's prefixes by name. Files a launcher wrote that cannot be read
// or parsed are passed over: the prefix is named by its folder, or missed.
std::vector<FoundPrefix> FindPrefixes(const PrefixSearchPlaces& places);

}  // namespace hw::platform
