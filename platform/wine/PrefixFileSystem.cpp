#include "platform/wine/PrefixFileSystem.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/wine/Wow64Paths.h"

namespace hw::platform {

namespace {

// Past this many paths remembered, the record starts afresh: the folder
// listings keep the lookups cheap, and memory stays bounded on any scan.
constexpr std::size_t kMaxRememberedPaths = 1u << 12;

// The answer to a pattern without wildcards: one entry, already returned.
class SingleEntry : public FindSearch {
 public:
  bool FindNextFileA(FindData&) override { return false; }
};

// The matching names of one folder, described as the walk reaches them so
// that an entry gone in the meantime is skipped.
class FolderSearch : public FindSearch {
 public:
  FolderSearch(std::string folder, std::vector<std::string> names)
      : folder_(std::move(folder)), names_(std::move(names)) {}

  bool FindNextFileA(FindData& data) override {
    while (next_ < names_.size()) {
      const std::string& name = names_[next_++];
      std::string path = name == "." ? folder_ : JoinHostPath(folder_, name);
      if (DescribeHostEntry(path, name, data)) return true;
    }
    return false;
  }

 private:
  std::string folder_;
  std::vector<std::string> names_;
  std::size_t next_ = 0;
};

}  // namespace

PrefixFileSystem::PrefixFileSystem(std::filesystem::path prefix, RegistryApi& registry)
    : prefix_(std::move(prefix)), registry_(registry) {}

const DriveMap& PrefixFileSystem::drives() {
  if (!drives_) drives_.emplace(prefix_, registry_);
  return *drives_;
}

UINT PrefixFileSystem::GetDriveTypeA(const std::string& root) {
  if (root.size() < 2 || root[1] != ':') return DRIVE_NO_ROOT_DIR;
  const DriveMap::Drive* drive = drives().Find(root[0]);
  return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

bool PrefixFileSystem::SetCurrentDirectoryA(const std::string& path) {
  if (path.empty()) return false;
  if (path.front() == '/') {
    FindData data;
    return DescribeHostEntry(path, {}, data) && data.IsDirectory();
  }
  std::optional<WindowsPath> parsed = ParseWindowsPath(path);
  if (!parsed) return false;
  std::optional<Found> found = resolve(*parsed, parsed->components.size());
  return found && found->data.IsDirectory();
}

std::unique_ptr<FindSearch> PrefixFileSystem::FindFirstFileA(const std::string& pattern,
                                                             FindData& data) {
  if (pattern.empty()) return nullptr;
  if (pattern.front() == '/') {
    std::size_t slash = pattern.rfind('/');
    std::string folder = slash == 0 ? "/" : pattern.substr(0, slash);
    std::string_view mask = std::string_view(pattern).substr(slash + 1);
    if (mask.empty()) return nullptr;
    if (HasWildcards(mask)) return searchFolder(folder, mask, folder == "/", data);
    if (!DescribeHostEntry(pattern, std::string(mask), data)) return nullptr;
    return std::make_unique<SingleEntry>();
  }

  std::optional<WindowsPath> path = ParseWindowsPath(pattern);
  if (!path || path->endsInSeparator) return nullptr;
  std::size_t count = path->components.size();
  if (HasWildcards(path->components.back())) {
    std::optional<Found> folder = resolve(*path, count - 1);
    if (!folder || !folder->data.IsDirectory()) return nullptr;
    // The mask as written: its trailing dots and blanks carry meaning ("*.").
    std::size_t cut = pattern.find_last_of("\\/");
    std::string_view mask =
        std::string_view(pattern).substr(cut == std::string::npos ? 2 : cut + 1);
    return searchFolder(folder->host, mask, count == 1, data);
  }
  std::optional<Found> found = resolve(*path, count);
  if (!found) return nullptr;
  if (found->described) {
    data = found->data;
  } else if (!DescribeHostEntry(found->host, found->data.Name, data)) {
    return nullptr;
  }
  return std::make_unique<SingleEntry>();
}

bool PrefixFileSystem::FileExists(const std::string& path) {
  // The scan's most frequent question: answered from the listings, without
  // reading the file's times.
  std::optional<WindowsPath> parsed;
  if (path.empty() || path.front() == '/' || !(parsed = ParseWindowsPath(path)) ||
      HasWildcards(parsed->components.empty() ? std::string_view() : parsed->components.back()))
    return FileSystem::FileExists(path);
  if (parsed->endsInSeparator) return false;
  std::optional<Found> found = resolve(*parsed, parsed->components.size());
  return found && !found->data.IsDirectory();
}

bool PrefixFileSystem::hasWow64() {
  if (!wow64_) {
    // Wine without its 32-bit half leaves syswow64 empty: no 32-bit program
    // ever ran there, so system32 means system32.
    std::optional<Found> folder = resolve(*ParseWindowsPath("C:\\windows\\syswow64"), 2);
    const std::vector<std::string>* names =
        folder && folder->data.IsDirectory() ? folders_.Names(folder->host) : nullptr;
    wow64_ = names && !names->empty();
  }
  return *wow64_;
}

bool PrefixFileSystem::FolderExistsIn(const std::string& path, RegistryView view) {
  return ExistsInView(
      path, view, [this] { return hasWow64(); },
      [this](const std::string& p) { return SetCurrentDirectoryA(p); });
}

bool PrefixFileSystem::FileExistsIn(const std::string& path, RegistryView view) {
  return ExistsInView(
      path, view, [this] { return hasWow64(); },
      [this](const std::string& p) { return FileExists(p); });
}

bool PrefixFileSystem::IsWalkBarrier(const std::string& folder) {
  std::optional<std::string> host = ToHostPath(folder);
  return host && IsHostWalkBarrier(*host);
}

std::unique_ptr<FindSearch> PrefixFileSystem::searchFolder(const std::string& folder,
                                                           std::string_view mask, bool isRoot,
                                                           FindData& data) {
  const std::vector<std::string>* names = folders_.Names(folder);
  if (!names) return nullptr;
  std::vector<std::string> matches;
  // Every folder but a drive's root lists itself and its parent first.
  if (!isRoot) {
    for (const char* dots : {".", ".."})
      if (MatchesMask(mask, dots)) matches.emplace_back(dots);
  }
  for (const std::string& name : *names)
    if (MatchesMask(mask, name)) matches.push_back(name);
  auto search = std::make_unique<FolderSearch>(folder, std::move(matches));
  if (!search->FindNextFileA(data)) return nullptr;
  return search;
}

std::string PrefixFileSystem::GetTempPathA() {
  const char* configured = std::getenv("TMPDIR");
  std::string path = configured && *configured ? configured : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

std::string PrefixFileSystem::GetSpecialFolderPath(int csidl) {
  if (!shellFolders_) shellFolders_.emplace(registry_);
  return shellFolders_->Path(csidl);
}

std::optional<std::string> PrefixFileSystem::ToHostPath(const std::string& path) {
  if (path.empty()) return std::nullopt;
  if (path.front() == '/') return path;
  std::optional<WindowsPath> parsed = ParseWindowsPath(path);
  if (!parsed) return std::nullopt;
  const DriveMap::Drive* drive = drives().Find(parsed->drive);
  if (!drive) return std::nullopt;
  // As far as the path exists, the names as they are on disk; the rest as written.
  std::string host = drive->root;
  std::size_t resolved = 0;
  while (resolved < parsed->components.size()) {
    std::optional<Found> found = resolve(*parsed, resolved + 1);
    if (!found) break;
    host = std::move(found->host);
    ++resolved;
  }
  for (std::size_t i = resolved; i < parsed->components.size(); ++i)
    host = JoinHostPath(host, parsed->components[i]);
  return host;
}

std::optional<std::string> PrefixFileSystem::FromHostPath(const std::string& hostPath) {
  return drives().WindowsPathOf(hostPath);
}

std::string PrefixFileSystem::DrivesProblem() { return DriveMapProblem(prefix_); }

void PrefixFileSystem::ClearCache() {
  drives_.reset();
  wow64_.reset();
  folders_.Clear();
  foundFolders_.clear();
  foundOther_.clear();
}

std::optional<PrefixFileSystem::Found> PrefixFileSystem::resolve(const WindowsPath& path,
                                                                 std::size_t count) {
  // The key of each shorter path is a prefix of this one's: walk up to the
  // deepest answer known, then down again through the listings.
  const std::string key = path.Text(count);
  std::size_t level = count, length = key.size();
  const std::optional<Found>* known = recalled(key);
  while (!known && level > 0) {
    --level;
    length = level == 0 ? 3 : key.rfind('\\', length - 1);
    known = recalled(std::string_view(key).substr(0, length));
  }
  std::optional<Found> found = known ? *known : resolveRoot(path.drive);
  if (!known) remember(std::string_view(key).substr(0, length), found);
  while (level < count) {
    if (found && found->data.IsDirectory()) {
      std::optional<FolderCache::Entry> entry = folders_.Find(found->host, path.components[level]);
      found = entry ? std::optional<Found>(Found{JoinHostPath(found->host, entry->data.Name),
                                                 std::move(entry->data), entry->described})
                    : std::nullopt;
    } else {
      found.reset();
    }
    ++level;
    length = level == count ? key.size() : key.find('\\', length + 1);
    remember(std::string_view(key).substr(0, length), found);
  }
  return found;
}

std::optional<PrefixFileSystem::Found> PrefixFileSystem::resolveRoot(char drive) {
  const DriveMap::Drive* mapped = drives().Find(drive);
  FindData data;
  if (!mapped || !DescribeHostEntry(mapped->root, std::string{drive, ':'}, data) ||
      !data.IsDirectory())
    return std::nullopt;
  return Found{mapped->root, std::move(data)};
}

const std::optional<PrefixFileSystem::Found>* PrefixFileSystem::recalled(
    std::string_view key) const {
  if (auto folder = foundFolders_.find(key); folder != foundFolders_.end()) return &folder->second;
  if (auto other = foundOther_.find(key); other != foundOther_.end()) return &other->second;
  return nullptr;
}

void PrefixFileSystem::remember(std::string_view key, const std::optional<Found>& found) {
  if (found && found->data.IsDirectory()) {
    foundFolders_.insert_or_assign(std::string(key), found);
    return;
  }
  if (foundOther_.size() >= kMaxRememberedPaths) foundOther_.clear();
  foundOther_.insert_or_assign(std::string(key), found);
}

}  // namespace hw::platform
