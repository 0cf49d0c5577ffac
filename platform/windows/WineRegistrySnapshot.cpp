#ifdef _WIN32

#include "platform/windows/WineRegistrySnapshot.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/StoreError.h"
#include "platform/windows/WideText.h"
#include "platform/wine/WineRegFile.h"

namespace hw::platform {

namespace {

std::string SystemMessage(DWORD code) { return "error " + std::to_string(code); }

// wineserver writes a hive only for a thread whose token has the backup
// privilege enabled; Wine's user is an administrator who holds it. It is
// enabled for the two requests only.
bool SetBackupPrivilege(bool enable, std::string& why) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    why = "the process token cannot be opened (" + SystemMessage(::GetLastError()) + ")";
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  bool done =
      ::LookupPrivilegeValueW(nullptr, L"SeBackupPrivilege", &privileges.Privileges[0].Luid) &&
      ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
      ::GetLastError() == ERROR_SUCCESS;
  if (!done) why = "the backup privilege is not held (" + SystemMessage(::GetLastError()) + ")";
  ::CloseHandle(token);
  return done;
}

// A folder of our own for the hive files, removed with them.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return;
    for (unsigned attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      std::wstring candidate = std::wstring(temp) + L"hivewarden-" +
                               std::to_wstring(::GetCurrentProcessId()) + L"-" +
                               std::to_wstring(::GetTickCount() + attempt);
      if (::CreateDirectoryW(candidate.c_str(), nullptr)) path_ = candidate;
    }
  }
  ~ScratchFolder() {
    if (path_.empty()) return;
    for (const std::wstring& file : files_) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  std::wstring file(const wchar_t* name) {
    files_.push_back(path_ + L"\\" + name);
    return files_.back();
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> files_;
};

bool ReadWhole(const std::wstring& path, std::string& text) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  text = std::move(buffer).str();
  return !in.bad();
}

// Saves one predefined root and loads it below `base`; `expected` is the
// hive's native name, which the file's header must name.
bool LoadHive(RegistryStore& store, HKEY root, KeyNode& base, const char* expected,
              ScratchFolder& scratch, const wchar_t* name, std::string& why) {
  const std::wstring file = scratch.file(name);
  if (LSTATUS status = ::RegSaveKeyExW(root, file.c_str(), nullptr, REG_LATEST_FORMAT)) {
    why =
        "wineserver did not save the registry (" + SystemMessage(static_cast<DWORD>(status)) + ")";
    return false;
  }
  std::string text;
  if (!ReadWhole(file, text)) {
    why = "the saved registry " + Utf8Text(file) + " cannot be read";
    return false;
  }
  if (_stricmp(wineRegRelativeTo(text).c_str(), expected) != 0) {
    why = "the saved registry is not in Wine's text format";
    return false;
  }
  try {
    readWineRegistry(store, base, text, Utf8Text(file));
  } catch (const StoreError& error) {
    why = error.what();
    return false;
  }
  return true;
}

}  // namespace

bool RunsUnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

std::unique_ptr<RegistryStore> SnapshotWineRegistry(const std::string& sid, std::string& why) {
  ScratchFolder scratch;
  if (!scratch.ok()) {
    why = "no temporary folder can be made";
    return nullptr;
  }
  if (!SetBackupPrivilege(true, why)) return nullptr;
  auto store = std::make_unique<RegistryStore>(sid);
  const bool loaded = LoadHive(*store, HKEY_LOCAL_MACHINE, store->hiveRoot(Hive::Machine),
                               "REGISTRY\\Machine", scratch, L"machine.reg", why) &&
                      LoadHive(*store, HKEY_USERS, store->hiveRoot(Hive::Users), "REGISTRY\\User",
                               scratch, L"users.reg", why);
  std::string ignored;
  SetBackupPrivilege(false, ignored);
  if (!loaded) return nullptr;
  // Left writable: the scan opens keys for writing to tell the user which
  // ones a repair could change, and under Wine the user may change them all.
  // Changes themselves go to the live registry.
  return store;
}

}  // namespace hw::platform

#endif  // _WIN32
