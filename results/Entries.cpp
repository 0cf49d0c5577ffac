#include "results/Entries.h"

namespace hw {

TEntry& TEntries::AddEntry() {
  auto entry = std::make_unique<TEntry>();
  entry->owner_ = this;
  list_.push_back(std::move(entry));
  return *list_.back();
}

int TEntries::IndexOf(const TEntry* entry) const {
  if (entry == nullptr || entry->owner_ != this) return -1;
  for (std::size_t i = 0; i < list_.size(); ++i)
    if (list_[i].get() == entry) return static_cast<int>(i);
  return -1;
}

TEntry* TEntries::PickedFrom(int start) {
  for (int i = start < 0 ? 0 : start; i < Count(); ++i) {
    if (list_[i]->picked_) {
      pickCursor_ = i;
      return list_[i].get();
    }
  }
  return nullptr;
}

TEntry* TEntries::FirstPicked() { return PickedFrom(0); }

TEntry* TEntries::NextPicked() { return PickedFrom(pickCursor_ + 1); }

void TEntries::SetPicked(TEntry* entry, bool value) {
  // The owner test keeps the count true when an entry of another category's
  // list is handed in, without a search of the list on every check mark.
  if (entry == nullptr || entry->owner_ != this || entry->picked_ == value) return;
  entry->picked_ = value;
  pickedCount_ += value ? 1 : -1;
}

void TEntries::SetAllPicked(bool value) {
  for (auto& entry : list_) entry->picked_ = value;
  pickedCount_ = value ? Count() : 0;
}

bool TEntries::Delete(int index) {
  if (index < 0 || index >= Count()) return false;
  if (index <= pickCursor_) --pickCursor_;
  if (list_[index]->picked_) --pickedCount_;
  list_.erase(list_.begin() + index);
  return true;
}

bool TEntries::Remove(TEntry*& entry) {
  if (!Delete(IndexOf(entry))) return false;
  entry = nullptr;
  return true;
}

TEntry* TEntries::FindBySearchSlot(std::int32_t slot) const {
  for (const auto& entry : list_)
    if (entry->SearchSlot == slot) return entry.get();
  return nullptr;
}

void TEntries::ResetChoices() {
  pickCursor_ = 0;
  for (auto& entry : list_) {
    entry->Choices.clear();
    entry->SetChoice(-1);
    entry->BestScore = TEntry::kNoScore;
    entry->ChosenByUser = false;
  }
}

void TEntries::Clear() {
  ResetChoices();
  while (!list_.empty()) list_.pop_back();
  pickedCount_ = 0;
}

}  // namespace hw
