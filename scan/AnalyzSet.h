#pragma once
// One category's exclusion list: registry locations whose findings are never
// reported, written \key\path\ or \key\path\value\ and matched as lower-cased
// substrings of the location being judged.

#include <string>
#include <string_view>
#include <vector>

namespace hw {

struct TAnalyzSet {
  std::vector<std::string> Items;

  // Position of the first entry contained in the location, or -1. A key text
  // that is empty once its backslashes are trimmed is never excluded.
  int IndexOfExcluded(std::string_view keyText, std::string_view valueName) const;

 private:
  // Items lower-cased, kept beside their source text so that edits of Items
  // are noticed; the scan asks for every value it meets.
  struct Lowered {
    std::string source;
    std::string lower;
  };
  mutable std::vector<Lowered> lowered_;
};

// Removes every leading and trailing backslash (or other character c).
std::string_view TrimChar(std::string_view text, char c);

}  // namespace hw
