#pragma once
// Hands a file or folder to the Windows shell, without Qt, so that the window
// and the command-line tool can share it.

#ifdef _WIN32

#include <string>

namespace hw::platform {

// ShellExecuteW with verb ("open", "explore", ...; empty for the default),
// file, parameters and working folder given in UTF-8, shown normally and
// owned by the desktop. The shell's code: above 32 on success, else one of
// the shell's error codes (ERROR_FILE_NOT_FOUND, SE_ERR_NOASSOC, ...).
int ShellExecuteOpen(const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& folder);

}  // namespace hw::platform

#endif  // _WIN32
