#pragma once
// Text helpers for registry names and data: comparison without regard to case
// (as the registry compares key and value names), UTF-8/UTF-16 conversion and
// the splitting of key paths.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hw::platform {

// Upper-case mapping of one code point for name comparison: ASCII, Latin-1,
// Latin Extended-A, Greek and Cyrillic, which covers the names found in
// registries; other code points compare exactly.
char32_t foldCase(char32_t c);

bool equalsNoCase(std::string_view a, std::string_view b);
std::size_t hashNoCase(std::string_view text);

// Registry strings are whatever programs stored, unpaired surrogates
// included. Those are carried as three-byte sequences (as WTF-8 does), so that
// text read through the UTF-8 calls and written back keeps its UTF-16 exactly;
// other malformed input becomes U+FFFD.
std::string utf16ToUtf8(std::string_view utf16le);
std::string utf8ToUtf16(std::string_view utf8);

// Decodes one UTF-8 sequence at text[pos], advancing pos; U+FFFD for a bad one.
// Encoded surrogates count as bad unless allowSurrogates is set.
char32_t decodeUtf8(std::string_view text, std::size_t& pos, bool allowSurrogates = false);
void appendUtf8(std::string& out, char32_t c);

// Length in bytes of utf16ToUtf8(utf16le), without building the string.
std::size_t utf8LengthOfUtf16(std::string_view utf16le);

// Lower-case mapping of a UTF-8 text, the inverse of foldCase's ranges.
std::string toLowerUtf8(std::string_view text);
// The first maxChars characters (code points) of text; never cuts inside a
// UTF-8 sequence.
std::string_view cutToChars(std::string_view text, std::size_t maxChars);

// Calls visit(piece) for each non-empty piece of text between separators, in
// order, until visit returns false: "a\\b\" gives a, b. Returns false when stopped.
template <typename Visit>
bool ForEachNonEmpty(std::string_view text, char separator, Visit&& visit) {
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find(separator, pos);
    if (end == std::string_view::npos) end = text.size();
    if (end > pos && !visit(text.substr(pos, end - pos))) return false;
    pos = end + 1;
  }
  return true;
}

// The same pieces, collected.
std::vector<std::string_view> SplitNonEmpty(std::string_view text, char separator);

}  // namespace hw::platform
