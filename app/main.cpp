// hivewarden: the registry cleaner's window over a Wine prefix ($WINEPREFIX,
// else ~/.wine).

#include <QApplication>
#include <cstdlib>
#include <iostream>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "app/Uninstall.h"
#include "app/WizardRun.h"
#include "platform/FileIo.h"
#include "platform/ProgramPlaces.h"
#include "platform/wine/WinePrefixStore.h"
#include "update/UpdateTransport.h"

namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* value = std::getenv(name); value && *value) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace hw;
  // The prefix comes first: without one there is nothing to show, and the
  // reason is printed even where no window can open.
  const std::string prefix = platform::ResolvePrefix();
  std::unique_ptr<app::TPrefixSession> session;
  std::string failure;
  if (!platform::IsWinePrefix(prefix)) {
    failure = "There is no Wine prefix at " + prefix +
              ".\nSet WINEPREFIX to the prefix to clean, or create one with \"wineboot -i\".";
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
      app::UninstallWithoutPrefix(platform::ExecutableFolder(), {argv + 1, argv + argc});
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
  std::vector<std::string> args(argv + 1, argv + argc);
  app::TAppContext context = session->Context(platform::ExecutableFolder(), args);
  app::InstallEventPump(context.Pump);
  std::unique_ptr<UpdateTransport> transport = MakeWebTransport();
  app::TWizardRun work(session->Store(), *transport);
  app::TFormRegFix form(context);
  form.SetWizardWork(&work);
  if (!form.FormCreate()) return form.ExitStatus();
  form.show();
  form.FormShow();
  // Looking works while Wine runs in the prefix; saving waits until it ends.
  if (session->Store().readOnly())
    form.SetStatus(1, QString::fromStdString(session->Store().readOnlyReason()));
  return application.exec();
}
