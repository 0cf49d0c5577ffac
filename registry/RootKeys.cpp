#include "registry/RootKeys.h"

#include <array>
#include <utility>

namespace hw {

namespace {

// HKEY_PERFORMANCE_DATA deliberately has no name.
std::array<std::pair<const char*, HKEY>, 6> rootNames() {
  return {{{"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
           {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
           {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
           {"HKEY_USERS", HKEY_USERS},
           {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG},
           {"HKEY_DYN_DATA", HKEY_DYN_DATA}}};
}

}  // namespace

HKEY RootKeyFromName(std::string_view name) {
  for (const auto& [text, root] : rootNames()) {
    if (name == text) return root;
  }
  return platform::invalidRootKey();
}

std::string RootKeyName(HKEY root) {
  for (const auto& [text, key] : rootNames()) {
    if (root == key) return text;
  }
  return {};
}

}  // namespace hw
