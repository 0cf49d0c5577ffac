// Steam's Proton prefixes: one per game, in the compatdata folder of each
// Steam library.
#include <algorithm>

#include "platform/wine/KeyValues.h"
#include "platform/wine/LauncherPrefixes.h"

namespace hw::platform::launchers {

namespace fs = std::filesystem;

namespace {

bool IsFolder(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

// The libraries libraryfolders.vdf names. Steam has written two shapes: a
// block per library with its "path", and, before that, the path as the value
// of a numbered key.
void AddLibraries(const fs::path& file, std::vector<fs::path>& libraries) {
  std::error_code error;
  if (!fs::is_regular_file(file, error)) return;
  KeyValues root;
  try {
    root = ReadKeyValuesFile(file);
  } catch (const KeyValuesError&) {
    return;
  }
  const KeyValues* folders = root.Find("libraryfolders");
  if (!folders || !folders->IsBlock) return;
  for (const KeyValues& entry : folders->Children) {
    const bool numbered =
        !entry.Key.empty() && std::all_of(entry.Key.begin(), entry.Key.end(),
                                          [](char c) { return c >= '0' && c <= '9'; });
    if (!numbered) continue;
    const std::string path = entry.IsBlock ? entry.Text("path") : entry.Value;
    if (!path.empty() && fs::path(path).is_absolute()) libraries.emplace_back(path);
  }
}

// The game's name in appmanifest_<appid>.acf of the first library that has one.
std::string GameName(const std::vector<fs::path>& libraries, const std::string& appId) {
  for (const fs::path& library : libraries) {
    const fs::path manifest = library / "steamapps" / ("appmanifest_" + appId + ".acf");
    std::error_code error;
    if (!fs::is_regular_file(manifest, error)) continue;
    try {
      const KeyValues root = ReadKeyValuesFile(manifest);
      if (const KeyValues* state = root.Find("AppState"); state && state->IsBlock) {
        const std::string name = state->Text("name");
        if (!name.empty()) return name;
      }
    } catch (const KeyValuesError&) {
    }
  }
  return {};
}

}  // namespace

void AddSteam(const fs::path& root, std::vector<FoundPrefix>& out) {
  if (!IsFolder(root / "steamapps")) return;
  std::vector<fs::path> libraries{root};
  AddLibraries(root / "steamapps" / "libraryfolders.vdf", libraries);
  AddLibraries(root / "config" / "libraryfolders.vdf", libraries);
  for (const fs::path& library : libraries) {
    std::error_code error;
    fs::directory_iterator games(library / "steamapps" / "compatdata", error);
    for (; !error && games != fs::directory_iterator(); games.increment(error)) {
      const std::string appId = games->path().filename().string();
      std::string name = GameName(libraries, appId);
      if (name.empty()) name = "Steam app " + appId;
      out.push_back({games->path() / "pfx", "steam", std::move(name), false});
    }
  }
}

}  // namespace hw::platform::launchers
