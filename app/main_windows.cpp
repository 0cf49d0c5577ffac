// hivewarden.exe: the registry cleaner's window over this machine's registry.

#include <QApplication>
#include <string>
#include <vector>

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
  std::unique_ptr<UpdateTransport> transport = MakeWebTransport();
  app::TMachineWindow window(platform::DataFolder(), *transport);
  if (!window.Open(std::move(args))) return window.ExitStatus();
  return application.exec();
}
