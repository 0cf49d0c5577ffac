#pragma once
// `hivewarden-cli fix`: one scan of a Wine prefix, then the repair of what it
// found with the defaults the window sets, a REGEDIT4 backup first, and one
// save of the prefix at the end.

#include <iosfwd>

#include "cli/CliOptions.h"
#include "cli/ScanCommand.h"

namespace hw::cli {

// Repairs and saves; with dryRun prints the plan as JSON lines instead and
// changes nothing. kError (nothing saved) on any failure, and before anything
// is touched when Wine runs in the prefix.
ExitStatus RunFix(const FixOptions& options, std::ostream& out, std::ostream& err,
                  bool showProgress);

}  // namespace hw::cli
