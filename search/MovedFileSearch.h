#pragma once
// After a scan, looks under the search folders for files named like the
// missing ones and offers each find as a replacement: the entry's registry
// text with the old path replaced by the new one. Of several finds, the one
// whose folder resembles the old folder most becomes the entry's choice.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hw {

class CategoryTable;
class TEntry;
class TExcludedDriveList;
class TFindInDir;
class TextSource;

namespace platform {
class FileSystem;
}

// Interface texts of the search.
inline constexpr int kTextFoundCount = 32;       // status at the end: found count follows
inline constexpr int kTextSearchingIn = 33;      // status per folder: the folder follows
inline constexpr int kTextFontReplacement = 85;  // before a font's replacement in its row

// How alike a found folder is to the old one, comparing their names from the
// deepest up (higher is more alike); -10000 when no name matches at all.
std::int32_t FolderSimilarity(std::string_view oldFolder, std::string_view foundFolder);

// The default choice of the invalid-path entries the search found nothing
// for: delete when the value named one path, else leave it. Rows shown follow.
// Entries the user chose for are left as the user left them.
void ApplySearchDefaults(CategoryTable& table);

class TMovedFileSearch {
 public:
  // Binds the finder's events to the handlers below and makes it report
  // folders too. None is owned; all must outlive this object.
  TMovedFileSearch(CategoryTable& table, const TextSource& texts, TFindInDir& finder);
  TMovedFileSearch(const TMovedFileSearch&) = delete;
  TMovedFileSearch& operator=(const TMovedFileSearch&) = delete;

  // Gives every picked, writable entry of the searched categories its mask,
  // then walks each folder in turn until one is stopped. Folders on an
  // excluded drive are passed over when a list is given.
  void RunMovedFileSearch(const std::vector<std::string>& folders,
                          const TExcludedDriveList* excludedDrives = nullptr);
  // Finds of the current search that became replacements.
  int FoundCount() const { return foundCount_; }

  void FindInDir1FoundFile(TFindInDir& sender);
  void FindInDir1ChangeDir(TFindInDir& sender);
  void FindInDir1EndScan(TFindInDir& sender);

 private:
  void PrepareEntry(TEntry& entry);

  CategoryTable& table_;
  const TextSource& texts_;
  TFindInDir& finder_;
  int foundCount_ = 0;
  // Per mask: whether it names a folder (its entry's missing path ended in a
  // backslash), so that only finds of the same kind become replacements.
  std::vector<bool> maskIsFolder_;
};

// The whole search as the command-line tool runs it, without a window: the
// search folders (the roots of the fixed and RAM drives when the list is
// empty) except those on the excluded drives ("D:"), then the defaults.
// Returns the number of replacements found.
int FindMovedFiles(CategoryTable& table, const TextSource& texts, platform::FileSystem& files,
                   std::vector<std::string> searchFolders,
                   const std::vector<std::string>& excludedDrives);

}  // namespace hw
