// The file layer on POSIX systems: open/read/write/fsync/rename.
#ifndef _WIN32

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileIo.h"
#include "platform/FileIoFaults.h"
#include "platform/FileIoSteps.h"

namespace hw::platform {

namespace fs = std::filesystem;

namespace {

mode_t currentUmask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

bool ReadWholeFile(const fs::path& path, std::string& text) {
  struct stat st {};
  return ReadWholeFile(path, text, st);
}

bool ReadWholeFile(const fs::path& path, std::string& text, struct stat& st) {
  // Not blocking: a named pipe in place of the file would wait for a writer
  // forever; it is refused below like every file that is not a regular one.
  int fd = -1;
  if (int planned = plannedError(FileStep::Open, path))
    errno = planned;
  else
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    throw FileError(path.string() + ": cannot be read: " + errorText(errno));
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw FileError(path.string() + ": not a regular file");
  }
  text.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  char extra[4096];  // the file may have grown since fstat
  for (;;) {
    const bool full = done == text.size();
    char* into = full ? extra : text.data() + done;
    std::size_t room = full ? sizeof extra : text.size() - done;
    ssize_t n = -1;
    if (int planned = plannedReadError(path, done, room))
      errno = planned;
    else
      n = ::read(fd, into, room);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      throw FileError(path.string() + ": cannot be read: " + errorText(error));
    }
    if (n == 0) break;
    if (full) text.append(extra, static_cast<std::size_t>(n));
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  text.resize(done);
  return true;
}

fs::path WriteTemporaryBeside(const fs::path& target, std::string_view text, bool replacing) {
  std::string name =
      (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = -1;
  if (int planned = plannedError(FileStep::Open, target))
    errno = planned;
  else
    fd = ::mkstemp(name.data());
  if (fd < 0)
    throw FileError(target.string() +
                    ": cannot create a temporary file beside it: " + errorText(errno));
  auto fail = [&](const std::string& what, int error) {
    ::close(fd);
    ::unlink(name.c_str());
    throw FileError(target.string() + ": " + what + ": " + errorText(error));
  };
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = -1;
    if (int planned = plannedError(FileStep::Write, target))
      errno = planned;
    else
      n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("cannot write", errno);
    done += static_cast<std::size_t>(n);
  }
  struct stat st {};
  if (replacing && ::stat(target.c_str(), &st) == 0) {
    if (::fchmod(fd, st.st_mode & 07777) != 0) fail("cannot set permissions", errno);
    // Keeps the owner when root saves someone's prefix; for others it is a no-op.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Not permitted to others than root; the file then stays the caller's.
    }
  } else if (::fchmod(fd, 0666 & ~currentUmask()) != 0) {
    fail("cannot set permissions", errno);
  }
  if (int planned = plannedError(FileStep::Sync, target)) fail("cannot flush", planned);
  if (::fsync(fd) != 0) fail("cannot flush", errno);
  if (::close(fd) != 0) {
    int error = errno;
    ::unlink(name.c_str());
    throw FileError(target.string() + ": cannot write: " + errorText(error));
  }
  return name;
}

void MoveIntoPlace(const fs::path& temp, const fs::path& target, bool replacing) {
  int result = 0;
  if (int planned = plannedError(FileStep::Rename, target)) {
    errno = planned;
    result = -1;
  } else if (replacing) {
    result = ::rename(temp.c_str(), target.c_str());
  } else {
    result = ::link(temp.c_str(), target.c_str());
    if (result == 0) ::unlink(temp.c_str());
  }
  if (result != 0)
    throw FileError(target.string() + ": cannot replace the file: " + errorText(errno));
}

void SyncFolder(const fs::path& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool FolderWritable(const fs::path& folder) { return ::access(folder.c_str(), W_OK) == 0; }

}  // namespace hw::platform

#endif
