#include "cli/CliOptions.h"

#include <stdexcept>

#include "platform/Text.h"

namespace hw::cli {

namespace {

constexpr const char* kCategoryNames[kCategoryCount] = {
    "paths", "empty", "fonts", "startmenu", "apppaths", "helpfiles", "shareddlls", "extensions"};

}  // namespace

const char* const kUsage =
    "Usage: hivewarden-cli scan [--prefix DIR] [--categories LIST] [--no-exclusions]\n"
    "                           [--data-dir DIR] [--format jsonl|report] [--output FILE]\n"
    "                           [--lang NAME]\n"
    "       hivewarden-cli check-update [--url URL]\n"
    "       hivewarden-cli prefixes\n"
    "\n"
    "scan: scans the registry of a Wine prefix for entries that point at things that\n"
    "no longer exist, and prints one JSON object per finding, or the text report.\n"
    "\n"
#ifdef _WIN32
    "  --prefix DIR       not on Windows: there the registry is this machine's own\n"
#else
    "  --prefix DIR       the prefix (default: $WINEPREFIX, else ~/.wine)\n"
#endif
    "  --categories LIST  comma-separated: paths, empty, fonts, startmenu, apppaths,\n"
    "                     helpfiles, shareddlls, extensions\n"
    "                     (default: paths,fonts,startmenu,apppaths,helpfiles,shareddlls)\n"
    "  --no-exclusions    report entries the exclusion lists would hide: neither the\n"
    "                     default lists nor those stored in the prefix's settings\n"
    "  --data-dir DIR     where the default lists (*.def) are (default: beside this\n"
    "                     program, or ../share/hivewarden when installed)\n"
    "  --format FORMAT    jsonl (default) or report\n"
    "  --output FILE      write there instead of standard output\n"
    "  --lang NAME        the language of the report: English (default), Deutsch\n"
    "\n"
    "check-update: asks the update page whether a newer version is published.\n"
    "  --url URL          the page to ask (default: the program's own)\n"
    "\n"
    "prefixes: lists the Wine prefixes found ($WINEPREFIX, ~/.wine, Steam, Bottles,\n"
    "Lutris, Heroic, PlayOnLinux), one JSON object per line: path, kind, name and\n"
    "inUse (Wine runs in it). Exit status 0.\n"
    "\n"
    "Exit status: 0 nothing found or no newer version, 1 something found or a newer\n"
    "version published, 2 error.\n";

TAnalyzCategories DefaultCliCategories() {
  return {acInvalidPaths,    acInvalidFonts,     acObsoleteStartMenu,
          acInvalidAppPaths, acInvalidHelpFiles, acInvalidSharedDLLs};
}

const char* CategoryCliName(TAnalyzCategory category) { return kCategoryNames[category]; }

std::optional<TAnalyzCategories> ParseCategoryList(const std::string& list, std::string& error) {
  TAnalyzCategories result;
  for (std::string_view name : platform::SplitNonEmpty(list, ',')) {
    bool known = false;
    for (int i = 0; i < kCategoryCount; ++i) {
      if (name == kCategoryNames[i]) {
        result.Include(static_cast<TAnalyzCategory>(i));
        known = true;
      }
    }
    if (!known) {
      error = "unknown category '" + std::string(name) +
              "' (known: paths, empty, fonts, startmenu, apppaths, helpfiles, shareddlls, "
              "extensions)";
      return std::nullopt;
    }
  }
  if (result.Empty()) {
    error = "--categories names no category";
    return std::nullopt;
  }
  return result;
}

namespace {

ParsedCommand ParseCheckUpdate(const std::vector<std::string>& args) {
  ParsedCommand command;
  command.kind = ParsedCommand::Kind::CheckUpdate;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--url" && i + 1 < args.size()) {
      command.update.url = args[++i];
    } else if (args[i] == "--help" || args[i] == "-h") {
      command.kind = ParsedCommand::Kind::Help;
      return command;
    } else {
      throw std::invalid_argument(args[i] == "--url" ? "--url needs a value"
                                                     : "unknown option '" + args[i] + "'");
    }
  }
  return command;
}

}  // namespace

ParsedCommand ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommand command;
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") return command;
  if (args[0] == "check-update") return ParseCheckUpdate(args);
  if (args[0] == "fix") return ParseFixCommandLine(args);
  if (args[0] == "prefixes") {
    if (args.size() > 1 && (args[1] == "--help" || args[1] == "-h")) return command;
    if (args.size() > 1) throw std::invalid_argument("unknown option '" + args[1] + "'");
    command.kind = ParsedCommand::Kind::Prefixes;
    return command;
  }
  if (args[0] != "scan") throw std::invalid_argument("unknown command '" + args[0] + "'");
  command.kind = ParsedCommand::Kind::Scan;
  ScanOptions& scan = command.scan;
  scan.categories = DefaultCliCategories();
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto valueOf = [&](const char* option) -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(std::string(option) + " needs a value");
      return args[++i];
    };
    if (arg == "--prefix") {
      scan.prefix = valueOf("--prefix");
    } else if (arg == "--categories") {
      std::string error;
      auto categories = ParseCategoryList(valueOf("--categories"), error);
      if (!categories) throw std::invalid_argument(error);
      scan.categories = *categories;
    } else if (arg == "--no-exclusions") {
      scan.useExclusions = false;
    } else if (arg == "--data-dir") {
      scan.dataDir = valueOf("--data-dir");
    } else if (arg == "--format") {
      const std::string& format = valueOf("--format");
      if (format == "jsonl")
        scan.format = OutputFormat::Jsonl;
      else if (format == "report")
        scan.format = OutputFormat::Report;
      else
        throw std::invalid_argument("unknown format '" + format + "' (jsonl or report)");
    } else if (arg == "--output") {
      scan.output = valueOf("--output");
    } else if (arg == "--lang") {
      scan.language = valueOf("--lang");
    } else if (arg == "--help" || arg == "-h") {
      command.kind = ParsedCommand::Kind::Help;
      return command;
    } else {
      throw std::invalid_argument("unknown option '" + arg + "'");
    }
  }
  return command;
}

}  // namespace hw::cli
