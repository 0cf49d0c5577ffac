#pragma once
// What a scan learns of the machine's folders: each folder is listed once and
// the names in it are answered from memory until the cache is cleared. Under
// Wine a lookup of a name spelt otherwise than on disk, or of a missing one,
// reads the whole folder again on the host; a key of 2,000 values naming
// files of one folder read it 2,000 times.
//
// Only what a listing settles the same way as a lookup is answered: a
// drive-absolute path of ASCII names (whose case folding is the same
// everywhere), no wildcards, no stream, no component that Windows would
// trim or resolve (".", "..", a trailing dot or blank, doubled separators).
// A folder that cannot be listed but may be entered is asked name by name.

#ifdef _WIN32

#include <string>
#include <string_view>
#include <unordered_map>

namespace hw::platform {

class WinFolderCache {
 public:
  enum class Entry { Unknown, Missing, File, Folder };

  // What the path names; Unknown when the caller must ask Windows itself.
  Entry Lookup(std::wstring_view path);
  void Clear() { folders_.clear(); }

 private:
  struct Listing {
    enum class State { Listed, Missing, Unlistable } state = State::Listed;
    std::unordered_map<std::wstring, bool> isFolder;  // by upper-case long and short name
  };
  const Listing& ListingOf(const std::wstring& folder);

  std::unordered_map<std::wstring, Listing> folders_;  // by upper-case path
};

}  // namespace hw::platform

#endif  // _WIN32
