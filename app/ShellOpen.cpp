#include "app/ShellOpen.h"

#include <QCoreApplication>
#include <QProcess>
#include <map>

#include "app/Dialogs.h"
#include "platform/FileSystem.h"
#ifdef _WIN32
#include "platform/windows/ShellExecute.h"
#endif

namespace hw::app {

namespace {

// What xdg-open needs to finish for its exit status to mean anything; a
// program it starts in the foreground is left running after this.
[[maybe_unused]] constexpr int kWaitMs = 5000;
constexpr int kSuccess = 33;

const std::map<int, const char*>& FailureTexts() {
  static const std::map<int, const char*> texts = {
      {0, "The operating system is out of memory or resources"},
      {2, "The specified file was not found"},
      {3, "The specified path was not found"},
      {5, "Windows 95 only: The operating system denied access to the specified file"},
      {8, "Windows 95 only: There was not enough memory to complete the operation"},
      {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)"},
      {26, "A sharing violation occurred"},
      {27, "The filename association is incomplete or invalid"},
      {28, "The DDE transaction could not be completed because the request timed out"},
      {29, "The DDE transaction failed"},
      {30,
       "The DDE transaction could not be completed because other DDE transactions were being "
       "processed"},
      {31, "There is no application associated with the given filename extension"},
      {32, "Windows 95 only: The specified dynamic-link library was not found"},
  };
  return texts;
}

#ifndef _WIN32
// Starts xdg-open on target; the shell code of the outcome.
int RunXdgOpen(const QString& target, const QString& parameters, const QString& workingFolder,
               bool isFolder) {
  auto* process = new QProcess(QCoreApplication::instance());
  QStringList arguments{target};
  if (!parameters.isEmpty()) arguments << QProcess::splitCommand(parameters);
  if (!workingFolder.isEmpty()) process->setWorkingDirectory(workingFolder);
  QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
  process->start(QStringLiteral("xdg-open"), arguments);
  if (!process->waitForStarted()) {
    process->deleteLater();
    return 31;  // nothing on this desktop opens files
  }
  if (!process->waitForFinished(kWaitMs)) return kSuccess;
  return ShellCodeFromXdgOpen(process->exitCode(), isFolder);
}
#endif

}  // namespace

QString ShellOpenFailureText(int code) {
  auto it = FailureTexts().find(code);
  return it == FailureTexts().end() ? QString() : QString::fromLatin1(it->second);
}

int ShellCodeFromXdgOpen(int exitStatus, bool isFolder) {
  switch (exitStatus) {
    case 0: return kSuccess;
    case 1: return 27;                // the command line was refused
    case 2: return isFolder ? 3 : 2;  // the file or folder does not exist
    case 3: return 31;                // a required tool is missing
    case 4: return 31;                // no program could open it
    default: return 29;               // failed for another reason
  }
}

bool ShellOpen(QWidget* window, platform::FileSystem& files, [[maybe_unused]] const QString& verb,
               const QString& path, const QString& parameters) {
  const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf('/')) + 1;
  const QString folder = path.left(cut);
  const QString name = path.mid(cut);
  const bool isFolder = name.isEmpty();

  int code;
#ifdef _WIN32
  // The shell itself: the path is the machine's, the verb and the codes its own.
  (void)files;
  (void)isFolder;
  code = platform::ShellExecuteOpen(verb.toStdString(), path.toStdString(),
                                    parameters.toStdString(), folder.toStdString());
#else
  auto hostFolder = files.ToHostPath(folder.toStdString());
  auto hostPath = files.ToHostPath(path.toStdString());
  if (!hostFolder || !hostPath)
    code = 3;
  else if (isFolder)
    code = RunXdgOpen(QString::fromStdString(*hostPath), {}, {}, true);
  else
    code = RunXdgOpen(QString::fromStdString(*hostPath), parameters,
                      QString::fromStdString(*hostFolder), false);
#endif

  const QString failure = ShellOpenFailureText(code);
  if (failure.isEmpty()) return true;
  Dialogs::ShowMessage(window, failure);
  return false;
}

}  // namespace hw::app
