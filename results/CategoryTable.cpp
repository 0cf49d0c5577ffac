#include "results/CategoryTable.h"

#include <string>

#include "lang/TextSource.h"
#include "platform/Text.h"
#include "results/CategoryEntries.h"
#include "results/EntriesView.h"
#include "scan/CategoryStorage.h"

namespace hw {
namespace {

struct CategoryLook {
  std::int32_t linesPerRow;
  int captionText;
};

// Indexed by category.
constexpr std::array<CategoryLook, kCategoryCount> kLooks = {{
    {3, 62},  // invalid paths
    {2, 67},  // empty keys
    {3, 29},  // invalid fonts
    {2, 52},  // obsolete Start-menu items
    {3, 63},  // invalid application paths
    {3, 74},  // invalid help files
    {3, 93},  // invalid shared DLLs
    {2, 87},  // invalid file extensions
}};

}  // namespace

CategoryTable::CategoryTable(std::array<TAnalyzSet, kCategoryCount>& exclusionSets) {
  for (int i = 0; i < kCategoryCount; ++i) {
    const auto category = static_cast<TAnalyzCategory>(i);
    records_[i] = std::make_unique<TInvalidEntries>(
        exclusionSets[i], std::string(kCategoryStorage[i].DefaultsFile), kLooks[i].linesPerRow,
        MakeCategoryEntries(category), std::string(kCategoryStorage[i].ExclusionValueName));
  }
}

int CategoryTable::CaptionText(int category) { return kLooks.at(category).captionText; }

void CategoryTable::ApplyDisplayNames(const TextSource& texts) {
  for (int i = 0; i < kCategoryCount; ++i)
    records_[i]->DisplayName =
        std::string(platform::cutToChars(texts.GetInterfaceText(CaptionText(i)), 255));
}

std::int32_t CategoryTable::PickedTotal() const {
  std::int32_t total = 0;
  for (const auto& record : records_) total += record->Entries->PickedCount();
  return total;
}

std::int32_t CategoryTable::CountTotal() const {
  std::int32_t total = 0;
  for (const auto& record : records_) total += record->Entries->Count();
  return total;
}

bool CategoryTable::RemoveEntry(TEntry*& entry) {
  if (entry == nullptr || entry->Category >= kCategoryCount) return false;
  TEntries& entries = *records_[entry->Category]->Entries;
  if (entries.IndexOf(entry) < 0) return false;
  if (entry->BoxItem != nullptr && view_ != nullptr) view_->RemoveEntryRow(*entry);
  entries.Remove(entry);
  if (view_ != nullptr) view_->RefreshResultCounts();
  return true;
}

}  // namespace hw
