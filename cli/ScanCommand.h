#pragma once
// `hivewarden-cli scan`: one scan of a Wine prefix, the findings as JSON lines
// or as the found-entries report.

#include <filesystem>
#include <iosfwd>
#include <string>

#include "cli/CliOptions.h"

namespace hw::cli {

enum ExitStatus { kNothingFound = 0, kFound = 1, kError = 2 };

// The folder of the running executable, where the default exclusion files ship.
std::filesystem::path ExecutableFolder();

// Where the default exclusion files and the language packs are: --data-dir,
// else the executable's folder.
std::filesystem::path DataFolder(const ScanOptions& options);

// The prefix to use: the option, else $WINEPREFIX, else ~/.wine.
std::string ResolvePrefix(const std::string& option);

// Runs the scan; findings go to `out` (or the --output file), messages and
// progress to `err`. `showProgress` when err is a terminal.
ExitStatus RunScan(const ScanOptions& options, std::ostream& out, std::ostream& err,
                   bool showProgress);

}  // namespace hw::cli
