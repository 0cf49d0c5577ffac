#include "platform/wine/FolderCache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "platform/Text.h"
#include "platform/wine/WineShortNames.h"

namespace hw::platform {

namespace {

// Past this many names held, the listings are dropped and learned again:
// a scan over a whole host disk must not keep every folder in memory.
constexpr std::size_t kMaxCachedNames = 1'000'000;

// 100 ns intervals between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kEpochDifference = 116'444'736'000'000'000ull;

FILETIME fileTime(const struct timespec& time) {
  std::int64_t ticks = static_cast<std::int64_t>(time.tv_sec) * 10'000'000 + time.tv_nsec / 100;
  std::uint64_t value =
      static_cast<std::uint64_t>(ticks + static_cast<std::int64_t>(kEpochDifference));
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

// Wine hides files whose name starts with a dot, but not "." and "..".
bool isHiddenName(std::string_view name) {
  return name.size() > 1 && name[0] == '.' && name != "..";
}

struct NoCaseHash {
  std::size_t operator()(std::string_view text) const { return hashNoCase(text); }
};
struct NoCaseEqual {
  bool operator()(std::string_view a, std::string_view b) const { return equalsNoCase(a, b); }
};

// Alphabetical without regard to case, then by spelling, as Wine lists a
// folder ("Dup" before "dup" before "e").
// Each name comes with its kind as the listing gave it (d_type).
void sortAsWineLists(std::vector<std::string>& names, std::vector<unsigned char>& kinds) {
  struct Keyed {
    std::string key, name;
    unsigned char kind;
    bool operator<(const Keyed& other) const {
      return key != other.key ? key < other.key : name < other.name;
    }
  };
  std::vector<Keyed> keyed;
  keyed.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i)
    keyed.push_back({toLowerUtf8(names[i]), std::move(names[i]), kinds[i]});
  std::sort(keyed.begin(), keyed.end());
  for (std::size_t i = 0; i < names.size(); ++i) {
    names[i] = std::move(keyed[i].name);
    kinds[i] = keyed[i].kind;
  }
}

}  // namespace

struct FolderCache::Listing {
  bool readable = false;
  std::vector<std::string> names;
  std::vector<unsigned char> kinds;  // d_type of each name
  // Index of each name by its spelling without regard to case; the views
  // point into names, which no longer changes once the index is built.
  std::unordered_multimap<std::string_view, std::uint32_t, NoCaseHash, NoCaseEqual> byName;
  // Wine's hashed short names (capitals) of the names that have one.
  mutable std::unordered_multimap<std::string, std::uint32_t, NoCaseHash, NoCaseEqual> byShortName;
  mutable bool shortNamesMade = false;
};

FolderCache::FolderCache() = default;
FolderCache::~FolderCache() = default;

std::string JoinHostPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

bool DescribeHostEntry(const std::string& path, std::string name, FindData& data) {
  struct stat info {};
  if (path.find('\0') != std::string::npos || ::stat(path.c_str(), &info) != 0) return false;
  bool folder = S_ISDIR(info.st_mode);
  data.Name = std::move(name);
  data.Attributes = folder ? kAttrDirectory : kAttrArchive;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) data.Attributes |= kAttrReadOnly;
  if (isHiddenName(data.Name)) data.Attributes |= kAttrHidden;
  data.LastWriteTime = fileTime(info.st_mtim);
  data.Size = folder ? 0 : static_cast<std::uint64_t>(info.st_size);
  return true;
}

bool IsHostWalkBarrier(const std::string& path) {
  struct stat info {};
  if (path.find('\0') != std::string::npos || ::lstat(path.c_str(), &info) != 0) return false;
  if (S_ISLNK(info.st_mode)) return true;
  std::string_view name = std::string_view(path).substr(path.find_last_of('/') + 1);
  if (name != "proc" && name != "sys" && name != "dev") return false;
  // Only these names need the real path: the folder may be reached through a
  // drive whose root is a link to "/".
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return false;
  const std::string_view resolved = real;
  const bool kernel = resolved == "/proc" || resolved == "/sys" || resolved == "/dev";
  std::free(real);
  return kernel;
}

std::optional<FolderCache::Entry> FolderCache::Find(const std::string& folder,
                                                    std::string_view name) {
  if (name.empty() || name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
    return std::nullopt;
  Entry entry;
  auto known = listings_.find(folder);
  // A folder that may be entered but not read still gives its entries by
  // their exact names.
  if (known == listings_.end() || !known->second->readable) {
    if (DescribeHostEntry(JoinHostPath(folder, name), std::string(name), entry.data)) return entry;
  }
  const Listing& names = known != listings_.end() ? *known->second : listing(folder);
  auto [first, last] = names.byName.equal_range(name);
  // The exact spelling first, then the others in listing order.
  std::uint32_t candidates[8];
  std::size_t count = 0;
  for (auto it = first; it != last && count < std::size(candidates); ++it)
    candidates[count++] = it->second;
  std::sort(candidates, candidates + count, [&](std::uint32_t a, std::uint32_t b) {
    bool exactA = names.names[a] == name, exactB = names.names[b] == name;
    return exactA != exactB ? exactA : a < b;
  });
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& actual = names.names[candidates[i]];
    const unsigned char kind = names.kinds[candidates[i]];
    // A plain file or folder needs no stat until its times are asked for;
    // links and unknown kinds are followed now.
    if (kind == DT_REG || kind == DT_DIR) {
      entry.data.Name = actual;
      entry.data.Attributes = kind == DT_DIR ? kAttrDirectory : kAttrArchive;
      entry.described = false;
      return entry;
    }
    if (DescribeHostEntry(JoinHostPath(folder, actual), actual, entry.data)) return entry;
  }
  if (MayBeHashedShortName(name)) return findByShortName(folder, names, name);
  return std::nullopt;
}

std::optional<FolderCache::Entry> FolderCache::findByShortName(const std::string& folder,
                                                               const Listing& names,
                                                               std::string_view name) {
  // Made once per folder, and only for a folder asked for such a name.
  if (!names.shortNamesMade) {
    for (std::uint32_t i = 0; i < names.names.size(); ++i)
      if (std::optional<std::string> shortName = WineShortName(names.names[i]))
        names.byShortName.emplace(std::move(*shortName), i);
    names.shortNamesMade = true;
  }
  // Two long names may share a short name; the first in listing order wins.
  auto [first, last] = names.byShortName.equal_range(std::string(name));
  std::optional<std::uint32_t> index;
  for (auto it = first; it != last; ++it)
    if (!index || it->second < *index) index = it->second;
  if (!index) return std::nullopt;
  Entry entry;
  const std::string& actual = names.names[*index];
  if (DescribeHostEntry(JoinHostPath(folder, actual), actual, entry.data)) return entry;
  return std::nullopt;
}

const std::vector<std::string>* FolderCache::Names(const std::string& folder) {
  const Listing& names = listing(folder);
  return names.readable ? &names.names : nullptr;
}

const FolderCache::Listing& FolderCache::listing(const std::string& folder) {
  if (auto known = listings_.find(folder); known != listings_.end()) return *known->second;
  ++listingCount_;
  auto listing = std::make_unique<Listing>();
  if (folder.find('\0') == std::string::npos) {
    if (DIR* dir = ::opendir(folder.c_str())) {
      listing->readable = true;
      while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        listing->names.emplace_back(name);
        listing->kinds.push_back(entry->d_type);
      }
      ::closedir(dir);
    }
  }
  sortAsWineLists(listing->names, listing->kinds);
  listing->byName.reserve(listing->names.size());
  for (std::uint32_t i = 0; i < listing->names.size(); ++i)
    listing->byName.emplace(listing->names[i], i);

  if (cachedNames_ + listing->names.size() > kMaxCachedNames) {
    listings_.clear();
    cachedNames_ = 0;
  }
  cachedNames_ += listing->names.size();
  return *listings_.emplace(folder, std::move(listing)).first->second;
}

void FolderCache::Clear() {
  listings_.clear();
  cachedNames_ = 0;
}

}  // namespace hw::platform
