#include "platform/FileIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/FileIoFaults.h"

namespace hw::platform {

namespace fs = std::filesystem;

namespace {

std::string errorText(int error) { return std::strerror(error); }

FaultPlan* gFaultPlan = nullptr;

bool faultMatches(FileStep step, const fs::path& file) {
  const FaultPlan& plan = *gFaultPlan;
  if (plan.limit > 0 && plan.struck >= plan.limit) return false;
  return plan.step == step && (plan.fileName.empty() || file.filename() == plan.fileName);
}

// The errno of a planned fault striking this step; 0 when none does.
int plannedError(FileStep step, const fs::path& file) {
  if (gFaultPlan == nullptr || !faultMatches(step, file)) return 0;
  if (gFaultPlan->skip > 0) {
    --gFaultPlan->skip;
    return 0;
  }
  ++gFaultPlan->struck;
  return gFaultPlan->error;
}

// A planned read fault: shortens the read to end where the fault strikes, or
// gives its errno once that many bytes were read.
int plannedReadError(const fs::path& file, std::size_t done, std::size_t& room) {
  if (gFaultPlan == nullptr || !faultMatches(FileStep::Read, file)) return 0;
  if (done < gFaultPlan->afterBytes) {
    room = std::min(room, gFaultPlan->afterBytes - done);
    return 0;
  }
  ++gFaultPlan->struck;
  return gFaultPlan->error;
}

mode_t currentUmask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

void SetFaultPlan(FaultPlan* plan) { gFaultPlan = plan; }

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

void WriteFileAtomically(const fs::path& target, std::string_view text) {
  std::error_code error;
  const bool replacing = fs::exists(target, error);
  fs::path temp = WriteTemporaryBeside(target, text, replacing);
  try {
    MoveIntoPlace(temp, target, replacing);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  SyncFolder(target.parent_path().empty() ? fs::path(".") : target.parent_path());
}

}  // namespace hw::platform
