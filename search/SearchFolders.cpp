#include "search/SearchFolders.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <functional>
#include <string_view>

#include "lang/TextSource.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "scan/PathText.h"

namespace hw {

void FillDefaultSearchPaths(std::vector<std::string>& paths, platform::FileSystem& files,
                            const std::string& home) {
  if (!paths.empty()) return;
  const std::optional<std::string> hostRoot = files.FromHostPath("/");
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string root{letter, ':', '\\'};
    UINT type = files.GetDriveTypeA(root);
    if (type != DRIVE_FIXED && type != DRIVE_RAMDISK) continue;
    if (hostRoot != root) {
      paths.push_back(root);
      continue;
    }
    std::optional<std::string> homeFolder;
    if (!home.empty() && home != "/") homeFolder = files.FromHostPath(home);
    if (homeFolder && homeFolder->size() > root.size() &&
        platform::equalsNoCase(homeFolder->substr(0, root.size()), root))
      paths.push_back(*homeFolder);
  }
}

void FillDefaultSearchPaths(std::vector<std::string>& paths, platform::FileSystem& files) {
  const char* home = std::getenv("HOME");
  FillDefaultSearchPaths(paths, files, home ? home : "");
}

namespace {

// A folder without its trailing backslashes; a drive root keeps its own ("C:\").
std::string_view withoutTrailingSeparator(std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '\\' && !(folder.size() == 3 && folder[1] == ':'))
    folder.remove_suffix(1);
  return folder;
}

// Whether inner names outer or a folder below it, without regard to case.
// Whole names only: C:\Database does not lie inside C:\Data.
bool liesIn(std::string_view inner, std::string_view outer) {
  inner = withoutTrailingSeparator(inner);
  outer = withoutTrailingSeparator(outer);
  if (outer.empty() || inner.size() < outer.size() ||
      !platform::equalsNoCase(inner.substr(0, outer.size()), outer))
    return false;
  return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

void removeAt(std::vector<std::string>& items, std::vector<int> positions) {
  std::sort(positions.begin(), positions.end(), std::greater<>());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  for (int position : positions)
    if (position >= 0 && position < static_cast<int>(items.size()))
      items.erase(items.begin() + position);
}

}  // namespace

int TSearchFolderList::AddFolder(const std::string& folder) {
  // Refusal is decided before anything changes, so a list that already holds
  // nested folders never loses one to a refused addition.
  for (const std::string& listed : folders_)
    if (liesIn(folder, listed)) return -1;

  int index = -1;
  for (std::size_t i = 0; i < folders_.size();) {
    if (!liesIn(folders_[i], folder)) {
      ++i;
    } else if (index < 0) {
      folders_[i] = folder;
      index = static_cast<int>(i++);
    } else {
      folders_.erase(folders_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  if (index >= 0) return index;
  folders_.push_back(folder);
  return Count() - 1;
}

std::optional<std::string> TSearchFolderList::AddChosenFolder(const std::string& folder,
                                                              const TextSource& texts) {
  if (folder.empty() || AddFolder(folder) >= 0) return std::nullopt;
  return texts.GetMessage(kMsgFolderCovered) + " \"" + folder + "\"";
}

void TSearchFolderList::RemoveAt(std::vector<int> positions) {
  removeAt(folders_, std::move(positions));
}

void TSearchFolderList::FillDefaults(platform::FileSystem& files) {
  FillDefaultSearchPaths(folders_, files);
}

std::string TExcludedDriveList::AddLetter(const std::string& fieldText) {
  if (fieldText.empty()) return fieldText;
  const std::string text = UpperAZ(fieldText);
  const char letter = text[0];
  if (letter < 'A' || letter > 'Z') return {};
  const std::string entry{letter, ':'};
  if (std::find(drives_.begin(), drives_.end(), entry) != drives_.end()) return {};
  drives_.push_back(entry);
  return text;
}

void TExcludedDriveList::RemoveAt(std::vector<int> positions) {
  removeAt(drives_, std::move(positions));
}

bool TExcludedDriveList::Excludes(const std::string& path) const {
  if (path.size() < 2 || path[1] != ':') return false;
  const std::string entry = UpperAZ(path.substr(0, 1)) + ":";
  return std::find(drives_.begin(), drives_.end(), entry) != drives_.end();
}

}  // namespace hw
