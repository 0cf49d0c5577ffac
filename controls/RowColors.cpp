#include "controls/RowColors.h"

#include <QAbstractItemView>

namespace hw {

TRowColors::TRowColors(QAbstractItemView* view) : view_(view) {
  const QPalette pal = view->palette();
  colorBkg_ = pal.color(QPalette::Base);
  colorText_ = pal.color(QPalette::Text);
  colorBkgSelected_ = pal.color(QPalette::Highlight);
  colorTextSelected_ = pal.color(QPalette::HighlightedText);
}

void TRowColors::SetColorBkg(const QColor& color) {
  colorBkg_ = color;
  QPalette pal = view_->palette();
  pal.setColor(QPalette::Base, color);
  view_->setPalette(pal);
}

void TRowColors::SetColorText(const QColor& color) {
  colorText_ = color;
  QPalette pal = view_->palette();
  pal.setColor(QPalette::Text, color);
  view_->setPalette(pal);
}

void TRowColors::SetColorBkgSelected(const QColor& color) {
  colorBkgSelected_ = color;
  view_->viewport()->update();
}

void TRowColors::SetColorTextSelected(const QColor& color) {
  colorTextSelected_ = color;
  view_->viewport()->update();
}

}  // namespace hw
