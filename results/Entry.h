#pragma once
// TEntry: one finding of the scan, kept after the engine's report is gone,
// with the repair choices offered for it and the one the user chose.

#include <cstdint>
#include <string>
#include <vector>

#include "scan/AnalyzTypes.h"

namespace hw {

class TBoxItem;  // a row of the results check list; the window's
class TEntries;

class TEntry {
 public:
  TEntry() = default;
  TEntry(const TEntry&) = delete;
  TEntry& operator=(const TEntry&) = delete;

  // Whether the entry belongs to the repair set. Changed only through its
  // list (TEntries::SetPicked, SetAllPicked), which keeps the picked count.
  bool Picked() const { return picked_; }
  // Index into Choices of the chosen repair, -1 for none, and a copy of its text.
  std::int32_t Choice() const { return choice_; }
  const std::string& ChoiceText() const { return choiceText_; }

  // Chooses Choices[index], or none for -1; any other index changes nothing.
  void SetChoice(std::int32_t index);
  // Appends the entry's data and/or value name with BadPath replaced by
  // foundPath, as the kinds in Flags allow; true when a text was appended.
  // The choice stays as it was.
  bool AddReplacement(std::string foundPath);

  std::int32_t BestScore = kNoScore;  // of the replacement the search chose
  std::int32_t SearchSlot = kNoSlot;  // the entry's mask in the moved-file search
  // 0: leave the entry (the only choice of a read-only key); 1: repair
  // (delete); 2 and on: replacement texts. After changing a text, SetChoice
  // again with Choice() so that ChoiceText follows.
  std::vector<std::string> Choices;
  std::string KeyText;    // "[ROOT] path", at most 255 characters
  std::string ValueName;  // at most 255 characters; empty for the default value or a key
  std::string Data;
  std::string BadPath;  // the missing path, or an extension entry's problem text
  TEntryTypes Flags;
  std::uint8_t Category = 0;
  bool KeyWritable = true;
  std::int32_t PathCount = 0;
  // The user picked, unpicked or chose for this entry (possibly while the
  // moved-file search ran): the search and its defaults keep that choice.
  bool ChosenByUser = false;
  // The entry's row while it is shown; not owned. Whoever destroys the entry
  // removes the row first, or the row keeps a link to a destroyed entry.
  TBoxItem* BoxItem = nullptr;

  static constexpr std::int32_t kNoScore = -11000;
  static constexpr std::int32_t kNoSlot = -1;

 private:
  friend class TEntries;

  bool picked_ = false;
  std::int32_t choice_ = -1;
  std::string choiceText_;
  const TEntries* owner_ = nullptr;  // the list that holds the entry
};

}  // namespace hw
