// The wizard's flow through its pages, the buttons on each page, Cancel,
// Help, the layout rules, the category mappings and the language switch.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/HelpWindow.h"
#include "app/ShellOpen.h"
#include "app/WizardWork.h"
#include "controls/PictureListBox.h"
#include "results/Entries.h"
#include "tests/app/FormFixture.h"
#include "tests/support/FakeFileSystem.h"

namespace hw::test {
namespace {

using app::TFormRegFix;

// Stands in for the scan: Start shows the Registry page in its running state
// with one found entry, as the orchestration will.
class FakeWork : public app::TWizardWork {
 public:
  void StartScan(TFormRegFix& form) override {
    ++scans;
    form.Engine().Stop = false;
    form.ShowPage(app::pgRegistry);
    form.Categories()[acInvalidPaths].Entries->AddEntry();
  }
  void FixIt(TFormRegFix&) override { ++repairs; }
  bool SearchRunning() const override { return searching; }
  void StopSearch() override { searching = false; }
  void CheckForNewVersion(TFormRegFix&) override {}
  int scans = 0;
  int repairs = 0;
  bool searching = false;
};

struct ButtonState {
  bool visible, enabled;
  QString caption;
};

class FormFlowTest : public FormTest {
 protected:
  void ExpectButtons(const ButtonState& back, const ButtonState& next, const ButtonState& cancel,
                     int help) {
    SCOPED_TRACE(form().PageName().toStdString());
    const std::pair<const char*, ButtonState> rows[] = {
        {"BitBtnBack", back}, {"BitBtnNext", next}, {"BitBtnCancel", cancel}};
    for (const auto& [name, want] : rows) {
      auto* button = Child<QPushButton>(name);
      EXPECT_EQ(button->isVisible(), want.visible) << name;
      EXPECT_EQ(button->isEnabled(), want.enabled) << name;
      EXPECT_EQ(button->text(), want.caption) << name;
    }
    EXPECT_EQ(form().HelpContext(), help);
    EXPECT_TRUE(Child<QPushButton>("BitBtnHelp")->isEnabled());
  }
  FakeWork work_;
};

TEST_F(FormFlowTest, SettingsPagesLoopBackToWelcome) {
  ASSERT_TRUE(Start());
  Click("BitBtnSettings");
  EXPECT_EQ(form().PageName(), "Settings1");
  ExpectButtons({true, true, "Back"}, {true, true, "Next"}, {true, true, "Cancel"}, 230);
  Click("BitBtnNext");
  EXPECT_EQ(form().PageName(), "Settings2");
  ExpectButtons({true, true, "Back"}, {true, true, "Next"}, {true, true, "Cancel"}, 230);
  Click("BitBtnBack");
  EXPECT_EQ(form().PageName(), "Settings1");
  Click("BitBtnBack");
  EXPECT_EQ(form().PageName(), "Welcome");
  Click("BitBtnSettings");
  Click("BitBtnNext");
  Click("BitBtnNext");
  EXPECT_EQ(form().PageName(), "Welcome");
  ExpectButtons({false, false, "Back"}, {true, true, "Start"}, {true, true, "Cancel"}, 100);
  EXPECT_TRUE(TakeShown().empty());
}

TEST_F(FormFlowTest, NoCategoryCheckedStopsStartAndSettingsWithMessage30) {
  ASSERT_TRUE(Start());
  form().SetWizardWork(&work_);
  Child<QCheckBox>("CheckBoxInvalidPaths")->setChecked(false);
  for (const char* button : {"BitBtnNext", "BitBtnSettings"}) {
    Click(button);
    auto shown = TakeShown();
    ASSERT_EQ(shown.size(), 1u) << button;
    EXPECT_EQ(shown[0].text, "Please choose at least one kind of entry to look for.");
    EXPECT_EQ(form().PageName(), "Welcome");
  }
  EXPECT_EQ(work_.scans, 0);
}

TEST_F(FormFlowTest, RegistryAndFixItPagesFollowTheScanState) {
  ASSERT_TRUE(Start());
  form().SetWizardWork(&work_);
  Click("BitBtnNext");
  ASSERT_EQ(work_.scans, 1);
  ASSERT_EQ(form().PageName(), "Registry");
  ExpectButtons({true, false, "Back"}, {true, false, "Please wait"}, {true, true, "Stop"}, 140);

  // Cancel stops the scan and keeps the window.
  Click("BitBtnCancel");
  EXPECT_TRUE(form().Engine().Stop);
  EXPECT_TRUE(form().isVisible());
  // The moved-file search: Cancel stops it in turn.
  work_.searching = true;
  form().Notebook1PageChanged();
  Click("BitBtnCancel");
  EXPECT_FALSE(work_.searching);
  EXPECT_TRUE(form().isVisible());

  // Idle, nothing picked: Next is off; the report lists every found entry,
  // so saving and printing it are on.
  form().Notebook1PageChanged();
  ExpectButtons({true, true, "Back"}, {true, false, "Next"}, {true, true, "Cancel"}, 140);
  EXPECT_TRUE(form().miSavefoundentriesintextfile->isEnabled());
  EXPECT_TRUE(form().miPrintallfoundentries->isEnabled());
  TEntries& entries = *form().Categories()[acInvalidPaths].Entries;
  entries.SetPicked(&entries[0], true);
  form().UpdateControls();
  EXPECT_TRUE(form().miPrintallfoundentries->isEnabled());

  Click("BitBtnNext");
  ASSERT_EQ(form().PageName(), "Fix_it");
  ExpectButtons({true, true, "Back"}, {true, true, "Fix it!"}, {true, true, "Cancel"}, 150);
  const QDate today = QDate::currentDate();
  EXPECT_EQ(Child<QLineEdit>("EUndoFile")->text(),
            QString::fromStdString(form().BackupFolder().string()) +
                today.toString(QStringLiteral("yyyy_MM_dd")) + ".reg");
  const std::pair<QString, QString> browsed[] = {{"/backups.d/undo", "/backups.d/undo.reg"},
                                                 {"/b/undo.txt", "/b/undo.txt"}};
  for (const auto& [chosen, shown] : browsed) {
    app::Dialogs::setNextFileName(chosen);
    Click("BUndoFile");
    EXPECT_EQ(Child<QLineEdit>("EUndoFile")->text(), shown);
  }
  app::Dialogs::setNextFileName({});  // cancelled: unchanged
  Click("BUndoFile");
  EXPECT_EQ(Child<QLineEdit>("EUndoFile")->text(), "/b/undo.txt");
  QTest::mouseClick(Child<QCheckBox>("ChBSaveUndo"), Qt::LeftButton);
  EXPECT_FALSE(Child<QLineEdit>("EUndoFile")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>("BUndoFile")->isEnabled());
  Click("BitBtnNext");
  EXPECT_EQ(work_.repairs, 1);

  Click("BitBtnBack");
  EXPECT_EQ(form().PageName(), "Registry");
  Click("BitBtnBack");
  EXPECT_EQ(form().PageName(), "Welcome");
  // Cancel on Welcome closes the window.
  Click("BitBtnCancel");
  EXPECT_FALSE(form().isVisible());
}

TEST_F(FormFlowTest, NextOnRegistryWithNothingPickedShowsMessage20) {
  ASSERT_TRUE(Start());
  form().ShowPage(app::pgRegistry);
  // Nothing found: nothing to save or print.
  EXPECT_FALSE(form().miSavefoundentriesintextfile->isEnabled());
  EXPECT_FALSE(form().miPrintallfoundentries->isEnabled());
  form().BitBtnNextClick(form().BitBtnNext);
  auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Please pick at least one entry to repair.");
  EXPECT_EQ(form().PageName(), "Registry");
}

TEST_F(FormFlowTest, HelpOpensThePageTopicAndTheIndex) {
  ASSERT_TRUE(Start());
  const std::pair<app::TPage, int> topics[] = {
      {app::pgWelcome, 100}, {app::pgSettings2, 230}, {app::pgRegistry, 140}, {app::pgFixIt, 150}};
  for (const auto& [page, topic] : topics) {
    form().ShowPage(page);
    Click("BitBtnHelp");
    const auto file = form().HelpWindow()->TopicFile(topic);
    EXPECT_EQ(file.filename(), "topic" + std::to_string(topic) + ".html");
    EXPECT_TRUE(form().HelpWindow()->isVisible());
    if (std::filesystem::exists(file)) {
      EXPECT_EQ(form().HelpWindow()->Shown(), file);
    }
  }
  Click("BitBtnInfo");
  EXPECT_TRUE(form().PMInfo->isVisible());
  form().PMInfo->hide();
  form().miHelpindex->trigger();
  EXPECT_EQ(form().HelpWindow()->TopicFile(0).filename(), "index.html");
  form().miAbout->trigger();
  EXPECT_TRUE(form().AboutBox()->isVisible());
}

TEST_F(FormFlowTest, Settings1HalvesRoundToEvenAndSettings2ButtonsShareAWidth) {
  ASSERT_TRUE(Start());
  // Below the designed minimum, to check the rounding of the example.
  form().layout()->setSizeConstraint(QLayout::SetNoConstraint);
  form().setMinimumSize(0, 0);
  const std::tuple<int, int, int> halves[] = {{300, 123, 123}, {301, 124, 123}, {450, 198, 198}};
  for (const auto& [height, upper, lower] : halves) {
    form().resize(599, height);
    QApplication::processEvents();
    EXPECT_EQ(form().PanelDrives->height(), upper) << height;
    EXPECT_EQ(form().PanelPaths->height(), lower) << height;
    EXPECT_EQ(form().ListBoxExcludedDrives->height(), upper - 16) << height;
    EXPECT_EQ(form().LBPaths->height(), lower - 16) << height;
  }
  form().resize(599, 450);
  form().ShowPage(app::pgSettings2);
  QApplication::processEvents();
  const QFontMetrics metrics = form().fontMetrics();
  int widest = 0;
  for (QPushButton* b : {form().BitBtnAddExcludedEntry, form().BitBtnEditExcludedEntry,
                         form().BitBtnRemoveExcludedEntry, form().BitBtnRestoreDefault})
    widest = std::max(widest, metrics.horizontalAdvance(b->text()));
  for (QPushButton* b : {form().BitBtnAddExcludedEntry, form().BitBtnRestoreDefault})
    EXPECT_EQ(b->width(), widest + 20);
  EXPECT_EQ(form().PanelExclButtons->width(), widest + 20 + 2 * form().BitBtnRestoreDefault->x());
  EXPECT_EQ(form().ComboBoxExcludedEntries->width(),
            form().PanelExclCombo->width() - 2 * form().ComboBoxExcludedEntries->x());
  form().ShowPage(app::pgFixIt);
  QApplication::processEvents();
  EXPECT_EQ(form().EUndoFile->x() + form().EUndoFile->width(), form().PanelUndo->width() - 10);
  // The window cannot be made smaller than its minimum size.
  form().layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
  form().setMinimumSize(560, 400);
  form().resize(100, 100);
  EXPECT_EQ(form().size(), QSize(560, 400));
}

TEST_F(FormFlowTest, CategoryMappingsSkipHiddenAndUnscannedCategories) {
  ASSERT_TRUE(Start());
  // Combo positions: the six offered categories in index order.
  const int combo[kCategoryCount] = {0, 0, 1, 2, 3, 4, 5, 0};
  for (int c = 0; c < kCategoryCount; ++c) EXPECT_EQ(form().CategoryToComboIndex(c), combo[c]) << c;
  EXPECT_EQ(form().ComboIndexToCategory(1), acInvalidFonts);
  EXPECT_EQ(form().ComboIndexToCategory(9), 0);
  // List positions: the scanned categories only.
  form().Engine().Categories = {acInvalidFonts, acInvalidHelpFiles, acInvalidExts};
  const int list[kCategoryCount] = {-1, -1, 0, -1, -1, 1, -1, 2};
  for (int c = 0; c < kCategoryCount; ++c) EXPECT_EQ(form().CategoryToListIndex(c), list[c]) << c;
  EXPECT_EQ(form().ListIndexToCategory(2), acInvalidExts);
  EXPECT_EQ(form().ListIndexToCategory(3), 0);
}

TEST_F(FormFlowTest, ABadCategoryPictureIndexIsReportedThroughTheDialogs) {
  ASSERT_TRUE(Start());
  form().ShowPage(app::pgRegistry);
  auto* list = Child<TPictureListBox>("PictureListBox1");
  list->SetUseOtherImageIndexes(true);
  list->addItem(QStringLiteral("Invalid paths"));  // no picture index yet
  list->grab();
  QApplication::processEvents();
  const std::vector<app::TShownDialog> shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, QStringLiteral("Invalid \"\""));
}

TEST_F(FormFlowTest, StatusPanel0FitsItsText) {
  ASSERT_TRUE(Start());
  form().SetStatus(0, "12 entries found");
  QLabel* panel = form().StatusPanels[0];
  EXPECT_EQ(panel->width(), panel->fontMetrics().horizontalAdvance("12 entries found") + 20);
  // The scan shows each key it opens in panel 1.
  TAnalyzClass& engine = form().Engine();
  engine.RootName = "HKEY_CURRENT_USER";
  engine.KeyPath = "Software\\Classes";
  engine.OnKey(engine);
  EXPECT_EQ(form().StatusPanels[1]->text(), "Scanning HKEY_CURRENT_USER \\ Software\\Classes");
}

TEST_F(FormFlowTest, LanguageSwitchRelabelsEveryPageAndIsRemembered) {
  ASSERT_TRUE(Start());
  auto* languages = Child<QComboBox>("CBLang");
  const int german = languages->findText("Deutsch");
  ASSERT_GE(german, 0);
  const QString englishStatic = form().StaticText5->text();
  languages->setCurrentIndex(german);
  emit languages->activated(german);
  EXPECT_EQ(Child<QPushButton>("BitBtnNext")->text(), form().InterfaceText(7));
  EXPECT_NE(form().BitBtnSettings->text(), "Advanced settings");
  EXPECT_NE(form().StaticText5->text(), englishStatic);
  EXPECT_NE(form().ComboBoxExcludedEntries->itemText(0), "Invalid paths (excluded entries)");
  EXPECT_EQ(form().ComboBoxExcludedEntries->itemText(0),
            TFormRegFix::FormatText(form().InterfaceText(69), form().InterfaceText(62)));
  EXPECT_EQ(form().Categories()[acInvalidFonts].DisplayName,
            form().InterfaceText(29).toStdString());
  EXPECT_EQ(languages->currentIndex(), german);
  Stop();

  ASSERT_TRUE(Start());
  EXPECT_EQ(Child<QComboBox>("CBLang")->currentText(), "Deutsch");
  EXPECT_TRUE(TakeShown().empty());
}

TEST(ShellOpenTest, XdgOpenStatusesMapOntoShellCodes) {
  const std::tuple<int, bool, int> rows[] = {{0, false, 33}, {1, false, 27}, {2, false, 2},
                                             {2, true, 3},   {3, false, 31}, {4, true, 31}};
  for (const auto& [status, folder, code] : rows)
    EXPECT_EQ(app::ShellCodeFromXdgOpen(status, folder), code) << status;
  EXPECT_EQ(app::ShellOpenFailureText(3), "The specified path was not found");
  EXPECT_TRUE(app::ShellOpenFailureText(4).isEmpty());  // not in the table: success
  EXPECT_TRUE(app::ShellOpenFailureText(33).isEmpty());
}

TEST_F(FormTest, ShellOpenReportsAFolderOffThePrefixDrives) {
  FakeFileSystem files;  // maps no Windows path onto the host
  app::Dialogs::ClearShown();
  EXPECT_FALSE(app::ShellOpen(nullptr, files, "open", "Q:\\Gone\\"));
  auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, app::TShownDialog::Message);
  EXPECT_EQ(shown[0].text, "The specified path was not found");
}

}  // namespace
}  // namespace hw::test
