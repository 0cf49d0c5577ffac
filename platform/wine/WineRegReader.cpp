// Reading Wine's registry text format. The grammar and the escapes follow what
// wineserver's loader accepts; where that loader skips a bad line with a warning
// we stop with an error instead, because a line we skipped would be gone from the
// file the next time we save it.

#include <cstring>
#include <string>

#include "platform/StoreError.h"
#include "platform/wine/WineRegFile.h"

namespace hw::platform {

namespace {

constexpr std::string_view kSignature = "WINE REGISTRY Version 2";
constexpr std::string_view kRelativeTo = ";; All keys relative to ";
constexpr std::size_t npos = std::string_view::npos;

// isspace() without '\n', which never occurs inside a line.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool isHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned hexValue(char c) {
  if (c <= '9') return static_cast<unsigned>(c - '0');
  return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

std::size_t skipSpaces(std::string_view s, std::size_t p) {
  while (p < s.size() && isSpace(s[p])) ++p;
  return p;
}

// Appends one decoded UTF-8 character the way wineserver does: invalid or
// overlong sequences are dropped, characters beyond the BMP become surrogates.
void decodeUtf8Char(std::string_view s, std::size_t& p, unsigned char lead, std::u16string& out) {
  static constexpr unsigned char kMask[4] = {0x7f, 0x1f, 0x0f, 0x07};
  static constexpr unsigned kMin[4] = {0x0, 0x80, 0x800, 0x10000};
  int length = 0;
  if (lead >= 0xc2 && lead <= 0xdf)
    length = 1;
  else if (lead >= 0xe0 && lead <= 0xef)
    length = 2;
  else if (lead >= 0xf0 && lead <= 0xf4)
    length = 3;
  if (length == 0) return;
  unsigned result = lead & kMask[length];
  for (int i = 0; i < length; ++i) {
    if (p >= s.size()) return;
    unsigned char next = static_cast<unsigned char>(s[p]) ^ 0x80;
    if (next >= 0x40) return;
    result = (result << 6) | next;
    ++p;
  }
  if (result < kMin[length] || result > 0x10ffff) return;
  if (result <= 0xffff) {
    out += static_cast<char16_t>(result);
  } else {
    result -= 0x10000;
    out += static_cast<char16_t>(0xd800 | (result >> 10));
    out += static_cast<char16_t>(0xdc00 | (result & 0x3ff));
  }
}

// Decodes an escaped string from s[p] up to the first unescaped `end`, appending
// UTF-16 code units to out. Returns the position after the delimiter, npos when
// the line ends first.
std::size_t decodeEscaped(std::string_view s, std::size_t p, char end, std::u16string& out) {
  const std::size_t n = s.size();
  while (p < n && s[p] != end) {
    unsigned char ch = static_cast<unsigned char>(s[p]);
    if (ch == '\\') {
      if (++p >= n) return npos;
      char e = s[p];
      char16_t simple = 0;
      switch (e) {
        case 'a': simple = u'\a'; break;
        case 'b': simple = u'\b'; break;
        case 'e': simple = 0x1b; break;
        case 'f': simple = u'\f'; break;
        case 'n': simple = u'\n'; break;
        case 'r': simple = u'\r'; break;
        case 't': simple = u'\t'; break;
        case 'v': simple = u'\v'; break;
        default: break;
      }
      if (simple) {
        out += simple;
        ++p;
        continue;
      }
      if (e == 'x') {
        ++p;
        if (p >= n || !isHex(s[p])) {
          out += u'x';
          continue;
        }
        unsigned value = 0;
        for (int digits = 0; digits < 4 && p < n && isHex(s[p]); ++digits)
          value = value * 16 + hexValue(s[p++]);
        out += static_cast<char16_t>(value);
        continue;
      }
      if (e >= '0' && e <= '7') {
        unsigned value = static_cast<unsigned>(e - '0');
        ++p;
        for (int digits = 1; digits < 3 && p < n && s[p] >= '0' && s[p] <= '7'; ++digits)
          value = value * 8 + static_cast<unsigned>(s[p++] - '0');
        out += static_cast<char16_t>(value);
        continue;
      }
      // Any other escaped character stands for itself.
      ch = static_cast<unsigned char>(s[p]);
    }
    ++p;
    if (ch < 0x80)
      out += static_cast<char16_t>(ch);
    else
      decodeUtf8Char(s, p, ch, out);
  }
  return p < n ? p + 1 : npos;
}

std::string unitsToUtf16le(const std::u16string& units) {
  std::string bytes;
  bytes.resize(units.size() * 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    bytes[2 * i] = static_cast<char>(units[i] & 0xff);
    bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  return bytes;
}

std::string unitsToUtf8(const std::u16string& units, std::size_t from, std::size_t to) {
  bool ascii = true;
  for (std::size_t i = from; i < to && ascii; ++i) ascii = units[i] < 0x80;
  std::string text;
  if (ascii) {
    text.reserve(to - from);
    for (std::size_t i = from; i < to; ++i) text += static_cast<char>(units[i]);
    return text;
  }
  return utf16ToUtf8(unitsToUtf16le(units.substr(from, to - from)));
}

// Text that needs no decoding: no backslash, no byte above 127, up to `end`.
// Returns the delimiter's position, or npos when the text is not that simple.
std::size_t plainUpTo(std::string_view s, std::size_t p, char end) {
  for (; p < s.size(); ++p) {
    unsigned char ch = static_cast<unsigned char>(s[p]);
    if (ch == static_cast<unsigned char>(end)) return p;
    if (ch == '\\' || ch >= 0x80) return npos;
  }
  return npos;
}

class Reader {
 public:
  Reader(RegistryStore& store, KeyNode& base, std::string_view text, const std::string& fileName)
      : store_(store), base_(base), text_(text), fileName_(fileName) {}

  WineRegLayout run();

 private:
  struct PathEntry {
    std::string name;
    KeyNode* node;
  };

  bool nextLine();
  [[noreturn]] void fail(const std::string& problem) const;
  void readGlobalOption(std::string_view option);
  void startKey(std::size_t begin, std::size_t p);
  void finishKey();
  void splitPath(std::size_t p, std::size_t& after);
  void readKeyOption(std::string_view option);
  void readValue(std::size_t p);
  std::string readName(std::size_t& p, char end);
  std::string readHex(std::size_t p);

  RegistryStore& store_;
  KeyNode& base_;
  std::string_view text_;
  const std::string& fileName_;
  WineRegLayout layout_;

  std::size_t pos_ = 0;        // start of the next line
  std::size_t lineStart_ = 0;  // start of the current line
  std::string_view line_;
  int lineNo_ = 0;

  KeyNode* key_ = nullptr;  // the key whose block is being read
  bool ownsBlock_ = false;  // the block is the key's first
  FileTicks blockTime_ = 0;

  std::vector<std::string> components_;
  std::size_t componentCount_ = 0;
  std::vector<PathEntry> path_;  // the previous key's path, to skip shared prefixes
  std::size_t pathDepth_ = 0;
  std::u16string units_;
};

bool Reader::nextLine() {
  if (pos_ >= text_.size()) return false;
  lineStart_ = pos_;
  const char* start = text_.data() + pos_;
  const void* newline = std::memchr(start, '\n', text_.size() - pos_);
  std::size_t end = newline
                        ? static_cast<std::size_t>(static_cast<const char*>(newline) - text_.data())
                        : text_.size();
  pos_ = newline ? end + 1 : end;
  if (end > lineStart_ && text_[end - 1] == '\r') --end;
  line_ = text_.substr(lineStart_, end - lineStart_);
  ++lineNo_;
  return true;
}

void Reader::fail(const std::string& problem) const {
  throw StoreError(fileName_ + ":" + std::to_string(lineNo_) + ": " + problem);
}

WineRegLayout Reader::run() {
  if (!nextLine() || line_ != kSignature)
    fail("not a Wine registry file (the first line is not \"WINE REGISTRY Version 2\")");
  std::size_t blankStart = npos;
  layout_.headerEnd = text_.size();
  while (nextLine()) {
    std::size_t p = skipSpaces(line_, 0);
    if (p == line_.size()) {
      if (blankStart == npos) blankStart = lineStart_;
      continue;
    }
    char first = line_[p];
    if (first == '[') {
      startKey(blankStart != npos ? blankStart : lineStart_, p + 1);
      blankStart = npos;
      continue;
    }
    blankStart = npos;
    switch (first) {
      case ';': break;
      case '#':
        if (key_)
          readKeyOption(line_.substr(p));
        else
          readGlobalOption(line_.substr(p));
        break;
      case '@':
      case '"':
        if (!key_) fail("value outside a key");
        readValue(p);
        break;
      default: fail("unrecognised line");
    }
  }
  finishKey();
  if (!layout_.blocks.empty()) layout_.blocks.back().end = text_.size();
  return std::move(layout_);
}

void Reader::readGlobalOption(std::string_view option) {
  constexpr std::string_view kArch = "#arch=";
  if (option.substr(0, kArch.size()) != kArch) return;  // unknown options are ignored, as by Wine
  std::string_view arch = option.substr(kArch.size());
  while (!arch.empty() && isSpace(arch.back())) arch.remove_suffix(1);
  if (arch != "win32" && arch != "win64")
    fail("unknown architecture \"" + std::string(arch) + "\"");
  layout_.arch = std::string(arch);
}

void Reader::startKey(std::size_t begin, std::size_t p) {
  finishKey();
  if (layout_.blocks.empty())
    layout_.headerEnd = begin;
  else
    layout_.blocks.back().end = begin;

  std::size_t after = 0;
  splitPath(p, after);
  KeyNode* node = &base_;
  std::size_t depth = 0;
  while (depth < componentCount_ && depth < pathDepth_ && path_[depth].name == components_[depth]) {
    node = path_[depth].node;
    ++depth;
  }
  if (path_.size() < componentCount_) path_.resize(componentCount_);
  for (; depth < componentCount_; ++depth) {
    const std::string& name = components_[depth];
    KeyNode* child = node->findChild(name);
    node = child ? child : store_.loadChild(*node, name);
    path_[depth].name = name;
    path_[depth].node = node;
  }
  pathDepth_ = componentCount_;

  // "] seconds": the write time in seconds since 1970, used when #time is absent.
  std::size_t q = skipSpaces(line_, after);
  blockTime_ = store_.now();
  if (q < line_.size()) {
    std::uint64_t seconds = 0;
    std::size_t digits = 0;
    while (q < line_.size() && line_[q] >= '0' && line_[q] <= '9' && digits < 10) {
      seconds = seconds * 10 + static_cast<unsigned>(line_[q++] - '0');
      ++digits;
    }
    if (digits == 0 || seconds > 0xFFFFFFFFu || skipSpaces(line_, q) != line_.size())
      fail("malformed key line (expected \"[path] seconds\")");
    blockTime_ = ticksFromUnixSeconds(static_cast<std::int64_t>(seconds));
  }

  key_ = node;
  WineRegBlock block;
  block.begin = begin;
  ownsBlock_ = node->origin == KeyNode::kNoOrigin;
  if (ownsBlock_) node->origin = static_cast<std::uint32_t>(layout_.blocks.size());
  block.primary = node->origin;
  layout_.blocks.push_back(block);
}

void Reader::finishKey() {
  if (!key_) return;
  if (ownsBlock_) key_->lastWrite = blockTime_;
  // Keys that exist only through their subkeys take the time of the first one.
  auto above = [this](KeyNode* node) { return node == &base_ ? nullptr : node->parent(); };
  for (KeyNode* up = key_; up && (up == key_ || up->lastWrite == 0); up = above(up))
    if (up->lastWrite == 0) up->lastWrite = blockTime_;
  key_ = nullptr;
}

// Splits the key path that starts at line_[p] into components_ and sets
// `after` to the position past the closing ']'. Empty components are skipped.
void Reader::splitPath(std::size_t p, std::size_t& after) {
  componentCount_ = 0;
  auto add = [this](auto&& assign) {
    if (components_.size() <= componentCount_) components_.emplace_back();
    assign(components_[componentCount_++]);
  };
  // Most paths are plain ASCII whose only escapes are the "\\" separators.
  std::size_t q = p;
  bool plain = true;
  while (q < line_.size() && line_[q] != ']') {
    unsigned char ch = static_cast<unsigned char>(line_[q]);
    if (ch == '\\' && q + 1 < line_.size() && line_[q + 1] == '\\') {
      q += 2;
      continue;
    }
    if (ch == '\\' || ch >= 0x80) {
      plain = false;
      break;
    }
    ++q;
  }
  if (plain) {
    if (q >= line_.size()) fail("malformed key line (no closing ']')");
    std::string_view path = line_.substr(p, q - p);
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t sep = path.find("\\\\", start);
      if (sep == npos) sep = path.size();
      if (sep > start) add([&](std::string& s) { s.assign(path.substr(start, sep - start)); });
      start = sep + 2;
    }
    after = q + 1;
    return;
  }
  units_.clear();
  after = decodeEscaped(line_, p, ']', units_);
  if (after == npos) fail("malformed key line (no closing ']')");
  std::size_t start = 0;
  while (start <= units_.size()) {
    std::size_t sep = units_.find(u'\\', start);
    if (sep == std::u16string::npos) sep = units_.size();
    if (sep > start) add([&](std::string& s) { s = unitsToUtf8(units_, start, sep); });
    start = sep + 1;
  }
}

void Reader::readKeyOption(std::string_view option) {
  if (option.substr(0, 6) == "#time=") {
    std::size_t p = 6;
    FileTicks ticks = 0;
    std::size_t digits = 0;
    while (p < option.size() && isHex(option[p]) && digits < 16) {
      ticks = (ticks << 4) | hexValue(option[p++]);
      ++digits;
    }
    if (digits == 0 || skipSpaces(option, p) != option.size()) fail("malformed #time line");
    blockTime_ = ticks;
  } else if (option.substr(0, 7) == "#class=") {
    if (option.size() < 8 || option[7] != '"') fail("malformed #class line");
    units_.clear();
    std::size_t after = decodeEscaped(option, 8, '"', units_);
    if (after == npos || skipSpaces(option, after) != option.size()) fail("malformed #class line");
    key_->className = unitsToUtf8(units_, 0, units_.size());
    key_->hasClass = true;
  } else if (option.substr(0, 5) == "#link") {
    key_->isLink = true;
  }
  // Other options are ignored, as by Wine.
}

// A value name from line_[p] (just past its opening quote) to `end`.
std::string Reader::readName(std::size_t& p, char end) {
  std::size_t close = plainUpTo(line_, p, end);
  if (close != npos) {
    std::string name(line_.substr(p, close - p));
    p = close + 1;
    return name;
  }
  units_.clear();
  p = decodeEscaped(line_, p, end, units_);
  if (p == npos) fail("malformed value name (no closing quote)");
  return unitsToUtf8(units_, 0, units_.size());
}

void Reader::readValue(std::size_t p) {
  std::string name;
  if (line_[p] == '@') {
    ++p;
  } else {
    ++p;
    name = readName(p, '"');
  }
  p = skipSpaces(line_, p);
  if (p >= line_.size() || line_[p] != '=') fail("malformed value (no '=' after the name)");
  p = skipSpaces(line_, p + 1);

  std::string_view rest = line_.substr(p);
  auto startsWith = [&](std::string_view tag) { return rest.substr(0, tag.size()) == tag; };
  DWORD type = REG_SZ;
  std::size_t stringStart = npos;
  if (startsWith("\""))
    stringStart = p + 1;
  else if (startsWith("str:\""))
    stringStart = p + 5;
  else if (startsWith("str(2):\""))
    type = REG_EXPAND_SZ, stringStart = p + 8;
  else if (startsWith("str(7):\""))
    type = REG_MULTI_SZ, stringStart = p + 8;

  std::string data;
  if (stringStart != npos) {
    units_.clear();
    std::size_t after = decodeEscaped(line_, stringStart, '"', units_);
    if (after == npos) fail("unterminated string");
    if (skipSpaces(line_, after) != line_.size()) fail("unexpected text after the string");
    units_ += u'\0';  // stored with its terminating zero, as Windows holds strings
    data = unitsToUtf16le(units_);
  } else if (startsWith("dword:")) {
    type = REG_DWORD;
    std::size_t q = skipSpaces(line_, p + 6);
    std::uint32_t value = 0;
    std::size_t digits = 0;
    while (q < line_.size() && isHex(line_[q])) {
      value = (value << 4) | hexValue(line_[q++]);
      ++digits;
    }
    if (digits == 0 || digits > 8 || skipSpaces(line_, q) != line_.size())
      fail("malformed dword value");
    data.resize(4);
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xff);
  } else if (startsWith("hex:")) {
    type = REG_BINARY;
    data = readHex(p + 4);
  } else if (startsWith("hex(")) {
    std::size_t q = p + 4;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    while (q < line_.size() && isHex(line_[q]) && digits <= 8) {
      value = (value << 4) | hexValue(line_[q++]);
      ++digits;
    }
    if (digits == 0 || digits > 8 || line_.substr(q, 2) != "):") fail("malformed value type");
    type = static_cast<DWORD>(value);
    data = readHex(q + 2);
  } else {
    fail("unknown value type");
  }
  store_.loadValue(*key_, name, type, std::move(data));
}

// Comma-separated hex bytes from line_[p], continued over lines that end in a
// backslash.
std::string Reader::readHex(std::size_t p) {
  std::string data;
  data.reserve((line_.size() - p + 1) / 3);
  for (;;) {
    std::string_view s = line_;
    p = skipSpaces(s, p);
    while (p < s.size() && isHex(s[p])) {
      unsigned value = 0;
      std::size_t digits = 0;
      while (p < s.size() && isHex(s[p])) {
        value = value * 16 + hexValue(s[p++]);
        if (++digits > 2 && value > 0xff) fail("malformed hex data (byte out of range)");
      }
      data += static_cast<char>(value);
      p = skipSpaces(s, p);
      if (p < s.size() && s[p] == ',') ++p;
      p = skipSpaces(s, p);
    }
    if (p >= s.size()) return data;
    if (s[p] != '\\' || skipSpaces(s, p + 1) != s.size()) fail("malformed hex data");
    if (!nextLine()) fail("hex data continued past the end of the file");
    p = 0;
  }
}

}  // namespace

std::string wineRegRelativeTo(std::string_view text) {
  std::size_t first = text.find('\n');
  if (first == npos) return {};
  std::size_t begin = first + 1;
  std::size_t end = text.find('\n', begin);
  std::string_view line = text.substr(begin, end == npos ? npos : end - begin);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.substr(0, kRelativeTo.size()) != kRelativeTo) return {};
  line.remove_prefix(kRelativeTo.size());
  std::u16string units;
  std::string padded(line);
  padded += '\n';  // a delimiter that cannot occur inside the line
  if (decodeEscaped(padded, 0, '\n', units) == npos) return {};
  return unitsToUtf8(units, 0, units.size());
}

std::string wineRegSidOf(std::string_view relativeTo) {
  std::size_t start = 0;
  bool afterUser = false;
  while (start <= relativeTo.size()) {
    std::size_t sep = relativeTo.find('\\', start);
    if (sep == npos) sep = relativeTo.size();
    std::string_view component = relativeTo.substr(start, sep - start);
    if (!component.empty()) {
      if (afterUser) return std::string(component);
      afterUser = equalsNoCase(component, "User");
    }
    start = sep + 1;
  }
  return {};
}

WineRegLayout readWineRegistry(RegistryStore& store, KeyNode& base, std::string_view text,
                               const std::string& fileName) {
  return Reader(store, base, text, fileName).run();
}

}  // namespace hw::platform
