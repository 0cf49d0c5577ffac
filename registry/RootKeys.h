#pragma once
// Text names of the predefined roots, as found entries and exclusion lists
// write them ("[HKEY_LOCAL_MACHINE] Software\...").

#include <string>
#include <string_view>

#include "platform/windows/WinTypes.h"

namespace hw {

// Exact, case-sensitive match; any other text gives the invalid root, below
// which every open fails, so callers simply find nothing.
HKEY RootKeyFromName(std::string_view name);
// The empty text for a handle that is not one of the named roots.
std::string RootKeyName(HKEY root);

}  // namespace hw
