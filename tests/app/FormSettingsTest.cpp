// The advanced settings pages: the drive letters and search folders of
// Settings1, the exclusion lists of Settings2, and what Next and Back keep.

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "registry/StoredList.h"
#include "tests/app/FormFixture.h"

namespace hw::test {
namespace {

using app::TShownDialog;

QStringList Items(const QListWidget* list) {
  QStringList items;
  for (int row = 0; row < list->count(); ++row) items << list->item(row)->text();
  return items;
}

class FormSettingsTest : public FormTest {
 protected:
  void OpenSettings1() {
    ASSERT_TRUE(Start());
    Click("BitBtnSettings");
    ASSERT_EQ(form().PageName(), "Settings1");
  }
  void OpenSettings2() {
    OpenSettings1();
    Click("BitBtnNext");
    ASSERT_EQ(form().PageName(), "Settings2");
  }
  void TypeLetter(const QString& text) {
    form().EditDriveLetter->setText(text);
    Click("BitBtnAddLetter");
  }
  void SelectEntry(int row) {
    QListWidget* list = form().ListBoxExcludedEntries;
    list->setCurrentRow(row);
    QApplication::processEvents();
  }
};

TEST_F(FormSettingsTest, DriveLettersFollowTheFieldRules) {
  OpenSettings1();
  TypeLetter("d");
  EXPECT_EQ(Items(form().ListBoxExcludedDrives), QStringList{"D:"});
  EXPECT_EQ(form().EditDriveLetter->text(), "D");
  TypeLetter("1");
  EXPECT_EQ(form().EditDriveLetter->text(), "");
  TypeLetter("D");  // listed already: one entry, the field cleared
  EXPECT_EQ(Items(form().ListBoxExcludedDrives), QStringList{"D:"});
  EXPECT_EQ(form().EditDriveLetter->text(), "");
  TypeLetter("e");

  EXPECT_FALSE(form().BitBtnRemoveLetter->isEnabled());
  QListWidget* drives = form().ListBoxExcludedDrives;
  QTest::mouseClick(drives->viewport(), Qt::LeftButton, {},
                    drives->visualItemRect(drives->item(0)).center());
  EXPECT_EQ(form().EditDriveLetter->text(), "D");  // a field of one letter
  Click("BitBtnRemoveLetter");
  EXPECT_EQ(Items(drives), QStringList{"E:"});

  // Next takes the page over; Back would not have.
  Click("BitBtnNext");
  EXPECT_EQ(form().Engine().ExcludedDrives, std::vector<std::string>{"E:"});
}

TEST_F(FormSettingsTest, SearchFoldersComeFromThePickerAsPrefixPaths) {
  OpenSettings1();
  const auto windows = prefix_ / "drive_c" / "windows";
  std::filesystem::create_directories(windows);
  // C:\ covers every folder of drive C: message 5 names the refused folder.
  app::Dialogs::setNextFileName(QString::fromStdString(windows.string()));
  Click("BIn");
  auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 2u);  // the picker, then the refusal
  EXPECT_EQ(shown[0].kind, TShownDialog::Folder);
  EXPECT_EQ(shown[0].title, "Choose a folder to search for moved files");
  EXPECT_TRUE(shown[1].text.startsWith("This folder is already covered by the search folders:"));
  EXPECT_TRUE(shown[1].text.endsWith("\"C:\\windows\"")) << shown[1].text.toStdString();

  // Without C:\ the folder is added; cancelling the picker adds nothing.
  form().LBPaths->item(0)->setSelected(true);
  QTest::keyClick(form().LBPaths, Qt::Key_Delete);
  EXPECT_EQ(Items(form().LBPaths), QStringList{QString::fromStdString(HomeOnZ())});
  app::Dialogs::setNextFileName(QString::fromStdString(windows.string()));
  Click("BIn");
  app::Dialogs::setNextFileName({});
  Click("BIn");
  EXPECT_EQ(Items(form().LBPaths), (QStringList{QString::fromStdString(HomeOnZ()), "C:\\windows"}));

  // Back forgets the page; the stored folders are as before.
  Click("BitBtnBack");
  EXPECT_EQ(form().SearchPaths(), (std::vector<std::string>{"C:\\", HomeOnZ()}));
  Click("BitBtnSettings");
  EXPECT_EQ(Items(form().LBPaths), (QStringList{"C:\\", QString::fromStdString(HomeOnZ())}));
}

TEST_F(FormSettingsTest, NextWithoutSearchFolderShowsMessage31) {
  OpenSettings1();
  form().LBPaths->selectAll();
  Click("BOut");
  TakeShown();
  Click("BitBtnNext");
  auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Please add at least one folder to search.");
  EXPECT_EQ(form().PageName(), "Settings1");
}

TEST_F(FormSettingsTest, ExclusionEditorGuardsDefaultsAndStoresUserEntries) {
  OpenSettings2();
  const int defaults = form().Categories()[acInvalidPaths].DefaultCount;
  ASSERT_GT(defaults, 0);
  ASSERT_EQ(form().ListBoxExcludedEntries->count(), defaults);
  SelectEntry(0);
  EXPECT_FALSE(form().BitBtnEditExcludedEntry->isEnabled());
  EXPECT_FALSE(form().BitBtnRemoveExcludedEntry->isEnabled());

  app::Dialogs::setNextText(QStringLiteral("Software\\Test\\"));
  Click("BitBtnAddExcludedEntry");
  ASSERT_EQ(form().ListBoxExcludedEntries->count(), defaults + 1);
  EXPECT_EQ(form().ListBoxExcludedEntries->item(defaults)->text(), "\\Software\\Test\\");
  // The list scrolls as far as its widest entry plus 5 pixels.
  const QFontMetrics metrics(form().ListBoxExcludedEntries->font());
  int widest = 0;
  for (const QString& item : Items(form().ListBoxExcludedEntries))
    widest = std::max(widest, metrics.horizontalAdvance(item));
  EXPECT_EQ(app::TFormRegFix::HorizontalExtent(form().ListBoxExcludedEntries), widest + 5);
  SelectEntry(defaults);
  EXPECT_TRUE(form().BitBtnEditExcludedEntry->isEnabled());
  EXPECT_TRUE(form().BitBtnRemoveExcludedEntry->isEnabled());

  // A text an entry covers is refused with message 35 naming that entry.
  TakeShown();
  app::Dialogs::setNextText(QStringLiteral("\\Software\\Test\\Sub\\"));
  Click("BitBtnAddExcludedEntry");
  auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].text, "This location is already excluded by the entry \\Software\\Test\\.");
  EXPECT_EQ(form().ListBoxExcludedEntries->count(), defaults + 1);

  // Another category, then back: the working copy went into the list.
  form().ComboBoxExcludedEntries->setCurrentIndex(1);
  EXPECT_EQ(form().ListBoxExcludedEntries->count(),
            form().Categories()[acInvalidFonts].DefaultCount);
  form().ComboBoxExcludedEntries->setCurrentIndex(0);
  EXPECT_EQ(form().ListBoxExcludedEntries->count(), defaults + 1);

  Click("BitBtnNext");
  EXPECT_EQ(form().PageName(), "Welcome");
  auto store = platform::WinePrefixStore::open(prefix_);
  platform::StoreRegistryApi api(*store);
  TStoredLists stored(api, SettingsKeyPath());
  std::vector<std::string> saved;
  EXPECT_TRUE(stored.LoadListFromRegistry("Excluded_paths_entries", saved));
  EXPECT_EQ(saved, std::vector<std::string>{"\\Software\\Test\\"});
}

TEST_F(FormSettingsTest, AnExclusionAddedBeforeBackIsStoredByALaterNext) {
  OpenSettings2();
  app::Dialogs::setNextText(QStringLiteral("\\Software\\Kept\\"));
  Click("BitBtnAddExcludedEntry");
  Click("BitBtnBack");
  Click("BitBtnNext");
  ASSERT_EQ(form().PageName(), "Settings2");
  Click("BitBtnNext");
  ASSERT_EQ(form().PageName(), "Welcome");
  Stop();

  // The next start finds it in the prefix.
  ASSERT_TRUE(Start());
  const auto& items = form().Engine().ExclusionSets[acInvalidPaths].Items;
  EXPECT_NE(std::find(items.begin(), items.end(), "\\Software\\Kept\\"), items.end());
}

TEST_F(FormSettingsTest, RemoveAndRestoreDefaultsAskFirst) {
  OpenSettings2();
  const int defaults = form().Categories()[acInvalidPaths].DefaultCount;
  for (const char* entry : {"\\A\\", "\\B\\"}) {
    app::Dialogs::setNextText(QString::fromLatin1(entry));
    Click("BitBtnAddExcludedEntry");
  }
  SelectEntry(defaults);
  TakeShown();
  app::Dialogs::setNextAnswer(app::mbNo);
  Click("BitBtnRemoveExcludedEntry");
  EXPECT_EQ(form().ListBoxExcludedEntries->count(), defaults + 2);
  auto shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text,
            "Do you want to remove this entry from the excluded entries?\n\"\\A\\\" ?");
  SelectEntry(defaults);
  app::Dialogs::setNextAnswer(app::mbYes);
  Click("BitBtnRemoveExcludedEntry");
  EXPECT_EQ(Items(form().ListBoxExcludedEntries).mid(defaults), QStringList{"\\B\\"});

  app::Dialogs::setNextAnswer(app::mbYes);
  Click("BitBtnRestoreDefault");
  EXPECT_EQ(form().ListBoxExcludedEntries->count(), defaults);
  EXPECT_EQ(form().Categories()[acInvalidPaths].DefaultCount, defaults);
  EXPECT_TRUE(TakeShown().back().text.contains("Invalid paths (excluded entries)"));
}

}  // namespace
}  // namespace hw::test
