#include "cli/ScanCommand.h"

#include <chrono>
#include <filesystem>
#include <ostream>
#include <sstream>

#include "cli/JsonLines.h"
#include "platform/EventPump.h"
#include "platform/FileIo.h"
#include "platform/PrefixFileSystem.h"
#include "platform/StoreRegistryApi.h"
#include "platform/Text.h"
#include "platform/WinePrefixStore.h"
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
  const std::filesystem::path folder =
      options.dataDir.empty() ? ExecutableFolder() : std::filesystem::path(options.dataDir);
  TExclusionLists lists(engine.ExclusionSets, folder);
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

ExitStatus RunScan(const ScanOptions& options, std::ostream& out, std::ostream& err,
                   bool showProgress) {
  if (options.format == OutputFormat::Report) {
    err << "hivewarden-cli: the report format is not available in this version; use jsonl\n";
    return kError;
  }
  const std::string prefix = ResolvePrefix(options.prefix);
  std::unique_ptr<platform::WinePrefixStore> store;
  try {
    store = platform::WinePrefixStore::open(prefix);
  } catch (const platform::FileError& error) {
    err << "hivewarden-cli: " << error.what() << "\n";
    return kError;
  }

  // Scanning a prefix in use works; only repairs would have to wait.
  if (store->readOnly())
    err << "hivewarden-cli: note: nothing can be repaired now. " << store->readOnlyReason() << "\n";

  // Findings for a file are kept until the scan ends, then written whole, so
  // a failed run leaves an existing file as it was.
  std::ostringstream collected;
  std::ostream& sink = options.output.empty() ? out : collected;

  platform::StoreRegistryApi api(*store);
  platform::PrefixFileSystem files(prefix, api);
  platform::EventPump pump;
  TAnalyzClass engine(api, files, pump);
  engine.Categories = options.categories;
  if (options.useExclusions && !LoadExclusions(options, engine, api, err)) return kError;

  long findings = 0;
  ProgressLine progress(err, showProgress);
  engine.OnKey = [&](TAnalyzClass& sender) { progress.Key(sender); };
  for (int c = 0; c < kCategoryCount; ++c) {
    const auto category = static_cast<TAnalyzCategory>(c);
    engine.EventOf(category) = [&, category](TAnalyzClass& sender) {
      progress.Clear();
      sink << FindingJson(sender, category) << '\n';
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
    return kError;
  }
  progress.Clear();
  if (!options.output.empty()) {
    try {
      platform::WriteFileAtomically(options.output, collected.str());
    } catch (const platform::FileError& error) {
      err << "hivewarden-cli: " << error.what() << "\n";
      return kError;
    }
  }
  if (showProgress) err << progress.keys() << " keys scanned, " << findings << " entries found\n";
  return findings > 0 ? kFound : kNothingFound;
}

}  // namespace hw::cli
