// hivewarden: the registry cleaner's window over a Wine prefix (--prefix DIR,
// else $WINEPREFIX, else ~/.wine, else the first prefix a launcher keeps);
// Welcome offers every other prefix found.

#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/PrefixWindow.h"
#include "app/Uninstall.h"
#include "platform/FileIo.h"
#include "platform/ProgramPlaces.h"
#include "platform/wine/PrefixFinder.h"
#include "update/UpdateTransport.h"

namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* value = std::getenv(name); value && *value) return true;
  return false;
}

std::vector<hw::platform::FoundPrefix> FindPrefixes() {
  return hw::platform::FindPrefixes(hw::platform::PrefixSearchPlaces::FromEnvironment());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace hw;
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string option;
  try {
    option = app::TakePrefixOption(args);
  } catch (const std::invalid_argument& error) {
    std::cerr << "hivewarden: " << error.what() << "\n";
    return 2;
  }
  // The prefix comes first: without one there is nothing to show, and the
  // reason is printed even where no window can open.
  std::string prefix = platform::ResolvePrefix(option);
  // Someone whose only prefixes are a launcher's gets the first of those.
  const char* named = std::getenv("WINEPREFIX");
  if (option.empty() && !(named && *named) && !platform::IsWinePrefix(prefix))
    if (const auto found = FindPrefixes(); !found.empty()) prefix = found.front().Path.string();
  std::unique_ptr<app::TPrefixSession> session;
  std::string failure;
  if (!platform::IsWinePrefix(prefix)) {
    failure = "There is no Wine prefix at " + prefix +
              ".\nName one with --prefix DIR or WINEPREFIX, or create one with \"wineboot -i\".";
  } else {
    try {
      session = app::TPrefixSession::Open(prefix);
    } catch (const platform::FileError& error) {
      failure = error.what();
    }
  }
  if (!session) {
    // The backups do not live in a prefix: "/uninstall" offers to delete them all the same.
    if (app::HasParam({argv + 1, argv + argc}, "/uninstall") && HasDisplay()) {
      QApplication application(argc, argv);
      app::UninstallWithoutPrefix(platform::DataFolder(), {argv + 1, argv + argc});
      return 0;
    }
    std::cerr << "hivewarden: " << failure << "\n";
    if (HasDisplay()) {
      QApplication application(argc, argv);
      app::Dialogs::ShowMessage(nullptr, QString::fromStdString(failure));
    }
    return 2;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Hivewarden"));
  std::unique_ptr<UpdateTransport> transport = MakeWebTransport();
  app::TPrefixWindow window(platform::DataFolder(), *transport, FindPrefixes);
  if (!window.Open(std::move(session), args)) return window.ExitStatus();
  return application.exec();
}
