#include "scan/AnalyzSet.h"

#include "platform/Text.h"

namespace hw {

std::string_view TrimChar(std::string_view text, char c) {
  while (!text.empty() && text.front() == c) text.remove_prefix(1);
  while (!text.empty() && text.back() == c) text.remove_suffix(1);
  return text;
}

int TAnalyzSet::IndexOfExcluded(std::string_view keyText, std::string_view valueName) const {
  std::string_view key = TrimChar(keyText, '\\');
  if (key.empty()) return -1;
  std::string test = "\\" + platform::toLowerUtf8(key) + "\\";
  if (!valueName.empty()) test += platform::toLowerUtf8(valueName) + "\\";
  lowered_.resize(Items.size());
  for (std::size_t i = 0; i < Items.size(); ++i) {
    if (Items[i].empty()) continue;
    if (lowered_[i].source != Items[i]) lowered_[i] = {Items[i], platform::toLowerUtf8(Items[i])};
    if (test.find(lowered_[i].lower) != std::string::npos) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace hw
