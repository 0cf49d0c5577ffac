#include "platform/wine/WineShortNames.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>
#include <vector>

#include "platform/Text.h"

namespace hw::platform {

namespace {

// Wine works on UTF-16 units: a character beyond the BMP counts twice.
std::u16string toUnits(std::string_view utf8) {
  std::u16string units;
  units.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t c = decodeUtf8(utf8, pos, true);
    if (c >= 0x10000) {
      c -= 0x10000;
      units.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
  }
  return units;
}

// The lower case of one unit as Wine's table has it: the Unicode mapping
// where the C library has it, but only where upper-casing gives the
// character back (the title-case Dz, the dotted I, the Kelvin sign stay).
char16_t lowerUnit(char16_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c - 'A' + 'a') : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  static const locale_t unicode = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  wint_t lower = c, upper = c;
  if (unicode) {
    lower = ::towlower_l(static_cast<wint_t>(c), unicode);
    upper = ::towupper_l(lower, unicode);
  } else {
    std::string text;
    appendUtf8(text, c);
    text = toLowerUtf8(text);
    std::size_t pos = 0;
    lower = decodeUtf8(text, pos);
    upper = foldCase(static_cast<char32_t>(lower));
  }
  return lower <= 0xFFFF && upper == c ? static_cast<char16_t>(lower) : c;
}

// What a short name shows in place of a character it cannot hold.
char16_t shortNameChar(char16_t c) {
  constexpr std::u16string_view kReplaced = u"*?<>|\"+=,;[] ~.";
  if (c > 0x7F || kReplaced.find(c) != std::u16string_view::npos) return u'_';
  return c >= 'a' && c <= 'z' ? static_cast<char16_t>(c - 'a' + 'A') : c;
}

bool legalUnits(std::u16string_view name, bool* blanks) {
  if (blanks) *blanks = false;
  if (name.empty() || name.size() > 12) return false;
  for (char16_t c : name)
    if (c > 0x7F) return false;
  // A leading dot is allowed only in "." and "..".
  if (name[0] == '.') return name == u"." || name == u"..";
  constexpr std::u16string_view kIllegal = u"*?<>|\"+=,;[]:/\\";
  std::size_t dot = std::u16string_view::npos;
  bool hasBlank = false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    if (c == ' ') {
      // Not first, not last, not just before the dot.
      if (i == 0 || i + 1 == name.size() || name[i + 1] == '.') return false;
      hasBlank = true;
    } else if (c == '.') {
      if (dot != std::u16string_view::npos) return false;
      dot = i;
    } else if (kIllegal.find(c) != std::u16string_view::npos) {
      return false;
    }
  }
  if (dot == std::u16string_view::npos) {
    if (name.size() > 8) return false;
  } else if (dot > 8 || name.size() - dot > 4 || dot + 1 == name.size()) {
    return false;
  }
  if (blanks) *blanks = hasBlank;
  return true;
}

}  // namespace

bool IsLegalShortName(std::string_view utf8Name, bool* blanks) {
  return legalUnits(toUnits(utf8Name), blanks);
}

std::optional<std::string> WineShortName(std::string_view utf8Name) {
  const std::u16string name = toUnits(utf8Name);
  bool blanks = false;
  if (name.empty() || (legalUnits(name, &blanks) && !blanks)) return std::nullopt;

  // A 16-bit hash of the whole name without regard to case: each unit is
  // mixed in with the one after it, the last alone.
  std::uint16_t hash = 0xBEEF;
  auto mix = [&hash](unsigned value) {
    hash = static_cast<std::uint16_t>((hash << 3) ^ (hash >> 5) ^ value);
  };
  for (std::size_t i = 0; i + 1 < name.size(); ++i)
    mix(lowerUnit(name[i]) ^ (static_cast<unsigned>(lowerUnit(name[i + 1])) << 8));
  mix(lowerUnit(name.back()));

  // The extension starts at the last dot that is neither first nor last.
  std::size_t ext = std::u16string::npos;
  for (std::size_t i = 1; i + 1 < name.size(); ++i)
    if (name[i] == '.') ext = i;

  std::u16string result;
  const std::size_t stemEnd = ext == std::u16string::npos ? name.size() : ext;
  for (std::size_t i = 0; i < 4 && i < stemEnd; ++i) result += shortNameChar(name[i]);
  // Tildes up to five characters, then the hash as three of 32 characters.
  result.append(5 - result.size(), u'~');
  constexpr std::string_view kHashChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  for (int shift : {10, 5, 0}) result += static_cast<char16_t>(kHashChars[(hash >> shift) & 31]);
  if (ext != std::u16string::npos) {
    result += u'.';
    for (std::size_t i = ext + 1; i < name.size() && i <= ext + 3; ++i)
      result += shortNameChar(name[i]);
  }
  // Every unit left is ASCII.
  return std::string(result.begin(), result.end());
}

bool MayBeHashedShortName(std::string_view name) {
  // Every hashed name has a tilde fifth and at least eight characters.
  if (name.size() < 8 || name[4] != '~') return false;
  bool blanks = false;
  return IsLegalShortName(name, &blanks) && !blanks;
}

bool ShortNameMatches(std::string_view asked, std::string_view longName) {
  if (asked.size() < 8 || asked.size() > 12) return false;
  std::optional<std::string> shortName = WineShortName(longName);
  return shortName && equalsNoCase(*shortName, asked);
}

}  // namespace hw::platform
