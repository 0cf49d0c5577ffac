#include "scan/RootAliases.h"

#include <utility>

#include "platform/Text.h"

namespace hw {

namespace {

struct Place {
  HKEY root;
  std::string path;  // below the root, no leading or trailing backslash
};

struct Alias {
  Place place;
  std::vector<Place> targets;  // together they hold every key the place shows
};

std::vector<Alias> KnownAliases(const std::string& sid) {
  std::vector<Alias> aliases;
  if (!sid.empty()) {
    aliases.push_back({{HKEY_USERS, sid}, {{HKEY_CURRENT_USER, ""}}});
    // Windows loads the user's classes as a hive of their own as well.
    aliases.push_back({{HKEY_USERS, sid + "_Classes"}, {{HKEY_CURRENT_USER, "Software\\Classes"}}});
    aliases.push_back({{HKEY_CURRENT_USER, ""}, {{HKEY_USERS, sid}}});
  }
  aliases.push_back(
      {{HKEY_CLASSES_ROOT, ""},
       {{HKEY_LOCAL_MACHINE, "Software\\Classes"}, {HKEY_CURRENT_USER, "Software\\Classes"}}});
  return aliases;
}

std::string Joined(const std::string& path, std::string_view suffix) {
  if (suffix.empty()) return path;
  if (path.empty()) return std::string(suffix);
  return path + "\\" + std::string(suffix);
}

}  // namespace

bool PathWithin(std::string_view path, std::string_view base) {
  if (base.empty()) return true;
  if (path.size() < base.size() || !platform::equalsNoCase(path.substr(0, base.size()), base))
    return false;
  return path.size() == base.size() || path[base.size()] == '\\';
}

std::vector<std::string> AliasedSubtrees(const std::vector<TRegKeyToAnalyze>& roots,
                                         std::size_t index, TAnalyzCategories selected,
                                         const std::string& sid) {
  const TRegKeyToAnalyze& root = roots[index];
  const TAnalyzCategories wanted = root.Categories & selected;
  const std::string rootPath(TrimChar(root.KeyPath, '\\'));
  auto coveredEarlier = [&](const Place& target) {
    for (std::size_t j = 0; j < index; ++j) {
      const TRegKeyToAnalyze& earlier = roots[j];
      if (earlier.RootKey == target.root && (earlier.Categories & wanted) == wanted &&
          PathWithin(target.path, TrimChar(earlier.KeyPath, '\\')))
        return true;
    }
    return false;
  };

  std::vector<std::string> skipped;
  if (wanted.Empty()) return skipped;
  for (const Alias& alias : KnownAliases(sid)) {
    if (alias.place.root != root.RootKey) continue;
    // The part of the alias this root walks: all of it when the root lies
    // inside the alias, else the alias where it lies inside the root.
    std::string_view suffix;
    std::string subtree;
    if (PathWithin(rootPath, alias.place.path)) {
      suffix = std::string_view(rootPath).substr(alias.place.path.size());
      if (!suffix.empty() && suffix.front() == '\\') suffix.remove_prefix(1);
      subtree = rootPath;
    } else if (PathWithin(alias.place.path, rootPath)) {
      subtree = alias.place.path;
    } else {
      continue;
    }
    bool covered = true;
    for (const Place& target : alias.targets)
      covered = covered && coveredEarlier({target.root, Joined(target.path, suffix)});
    if (covered) skipped.push_back(std::move(subtree));
  }
  return skipped;
}

}  // namespace hw
