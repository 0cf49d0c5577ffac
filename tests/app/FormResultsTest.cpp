// The Registry page's results: the category list with its counts, the rows
// of the shown category, picking by check mark, combo box and menu, the
// search defaults, the enabling of the page's commands and the row drawing.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "app/ResultsView.h"
#include "controls/ChckLBCB.h"
#include "controls/PictureListBox.h"
#include "results/Entries.h"
#include "results/ReportIntake.h"
#include "tests/app/FormFixture.h"

namespace hw::test {
namespace {

class FormResultsTest : public FormTest {
 protected:
  // Shows the Registry page, prepared for a scan of the given categories.
  void Prepare(TAnalyzCategories categories) {
    ASSERT_TRUE(Start());
    form().Engine().Categories = categories;
    form().PrepareResultLists();
    form().ShowPage(app::pgRegistry);
    list_ = Child<TChckLBCB>("ChckListBox1");
    categories_ = Child<TPictureListBox>("PictureListBox1");
  }

  // A finding reported by the engine, as the scan reports it.
  TEntry* Report(TAnalyzCategory category, std::string keyPath, std::string data,
                 std::string badPath, TEntryTypes flags, bool writable = true, int pathCount = 1) {
    TAnalyzClass& engine = form().Engine();
    engine.RootName = "HKEY_LOCAL_MACHINE";
    engine.KeyPath = std::move(keyPath);
    engine.ValueName = "Path";
    engine.Data = std::move(data);
    engine.BadPath = std::move(badPath);
    engine.Flags = flags;
    engine.KeyWritable = writable;
    engine.PathCount = pathCount;
    return AddFromReport(form().Categories(), engine, form().Lang(), category);
  }
  TEntry* ReportPath(std::string name, bool writable = true, int pathCount = 1) {
    return Report(acInvalidPaths, "Software\\" + name, "C:\\Old\\" + name + ".exe",
                  "C:\\Old\\" + name + ".exe", TEntryTypes{etInvalidData}, writable, pathCount);
  }

  TEntry* RowEntry(int row) { return static_cast<TEntry*>(list_->BoxItem(row)->Data); }
  std::vector<bool> Marks() {
    std::vector<bool> marks;
    for (int row = 0; row < list_->Count(); ++row) marks.push_back(list_->GetChecked(row));
    return marks;
  }
  QString Caption(int position) { return categories_->item(position)->text(); }
  TEntries& Entries(int category) { return *form().Categories()[category].Entries; }
  void ShowCategoryAt(int position) {
    categories_->setCurrentRow(position);
    QApplication::processEvents();
  }
  // Paints the list, so rows know where their text starts and the focused
  // row places its combo box.
  void Paint() {
    list_->viewport()->repaint();
    QApplication::processEvents();
  }
  void ClickMark(int row) {
    Paint();
    const QRect rect = list_->ItemRect(row);
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {},
                      QPoint(list_->Offset() + 3, rect.center().y()));
    QApplication::processEvents();
  }
  TLBComboBox* FocusCombo(int row) {
    list_->setFocus();
    list_->SetItemIndex(row);
    Paint();
    return list_->BoxItem(row)->ComboBox;
  }
  static void Choose(TLBComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    QApplication::processEvents();
  }

  TChckLBCB* list_ = nullptr;
  TPictureListBox* categories_ = nullptr;
};

TEST_F(FormResultsTest, CategoriesShowTheirRowsAndCounts) {
  Prepare({acInvalidPaths, acInvalidFonts, acInvalidHelpFiles});
  ASSERT_EQ(categories_->count(), 3);
  EXPECT_EQ(form().ShownListIndex, 0);
  EXPECT_EQ(list_->ItemHeight(), 60);
  EXPECT_EQ(categories_->ImgListIndexes(), (QStringList{"0", "2", "5"}));

  ReportPath("a");
  ReportPath("b", false);
  ReportPath("c");
  Report(acInvalidHelpFiles, "Software\\Help", "C:\\Help\\", "C:\\Help\\x.hlp", {});
  // Fonts report nothing without a kind of problem.
  EXPECT_EQ(Report(acInvalidFonts, "Fonts", "", "", {}), nullptr);

  // Rows arrive at once for the shown category only, marked as the entries are picked.
  ASSERT_EQ(list_->Count(), 3);
  EXPECT_EQ(Marks(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(RowEntry(1)->BoxItem, list_->BoxItem(1));
  EXPECT_EQ(list_->BoxItem(1)->ComboItems, (QStringList{form().InterfaceText(72)}));
  EXPECT_EQ(list_->BoxItem(0)->ComboIndex, 1);
  const QString name = QString::fromStdString(form().Categories()[acInvalidPaths].DisplayName);
  EXPECT_EQ(Caption(0), name + " (2 of 3 picked)");
  EXPECT_TRUE(Caption(2).endsWith("(1 of 1 picked)"));
  EXPECT_EQ(form().StatusPanels[0]->text(), form().InterfaceText(45) + " 4");
  // Only the pack's count text is a format; a name with a "%d" stays as it is.
  form().Categories()[acInvalidHelpFiles].DisplayName = "Help %d";
  form().RefreshResultCounts();
  EXPECT_EQ(Caption(2), "Help %d (1 of 1 picked)");

  // Switching categories rebuilds the rows from the entries.
  ShowCategoryAt(2);
  EXPECT_EQ(form().ShownListIndex, 2);
  ASSERT_EQ(list_->Count(), 1);
  EXPECT_EQ(RowEntry(0)->Category, acInvalidHelpFiles);
  EXPECT_EQ(Entries(acInvalidPaths)[0].BoxItem, nullptr);
  list_->SetChecked(0, false);
  ShowCategoryAt(0);
  EXPECT_EQ(Marks(), (std::vector<bool>{true, false, true}));
  ShowCategoryAt(2);
  EXPECT_EQ(Marks(), (std::vector<bool>{false}));

  // A new scan without categories empties everything.
  form().Engine().Categories = {};
  form().PrepareResultLists();
  EXPECT_EQ(categories_->count(), 0);
  EXPECT_EQ(list_->Count(), 0);
  EXPECT_EQ(form().ShownListIndex, -1);
  EXPECT_EQ(form().Categories().CountTotal(), 0);
}

TEST_F(FormResultsTest, MarksAndCombosPickEntries) {
  Prepare({acInvalidPaths, acObsoleteStartMenu});
  TEntry* a = ReportPath("a");
  TEntry* readOnly = ReportPath("b", false);
  TEntry* c = ReportPath("c");

  // A click on the mark of a read-only row picks it; its choice stays "leave".
  ClickMark(1);
  EXPECT_TRUE(readOnly->Picked());
  EXPECT_EQ(readOnly->Choice(), 0);
  EXPECT_TRUE(Caption(0).endsWith("(3 of 3 picked)"));

  // The first choice unpicks, a replacement picks again.
  TLBComboBox* combo = FocusCombo(0);
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(combo->isVisible());
  Choose(combo, 0);
  EXPECT_FALSE(a->Picked());
  EXPECT_FALSE(list_->GetChecked(0));
  EXPECT_TRUE(Caption(0).endsWith("(2 of 3 picked)"));
  ASSERT_TRUE(a->AddReplacement("D:\\New\\a.exe"));
  form().Categories().View()->UpdateEntryRow(*a);
  combo = FocusCombo(0);
  ASSERT_EQ(combo->count(), 3);
  Choose(combo, 2);
  EXPECT_TRUE(a->Picked());
  EXPECT_EQ(a->ChoiceText(), "D:\\New\\a.exe");

  // Moving the focus takes the combo box to the new row.
  FocusCombo(2);
  EXPECT_EQ(list_->BoxItem(0)->ComboBox, nullptr);
  EXPECT_NE(list_->BoxItem(2)->ComboBox, nullptr);
  EXPECT_TRUE(c->Picked());
}

TEST_F(FormResultsTest, PickCommands) {
  Prepare({acInvalidPaths, acObsoleteStartMenu});
  for (const char* name : {"a", "b", "c"}) ReportPath(name);
  Report(acObsoleteStartMenu, "Menu\\Tool", "", "Tool", TEntryTypes{etObsoleteMenuKey}, false);

  // Unpick selected: only the selected rows.
  list_->SetSelected(0, true);
  list_->SetSelected(2, true);
  form().miUnPickselectedentries->trigger();
  EXPECT_EQ(Marks(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(Entries(acInvalidPaths).PickedCount(), 1);

  // Without a selection, "pick selected" picks nothing at all.
  list_->clearSelection();
  form().UpdateControls();
  EXPECT_FALSE(form().miPickselectedentries->isEnabled());
  form().miPickClick(form().miPickselectedentries);
  EXPECT_EQ(Entries(acInvalidPaths).PickedCount(), 1);
  EXPECT_EQ(Entries(acObsoleteStartMenu).PickedCount(), 0);

  // All: every category, read-only entries included, whichever is shown.
  ShowCategoryAt(1);
  form().miPickallentries->trigger();
  EXPECT_EQ(form().Categories().PickedTotal(), 4);
  EXPECT_TRUE(Caption(0).endsWith("(3 of 3 picked)"));
  EXPECT_TRUE(Caption(1).endsWith("(1 of 1 picked)"));
  EXPECT_TRUE(Child<QPushButton>("BitBtnNext")->isEnabled());
  form().miUnpickallentries->trigger();
  EXPECT_EQ(form().Categories().PickedTotal(), 0);
  EXPECT_EQ(Marks(), (std::vector<bool>{false}));
  EXPECT_FALSE(Child<QPushButton>("BitBtnNext")->isEnabled());
  ShowCategoryAt(0);
  EXPECT_EQ(Marks(), (std::vector<bool>{false, false, false}));
  form().miPickallentries->trigger();
  EXPECT_EQ(Marks(), (std::vector<bool>{true, true, true}));
}

TEST_F(FormResultsTest, CommandsFollowTheFirstSelectedRow) {
  Prepare({acInvalidPaths, acEmptyKeys});
  ReportPath("a");
  Report(acEmptyKeys, "Software\\Empty", "", "", {});
  list_->SetSelected(0, true);
  form().PopupMenu1Popup();
  EXPECT_TRUE(form().miOpenFolder->isEnabled());
  EXPECT_TRUE(form().miOpenRegistryKey->isEnabled());
  EXPECT_TRUE(form().miAddtoexcludedentrieslist->text().contains(
      QString::fromStdString(form().Categories()[acInvalidPaths].DisplayName)));
  ShowCategoryAt(1);
  list_->SetSelected(0, true);
  form().PopupMenu1Popup();
  EXPECT_FALSE(form().miOpenFolder->isEnabled());
  EXPECT_TRUE(form().miOpenRegistryKey->isEnabled());
}

TEST_F(FormResultsTest, SearchDefaultsAndReplacementTexts) {
  Prepare({acInvalidPaths, acInvalidFonts});
  TEntry* one = ReportPath("one", true, 1);
  TEntry* three = ReportPath("three", true, 3);
  TEntry* found = ReportPath("found", true, 3);
  ASSERT_TRUE(found->AddReplacement("D:\\New"));
  found->SetChoice(2);
  form().Categories().View()->UpdateEntryRow(*found);

  form().ApplySearchDefaults();
  EXPECT_EQ(one->Choice(), 1);
  EXPECT_EQ(three->Choice(), 0);
  EXPECT_EQ(found->Choice(), 2);
  EXPECT_EQ(Marks(), (std::vector<bool>{true, false, true}));
  EXPECT_EQ(list_->BoxItem(1)->ComboIndex, 0);
  EXPECT_FALSE(three->Picked());
  EXPECT_TRUE(Caption(0).endsWith("(2 of 3 picked)"));

  // A font's replacements read as such in its combo box, also after a switch.
  TEntry* font = Report(acInvalidFonts, "Software\\Fonts", "C:\\Fonts\\old.ttf",
                        "C:\\Fonts\\old.ttf", TEntryTypes{etInvalidData});
  ASSERT_TRUE(font->AddReplacement("D:\\Fonts\\old.ttf"));
  ShowCategoryAt(1);
  const QStringList texts = list_->BoxItem(0)->ComboItems;
  ASSERT_EQ(texts.size(), 3);
  EXPECT_EQ(texts[2], form().InterfaceText(85) + " D:\\Fonts\\old.ttf");
}

// A mark cleared or "leave" chosen while the search ran is what the user
// wants: the defaults after the search keep it.
TEST_F(FormResultsTest, SearchDefaultsKeepWhatTheUserChose) {
  Prepare({acInvalidPaths});
  TEntry* unticked = ReportPath("unticked");
  TEntry* left = ReportPath("left");
  TEntry* other = ReportPath("other");
  ClickMark(0);
  Choose(FocusCombo(1), 0);
  ASSERT_EQ(Marks(), (std::vector<bool>{false, false, true}));

  form().ApplySearchDefaults();
  EXPECT_EQ(Marks(), (std::vector<bool>{false, false, true}));
  EXPECT_FALSE(unticked->Picked());
  EXPECT_FALSE(left->Picked());
  EXPECT_EQ(left->Choice(), 0);
  EXPECT_EQ(list_->BoxItem(1)->ComboIndex, 0);
  EXPECT_TRUE(other->Picked());
  EXPECT_TRUE(Caption(0).endsWith("(1 of 3 picked)"));
}

TEST_F(FormResultsTest, RowsAreDrawnInTheirColours) {
  Prepare({acInvalidPaths, acObsoleteStartMenu});
  form().resize(760, 480);
  ReportPath("writable");
  ReportPath("readonly", false);
  ReportPath("selected");
  ReportPath("focused");
  list_->SetSelected(2, true);
  FocusCombo(3);
  Paint();
  const QImage image = list_->viewport()->grab().toImage();
  auto count = [&](int row, const QColor& colour) {
    const QRect rect = list_->ItemRect(row).intersected(image.rect());
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x) n += image.pixelColor(x, y) == colour;
    return n;
  };
  const QColor maroon(128, 0, 0), navy(0, 0, 128), olive(128, 128, 0), yellow(255, 255, 0);
  EXPECT_GT(count(0, maroon), 0);
  EXPECT_GT(count(0, navy), 0);
  EXPECT_GT(count(0, olive), 0);
  // Read-only: no navy name, and "leave" is not olive.
  EXPECT_EQ(count(1, navy), 0);
  EXPECT_EQ(count(1, olive), 0);
  EXPECT_GT(count(2, yellow), 0);
  // The focused row shows its combo box instead of the choice text.
  EXPECT_EQ(count(3, olive), 0);
  TLBComboBox* combo = list_->BoxItem(3)->ComboBox;
  ASSERT_NE(combo, nullptr);
  EXPECT_TRUE(list_->ItemRect(3).contains(combo->geometry().center()));
  // Its closed field takes the selection's colours while a row is selected.
  auto comboColour = [&](const QColor& colour) {
    const QImage field = combo->grab().toImage();
    int n = 0;
    for (int y = 0; y < field.height(); ++y)
      for (int x = 0; x < field.width(); ++x) n += field.pixelColor(x, y) == colour;
    return n;
  };
  EXPECT_GT(comboColour(yellow), 0);

  const std::filesystem::path shots = std::filesystem::path(HW_SHOTS_DIR) / "gui-pages";
  std::filesystem::create_directories(shots);
  auto save = [&](const char* name) {
    EXPECT_TRUE(form().grab().save(QString::fromStdString((shots / name).string())));
  };
  save("registry-results.png");
  list_->clearSelection();
  EXPECT_EQ(comboColour(yellow), 0);

  // A Start-menu row: the last occurrence of the missing name in the key.
  Report(acObsoleteStartMenu, "Menu\\Tools\\Tools", "", "Tools", TEntryTypes{etObsoleteMenuKey});
  ShowCategoryAt(1);
  Paint();
  EXPECT_EQ(list_->ItemHeight(), 40);
  const QImage menu = list_->viewport()->grab().toImage();
  int missing = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < menu.width(); ++x) missing += menu.pixelColor(x, y) == maroon;
  EXPECT_GT(missing, 0);
  save("registry-results-startmenu.png");
}

}  // namespace
}  // namespace hw::test
