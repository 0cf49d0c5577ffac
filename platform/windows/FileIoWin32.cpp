// The file layer on Windows: CreateFile/ReadFile/WriteFile/FlushFileBuffers
// and MoveFileEx, with the same guarantees as the POSIX one.
#ifdef _WIN32

#include <algorithm>
#include <random>

#include "platform/FileIo.h"
#include "platform/FileIoFaults.h"
#include "platform/FileIoSteps.h"
#include "platform/windows/WinTypes.h"

namespace hw::platform {

namespace fs = std::filesystem;

namespace {

// The system's text for an error code, without its line break.
std::string systemErrorText(DWORD error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length > 0 ? std::string(buffer, length) : "error " + std::to_string(error);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  return text;
}

// Why a step failed: the planned fault's errno text, else the system's.
std::string failureText(int planned) {
  return planned != 0 ? errorText(planned) : systemErrorText(GetLastError());
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool close() {
    if (!valid()) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// A name no other writer picks: the target's with a random suffix.
fs::path temporaryName(const fs::path& target) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::wstring suffix = L".";
  for (int i = 0; i < 6; ++i) suffix += static_cast<wchar_t>(kDigits[random() % 36]);
  return target.parent_path() / (L"." + target.filename().wstring() + suffix);
}

}  // namespace

bool ReadWholeFile(const fs::path& path, std::string& text) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    throw FileError(path.string() + ": not a regular file");
  int planned = plannedError(FileStep::Open, path);
  Handle file(planned != 0 ? INVALID_HANDLE_VALUE
                           : CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (planned == 0 && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
      return false;
    throw FileError(path.string() + ": cannot be read: " + failureText(planned));
  }
  // A pipe or a device in place of the file would block or never end.
  if (GetFileType(file.get()) != FILE_TYPE_DISK)
    throw FileError(path.string() + ": not a regular file");
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size)) text.reserve(static_cast<std::size_t>(size.QuadPart));
  text.clear();
  char buffer[65536];
  for (;;) {
    std::size_t room = sizeof buffer;
    DWORD received = 0;
    planned = plannedReadError(path, text.size(), room);
    if (planned != 0 ||
        !ReadFile(file.get(), buffer, static_cast<DWORD>(room), &received, nullptr))
      throw FileError(path.string() + ": cannot be read: " + failureText(planned));
    if (received == 0) break;
    text.append(buffer, received);
  }
  return true;
}

fs::path WriteTemporaryBeside(const fs::path& target, std::string_view text, bool replacing) {
  fs::path name;
  int planned = plannedError(FileStep::Open, target);
  HANDLE made = INVALID_HANDLE_VALUE;
  for (int attempt = 0; planned == 0 && attempt < 100 && made == INVALID_HANDLE_VALUE; ++attempt) {
    name = temporaryName(target);
    made = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  Handle file(made);
  if (!file.valid())
    throw FileError(target.string() +
                    ": cannot create a temporary file beside it: " + failureText(planned));
  auto fail = [&](const std::string& what, int fault) {
    const std::string reason = failureText(fault);
    file.close();
    DeleteFileW(name.c_str());
    throw FileError(target.string() + ": " + what + ": " + reason);
  };
  std::size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 30));
    DWORD written = 0;
    if (int fault = plannedError(FileStep::Write, target)) fail("cannot write", fault);
    if (!WriteFile(file.get(), text.data() + done, chunk, &written, nullptr))
      fail("cannot write", 0);
    done += written;
  }
  if (int fault = plannedError(FileStep::Sync, target)) fail("cannot flush", fault);
  if (!FlushFileBuffers(file.get())) fail("cannot flush", 0);
  if (!file.close()) fail("cannot write", 0);
  // The attributes of a replaced file go with it: a hidden or system file stays so.
  if (replacing) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
      SetFileAttributesW(name.c_str(), attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                     FILE_ATTRIBUTE_ARCHIVE));
  }
  return name;
}

void MoveIntoPlace(const fs::path& temp, const fs::path& target, bool replacing) {
  int planned = plannedError(FileStep::Rename, target);
  // Without MOVEFILE_REPLACE_EXISTING the move refuses a target that appeared meanwhile.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replacing ? MOVEFILE_REPLACE_EXISTING : 0);
  if (planned != 0 || !MoveFileExW(temp.c_str(), target.c_str(), flags))
    throw FileError(target.string() + ": cannot replace the file: " + failureText(planned));
}

// MOVEFILE_WRITE_THROUGH has made the rename durable already.
void SyncFolder(const fs::path&) {}

bool FolderWritable(const fs::path& folder) {
  // Windows answers this only by trying: ACLs decide, not the read-only attribute.
  Handle probe(CreateFileW(temporaryName(folder / L"probe").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                           nullptr));
  return probe.valid();
}

}  // namespace hw::platform

#endif
