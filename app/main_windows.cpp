// hivewarden.exe: the registry cleaner's window over this machine's registry.

#include <QApplication>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/MachineWindow.h"
#include "platform/ProgramPlaces.h"
#include "update/UpdateTransport.h"

int main(int argc, char** argv) {
  using namespace hw;
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Hivewarden"));
  // The command line as Qt read it: UTF-8 whatever the code page.
  std::vector<std::string> args;
  const QStringList arguments = QApplication::arguments();
  for (qsizetype i = 1; i < arguments.size(); ++i) args.push_back(arguments[i].toStdString());
  // A prefix named here is a Linux user's habit: say so rather than clean
  // this machine's registry in its place.
  bool namesPrefix = true;
  try {
    namesPrefix = !app::TakePrefixOption(args).empty();
  } catch (const std::invalid_argument&) {  // --prefix without its folder
  }
  if (namesPrefix) {
    app::Dialogs::ShowMessage(
        nullptr, QStringLiteral(
                     "--prefix names a Wine prefix, which only the Linux build cleans; on Windows "
                     "Hivewarden works on this machine's own registry."));
    return 2;
  }
  std::unique_ptr<UpdateTransport> transport = MakeWebTransport();
  app::TMachineWindow window(platform::DataFolder(), *transport);
  if (!window.Open(std::move(args))) return window.ExitStatus();
  return application.exec();
}
