#pragma once
// What the found-entries model asks of the window that shows it: rows of the
// results check list, the category counts and the status bar. The window
// implements it; the model works without one.

#include <string>

namespace hw {

class TEntry;

class TEntriesView {
 public:
  virtual ~TEntriesView() = default;

  // The category whose entries the check list shows, -1 when none is shown.
  virtual int ShownCategory() const = 0;
  // Appends the entry's row, checked or not, and sets the entry's BoxItem.
  virtual void AddEntryRow(TEntry& entry, bool checked) = 0;
  // Removes the entry's row and clears its BoxItem.
  virtual void RemoveEntryRow(TEntry& entry) = 0;
  // The row's combo texts and selected choice follow the entry's Choices and
  // Choice again, after the choices changed.
  virtual void UpdateEntryRow(TEntry& entry) = 0;
  // The category captions (picked and total counts) and the status bar total.
  virtual void RefreshResultCounts() = 0;
  // Status bar panel 0 or 1 shows the text.
  virtual void SetStatus(int panel, const std::string& text) = 0;
};

}  // namespace hw
