#include "controls/PictureListBox.h"

#include <qdrawutil.h>
#include <QAbstractItemDelegate>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QTextLayout>
#include <QTimer>

namespace hw {

class TPictureListDelegate : public QAbstractItemDelegate {
 public:
  explicit TPictureListDelegate(TPictureListBox* list) : QAbstractItemDelegate(list), list_(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    TOwnerDrawState state = option.state.testFlag(QStyle::State_Selected) ? odSelected : 0;
    if (index.row() == list_->currentRow()) state |= odFocused;
    if (!list_->isEnabled()) state |= odDisabled;
    const QRect rect(0, option.rect.top(), list_->viewport()->width(), option.rect.height());
    painter->save();
    painter->setFont(list_->font());
    list_->DrawItem(*painter, index.row(), rect, state);
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return QSize(list_->viewport()->width(), list_->itemHeight_);
  }

 private:
  TPictureListBox* list_;
};

TPictureListBox::TPictureListBox(QWidget* parent) : QListWidget(parent), TRowColors(this) {
  setItemDelegate(new TPictureListDelegate(this));
  setUniformItemSizes(true);
  setResizeMode(QListView::Adjust);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  itemHeight_ = fontMetrics().height();
}

void TPictureListBox::SetImageList(const QList<QPixmap>& images) {
  imageList_ = images;
  viewport()->update();
}

void TPictureListBox::SetOffset(int value) {
  offset_ = value;
  viewport()->update();
}

void TPictureListBox::SetIconsTransparent(bool value) {
  iconsTransparent_ = value;
  viewport()->update();
}

void TPictureListBox::SetAlignment(TAlignment value) {
  alignment_ = value;
  viewport()->update();
}

void TPictureListBox::SetUseOtherImageIndexes(bool value) {
  useOtherImageIndexes_ = value;
  reported_.clear();
  viewport()->update();
}

void TPictureListBox::SetImgListIndexes(const QStringList& indexes) {
  imgListIndexes_ = indexes;
  reported_.clear();
  viewport()->update();
}

void TPictureListBox::SetItemHeight(int height) {
  itemHeight_ = std::max(1, height);
  scheduleDelayedItemsLayout();
  viewport()->update();
}

int TPictureListBox::PictureIndex(int index) const {
  if (!useOtherImageIndexes_) return index;
  if (index < 0 || index >= imgListIndexes_.size()) return -2;
  bool ok = false;
  const int picture = imgListIndexes_[index].toInt(&ok);
  if (!ok) return -2;
  return picture >= 0 ? picture : -1;
}

// The message waits until painting is over: a modal box inside a paint would
// repaint the list beneath it and ask again without end. Each bad entry is
// reported once.
void TPictureListBox::ReportInvalid(int index) {
  const QString entry = index < imgListIndexes_.size() ? imgListIndexes_[index] : QString();
  const QString key = QString::number(index) + QLatin1Char('\n') + entry;
  if (reported_.contains(key)) return;
  reported_.insert(key);
  const QString text = QStringLiteral("Invalid \"%1\"").arg(entry);
  QTimer::singleShot(0, this, [this, text] {
    if (OnShowMessage) {
      OnShowMessage(text);
    } else {
      QMessageBox::warning(this, QGuiApplication::applicationDisplayName(), text);
    }
  });
}

// Wrapped at word boundaries and, as a narrow list may need more lines than
// the item holds, not clipped to the rectangle's height; a word wider than the
// rectangle is cut with an ellipsis.
void TPictureListBox::DrawCaption(QPainter& canvas, const QRect& rect, int align,
                                  const QString& text) {
  const QFontMetrics metrics = canvas.fontMetrics();
  QTextLayout layout(text, canvas.font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QStringList lines;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(rect.width());
    lines << text.mid(line.textStart(), line.textLength()).trimmed();
  }
  layout.endLayout();
  int y = rect.top();
  for (const QString& line : lines) {
    const QString shown = metrics.elidedText(line, Qt::ElideRight, std::max(0, rect.width()));
    canvas.drawText(QRect(rect.left(), y, rect.width(), metrics.height()),
                    align | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, shown);
    y += metrics.height();
  }
}

void TPictureListBox::DrawItem(QPainter& canvas, int index, const QRect& rect,
                               TOwnerDrawState state) {
  const int pictureIndex = PictureIndex(index);
  if (pictureIndex == -2) {
    ReportInvalid(index);
    return;
  }
  const bool selected = state & odSelected;
  canvas.setBrush(RowBackground(selected));
  canvas.setPen(RowText(selected));
  if (OnDrawItem) {
    OnDrawItem(this, canvas, index, rect, state);
    return;
  }
  QPixmap picture;
  if (pictureIndex >= 0 && pictureIndex < imageList_.size()) picture = imageList_[pictureIndex];
  if (!picture.isNull() && !iconsTransparent_) {
    // Opaque: the picture on its own background, the colour of its bottom-left pixel.
    const QImage image = picture.toImage();
    QColor background = image.pixelColor(0, image.height() - 1);
    background.setAlpha(255);
    QPixmap opaque(picture.size());
    opaque.setDevicePixelRatio(picture.devicePixelRatio());
    opaque.fill(background);
    QPainter p(&opaque);
    p.drawPixmap(0, 0, picture);
    p.end();
    picture = opaque;
  }
  const QSize size = picture.isNull() ? QSize() : picture.deviceIndependentSize().toSize();
  const int right = rect.left() + rect.width();
  const int bottom = rect.top() + rect.height();
  const int lineHeight = canvas.fontMetrics().height();
  canvas.fillRect(rect, RowBackground(selected));
  QRect textRect = rect;
  int align = Qt::AlignLeft;
  switch (alignment_) {
    case taLeftJustify: {
      const int x = rect.left() + offset_;
      if (!picture.isNull()) {
        canvas.drawPixmap(x, rect.top() + (rect.height() - size.height()) / 2, picture);
        textRect.setLeft(x + size.width() + offset_);
      } else {
        textRect.setLeft(rect.left() + 2 * offset_);
      }
      textRect.setTop(rect.top() + (rect.height() - lineHeight) / 2);
      break;
    }
    case taRightJustify: {
      const int x = right - offset_ - size.width();
      if (!picture.isNull()) {
        canvas.drawPixmap(x, rect.top() + (rect.height() - size.height()) / 2, picture);
        textRect.setRight(x - offset_ - 1);
      } else {
        textRect.setRight(right - offset_ - 1);
      }
      textRect.setTop(rect.top() + (rect.height() - lineHeight) / 2);
      align = Qt::AlignRight;
      break;
    }
    case taCenter: {
      const int y = rect.top() + offset_;
      if (!picture.isNull()) {
        canvas.drawPixmap(rect.left() + (rect.width() - size.width()) / 2, y, picture);
        textRect.setTop(y + size.height() + offset_);
      } else {
        textRect.setTop(rect.top() + 2 * offset_);
      }
      align = Qt::AlignHCenter;
      break;
    }
  }
  textRect.setBottom(std::max(textRect.bottom(), bottom - 1));
  DrawCaption(canvas, textRect, align, item(index)->text());
  if (selected) qDrawWinPanel(&canvas, rect, palette(), true, nullptr);
}

}  // namespace hw
