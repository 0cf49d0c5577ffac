#include <stdexcept>

#include "cli/CliOptions.h"

namespace hw::cli {

namespace {

bool TakesValue(const std::string& option) {
  return option == "--prefix" || option == "--categories" || option == "--data-dir" ||
         option == "--lang";
}

}  // namespace

const char* const kFixUsage =
    "\n"
    "Usage: hivewarden-cli fix [--prefix DIR] [--categories LIST] [--no-exclusions]\n"
    "                          [--data-dir DIR] [--search FOLDER]...\n"
    "                          (--backup FILE | --no-backup) [--dry-run]\n"
    "\n"
    "Scans as `scan` does, then deletes the entries found (or rewrites them where a\n"
    "moved file was found) and saves the prefix. Wine must not run in the prefix.\n"
    "\n"
    "  --search FOLDER    look for moved files there (may be given more than once)\n"
    "  --backup FILE      first write what is changed to FILE (REGEDIT4; an existing\n"
    "                     REGEDIT4 file keeps its blocks after the new ones, any other\n"
    "                     file is refused); `wine regedit FILE` restores it\n"
    "  --no-backup        repair without a backup\n"
    "  --dry-run          print what would be done, as JSON lines, and change nothing\n"
    "\n"
    "Exit status: 0 done, 2 error (nothing saved).\n";

ParsedCommand ParseFixCommandLine(const std::vector<std::string>& args) {
  ParsedCommand command;
  command.kind = ParsedCommand::Kind::Fix;
  FixOptions& fix = command.fix;
  // Everything that is not fix's own goes to the scan's parser.
  std::vector<std::string> scanArgs{"scan"};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto valueOf = [&](const char* option) -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(std::string(option) + " needs a value");
      return args[++i];
    };
    if (arg == "--search") {
      fix.searchFolders.push_back(valueOf("--search"));
    } else if (arg == "--backup") {
      fix.backup = valueOf("--backup");
      if (fix.backup.empty()) throw std::invalid_argument("--backup needs a file name");
    } else if (arg == "--no-backup") {
      fix.noBackup = true;
    } else if (arg == "--dry-run") {
      fix.dryRun = true;
    } else if (arg == "--format" || arg == "--output") {
      throw std::invalid_argument(arg + " is an option of scan, not of fix");
    } else if (arg == "--help" || arg == "-h") {
      command.kind = ParsedCommand::Kind::Help;
      return command;
    } else {
      // A value is carried along with its option, never read as one of fix's.
      scanArgs.push_back(arg);
      if (TakesValue(arg) && i + 1 < args.size()) scanArgs.push_back(args[++i]);
    }
  }
  ParsedCommand scan = ParseCommandLine(scanArgs);
  if (scan.kind == ParsedCommand::Kind::Help) return scan;
  fix.scan = scan.scan;
  if (!fix.backup.empty() && fix.noBackup)
    throw std::invalid_argument("--backup and --no-backup exclude each other");
  if (fix.backup.empty() && !fix.noBackup && !fix.dryRun)
    throw std::invalid_argument("fix needs --backup FILE, or --no-backup to repair without one");
  return command;
}

}  // namespace hw::cli
