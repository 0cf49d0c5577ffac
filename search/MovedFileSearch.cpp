#include "search/MovedFileSearch.h"

#include <optional>

#include "lang/TextSource.h"
#include "platform/EventPump.h"
#include "platform/Text.h"
#include "results/CategoryEntries.h"
#include "results/CategoryTable.h"
#include "results/EntriesView.h"
#include "results/ReportIntake.h"
#include "scan/PathText.h"
#include "search/FindInDir.h"
#include "search/SearchFolders.h"

namespace hw {
namespace {

// The categories whose missing files are searched, in the order they are
// prepared and asked about a find.
constexpr TAnalyzCategory kSearchedCategories[] = {
    acInvalidPaths, acInvalidFonts, acInvalidAppPaths, acInvalidHelpFiles, acInvalidSharedDLLs};

constexpr std::int32_t kNoMatch = -10000;

// A Windows path has at most 260 characters, so at most 130 folder names.
// Deeper ones come only from malformed registry data; comparing them would
// take quadratic time and overflow the score.
constexpr std::size_t kMaxFolderNames = 130;

// The folder names of a path, deepest last (at most kMaxFolderNames of them);
// drive parts ("C:") are no names.
std::vector<std::string_view> folderNames(std::string_view folder) {
  std::vector<std::string_view> names;
  platform::ForEachNonEmpty(folder, '\\', [&](std::string_view name) {
    if (!(name.size() == 2 && name[1] == ':')) names.push_back(name);
    return true;
  });
  if (names.size() > kMaxFolderNames)
    names.erase(names.begin(), names.end() - static_cast<std::ptrdiff_t>(kMaxFolderNames));
  return names;
}

std::string_view withoutOuterBackslashes(std::string_view text) {
  while (!text.empty() && text.front() == '\\') text.remove_prefix(1);
  while (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  return text;
}

}  // namespace

std::int32_t FolderSimilarity(std::string_view oldFolder, std::string_view foundFolder) {
  const std::vector<std::string_view> oldNames = folderNames(oldFolder);
  const std::vector<std::string_view> foundNames = folderNames(foundFolder);
  std::int32_t score = 0, weight = 100;
  bool matched = false;
  // The found names still open to a match: those above the last match.
  std::size_t open = foundNames.size();
  // Weights and penalties stop at zero: past a hundred names a lower weight
  // would turn a match into a loss and a mismatch into a gain, and a folder
  // could then resemble another more than itself. Names above the hundredth
  // from the deepest thus count for nothing.
  for (auto oldName = oldNames.rbegin(); oldName != oldNames.rend() && weight > 0;
       ++oldName, --weight) {
    std::int32_t penalty = weight;
    for (std::size_t i = open; i-- > 0;) {
      if (platform::equalsNoCase(foundNames[i], *oldName)) {
        score += weight;
        open = i;
        matched = true;
        break;
      }
      score -= penalty;
      if (penalty > 0) --penalty;
    }
  }
  return matched ? score : kNoMatch;
}

void ApplySearchDefaults(CategoryTable& table) {
  TEntries& entries = *table[acInvalidPaths].Entries;
  TEntriesView* view = table.View();
  bool changed = false;
  for (const auto& item : entries.List()) {
    TEntry& entry = *item;
    if (!entry.KeyWritable || entry.Choice() >= 2 || entry.ChosenByUser) continue;
    entry.SetChoice(entry.PathCount < 2 ? 1 : 0);
    if (entry.BoxItem == nullptr || view == nullptr) continue;
    // The row's check mark picks the entry, as a click on it would.
    if (view->ShownCategory() == acInvalidPaths) {
      entries.SetPicked(&entry, entry.Choice() != 0);
      changed = true;
    }
    view->UpdateEntryRow(entry);
  }
  if (changed) view->RefreshResultCounts();
}

TMovedFileSearch::TMovedFileSearch(CategoryTable& table, const TextSource& texts,
                                   TFindInDir& finder)
    : table_(table), texts_(texts), finder_(finder) {
  finder_.SearchFor = fidSearchForDirs | fidSearchForFiles;
  finder_.ScanSubfolders = true;
  finder_.OnFoundFile = [this](TFindInDir& sender) { FindInDir1FoundFile(sender); };
  finder_.OnFoundDir = finder_.OnFoundFile;
  finder_.OnChangeDir = [this](TFindInDir& sender) { FindInDir1ChangeDir(sender); };
  finder_.OnEndScan = [this](TFindInDir& sender) { FindInDir1EndScan(sender); };
}

void TMovedFileSearch::RunMovedFileSearch(const std::vector<std::string>& folders,
                                          const TExcludedDriveList* excludedDrives) {
  finder_.Masks.clear();
  maskIsFolder_.clear();
  for (TAnalyzCategory category : kSearchedCategories) {
    TInvalidPathEntries* entries = table_[category].PathEntries();
    if (entries == nullptr) continue;
    // Slots of an earlier search would otherwise answer this one's finds.
    for (const auto& entry : entries->List()) entry->SearchSlot = TEntry::kNoSlot;
    for (TEntry* entry = entries->FirstPicked(); entry != nullptr; entry = entries->NextPicked())
      if (entry->KeyWritable) PrepareEntry(*entry);
  }
  foundCount_ = 0;
  for (const std::string& folder : folders) {
    if (excludedDrives != nullptr && excludedDrives->Excludes(folder)) continue;
    finder_.InitialDir = folder;
    finder_.Execute();
    if (finder_.StopScan()) break;
  }
}

void TMovedFileSearch::PrepareEntry(TEntry& entry) {
  // No mask: the entry is not searched (a shared DLL whose count is zero).
  std::optional<std::string_view> mask;
  const std::string_view fileName = ExtractFileName(entry.BadPath);
  switch (entry.Category) {
    case acInvalidAppPaths:
      if (entry.Flags.Contains(etAppPathMissing) || entry.Flags.Contains(etAppNotInPath))
        mask = std::string_view(entry.KeyText).substr(entry.KeyText.rfind('\\') + 1);
      else
        mask = fileName;
      break;
    case acInvalidHelpFiles: mask = entry.ValueName; break;
    case acInvalidSharedDLLs:
      if (!entry.Flags.Contains(etZeroUsageCount)) mask = fileName;
      break;
    default: mask = fileName; break;
  }

  if (mask) {
    std::string_view name = Trim(*mask);
    bool folder = false;
    if (name.empty()) {
      // The missing path is a folder: look for folders of its last name. The
      // name goes without its backslash, which no find-first name carries.
      name = ExtractFileName(TrimTrailing(entry.BadPath, '\\'));
      folder = true;
    }
    entry.SearchSlot = static_cast<std::int32_t>(finder_.Masks.size());
    finder_.Masks.emplace_back(name);
    maskIsFolder_.push_back(folder);
  }

  if (entry.Choices.size() > 1)
    entry.Choices[1] = texts_.GetInterfaceText(
        entry.Flags.Contains(etZeroUsageCount) ? kTextDeleteMenuOrder : kTextDeleteSearched);
  entry.SetChoice(entry.Choice());
  if (entry.BoxItem != nullptr && table_.View() != nullptr) table_.View()->UpdateEntryRow(entry);
}

void TMovedFileSearch::FindInDir1FoundFile(TFindInDir& sender) {
  const int slot = sender.CurrentMaskIndex;
  if (slot < 0 || static_cast<std::size_t>(slot) >= maskIsFolder_.size()) return;
  // A missing folder is not replaced by a file of its name.
  if (maskIsFolder_[slot] && !sender.SearchRec.IsDirectory()) return;
  const std::string foundFolder(withoutOuterBackslashes(sender.CurrentDir));
  const std::string foundPath = sender.CurrentDir + sender.CurrentName;

  for (TAnalyzCategory category : kSearchedCategories) {
    TInvalidPathEntries* entries = table_[category].PathEntries();
    TEntry* entry = entries != nullptr ? entries->FindBySearchSlot(slot) : nullptr;
    if (entry == nullptr) continue;
    const bool folderWanted =
        category == acInvalidHelpFiles ||
        (category == acInvalidAppPaths && entry->Flags.Contains(etAppNotInPath));
    // A find that yields no text (the missing path is not in the entry's
    // text) is no replacement: it neither becomes the choice nor counts.
    if (!entry->AddReplacement(folderWanted ? foundFolder : foundPath)) continue;
    const std::int32_t score = FolderSimilarity(ExtractFilePath(entry->BadPath), foundFolder);
    // A choice the user made meanwhile stays; the find is offered beside it.
    if (!entry->ChosenByUser && (entry->Choice() < 2 || score > entry->BestScore)) {
      entry->SetChoice(static_cast<std::int32_t>(entry->Choices.size()) - 1);
      entry->BestScore = score;
    }
    ++foundCount_;
    if (entry->BoxItem != nullptr && table_.View() != nullptr)
      table_.View()->UpdateEntryRow(*entry);
  }
}

void TMovedFileSearch::FindInDir1ChangeDir(TFindInDir& sender) {
  if (TEntriesView* view = table_.View())
    view->SetStatus(1, texts_.GetInterfaceText(kTextSearchingIn) + " " + sender.CurrentDir);
}

void TMovedFileSearch::FindInDir1EndScan(TFindInDir&) {
  if (TEntriesView* view = table_.View())
    view->SetStatus(1,
                    texts_.GetInterfaceText(kTextFoundCount) + " " + std::to_string(foundCount_));
}

int FindMovedFiles(CategoryTable& table, const TextSource& texts, platform::FileSystem& files,
                   std::vector<std::string> searchFolders,
                   const std::vector<std::string>& excludedDrives) {
  TSearchFolderList folders;
  folders.Assign(std::move(searchFolders));
  folders.FillDefaults(files);
  TExcludedDriveList excluded;
  excluded.Assign(excludedDrives);

  const platform::EventPump pump;
  TFindInDir finder(files, pump);
  TMovedFileSearch search(table, texts, finder);
  search.RunMovedFileSearch(folders.Folders(), &excluded);
  ApplySearchDefaults(table);
  return search.FoundCount();
}

}  // namespace hw
