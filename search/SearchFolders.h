#pragma once
// The two lists of the Settings1 page: the folders the moved-file search walks
// and the drive letters the scan leaves alone. The page shows them and passes
// the user's actions here; the rules for what may be added live in this model.

#include <optional>
#include <string>
#include <vector>

namespace hw {

class TextSource;

namespace platform {
class FileSystem;
}

// Message shown when a folder cannot be added (it is listed or lies inside a
// listed folder).
inline constexpr int kMsgFolderCovered = 5;

// The search folders to use when none are stored: the root ("C:\") of every
// fixed and RAM drive, in letter order. A drive that maps the host's whole
// file system (Wine's Z:) gives the home folder instead (home: the host path,
// normally $HOME), or nothing when that is not on it: a default search must
// not walk the entire host. Fills paths only when it is empty.
void FillDefaultSearchPaths(std::vector<std::string>& paths, platform::FileSystem& files,
                            const std::string& home);
// The same with home from $HOME.
void FillDefaultSearchPaths(std::vector<std::string>& paths, platform::FileSystem& files);

class TSearchFolderList {
 public:
  const std::vector<std::string>& Folders() const { return folders_; }
  int Count() const { return static_cast<int>(folders_.size()); }
  bool Empty() const { return folders_.empty(); }
  void Assign(std::vector<std::string> folders) { folders_ = std::move(folders); }

  // Adds a folder unless it is listed or lies inside a listed folder (both
  // without regard to case). Listed folders that lie inside the new one give
  // way to it: the first is replaced in its place, the others are removed.
  // Returns the new folder's index, -1 when it was refused.
  int AddFolder(const std::string& folder);
  // What the page does with a folder chosen in the picker: an empty choice
  // does nothing; a refused one yields the text to show (message 5, then the
  // folder in double quotes).
  std::optional<std::string> AddChosenFolder(const std::string& folder, const TextSource& texts);

  // Removes the folders at the given positions (the page's selection), from
  // the last to the first; positions outside the list are ignored.
  void RemoveAt(std::vector<int> positions);

  // When the list is empty: the root ("C:\") of every fixed and RAM drive.
  void FillDefaults(platform::FileSystem& files);

 private:
  std::vector<std::string> folders_;
};

class TExcludedDriveList {
 public:
  // Entries "D:", upper case: the scan engine's ExcludedDrives.
  const std::vector<std::string>& Drives() const { return drives_; }
  void Assign(std::vector<std::string> drives) { drives_ = std::move(drives); }

  // The add-letter button on the text of the drive field; returns the field's
  // new text. The text is upper-cased; when it starts with a letter A to Z
  // whose entry is not listed yet, the entry is appended and the field keeps
  // the text, otherwise the field is cleared. An empty field stays empty.
  std::string AddLetter(const std::string& fieldText);
  // As TSearchFolderList::RemoveAt.
  void RemoveAt(std::vector<int> positions);
  // Whether a Windows path lies on one of the listed drives.
  bool Excludes(const std::string& path) const;

 private:
  std::vector<std::string> drives_;
};

}  // namespace hw
