#pragma once
// How each launcher records its prefixes; used by the prefix finder. Each adds
// the folders its files name (not yet checked to be prefixes) to out.

#include <filesystem>
#include <vector>

#include "platform/wine/PrefixFinder.h"

namespace hw::platform::launchers {

// steamapps/compatdata/<appid>/pfx in the Steam installation at root and in
// every library its libraryfolders.vdf names, each named by its game's
// appmanifest_<appid>.acf in any of those libraries.
void AddSteam(const std::filesystem::path& root, std::vector<FoundPrefix>& out);
// Each bottle in folder, named by its bottle.yml.
void AddBottles(const std::filesystem::path& folder, std::vector<FoundPrefix>& out);
// The game: prefix: of each game configuration *.yml in folder. A path
// starting with "~/" is taken below home, here and in Heroic's files.
void AddLutris(const std::filesystem::path& folder, const std::filesystem::path& home,
               std::vector<FoundPrefix>& out);
// The winePrefix of each GamesConfig/*.json under Heroic's configuration
// folder, named by the title in its library caches.
void AddHeroic(const std::filesystem::path& config, const std::filesystem::path& home,
               std::vector<FoundPrefix>& out);
// Each folder in folder, named after it.
void AddFolders(const std::filesystem::path& folder, const char* kind,
                std::vector<FoundPrefix>& out);

}  // namespace hw::platform::launchers
