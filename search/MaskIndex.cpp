#include "search/MaskIndex.h"

#include "platform/WindowsPath.h"

namespace hw {
namespace {

// Characters that make a mask more than a plain name: the wildcards and the
// quote, which the platform reads as a dot that may also match the end.
constexpr std::string_view kSpecial = "*?<>\"";

// The name a mask without wildcards matches: find-first drops its trailing
// dots and blanks. Empty when the mask is not a plain name.
std::string_view plainName(std::string_view mask) {
  if (mask.find_first_of(kSpecial) != std::string_view::npos) return {};
  while (!mask.empty() && (mask.back() == '.' || mask.back() == ' ')) mask.remove_suffix(1);
  return mask;
}

// ext of a "*.ext" mask whose ext holds no dot, wildcard or trailing blank.
std::string_view plainExtension(std::string_view mask) {
  if (mask.size() < 3 || mask[0] != '*' || mask[1] != '.') return {};
  std::string_view ext = mask.substr(2);
  if (ext.find_first_of(kSpecial) != std::string_view::npos ||
      ext.find('.') != std::string_view::npos || ext.back() == ' ')
    return {};
  return ext;
}

}  // namespace

MaskIndex::MaskIndex(std::vector<std::string> masks) : masks_(std::move(masks)) {
  for (int i = 0; i < static_cast<int>(masks_.size()); ++i) {
    std::string_view mask = masks_[i];
    if (mask.empty()) continue;
    if (std::string_view name = plainName(mask); !name.empty())
      byName_.emplace(name, i);
    else if (std::string_view ext = plainExtension(mask); !ext.empty())
      byExtension_.emplace(ext, i);
    else
      others_.push_back(i);
  }
}

void MaskIndex::Match(std::string_view name, std::vector<int>& positions) const {
  if (name.empty()) return;
  auto [first, last] = byName_.equal_range(name);
  for (auto it = first; it != last; ++it) positions.push_back(it->second);
  if (!byExtension_.empty()) {
    if (std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
      auto [from, to] = byExtension_.equal_range(name.substr(dot + 1));
      for (auto it = from; it != to; ++it) positions.push_back(it->second);
    }
  }
  for (int i : others_)
    if (platform::MatchesMask(masks_[i], name)) positions.push_back(i);
}

}  // namespace hw
