#pragma once
// The special folders the checks compare against (Fonts, the user's and the
// common Start-menu Programs), read once from the prefix's registry the way
// Wine's shell finds them.

#include <string>

#include "platform/RegistryApi.h"

namespace hw::platform {

class ShellFolders {
 public:
  // Reads the folders at once; does not keep the registry.
  explicit ShellFolders(RegistryApi& registry);

  // The folder's Windows path without trailing backslash; "error" when the
  // folder is known but no path can be made from the registry; empty for an
  // identifier that names no folder known here.
  std::string Path(int csidl) const;

 private:
  std::string fonts_, programs_, commonPrograms_;
};

}  // namespace hw::platform
