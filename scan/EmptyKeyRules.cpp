#include "scan/EmptyKeyRules.h"

#include <string>
#include <vector>

#include "platform/Text.h"

namespace hw {

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() &&
         platform::equalsNoCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

bool IsClassFlagKey(HKEY root, std::string_view path) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  // The position of the class's own key among the parts.
  std::size_t classAt = parts.size();
  if (root == HKEY_CLASSES_ROOT) {
    classAt = 0;
  } else if (root == HKEY_USERS && !parts.empty() && EndsWithNoCase(parts[0], "_Classes")) {
    classAt = 1;
  } else {
    for (std::size_t i = 1; i < parts.size(); ++i) {
      if (platform::equalsNoCase(parts[i - 1], "Software") &&
          platform::equalsNoCase(parts[i], "Classes")) {
        classAt = i + 1;
        break;
      }
    }
  }
  if (classAt < parts.size() && platform::equalsNoCase(parts[classAt], "Wow6432Node")) ++classAt;
  // Below the class's key, at any depth.
  return classAt + 1 < parts.size();
}

}  // namespace hw
