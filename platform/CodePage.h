#pragma once
// Single-byte Windows code pages ("ANSI" code pages): the 8-bit text of
// language packs and of REGEDIT4 files is turned into the core's UTF-8 and
// back. Each page maps all 256 bytes to a code point, bytes a page leaves
// undefined included (to the C1 control of the same number, as Windows does),
// so decoding never loses a byte and decode-then-encode gives the input back.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace hw::platform {

class SingleByteCodePage {
 public:
  // high[i] is the code point of byte 0x80 + i; bytes below 0x80 are ASCII.
  SingleByteCodePage(unsigned id, const std::array<char16_t, 128>& high);

  // The Windows code page number, such as 1252.
  unsigned Id() const { return id_; }

  char32_t ToUnicode(unsigned char byte) const;
  // The byte of a code point, or false when the page has none.
  bool FromUnicode(char32_t c, unsigned char& byte) const;

  // Bytes of this page to UTF-8.
  std::string Decode(std::string_view bytes) const;
  // UTF-8 to bytes of this page; characters the page cannot hold, and
  // malformed UTF-8, become '?' (Windows' default character). lossless, when
  // given, tells whether every character had its own byte.
  std::string Encode(std::string_view utf8, bool* lossless = nullptr) const;

 private:
  unsigned id_;
  std::array<char16_t, 128> high_;
  // (code point, byte) of the upper half, sorted by code point.
  std::vector<std::pair<char16_t, unsigned char>> reverse_;
};

// Western European (Windows-1252), the code page of the language packs.
const SingleByteCodePage& Windows1252();

// The page of a Windows code page number; null for a page not provided.
const SingleByteCodePage* FindCodePage(unsigned id);

}  // namespace hw::platform
