#pragma once
// `hivewarden-cli scan`: one scan of a Wine prefix, the findings as JSON lines
// or as the found-entries report.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "cli/CliOptions.h"
#include "platform/FileSystem.h"
#include "platform/ProgramPlaces.h"
#include "platform/RegistryApi.h"
#include "platform/RegistryTarget.h"

namespace hw {
class TAnalyzClass;
}  // namespace hw

namespace hw::cli {

using platform::ExecutableFolder;

enum ExitStatus { kNothingFound = 0, kFound = 1, kError = 2 };

// Where the default exclusion files and the language packs are: --data-dir,
// else beside the executable, or where an installed program keeps them.
std::filesystem::path DataFolder(const ScanOptions& options);

// Opens the registry to work on (the prefix, or on Windows the machine's own);
// null, with the message written, when it cannot.
std::unique_ptr<platform::RegistryTarget> OpenTarget(const std::string& prefix, std::ostream& err);

// Called for each finding while the engine's report is valid.
using FindingHandler = std::function<void(TAnalyzClass& engine, TAnalyzCategory category)>;

// One scan with the options' categories and exclusions (default lists and the
// prefix's stored ones); progress on err when showProgress. False, with the
// message written, when the exclusions cannot be loaded or the scan stops.
bool ScanPrefix(const ScanOptions& options, platform::RegistryApi& api,
                platform::FileSystem& files, const FindingHandler& onFinding, std::ostream& err,
                bool showProgress);

// Runs the scan; findings go to `out` (or the --output file), messages and
// progress to `err`. `showProgress` when err is a terminal.
ExitStatus RunScan(const ScanOptions& options, std::ostream& out, std::ostream& err,
                   bool showProgress);

}  // namespace hw::cli
