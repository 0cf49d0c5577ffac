#include "app/AppContext.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <stdexcept>

#include "platform/ProgramPlaces.h"
#include "platform/StoreRegistryApi.h"
#include "platform/Text.h"
#ifndef _WIN32
#include "platform/wine/PrefixFileSystem.h"
#include "platform/wine/WinePrefixStore.h"
#endif

namespace hw::app {

namespace fs = std::filesystem;

#ifndef _WIN32

struct TPrefixSession::Parts {
  Parts(platform::WinePrefixStore& store) : api(store), files(store.prefix(), api) {}
  platform::StoreRegistryApi api;
  platform::PrefixFileSystem files;
  platform::EventPump pump;
};

TPrefixSession::TPrefixSession() = default;
TPrefixSession::~TPrefixSession() = default;

std::unique_ptr<TPrefixSession> TPrefixSession::Open(const fs::path& prefix) {
  std::unique_ptr<TPrefixSession> session(new TPrefixSession);
  session->store_ = platform::WinePrefixStore::open(prefix);
  session->parts_ = std::make_unique<Parts>(*session->store_);
  return session;
}

TAppContext TPrefixSession::Context(fs::path programFolder, std::vector<std::string> args) {
  return {parts_->api,
          parts_->files,
          parts_->pump,
          PrefixSettingsLocation(parts_->api, *store_),
          std::move(programFolder),
          std::move(args)};
}
#endif

std::string TakePrefixOption(std::vector<std::string>& args) {
  std::string prefix;
  for (auto arg = args.begin(); arg != args.end();) {
    if (*arg == "--prefix") {
      if (arg + 1 == args.end() || (arg + 1)->empty())
        throw std::invalid_argument("--prefix needs the prefix's folder");
      prefix = *(arg + 1);
      arg = args.erase(arg, arg + 2);
    } else if (arg->rfind("--prefix=", 0) == 0) {
      prefix = arg->substr(9);
      if (prefix.empty()) throw std::invalid_argument("--prefix needs the prefix's folder");
      arg = args.erase(arg);
    } else {
      ++arg;
    }
  }
  return prefix;
}

bool HasParam(const std::vector<std::string>& args, const std::string& name) {
  const std::string wanted = platform::toLowerUtf8(name);
  for (const std::string& arg : args)
    if (platform::toLowerUtf8(arg) == wanted) return true;
  return false;
}

bool FolderExists(const fs::path& path) {
  std::error_code error;
  return fs::is_directory(path, error);
}

fs::path BackupFolder(const fs::path& programFolder) {
  return platform::BackupFolder(programFolder);
}

#ifndef _WIN32
TInstanceLock::TInstanceLock(const std::string& title) {
  fs::path folder;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
    folder = runtime;
  else
    folder = fs::temp_directory_path();
  path_ = folder / (title + "-" + std::to_string(::getuid()) + ".lock");
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Held shared: like the mutex, its presence is what an outside tool may
  // look for; the program itself does not care whether another holds it.
  if (fd_ >= 0) ::flock(fd_, LOCK_SH | LOCK_NB);
}

TInstanceLock::~TInstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}
#endif

}  // namespace hw::app
