#pragma once
// TResultsView: the Registry page's results. The category list on the left
// shows each scanned category with its picked and total counts; the check
// list on the right shows the found entries of the chosen category, one row
// per entry, whose check mark picks the entry for repair and whose combo box
// chooses the repair. The found-entries model reaches the rows through the
// TEntriesView calls while the scan, the search and the repair run.

#include <QString>
#include <QStringList>
#include <string>

#include "app/ResultRowPainter.h"
#include "results/EntriesView.h"

class QAction;
class QPainter;

namespace hw {
class TChckLBCB;
class TLBComboBox;
}  // namespace hw

namespace hw::app {

class TFormRegFix;

class TResultsView : public TEntriesView {
 public:
  // Sets the two lists up as the page wants them and binds their events and
  // the pick commands to the window's handlers. The form must outlive the view.
  explicit TResultsView(TFormRegFix& form);
  TResultsView(const TResultsView&) = delete;
  TResultsView& operator=(const TResultsView&) = delete;

  // --- TEntriesView.
  int ShownCategory() const override;
  void AddEntryRow(TEntry& entry, bool checked) override;
  void RemoveEntryRow(TEntry& entry) override;
  void UpdateEntryRow(TEntry& entry) override;
  void RefreshResultCounts() override;
  void SetStatus(int panel, const std::string& text) override;

  // Before a scan: no rows, no entries, one category item per scanned category.
  void PrepareResultLists();
  // Shows the entries of the category selected in the category list.
  void ShowSelectedCategory();
  // The entries follow the rows' check marks.
  void MarksChanged();
  // The entry of the combo box's row takes the chosen repair.
  void ChoiceChanged(TLBComboBox* combo);
  // Marks the selected rows, or every entry of every category, picked or not.
  void PickSelected(bool pick);
  void PickAll(bool pick);
  // The invalid paths' default choices once the moved-file search is done.
  void ApplySearchDefaults();

  // The texts of the row's combo box: the entry's choices, a font's
  // replacements introduced as such.
  QStringList ComboTexts(const TEntry& entry) const;
  // The caption of a category item: name and "picked of total".
  QString CategoryCaption(int category) const;

  const TResultRowPainter& Painter() const { return painter_; }

 private:
  TChckLBCB& List() const;
  // The entry of a row; null for a row without one.
  TEntry* RowEntry(int row) const;
  // Appends the entry's row with its mark as given, linked both ways; raises
  // no state event (the row is new, so no mark is repainted either).
  int AppendRow(TEntry& entry, bool checked);
  // The entries of the rows from first to before end follow their marks.
  void SyncPicked(int first, int end);
  // Rows of the category at the list position, rebuilt from its entries.
  void FillRows(int listIndex);
  void SetRowHeight(int category);

  // Sets the row's mark; the state event that follows syncs that row alone.
  void SetRowMark(int row, bool checked);

  TFormRegFix& form_;
  TResultRowPainter painter_;
  // The one row whose mark is being set, -1 when any may have changed.
  int singleRow_ = -1;
};

// Replaces the first and the second "%d" of format by the two numbers, in
// that order; text around them, "%" signs included, stays as it is.
QString FormatTwoNumbers(const QString& format, int first, int second);

}  // namespace hw::app
