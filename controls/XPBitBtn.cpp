#include "controls/XPBitBtn.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace hw {

namespace {
enum class ThemeBinding { kNotStarted, kLoaded, kUnavailable };
ThemeBinding binding = ThemeBinding::kNotStarted;
}  // namespace

void TThemeBinding::Start() {
  const bool styled = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
                      QApplication::style() != nullptr;
  binding = styled ? ThemeBinding::kLoaded : ThemeBinding::kUnavailable;
}

void TThemeBinding::Stop() { binding = ThemeBinding::kUnavailable; }

// A program that never started the binding still gets themed buttons.
bool TThemeBinding::Loaded() {
  if (binding == ThemeBinding::kNotStarted) Start();
  return binding == ThemeBinding::kLoaded;
}

TXPBitBtn::TXPBitBtn(QWidget* parent) : QPushButton(parent) { setAttribute(Qt::WA_Hover); }

TXPBitBtn::TXPBitBtn(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
  setAttribute(Qt::WA_Hover);
}

void TXPBitBtn::SetSpacing(int value) {
  spacing_ = value;
  update();
}

// One state out of the several that can hold at once: disabled wins, then
// pressed, hot and defaulted (the default button, or focus without hover).
TPushButtonState TXPBitBtn::ThemeState() const {
  if (!isEnabled()) return pbsDisabled;
  if (isDown()) return pbsPressed;
  if (hover_) return pbsHot;
  if (isDefault() || hasFocus()) return pbsDefaulted;
  return pbsNormal;
}

QRect TXPBitBtn::TextRect() const {
  QRect rect = this->rect().adjusted(3, 1, -3, -1);
  if (!icon().isNull()) rect.setLeft(rect.left() + iconSize().width() + spacing_);
  return rect;
}

QString TXPBitBtn::DisplayedCaption() const {
  return fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, TextRect().width()),
                                  Qt::TextShowMnemonic);
}

QPixmap TXPBitBtn::DisabledGlyph() const {
  const QPixmap glyph = icon().pixmap(iconSize());
  if (glyph.isNull()) return {};
  const QImage source = glyph.toImage().convertToFormat(QImage::Format_ARGB32);
  QImage engraved(source.size(), QImage::Format_ARGB32);
  engraved.fill(Qt::transparent);
  // The mask holds the glyph's drawn pixels: opaque and not white, as a
  // monochrome copy of the glyph would have them.
  auto drawn = [&source](int x, int y) {
    const QRgb pixel = source.pixel(x, y);
    return qAlpha(pixel) >= 128 &&
           !(qRed(pixel) >= 248 && qGreen(pixel) >= 248 && qBlue(pixel) >= 248);
  };
  const QRgb light = palette().color(QPalette::Light).rgba();
  const QRgb shadow = palette().color(QPalette::Dark).rgba();
  for (int y = 0; y < source.height(); ++y) {
    for (int x = 0; x < source.width(); ++x) {
      if (drawn(x, y) && x + 1 < source.width() && y + 1 < source.height()) {
        engraved.setPixel(x + 1, y + 1, light);
      }
    }
  }
  for (int y = 0; y < source.height(); ++y) {
    for (int x = 0; x < source.width(); ++x) {
      if (drawn(x, y)) engraved.setPixel(x, y, shadow);
    }
  }
  QPixmap result = QPixmap::fromImage(engraved);
  result.setDevicePixelRatio(glyph.devicePixelRatio());
  return result;
}

void TXPBitBtn::paintEvent(QPaintEvent* event) {
  if (!TThemeBinding::Loaded()) {
    QPushButton::paintEvent(event);
    return;
  }
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  option.icon = QIcon();
  option.state &= ~(QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_On);
  switch (ThemeState()) {
    case pbsHot: option.state |= QStyle::State_MouseOver; break;
    case pbsPressed: option.state |= QStyle::State_Sunken; break;
    case pbsDisabled: option.state &= ~QStyle::State_Enabled; break;
    case pbsDefaulted: option.features |= QStyleOptionButton::DefaultButton; break;
    case pbsNormal: break;
  }
  painter.drawControl(QStyle::CE_PushButtonBevel, option);

  const QRect textRect = TextRect();
  const QString caption = DisplayedCaption();
  style()->drawItemText(&painter, textRect, Qt::AlignCenter | Qt::TextShowMnemonic, option.palette,
                        isEnabled(), caption, QPalette::ButtonText);
  if (icon().isNull()) return;
  const QSize glyphSize = iconSize();
  const int textWidth = std::min(
      fontMetrics().horizontalAdvance(QString(caption).remove(QLatin1Char('&'))), textRect.width());
  const int x = (width() - textWidth - spacing_ - glyphSize.width()) / 2;
  const int y = (height() - glyphSize.height()) / 2;
  painter.drawPixmap(x, y, isEnabled() ? icon().pixmap(glyphSize) : DisabledGlyph());
}

void TXPBitBtn::enterEvent(QEnterEvent* event) {
  hover_ = true;
  update();
  QPushButton::enterEvent(event);
}

void TXPBitBtn::leaveEvent(QEvent* event) {
  hover_ = false;
  update();
  QPushButton::leaveEvent(event);
}

}  // namespace hw
