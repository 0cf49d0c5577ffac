// The window on Windows, over the registry of the machine it runs on (Wine's
// under the test run): it opens without any prefix, draws its pictures from
// the PNG files the build rendered, makes its Backups folder in the program
// folder and holds the mutex named after its title while it lives.

#include <windows.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <filesystem>
#include <optional>
#include <string>

#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "app/MachineWindow.h"
#include "app/ShellOpen.h"
#include "platform/ProgramPlaces.h"
#include "platform/windows/WinFileSystem.h"
#include "tests/support/TempDir.h"
#include "update/UpdateTransport.h"

namespace hw::test {
namespace {

namespace fs = std::filesystem;

class TNoNetwork final : public UpdateTransport {
 public:
  std::optional<std::string> Fetch(const std::string&, std::size_t) override { return {}; }
};

bool MutexExists(const wchar_t* name) {
  HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name);
  if (!mutex) return false;
  ::CloseHandle(mutex);
  return true;
}

void StartApplication() {
  static int argc = 1;
  static char name[] = "result_row_tests";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

TEST(MachineWindowTest, OpensOverTheMachinesRegistryWithItsPicturesAndMutex) {
  StartApplication();
  app::Dialogs::setAutoAnswer(true);
  app::Dialogs::ClearShown();

  // The data files the build put beside the test executable, in a program
  // folder of the test's own.
  TempDir temp;
  const fs::path program = temp.path() / "program";
  const fs::path built = platform::ExecutableFolder();
  fs::create_directories(program);
  for (const auto& entry : fs::directory_iterator(built)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".lng" || ext == ".def")
      fs::copy_file(entry.path(), program / entry.path().filename());
  }
  for (const char* folder : {"help", "images"})
    fs::copy(built / folder, program / folder, fs::copy_options::recursive);
  ASSERT_TRUE(fs::exists(program / "images" / "side-background.png"));

  TNoNetwork transport;
  {
    app::TMachineWindow window(program, transport);
    ASSERT_TRUE(window.Open({}));
    app::TFormRegFix* form = window.Form();
    ASSERT_NE(form, nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->CBPrefix->isVisible()) << "there is no prefix to choose on Windows";
    EXPECT_TRUE(MutexExists(L"Hivewarden"));
    EXPECT_TRUE(fs::is_directory(program / "Backups"));
    // The warning names what is changed here: the computer's registry.
    EXPECT_TRUE(form->StaticText6->text().contains(QStringLiteral("registry of this computer")))
        << form->StaticText6->text().toStdString();
    // Welcome's side picture: the honeycomb, not the bare window colour it
    // falls back to when the pictures cannot be read.
    const QImage side = form->ImageStart->pixmap().toImage();
    ASSERT_FALSE(side.isNull());
    const QColor colour = side.pixelColor(40, 200);
    EXPECT_GT(colour.red() - colour.blue(), 60) << colour.name().toStdString();
    EXPECT_TRUE(app::Dialogs::Shown().empty());
    form->close();
  }
  EXPECT_FALSE(MutexExists(L"Hivewarden"));
  app::Dialogs::setAutoAnswer(false);
}

// The entry menu's "open" goes to the shell itself, whose failure code is
// shown in its own words; nothing is started for a file that is not there.
TEST(MachineWindowTest, TheShellsFailureToOpenAMissingFileIsShown) {
  StartApplication();
  app::Dialogs::setAutoAnswer(true);
  app::Dialogs::ClearShown();
  platform::WinFileSystem files;
  EXPECT_FALSE(app::ShellOpen(nullptr, files, QStringLiteral("open"),
                              QStringLiteral("C:\\windows\\hivewarden-missing.txt")));
  const std::vector<app::TShownDialog> shown = app::Dialogs::Shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, app::ShellOpenFailureText(2));  // the file was not found
  app::Dialogs::setAutoAnswer(false);
}

}  // namespace
}  // namespace hw::test
