#include "controls/XPBitBtn.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QTest>

#include "tests/controls/ControlsTestApp.h"

namespace hw {
namespace {

QIcon RedGlyph() {
  QPixmap glyph(16, 16);
  glyph.fill(Qt::transparent);
  QPainter painter(&glyph);
  painter.fillRect(2, 2, 12, 12, Qt::red);
  return QIcon(glyph);
}

void Hover(QWidget& widget, bool inside) {
  if (inside) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&widget, &enter);
  } else {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
  }
}

TEST(XPBitBtnTest, StateFollowsHoverPressAndDisabling) {
  TXPBitBtn button(QStringLiteral("&Next"));
  EXPECT_EQ(button.ThemeState(), pbsNormal);
  Hover(button, true);
  EXPECT_TRUE(button.Hover());
  EXPECT_EQ(button.ThemeState(), pbsHot);
  button.setDown(true);
  EXPECT_EQ(button.ThemeState(), pbsPressed);
  button.setDown(false);
  button.setEnabled(false);
  EXPECT_EQ(button.ThemeState(), pbsDisabled);
  button.setEnabled(true);
  Hover(button, false);
  EXPECT_FALSE(button.Hover());
  button.setDefault(true);
  EXPECT_EQ(button.ThemeState(), pbsDefaulted);
}

TEST(XPBitBtnTest, EnteringAndLeavingRepaintTheButton) {
  TXPBitBtn button(QStringLiteral("Back"));
  button.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
  QCoreApplication::processEvents();
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      paints += event->type() == QEvent::Paint;
      return false;
    }
  } counter;
  button.installEventFilter(&counter);
  for (bool inside : {true, false}) {
    Hover(button, inside);
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(counter.paints, 2);
}

TEST(XPBitBtnTest, CaptionTooWideEndsInAnEllipsis) {
  TXPBitBtn button(QStringLiteral("Save found entries in a text file"));
  button.SetGlyph(RedGlyph());
  button.resize(70, 25);
  EXPECT_TRUE(button.DisplayedCaption().endsWith(QChar(0x2026)));
  button.resize(button.fontMetrics().horizontalAdvance(button.text()) + 6 + 16 + 4 + 2, 25);
  EXPECT_EQ(button.DisplayedCaption(), button.text());
}

TEST(XPBitBtnTest, DisabledGlyphIsEngravedInLightAndShadow) {
  TXPBitBtn button(QStringLiteral("Help"));
  button.SetGlyph(RedGlyph());
  const QImage engraved = button.DisabledGlyph().toImage();
  const QColor light = button.palette().color(QPalette::Light);
  const QColor shadow = button.palette().color(QPalette::Dark);
  ASSERT_EQ(engraved.size(), QSize(16, 16));
  EXPECT_EQ(test::CountColour(engraved, engraved.rect(), Qt::red), 0);
  // The glyph's own square in shadow, its lower right edge in light.
  EXPECT_EQ(test::CountColour(engraved, QRect(2, 2, 12, 12), shadow), 144);
  EXPECT_EQ(test::CountColour(engraved, QRect(14, 3, 1, 12), light), 12);
  EXPECT_EQ(engraved.pixelColor(0, 0).alpha(), 0);
}

TEST(XPBitBtnTest, DrawsWithTheStyleAndPlainWithoutTheme) {
  QWidget row;
  auto* layout = new QHBoxLayout(&row);
  auto* next = new TXPBitBtn(QStringLiteral("&Next >"));
  auto* help = new TXPBitBtn(QStringLiteral("Help with a long caption"));
  next->SetGlyph(RedGlyph());
  help->SetGlyph(RedGlyph());
  help->setEnabled(false);
  help->setFixedWidth(90);
  layout->addWidget(next);
  layout->addWidget(help);
  row.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
  test::SaveShot(row, "XPBitBtn");
  // The disabled button shows no trace of the glyph's colour.
  EXPECT_EQ(test::CountColour(help->grab().toImage(), help->rect(), Qt::red), 0);
  EXPECT_GT(test::CountColour(next->grab().toImage(), next->rect(), Qt::red), 0);

  TThemeBinding::Stop();
  QPushButton plain(next->text());
  plain.setIcon(next->icon());
  plain.resize(next->size());
  TXPBitBtn unthemed(next->text());
  unthemed.SetGlyph(next->Glyph());
  unthemed.resize(next->size());
  const bool same = unthemed.grab().toImage() == plain.grab().toImage();
  TThemeBinding::Start();
  EXPECT_TRUE(same);
}

}  // namespace
}  // namespace hw
