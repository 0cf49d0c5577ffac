#pragma once
// Hands a file or folder to the desktop (xdg-open) and reports its failures
// in the fixed English texts of the Windows shell's error codes.

#include <QString>

class QWidget;

namespace hw::platform {
class FileSystem;
}

namespace hw::app {

// The text of a shell failure code, empty for a code that counts as success.
QString ShellOpenFailureText(int code);
// The shell code that fits an xdg-open exit status best (33, success, for 0).
int ShellCodeFromXdgOpen(int exitStatus, bool isFolder);

// Opens path (a Windows path of the prefix or a host path): a folder path
// (ending in a separator) is opened itself; a file is started with
// parameters in its folder. Failures are shown in a plain message box and
// return false. verb is accepted for the callers' sake; xdg-open knows only "open".
bool ShellOpen(QWidget* window, platform::FileSystem& files, const QString& verb,
               const QString& path, const QString& parameters = {});

}  // namespace hw::app
