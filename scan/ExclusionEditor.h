#pragma once
// What the Settings2 page does with the exclusion lists, without the page:
// one category at a time is shown as a working copy; adds, edits and removals
// go to the working copy and at once to the category's list, so the next scan
// uses them; they are stored when the page is left with Next. Default entries
// can be neither edited nor removed.

#include <string>
#include <string_view>
#include <vector>

#include "scan/AnalyzTypes.h"

namespace hw {

class TExclusionLists;
class TStoredLists;

class TExclusionEditor {
 public:
  // What became of an added or edited text.
  struct TEditResult {
    enum Kind {
      Done,       // the text is in the list
      Empty,      // nothing but backslashes: nothing changed
      Contained,  // an entry already covers it: nothing changed; message 35 names Entry
      NotAllowed  // the position is no user entry
    } Result;
    std::string Entry;
    bool Ok() const { return Result == Done; }
  };

  // lists is not owned.
  explicit TExclusionEditor(TExclusionLists& lists);

  // The combo box's positions: the Welcome categories in ordinal order.
  static int ComboCount();
  static TAnalyzCategory ComboIndexToCategory(int index);

  // Entering the page: the first category is shown.
  void Enter();
  // Shows another category, writing the working copy back into the list of
  // the one shown so far.
  void SelectCategory(int comboIndex);
  int ComboIndex() const { return comboIndex_; }
  TAnalyzCategory Category() const { return ComboIndexToCategory(comboIndex_); }
  // The working copy shown in the list box.
  const std::vector<std::string>& Items() const { return items_; }
  int DefaultCount() const;

  // Edit and remove work on the user's entries only.
  bool CanEdit(int position) const;
  bool CanRemove(int position) const { return CanEdit(position); }

  // text is normalised to \text\ first.
  TEditResult Add(std::string_view text);
  // The edited entry takes part in the containment test: a text that covers
  // the old one is refused.
  TEditResult Edit(int position, std::string_view text);
  bool Remove(int position);
  // The shown category's list becomes its default file again. Throws as
  // TExclusionLists::LoadDefaults, changing nothing.
  void RestoreDefaults();

  // Whether anything was added, edited, removed or restored and not yet stored.
  bool Changed() const { return changed_; }
  // Leaving the page with Next: the user's entries of every Welcome category
  // are stored, when anything changed (so that looking at the lists of a
  // prefix in use is no error). The hidden categories' stored lists are left
  // alone: their lists are not loaded, and storing them empty would erase them.
  void Save(TStoredLists& stored);

 private:
  TEditResult Check(std::string_view text, std::string& entry) const;
  void CopyToList();

  TExclusionLists& lists_;
  int comboIndex_ = 0;
  std::vector<std::string> items_;
  bool changed_ = false;
};

}  // namespace hw
