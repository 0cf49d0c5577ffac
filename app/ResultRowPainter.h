#pragma once
// Draws the rows of the results check list after the list has drawn their
// background and check mark: the key, the value and its data, the repair
// choice; the missing path stands out in its own colour, a read-only entry is
// grey, and the choice's colour tells what the repair will do. The focused
// row gets its combo box on the choice line instead of the choice text.

#include <QColor>
#include <QRect>

#include "app/ResultRowPainterLines.h"
#include "controls/OwnerDrawState.h"

class QPainter;

namespace hw {
class TChckLBCB;
class TLBComboBox;
class TextSource;
}  // namespace hw

namespace hw::app {

class TResultRowPainter {
 public:
  // texts must outlive the painter.
  explicit TResultRowPainter(const TextSource& texts) : texts_(texts) {}

  static constexpr int kLineHeight = 20;  // a row is its category's lines times this
  static constexpr int kTopMargin = 2;
  static constexpr int kChoiceGap = 5;  // between the choice label and the choice text

  // The colour of a piece of a row.
  static QColor PieceColour(TPieceColour colour, bool selected, bool writable);
  // The colour of the choice text (choice -1 and 0: the base colour).
  static QColor ChoiceColour(int choice, bool selected, bool writable);
  // The font colour of a combo box text by its index: leave, repair, replacement.
  static QColor ComboTextColour(int index, bool selected);
  // Line height of a row of the given height and number of lines: rounded,
  // halves to the even neighbour.
  static int LineHeight(int rowHeight, int linesPerRow);

  // The list's after-draw of row index; rect starts at the text start.
  void DrawRow(TChckLBCB& list, QPainter& canvas, int index, QRect rect,
               TOwnerDrawState state) const;
  // One text of the focused row's combo box, or its closed field.
  void DrawComboText(TChckLBCB& list, TLBComboBox& combo, QPainter& canvas, int index,
                     const QRect& rect, TOwnerDrawState state) const;

 private:
  const TextSource& texts_;
};

}  // namespace hw::app
