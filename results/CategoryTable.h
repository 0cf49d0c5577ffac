#pragma once
// CategoryTable: the window's eight per-category records, indexed by
// category, and the view they are shown in.

#include <array>
#include <cstdint>
#include <memory>

#include "results/InvalidEntries.h"
#include "scan/AnalyzSet.h"
#include "scan/AnalyzTypes.h"

namespace hw {

class TEntriesView;
class TextSource;

class CategoryTable {
 public:
  // Links record n to exclusionSets[n] (the scan engine's, which must outlive
  // the table). Display names stay empty until ApplyDisplayNames.
  explicit CategoryTable(std::array<TAnalyzSet, kCategoryCount>& exclusionSets);
  CategoryTable(const CategoryTable&) = delete;
  CategoryTable& operator=(const CategoryTable&) = delete;

  TInvalidEntries& operator[](int category) const { return *records_.at(category); }
  static constexpr int Size() { return kCategoryCount; }

  // Interface text that names the category.
  static int CaptionText(int category);
  // Sets every DisplayName from the language pack in use.
  void ApplyDisplayNames(const TextSource& texts);

  // Not owned; null while no window shows the entries.
  TEntriesView* View() const { return view_; }
  void SetView(TEntriesView* view) { view_ = view; }

  std::int32_t PickedTotal() const;
  std::int32_t CountTotal() const;

  // Takes a repaired entry out of the results: its row (if shown), then the
  // entry itself from its category's list; then the counts are refreshed. On
  // success entry becomes null. When walking the picked entries, fetch the
  // next one first.
  bool RemoveEntry(TEntry*& entry);

 private:
  std::array<std::unique_ptr<TInvalidEntries>, kCategoryCount> records_;
  TEntriesView* view_ = nullptr;
};

}  // namespace hw
