#pragma once
// `hivewarden-cli prefixes`: the Wine prefixes found on this machine, for
// scripts that clean them one after another.

#include <ostream>
#include <vector>

#include "platform/wine/PrefixFinder.h"

namespace hw::cli {

// One JSON object per prefix: path, kind, name, inUse.
void WritePrefixLines(const std::vector<platform::FoundPrefix>& prefixes, std::ostream& out);

}  // namespace hw::cli
