// Asks Wine how it names and finds files by their short names. Built with
// MinGW-w64 and run under wine64 by the short-name test:
//
//   shortname-oracle.exe FOLDER PROBES
//
// For every entry of FOLDER it prints "S<TAB>long name<TAB>GetShortPathNameW's
// last component"; for every line of the UTF-8 file PROBES it opens
// FOLDER\line and prints "P<TAB>line<TAB>the file's content", or "-" when Wine
// finds no file by that name. The test writes each file's long name as its
// content, so the content tells which file a name reached. Output is UTF-8.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

void Print(const char* kind, const std::string& a, const std::string& b) {
  std::string line = std::string(kind) + "\t" + a + "\t" + b + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string ReadAll(HANDLE file) {
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
    content.append(buffer, read);
  return content;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: shortname-oracle FOLDER PROBES\n", stderr);
    return 2;
  }
  const std::wstring folder = argv[1];
  // Lines end in "\n" alone.
  _setmode(_fileno(stdout), _O_BINARY);

  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    std::fputs("the folder cannot be listed\n", stderr);
    return 1;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    wchar_t shortPath[MAX_PATH * 2];
    DWORD length = GetShortPathNameW((folder + L"\\" + name).c_str(), shortPath, MAX_PATH * 2);
    std::wstring shortName = length ? std::wstring(shortPath, length) : L"?";
    shortName = shortName.substr(shortName.find_last_of(L'\\') + 1);
    Print("S", Utf8(name), Utf8(shortName));
  } while (FindNextFileW(search, &found));
  FindClose(search);

  HANDLE list =
      CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (list == INVALID_HANDLE_VALUE) {
    std::fputs("the probes cannot be read\n", stderr);
    return 1;
  }
  const std::string probes = ReadAll(list);
  CloseHandle(list);
  size_t start = 0;
  while (start < probes.size()) {
    size_t end = probes.find('\n', start);
    if (end == std::string::npos) end = probes.size();
    const std::string probe = probes.substr(start, end - start);
    start = end + 1;
    if (probe.empty()) continue;
    HANDLE file = CreateFileW((folder + L"\\" + Wide(probe)).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      Print("P", probe, "-");
      continue;
    }
    Print("P", probe, ReadAll(file));
    CloseHandle(file);
  }
  return 0;
}
