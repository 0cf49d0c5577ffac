#pragma once
// Find-first masks prepared for testing many names against many masks at
// once: exact names and "*.ext" masks are looked up by hash, so a folder is
// matched against a thousand masks in about the time of one; other masks are
// tried one by one with the platform's matching.

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/Text.h"

namespace hw {

class MaskIndex {
 public:
  // Empty masks never match. The index keeps copies of the masks.
  explicit MaskIndex(std::vector<std::string> masks);
  MaskIndex(const MaskIndex&) = delete;
  MaskIndex& operator=(const MaskIndex&) = delete;

  // Appends the positions of the masks that name matches, in no set order.
  void Match(std::string_view name, std::vector<int>& positions) const;

 private:
  struct NoCaseHash {
    std::size_t operator()(std::string_view text) const { return platform::hashNoCase(text); }
  };
  struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const {
      return platform::equalsNoCase(a, b);
    }
  };
  using Lookup = std::unordered_multimap<std::string_view, int, NoCaseHash, NoCaseEqual>;

  std::vector<std::string> masks_;
  Lookup byName_;       // masks without wildcards, by the name they match
  Lookup byExtension_;  // "*.ext" masks, by ext
  std::vector<int> others_;
};

}  // namespace hw
