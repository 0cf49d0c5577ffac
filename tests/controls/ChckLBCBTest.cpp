#include "controls/ChckLBCB.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <vector>

#include "tests/controls/ControlsTestApp.h"

namespace hw {
namespace {

class ChckLBCBTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.resize(320, 200);
    list.OnStateChanged = [this](TChckLBCB* sender) {
      EXPECT_EQ(sender, &list);
      ++changed;
    };
    list.OnBeforeStateChanging = [this](TChckLBCB*) { ++before; };
  }

  void Fill(int rows) {
    for (int i = 0; i < rows; ++i) list.AddItem(QStringLiteral("Row %1").arg(i));
  }

  // Shows the list and lets it lay out and paint its rows.
  void Show() {
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    Settle();
  }
  void Settle() {
    QCoreApplication::processEvents();
    list.viewport()->repaint();
    QCoreApplication::processEvents();
  }

  QPoint MarkPoint(int row) const {
    return QPoint(list.Offset() + 5, list.ItemRect(row).center().y());
  }
  QPoint TextPoint(int row) const {
    return QPoint(list.TextStart() + 10, list.ItemRect(row).center().y());
  }

  TChckLBCB list;
  int changed = 0;
  int before = 0;
};

QPixmap Square(int side, Qt::GlobalColor colour) {
  QPixmap pixmap(side, side);
  pixmap.fill(colour);
  return pixmap;
}

struct CycleCase {
  TCheckOrder order;
  bool allowGrayed;
  bool fourthImage;
  std::vector<int> states;  // from unchecked, one click after another
};

TEST_F(ChckLBCBTest, ClicksCycleTheStatesInTheChosenOrder) {
  const std::vector<CycleCase> cases = {
      {coUncheckCheckGray4, false, false, {2, 0, 2}},
      {coUncheckCheckGray4, true, false, {2, 0, 1, 2}},
      {coUncheckCheckGray4, true, true, {2, 0, 1, 3, 2}},
      {coUncheckGrayCheck4, false, true, {2, 0, 3, 2}},
      {coUncheckGrayCheck4, true, true, {2, 1, 0, 3, 2}},
      {coUncheck4CheckGray, false, true, {2, 0, 2}},
      {coUncheck4CheckGray, true, false, {2, 0, 1, 2}},
      {coUncheck4CheckGray, true, true, {2, 3, 0, 1, 2}},
      {coUncheck4GrayCheck, false, false, {2, 0, 2}},
      {coUncheck4GrayCheck, true, false, {2, 1, 0, 2}},
      {coUncheck4GrayCheck, true, true, {2, 3, 1, 0, 2}},
  };
  Fill(2);
  Show();
  for (const CycleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "order " << c.order << " grayed " << c.allowGrayed
                                    << " fourth " << c.fourthImage);
    list.SetCheckOrder(c.order);
    list.SetAllowGrayed(c.allowGrayed);
    list.SetBmpEmpty(c.fourthImage ? Square(13, Qt::blue) : QPixmap());
    list.SetState(1, cbUnchecked);
    Settle();
    for (std::size_t step = 1; step < c.states.size(); ++step) {
      QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, MarkPoint(1));
      EXPECT_EQ(list.GetState(1), c.states[step]) << "after click " << step;
      EXPECT_EQ(list.GetChecked(1), c.states[step] == cbChecked);
    }
  }
}

TEST_F(ChckLBCBTest, MarkChangesOnlyByLeftClickOnTheMarkOrSpace) {
  Fill(3);
  Show();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, MarkPoint(1));
  EXPECT_TRUE(list.GetChecked(1));
  EXPECT_EQ(list.GetState(1), cbChecked);
  EXPECT_EQ(changed, 2);  // the change itself and the end of the cycle
  EXPECT_EQ(before, 1);

  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, TextPoint(2));
  EXPECT_FALSE(list.GetChecked(2));
  EXPECT_TRUE(list.Selected(2));
  QTest::mouseClick(list.viewport(), Qt::RightButton, {}, MarkPoint(0));
  EXPECT_FALSE(list.GetChecked(0));
  EXPECT_FALSE(list.Selected(0));

  // The space bar toggles the focused row.
  QTest::keyClick(&list, Qt::Key_Space);
  EXPECT_TRUE(list.GetChecked(2));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, MarkPoint(1));
  EXPECT_FALSE(list.GetChecked(1));
}

TEST_F(ChckLBCBTest, AllowChangeFalseKeepsMarksButStillRaisesEvents) {
  Fill(2);
  Show();
  list.SetAllowChange(false);
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, MarkPoint(0));
  EXPECT_EQ(list.GetState(0), cbUnchecked);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(changed, 1);
  list.SetChecked(1, true);
  list.SetState(1, cbGrayed);
  EXPECT_FALSE(list.GetChecked(1));
  EXPECT_EQ(before, 3);
  EXPECT_EQ(changed, 1);
}

TEST_F(ChckLBCBTest, SetCheckedAndSetStateKeepFlagAndStateTogether) {
  Fill(3);
  list.SetChecked(0, true);
  EXPECT_EQ(list.GetState(0), cbChecked);
  EXPECT_EQ(changed, 1);
  list.SetChecked(0, true);  // no change, no event
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(before, 2);
  list.SetState(0, cbGrayed);
  EXPECT_FALSE(list.GetChecked(0));
  list.SetState(1, cbChecked);
  EXPECT_TRUE(list.GetChecked(1));
  EXPECT_EQ(changed, 3);
  // Outside the list: ignored, no events, getters answer unchecked.
  list.SetChecked(7, true);
  list.SetState(-1, cbChecked);
  list.ToggleState(3);
  EXPECT_EQ(changed, 3);
  EXPECT_FALSE(list.GetChecked(7));
  EXPECT_EQ(list.GetState(-1), cbUnchecked);
  EXPECT_EQ(list.BoxItem(3), nullptr);

  // A batch reports its changes once, at its end.
  list.BeginUpdate();
  list.SetChecked(0, true);
  list.SetChecked(2, true);
  list.BeginUpdate();
  list.ToggleState(1);
  list.EndUpdate();
  EXPECT_EQ(changed, 3);
  list.EndUpdate();
  EXPECT_EQ(changed, 4);
  EXPECT_TRUE(list.GetChecked(0) && list.GetChecked(2));
  EXPECT_EQ(list.GetState(1), cbUnchecked);
}

TEST_F(ChckLBCBTest, RadioStateLeavesOneMarkAndReportsEveryClearing) {
  Fill(3);
  list.SetRadioState(true);
  list.SetChecked(0, true);
  list.SetChecked(2, true);
  EXPECT_FALSE(list.GetChecked(0));
  EXPECT_TRUE(list.GetChecked(2));
  EXPECT_EQ(changed, 2);
  // Unchecking an unchecked row still clears row 2: that change is reported.
  list.SetChecked(1, false);
  EXPECT_FALSE(list.GetChecked(2));
  EXPECT_EQ(changed, 3);
}

TEST_F(ChckLBCBTest, DeleteItemRenumbersTheFollowingRows) {
  Fill(5);
  TBoxItem* third = list.BoxItem(3);
  TBoxItem* fourth = list.BoxItem(4);
  list.SetChecked(3, true);
  list.DeleteItem(2);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.BoxItem(2), third);
  EXPECT_EQ(list.BoxItem(3), fourth);
  EXPECT_EQ(third->Index, 2);
  EXPECT_EQ(fourth->Index, 3);
  EXPECT_EQ(list.ItemText(2), "Row 3");
  EXPECT_TRUE(list.GetChecked(2));
  list.DeleteItem(4);  // outside: ignored
  EXPECT_EQ(list.Count(), 4);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(ChckLBCBTest, ComboBoxFollowsTheFocusedRowAndRelaysItsEvents) {
  list.SetItemHeight(40);
  Fill(3);
  for (int i = 0; i < 3; ++i) {
    list.SetComboItems(i, {"Leave", "Repair", "Replace"});
    list.SetComboIndex(i, 1);
    list.BoxItem(i)->ComboStyle = csOwnerDrawFixed;
  }
  std::vector<std::string> events;
  auto record = [&events, this](const char* name) {
    return [&events, this, name](TLBComboBox* sender) {
      EXPECT_EQ(sender->List(), &list);
      events.push_back(name);
    };
  };
  list.OnClickComboBox = record("click");
  list.OnChangeComboBox = record("change");
  list.OnDropdownComboBox = record("dropdown");
  list.OnCloseUpComboBox = record("closeup");
  int mouseDowns = 0;
  list.OnMouseDown = [&mouseDowns](TChckLBCB*, Qt::MouseButton button, Qt::KeyboardModifiers,
                                   QPoint) { mouseDowns += button == Qt::LeftButton; };
  Show();

  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, TextPoint(1));
  Settle();
  TLBComboBox* combo = list.BoxItem(1)->ComboBox;
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->isVisible());
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(list.BoxItem(0)->ComboBox, nullptr);
  EXPECT_EQ(list.BoxItem(2)->ComboBox, nullptr);
  // Default placement: the row's right part, one pixel above its bottom.
  const QRect row = list.ItemRect(1);
  EXPECT_EQ(combo->geometry().bottom(), row.bottom() - 1);
  EXPECT_EQ(combo->geometry().right(), row.right());
  EXPECT_EQ(combo->geometry().left(), list.TextStart());

  mouseDowns = 0;
  QTest::keyClick(combo, Qt::Key_Down);
  EXPECT_EQ(events, (std::vector<std::string>{"click", "change"}));
  EXPECT_EQ(mouseDowns, 1);
  EXPECT_EQ(list.BoxItem(1)->ComboIndex, 2);
  events.clear();
  combo->showPopup();
  EXPECT_TRUE(combo->DroppedDown());
  combo->hidePopup();
  EXPECT_EQ(events, (std::vector<std::string>{"dropdown", "closeup"}));

  // The closed field of an owner-drawn box is drawn by the list's handler,
  // with the row's selection colours by default.
  const QImage field = combo->grab().toImage();
  EXPECT_GT(test::CountColour(field, field.rect(), list.ColorBkgSelected()), 0);
  std::vector<std::pair<int, TOwnerDrawState>> drawn;
  list.OnDrawComboBox = [&drawn](TLBComboBox*, QPainter&, int index, const QRect&,
                                 TOwnerDrawState state) { drawn.emplace_back(index, state); };
  combo->grab();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].first, 2);
  EXPECT_TRUE(drawn[0].second & odComboBoxEdit);

  // Focus moves on: the old row loses its box, keeping its choice.
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, TextPoint(2));
  Settle();
  EXPECT_EQ(list.BoxItem(1)->ComboBox, nullptr);
  EXPECT_EQ(list.BoxItem(1)->ComboIndex, 2);
  ASSERT_NE(list.BoxItem(2)->ComboBox, nullptr);
  EXPECT_TRUE(list.BoxItem(2)->ComboBox->isVisible());
  test::SaveShot(list, "ChckLBCB");
}

TEST_F(ChckLBCBTest, EveryRowGetsItsBoxWhenNotOnlyTheFocusedOne) {
  list.SetShowCBoxFocusedOnly(false);
  Fill(2);
  EXPECT_NE(list.BoxItem(0)->ComboBox, nullptr);
  EXPECT_NE(list.BoxItem(1)->ComboBox, nullptr);
}

TEST_F(ChckLBCBTest, RowHeightFollowsFontBitmapsAndFixedSize) {
  QFont small = list.font();
  small.setPixelSize(8);
  list.setFont(small);
  const int fontHeight = QFontMetrics(small).height();
  ASSERT_LT(fontHeight, 15);
  EXPECT_EQ(list.ItemHeight(), 15);
  list.SetFixedSize(false);
  EXPECT_EQ(list.ItemHeight(), fontHeight);

  for (auto set : {&TChckLBCB::SetBmpChecked, &TChckLBCB::SetBmpGrayed, &TChckLBCB::SetBmpUnchecked,
                   &TChckLBCB::SetBmpEmpty}) {
    (list.*set)(Square(20, Qt::green));
  }
  list.setFont(QFont(small.family(), 7));
  EXPECT_EQ(list.ItemHeight(), 22);
}

TEST_F(ChckLBCBTest, TextStartsRightOfTheMarkAndAfterDrawGetsTheRest) {
  Fill(2);
  list.SetOffset(6);
  list.SetSelected(1, true);
  std::vector<QRect> rects;
  std::vector<QColor> backgrounds;
  list.OnAfterDrawItem = [&](TChckLBCB*, QPainter& canvas, int, const QRect& rect,
                             TOwnerDrawState state) {
    rects.push_back(rect);
    if (state & odSelected) backgrounds.push_back(canvas.brush().color());
  };
  list.SetColorBkgSelected(Qt::gray);
  Show();
  // System frame: 13 pixels wide between two offsets.
  EXPECT_EQ(list.TextStart(), 6 + 13 + 6);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects.back().left(), list.TextStart());
  ASSERT_FALSE(backgrounds.empty());
  EXPECT_EQ(backgrounds.back(), QColor(Qt::gray));

  // Three bitmaps are not enough to leave the system frame.
  list.SetBmpChecked(Square(20, Qt::green));
  list.SetBmpGrayed(Square(20, Qt::green));
  list.SetBmpUnchecked(Square(20, Qt::green));
  Settle();
  EXPECT_EQ(list.TextStart(), 6 + 13 + 6);
  list.SetBmpEmpty(Square(20, Qt::green));
  Settle();
  EXPECT_EQ(list.TextStart(), 6 + 20 + 6);
}

// How long this takes is measured by bench/bench_checklist.
TEST_F(ChckLBCBTest, TwentyThousandRowsRaiseOneEventPerMarkedRow) {
  int events = 0;
  list.OnStateChanged = [&events](TChckLBCB*) { ++events; };
  Show();
  for (int i = 0; i < 20000; ++i) {
    list.AddItem(QStringLiteral("[HKEY_LOCAL_MACHINE] Software\\Vendor\\Product %1 (Path)").arg(i));
  }
  for (int i = 0; i < list.Count(); ++i) list.SetChecked(i, true);
  Settle();
  list.Clear();
  Settle();
  EXPECT_EQ(events, 20000);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace hw
