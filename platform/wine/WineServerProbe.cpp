#include "platform/wine/WineServerProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace hw::platform {

namespace {

std::string trimmed(std::string text) {
  const char* blanks = " \t\r\n";
  std::size_t begin = text.find_first_not_of(blanks);
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(blanks) + 1 - begin);
}

bool lockHeld(const std::filesystem::path& lockFile) {
  int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  bool held = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

// Names are quoted for the shell only when they need it.
std::string shellWord(const std::string& text) {
  bool plain = !text.empty();
  for (char c : text)
    plain = plain && (std::isalnum(static_cast<unsigned char>(c)) ||
                      std::string_view("/._-+,:@%~=").find(c) != std::string_view::npos);
  if (plain) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\' || c == '$' || c == '`') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

std::vector<std::filesystem::path> wineServerLockPaths(const std::filesystem::path& prefix) {
  struct stat st {};
  if (::stat(prefix.c_str(), &st) != 0) return {};
  char server[64];
  std::snprintf(server, sizeof server, "server-%llx-%llx",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  std::vector<std::filesystem::path> paths;
  auto add = [&](const std::filesystem::path& dir) {
    std::filesystem::path lock = dir / server / "lock";
    for (const auto& known : paths)
      if (known == lock) return;
    paths.push_back(lock);
  };
  // Wine runs only as the prefix's owner, so its server folder is the owner's,
  // also when we run as someone else (root cleaning a user's prefix).
  for (uid_t owner : {st.st_uid, ::getuid()}) {
    const std::string uid = std::to_string(owner);
    add(std::filesystem::path("/tmp") / (".wine-" + uid));
    add(std::filesystem::path("/run/user") / uid / "wine");
  }
  // Only a regular file: reading a named pipe would wait for ever.
  std::error_code error;
  std::ifstream nameFile;
  if (std::filesystem::is_regular_file(prefix / "wineserver", error))
    nameFile.open(prefix / "wineserver");
  std::string name;
  if (nameFile && std::getline(nameFile, name) && !(name = trimmed(name)).empty() &&
      name.find('/') == std::string::npos && name != "." && name != "..") {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir && *tmpdir) add(std::filesystem::path(tmpdir) / name);
    add(std::filesystem::path("/tmp") / name);
  }
  return paths;
}

bool wineServerRunning(const std::filesystem::path& prefix) {
  for (const auto& lock : wineServerLockPaths(prefix))
    if (lockHeld(lock)) return true;
  return false;
}

std::string wineRunningMessage(const std::filesystem::path& prefix) {
  const std::string path = prefix.string();
  return "Wine is running in " + path +
         "; close its programs or run 'WINEPREFIX=" + shellWord(path) +
         " wineserver -k', then try again.";
}

}  // namespace hw::platform
