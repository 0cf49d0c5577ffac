#include "platform/CodePage.h"

#include <algorithm>

#include "platform/Text.h"

namespace hw::platform {

namespace {

// 0x80-0x9F as Windows maps them; 0xA0-0xFF equal Latin-1. The five bytes
// 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their C1 code point.
constexpr std::array<char16_t, 128> kWindows1252High = [] {
  std::array<char16_t, 128> high{};
  constexpr char16_t c1[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
  };
  for (std::size_t i = 0; i < 32; ++i) high[i] = c1[i];
  for (std::size_t i = 32; i < 128; ++i) high[i] = static_cast<char16_t>(0x80 + i);
  return high;
}();

}  // namespace

SingleByteCodePage::SingleByteCodePage(unsigned id, const std::array<char16_t, 128>& high)
    : id_(id), high_(high) {
  reverse_.reserve(high_.size());
  for (std::size_t i = 0; i < high_.size(); ++i)
    if (high_[i] >= 0x80) reverse_.emplace_back(high_[i], static_cast<unsigned char>(0x80 + i));
  std::sort(reverse_.begin(), reverse_.end());
}

char32_t SingleByteCodePage::ToUnicode(unsigned char byte) const {
  return byte < 0x80 ? char32_t{byte} : char32_t{high_[byte - 0x80]};
}

bool SingleByteCodePage::FromUnicode(char32_t c, unsigned char& byte) const {
  if (c < 0x80) {
    byte = static_cast<unsigned char>(c);
    return true;
  }
  if (c > 0xFFFF) return false;
  auto it = std::lower_bound(reverse_.begin(), reverse_.end(),
                             std::pair<char16_t, unsigned char>(static_cast<char16_t>(c), 0));
  if (it == reverse_.end() || it->first != c) return false;
  byte = it->second;
  return true;
}

std::string SingleByteCodePage::Decode(std::string_view bytes) const {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x80)
      out += ch;
    else
      appendUtf8(out, ToUnicode(byte));
  }
  return out;
}

std::string SingleByteCodePage::Encode(std::string_view utf8, bool* lossless) const {
  std::string out;
  out.reserve(utf8.size());
  bool exact = true;
  for (std::size_t pos = 0; pos < utf8.size();) {
    if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
      out += utf8[pos++];
      continue;
    }
    unsigned char byte = 0;
    if (FromUnicode(decodeUtf8(utf8, pos), byte)) {
      out += static_cast<char>(byte);
    } else {
      out += '?';
      exact = false;
    }
  }
  if (lossless) *lossless = exact;
  return out;
}

const SingleByteCodePage& Windows1252() {
  static const SingleByteCodePage page(1252, kWindows1252High);
  return page;
}

const SingleByteCodePage* FindCodePage(unsigned id) {
  return id == 1252 ? &Windows1252() : nullptr;
}

}  // namespace hw::platform
