// Start-up and shut-down of the window: the first page, the "/uninstall"
// clean-up, a missing default file, and pictures of every page.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <cstdlib>
#include <fstream>

#include "Version.h"
#include "app/Uninstall.h"
#include "app/settings/SettingsStore.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "tests/app/FormFixture.h"

namespace hw::test {
namespace {

namespace fs = std::filesystem;
using app::TShownDialog;

TEST_F(FormTest, StartsOnWelcomeWithFreshSettings) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(form().windowTitle(), "Hivewarden");
  EXPECT_EQ(form().PageName(), "Welcome");
  EXPECT_FALSE(Child<QPushButton>("BitBtnBack")->isVisible());
  EXPECT_EQ(Child<QPushButton>("BitBtnNext")->text(), "Start");
  EXPECT_EQ(Child<QPushButton>("BitBtnCancel")->text(), "Cancel");
  EXPECT_EQ(form().HelpContext(), 100);
  EXPECT_EQ(form().size(), QSize(599, 450));
  // Only invalid paths is chosen on a first run; two boxes are never offered.
  EXPECT_TRUE(Child<QCheckBox>("CheckBoxInvalidPaths")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>("CheckBoxInvalidFonts")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>("CheckBoxEmptyKeys")->isVisible());
  EXPECT_FALSE(Child<QCheckBox>("CheckBoxInvalidExts")->isVisible());
  // The demo prefix's fixed drives become the search folders.
  EXPECT_EQ(form().SearchPaths(), (std::vector<std::string>{"C:\\", HomeOnZ()}));
  auto* combo = Child<QComboBox>("ComboBoxExcludedEntries");
  ASSERT_EQ(combo->count(), 6);
  EXPECT_EQ(combo->itemText(1), "Invalid fonts (excluded entries)");
  // The default lists are loaded and their counts known to the records.
  EXPECT_GT(form().Categories()[acInvalidPaths].DefaultCount, 0);
  EXPECT_EQ(form().Categories()[acInvalidPaths].DefaultCount,
            static_cast<int>(form().Engine().ExclusionSets[acInvalidPaths].Items.size()));
  EXPECT_EQ(form().BackupFolder(), program_ / "Backups" / "");
  EXPECT_TRUE(fs::is_directory(program_ / "Backups"));
  EXPECT_TRUE(Child<QComboBox>("CBLang")->isVisible());
  // The side picture is as wide as its place and as high as the notebook.
  EXPECT_EQ(Child<QLabel>("ImageStart")->pixmap().size(), QSize(160, 450 - 35 - 19));
  EXPECT_EQ(form().VersionLine(), QStringLiteral("version %1.%2 build %3")
                                      .arg(version::kVersionText)
                                      .arg(version::kRelease)
                                      .arg(version::kBuild));
  EXPECT_TRUE(TakeShown().empty());
}

TEST_F(FormTest, ClosingSavesTheSettingsIntoThePrefix) {
  ASSERT_TRUE(Start());
  Child<QCheckBox>("CheckBoxInvalidFonts")->setChecked(true);
  Click("BitBtnSettings");  // takes the categories over, as Start does
  Click("BitBtnCancel");
  EXPECT_TRUE(form().Closing());
  EXPECT_FALSE(form().isVisible());
  Stop();

  auto store = platform::WinePrefixStore::open(prefix_);
  platform::StoreRegistryApi api(*store);
  TSettingsStore settings({api, nullptr, {}}, program_.string());
  TSettings loaded = TSettings::Fresh("");
  settings.LoadSettings(loaded);
  EXPECT_EQ(loaded.Categories, (TAnalyzCategories{acInvalidPaths, acInvalidFonts}));
  EXPECT_EQ(loaded.SearchPaths, (std::vector<std::string>{"C:\\", HomeOnZ()}));
}

TEST_F(FormTest, UninstallAsksOnceAboutTheBackupsAndShowsNoWindow) {
  fs::create_directories(program_ / "Backups");
  app::Dialogs::setNextAnswer(app::mbNo);
  EXPECT_FALSE(Start({"/UNINSTALL"}));
  std::vector<TShownDialog> shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, TShownDialog::MessageBox);
  EXPECT_TRUE(
      shown[0].text.contains(QString::fromStdString((program_ / "Backups").string()) + "/?\n"))
      << shown[0].text.toStdString();
  EXPECT_TRUE(fs::is_directory(program_ / "Backups"));
  Stop();

  // No: not asked again. The flag lives in the prefix.
  EXPECT_FALSE(Start({"/uninstall"}));
  EXPECT_TRUE(TakeShown().empty());
}

TEST_F(FormTest, UninstallYesDeletesTheBackups) {
  fs::create_directories(program_ / "Backups");
  std::ofstream(program_ / "Backups" / "2002_03_07.reg") << "REGEDIT4\n";
  app::Dialogs::setNextAnswer(app::mbYes);
  EXPECT_FALSE(Start({"/Uninstall"}));
  EXPECT_FALSE(fs::exists(program_ / "Backups"));
}

TEST_F(FormTest, MissingDefaultFileEndsTheProgramWithMessage3) {
  fs::remove(program_ / "exclfont.def");
  EXPECT_FALSE(Start());
  EXPECT_EQ(form().ExitStatus(), 2) << "a program that could not start does not end with 0";
  std::vector<TShownDialog> shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, TShownDialog::MessageBox);
  EXPECT_EQ(shown[0].text, "Hivewarden cannot start because this file is missing: \"" +
                               QString::fromStdString((program_ / "exclfont.def").string()) + "\"");
  EXPECT_TRUE(form().Closing());
  EXPECT_FALSE(form().isVisible());
}

TEST_F(FormTest, UninstallWithoutAPrefixStillOffersToDeleteTheBackups) {
  fs::create_directories(program_ / "Backups");
  std::ofstream(program_ / "Backups" / "2002_03_07.reg") << "REGEDIT4\n";
  app::Dialogs::setNextAnswer(app::mbNo);
  app::UninstallWithoutPrefix(program_, {"/uninstall"});
  std::vector<TShownDialog> shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, TShownDialog::MessageBox);
  EXPECT_TRUE(shown[0].text.startsWith("Do you want to delete the backup folder\n" +
                                       QString::fromStdString((program_ / "Backups").string())))
      << shown[0].text.toStdString();
  EXPECT_TRUE(fs::exists(program_ / "Backups" / "2002_03_07.reg"));

  app::Dialogs::setNextAnswer(app::mbYes);
  app::UninstallWithoutPrefix(program_, {"/uninstall"});
  EXPECT_EQ(TakeShown().size(), 1u) << "No could not be remembered without a prefix";
  EXPECT_FALSE(fs::exists(program_ / "Backups"));
}

TEST_F(FormTest, HiddenCategoriesNeedNoDefaultFile) {
  fs::remove(program_ / "exclempt.def");
  fs::remove(program_ / "exclext.def");
  EXPECT_TRUE(Start());
}

TEST_F(FormTest, WithoutLanguagePacksTheDesignTextsStay) {
  fs::remove(program_ / "renglish.lng");
  fs::remove(program_ / "rgerman.lng");
  ASSERT_TRUE(Start());
  std::vector<TShownDialog> shown = TakeShown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0].text, "Error in language pack");
  EXPECT_FALSE(Child<QComboBox>("CBLang")->isVisible());
  EXPECT_FALSE(Child<QLabel>("LLang")->isVisible());
  EXPECT_EQ(Child<QPushButton>("BitBtnSettings")->text(), "Advanced settings");
  // The wizard's buttons keep their design texts on every page.
  EXPECT_EQ(Child<QPushButton>("BitBtnNext")->text(), "Start");
  EXPECT_EQ(Child<QPushButton>("BitBtnCancel")->text(), "Cancel");
  Click("BitBtnSettings");
  EXPECT_EQ(Child<QPushButton>("BitBtnBack")->text(), "Back");
  EXPECT_EQ(Child<QPushButton>("BitBtnNext")->text(), "Next");
}

TEST(BackupFolderTest, AProgramFolderThatCannotBeWrittenSendsBackupsToTheDataFolder) {
  TempDir temp;
  EXPECT_EQ(app::BackupFolder(temp.path()), temp.path() / "Backups" / "");
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string before = saved ? saved : "";
  ::setenv("XDG_DATA_HOME", (temp.path() / "data").c_str(), 1);
  EXPECT_EQ(app::BackupFolder(temp.path() / "missing"),
            temp.path() / "data" / "hivewarden" / "Backups" / "");
  if (saved)
    ::setenv("XDG_DATA_HOME", before.c_str(), 1);
  else
    ::unsetenv("XDG_DATA_HOME");
}

TEST_F(FormTest, PicturesOfEveryPage) {
  ASSERT_TRUE(Start());
  const fs::path shots = fs::path(HW_SHOTS_DIR) / "gui-pages";
  fs::create_directories(shots);
  auto shoot = [&] {
    QApplication::processEvents();
    const QImage picture = form().grab().toImage();
    EXPECT_EQ(picture.size(), QSize(599, 450));
    const fs::path file = shots / (form().PageName().toStdString() + ".png");
    EXPECT_TRUE(picture.save(QString::fromStdString(file.string())));
  };
  shoot();
  Click("BitBtnSettings");  // the settings pages as the user reaches them
  shoot();
  Click("BitBtnNext");
  shoot();
  for (app::TPage page : {app::pgRegistry, app::pgFixIt}) {
    form().ShowPage(page);
    shoot();
  }
}

}  // namespace
}  // namespace hw::test
