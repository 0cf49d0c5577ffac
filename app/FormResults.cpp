// The results view of the Registry page: the category list, the check list
// of found entries, picking and the counts. The handlers hand over to the
// window's TResultsView, which the category records report to.

#include "app/FormRegFix.h"
#include "app/ResultsView.h"
#include "controls/ChckLBCB.h"

namespace hw::app {

TEntriesView* TFormRegFix::CreateResultsView() {
  results_ = std::make_unique<TResultsView>(*this);
  return results_.get();
}

void TFormRegFix::PrepareResultLists() { results_->PrepareResultLists(); }

void TFormRegFix::ApplySearchDefaults() { results_->ApplySearchDefaults(); }

void TFormRegFix::RefreshResultCounts() { results_->RefreshResultCounts(); }

void TFormRegFix::PictureListBox1Click() { results_->ShowSelectedCategory(); }

void TFormRegFix::ChckListBox1StateChanged() { results_->MarksChanged(); }

void TFormRegFix::ChckListBox1Click() { UpdateControls(); }

void TFormRegFix::ChckListBox1ChangeComboBox(TLBComboBox* sender) {
  results_->ChoiceChanged(sender);
}

void TFormRegFix::ChckListBox1AfterDrawItem(TChckLBCB* sender, QPainter& canvas, int index,
                                            const QRect& rect, TOwnerDrawState state) {
  results_->Painter().DrawRow(*sender, canvas, index, rect, state);
}

void TFormRegFix::ChckListBox1DrawComboBox(TLBComboBox* sender, QPainter& canvas, int index,
                                           const QRect& rect, TOwnerDrawState state) {
  results_->Painter().DrawComboText(*ChckListBox1, *sender, canvas, index, rect, state);
}

void TFormRegFix::miPickClick(QObject* sender) {
  if (sender == miPickselectedentries || sender == miUnPickselectedentries)
    results_->PickSelected(sender == miPickselectedentries);
  else if (sender == miPickallentries || sender == miUnpickallentries)
    results_->PickAll(sender == miPickallentries);
}

}  // namespace hw::app
