#pragma once
// "/uninstall" where no Wine prefix can be opened. The backups live beside the
// program or in the user's data folder, not in a prefix, so the question about
// them is asked all the same; only the answer No cannot be remembered, for the
// flag that keeps it lives in a prefix's settings.

#include <filesystem>
#include <string>
#include <vector>

namespace hw::app {

// The window's clean-up over an empty registry: the language packs and the
// backup folder of programFolder, no window shown. Needs a QApplication.
void UninstallWithoutPrefix(const std::filesystem::path& programFolder,
                            std::vector<std::string> args);

}  // namespace hw::app
