// Writing Wine's registry text format the way wineserver writes it (its
// save_subkeys and dump_value), so that a block we rewrite reads the same to
// Wine and looks like the blocks around it.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/wine/WineRegFile.h"

namespace hw::platform {

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicks1601To1970 = 116444736000000000;

bool isAsciiHexDigit(char16_t c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

template <typename Unit>
void escapeUnits(std::string& out, std::size_t count, Unit unit, std::string_view quote) {
  static constexpr char kEscapes[] = ".......abtnvfr.............e....";
  char buffer[16];
  for (std::size_t i = 0; i < count; ++i) {
    char16_t c = unit(i);
    bool hasNext = i + 1 < count;
    char16_t next = hasNext ? unit(i + 1) : 0;
    if (c > 127) {
      // Four digits when a hex digit follows, so that it is not read as part of the escape.
      bool pad = hasNext && next < 128 && isAsciiHexDigit(next);
      int n = std::snprintf(buffer, sizeof buffer, pad ? "\\x%04x" : "\\x%x", unsigned{c});
      out.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (c < 32) {
      if (kEscapes[c] != '.') {
        out += '\\';
        out += kEscapes[c];
      } else {
        bool pad = hasNext && next >= '0' && next <= '7';
        int n = std::snprintf(buffer, sizeof buffer, pad ? "\\%03o" : "\\%o", unsigned{c});
        out.append(buffer, static_cast<std::size_t>(n));
      }
      continue;
    }
    if (c == '\\' || c == static_cast<unsigned char>(quote[0]) ||
        c == static_cast<unsigned char>(quote[1]))
      out += '\\';
    out += static_cast<char>(c);
  }
}

// Escapes a UTF-8 name; names are nearly always ASCII, which needs no conversion.
void appendEscapedName(std::string& out, std::string_view name, std::string_view quote) {
  bool ascii = true;
  for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    escapeUnits(
        out, name.size(), [&](std::size_t i) { return static_cast<char16_t>(name[i]); }, quote);
    return;
  }
  appendWineEscaped(out, utf8ToUtf16(name), quote);
}

void appendHexByte(std::string& out, unsigned char byte) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0xf];
}

void appendValue(std::string& out, const RegValue& value) {
  const std::size_t start = out.size();
  if (!value.name.empty()) {
    out += '"';
    appendEscapedName(out, value.name, "\"\"");
    out += "\"=";
  } else {
    out += "@=";
  }
  const std::string& data = value.data;
  char buffer[32];
  switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
      // Only properly terminated strings are written as strings.
      if (data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == 0 &&
          data[data.size() - 2] == 0) {
        if (value.type != REG_SZ) {
          int n = std::snprintf(buffer, sizeof buffer, "str(%x):", unsigned{value.type});
          out.append(buffer, static_cast<std::size_t>(n));
        }
        out += '"';
        appendWineEscaped(out, std::string_view(data).substr(0, data.size() - 2), "\"\"");
        out += "\"\n";
        return;
      }
      break;
    case REG_DWORD:
      if (data.size() == 4) {
        std::uint32_t dw = 0;
        for (int i = 3; i >= 0; --i) dw = (dw << 8) | static_cast<unsigned char>(data[i]);
        int n = std::snprintf(buffer, sizeof buffer, "dword:%08x\n", unsigned{dw});
        out.append(buffer, static_cast<std::size_t>(n));
        return;
      }
      break;
    default: break;
  }
  if (value.type == REG_BINARY) {
    out += "hex:";
  } else {
    int n = std::snprintf(buffer, sizeof buffer, "hex(%x):", unsigned{value.type});
    out.append(buffer, static_cast<std::size_t>(n));
  }
  // Lines are wrapped where wineserver wraps them.
  std::size_t count = out.size() - start;
  for (std::size_t i = 0; i < data.size(); ++i) {
    appendHexByte(out, static_cast<unsigned char>(data[i]));
    count += 2;
    if (i + 1 < data.size()) {
      out += ',';
      if (++count > 76) {
        out += "\\\n  ";
        count = 2;
      }
    }
  }
  out += '\n';
}

}  // namespace

void appendWineEscaped(std::string& out, std::string_view utf16le, std::string_view quote) {
  escapeUnits(
      out, utf16le.size() / 2,
      [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * i]) |
                                     (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8));
      },
      quote);
}

bool wineNeedsBlock(const KeyNode& key) {
  return key.valueCount() > 0 || key.childCount() == 0 || key.hasClass || key.isLink;
}

void appendWineHeader(std::string& out, std::string_view relativeTo, std::string_view arch) {
  out += "WINE REGISTRY Version 2\n;; All keys relative to ";
  std::size_t start = 0;
  bool first = true;
  while (start <= relativeTo.size()) {
    std::size_t sep = relativeTo.find('\\', start);
    if (sep == std::string_view::npos) sep = relativeTo.size();
    if (sep > start) {
      if (!first) out += "\\\\";
      appendEscapedName(out, relativeTo.substr(start, sep - start), "[]");
      first = false;
    }
    start = sep + 1;
  }
  out += '\n';
  if (!arch.empty()) {
    out += "\n#arch=";
    out += arch;
    out += '\n';
  }
}

void appendWineKeyBlock(std::string& out, const KeyNode& key, const KeyNode& base) {
  out += "\n[";
  std::vector<const KeyNode*> chain;
  for (const KeyNode* node = &key; node && node != &base; node = node->parent())
    chain.push_back(node);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (it != chain.rbegin()) out += "\\\\";
    appendEscapedName(out, (*it)->name(), "[]");
  }
  // Signed like wineserver's, but subtracted without overflow: a #time with its
  // top bit set (which a file may carry) wraps instead of being undefined.
  const auto sinceEpoch =
      static_cast<std::int64_t>(key.lastWrite - static_cast<std::uint64_t>(kTicks1601To1970));
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, "] %u\n#time=%x%08x\n",
                        static_cast<unsigned>(sinceEpoch / kTicksPerSecond),
                        static_cast<unsigned>(key.lastWrite >> 32),
                        static_cast<unsigned>(key.lastWrite & 0xFFFFFFFFu));
  out.append(buffer, static_cast<std::size_t>(n));
  if (key.hasClass) {
    out += "#class=\"";
    appendWineEscaped(out, utf8ToUtf16(key.className), "\"\"");
    out += "\"\n";
  }
  if (key.isLink) out += "#link\n";
  for (std::size_t i = 0; i < key.valueCount(); ++i) appendValue(out, key.value(i));
}

}  // namespace hw::platform
