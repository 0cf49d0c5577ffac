// The results view of the Registry page: the category list, the check list
// of found entries, picking and the counts.

#include "app/FormRegFix.h"
#include "controls/ChckLBCB.h"
#include "search/MovedFileSearch.h"

namespace hw::app {

void TFormRegFix::PrepareResultLists() {
  for (int c = 0; c < kCategoryCount; ++c) table_[c].Entries->Clear();
  ChckListBox1->Clear();
}

void TFormRegFix::ApplySearchDefaults() { hw::ApplySearchDefaults(table_); }

void TFormRegFix::RefreshResultCounts() {}

}  // namespace hw::app
