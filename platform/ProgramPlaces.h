#pragma once
// Where the program and the prefix it works on are, as every Wine tool finds
// them; shared by the window and the command-line tool.

#include <filesystem>
#include <string>

namespace hw::platform {

// The folder of the running executable, where the data files ship.
std::filesystem::path ExecutableFolder();

// The prefix to use: the option, else $WINEPREFIX, else ~/.wine.
std::string ResolvePrefix(const std::string& option = {});

// Whether the folder holds a Wine prefix's registry.
bool IsWinePrefix(const std::filesystem::path& folder);

}  // namespace hw::platform
