#pragma once
// Holds the lock a wineserver for a prefix holds while it runs, so tests can
// see what the program does with a prefix in use.

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/wine/WineServerProbe.h"

namespace hw::test {

// Holds the lock a wineserver for the prefix would hold. An open-file-description
// lock conflicts with the probe's F_GETLK even within this process.
class FakeWineserver {
 public:
  explicit FakeWineserver(const std::filesystem::path& prefix) {
    name_ =
        "hw-test-" + std::to_string(::getpid()) + "-" + prefix.parent_path().filename().string();
    std::ofstream(prefix / "wineserver") << name_;
    for (const std::filesystem::path& candidate : platform::wineServerLockPaths(prefix))
      if (candidate.string().find(name_) != std::string::npos) lock_ = candidate;
    std::filesystem::create_directories(lock_.parent_path());
    fd_ = ::open(lock_.c_str(), O_RDWR | O_CREAT, 0600);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    locked_ = fd_ >= 0 && ::fcntl(fd_, F_OFD_SETLK, &lock) == 0;
  }
  ~FakeWineserver() {
    if (fd_ >= 0) ::close(fd_);
    if (!lock_.empty()) std::filesystem::remove_all(lock_.parent_path().parent_path());
  }
  bool locked() const { return locked_; }
  void stop() {
    ::close(fd_);
    fd_ = -1;
  }

 private:
  std::string name_;
  std::filesystem::path lock_;
  int fd_ = -1;
  bool locked_ = false;
};

}  // namespace hw::test
