// Bottles, Lutris, Heroic and PlayOnLinux: where each records its prefixes.
#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

#include "platform/wine/LauncherPrefixes.h"

namespace hw::platform::launchers {

namespace fs = std::filesystem;

namespace {

// The entries of folder, sorted; none when it cannot be listed.
std::vector<fs::path> Entries(const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error))
    entries.push_back(it->path());
  std::sort(entries.begin(), entries.end());
  return entries;
}

bool HasExtension(const fs::path& file, const char* extension) {
  std::error_code error;
  return file.extension() == extension && fs::is_regular_file(file, error);
}

fs::path Expanded(const std::string& path, const fs::path& home) {
  if (path == "~") return home;
  if (path.rfind("~/", 0) == 0) return home / path.substr(2);
  return path;
}

// A scalar's text; empty for a missing node or one of another shape.
std::string Scalar(const YAML::Node& node) {
  return node && node.IsScalar() ? node.Scalar() : std::string();
}

// The name a Lutris configuration file has before its "-<timestamp>.yml".
std::string LutrisSlug(const fs::path& file) {
  std::string stem = file.stem().string();
  const std::size_t dash = stem.rfind('-');
  if (dash != std::string::npos && dash + 1 < stem.size() &&
      stem.find_first_not_of("0123456789", dash + 1) == std::string::npos)
    stem.erase(dash);
  return stem;
}

std::optional<nlohmann::json> ReadJson(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  nlohmann::json json = nlohmann::json::parse(in, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return std::nullopt;
  return json;
}

// Every {"app_name": ..., "title": ...} object in json, however deep Heroic's
// library caches of each store keep it.
void CollectTitles(const nlohmann::json& json, std::map<std::string, std::string>& titles,
                   int depth = 0) {
  if (depth > 16) return;
  if (json.is_object()) {
    const auto app = json.find("app_name");
    const auto title = json.find("title");
    if (app != json.end() && title != json.end() && app->is_string() && title->is_string())
      titles.emplace(app->get<std::string>(), title->get<std::string>());
  }
  if (json.is_structured())
    for (const nlohmann::json& child : json) CollectTitles(child, titles, depth + 1);
}

}  // namespace

void AddBottles(const fs::path& folder, std::vector<FoundPrefix>& out) {
  for (const fs::path& bottle : Entries(folder)) {
    std::string name;
    try {
      name = Scalar(YAML::LoadFile((bottle / "bottle.yml").string())["Name"]);
    } catch (const YAML::Exception&) {
    }
    if (name.empty()) name = bottle.filename().string();
    out.push_back({bottle, "bottles", std::move(name), false});
  }
}

void AddLutris(const fs::path& folder, const fs::path& home, std::vector<FoundPrefix>& out) {
  for (const fs::path& file : Entries(folder)) {
    if (!HasExtension(file, ".yml")) continue;
    try {
      const YAML::Node config = YAML::LoadFile(file.string());
      const std::string prefix = Scalar(config["game"]["prefix"]);
      if (prefix.empty()) continue;
      std::string name = Scalar(config["name"]);
      if (name.empty()) name = LutrisSlug(file);
      out.push_back({Expanded(prefix, home), "lutris", std::move(name), false});
    } catch (const YAML::Exception&) {
    }
  }
}

void AddHeroic(const fs::path& config, const fs::path& home, std::vector<FoundPrefix>& out) {
  // Each game's settings, one member per game named by its app name, beside
  // "version" and "explicit".
  std::vector<std::pair<std::string, fs::path>> games;
  for (const fs::path& file : Entries(config / "GamesConfig")) {
    if (!HasExtension(file, ".json")) continue;
    const std::optional<nlohmann::json> settings = ReadJson(file);
    if (!settings || !settings->is_object()) continue;
    for (const auto& [appName, game] : settings->items()) {
      if (!game.is_object()) continue;
      const auto prefix = game.find("winePrefix");
      if (prefix != game.end() && prefix->is_string() && !prefix->get<std::string>().empty())
        games.emplace_back(appName, Expanded(prefix->get<std::string>(), home));
    }
  }
  if (games.empty()) return;
  // The titles are in the stores' library caches, which can be large: read
  // only when there is a game to name.
  std::map<std::string, std::string> titles;
  for (const fs::path& file : Entries(config / "store_cache"))
    if (HasExtension(file, ".json"))
      if (std::optional<nlohmann::json> cache = ReadJson(file)) CollectTitles(*cache, titles);
  if (std::optional<nlohmann::json> sideloaded =
          ReadJson(config / "sideload_apps" / "library.json"))
    CollectTitles(*sideloaded, titles);
  for (auto& [appName, prefix] : games) {
    const auto title = titles.find(appName);
    out.push_back(
        {std::move(prefix), "heroic", title != titles.end() ? title->second : appName, false});
  }
}

void AddFolders(const fs::path& folder, const char* kind, std::vector<FoundPrefix>& out) {
  for (const fs::path& prefix : Entries(folder))
    out.push_back({prefix, kind, prefix.filename().string(), false});
}

}  // namespace hw::platform::launchers
