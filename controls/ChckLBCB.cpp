#include "controls/ChckLBCB.h"

#include <QAbstractListModel>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

#include "controls/ChckLBCBPrivate.h"

namespace hw {

TChckLBCB::TChckLBCB(QWidget* parent)
    : QListView(parent), TRowColors(this), model_(new TChckLBCBModel(this)) {
  setModel(model_);
  setItemDelegate(new TChckLBCBDelegate(this));
  setUniformItemSizes(true);
  setResizeMode(QListView::Adjust);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  const QPalette pal = palette();
  cbColorBkg_ = pal.color(QPalette::Base);
  cbColorText_ = pal.color(QPalette::Text);
  cbColorBkgSelected_ = pal.color(QPalette::Highlight);
  cbColorTextSelected_ = pal.color(QPalette::HighlightedText);
  UpdateItemHeight();
}

TChckLBCB::~TChckLBCB() {
  // Combo boxes are children of the viewport; detach them so no relay runs
  // into a half-destroyed list.
  for (auto& item : boxItems_) DestroyComboBox(*item);
}

// --- Rows.

int TChckLBCB::AddItem(const QString& text) {
  const int index = Count();
  auto item = std::make_unique<TBoxItem>();
  item->Index = index;
  TBoxItem& added = *item;
  boxItems_.push_back(std::move(item));
  const int width = TextWidth(text);
  widths_.push_back(width);
  sortedWidths_.insert(width);
  model_->Append(text);
  if (!showCBoxFocusedOnly_) CreateComboBox(added);
  UpdateExtent();
  return index;
}

void TChckLBCB::DeleteItem(int index) {
  if (index < 0 || index >= Count()) return;
  TBoxItem* item = boxItems_[index].get();
  DestroyComboBox(*item);
  if (focusedComboItem_ == item) focusedComboItem_ = nullptr;
  // The view may still ask for the row while it is being removed, so the
  // item goes only after the model has let go of it.
  model_->Remove(index);
  sortedWidths_.erase(sortedWidths_.find(widths_[index]));
  widths_.erase(widths_.begin() + index);
  boxItems_.erase(boxItems_.begin() + index);
  for (std::size_t i = index; i < boxItems_.size(); ++i) boxItems_[i]->Index -= 1;
  UpdateExtent();
}

void TChckLBCB::Clear() {
  for (auto& item : boxItems_) DestroyComboBox(*item);
  focusedComboItem_ = nullptr;
  model_->Reset();
  boxItems_.clear();
  widths_.clear();
  sortedWidths_.clear();
  UpdateExtent();
}

int TChckLBCB::Count() const { return static_cast<int>(boxItems_.size()); }

QString TChckLBCB::ItemText(int index) const {
  return index >= 0 && index < Count() ? model_->Text(index) : QString();
}

TBoxItem* TChckLBCB::BoxItem(int index) const {
  return index >= 0 && index < Count() ? boxItems_[index].get() : nullptr;
}

bool TChckLBCB::GetChecked(int index) const {
  const TBoxItem* item = BoxItem(index);
  return item != nullptr && item->Checked;
}

TCheckMarkState TChckLBCB::GetState(int index) const {
  const TBoxItem* item = BoxItem(index);
  return item != nullptr ? item->State : cbUnchecked;
}

bool TChckLBCB::ClearAllMarks() {
  bool changed = false;
  for (auto& item : boxItems_) {
    if (item->State != cbUnchecked || item->Checked) changed = true;
    item->State = cbUnchecked;
    item->Checked = false;
  }
  if (changed) viewport()->update();
  return changed;
}

// Clearing the other marks for RadioState counts as a change of its own: the
// state-changed event is what keeps the application's data in step with the
// marks, so it is raised even when the mark asked for was already as wanted.
void TChckLBCB::SetChecked(int index, bool value) {
  TBoxItem* item = BoxItem(index);
  if (item == nullptr) return;
  if (OnBeforeStateChanging) OnBeforeStateChanging(this);
  if (!allowChange_) return;
  bool changed = radioState_ && ClearAllMarks();
  if (item->Checked != value) {
    item->Checked = value;
    item->State = value ? cbChecked : cbUnchecked;
    RepaintMark(index);
    changed = true;
  }
  if (changed) RaiseStateChanged();
}

void TChckLBCB::SetState(int index, TCheckMarkState state) {
  TBoxItem* item = BoxItem(index);
  if (item == nullptr) return;
  if (OnBeforeStateChanging) OnBeforeStateChanging(this);
  if (!allowChange_) return;
  bool changed = radioState_ && ClearAllMarks();
  if (item->State != state) {
    item->State = state;
    item->Checked = state == cbChecked;
    RepaintMark(index);
    changed = true;
  }
  if (changed) RaiseStateChanged();
}

TCheckMarkState TChckLBCB::NextState(TCheckMarkState state) const {
  const bool fourth = !bmps_[cbFourth].isNull();
  const bool grayed = allowGrayed_;
  switch (checkOrder_) {
    case coUncheckCheckGray4:
      switch (state) {
        case cbUnchecked: return cbChecked;
        case cbChecked: return grayed ? cbGrayed : cbUnchecked;
        case cbGrayed: return fourth ? cbFourth : cbUnchecked;
        case cbFourth: return cbUnchecked;
      }
      break;
    case coUncheckGrayCheck4:
      switch (state) {
        case cbUnchecked: return grayed ? cbGrayed : cbChecked;
        case cbChecked: return fourth ? cbFourth : cbUnchecked;
        case cbGrayed: return cbChecked;
        case cbFourth: return cbUnchecked;
      }
      break;
    case coUncheck4CheckGray:
      switch (state) {
        case cbUnchecked: return grayed && fourth ? cbFourth : cbChecked;
        case cbChecked: return grayed ? cbGrayed : cbUnchecked;
        case cbGrayed: return cbUnchecked;
        case cbFourth: return cbChecked;
      }
      break;
    case coUncheck4GrayCheck:
      switch (state) {
        case cbUnchecked: return grayed && fourth ? cbFourth : grayed ? cbGrayed : cbChecked;
        case cbChecked: return cbUnchecked;
        case cbGrayed: return cbChecked;
        case cbFourth: return cbGrayed;
      }
      break;
  }
  return cbUnchecked;
}

void TChckLBCB::ToggleState(int index) {
  TBoxItem* item = BoxItem(index);
  if (item == nullptr) return;
  SetState(index, NextState(item->State));
  RepaintMark(index);
  RaiseStateChanged();
}

void TChckLBCB::RaiseStateChanged() {
  if (updateCount_ > 0) {
    stateChangePending_ = true;
  } else if (OnStateChanged) {
    OnStateChanged(this);
  }
}

void TChckLBCB::BeginUpdate() {
  if (updateCount_++ == 0) viewport()->setUpdatesEnabled(false);
}

void TChckLBCB::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0) return;
  viewport()->setUpdatesEnabled(true);
  if (stateChangePending_) {
    stateChangePending_ = false;
    RaiseStateChanged();
  }
}

void TChckLBCB::SetComboItems(int index, const QStringList& items) {
  TBoxItem* item = BoxItem(index);
  if (item == nullptr) return;
  item->ComboItems = items;
  if (item->ComboBox != nullptr) {
    const QSignalBlocker block(item->ComboBox);
    item->ComboBox->clear();
    item->ComboBox->addItems(items);
    item->ComboBox->setCurrentIndex(item->ComboIndex);
  }
}

void TChckLBCB::SetComboIndex(int index, int comboIndex) {
  TBoxItem* item = BoxItem(index);
  if (item == nullptr) return;
  item->ComboIndex = comboIndex;
  if (item->ComboBox != nullptr) {
    const QSignalBlocker block(item->ComboBox);
    item->ComboBox->setCurrentIndex(comboIndex);
  }
}

// --- Focus and selection.

int TChckLBCB::ItemIndex() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

void TChckLBCB::SetItemIndex(int index) {
  const QModelIndex target = index >= 0 && index < Count() ? model_->index(index) : QModelIndex();
  // A multi-select list moves only its focus, as the caret of such a list does.
  selectionModel()->setCurrentIndex(target, MultiSelect() || !target.isValid()
                                                ? QItemSelectionModel::NoUpdate
                                                : QItemSelectionModel::ClearAndSelect);
}

bool TChckLBCB::Selected(int index) const {
  return index >= 0 && index < Count() && selectionModel()->isSelected(model_->index(index));
}

void TChckLBCB::SetSelected(int index, bool value) {
  if (index < 0 || index >= Count()) return;
  selectionModel()->select(model_->index(index),
                           value ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

int TChckLBCB::SelCount() const {
  int count = 0;
  for (const QItemSelectionRange& range : selectionModel()->selection()) count += range.height();
  return count;
}

int TChckLBCB::FirstSelected() const {
  int first = -1;
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    if (first < 0 || range.top() < first) first = range.top();
  }
  return first;
}

bool TChckLBCB::MultiSelect() const {
  return selectionMode() == QAbstractItemView::ExtendedSelection;
}

void TChckLBCB::SetMultiSelect(bool value) {
  setSelectionMode(value ? QAbstractItemView::ExtendedSelection
                         : QAbstractItemView::SingleSelection);
}

// --- Geometry.

QRect TChckLBCB::ItemRect(int index) const {
  if (index < 0 || index >= Count()) return {};
  const QRect visual = visualRect(model_->index(index));
  return QRect(0, visual.top(), viewport()->width(), visual.height());
}

int TChckLBCB::ItemAtPos(QPoint pos) const {
  const QModelIndex index = indexAt(pos);
  return index.isValid() ? index.row() : -1;
}

void TChckLBCB::SetItemHeight(int height) {
  itemHeight_ = std::max(1, height);
  scheduleDelayedItemsLayout();
  viewport()->update();
}

int TChckLBCB::HorzScrollPos() const { return horizontalScrollBar()->value(); }

void TChckLBCB::RepaintMark(int index) {
  const QRect row = ItemRect(index);
  if (row.isEmpty()) return;
  viewport()->update(
      QRect(row.left() + offset_ - HorzScrollPos(), row.top(), itemHeight_, row.height()));
}

int TChckLBCB::TextWidth(const QString& text) const {
  return fontMetrics().horizontalAdvance(text);
}

void TChckLBCB::RemeasureTexts() {
  sortedWidths_.clear();
  for (int i = 0; i < Count(); ++i) {
    widths_[i] = TextWidth(model_->Text(i));
    sortedWidths_.insert(widths_[i]);
  }
  UpdateExtent();
}

void TChckLBCB::UpdateExtent() {
  const int widest = sortedWidths_.empty() ? 0 : *sortedWidths_.rbegin();
  const int extent = widest + textStart_ + 2;
  if (extent == extent_) return;
  extent_ = extent;
  scheduleDelayedItemsLayout();
}

void TChckLBCB::UpdateItemHeight() {
  int height = fontMetrics().height();
  if (AllBitmaps()) {
    height = std::max(height, qRound(bmps_[cbChecked].deviceIndependentSize().height()) + 2);
  } else if (fixedSize_) {
    height = std::max(height, 15);
  }
  SetItemHeight(height);
}

// --- Properties.

void TChckLBCB::SetCBColorBkg(const QColor& color) {
  cbColorBkg_ = color;
  RecolourComboBoxes();
}

void TChckLBCB::SetCBColorText(const QColor& color) {
  cbColorText_ = color;
  RecolourComboBoxes();
}

void TChckLBCB::SetCBColorBkgSelected(const QColor& color) {
  cbColorBkgSelected_ = color;
  RecolourComboBoxes();
}

void TChckLBCB::SetCBColorTextSelected(const QColor& color) {
  cbColorTextSelected_ = color;
  RecolourComboBoxes();
}

void TChckLBCB::RecolourComboBoxes() {
  for (auto& item : boxItems_) {
    if (item->ComboBox != nullptr) ColourComboBox(*item->ComboBox);
  }
}

void TChckLBCB::SetShowComboBoxes(bool value) {
  showComboBoxes_ = value;
  if (!value) {
    for (auto& item : boxItems_) {
      if (item->ComboBox != nullptr) item->ComboBox->hide();
    }
  }
  viewport()->update();
}

void TChckLBCB::SetComboBoxLeft(int value) {
  comboBoxLeft_ = value;
  viewport()->update();
}

void TChckLBCB::SetComboBoxWidth(int value) {
  comboBoxWidth_ = value;
  viewport()->update();
}

void TChckLBCB::SetComboBoxTop(int value) {
  comboBoxTop_ = value;
  viewport()->update();
}

void TChckLBCB::SetShowCBoxFocusedOnly(bool value) {
  showCBoxFocusedOnly_ = value;
  viewport()->update();
}

void TChckLBCB::SetFlat(bool value) {
  flat_ = value;
  viewport()->update();
}

void TChckLBCB::SetOffset(int value) {
  offset_ = value;
  viewport()->update();
}

void TChckLBCB::SetFixedSize(bool value) {
  fixedSize_ = value;
  UpdateItemHeight();
}

bool TChckLBCB::AllBitmaps() const {
  return std::none_of(std::begin(bmps_), std::end(bmps_),
                      [](const QPixmap& bmp) { return bmp.isNull(); });
}

void TChckLBCB::SetBitmap(int state, const QPixmap& bmp) {
  bmps_[state] = bmp;
  viewport()->update();
}

// --- Mouse and keys.

void TChckLBCB::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  const int index = ItemAtPos(pos);
  if (index >= 0 && event->button() == Qt::LeftButton) {
    const int x = pos.x() + HorzScrollPos();
    if (x >= offset_ && x < textStart_) ToggleState(index);
  }
  // As in a list box of the desktop, only the left button selects; the right
  // one leaves the selection to the pop-up menu.
  if (event->button() == Qt::LeftButton) {
    QListView::mousePressEvent(event);
    if (index >= 0 && OnClick) OnClick(this);
  }
  if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), pos);
}

void TChckLBCB::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && ItemIndex() >= 0) ToggleState(ItemIndex());
  selectionTouched_ = false;
  QListView::keyPressEvent(event);
  if (selectionTouched_ && OnClick) OnClick(this);
}

void TChckLBCB::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  QListView::selectionChanged(selected, deselected);
  selectionTouched_ = true;
}

void TChckLBCB::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QListView::currentChanged(current, previous);
  selectionTouched_ = true;
  if (!showCBoxFocusedOnly_ || focusedComboItem_ == nullptr) return;
  const TBoxItem* now =
      current.isValid() && current.row() < Count() ? boxItems_[current.row()].get() : nullptr;
  if (now != focusedComboItem_) {
    DestroyComboBox(*focusedComboItem_);
    focusedComboItem_ = nullptr;
  }
}

void TChckLBCB::changeEvent(QEvent* event) {
  QListView::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    UpdateItemHeight();
    RemeasureTexts();
  }
}

}  // namespace hw
