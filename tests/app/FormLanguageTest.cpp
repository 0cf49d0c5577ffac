// Switching the window's language: a pack that cannot be used, a prefix that
// cannot store the choice, and the dialogs' own texts in the chosen language.

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <fstream>

#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "registry/NTRegistry.h"
#include "tests/app/FormFixture.h"
#include "tests/support/FakeWineserver.h"

namespace hw::test {
namespace {

namespace fs = std::filesystem;
using app::TShownDialog;

class FormLanguageTest : public FormTest {
 protected:
  void Choose(const QString& language) {
    QComboBox* languages = form().CBLang;
    const int index = languages->findText(language);
    ASSERT_GE(index, 0) << language.toStdString();
    languages->setCurrentIndex(index);
    emit languages->activated(index);
    QApplication::processEvents();
  }
  // The language stored in the prefix; empty when none is.
  std::string StoredLanguage() {
    auto store = platform::WinePrefixStore::open(prefix_);
    platform::StoreRegistryApi api(*store);
    TNTRegistry reg(api);
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (!reg.OpenKey(SettingsKeyPath(), false) || !reg.ValueExists("DefLang")) return {};
    return reg.ReadString("DefLang");
  }
};

TEST_F(FormLanguageTest, APackWhoseCountIsNoNumberIsRefusedAndChangesNothing) {
  std::ofstream(program_ / "rgerman.lng", std::ios::binary)
      << "Program=Hivewarden\r\nLanguage=Deutsch\r\nI0=viele\r\nI78=Erweitert\r\nM0=38\r\n";
  ASSERT_TRUE(Start());
  const QString settings = form().BitBtnSettings->text();
  TakeShown();
  Choose("Deutsch");
  std::vector<TShownDialog> shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Error in language pack");
  EXPECT_EQ(form().BitBtnSettings->text(), settings);
  EXPECT_EQ(form().BitBtnNext->text(), "Start");
  EXPECT_EQ(form().CBLang->currentText(), "English");
  EXPECT_EQ(form().Message(30), "Please choose at least one kind of entry to look for.");
  Stop();
  EXPECT_EQ(StoredLanguage(), "");
}

TEST_F(FormLanguageTest, WhileWineRunsTheLanguageSwitchesAndTheChoiceIsNotStored) {
  FakeWineserver server(prefix_);
  ASSERT_TRUE(server.locked());
  ASSERT_TRUE(Start());
  TakeShown();
  Choose("Deutsch");
  EXPECT_EQ(form().BitBtnSettings->text(), "Erweiterte Einstellungen");
  EXPECT_EQ(form().CBLang->currentText(), "Deutsch");
  std::vector<TShownDialog> shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.startsWith(form().Message(41))) << shown[0].text.toStdString();
  EXPECT_TRUE(shown[0].text.contains("Wine is running in")) << shown[0].text.toStdString();
  Stop();
  server.stop();
  EXPECT_EQ(StoredLanguage(), "");
}

TEST_F(FormLanguageTest, GermanReachesTheExclusionButtonsAndTheDialogs) {
  // Without Z: the host's folders lie on no drive of the prefix.
  fs::remove(prefix_ / "dosdevices" / "z:");
  ASSERT_TRUE(Start());
  Choose("Deutsch");
  Click("BitBtnSettings");
  const fs::path outside = program_ / "elsewhere";
  fs::create_directories(outside);
  TakeShown();
  app::Dialogs::setNextFileName(QString::fromStdString(outside.string()));
  Click("BIn");
  std::vector<TShownDialog> shown = TakeShown();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].text, "Der Ordner „" + QString::fromStdString(outside.string()) +
                               "“ liegt auf keinem Laufwerk dieses Wine-Präfixes.");
  EXPECT_EQ(shown[1].buttons, QStringList{"OK"});

  Click("BitBtnNext");
  ASSERT_EQ(form().PageName(), "Settings2");
  EXPECT_EQ(form().BitBtnAddExcludedEntry->text(), "Hinzufügen");
  EXPECT_EQ(form().BitBtnEditExcludedEntry->text(), "Bearbeiten");
  app::Dialogs::setNextText(QStringLiteral("\\Software\\Test\\"));
  Click("BitBtnAddExcludedEntry");
  form().ListBoxExcludedEntries->setCurrentRow(form().ListBoxExcludedEntries->count() - 1);
  QApplication::processEvents();
  TakeShown();
  Click("BitBtnRemoveExcludedEntry");
  shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Bestätigen");
  // Qt's own translation (qt6-translations-l10n) names the standard buttons.
  EXPECT_EQ(shown[0].buttons, (QStringList{"&Ja", "&Nein"}));

  // Back in English, Qt's texts are English again.
  Click("BitBtnBack");
  Click("BitBtnBack");
  Choose("English");
  Click("BitBtnSettings");
  Click("BitBtnNext");
  form().ListBoxExcludedEntries->setCurrentRow(form().ListBoxExcludedEntries->count() - 1);
  QApplication::processEvents();
  TakeShown();
  Click("BitBtnRemoveExcludedEntry");
  shown = TakeShown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, "Confirm");
  EXPECT_EQ(shown[0].buttons, (QStringList{"&Yes", "&No"}));
}

}  // namespace
}  // namespace hw::test
