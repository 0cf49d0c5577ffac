// Row drawing and the rows' combo boxes of TChckLBCB.

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

#include "controls/ChckLBCB.h"
#include "controls/ChckLBCBPrivate.h"

namespace hw {

// --- Model and delegates.

QVariant TChckLBCBModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount({})) return {};
  return texts_[index.row()];
}

void TChckLBCBModel::Append(const QString& text) {
  const int row = static_cast<int>(texts_.size());
  beginInsertRows(QModelIndex(), row, row);
  texts_.push_back(text);
  endInsertRows();
}

void TChckLBCBModel::Remove(int row) {
  beginRemoveRows(QModelIndex(), row, row);
  texts_.erase(texts_.begin() + row);
  endRemoveRows();
}

void TChckLBCBModel::Reset() {
  beginResetModel();
  texts_.clear();
  endResetModel();
}

void TChckLBCBDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  list_->PaintRow(*painter, index.row(), option.rect,
                  option.state.testFlag(QStyle::State_Selected));
}

QSize TChckLBCBDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
  // Rows span the viewport at least, so a click right of a short text still hits the row.
  return QSize(std::max(list_->extent_, list_->viewport()->width()), list_->itemHeight_);
}

void TLBComboDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const TOwnerDrawState state = option.state.testFlag(QStyle::State_Selected) ? odSelected : 0;
  combo_->List()->DrawComboText(combo_, *painter, index.row(), option.rect, state);
}

QSize TLBComboDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(option.rect.width(), combo_->fontMetrics().height() + 2);
}

// --- Rows.

void TChckLBCB::PaintRow(QPainter& painter, int index, const QRect& viewportRect, bool selected) {
  if (index < 0 || index >= Count()) return;
  TBoxItem& item = *boxItems_[index];
  TOwnerDrawState state = selected ? odSelected : 0;
  // The focused row is the current one, whether the list or its combo box
  // holds the keyboard focus.
  if (index == ItemIndex()) state |= odFocused;
  if (!isEnabled()) state |= odDisabled;
  // Rows are handed over unscrolled, as wide as the viewport; the painter
  // follows the horizontal scroll.
  const int scroll = HorzScrollPos();
  const QRect rect(0, viewportRect.top(), viewport()->width(), viewportRect.height());
  painter.save();
  painter.translate(-scroll, 0);
  painter.setFont(font());
  comboPlaced_ = false;
  DrawItem(painter, index, rect, state);
  painter.restore();
  // A combo box that this drawing did not place again is hidden, so it never
  // lingers over a row that no longer wants it.
  if (index < Count() && boxItems_[index].get() == &item && item.ComboBox != nullptr &&
      showCBoxFocusedOnly_ && !comboPlaced_ && item.ComboBox->isVisible()) {
    item.ComboBox->hide();
  }
}

void TChckLBCB::DrawItem(QPainter& canvas, int index, QRect rect, TOwnerDrawState state) {
  TBoxItem& item = *boxItems_[index];
  if (showComboBoxes_ && showCBoxFocusedOnly_ && item.ComboBox != nullptr && !(state & odFocused) &&
      index != ItemIndex()) {
    DestroyComboBox(item);
  }
  const bool selected = state & odSelected;
  const QColor bkg = RowBackground(selected);
  const QColor text = RowText(selected);
  canvas.setBrush(bkg);
  canvas.setPen(text);
  if (OnBeforeDrawItem) OnBeforeDrawItem(this, canvas, index, rect, state);
  if (OnDrawItem) {
    OnDrawItem(this, canvas, index, rect, state);
  } else {
    canvas.fillRect(rect, bkg);
    int textX = 0;
    if (!AllBitmaps()) {
      QRect box;
      if (fixedSize_) {
        box = QRect(rect.left() + offset_, rect.top() + (rect.height() - 13) / 2, 13, 13);
      } else {
        const int side = rect.height() - 2;
        box = QRect(rect.left() + offset_, rect.top() + 1, side, side);
      }
      DrawCheckFrame(canvas, box, item.State);
      textX = box.left() + box.width() + offset_;
    } else {
      const QPixmap& bmp = bmps_[item.State <= cbFourth ? item.State : cbUnchecked];
      const QSize size = bmp.deviceIndependentSize().toSize();
      const int x = rect.left() + offset_;
      canvas.drawPixmap(x, rect.top() + (rect.height() - size.height()) / 2, bmp);
      textX = x + size.width() + offset_;
    }
    textStart_ = textX;
    rect.setLeft(textX);
    canvas.setBrush(bkg);
    canvas.setPen(text);
    if (!OnAfterDrawItem) {
      const int lineHeight = canvas.fontMetrics().height();
      canvas.save();
      canvas.setClipRect(rect);
      canvas.drawText(QRect(textX, rect.top() + (rect.height() - lineHeight) / 2,
                            std::max(rect.width(), widths_[index] + 1), lineHeight),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, model_->Text(index));
      canvas.restore();
    }
    UpdateExtent();
  }
  if (OnAfterDrawItem) {
    OnAfterDrawItem(this, canvas, index, rect, state);
  } else {
    PlaceComboBox(index, rect, state);
  }
}

void TChckLBCB::DrawCheckFrame(QPainter& canvas, const QRect& box, TCheckMarkState state) const {
  if (flat_) {
    // A flat frame: one dark line around a plain field, the mark inside.
    canvas.save();
    canvas.setPen(palette().color(QPalette::Dark));
    canvas.setBrush(palette().color(QPalette::Base));
    canvas.drawRect(box.adjusted(0, 0, -1, -1));
    if (state == cbChecked || state == cbGrayed) {
      const QColor mark =
          state == cbChecked ? palette().color(QPalette::Text) : palette().color(QPalette::Mid);
      canvas.setPen(QPen(mark, std::max(1, box.width() / 7)));
      const QRectF r = QRectF(box).adjusted(box.width() * 0.2, box.height() * 0.2,
                                            -box.width() * 0.2, -box.height() * 0.2);
      const QPointF tick[3] = {{r.left(), r.center().y()},
                               {r.left() + r.width() * 0.4, r.bottom()},
                               {r.right(), r.top()}};
      canvas.drawPolyline(tick, 3);
    }
    canvas.restore();
    return;
  }
  QStyleOptionButton option;
  option.initFrom(this);
  option.rect = box;
  option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
  switch (state) {
    case cbChecked: option.state |= QStyle::State_On; break;
    case cbGrayed: option.state |= QStyle::State_NoChange; break;
    default: option.state |= QStyle::State_Off; break;
  }
  style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &canvas, this);
}

// --- Combo boxes.

int TLBComboBox::ItemIndex() const { return owner_ != nullptr ? owner_->Index : -1; }

TLBComboBox::TLBComboBox(TChckLBCB* list, TComboBoxStyle style)
    : QComboBox(list->viewport()), list_(list), style_(style) {
  setEditable(style == csDropDown || style == csSimple);
  if (style == csOwnerDrawFixed || style == csOwnerDrawVariable) {
    setItemDelegate(new TLBComboDelegate(this));
  }
}

void TLBComboBox::showPopup() {
  droppedDown_ = true;
  if (owner_ != nullptr && list_->OnDropdownComboBox) list_->OnDropdownComboBox(this);
  QComboBox::showPopup();
}

void TLBComboBox::hidePopup() {
  QComboBox::hidePopup();
  if (!droppedDown_) return;
  droppedDown_ = false;
  if (owner_ == nullptr) return;
  list_->setFocus(Qt::OtherFocusReason);
  if (list_->OnCloseUpComboBox) list_->OnCloseUpComboBox(this);
}

void TLBComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason && owner_ != nullptr && list_->OnExitComboBox) {
    list_->OnExitComboBox(this);
  }
}

void TLBComboBox::paintEvent(QPaintEvent* event) {
  if (style_ != csOwnerDrawFixed && style_ != csOwnerDrawVariable) {
    QComboBox::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  option.currentIcon = QIcon();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect field =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  TOwnerDrawState state = odComboBoxEdit;
  if (hasFocus()) state |= odSelected | odFocused;
  if (currentIndex() >= 0) list_->DrawComboText(this, painter, currentIndex(), field, state);
}

TLBComboBox* TChckLBCB::CreateComboBox(TBoxItem& item) {
  auto* combo = new TLBComboBox(this, item.ComboStyle);
  combo->hide();
  combo->owner_ = &item;
  ColourComboBox(*combo);
  combo->setFont(font());
  combo->addItems(item.ComboItems);
  combo->setCurrentIndex(item.ComboIndex);
  connect(combo, &QComboBox::activated, this, [this, combo](int) {
    ComboClicked(combo);
    ComboChanged(combo);
  });
  if (combo->lineEdit() != nullptr) {
    connect(combo->lineEdit(), &QLineEdit::textEdited, this,
            [this, combo](const QString&) { ComboChanged(combo); });
  }
  item.ComboBox = combo;
  return combo;
}

void TChckLBCB::ColourComboBox(TLBComboBox& combo) const {
  QPalette pal = combo.palette();
  pal.setColor(QPalette::Base, cbColorBkg_);
  pal.setColor(QPalette::Button, cbColorBkg_);
  pal.setColor(QPalette::Text, cbColorText_);
  pal.setColor(QPalette::ButtonText, cbColorText_);
  pal.setColor(QPalette::Highlight, cbColorBkgSelected_);
  pal.setColor(QPalette::HighlightedText, cbColorTextSelected_);
  combo.setPalette(pal);
}

void TChckLBCB::DestroyComboBox(TBoxItem& item) {
  TLBComboBox* combo = item.ComboBox;
  if (combo == nullptr) return;
  item.ComboBox = nullptr;
  combo->owner_ = nullptr;
  const bool hadFocus = combo->hasFocus();
  combo->hide();
  if (hadFocus) setFocus(Qt::OtherFocusReason);
  // Later, because the box may be the one whose event is running now.
  combo->deleteLater();
}

void TChckLBCB::PlaceComboBox(int index, QRect rect, TOwnerDrawState state) {
  TBoxItem* item = BoxItem(index);
  if (item == nullptr || !showComboBoxes_) return;
  if (showCBoxFocusedOnly_ && !(state & odFocused)) return;
  const int scroll = HorzScrollPos();
  const int right = rect.left() + rect.width() - scroll;
  const int left = std::max(0, rect.left() - scroll);
  TLBComboBox* combo = item->ComboBox != nullptr ? item->ComboBox : CreateComboBox(*item);
  const int height = combo->sizeHint().height();
  const int top =
      comboBoxTop_ == -1 ? rect.top() + rect.height() - height - 1 : rect.top() + comboBoxTop_;
  const int boxLeft = comboBoxLeft_ == -1 ? left : left + comboBoxLeft_;
  const int width = comboBoxWidth_ == -1 ? right - boxLeft : comboBoxWidth_;
  const QRect geometry(boxLeft, top, std::max(0, width), height);
  if (combo->geometry() != geometry) combo->setGeometry(geometry);
  if (!combo->isVisible()) combo->show();
  if (showCBoxFocusedOnly_) focusedComboItem_ = item;
  comboPlaced_ = true;
}

void TChckLBCB::ComboClicked(TLBComboBox* combo) {
  if (combo->owner_ == nullptr) return;
  // As a click on the list at the box's corner: the mark is never there, so
  // only the list's mouse-down event runs.
  if (OnMouseDown) OnMouseDown(this, Qt::LeftButton, Qt::NoModifier, combo->pos());
  if (OnClickComboBox) OnClickComboBox(combo);
}

// The choice is stored on the row that owns the box, which is the focused
// row whenever boxes are shown on the focused row only.
void TChckLBCB::ComboChanged(TLBComboBox* combo) {
  if (combo->owner_ == nullptr) return;
  combo->owner_->ComboIndex = combo->currentIndex();
  if (OnChangeComboBox) OnChangeComboBox(combo);
}

void TChckLBCB::DrawComboText(TLBComboBox* combo, QPainter& canvas, int index, const QRect& rect,
                              TOwnerDrawState state) {
  canvas.save();
  if (OnDrawComboBox) {
    canvas.setBrush(cbColorBkg_);
    canvas.setPen(cbColorText_);
    OnDrawComboBox(combo, canvas, index, rect, state);
    canvas.restore();
    return;
  }
  QColor bkg;
  QColor text;
  if (combo->DroppedDown()) {
    const bool selected = state & odSelected;
    bkg = selected ? cbColorBkgSelected_ : cbColorBkg_;
    text = selected ? cbColorTextSelected_ : cbColorText_;
  } else {
    const TBoxItem* first = BoxItem(FirstSelected());
    const bool ownsSelected = first != nullptr && first->ComboBox == combo;
    bkg = RowBackground(ownsSelected);
    text = RowText(ownsSelected);
  }
  canvas.fillRect(rect, bkg);
  canvas.setPen(text);
  canvas.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                  combo->itemText(index));
  canvas.restore();
}

}  // namespace hw
