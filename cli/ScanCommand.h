#pragma once
// `hivewarden-cli scan`: one scan of a Wine prefix, the findings as JSON lines.

#include <filesystem>
#include <iosfwd>
#include <string>

#include "cli/CliOptions.h"
#include "platform/ProgramPlaces.h"

namespace hw::cli {

using platform::ExecutableFolder;
using platform::ResolvePrefix;

enum ExitStatus { kNothingFound = 0, kFound = 1, kError = 2 };

// Runs the scan; findings go to `out` (or the --output file), messages and
// progress to `err`. `showProgress` when err is a terminal.
ExitStatus RunScan(const ScanOptions& options, std::ostream& out, std::ostream& err,
                   bool showProgress);

}  // namespace hw::cli
