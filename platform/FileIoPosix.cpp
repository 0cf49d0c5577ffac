// The file layer on POSIX systems: open/read/write/fsync/rename.
#ifndef _WIN32

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>

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

bool noModes(int error) {
  return error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP || error == EPERM;
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
  // A file system without modes (vfat through FUSE) refuses to set them: the
  // file then has what the mount gives every file.
  auto setMode = [&](mode_t mode) {
    if (::fchmod(fd, mode) != 0 && !noModes(errno)) fail("cannot set permissions", errno);
  };
  struct stat st {};
  if (replacing && ::stat(target.c_str(), &st) == 0) {
    setMode(st.st_mode & 07777);
    // Keeps the owner when root saves someone's prefix; for others it is a no-op.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Not permitted to others than root; the file then stays the caller's.
    }
  } else {
    setMode(0666 & ~currentUmask());
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

namespace {

// errno of a step that may be planned to fail.
int attempt(FileStep step, const fs::path& target, const std::function<int()>& call) {
  if (int planned = plannedError(step, target)) return planned;
  return call() == 0 ? 0 : errno;
}

// The file system cannot do this at all (as opposed to: the target exists).
bool unsupported(int error) {
  return error == EPERM || error == EINVAL || error == ENOSYS || error == ENOTSUP ||
         error == EOPNOTSUPP || error == EMLINK || error == ENOTTY;
}

// The last way to put a new file in place where neither hard links nor an
// exclusive rename exist (vfat, exFAT, some FUSE mounts): the target is
// created exclusively, so a file that appeared meanwhile is never touched,
// then filled from the temporary file and flushed. A failure removes the
// target, which is ours; a crash meanwhile can leave it short.
void copyIntoNew(const fs::path& temp, const fs::path& target) {
  const int from = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
  if (from < 0)
    throw FileError(target.string() + ": cannot read " + temp.string() + ": " + errorText(errno));
  struct stat st {};
  ::fstat(from, &st);
  const int to =
      ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
  if (to < 0) {
    const int error = errno;
    ::close(from);
    throw FileError(target.string() + ": cannot create the file: " + errorText(error));
  }
  auto fail = [&](const std::string& what, int error) {
    ::close(from);
    ::close(to);
    ::unlink(target.c_str());
    throw FileError(target.string() + ": " + what + ": " + errorText(error));
  };
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail("cannot read " + temp.string(), errno);
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      ssize_t n = -1;
      if (int planned = plannedError(FileStep::Write, target))
        errno = planned;
      else
        n = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) fail("cannot write", errno);
      done += n;
    }
  }
  if (int planned = plannedError(FileStep::Sync, target)) fail("cannot flush", planned);
  if (::fsync(to) != 0) fail("cannot flush", errno);
  ::close(from);
  if (::close(to) != 0) {
    const int error = errno;
    ::unlink(target.c_str());
    throw FileError(target.string() + ": cannot write: " + errorText(error));
  }
  ::unlink(temp.c_str());
}

}  // namespace

void MoveIntoPlace(const fs::path& temp, const fs::path& target, bool replacing) {
  int error = plannedError(FileStep::Rename, target);
  if (error == 0 && replacing) {
    error = ::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
  } else if (error == 0) {
    // Never over a file that appeared meanwhile.
    error = attempt(FileStep::Link, target, [&] { return ::link(temp.c_str(), target.c_str()); });
    if (error == 0) {
      ::unlink(temp.c_str());
      return;
    }
    if (unsupported(error)) {
      error = attempt(FileStep::RenameNoReplace, target, [&] {
        return ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
      });
      if (error != 0 && unsupported(error)) return copyIntoNew(temp, target);
    }
  }
  if (error != 0)
    throw FileError(target.string() + ": cannot replace the file: " + errorText(error));
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
