// hivewarden: the registry cleaner's window over a Wine prefix ($WINEPREFIX,
// else ~/.wine).

#include <QApplication>
#include <iostream>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "platform/FileIo.h"
#include "platform/ProgramPlaces.h"
#include "platform/WinePrefixStore.h"

int main(int argc, char** argv) {
  using namespace hw;
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Hivewarden"));
  app::Dialogs::SetApplicationTitle(QStringLiteral("Hivewarden"));

  const std::string prefix = platform::ResolvePrefix();
  std::unique_ptr<app::TPrefixSession> session;
  QString failure;
  if (!platform::IsWinePrefix(prefix)) {
    failure = QStringLiteral(
                  "There is no Wine prefix at %1.\nSet WINEPREFIX to the prefix to clean, or "
                  "create one with \"wineboot -i\".")
                  .arg(QString::fromStdString(prefix));
  } else {
    try {
      session = app::TPrefixSession::Open(prefix);
    } catch (const platform::FileError& error) {
      failure = QString::fromUtf8(error.what());
    }
  }
  if (!session) {
    std::cerr << "hivewarden: " << failure.toStdString() << "\n";
    app::Dialogs::ShowMessage(nullptr, failure);
    return 2;
  }

  std::vector<std::string> args(argv + 1, argv + argc);
  app::TAppContext context = session->Context(platform::ExecutableFolder(), args);
  context.Pump.SetHook([] { QCoreApplication::processEvents(); });
  app::TFormRegFix form(context);
  if (!form.FormCreate()) return 0;
  form.show();
  form.FormShow();
  // Looking works while Wine runs in the prefix; saving waits until it ends.
  if (session->Store().readOnly())
    form.SetStatus(1, QString::fromStdString(session->Store().readOnlyReason()));
  return application.exec();
}
