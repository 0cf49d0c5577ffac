#pragma once
// The command line of hivewarden-cli.

#include <optional>
#include <string>
#include <vector>

#include "scan/AnalyzTypes.h"

namespace hw::cli {

enum class OutputFormat { Jsonl, Report };

struct ScanOptions {
  std::string prefix;  // empty: $WINEPREFIX, else ~/.wine
  TAnalyzCategories categories;
  bool useExclusions = true;
  std::string dataDir;  // the default exclusion files; empty: the executable's folder
  OutputFormat format = OutputFormat::Jsonl;
  std::string output;    // empty: standard output
  std::string language;  // the report's language pack; empty: English
};

struct UpdateOptions {
  std::string url;  // empty: the page this build was made with
};

// `fix`: the scan's options plus where the backup goes.
struct FixOptions {
  ScanOptions scan;
  std::vector<std::string> searchFolders;  // for moved files
  std::string backup;                      // the backup file, added to when it exists
  bool noBackup = false;
  bool dryRun = false;
};

struct ParsedCommand {
  enum class Kind { Scan, CheckUpdate, Fix, Prefixes, Help } kind = Kind::Help;
  ScanOptions scan;
  UpdateOptions update;
  FixOptions fix;
};

// The categories the window offers: all but empty keys and file types.
TAnalyzCategories DefaultCliCategories();
// "paths,fonts" -> the set; std::nullopt with `error` set for an unknown name.
std::optional<TAnalyzCategories> ParseCategoryList(const std::string& list, std::string& error);
// The command-line name of a category ("paths", "empty", ...).
const char* CategoryCliName(TAnalyzCategory category);

// Throws std::invalid_argument with a message for the user on bad arguments.
ParsedCommand ParseCommandLine(const std::vector<std::string>& args);

// The `fix` command's line; the scan's options are parsed as for `scan`.
ParsedCommand ParseFixCommandLine(const std::vector<std::string>& args);

extern const char* const kUsage;
extern const char* const kFixUsage;

}  // namespace hw::cli
