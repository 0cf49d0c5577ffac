// The running window's mark on Windows: a mutex named after the title, which
// installers and uninstallers look for to ask the user to close the program.
#include <windows.h>

#include "app/AppContext.h"
#include "platform/windows/WideText.h"

namespace hw::app {

TInstanceLock::TInstanceLock(const std::string& title) {
  // The session's own namespace: another user's window is no concern here.
  // A second window opens the same mutex, and that is all: the program does
  // not refuse to run twice.
  mutex_ = ::CreateMutexW(nullptr, FALSE, platform::WideText(title).c_str());
}

TInstanceLock::~TInstanceLock() {
  if (mutex_) ::CloseHandle(mutex_);
}

}  // namespace hw::app
