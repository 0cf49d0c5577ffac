#include "scan/ExclusionEditor.h"

#include <array>
#include <stdexcept>

#include "scan/AnalyzSet.h"
#include "scan/ExclusionLists.h"

namespace hw {

namespace {

constexpr std::array<TAnalyzCategory, 6> kComboCategories = {
    acInvalidPaths,    acInvalidFonts,     acObsoleteStartMenu,
    acInvalidAppPaths, acInvalidHelpFiles, acInvalidSharedDLLs};

static_assert([] {
  TAnalyzCategories listed;
  for (TAnalyzCategory category : kComboCategories) listed.Include(category);
  return listed == kWelcomeCategories;
}());

}  // namespace

TExclusionEditor::TExclusionEditor(TExclusionLists& lists) : lists_(lists) {}

int TExclusionEditor::ComboCount() { return static_cast<int>(kComboCategories.size()); }

TAnalyzCategory TExclusionEditor::ComboIndexToCategory(int index) {
  if (index < 0 || index >= ComboCount()) throw std::out_of_range("no such exclusion category");
  return kComboCategories[static_cast<std::size_t>(index)];
}

void TExclusionEditor::Enter() {
  comboIndex_ = 0;
  // Edits left with Back are in the lists but not yet stored: they stay
  // pending until a Next stores them.
  items_ = lists_.List(Category()).Items;
}

void TExclusionEditor::SelectCategory(int comboIndex) {
  TAnalyzCategory next = ComboIndexToCategory(comboIndex);
  CopyToList();
  comboIndex_ = comboIndex;
  items_ = lists_.List(next).Items;
}

int TExclusionEditor::DefaultCount() const { return lists_.DefaultCount(Category()); }

bool TExclusionEditor::CanEdit(int position) const {
  return position >= DefaultCount() && position < static_cast<int>(items_.size());
}

TExclusionEditor::TEditResult TExclusionEditor::Check(std::string_view text,
                                                      std::string& entry) const {
  std::string_view trimmed = TrimChar(text, '\\');
  if (trimmed.empty()) return {TEditResult::Empty, {}};
  entry = ExclusionText(trimmed);
  TAnalyzSet shown;
  shown.Items = items_;
  int covering = shown.IndexOfExcluded(entry, {});
  if (covering >= 0) return {TEditResult::Contained, items_[static_cast<std::size_t>(covering)]};
  return {TEditResult::Done, entry};
}

TExclusionEditor::TEditResult TExclusionEditor::Add(std::string_view text) {
  std::string entry;
  TEditResult result = Check(text, entry);
  if (!result.Ok()) return result;
  items_.push_back(entry);
  CopyToList();
  return result;
}

TExclusionEditor::TEditResult TExclusionEditor::Edit(int position, std::string_view text) {
  if (!CanEdit(position)) return {TEditResult::NotAllowed, {}};
  std::string entry;
  TEditResult result = Check(text, entry);
  if (!result.Ok()) return result;
  items_[static_cast<std::size_t>(position)] = entry;
  CopyToList();
  return result;
}

bool TExclusionEditor::Remove(int position) {
  if (!CanRemove(position)) return false;
  items_.erase(items_.begin() + position);
  CopyToList();
  return true;
}

void TExclusionEditor::RestoreDefaults() {
  lists_.LoadDefaults(Category());
  items_ = lists_.List(Category()).Items;
  changed_ = true;
}

void TExclusionEditor::Save(TStoredLists& stored) {
  CopyToList();
  if (!changed_) return;
  lists_.SaveUserEntries(stored, kWelcomeCategories);
  changed_ = false;
}

void TExclusionEditor::CopyToList() {
  std::vector<std::string>& items = lists_.List(Category()).Items;
  if (items != items_) {
    items = items_;
    changed_ = true;
  }
}

}  // namespace hw
