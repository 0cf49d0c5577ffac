#pragma once
// What one scan learns of host folders: their listings, so that a name
// written in another case is found with at most one listing per folder, the
// way Wine looks names up on a case-sensitive file system.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"

namespace hw::platform {

// folder + '/' + name, without doubling the separator of the host root.
std::string JoinHostPath(const std::string& folder, std::string_view name);

// Fills data for the entry at a host path, following links; false when there
// is none (a dangling link is none, as in Wine). name becomes data.Name.
bool DescribeHostEntry(const std::string& path, std::string name, FindData& data);

// Whether a host folder is a link (a walk that follows links can loop) or one
// of the kernel's folders /proc, /sys and /dev.
bool IsHostWalkBarrier(const std::string& path);

class FolderCache {
 public:
  FolderCache();
  ~FolderCache();
  FolderCache(const FolderCache&) = delete;
  FolderCache& operator=(const FolderCache&) = delete;

  // The entry called name in a host folder without regard to case: the exact
  // spelling first (a stat while the folder is not listed yet, or when it
  // cannot be listed), else the first name in the listing that differs from
  // it only in case, else, for a name of that form, the entry whose short
  // name Wine makes it (PROG~FBU for "Program Files").
  // An entry found; described is false when only its name and kind are known
  // (from the listing) and DescribeHostEntry must fill in the rest.
  struct Entry {
    FindData data;
    bool described = true;
  };
  std::optional<Entry> Find(const std::string& folder, std::string_view name);

  // The names in a host folder in listing order, without "." and "..";
  // null when it cannot be read. Valid until the next call.
  const std::vector<std::string>* Names(const std::string& folder);

  // How many folders were listed since the object was made.
  std::size_t ListingCount() const { return listingCount_; }
  void Clear();

 private:
  struct Listing;
  const Listing& listing(const std::string& folder);
  // The entry whose Wine short name is name (a name of that form only).
  std::optional<Entry> findByShortName(const std::string& folder, const Listing& names,
                                       std::string_view name);

  std::unordered_map<std::string, std::unique_ptr<Listing>> listings_;
  std::size_t cachedNames_ = 0;
  std::size_t listingCount_ = 0;
};

}  // namespace hw::platform
