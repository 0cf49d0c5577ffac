#pragma once
// What the window works on: a Wine prefix's registry and file system, the
// event pump of the long loops, where its settings go, the program's folder
// and the command line. The window owns none of it.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/settings/SettingsStore.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/RegistryApi.h"
#include "platform/ScanRegistry.h"

namespace hw::platform {
class WinePrefixStore;
}

namespace hw::app {

struct TAppContext {
  platform::RegistryApi& Registry;
  platform::FileSystem& Files;
  platform::EventPump& Pump;
  TSettingsLocation Settings;
  // The data files (packs, default lists, help, images) and the backups.
  std::filesystem::path ProgramFolder;
  std::vector<std::string> Args;  // without the program name
  // What scans read where it is not Registry: renewed before each scan (a
  // snapshot of the machine's registry under Wine).
  platform::ScanRegistry* Scan = nullptr;
};

// One opened prefix and the services over it (Linux; on Windows the window
// works on the machine's own registry, see MachineWindow.h).
class TPrefixSession {
 public:
  // Throws platform::FileError (with a message for the user) when the folder
  // holds no readable prefix.
  static std::unique_ptr<TPrefixSession> Open(const std::filesystem::path& prefix);
  ~TPrefixSession();

  TAppContext Context(std::filesystem::path programFolder, std::vector<std::string> args);
  platform::WinePrefixStore& Store() { return *store_; }

 private:
  TPrefixSession();
  struct Parts;
  std::unique_ptr<platform::WinePrefixStore> store_;
  std::unique_ptr<Parts> parts_;
};

// Takes "--prefix DIR" (or "--prefix=DIR") out of args and returns DIR; empty
// when there is none. Throws std::invalid_argument when DIR is missing.
std::string TakePrefixOption(std::vector<std::string>& args);
// True when one of args equals name, compared in lower case.
bool HasParam(const std::vector<std::string>& args, const std::string& name);
// Whether path names an existing host folder.
bool FolderExists(const std::filesystem::path& path);
// Where backups go: the program folder's Backups/ when that folder can be
// written and the program is not installed, else
// $XDG_DATA_HOME/hivewarden/Backups/ (~/.local/share/...).
std::filesystem::path BackupFolder(const std::filesystem::path& programFolder);

// The mark of a running window, named after title and held for the life of
// the object: a mutex of that name on Windows (InstanceLockWin.cpp), a lock
// file in the user's runtime folder elsewhere. Nothing tests it.
class TInstanceLock {
 public:
  explicit TInstanceLock(const std::string& title);
  ~TInstanceLock();
  TInstanceLock(const TInstanceLock&) = delete;
  TInstanceLock& operator=(const TInstanceLock&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
#ifdef _WIN32
  void* mutex_ = nullptr;
#else
  int fd_ = -1;
#endif
};

}  // namespace hw::app
