#pragma once
// TEntries: the found entries of one category in the order they were
// reported, with the count of those picked for repair and a cursor that lets
// a caller walk the picked ones while removing some of them.

#include <cstdint>
#include <memory>
#include <vector>

#include "results/Entry.h"

namespace hw {

class TEntries {
 public:
  TEntries() = default;
  virtual ~TEntries() = default;
  TEntries(const TEntries&) = delete;
  TEntries& operator=(const TEntries&) = delete;

  // Appends a new entry with its initial values; the list owns it.
  TEntry& AddEntry();
  // Position of the entry in the list, -1 when it is not in this list.
  int IndexOf(const TEntry* entry) const;
  int Count() const { return static_cast<int>(list_.size()); }
  TEntry& operator[](int index) const { return *list_[index]; }
  const std::vector<std::unique_ptr<TEntry>>& List() const { return list_; }

  // The picked entries in list order. To remove some of them on the way,
  // fetch the next one before removing the current one: Delete moves the
  // cursor back so that NextPicked continues after the fetched entry.
  // FirstPicked leaves the cursor as it was when nothing is picked.
  TEntry* FirstPicked();
  TEntry* NextPicked();
  std::int32_t PickCursor() const { return pickCursor_; }
  std::int32_t PickedCount() const { return pickedCount_; }

  // Nothing happens for no entry, an entry of another list or an unchanged value.
  void SetPicked(TEntry* entry, bool value);
  void SetAllPicked(bool value);

  // Destroys the entry at index; false for an index outside the list. The
  // entry's row, if it has one, must have been removed before.
  bool Delete(int index);
  // Delete of the entry's position; on success entry becomes null.
  bool Remove(TEntry*& entry);
  TEntry* FindBySearchSlot(std::int32_t slot) const;
  // Drops every entry's choices and search score; the entries stay.
  void ResetChoices();
  void Clear();

 private:
  TEntry* PickedFrom(int start);

  std::int32_t pickCursor_ = 0;
  std::vector<std::unique_ptr<TEntry>> list_;
  std::int32_t pickedCount_ = 0;
};

}  // namespace hw
