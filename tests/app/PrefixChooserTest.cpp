// The prefix chooser on Welcome: every prefix found, Wine's state in each,
// another folder, and a switch that keeps each prefix's settings its own.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <cstdlib>

#include "app/PrefixWindow.h"
#include "tests/app/FormFixture.h"
#include "tests/support/FakeWineserver.h"
#include "tools/PrefixGenerator.h"
#include "update/UpdateTransport.h"

namespace hw::test {
namespace {

namespace fs = std::filesystem;

class NoNetwork : public UpdateTransport {
 public:
  std::optional<std::string> Fetch(const std::string&, std::size_t) override { return {}; }
};

class PrefixChooserTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    home_ = std::getenv("HOME");
    wine_ = home_ / ".wine";
    office_ = home_ / ".PlayOnLinux" / "wineprefix" / "Office";
    tools::GenerateDemoPrefix(wine_);
    tools::GenerateDemoPrefix(office_);
    platform::PrefixSearchPlaces places;
    places.Home = home_;
    places.DataHome = home_ / ".local" / "share";
    places.ConfigHome = home_ / ".config";
    window_ = std::make_unique<app::TPrefixWindow>(
        program_, transport_, [places] { return platform::FindPrefixes(places); });
  }
  void TearDown() override {
    if (window_ && window_->Form()) window_->Form()->close();
    window_.reset();
    FormTest::TearDown();
  }

  void Open(const fs::path& prefix) {
    ASSERT_TRUE(window_->Open(app::TPrefixSession::Open(prefix), {}));
    QApplication::processEvents();
  }
  QComboBox* Chooser() {
    auto* combo = window_->Form()->findChild<QComboBox*>(QStringLiteral("CBPrefix"));
    EXPECT_NE(combo, nullptr);
    return combo;
  }
  QStringList Items() {
    QStringList items;
    for (int i = 0; i < Chooser()->count(); ++i) items << Chooser()->itemText(i);
    return items;
  }
  // Picks an entry as the user does, then lets the switch that follows run.
  void Choose(int index) {
    Chooser()->setCurrentIndex(index);
    emit Chooser()->activated(index);
    QApplication::processEvents();
  }
  bool SaveUndo() {
    return window_->Form()->findChild<QCheckBox*>(QStringLiteral("ChBSaveUndo"))->isChecked();
  }

  fs::path home_, wine_, office_;
  NoNetwork transport_;
  std::unique_ptr<app::TPrefixWindow> window_;
};

TEST_F(PrefixChooserTest, ListsThePrefixesFoundAndWhereWineRuns) {
  FakeWineserver wine(office_);
  ASSERT_TRUE(wine.locked());
  Open(wine_);
  EXPECT_TRUE(Chooser()->isVisible());
  EXPECT_EQ(Items(), (QStringList{"~/.wine (Wine)", "Office (PlayOnLinux) \u2014 Wine is running",
                                  "Other folder\u2026"}));
  EXPECT_EQ(Chooser()->currentIndex(), 0);
  EXPECT_EQ(Chooser()->itemData(1, Qt::ToolTipRole).toString(),
            QString::fromStdString(office_.string()));
  // The page with its chooser, at the window's designed size.
  const fs::path shots = fs::path(HW_SHOTS_DIR) / "gui-pages";
  fs::create_directories(shots);
  const QImage picture = window_->Form()->grab().toImage();
  EXPECT_EQ(picture.size(), QSize(599, 450));
  EXPECT_TRUE(picture.save(QString::fromStdString((shots / "Welcome-prefixes.png").string())));
  // The list opened again says what runs now.
  wine.stop();
  Chooser()->showPopup();
  Chooser()->hidePopup();
  EXPECT_EQ(Chooser()->itemText(1), "Office (PlayOnLinux)");
  EXPECT_EQ(Chooser()->currentIndex(), 0);
  // A prefix opened by its folder that no launcher keeps is listed too.
  window_->Form()->close();
  window_ = std::make_unique<app::TPrefixWindow>(
      program_, transport_, [] { return std::vector<platform::FoundPrefix>{}; });
  Open(prefix_);
  EXPECT_EQ(Items(), (QStringList{QString::fromStdString(prefix_.string()), "Other folder\u2026"}));
}

TEST_F(PrefixChooserTest, SwitchingKeepsEachPrefixsSettingsItsOwn) {
  Open(wine_);
  app::TFormRegFix* first = window_->Form();
  window_->Form()->findChild<QCheckBox*>(QStringLiteral("ChBSaveUndo"))->setChecked(false);
  window_->Form()->SearchPaths() = {"C:\\Games\\"};

  Choose(1);
  EXPECT_EQ(window_->Prefix(), office_);
  EXPECT_NE(window_->Form(), first);
  EXPECT_TRUE(window_->Form()->isVisible());
  // The Office prefix's own settings, never set: the defaults.
  EXPECT_TRUE(SaveUndo());
  EXPECT_NE(window_->Form()->SearchPaths(), std::vector<std::string>{"C:\\Games\\"});
  EXPECT_EQ(Chooser()->currentIndex(), 1);
  EXPECT_EQ(window_->Form()->PageName(), "Welcome");

  // Back again: the first prefix kept what was set in it when it was left.
  Choose(0);
  EXPECT_EQ(window_->Prefix(), wine_);
  EXPECT_FALSE(SaveUndo());
  EXPECT_EQ(window_->Form()->SearchPaths(), std::vector<std::string>{"C:\\Games\\"});
  EXPECT_TRUE(TakeShown().empty());
}

TEST_F(PrefixChooserTest, OtherFolderMustBeAPrefix) {
  Open(wine_);
  const int other = Chooser()->count() - 1;
  // Cancelled: nothing changes.
  app::Dialogs::setNextFileName({});
  Choose(other);
  EXPECT_EQ(window_->Prefix(), wine_);
  EXPECT_EQ(Chooser()->currentIndex(), 0);
  TakeShown();

  // A folder without a registry is refused with a message.
  const fs::path plain = home_ / "Documents";
  fs::create_directories(plain);
  app::Dialogs::setNextFileName(QString::fromStdString(plain.string()));
  Choose(other);
  EXPECT_EQ(window_->Prefix(), wine_);
  EXPECT_EQ(Chooser()->currentIndex(), 0);
  std::vector<app::TShownDialog> shown = TakeShown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].kind, app::TShownDialog::Folder);
  EXPECT_EQ(shown[1].kind, app::TShownDialog::MessageBox);
  EXPECT_TRUE(shown[1].text.contains(QString::fromStdString(plain.string())))
      << shown[1].text.toStdString();

  // A prefix anywhere opens, and is listed from then on.
  app::Dialogs::setNextFileName(QString::fromStdString(prefix_.string()));
  Choose(other);
  EXPECT_EQ(window_->Prefix(), prefix_);
  EXPECT_EQ(Chooser()->currentText(), QString::fromStdString(prefix_.string()));
}

TEST(PrefixOptionTest, TakenOutOfTheCommandLine) {
  std::vector<std::string> args{"/uninstall", "--prefix", "/games/pfx"};
  EXPECT_EQ(app::TakePrefixOption(args), "/games/pfx");
  EXPECT_EQ(args, std::vector<std::string>{"/uninstall"});
  args = {"--prefix=/a b"};
  EXPECT_EQ(app::TakePrefixOption(args), "/a b");
  EXPECT_TRUE(args.empty());
  args = {"--prefix"};
  EXPECT_THROW(app::TakePrefixOption(args), std::invalid_argument);
}

}  // namespace
}  // namespace hw::test
