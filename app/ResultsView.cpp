#include "app/ResultsView.h"

#include <QAction>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QPalette>
#include <QSignalBlocker>
#include <algorithm>

#include "app/FormRegFix.h"
#include "controls/ChckLBCB.h"
#include "controls/PictureListBox.h"
#include "platform/Text.h"
#include "search/MovedFileSearch.h"

namespace hw::app {

namespace {

// Interface texts of the lists.
constexpr int kTextData = 6;
constexpr int kTextKey = 17;
constexpr int kTextEntriesFound = 45;
constexpr int kTextPickedOf = 71;

constexpr std::size_t kShortText = 255;
constexpr int kFontHeight = 12;
const QColor kSelectedBackground(128, 128, 128);

// Picture of each category in the category list; file types share the first.
constexpr const char* kPictureIndexes[kCategoryCount] = {"0", "1", "2", "3", "4", "5", "6", "0"};

QString Short(const std::string& text) {
  return QString::fromStdString(std::string(platform::cutToChars(text, kShortText)));
}

template <typename List>
void SetRowColours(List& list, const QPalette& system) {
  list.SetColorBkg(system.color(QPalette::Base));
  list.SetColorText(system.color(QPalette::Text));
  list.SetColorBkgSelected(kSelectedBackground);
  list.SetColorTextSelected(system.color(QPalette::HighlightedText));
}

void SetFontHeight(QWidget& widget, bool bold) {
  QFont font = widget.font();
  font.setPixelSize(kFontHeight);
  font.setBold(bold);
  widget.setFont(font);
}

}  // namespace

QString FormatTwoNumbers(const QString& format, int first, int second) {
  QString text = format;
  int from = 0;
  for (int number : {first, second}) {
    const int at = text.indexOf(QLatin1String("%d"), from);
    if (at < 0) break;
    const QString digits = QString::number(number);
    text.replace(at, 2, digits);
    from = at + static_cast<int>(digits.size());
  }
  return text;
}

TResultsView::TResultsView(TFormRegFix& form) : form_(form), painter_(form.Lang()) {
  const QPalette system = QGuiApplication::palette();

  TPictureListBox& categories = *form.PictureListBox1;
  categories.SetOffset(4);
  categories.SetIconsTransparent(true);
  categories.SetAlignment(taCenter);
  SetRowColours(categories, system);
  SetFontHeight(categories, true);
  QObject::connect(&categories, &QListWidget::currentRowChanged, &form,
                   [&form](int) { form.PictureListBox1Click(); });

  TChckLBCB& list = List();
  list.SetShowComboBoxes(true);
  list.SetShowCBoxFocusedOnly(true);
  list.SetComboBoxLeft(-1);
  list.SetComboBoxWidth(-1);
  list.SetComboBoxTop(-1);
  list.SetOffset(10);
  list.SetCheckOrder(coUncheckCheckGray4);
  list.SetRadioState(false);
  SetRowColours(list, system);
  list.SetCBColorBkg(list.ColorBkg());
  list.SetCBColorText(list.ColorText());
  list.SetCBColorBkgSelected(list.ColorBkgSelected());
  list.SetCBColorTextSelected(list.ColorTextSelected());
  SetFontHeight(list, false);
  list.OnStateChanged = [&form](TChckLBCB*) { form.ChckListBox1StateChanged(); };
  list.OnClick = [&form](TChckLBCB*) { form.ChckListBox1Click(); };
  list.OnChangeComboBox = [&form](TLBComboBox* sender) { form.ChckListBox1ChangeComboBox(sender); };
  list.OnAfterDrawItem = [&form](TChckLBCB* sender, QPainter& canvas, int index, const QRect& rect,
                                 TOwnerDrawState state) {
    form.ChckListBox1AfterDrawItem(sender, canvas, index, rect, state);
  };
  list.OnDrawComboBox = [&form](TLBComboBox* sender, QPainter& canvas, int index, const QRect& rect,
                                TOwnerDrawState state) {
    form.ChckListBox1DrawComboBox(sender, canvas, index, rect, state);
  };

  for (QAction* pick : {form.miPickselectedentries, form.miUnPickselectedentries,
                        form.miPickallentries, form.miUnpickallentries})
    QObject::connect(pick, &QAction::triggered, &form, [&form, pick] { form.miPickClick(pick); });
}

TChckLBCB& TResultsView::List() const { return *form_.ChckListBox1; }

TEntry* TResultsView::RowEntry(int row) const {
  const TBoxItem* item = List().BoxItem(row);
  return item != nullptr ? static_cast<TEntry*>(item->Data) : nullptr;
}

int TResultsView::ShownCategory() const {
  return form_.ShownListIndex < 0 ? -1 : form_.ListIndexToCategory(form_.ShownListIndex);
}

QStringList TResultsView::ComboTexts(const TEntry& entry) const {
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(entry.Choices.size()));
  const QString fontPrefix = form_.InterfaceText(kTextFontReplacement) + ' ';
  for (std::size_t i = 0; i < entry.Choices.size(); ++i) {
    QString text = QString::fromStdString(entry.Choices[i]);
    if (entry.Category == acInvalidFonts && i >= 2) text.prepend(fontPrefix);
    texts << text;
  }
  return texts;
}

int TResultsView::AppendRow(TEntry& entry, bool checked) {
  // The text is not drawn; it gives the list its horizontal scroll range.
  const QString key = Short(form_.Lang().GetInterfaceText(kTextKey) + " " + entry.KeyText + " (" +
                            entry.ValueName + ")  ");
  const QString data = Short(form_.Lang().GetInterfaceText(kTextData) + " " + entry.Data + "  ");
  TChckLBCB& list = List();
  const int row = list.AddItem(key.size() > data.size() ? key : data);
  TBoxItem& item = *list.BoxItem(row);
  item.Data = &entry;
  entry.BoxItem = &item;
  // Setting the mark through the list would lay out every row to repaint
  // this one's mark, once per added row.
  item.Checked = checked;
  item.State = checked ? cbChecked : cbUnchecked;
  item.ComboStyle = csOwnerDrawFixed;
  list.SetComboItems(row, ComboTexts(entry));
  list.SetComboIndex(row, entry.Choice());
  return row;
}

void TResultsView::AddEntryRow(TEntry& entry, bool checked) {
  const int row = AppendRow(entry, checked);
  // A checked mark is a change from a new row's unchecked one: the state
  // event's work, for this row. The counts are the caller's, which refreshes
  // them once per found entry.
  if (checked) {
    SyncPicked(row, row + 1);
    form_.UpdateControls();
  }
}

void TResultsView::RemoveEntryRow(TEntry& entry) {
  TBoxItem* item = entry.BoxItem;
  entry.BoxItem = nullptr;
  if (item == nullptr) return;
  TChckLBCB& list = List();
  if (list.BoxItem(item->Index) == item) list.DeleteItem(item->Index);
}

void TResultsView::UpdateEntryRow(TEntry& entry) {
  if (entry.BoxItem == nullptr) return;
  TChckLBCB& list = List();
  const int row = entry.BoxItem->Index;
  if (list.BoxItem(row) != entry.BoxItem) return;
  list.SetComboIndex(row, entry.Choice());
  list.SetComboItems(row, ComboTexts(entry));
  SetRowMark(row, entry.Picked());
  list.viewport()->update(list.ItemRect(row));
}

QString TResultsView::CategoryCaption(int category) const {
  const TEntries& entries = *form_.Categories()[category].Entries;
  return QString::fromStdString(form_.Categories()[category].DisplayName) + " (" +
         FormatTwoNumbers(form_.InterfaceText(kTextPickedOf), entries.PickedCount(),
                          entries.Count()) +
         ")";
}

void TResultsView::RefreshResultCounts() {
  int total = 0;
  for (int c = 0; c < kCategoryCount; ++c) {
    const int position = form_.CategoryToListIndex(c);
    if (!form_.CategoryVisible(c) || position < 0) continue;
    if (QListWidgetItem* item = form_.PictureListBox1->item(position)) {
      const QString caption = CategoryCaption(c);
      if (item->text() != caption) item->setText(caption);
    }
    total += form_.Categories()[c].Entries->Count();
  }
  form_.SetStatus(0, form_.InterfaceText(kTextEntriesFound) + ' ' + QString::number(total));
}

void TResultsView::SetStatus(int panel, const std::string& text) {
  form_.SetStatus(panel, QString::fromStdString(text));
}

void TResultsView::SetRowHeight(int category) {
  List().SetItemHeight(form_.Categories()[category].LinesPerRow * TResultRowPainter::kLineHeight);
}

void TResultsView::PrepareResultLists() {
  TChckLBCB& list = List();
  for (int row = 0; row < list.Count(); ++row)
    if (TEntry* entry = RowEntry(row)) entry->BoxItem = nullptr;
  list.Clear();
  form_.ShownListIndex = -1;

  TPictureListBox& categories = *form_.PictureListBox1;
  // Selecting the first category below is not a user's switch.
  const QSignalBlocker quiet(categories);
  categories.clear();
  QStringList pictures;
  categories.SetUseOtherImageIndexes(true);
  categories.SetItemHeight(3 * categories.fontMetrics().height() + 45);
  for (int c = 0; c < kCategoryCount; ++c) {
    form_.Categories()[c].Entries->Clear();
    if (!form_.Engine().Categories.Contains(static_cast<TAnalyzCategory>(c))) continue;
    categories.addItem(QString::fromStdString(form_.Categories()[c].DisplayName));
    pictures << QString::fromLatin1(kPictureIndexes[c]);
  }
  categories.SetImgListIndexes(pictures);
  if (categories.count() > 0) categories.setCurrentRow(0);
  form_.ShownListIndex = categories.currentRow();
  SetRowHeight(form_.ListIndexToCategory(form_.ShownListIndex));
  // The captions and the total start from zero, not from the last scan.
  RefreshResultCounts();
}

void TResultsView::FillRows(int listIndex) {
  TChckLBCB& list = List();
  list.BeginUpdate();
  for (int row = 0; row < list.Count(); ++row)
    if (TEntry* entry = RowEntry(row)) entry->BoxItem = nullptr;
  list.Clear();
  const int category = form_.ListIndexToCategory(listIndex);
  SetRowHeight(category);
  bool anyChecked = false;
  for (const auto& entry : form_.Categories()[category].Entries->List()) {
    AppendRow(*entry, entry->Picked());
    anyChecked = anyChecked || entry->Picked();
  }
  form_.ShownListIndex = listIndex;
  list.EndUpdate();
  // One state event for all the new marks.
  if (anyChecked) MarksChanged();
}

void TResultsView::ShowSelectedCategory() {
  TPictureListBox& categories = *form_.PictureListBox1;
  const int selected = categories.currentRow();
  if (selected < 0 || selected == form_.ShownListIndex) return;
  categories.setUpdatesEnabled(false);
  FillRows(selected);
  categories.setUpdatesEnabled(true);
}

void TResultsView::SyncPicked(int first, int end) {
  TChckLBCB& list = List();
  end = std::min(end, list.Count());
  for (int row = std::max(first, 0); row < end; ++row) {
    TEntry* entry = RowEntry(row);
    if (entry == nullptr || entry->Category >= kCategoryCount) continue;
    // Code sets the entry first and the mark after it: a mark that differs
    // was set by the user (a click, a choice, a menu command).
    const bool checked = list.GetChecked(row);
    if (entry->Picked() != checked) entry->ChosenByUser = true;
    form_.Categories()[entry->Category].Entries->SetPicked(entry, checked);
  }
}

void TResultsView::MarksChanged() {
  if (singleRow_ >= 0)
    SyncPicked(singleRow_, singleRow_ + 1);
  else
    SyncPicked(0, List().Count());
  form_.UpdateControls();
  RefreshResultCounts();
}

void TResultsView::ChoiceChanged(TLBComboBox* combo) {
  TChckLBCB& list = List();
  // The box belongs to the focused row; its own row is the one it chose for.
  int row = combo != nullptr ? combo->ItemIndex() : -1;
  if (row < 0) row = list.ItemIndex();
  TEntry* entry = RowEntry(row);
  if (entry == nullptr) return;
  entry->ChosenByUser = true;
  entry->SetChoice(combo != nullptr ? combo->currentIndex() : list.BoxItem(row)->ComboIndex);
  SetRowMark(row, entry->Choice() != 0);
  list.viewport()->update(list.ItemRect(row));
}

void TResultsView::SetRowMark(int row, bool checked) {
  // Rows added or updated one at a time during the scan and the search would
  // otherwise walk every row once each.
  const int outer = singleRow_;
  singleRow_ = row;
  List().SetChecked(row, checked);
  singleRow_ = outer;
}

void TResultsView::PickSelected(bool pick) {
  TChckLBCB& list = List();
  // Without a selected row there is nothing to pick; never all entries.
  if (list.SelCount() == 0) {
    form_.UpdateControls();
    return;
  }
  form_.PictureListBox1->setUpdatesEnabled(false);
  list.BeginUpdate();
  const QItemSelection selection = list.selectionModel()->selection();
  for (const QItemSelectionRange& range : selection)
    for (int row = range.top(); row <= range.bottom(); ++row) list.SetChecked(row, pick);
  list.EndUpdate();
  form_.PictureListBox1->setUpdatesEnabled(true);
  RefreshResultCounts();
  form_.UpdateControls();
}

void TResultsView::PickAll(bool pick) {
  TChckLBCB& list = List();
  form_.PictureListBox1->setUpdatesEnabled(false);
  list.BeginUpdate();
  for (int row = 0; row < list.Count(); ++row) list.SetChecked(row, pick);
  list.EndUpdate();
  for (int c = 0; c < kCategoryCount; ++c) {
    TEntries& entries = *form_.Categories()[c].Entries;
    for (const auto& entry : entries.List()) entry->ChosenByUser = true;
    entries.SetAllPicked(pick);
  }
  form_.PictureListBox1->setUpdatesEnabled(true);
  RefreshResultCounts();
  form_.UpdateControls();
}

void TResultsView::ApplySearchDefaults() {
  TChckLBCB& list = List();
  // One state event for all the marks that follow the new choices.
  list.BeginUpdate();
  hw::ApplySearchDefaults(form_.Categories());
  list.EndUpdate();
  RefreshResultCounts();
  list.viewport()->update();
}

}  // namespace hw::app
