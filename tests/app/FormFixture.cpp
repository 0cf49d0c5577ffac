#include "tests/app/FormFixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "platform/ProgramPlaces.h"
#include "tools/PrefixGenerator.h"

namespace hw::test {

namespace fs = std::filesystem;

void FormTest::SetUpTestSuite() {
  static int argc = 1;
  static char name[] = "gui_tests";
  static char* argv[] = {name, nullptr};
  if (!QApplication::instance()) new QApplication(argc, argv);
}

void FormTest::SetUp() {
  app::Dialogs::setAutoAnswer(true);
  app::Dialogs::ClearShown();
  prefix_ = temp_.path() / "prefix";
  program_ = temp_.path() / "program";
  tools::GenerateDemoPrefix(prefix_);
  // A home folder of the test's own: the default search folders take it from
  // the demo's Z: (the host's root) instead of walking the whole host.
  const fs::path home = temp_.path() / "home";
  fs::create_directories(home);
  if (const char* saved = std::getenv("HOME")) savedHome_ = saved;
  setenv("HOME", home.c_str(), 1);
  homeOnZ_ = "Z:" + fs::canonical(home).string();
  std::replace(homeOnZ_.begin(), homeOnZ_.end(), '/', '\\');
  // The data files the build put beside the test executable.
  const fs::path built = platform::ExecutableFolder();
  fs::create_directories(program_);
  for (const auto& entry : fs::directory_iterator(built)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".lng" || ext == ".def")
      fs::copy_file(entry.path(), program_ / entry.path().filename());
  }
  for (const char* folder : {"help", "images"})
    if (fs::exists(built / folder))
      fs::copy(built / folder, program_ / folder, fs::copy_options::recursive);
}

void FormTest::TearDown() {
  if (form_) Stop();
  if (savedHome_) setenv("HOME", savedHome_->c_str(), 1);
  app::Dialogs::setAutoAnswer(false);
}

bool FormTest::Start(std::vector<std::string> args) {
  session_ = app::TPrefixSession::Open(prefix_);
  context_ = std::make_unique<app::TAppContext>(session_->Context(program_, std::move(args)));
  form_ = std::make_unique<app::TFormRegFix>(*context_);
  if (!form_->FormCreate()) return false;
  form_->show();
  form_->FormShow();
  QApplication::processEvents();
  return true;
}

void FormTest::Stop() {
  form_->close();
  form_.reset();
  context_.reset();
  session_.reset();
}

void FormTest::Click(const char* button) {
  auto* widget = Child<QPushButton>(button);
  ASSERT_TRUE(widget->isEnabled()) << button;
  QTest::mouseClick(widget, Qt::LeftButton);
  QApplication::processEvents();
}

std::vector<app::TShownDialog> FormTest::TakeShown() {
  std::vector<app::TShownDialog> shown = app::Dialogs::Shown();
  app::Dialogs::ClearShown();
  return shown;
}

}  // namespace hw::test
