// Which kind of program a key's paths come from: below the 32-bit view of the
// software and classes keys (Wow6432Node) only 32-bit programs write.

#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "scan/AnalyzClass.h"

namespace hw {

namespace {

bool Is(const std::vector<std::string_view>& names, std::size_t i, std::string_view name) {
  return i < names.size() && platform::equalsNoCase(names[i], name);
}

// Whether the names from i on are Classes\Wow6432Node.
bool ClassesView32(const std::vector<std::string_view>& names, std::size_t i) {
  return Is(names, i, "Classes") && Is(names, i + 1, "Wow6432Node");
}

}  // namespace

platform::RegistryView ViewOfKey(HKEY root, std::string_view keyPath) {
  // Most keys are not below a 32-bit view; they cost one pass over the text.
  constexpr std::string_view kView = "wow6432node";
  bool named = false;
  for (std::size_t i = 0; !named && i + kView.size() <= keyPath.size(); ++i) {
    std::size_t k = 0;
    while (k < kView.size() && (keyPath[i + k] | 0x20) == kView[k]) ++k;
    named = k == kView.size();
  }
  if (!named) return platform::RegistryView::Either;
  const std::vector<std::string_view> names = platform::SplitNonEmpty(keyPath, '\\');
  bool view32 = false;
  if (root == HKEY_CLASSES_ROOT) {
    view32 = Is(names, 0, "Wow6432Node");
  } else if (root == HKEY_LOCAL_MACHINE) {
    view32 = Is(names, 0, "Software") && (Is(names, 1, "Wow6432Node") || ClassesView32(names, 1));
  } else if (root == HKEY_CURRENT_USER) {
    view32 = Is(names, 0, "Software") && ClassesView32(names, 1);
  } else if (root == HKEY_USERS && !names.empty()) {
    // A user's hive, or the classes hive beside it (<SID>_Classes).
    const std::string_view user = names[0];
    constexpr std::string_view kClasses = "_Classes";
    const bool classesHive =
        user.size() > kClasses.size() &&
        platform::equalsNoCase(user.substr(user.size() - kClasses.size()), kClasses);
    view32 = classesHive ? Is(names, 1, "Wow6432Node")
                         : Is(names, 1, "Software") && ClassesView32(names, 2);
  }
  return view32 ? platform::RegistryView::Wow32 : platform::RegistryView::Either;
}

}  // namespace hw
