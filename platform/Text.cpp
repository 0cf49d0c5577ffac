#include "platform/Text.h"

namespace hw::platform {

namespace {

bool isAscii(std::string_view text) {
  for (char ch : text)
    if (static_cast<unsigned char>(ch) >= 0x80) return false;
  return true;
}

char asciiUpper(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 0x20) : ch; }

char32_t lowerCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c == 0x178) return 0xFF;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
      c != 0x17F) {
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return (c % 2 == 1) ? c + 1 : c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

}  // namespace

char32_t foldCase(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
      c != 0x17F) {
    // Latin Extended-A pairs: even upper, odd lower, except the two runs that
    // start on an odd code point.
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return (c % 2 == 0) ? c - 1 : c;
    return (c % 2 == 1) ? c - 1 : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

char32_t decodeUtf8(std::string_view text, std::size_t& pos, bool allowSurrogates) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || lead > 0xF4 || pos + extra >= text.size()) {
    ++pos;
    return 0xFFFD;
  }
  char32_t c = lead & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    c = (c << 6) | (next & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  pos += extra + 1;
  if (c < kMin[extra] || c > 0x10FFFF) return 0xFFFD;
  if (c >= 0xD800 && c <= 0xDFFF && !allowSurrogates) return 0xFFFD;
  return c;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  // foldCase maps only between code points of the same UTF-8 length, so texts
  // of different lengths never match.
  if (a.size() != b.size()) return false;
  auto byte = [](std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); };
  // Lookups mostly compare names spelled alike or differing in ASCII letters.
  std::size_t i = 0;
  for (; i < a.size(); ++i) {
    unsigned char ca = byte(a, i), cb = byte(b, i);
    if (ca == cb) continue;
    if (ca >= 0x80 || cb >= 0x80) break;
    if (asciiUpper(static_cast<char>(ca)) != asciiUpper(static_cast<char>(cb))) return false;
  }
  if (i == a.size()) return true;
  // Back to the start of the sequence the texts differ in (alike up to here).
  auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
  while (i > 0 && (continuation(byte(a, i)) || continuation(byte(b, i)))) --i;
  std::size_t j = i;
  while (i < a.size() && j < b.size()) {
    if (byte(a, i) < 0x80 && byte(b, j) < 0x80) {
      if (asciiUpper(a[i]) != asciiUpper(b[j])) return false;
      ++i;
      ++j;
      continue;
    }
    if (foldCase(decodeUtf8(a, i)) != foldCase(decodeUtf8(b, j))) return false;
  }
  return i == a.size() && j == b.size();
}

std::size_t hashNoCase(std::string_view text) {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  auto mix = [&](std::uint32_t v) {
    hash ^= v;
    hash *= 1099511628211ull;
  };
  if (isAscii(text)) {
    for (char ch : text) mix(static_cast<unsigned char>(asciiUpper(ch)));
  } else {
    for (std::size_t i = 0; i < text.size();) mix(foldCase(decodeUtf8(text, i)));
  }
  return static_cast<std::size_t>(hash);
}

std::string utf16ToUtf8(std::string_view utf16le) {
  std::string out;
  out.reserve(utf16le.size() / 2);
  std::size_t units = utf16le.size() / 2;
  auto unit = [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * i]) |
                                 (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8));
  };
  for (std::size_t i = 0; i < units; ++i) {
    char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    }
    appendUtf8(out, c);
  }
  return out;
}

std::string utf8ToUtf16(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  auto put = [&](char16_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  };
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = decodeUtf8(utf8, i, true);
    if (c >= 0x10000) {
      c -= 0x10000;
      put(static_cast<char16_t>(0xD800 + (c >> 10)));
      put(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      put(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::size_t utf8LengthOfUtf16(std::string_view utf16le) {
  std::size_t units = utf16le.size() / 2;
  std::size_t length = 0;
  for (std::size_t i = 0; i < units; ++i) {
    unsigned u = static_cast<unsigned char>(utf16le[2 * i]) |
                 (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8);
    if (u < 0x80) {
      length += 1;
    } else if (u < 0x800) {
      length += 2;
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units &&
               (static_cast<unsigned char>(utf16le[2 * i + 3]) & 0xFC) == 0xDC) {
      length += 4;
      ++i;
    } else {
      length += 3;
    }
  }
  return length;
}

std::string toLowerUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += static_cast<char>(lowerCase(byte));
      ++i;
      continue;
    }
    std::size_t start = i;
    char32_t c = decodeUtf8(text, i);
    char32_t lower = lowerCase(c);
    if (lower == c)
      out.append(text.substr(start, i - start));  // keeps even malformed bytes as they were
    else
      appendUtf8(out, lower);
  }
  return out;
}

std::string_view cutToChars(std::string_view text, std::size_t maxChars) {
  if (text.size() <= maxChars) return text;  // no more characters than bytes
  std::size_t pos = 0;
  for (std::size_t count = 0; count < maxChars && pos < text.size(); ++count) decodeUtf8(text, pos);
  return text.substr(0, pos);
}

std::vector<std::string_view> SplitNonEmpty(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  ForEachNonEmpty(text, separator, [&](std::string_view piece) {
    pieces.push_back(piece);
    return true;
  });
  return pieces;
}

}  // namespace hw::platform
