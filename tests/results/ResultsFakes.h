#pragma once
// Fakes for the found-entries tests: numbered texts that name their number,
// and a view that records what the model asked of it.

#include <string>
#include <vector>

#include "lang/TextSource.h"
#include "results/EntriesView.h"
#include "results/Entry.h"

namespace hw::test {

// Interface text n reads "I<n>", message n "M<n>".
class FakeTextSource : public TextSource {
 public:
  std::string GetInterfaceText(int n) const override { return "I" + std::to_string(n); }
  std::string GetMessage(int n) const override { return "M" + std::to_string(n); }
};

class FakeEntriesView : public TEntriesView {
 public:
  struct Row {
    TEntry* entry;
    bool checked;
  };

  int ShownCategory() const override { return shown; }
  void AddEntryRow(TEntry& entry, bool checked) override {
    rows.push_back({&entry, checked});
    // An opaque token; the model never looks behind it.
    entry.BoxItem = reinterpret_cast<TBoxItem*>(&rows);
  }
  void RemoveEntryRow(TEntry& entry) override {
    std::erase_if(rows, [&](const Row& row) { return row.entry == &entry; });
    entry.BoxItem = nullptr;
    removed.push_back(entry.KeyText);
  }
  void UpdateEntryRow(TEntry&) override {}
  void RefreshResultCounts() override { ++refreshes; }
  void SetStatus(int, const std::string&) override {}

  int shown = -1;
  std::vector<Row> rows;
  std::vector<std::string> removed;  // key texts of the entries whose rows went
  int refreshes = 0;
};

}  // namespace hw::test
