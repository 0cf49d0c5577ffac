#pragma once
// The eight exclusion lists as the program keeps them: each starts with the
// default entries from its file beside the program and goes on with the
// user's own entries, which live in the settings as a stored list. Only the
// user's part (positions from DefaultCount on) is ever stored.

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "scan/AnalyzSet.h"
#include "scan/AnalyzTypes.h"

namespace hw {

class TStoredLists;

// The categories whose check box the Welcome page shows; only these are
// chosen, loaded and edited. Empty keys and file types are hidden.
inline constexpr TAnalyzCategories kWelcomeCategories = {acInvalidPaths,      acInvalidFonts,
                                                         acObsoleteStartMenu, acInvalidAppPaths,
                                                         acInvalidHelpFiles,  acInvalidSharedDLLs};

// A default file that is not there. The program does not run without the
// default file of a category it loads: the caller reports FileName() (quoted,
// after message 3) and ends.
class EMissingDefaultsFile : public std::runtime_error {
 public:
  explicit EMissingDefaultsFile(std::string fileName);
  const std::string& FileName() const { return fileName_; }

 private:
  std::string fileName_;
};

// The entries of a default file, one per line; lines end with CR LF, LF or CR
// and an empty line is an empty entry. Throws EMissingDefaultsFile when the
// file does not exist, platform::FileError when it cannot be read.
std::vector<std::string> ReadDefaultsFile(const std::filesystem::path& file);

// Appends \text\ (the text without its leading and trailing backslashes);
// false, changing nothing, when no text is left.
bool AddExcluded(TAnalyzSet& list, std::string_view text);
// The entry for a location: \path\ and, for a value finding, value\.
std::string ExclusionText(std::string_view keyPath, std::string_view valueName = {});
// Stores one more entry in the stored list name at once: the list is read,
// the entry appended and the whole list saved. Throws as SaveListToRegistry.
bool AddToRegistryList(TStoredLists& stored, const std::string& name, const std::string& entry);

class TExclusionLists {
 public:
  // sets: the engine's ExclusionSets, not owned. dataFolder: the host folder
  // holding the default files.
  TExclusionLists(std::array<TAnalyzSet, kCategoryCount>& sets, std::filesystem::path dataFolder);

  // For each category of the set, in ordinal order: the default file, then
  // the user's stored entries (when stored is given). Throws
  // EMissingDefaultsFile for the first missing file; the categories before it
  // are loaded.
  void Load(TAnalyzCategories categories, TStoredLists* stored);
  // Replaces the category's list by its default file's entries; the list is
  // unchanged when the file cannot be read.
  void LoadDefaults(TAnalyzCategory category);

  TAnalyzSet& List(TAnalyzCategory category) { return sets_[category]; }
  const TAnalyzSet& List(TAnalyzCategory category) const { return sets_[category]; }
  // How many entries at the start of the list came from the default file.
  int DefaultCount(TAnalyzCategory category) const { return defaultCount_[category]; }
  std::filesystem::path DefaultsFile(TAnalyzCategory category) const;
  // The entries from DefaultCount on: what the user added.
  std::vector<std::string> UserEntries(TAnalyzCategory category) const;

  // Stores the user's entries of each category of the set under its stored
  // list name; a category without user entries loses its subkey.
  void SaveUserEntries(TStoredLists& stored, TAnalyzCategories categories) const;

  // Adding a finding from the results: the entry text for the location (with
  // the value name for the value-level categories, when there is one).
  static std::string FindingText(TAnalyzCategory category, std::string_view keyPath,
                                 std::string_view valueName);
  // The position of the entry the text is covered by, or -1 when it is new.
  int CoveringEntry(TAnalyzCategory category, std::string_view text) const;
  // Appends the text to the list and stores it at once. False when the text is
  // empty or already covered (see CoveringEntry); nothing changes then.
  bool AddUserEntry(TAnalyzCategory category, std::string_view text, TStoredLists* stored);

 private:
  std::array<TAnalyzSet, kCategoryCount>& sets_;
  std::filesystem::path dataFolder_;
  std::array<int, kCategoryCount> defaultCount_{};
};

}  // namespace hw
