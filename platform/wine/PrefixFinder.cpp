#include "platform/wine/PrefixFinder.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "platform/ProgramPlaces.h"
#include "platform/Text.h"
#include "platform/wine/LauncherPrefixes.h"
#include "platform/wine/WineServerProbe.h"

namespace hw::platform {

namespace fs = std::filesystem;

namespace {

fs::path FromEnvironment(const char* name, const fs::path& fallback) {
  const char* value = std::getenv(name);
  // The XDG rules ignore a relative path.
  if (value && *value && fs::path(value).is_absolute()) return value;
  return fallback;
}

fs::path RealPath(const fs::path& path) {
  std::error_code error;
  fs::path real = fs::canonical(path, error);
  return error ? path.lexically_normal() : real;
}

// A launcher's prefixes in name order, as the user looks for them.
void SortByName(std::vector<FoundPrefix>& found, std::size_t from) {
  std::stable_sort(found.begin() + static_cast<std::ptrdiff_t>(from), found.end(),
                   [](const FoundPrefix& a, const FoundPrefix& b) {
                     return toLowerUtf8(a.Name) < toLowerUtf8(b.Name);
                   });
}

// ~/.wine and the launchers' prefixes, each launcher's sorted by name.
void AddLauncherCandidates(const PrefixSearchPlaces& places, std::vector<FoundPrefix>& candidates) {
  namespace l = launchers;
  const fs::path& home = places.Home;
  const fs::path flatpak = home / ".var" / "app";
  candidates.push_back({home / ".wine", "wine", "~/.wine", false});
  auto add = [&](auto&& source) {
    const std::size_t from = candidates.size();
    source();
    SortByName(candidates, from);
  };
  // ~/.steam/steam is normally a link to one of the others; each installation
  // is read once.
  std::set<fs::path> steamRoots;
  for (const fs::path& root : {home / ".steam" / "steam", home / ".steam" / "root",
                               home / ".steam" / "debian-installation",
                               home / ".local" / "share" / "Steam", places.DataHome / "Steam",
                               flatpak / "com.valvesoftware.Steam" / ".local" / "share" / "Steam"})
    if (const fs::path real = RealPath(root); steamRoots.insert(real).second)
      add([&] { l::AddSteam(real, candidates); });
  add([&] {
    l::AddBottles(places.DataHome / "bottles" / "bottles", candidates);
    l::AddBottles(flatpak / "com.usebottles.bottles" / "data" / "bottles" / "bottles", candidates);
  });
  add([&] {
    for (const fs::path& games :
         {places.ConfigHome / "lutris" / "games", places.DataHome / "lutris" / "games",
          flatpak / "net.lutris.Lutris" / "config" / "lutris" / "games",
          flatpak / "net.lutris.Lutris" / "data" / "lutris" / "games"})
      l::AddLutris(games, home, candidates);
  });
  add([&] {
    l::AddHeroic(places.ConfigHome / "heroic", home, candidates);
    l::AddHeroic(flatpak / "com.heroicgameslauncher.hgl" / "config" / "heroic", home, candidates);
  });
  add([&] { l::AddFolders(home / ".PlayOnLinux" / "wineprefix", "playonlinux", candidates); });
}

}  // namespace

PrefixSearchPlaces PrefixSearchPlaces::FromEnvironment() {
  PrefixSearchPlaces places;
  if (const char* home = std::getenv("HOME"); home && *home) places.Home = home;
  places.DataHome = platform::FromEnvironment("XDG_DATA_HOME", places.Home / ".local" / "share");
  places.ConfigHome = platform::FromEnvironment("XDG_CONFIG_HOME", places.Home / ".config");
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) places.WinePrefix = prefix;
  return places;
}

std::vector<FoundPrefix> FindPrefixes(const PrefixSearchPlaces& places) {
  std::vector<FoundPrefix> candidates;
  if (!places.WinePrefix.empty())
    candidates.push_back({places.WinePrefix, "wine", "$WINEPREFIX", false});
  // Without a home folder there is nowhere else to look.
  if (!places.Home.empty()) AddLauncherCandidates(places, candidates);

  std::vector<FoundPrefix> found;
  std::set<fs::path> seen;
  for (FoundPrefix& candidate : candidates) {
    // Launchers that run Proton (Heroic, Lutris) name the folder that holds
    // the prefix as pfx/, as Steam's compatdata does.
    if (!IsWinePrefix(candidate.Path) && IsWinePrefix(candidate.Path / "pfx"))
      candidate.Path /= "pfx";
    if (!IsWinePrefix(candidate.Path) || !seen.insert(RealPath(candidate.Path)).second) continue;
    candidate.InUse = wineServerRunning(candidate.Path);
    found.push_back(std::move(candidate));
  }
  return found;
}

}  // namespace hw::platform
