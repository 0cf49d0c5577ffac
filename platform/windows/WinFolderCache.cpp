#ifdef _WIN32

#include "platform/windows/WinFolderCache.h"

#include <windows.h>

namespace hw::platform {

namespace {

wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

std::wstring UpperAscii(std::wstring_view text) {
  std::wstring upper(text);
  for (wchar_t& c : upper) c = UpperAscii(c);
  return upper;
}

// CON, NUL, COM1, LPT1.txt, ...: Windows finds the device in every folder.
bool DeviceName(std::wstring_view name) {
  const std::wstring base = UpperAscii(name.substr(0, name.find(L'.')));
  if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL") return true;
  return base.size() == 4 && (base.rfind(L"COM", 0) == 0 || base.rfind(L"LPT", 0) == 0) &&
         base[3] >= L'1' && base[3] <= L'9';
}

// Every name of the path is one a listing compares as Windows would.
bool Plain(std::wstring_view path) {
  for (wchar_t c : path)
    if (c >= 0x80 || c < 0x20 || std::wstring_view(L"*?\"<>|").find(c) != std::wstring_view::npos)
      return false;
  std::size_t begin = 3;  // after "C:\"
  while (begin <= path.size()) {
    std::size_t end = path.find(L'\\', begin);
    if (end == std::wstring_view::npos) end = path.size();
    std::wstring_view name = path.substr(begin, end - begin);
    if (name.empty() || name.back() == L'.' || name.back() == L' ' ||
        name.find(L':') != std::wstring_view::npos || DeviceName(name))
      return false;
    begin = end + 1;
  }
  return true;
}

}  // namespace

WinFolderCache::Entry WinFolderCache::Lookup(std::wstring_view path) {
  std::wstring full(path);
  for (wchar_t& c : full)
    if (c == L'/') c = L'\\';
  if (full.size() > 3 && full.back() == L'\\') full.pop_back();
  const bool driveAbsolute = full.size() > 3 && UpperAscii(full[0]) >= L'A' &&
                             UpperAscii(full[0]) <= L'Z' && full[1] == L':' && full[2] == L'\\';
  if (!driveAbsolute || !Plain(full)) return Entry::Unknown;

  const std::size_t slash = full.rfind(L'\\');
  const std::wstring folder = UpperAscii(full.substr(0, slash == 2 ? 3 : slash));
  const Listing& listing = ListingOf(folder);
  switch (listing.state) {
    case Listing::State::Unlistable: return Entry::Unknown;
    case Listing::State::Missing: return Entry::Missing;
    case Listing::State::Listed: break;
  }
  const auto found = listing.isFolder.find(UpperAscii(full.substr(slash + 1)));
  if (found == listing.isFolder.end()) return Entry::Missing;
  return found->second ? Entry::Folder : Entry::File;
}

const WinFolderCache::Listing& WinFolderCache::ListingOf(const std::wstring& folder) {
  if (const auto known = folders_.find(folder); known != folders_.end()) return known->second;
  Listing& listing = folders_[folder];
  const std::wstring pattern = folder + (folder.back() == L'\\' ? L"*" : L"\\*");
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // A missing folder (or a file in its place) holds nothing; any other
    // failure, such as a folder the user may enter but not list, is asked
    // about name by name.
    listing.state =
        error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND || error == ERROR_DIRECTORY
            ? Listing::State::Missing
            : Listing::State::Unlistable;
    return listing;
  }
  do {
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    listing.isFolder.emplace(UpperAscii(found.cFileName), isFolder);
    if (found.cAlternateFileName[0] != L'\0')
      listing.isFolder.emplace(UpperAscii(found.cAlternateFileName), isFolder);
  } while (::FindNextFileW(search, &found));
  // A listing cut short by an error would report names as missing that are there.
  if (::GetLastError() != ERROR_NO_MORE_FILES) {
    listing.isFolder.clear();
    listing.state = Listing::State::Unlistable;
  }
  ::FindClose(search);
  return listing;
}

}  // namespace hw::platform

#endif  // _WIN32
