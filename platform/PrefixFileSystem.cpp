#include "platform/PrefixFileSystem.h"

#include <cstdlib>
#include <utility>
#include <vector>

namespace hw::platform {

namespace {

// Past this many paths remembered, the record starts afresh: the folder
// listings keep the lookups cheap, and memory stays bounded on any scan.
constexpr std::size_t kMaxRememberedPaths = 1u << 17;

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
  data = found->data;
  return std::make_unique<SingleEntry>();
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

void PrefixFileSystem::ClearCache() {
  drives_.reset();
  folders_.Clear();
  found_.clear();
}

std::optional<PrefixFileSystem::Found> PrefixFileSystem::resolve(const WindowsPath& path,
                                                                 std::size_t count) {
  std::string key = path.Text(count);
  if (auto known = found_.find(key); known != found_.end()) return known->second;
  std::optional<Found> found;
  if (count == 0) {
    found = resolveRoot(path.drive);
  } else if (std::optional<Found> parent = resolve(path, count - 1);
             parent && parent->data.IsDirectory()) {
    if (std::optional<FindData> entry = folders_.Find(parent->host, path.components[count - 1]))
      found = Found{JoinHostPath(parent->host, entry->Name), std::move(*entry)};
  }
  remember(std::move(key), found);
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

void PrefixFileSystem::remember(std::string key, const std::optional<Found>& found) {
  if (found_.size() >= kMaxRememberedPaths) found_.clear();
  found_.insert_or_assign(std::move(key), found);
}

}  // namespace hw::platform
