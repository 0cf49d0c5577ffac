#pragma once
// The entries of one language pack file: lines "name=value" in an 8-bit code
// page. Names are matched without regard to case and the first line with a
// name wins; a blank before "=" belongs to the name. Lines without "=" (blank
// lines, section headers, comments) define nothing.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Text.h"

namespace hw {

class TLangPack {
 public:
  // Reads the bytes of a pack file (CR LF or LF line ends) and decodes them
  // from page to UTF-8. Values are cut to 255 characters.
  static TLangPack Parse(std::string_view bytes,
                         const platform::SingleByteCodePage& page = platform::Windows1252());

  // The value of the entry, null when no line names it.
  const std::string* Find(std::string_view name) const;
  // The value of the entry, empty when no line names it.
  std::string Value(std::string_view name) const;

  // The numbered texts of a kind ('I' interface texts, 'M' messages): index 0
  // holds the count entry as written and index n the entry kind + n, empty
  // where missing. No texts at all when the count entry is missing or not a
  // decimal number up to kMaxNumber: a broken pack must not stop the program.
  std::vector<std::string> NumberedTexts(char kind) const;
  // Whether the pack can be put in use: it has at least one count entry, and
  // each count entry it has is a decimal number up to kMaxNumber. A count
  // that is no number would turn every text of its kind into the
  // missing-text phrase.
  bool CountsValid() const;

  static constexpr std::size_t kMaxValueChars = 255;
  // Well above any pack's highest number; a larger count is taken as garbage
  // rather than as a reason to allocate millions of empty texts.
  static constexpr int kMaxNumber = 9999;

 private:
  struct NoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return platform::hashNoCase(text); }
  };
  struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
      return platform::equalsNoCase(a, b);
    }
  };

  std::unordered_map<std::string, std::string, NoCaseHash, NoCaseEqual> entries_;
};

// The decimal number of a count entry: digits only, surrounding blanks
// allowed; -1 when it is not such a number or exceeds maxValue.
int ParseCount(std::string_view text, int maxValue);

}  // namespace hw
