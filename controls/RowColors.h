#pragma once
// The four row colours the owner-drawn lists share. The background and text
// colours are also the list's own, so the empty area below the rows matches.

#include <QColor>

class QAbstractItemView;

namespace hw {

class TRowColors {
 public:
  // Starts from the view's palette; does not own the view.
  explicit TRowColors(QAbstractItemView* view);

  QColor ColorBkg() const { return colorBkg_; }
  void SetColorBkg(const QColor& color);
  QColor ColorText() const { return colorText_; }
  void SetColorText(const QColor& color);
  QColor ColorBkgSelected() const { return colorBkgSelected_; }
  void SetColorBkgSelected(const QColor& color);
  QColor ColorTextSelected() const { return colorTextSelected_; }
  void SetColorTextSelected(const QColor& color);

  QColor RowBackground(bool selected) const { return selected ? colorBkgSelected_ : colorBkg_; }
  QColor RowText(bool selected) const { return selected ? colorTextSelected_ : colorText_; }

 private:
  QAbstractItemView* view_;
  QColor colorBkg_, colorText_, colorBkgSelected_, colorTextSelected_;
};

}  // namespace hw
