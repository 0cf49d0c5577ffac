#include "app/ResultRowPainter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>

#include "controls/ChckLBCB.h"
#include "results/Entry.h"

namespace hw::app {

namespace {

const QColor kGrey(128, 128, 128);
const QColor kMaroon(128, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kOlive(128, 128, 0);
const QColor kLime(0, 255, 0);
const QColor kGreen(0, 128, 0);

QColor SystemColour(QPalette::ColorRole role) { return QGuiApplication::palette().color(role); }

// Draws text with its top-left at (x, top) and returns the x after it.
int DrawPiece(QPainter& canvas, int x, int top, const QString& text, const QColor& colour) {
  const QFontMetrics metrics = canvas.fontMetrics();
  canvas.setPen(colour);
  canvas.drawText(QPoint(x, top + metrics.ascent()), text);
  return x + metrics.horizontalAdvance(text);
}

}  // namespace

QColor TResultRowPainter::PieceColour(TPieceColour colour, bool selected, bool writable) {
  switch (colour) {
    case pcMissing: return kMaroon;
    case pcValue: return selected ? kBlue : writable ? kNavy : kGrey;
    default:
      return selected   ? SystemColour(QPalette::HighlightedText)
             : writable ? SystemColour(QPalette::WindowText)
                        : kGrey;
  }
}

QColor TResultRowPainter::ChoiceColour(int choice, bool selected, bool writable) {
  if (choice == 1) return selected ? kYellow : kOlive;
  if (choice >= 2) return selected ? kLime : kGreen;
  return PieceColour(pcBase, selected, writable);
}

QColor TResultRowPainter::ComboTextColour(int index, bool selected) {
  if (index == 1) return selected ? kYellow : kOlive;
  if (index >= 2) return selected ? kLime : kGreen;
  return SystemColour(selected ? QPalette::HighlightedText : QPalette::WindowText);
}

int TResultRowPainter::LineHeight(int rowHeight, int linesPerRow) {
  if (linesPerRow <= 0) return rowHeight;
  // The default rounding mode rounds halves to the even neighbour.
  return static_cast<int>(
      std::nearbyint(static_cast<double>(rowHeight - kTopMargin) / linesPerRow));
}

void TResultRowPainter::DrawRow(TChckLBCB& list, QPainter& canvas, int index, QRect rect,
                                TOwnerDrawState state) const {
  const TBoxItem* item = list.BoxItem(index);
  const auto* entry = item != nullptr ? static_cast<const TEntry*>(item->Data) : nullptr;
  if (entry == nullptr || entry->BoxItem == nullptr) return;

  // The painter follows the horizontal scroll; the row's text may reach past
  // the viewport's width by the scrolled amount.
  const QRect row = rect;
  rect.setRight(rect.right() + list.HorzScrollPos());
  canvas.fillRect(rect, canvas.brush());
  canvas.drawLine(0, rect.bottom(), rect.right(), rect.bottom());

  const bool selected = state & odSelected;
  const bool writable = entry->KeyWritable;
  const TRowText text = ResultRowText(*entry, texts_);
  const int lines = static_cast<int>(text.Lines.size()) + 1;
  const int lineHeight = LineHeight(rect.height(), lines);
  int top = rect.top() + kTopMargin;
  for (const TRowLine& line : text.Lines) {
    int x = rect.left();
    for (const TRowPiece& piece : line)
      x = DrawPiece(canvas, x, top, QString::fromStdString(piece.Text),
                    PieceColour(piece.Colour, selected, writable));
    top += lineHeight;
  }

  const int x = DrawPiece(canvas, rect.left(), top, QString::fromStdString(text.ChoiceLabel),
                          PieceColour(pcBase, selected, writable));
  if (state & odFocused) {
    list.PlaceComboBox(index, QRect(x, row.top(), std::max(0, row.right() + 1 - x), row.height()),
                       state);
  } else {
    DrawPiece(canvas, x + kChoiceGap, top, QString::fromStdString(entry->ChoiceText()),
              ChoiceColour(entry->Choice(), selected, writable));
  }
}

void TResultRowPainter::DrawComboText(TChckLBCB& list, TLBComboBox& combo, QPainter& canvas,
                                      int index, const QRect& rect, TOwnerDrawState state) const {
  QColor background;
  QColor text;
  if (combo.DroppedDown()) {
    const bool selected = state & odSelected;
    background = selected ? list.CBColorBkgSelected() : list.CBColorBkg();
    text = ComboTextColour(index, selected);
  } else if (list.SelCount() == 0) {
    background = list.ColorBkg();
    text = list.ColorText();
  } else {
    background = list.ColorBkgSelected();
    text = ComboTextColour(index, true);
  }
  canvas.fillRect(rect, background);
  canvas.setPen(text);
  canvas.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                  combo.itemText(index));
}

}  // namespace hw::app
