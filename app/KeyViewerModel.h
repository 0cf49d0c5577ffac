#pragma once
// What the key viewer shows, without the window: the keys below a key, a
// key's values as the registry editor lists them, and the spelling the
// registry gives a key path typed in any case. It only reads: every key is
// opened for reading and closed again before a call returns.
//
// Key paths are written as the found entries name them once their brackets
// are gone: the root's name, then the keys below it, separated by
// backslashes ("HKEY_CURRENT_USER\Software\Vendor"); a root name alone is the
// root itself.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryApi.h"

namespace hw::app {

// One line of the value table.
struct TValueRow {
  std::string Name;   // the value's own name; empty for the default value
  std::string Shown;  // the name as listed: "(Default)" for the default value
  std::string Type;   // REG_SZ, REG_DWORD, ...
  std::string Data;   // the data as the editor shows it
};

// The type's name, or its number in hex for a type without one.
std::string ValueTypeName(DWORD type);
// Data as the registry calls return it (text already UTF-8): texts up to
// their first zero, lists of texts joined by blanks, numbers in hex and
// decimal, anything else as hex bytes (long data is cut, marked by "...").
std::string FormatValueData(DWORD type, std::string_view data);

class TKeyBrowser {
 public:
  // Does not take ownership; api must outlive the object.
  explicit TKeyBrowser(platform::RegistryApi& api) : api_(api) {}

  // The named roots that open, in the order the registry editor lists them.
  std::vector<std::string> Roots() const;
  // Names of the keys below the key, sorted without regard to case; empty
  // when the key does not open.
  std::vector<std::string> SubKeys(const std::string& keyPath) const;
  bool HasSubKeys(const std::string& keyPath) const;
  // The default value first (listed even when it does not exist, as not
  // set), then the others sorted without regard to case; none when the key
  // does not open.
  std::optional<std::vector<TValueRow>> Values(const std::string& keyPath) const;
  // The path's parts, root first, as the registry spells them; none when
  // the root is unknown or a key on the way does not exist. Empty parts
  // (doubled or trailing backslashes) are skipped.
  std::optional<std::vector<std::string>> Resolve(std::string_view keyPath) const;

 private:
  platform::RegistryApi& api_;
};

}  // namespace hw::app
