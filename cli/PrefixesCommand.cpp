#include "cli/PrefixesCommand.h"

#include "cli/JsonLines.h"

namespace hw::cli {

void WritePrefixLines(const std::vector<platform::FoundPrefix>& prefixes, std::ostream& out) {
  for (const platform::FoundPrefix& prefix : prefixes)
    out << "{\"path\":" << JsonString(prefix.Path.string())
        << ",\"kind\":" << JsonString(prefix.Kind) << ",\"name\":" << JsonString(prefix.Name)
        << ",\"inUse\":" << (prefix.InUse ? "true" : "false") << "}\n";
  out.flush();
}

}  // namespace hw::cli
