// The REGEDIT4 backup writer: random values are recorded as blocks and
// committed to a backup file; a small REGEDIT4 reader here reads the file back
// and must find, newest block first, the same key, value name, type and data
// (through the backup's code page). Entries the writer refuses are fine; a
// block that would import as something else is a fault.

#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Text.h"
#include "registry/RegExport.h"

using namespace hw;
namespace fs = std::filesystem;

namespace {

struct Recorded {
  std::string root, keyPath, name;
  DWORD type;
  std::string data;
};

struct Imported {
  std::string key;  // the key line's text between the brackets
  bool hasValue = false;
  bool quoted = false;  // the data was a quoted string
  std::string name;
  DWORD type = REG_NONE;
  std::string data;  // raw bytes: code-page text for strings, as written for hex
};

class Silent : public TBackupMessages {
 public:
  void ShowMessage(const std::string& text) override {
    std::fprintf(stderr, "unexpected message: %s\n", text.c_str());
    std::abort();
  }
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "backup does not read back: %s\n", what);
  std::abort();
}

// A fresh folder per process, removed at exit; kept on the heap so that it
// outlives the static objects the exit handler would otherwise see destroyed.
const fs::path& backupFile() {
  static const fs::path* file = [] {
    fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string folder = (base / "hw-fuzz-reg-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    auto* path = new fs::path(fs::path(folder) / "backup.reg");
    std::atexit([] { fs::remove_all(backupFile().parent_path()); });
    return path;
  }();
  return *file;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "\"text\"" with the editor's escapes \\, \", \n and \r, from line[pos];
// pos ends past the quote.
std::string readQuoted(std::string_view line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') fail("no opening quote");
  std::string out;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (++pos >= line.size()) fail("unknown escape");
      c = line[pos];
      if (c == 'n')
        c = '\n';
      else if (c == 'r')
        c = '\r';
      else if (c != '\\' && c != '"')
        fail("unknown escape");
    }
    out += c;
  }
  fail("no closing quote");
}

std::string readHex(std::string_view text) {
  std::string bytes;
  for (std::size_t pos = 0; pos < text.size(); pos += 3) {
    if (pos + 2 > text.size() || hexDigit(text[pos]) < 0 || hexDigit(text[pos + 1]) < 0 ||
        (pos + 2 < text.size() && text[pos + 2] != ','))
      fail("malformed hex data");
    bytes += static_cast<char>(hexDigit(text[pos]) * 16 + hexDigit(text[pos + 1]));
  }
  return bytes;
}

void readValueLine(std::string_view line, Imported& entry) {
  std::size_t pos = 0;
  if (line.substr(0, 2) == "@=") {
    pos = 1;
  } else {
    entry.name = readQuoted(line, pos);
    if (pos >= line.size() || line[pos] != '=') fail("no '=' after the name");
  }
  std::string_view data = line.substr(pos + 1);
  entry.hasValue = true;
  if (!data.empty() && data[0] == '"') {
    std::size_t at = pos + 1;
    entry.type = REG_SZ;
    entry.quoted = true;
    entry.data = readQuoted(line, at);
    if (at != line.size()) fail("text after the string");
  } else if (data.substr(0, 6) == "dword:") {
    if (data.size() != 14) fail("malformed dword");
    std::uint32_t value = 0;
    for (char c : data.substr(6)) {
      if (hexDigit(c) < 0) fail("malformed dword");
      value = value * 16 + static_cast<std::uint32_t>(hexDigit(c));
    }
    entry.type = REG_DWORD;
    for (int i = 0; i < 4; ++i) entry.data += static_cast<char>(value >> (8 * i));
  } else if (data.substr(0, 4) == "hex:") {
    entry.type = REG_BINARY;
    entry.data = readHex(data.substr(4));
  } else if (data.substr(0, 4) == "hex(") {
    std::size_t close = data.find("):");
    if (close == std::string_view::npos || close == 4 || close > 12) fail("malformed hex type");
    DWORD type = 0;
    for (char c : data.substr(4, close - 4)) {
      if (hexDigit(c) < 0) fail("malformed hex type");
      type = type * 16 + static_cast<DWORD>(hexDigit(c));
    }
    entry.type = type;
    entry.data = readHex(data.substr(close + 2));
  } else {
    fail("unknown data form");
  }
}

// The blocks of a backup file, in file order.
std::vector<Imported> readBackup(const std::string& text) {
  std::vector<std::string_view> lines;
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t end = rest.find("\r\n");
    if (end == std::string_view::npos) fail("a line without CR LF");
    lines.push_back(rest.substr(0, end));
    if (lines.back().find_first_of("\r\n") != std::string_view::npos) fail("a stray line break");
    rest.remove_prefix(end + 2);
  }
  if (lines.size() < 2 || lines[0] != "REGEDIT4" || !lines[1].empty()) fail("header");
  std::vector<Imported> blocks;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    if (line.empty()) continue;
    if (line.front() != '[' || line.back() != ']') fail("a key line expected");
    Imported entry;
    entry.key = std::string(line.substr(1, line.size() - 2));
    if (i + 1 < lines.size() && !lines[i + 1].empty()) readValueLine(lines[++i], entry);
    blocks.push_back(std::move(entry));
  }
  return blocks;
}

std::string decode(const platform::SingleByteCodePage* page, const std::string& bytes) {
  return page ? page->Decode(bytes) : bytes;
}

std::vector<std::string> pieces(std::string_view path) {
  std::vector<std::string> out;
  for (std::string_view piece : platform::SplitNonEmpty(path, '\\')) out.emplace_back(piece);
  return out;
}

void compare(const platform::SingleByteCodePage* page, const Recorded& r, const Imported& b) {
  const std::string key = decode(page, b.key);
  if (key.substr(0, r.root.size()) != r.root) fail("root");
  if (pieces(key.substr(r.root.size())) != pieces(r.keyPath)) fail("key path");
  if (!b.hasValue) fail("value line missing");
  if (decode(page, b.name) != r.name) fail("value name");
  const bool text = r.type == REG_SZ || r.type == REG_EXPAND_SZ || r.type == REG_MULTI_SZ;
  if (b.type != r.type) fail("type");
  std::string data = b.data;
  if (text) {
    // As the editor stores it: a zero added unless the last byte is one (a
    // quoted text always gets one), then the code page's text in UTF-16.
    if (b.quoted && data.find('\0') != std::string::npos) fail("a zero in a quoted text");
    if (b.quoted || (!data.empty() && data.back() != '\0')) data += '\0';
    data = platform::utf8ToUtf16(decode(page, data));
  }
  const std::string& expected = r.data;
  if (data != expected) fail("data");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider input(bytes, size);
  const platform::SingleByteCodePage* page =
      input.ConsumeBool() ? &platform::Windows1252() : nullptr;
  static const char* const kRoots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",
                                       "HKEY_CLASSES_ROOT", "HKEY_USERS"};
  static const DWORD kTypes[] = {REG_SZ,     REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD,
                                 REG_BINARY, REG_NONE,      REG_QWORD};
  TRegBlockFormat format(page);
  std::vector<Recorded> recorded;
  const int count = input.ConsumeIntegralInRange(1, 4);
  for (int i = 0; i < count && input.remaining_bytes() > 0; ++i) {
    Recorded r;
    r.root = kRoots[input.ConsumeIntegralInRange<std::size_t>(0, 3)];
    r.keyPath = input.ConsumeRandomLengthString(80);
    r.name = input.ConsumeRandomLengthString(40);
    r.type = input.ConsumeBool() ? kTypes[input.ConsumeIntegralInRange<std::size_t>(0, 6)]
                                 : input.ConsumeIntegral<DWORD>();
    r.data = input.ConsumeRandomLengthString(200);
    // Strings as the registry stores them; now and then not whole or unterminated.
    if ((r.type == REG_SZ || r.type == REG_EXPAND_SZ || r.type == REG_MULTI_SZ) &&
        input.ConsumeBool())
      r.data = platform::utf8ToUtf16(r.data) + std::string(2, '\0');
    // Names reach the writer through C strings: they hold no zero.
    if (r.keyPath.find('\0') != std::string::npos || r.name.find('\0') != std::string::npos)
      continue;
    try {
      format.Value(r.root, r.keyPath, r.name, r.type, r.data);
    } catch (const EBackupText&) {
      continue;
    }
    recorded.push_back(std::move(r));
  }
  if (recorded.empty()) return 0;

  Silent messages;
  TRegBackup backup(backupFile(), true, format, messages);
  for (const Recorded& r : recorded)
    backup.Add(format.Value(r.root, r.keyPath, r.name, r.type, r.data));
  if (!backup.Commit()) std::abort();
  std::ifstream in(backupFile(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<Imported> blocks = readBackup(text);
  if (blocks.size() != recorded.size()) fail("block count");
  for (std::size_t i = 0; i < recorded.size(); ++i)
    compare(page, recorded[recorded.size() - 1 - i], blocks[i]);
  return 0;
}
