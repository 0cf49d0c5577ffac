#include "controls/PictureListBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "tests/controls/ControlsTestApp.h"

namespace hw {
namespace {

// Pictures are plain squares of one colour, so their place shows in a grab.
const QColor kPicture(255, 0, 0);

class PictureListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QPixmap square(32, 32);
    square.fill(kPicture);
    box.SetImageList({square, square});
    box.SetItemHeight(90);
    box.resize(160, 300);
    box.SetColorBkg(Qt::white);
    box.SetColorText(Qt::black);
    box.SetColorBkgSelected(Qt::gray);
    box.OnShowMessage = [this](const QString& text) { messages << text; };
    box.addItem(QStringLiteral("Invalid paths"));
    box.addItem(QStringLiteral("Invalid fonts"));
  }

  QImage Shot() {
    box.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
    QCoreApplication::processEvents();
    return box.viewport()->grab().toImage();
  }

  // Bounding box of the picture's pixels inside item row.
  QRect PictureBounds(const QImage& image, int row) {
    const QRect item = box.visualItemRect(box.item(row));
    QRect bounds;
    for (int y = item.top(); y <= item.bottom(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) == kPicture) bounds |= QRect(x, y - item.top(), 1, 1);
      }
    }
    return bounds;
  }

  TPictureListBox box;
  QStringList messages;
};

TEST_F(PictureListBoxTest, PictureSitsWhereTheAlignmentPutsIt) {
  Shot();
  const int width = box.viewport()->width();
  struct Case {
    TAlignment alignment;
    QPoint topLeft;
  };
  for (const Case& c : {Case{taLeftJustify, {4, (90 - 32) / 2}},
                        Case{taRightJustify, {width - 4 - 32, (90 - 32) / 2}},
                        Case{taCenter, {(width - 32) / 2, 4}}}) {
    SCOPED_TRACE(c.alignment);
    box.SetAlignment(c.alignment);
    const QRect bounds = PictureBounds(Shot(), 1);
    EXPECT_EQ(bounds.topLeft(), c.topLeft);
    EXPECT_EQ(bounds.size(), QSize(32, 32));
  }
  test::SaveShot(box, "PictureListBox");
}

TEST_F(PictureListBoxTest, OnlyTheSelectedItemIsFramed) {
  box.setCurrentRow(0);
  const QImage image = Shot();
  const QRect first = box.visualItemRect(box.item(0));
  const QRect second = box.visualItemRect(box.item(1));
  // The sunken edge replaces the background along the item's border.
  EXPECT_EQ(test::CountColour(image, QRect(first.left(), first.top(), first.width(), 1), Qt::gray),
            0);
  EXPECT_EQ(
      test::CountColour(image, QRect(second.left(), second.top(), second.width(), 1), Qt::white),
      second.width());
}

TEST_F(PictureListBoxTest, LongCentredCaptionWrapsBelowThePicture) {
  box.SetAlignment(taCenter);
  box.item(0)->setText(QStringLiteral("A caption of many words that cannot fit on one line"));
  const QImage image = Shot();
  const QRect item = box.visualItemRect(box.item(0));
  const int lineHeight = box.fontMetrics().height();
  int firstTextRow = -1;
  int lastTextRow = -1;
  for (int y = item.top() + 4 + 32; y <= item.bottom(); ++y) {
    if (test::CountColour(image, QRect(0, y, image.width(), 1), Qt::black) > 0) {
      if (firstTextRow < 0) firstTextRow = y;
      lastTextRow = y;
    }
  }
  ASSERT_GE(firstTextRow, item.top() + 4 + 32 + 4);
  EXPECT_GT(lastTextRow - firstTextRow, lineHeight);

  // A word wider than the item is cut, not spilled over its left edge.
  box.item(0)->setText(QStringLiteral("Unbreakablecaptionwordthatisfartoowidetofit"));
  const QImage cut = Shot();
  auto inked = [&cut, &item](int x) {  // below the picture
    for (int y = item.top() + 4 + 32 + 4; y <= item.bottom(); ++y) {
      if (cut.pixelColor(x, y).lightness() < 160) return true;
    }
    return false;
  };
  EXPECT_FALSE(inked(0) || inked(1));
  EXPECT_TRUE(inked(cut.width() / 2));
}

TEST_F(PictureListBoxTest, UnusableImageIndexIsReportedOnceAndLeavesTheItemBlank) {
  int drawn = 0;
  box.OnDrawItem = [&drawn](TPictureListBox*, QPainter&, int, const QRect&, TOwnerDrawState) {
    ++drawn;
  };
  box.SetUseOtherImageIndexes(true);
  box.SetImgListIndexes({QStringLiteral("x")});  // item 1 has no entry at all
  Shot();
  box.viewport()->repaint();
  QCoreApplication::processEvents();
  EXPECT_EQ(drawn, 0);
  messages.sort();
  EXPECT_EQ(messages, (QStringList{"Invalid \"\"", "Invalid \"x\""}));
}

TEST_F(PictureListBoxTest, IndexBeyondTheImagesDrawsTheTextAlone) {
  box.SetUseOtherImageIndexes(true);
  box.SetImgListIndexes({QStringLiteral("1"), QStringLiteral("2")});
  const QImage image = Shot();
  EXPECT_EQ(PictureBounds(image, 0).size(), QSize(32, 32));
  EXPECT_TRUE(PictureBounds(image, 1).isNull());
  const QRect item = box.visualItemRect(box.item(1));
  // Without a picture the text starts two offsets below the top.
  const int lineHeight = box.fontMetrics().height();
  EXPECT_GT(
      test::CountColour(image, QRect(0, item.top() + 8, image.width(), lineHeight), Qt::black), 0);
  EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
}  // namespace hw
