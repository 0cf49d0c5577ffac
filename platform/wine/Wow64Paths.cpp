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

bool hasAsciiNoCaseAt(std::string_view text, std::size_t at, std::string_view lowerNeedle) {
  if (at + lowerNeedle.size() > text.size()) return false;
  for (std::size_t k = 0; k < lowerNeedle.size(); ++k)
    if ((text[at + k] | 0x20) != lowerNeedle[k]) return false;
  return true;
}

// Whether the text may be redirected at all: most paths a scan meets hold
// neither "sys" (system32, sysnative) nor "regedit", and are let go in one
// pass without being parsed.
bool mayBeRedirected(std::string_view path) {
  if (path.size() < 10 || (path[0] != 'c' && path[0] != 'C')) return false;
  for (std::size_t i = 3; i < path.size(); ++i) {
    const char c = static_cast<char>(path[i] | 0x20);
    if ((c == 's' && hasAsciiNoCaseAt(path, i, "sys")) ||
        (c == 'r' && hasAsciiNoCaseAt(path, i, "regedit")))
      return true;
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
