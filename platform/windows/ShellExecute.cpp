#ifdef _WIN32

#include "platform/windows/ShellExecute.h"

#include <cstdint>

#include "platform/windows/WinFileSystem.h"
// After windows.h, which WinFileSystem.h includes as the project wants it.
#include <shellapi.h>

namespace hw::platform {

int ShellExecuteOpen(const std::string& verb, const std::string& file,
                     const std::string& parameters, const std::string& folder) {
  const std::wstring wideVerb = WideText(verb);
  const std::wstring wideParameters = WideText(parameters);
  const std::wstring wideFolder = WideText(folder);
  // Empty texts go as null pointers: the default verb, no parameters, the
  // current folder, as the shell documents them.
  auto orNull = [](const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); };
  HINSTANCE result = ::ShellExecuteW(::GetDesktopWindow(), orNull(wideVerb), WideText(file).c_str(),
                                     orNull(wideParameters), orNull(wideFolder), SW_SHOWNORMAL);
  // The HINSTANCE is an integer code kept for compatibility with 16-bit Windows.
  return static_cast<int>(reinterpret_cast<std::intptr_t>(result));
}

}  // namespace hw::platform

#endif  // _WIN32
