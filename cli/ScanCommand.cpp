#include "cli/ScanCommand.h"

#include <chrono>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "cli/JsonLines.h"
#include "cli/ReportOutput.h"
#include "platform/EventPump.h"
#include "platform/FileIo.h"
#include "platform/Text.h"
#include "registry/StoredList.h"
#include "scan/AnalyzClass.h"
#include "scan/ExclusionLists.h"

namespace hw::cli {

namespace {

// Shows the number of keys visited and the current key on one line, at most
// ten times a second.
class ProgressLine {
 public:
  ProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
  ~ProgressLine() { Clear(); }

  void Key(const TAnalyzClass& engine) {
    ++keys_;
    if (!enabled_ || (keys_ & 0xFF) != 0) return;
    auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    std::string key = "[" + engine.RootName + "] " + engine.KeyPath;
    err_ << "\r\033[K" << keys_ << " keys  " << platform::cutToChars(key, 60) << std::flush;
    shown_ = true;
  }
  void Clear() {
    if (shown_) err_ << "\r\033[K" << std::flush;
    shown_ = false;
  }
  long keys() const { return keys_; }

 private:
  std::ostream& err_;
  bool enabled_;
  bool shown_ = false;
  long keys_ = 0;
  std::chrono::steady_clock::time_point last_{};
};

// The default lists plus the user's lists kept in the prefix's own settings,
// for the categories to scan. False, with the message written, when a default
// file is missing or unreadable.
bool LoadExclusions(const ScanOptions& options, TAnalyzClass& engine, platform::RegistryApi& api,
                    std::ostream& err) {
  TExclusionLists lists(engine.ExclusionSets, DataFolder(options));
  TStoredLists stored(api, SettingsKeyPath());
  try {
    lists.Load(options.categories, &stored);
  } catch (const EMissingDefaultsFile& error) {
    err << "hivewarden-cli: the default exclusion file \"" << error.FileName()
        << "\" is missing; name the folder that holds the *.def files with --data-dir, or "
           "scan with --no-exclusions\n";
    return false;
  } catch (const platform::FileError& error) {
    err << "hivewarden-cli: " << error.what() << "\n";
    return false;
  }
  return true;
}

}  // namespace

std::filesystem::path DataFolder(const ScanOptions& options) {
  return options.dataDir.empty() ? platform::DataFolder() : std::filesystem::path(options.dataDir);
}

std::unique_ptr<platform::RegistryTarget> OpenTarget(const std::string& prefix, std::ostream& err) {
  try {
    return platform::OpenRegistryTarget(prefix);
  } catch (const std::exception& error) {
    err << "hivewarden-cli: " << error.what() << "\n";
    return nullptr;
  }
}

bool ScanPrefix(const ScanOptions& options, platform::RegistryApi& api, platform::FileSystem& files,
                const FindingHandler& onFinding, std::ostream& err, bool showProgress) {
  platform::EventPump pump;
  TAnalyzClass engine(api, files, pump);
  engine.Categories = options.categories;
  // No root of the window's list carries the file-type category; asked for
  // here, it is checked over the whole of HKEY_CLASSES_ROOT.
  if (options.categories.Contains(acInvalidExts))
    engine.RootKeys.push_back({HKEY_CLASSES_ROOT, "\\", {acInvalidExts}});
  if (options.useExclusions && !LoadExclusions(options, engine, api, err)) return false;
  if (const std::string reason = engine.PathsUnusableReason(); !reason.empty()) {
    err << "hivewarden-cli: " << reason << "\n";
    return false;
  }

  long findings = 0;
  ProgressLine progress(err, showProgress);
  engine.OnKey = [&](TAnalyzClass& sender) { progress.Key(sender); };
  for (int c = 0; c < kCategoryCount; ++c) {
    const auto category = static_cast<TAnalyzCategory>(c);
    engine.EventOf(category) = [&, category](TAnalyzClass& sender) {
      progress.Clear();
      onFinding(sender, category);
      ++findings;
    };
  }

  try {
    engine.Stop = false;
    engine.Analyze();
    engine.Stop = true;
  } catch (const std::exception& error) {
    progress.Clear();
    err << "hivewarden-cli: the scan stopped: " << error.what() << "\n";
    return false;
  }
  progress.Clear();
  if (showProgress) err << progress.keys() << " keys scanned, " << findings << " entries found\n";
  return true;
}

ExitStatus RunScan(const ScanOptions& options, std::ostream& out, std::ostream& err,
                   bool showProgress) {
  std::unique_ptr<platform::RegistryTarget> target = OpenTarget(options.prefix, err);
  if (!target) return kError;

  // Scanning a prefix in use works; only repairs would have to wait.
  if (const std::string reason = target->ReadOnlyReason(); !reason.empty())
    err << "hivewarden-cli: note: nothing can be repaired now. " << reason << "\n";

  // Findings for a file are kept until the scan ends, then written whole, so
  // a failed run leaves an existing file as it was.
  std::ostringstream collected;
  std::ostream& sink = options.output.empty() ? out : collected;

  platform::RegistryApi& api = target->ScanApi();
  platform::FileSystem& files = target->Files();
  std::unique_ptr<ReportCollector> report;
  if (options.format == OutputFormat::Report) {
    try {
      report = std::make_unique<ReportCollector>(options, DataFolder(options));
    } catch (const std::runtime_error& error) {
      err << "hivewarden-cli: " << error.what() << "\n";
      return kError;
    }
  }
  long findings = 0;
  const bool scanned = ScanPrefix(
      options, api, files,
      [&](TAnalyzClass& engine, TAnalyzCategory category) {
        if (report)
          report->Add(engine, category);
        else
          sink << FindingJson(engine, category) << '\n';
        ++findings;
      },
      err, showProgress);
  if (!scanned) return kError;
  if (report) {
    if (!WriteReport(options, report->Text(), out, err)) return kError;
  } else if (!options.output.empty()) {
    try {
      platform::WriteFileAtomically(options.output, collected.str());
    } catch (const platform::FileError& error) {
      err << "hivewarden-cli: " << error.what() << "\n";
      return kError;
    }
  }
  return findings > 0 ? kFound : kNothingFound;
}

}  // namespace hw::cli
