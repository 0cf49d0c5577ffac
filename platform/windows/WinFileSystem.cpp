#ifdef _WIN32

#include "platform/windows/WinFileSystem.h"

// After FileSystem.h: shlobj.h defines the CSIDL_* names as macros.
#include <shlobj.h>

#include <vector>

#include "platform/wine/Wow64Paths.h"

// The core's text is UTF-8, so every call goes through the W functions: the A
// functions would read and write names in the ANSI code page, which garbles
// or loses whatever that page cannot hold.

namespace hw::platform {

namespace {

void Describe(const WIN32_FIND_DATAW& found, FindData& data) {
  data.Name = Utf8Text(found.cFileName);
  data.Attributes = found.dwFileAttributes;
  data.LastWriteTime = found.ftLastWriteTime;
  data.Size = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
}

// An open FindFirstFileW search; destroying it is FindClose.
class WinFindSearch : public FindSearch {
 public:
  explicit WinFindSearch(HANDLE handle) : handle_(handle) {}
  ~WinFindSearch() override { ::FindClose(handle_); }
  WinFindSearch(const WinFindSearch&) = delete;
  WinFindSearch& operator=(const WinFindSearch&) = delete;

  bool FindNextFileA(FindData& data) override {
    WIN32_FIND_DATAW found;
    if (!::FindNextFileW(handle_, &found)) return false;
    Describe(found, data);
    return true;
  }

 private:
  HANDLE handle_;
};

// The path for a W call; nullopt for an empty one or one with a zero in it,
// which the call would cut there and so answer for another path.
std::optional<std::wstring> WidePath(std::string_view path) {
  if (path.empty() || path.find('\0') != std::string_view::npos) return std::nullopt;
  return WideText(path);
}

bool IsKnownSpecialFolder(int csidl) {
  return csidl == CSIDL_FONTS || csidl == CSIDL_PROGRAMS || csidl == CSIDL_COMMON_PROGRAMS;
}

}  // namespace

UINT WinFileSystem::GetDriveTypeA(const std::string& root) {
  // Empty is no root here, not the current drive's.
  const std::optional<std::wstring> wide = WidePath(root);
  return wide ? ::GetDriveTypeW(wide->c_str()) : DRIVE_NO_ROOT_DIR;
}

bool WinFileSystem::SetCurrentDirectoryA(const std::string& path) {
  // A test of the attributes, not SetCurrentDirectoryW: the working directory
  // is the whole process's, and other code may use relative paths meanwhile.
  // It also finds a folder the user may not enter, which the change of
  // directory would take for missing.
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide) return false;
  switch (cache_.Lookup(*wide)) {
    case WinFolderCache::Entry::Folder: return true;
    case WinFolderCache::Entry::File:
    case WinFolderCache::Entry::Missing: return false;
    case WinFolderCache::Entry::Unknown: break;
  }
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WinFileSystem::FileExists(const std::string& path) {
  if (const std::optional<std::wstring> wide = WidePath(path)) {
    switch (cache_.Lookup(*wide)) {
      case WinFolderCache::Entry::File: return true;
      case WinFolderCache::Entry::Folder:
      case WinFolderCache::Entry::Missing: return false;
      case WinFolderCache::Entry::Unknown: break;
    }
  }
  return FileSystem::FileExists(path);
}

std::unique_ptr<FindSearch> WinFileSystem::FindFirstFileA(const std::string& pattern,
                                                          FindData& data) {
  const std::optional<std::wstring> wide = WidePath(pattern);
  if (!wide) return nullptr;
  WIN32_FIND_DATAW found;
  HANDLE handle = ::FindFirstFileW(wide->c_str(), &found);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  auto search = std::make_unique<WinFindSearch>(handle);
  Describe(found, data);
  return search;
}

bool WinFileSystem::hasWow64() {
  if (!wow64_) {
    // Only a 64-bit build sees both system folders under their own names.
    // Wine without its 32-bit half makes an empty syswow64: no 32-bit
    // program ever ran there, so system32 means system32.
    wchar_t folder[MAX_PATH + 1] = {};
    const UINT length = sizeof(void*) == 8 ? ::GetSystemWow64DirectoryW(folder, MAX_PATH + 1) : 0;
    bool holdsFiles = false;
    if (length > 0 && length <= MAX_PATH) {
      WIN32_FIND_DATAW found;
      HANDLE search = ::FindFirstFileW((std::wstring(folder) + L"\\*").c_str(), &found);
      if (search != INVALID_HANDLE_VALUE) {
        do {
          const std::wstring_view name = found.cFileName;
          holdsFiles = name != L"." && name != L"..";
        } while (!holdsFiles && ::FindNextFileW(search, &found));
        ::FindClose(search);
      }
    }
    wow64_ = holdsFiles;
  }
  return *wow64_;
}

bool WinFileSystem::FolderExistsIn(const std::string& path, RegistryView view) {
  return ExistsInView(
      path, view, [this] { return hasWow64(); },
      [this](const std::string& p) { return SetCurrentDirectoryA(p); });
}

bool WinFileSystem::FileExistsIn(const std::string& path, RegistryView view) {
  return ExistsInView(
      path, view, [this] { return hasWow64(); },
      [this](const std::string& p) { return FileExists(p); });
}

std::string WinFileSystem::GetTempPathA() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  DWORD length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {  // too small: length is the size needed
    buffer.resize(length + 1);
    length = ::GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (length == 0 || length >= buffer.size()) return {};
  return Utf8Text(std::wstring_view(buffer.data(), length));
}

std::string WinFileSystem::GetSpecialFolderPath(int csidl) {
  if (!IsKnownSpecialFolder(csidl)) return {};
  LPITEMIDLIST list = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &list)) || list == nullptr)
    return "error";
  wchar_t path[MAX_PATH + 1] = {};
  const bool named = ::SHGetPathFromIDListW(list, path);
  ::CoTaskMemFree(list);
  if (!named || path[0] == L'\0') return "error";
  std::string text = Utf8Text(path);
  // Without the trailing backslash, except for a drive's root ("C:\").
  if (text.size() > 3 && text.back() == '\\') text.pop_back();
  return text;
}

std::optional<std::string> WinFileSystem::ToHostPath(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return path;
}

std::optional<std::string> WinFileSystem::FromHostPath(const std::string& hostPath) {
  if (hostPath.empty()) return std::nullopt;
  // Under Wine the host is Unix: "/" and $HOME are reached through the drive
  // that maps them (Z:), so that the moved-file search walks the user's
  // home there rather than the whole host, as the Linux build does.
  if (hostPath.front() == '/') {
    using DosName = WCHAR*(CDECL*)(LPCSTR);
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    if (auto dosName = reinterpret_cast<DosName>(
            reinterpret_cast<void*>(::GetProcAddress(kernel32, "wine_get_dos_file_name")))) {
      WCHAR* dos = dosName(hostPath.c_str());
      if (!dos) return std::nullopt;
      std::string path = Utf8Text(dos);
      ::HeapFree(::GetProcessHeap(), 0, dos);
      // \\?\unix\...: no drive maps it.
      if (path.rfind("\\\\?\\", 0) == 0) return std::nullopt;
      return path;
    }
  }
  return hostPath;
}

bool WinFileSystem::IsWalkBarrier(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  const std::optional<std::wstring> wide = WidePath(path);
  if (!wide || path.find_first_of("*?") != std::string::npos) return false;
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  constexpr DWORD kLinkedFolder = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kLinkedFolder) != kLinkedFolder)
    return false;
  // The reparse tag comes only with the find data. Junctions (mount points)
  // and symbolic links lead elsewhere and can loop; other reparse points,
  // such as cloud placeholders, are folders whose files count. Wine reports
  // the host's symbolic links with no tag at all: links too.
  DWORD tag = 0;
  WIN32_FIND_DATAW found;
  if (HANDLE handle = ::FindFirstFileW(wide->c_str(), &found); handle != INVALID_HANDLE_VALUE) {
    tag = found.dwReserved0;
    ::FindClose(handle);
  }
  constexpr DWORD kTagLxSymlink = 0xA000001D;  // a link made by the Linux subsystem
  return tag == 0 || tag == IO_REPARSE_TAG_MOUNT_POINT || tag == IO_REPARSE_TAG_SYMLINK ||
         tag == kTagLxSymlink;
}

}  // namespace hw::platform

#endif  // _WIN32
