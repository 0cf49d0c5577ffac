#include "cli/FixCommand.h"

#include <array>
#include <filesystem>
#include <ostream>
#include <string>
#include <unordered_map>

#include "app/settings/SettingsStore.h"
#include "cli/JsonLines.h"
#include "lang/TextSource.h"
#include "platform/EventPump.h"
#include "registry/RegExport.h"
#include "repair/RepairRun.h"
#include "results/CategoryTable.h"
#include "results/ReportIntake.h"
#include "scan/AnalyzClass.h"
#include "search/MovedFileSearch.h"
#include "search/SearchFolders.h"

namespace hw::cli {

namespace {

// The choice texts only label rows in the window; here no one reads them.
class NoTexts final : public TextSource {
 public:
  std::string GetInterfaceText(int) const override { return {}; }
  std::string GetMessage(int) const override { return {}; }
};

class StreamMessages final : public TBackupMessages {
 public:
  explicit StreamMessages(std::ostream& err) : err_(err) {}
  void ShowMessage(const std::string& text) override { err_ << "hivewarden-cli: " << text << "\n"; }

 private:
  std::ostream& err_;
};

// The moved-file search between the scan and the defaults, over the --search
// folders, else the folders and excluded drives stored by the window, else the
// roots of the fixed drives. It offers each missing file's new place as a
// replacement, which the defaults then choose.
void FindMovedFiles(const FixOptions& options, CategoryTable& table, platform::RegistryApi& api,
                    platform::FileSystem& files, const TextSource& texts, std::ostream& err,
                    bool showProgress) {
  TSettings stored = TSettings::Fresh(ExecutableFolder().string());
  TSettingsStore(TSettingsLocation{api, nullptr, {}}, ExecutableFolder().string())
      .LoadSettings(stored);
  std::vector<std::string> folders =
      options.searchFolders.empty() ? stored.SearchPaths : options.searchFolders;
  FillDefaultSearchPaths(folders, files);
  if (showProgress) {
    err << "Searching for moved files in";
    for (const std::string& folder : folders) err << ' ' << folder;
    err << "\n";
  }
  const int found = hw::FindMovedFiles(table, texts, files, folders, stored.ExcludedDrives);
  if (showProgress) err << found << " new places found\n";
}

// What the window leaves picked when the results appear: every entry the user
// may change.
void SetRepairDefaults(CategoryTable& table) {
  for (int c = 0; c < CategoryTable::Size(); ++c) {
    TEntries& list = *table[c].Entries;
    for (const auto& entry : list.List()) list.SetPicked(entry.get(), entry->KeyWritable);
  }
}

const char* ActionName(TRepairAction action) {
  switch (action) {
    case TRepairAction::DeleteKey: return "delete-key";
    case TRepairAction::DeleteValue: return "delete-value";
    case TRepairAction::RewriteValue: return "rewrite-value";
    case TRepairAction::None: break;
  }
  return nullptr;
}

// The picked entries in the order of the run, each as its finding plus what
// the repair would do.
void PrintPlan(const CategoryTable& table,
               const std::unordered_map<const TEntry*, std::string>& findings, std::ostream& out) {
  for (int c = 0; c < CategoryTable::Size(); ++c) {
    for (const auto& entry : table[c].Entries->List()) {
      const char* action = entry->Picked() ? ActionName(RepairActionOf(*entry)) : nullptr;
      auto found = findings.find(entry.get());
      if (action == nullptr || found == findings.end()) continue;
      std::string line = found->second;
      line.pop_back();  // the closing brace
      line += ",\"action\":" + JsonString(action);
      if (RepairActionOf(*entry) == TRepairAction::RewriteValue)
        line += ",\"newText\":" + JsonString(entry->ChoiceText());
      out << line << "}\n";
    }
  }
}

}  // namespace

ExitStatus RunFix(const FixOptions& options, std::ostream& out, std::ostream& err,
                  bool showProgress) {
  if (!options.dryRun) {
    if (const std::string reason = platform::ChangesRefusedReason(options.scan.prefix);
        !reason.empty()) {
      err << "hivewarden-cli: " << reason << "\n";
      return kError;
    }
  }
  std::unique_ptr<platform::RegistryTarget> target = OpenTarget(options.scan.prefix, err);
  if (!target) return kError;
  if (!options.dryRun && !target->ReadOnlyReason().empty()) {
    err << "hivewarden-cli: " << target->ReadOnlyReason() << "\n";
    return kError;
  }

  if (!options.dryRun && !options.noBackup) {
    // Before the scan: a file that is no backup of ours stops the run at once.
    std::string refusal;
    try {
      refusal = AppendRefusal(options.backup);
    } catch (const std::exception& error) {
      refusal = error.what();
    }
    if (!refusal.empty()) {
      err << "hivewarden-cli: " << refusal << "\nhivewarden-cli: " << target->FailedRunText()
          << "\n";
      return kError;
    }
  }

  platform::RegistryApi& scanned = target->ScanApi();
  platform::RegistryApi& api = target->Api();
  platform::FileSystem& files = target->Files();
  std::array<TAnalyzSet, kCategoryCount> exclusionSets;
  CategoryTable table(exclusionSets);
  NoTexts texts;
  std::unordered_map<const TEntry*, std::string> findings;
  const bool found = ScanPrefix(
      options.scan, scanned, files,
      [&](TAnalyzClass& engine, TAnalyzCategory category) {
        if (TEntry* entry = AddFromReport(table, engine, texts, category))
          findings[entry] = FindingJson(engine, category);
      },
      err, showProgress);
  if (!found) return kError;
  FindMovedFiles(options, table, scanned, files, texts, err, showProgress);
  SetRepairDefaults(table);

  if (options.dryRun) {
    PrintPlan(table, findings, out);
    return kNothingFound;
  }

  StreamMessages messages(err);
  platform::EventPump pump;
  TRepairRun run(api, table, pump, messages);
  // An existing backup keeps its blocks after the new ones, as "append" in the window.
  const TBackupSettings backup{!options.noBackup, options.backup, false};
  std::int32_t repaired = 0;
  try {
    repaired = run.RepairAll(backup);
    // Only after the backup of the whole run is on disk.
    target->Save();
  } catch (const EBackupNotWritten& error) {
    // Thrown before the first change: the message says so.
    err << "hivewarden-cli: " << error.what() << "\n";
    return kError;
  } catch (const std::exception& error) {
    err << "hivewarden-cli: " << error.what() << "\nhivewarden-cli: " << target->FailedRunText()
        << "\n";
    return kError;
  }
  out << repaired << " entries repaired\n";
  if (backup.On && repaired > 0)
    out << "backup: " << std::filesystem::absolute(backup.File).string() << "\n";
  return kNothingFound;
}

}  // namespace hw::cli
