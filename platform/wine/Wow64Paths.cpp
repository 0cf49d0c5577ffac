#include "platform/wine/Wow64Paths.h"

#include <array>
#include <vector>

#include "platform/Text.h"
#include "platform/WindowsPath.h"

namespace hw::platform {

namespace {

// Folders below system32 that Wine does not redirect (as Wine spells them).
constexpr std::array<std::array<std::string_view, 2>, 6> kShared = {{{"catroot", ""},
                                                                     {"catroot2", ""},
                                                                     {"driversstore", ""},
                                                                     {"drivers", "etc"},
                                                                     {"logfiles", ""},
                                                                     {"spool", ""}}};

bool startsWithShared(const std::vector<std::string>& components) {
  for (const auto& shared : kShared) {
    if (components.size() < 3 || !equalsNoCase(components[2], shared[0])) continue;
    if (shared[1].empty()) return true;
    if (components.size() >= 4 && equalsNoCase(components[3], shared[1])) return true;
  }
  return false;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Whether the text may be redirected at all, cheaply: only a path whose first
// folder is windows is, unless a dot component or trailing dots make the
// text say more than it shows; those few are parsed.
bool mayBeRedirected(std::string_view path) {
  if (path.size() < 10 || (path[0] | 0x20) != 'c' || path[1] != ':') return false;
  std::size_t i = 2;
  while (i < path.size() && isSeparator(path[i])) ++i;
  constexpr std::string_view kWindows = "windows";
  if (path.size() - i > kWindows.size() && isSeparator(path[i + kWindows.size()])) {
    std::size_t k = 0;
    while (k < kWindows.size() && (path[i + k] | 0x20) == kWindows[k]) ++k;
    if (k == kWindows.size()) return true;
  }
  for (std::size_t dot = path.find('.'); dot != std::string_view::npos;
       dot = path.find('.', dot + 1)) {
    const bool afterSeparator = isSeparator(path[dot - 1]);
    const bool beforeSeparator = dot + 1 < path.size() && isSeparator(path[dot + 1]);
    if (afterSeparator || beforeSeparator) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> Wow32Redirect(std::string_view path) {
  if (!mayBeRedirected(path)) return std::nullopt;
  std::optional<WindowsPath> parsed = ParseWindowsPath(path);
  if (!parsed || parsed->drive != 'C' || parsed->components.size() < 2 ||
      !equalsNoCase(parsed->components[0], "windows"))
    return std::nullopt;
  std::vector<std::string>& components = parsed->components;
  if (equalsNoCase(components[1], "sysnative")) {
    components[1] = "system32";
  } else if (equalsNoCase(components[1], "system32")) {
    if (startsWithShared(components)) return std::nullopt;
    components[1] = "syswow64";
  } else if (components.size() == 2 && equalsNoCase(components[1], "regedit.exe")) {
    components.insert(components.begin() + 1, "syswow64");
  } else {
    return std::nullopt;
  }
  std::string text = parsed->Text(components.size());
  if (parsed->endsInSeparator && text.back() != '\\') text += '\\';
  return text;
}

}  // namespace hw::platform
