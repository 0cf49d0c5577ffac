#include "repair/RepairRun.h"

#include <memory>
#include <vector>

#include "platform/FileIo.h"
#include "registry/RegExport.h"
#include "registry/Repair.h"
#include "results/CategoryTable.h"
#include "results/EntriesView.h"
#include "scan/AnalyzClass.h"

namespace hw {

namespace {

enum class RepairKind { Value, Key, Mixed, None };

// Indexed by category, in the order of the run.
constexpr RepairKind kKinds[kCategoryCount] = {
    RepairKind::Value,  // invalid paths
    RepairKind::Key,    // empty keys
    RepairKind::Value,  // invalid fonts
    RepairKind::Key,    // obsolete Start-menu items
    RepairKind::Mixed,  // invalid application paths
    RepairKind::Value,  // invalid help files
    RepairKind::Value,  // invalid shared DLLs
    RepairKind::None,   // invalid file extensions: listed, never repaired
};

// Repaired entries leave the list; the others stay.
bool Repairs(const TEntry& entry) {
  return entry.Category < kCategoryCount && kKinds[entry.Category] != RepairKind::None &&
         entry.Choice() >= 1;
}

struct TRepairStep {
  TRepairAction Action = TRepairAction::None;
  TRepairKey Key;
};

TRepairStep StepOf(const TEntry& entry) {
  const TRootKeyText parsed = ParseRootKeyText(entry.KeyText);
  return {RepairActionOf(entry), {parsed.RootKey, parsed.RootName, parsed.KeyPath}};
}

// Records what the entry's repair will replace, changing nothing.
LSTATUS Backup(platform::RegistryApi& api, const TEntry& entry, TRegBackup& backup) {
  const TRepairStep step = StepOf(entry);
  switch (step.Action) {
    case TRepairAction::DeleteKey: return BackupDeleteKey(api, step.Key, backup);
    case TRepairAction::DeleteValue:
      return BackupDeleteValue(api, step.Key, entry.ValueName, backup);
    case TRepairAction::RewriteValue:
      return BackupRewriteValue(api, step.Key, entry.ValueName, entry.ChoiceText(),
                                entry.Flags.Contains(etInvalidName), backup);
    case TRepairAction::None: break;
  }
  return ERROR_SUCCESS;
}

LSTATUS Change(platform::RegistryApi& api, const TEntry& entry) {
  const TRepairStep step = StepOf(entry);
  switch (step.Action) {
    case TRepairAction::DeleteKey: return RepairDeleteKey(api, step.Key, nullptr);
    case TRepairAction::DeleteValue:
      return RepairDeleteValue(api, step.Key, entry.ValueName, nullptr);
    case TRepairAction::RewriteValue:
      return RepairRewriteValue(api, step.Key, entry.ValueName, entry.ChoiceText(),
                                entry.Flags.Contains(etInvalidName), nullptr);
    case TRepairAction::None: break;
  }
  return ERROR_SUCCESS;
}

// At most this many entries are named in the message about those left as they were.
constexpr std::size_t kNamedUnchanged = 10;

}  // namespace

TRepairAction RepairActionOf(const TEntry& entry) {
  if (!Repairs(entry)) return TRepairAction::None;
  const bool remove = entry.Choice() == 1;
  switch (kKinds[entry.Category]) {
    case RepairKind::Value:
      return remove ? TRepairAction::DeleteValue : TRepairAction::RewriteValue;
    case RepairKind::Key: return remove ? TRepairAction::DeleteKey : TRepairAction::None;
    case RepairKind::Mixed:
      if (!remove) return TRepairAction::RewriteValue;
      return entry.Flags.Contains(etAppPathMissing) || entry.Flags.Contains(etAppNotInPath)
                 ? TRepairAction::DeleteKey
                 : TRepairAction::DeleteValue;
    case RepairKind::None: break;
  }
  return TRepairAction::None;
}

bool TRepairRun::Unchanged(const TEntry& entry, LSTATUS status) {
  // Gone already (as the second finding of one value, HKCU and HKU\<SID>, is
  // once the first was repaired): nothing is left to show or to repair.
  if (status == ERROR_FILE_NOT_FOUND || status == ERROR_KEY_DELETED) return false;
  ++unchanged_;
  if (unchangedText_.size() >= kNamedUnchanged) return true;
  std::string line = entry.KeyText;
  if (!entry.ValueName.empty()) line += " (" + entry.ValueName + ")";
  unchangedText_.push_back(line + ": " + RepairFailureText(status));
  return true;
}

void TRepairRun::ReportUnchanged() {
  if (unchanged_ == 0) return;
  std::string text = std::to_string(unchanged_) +
                     (unchanged_ == 1 ? " entry was" : " entries were") +
                     " left as they were and stay listed:";
  for (const std::string& line : unchangedText_) text += "\n" + line;
  if (unchanged_ > unchangedText_.size())
    text += "\n(and " + std::to_string(unchanged_ - unchangedText_.size()) + " more)";
  messages_.ShowMessage(text);
}

std::vector<TRepairRun::TPlanned> TRepairRun::Plan(TRegBackup* backup) {
  std::vector<TPlanned> plan;
  for (int c = 0; c < kCategoryCount; ++c) {
    TEntries& list = *table_[c].Entries;
    for (TEntry* entry = list.FirstPicked(); entry != nullptr; entry = list.NextPicked()) {
      pump_.ProcessMessages();
      if (!Repairs(*entry)) continue;
      if (backup != nullptr) {
        const std::size_t mark = backup->Pending();
        LSTATUS status = ERROR_SUCCESS;
        try {
          status = Backup(api_, *entry, *backup);
        } catch (const EBackupText& refused) {
          // The entry stays as it is, with its blocks dropped.
          backup->Truncate(mark);
          messages_.ShowMessage(refused.what());
          continue;
        }
        if (status != ERROR_SUCCESS) {
          backup->Truncate(mark);
          if (!Unchanged(*entry, status))
            plan.push_back({c, list.PickCursor(), entry, TOutcome::Gone});
          continue;
        }
      }
      plan.push_back({c, list.PickCursor(), entry, TOutcome::Pending});
    }
  }
  return plan;
}

void TRepairRun::RemoveRepaired(const std::vector<TPlanned>& plan) {
  // From the last one back, so that each removal is at or near its list's end
  // and a long run stays linear; positions were taken before any removal.
  TEntriesView* view = table_.View();
  bool removed = false;
  for (auto it = plan.rbegin(); it != plan.rend(); ++it) {
    if (it->Outcome == TOutcome::Pending) continue;
    TEntries& list = *table_[it->Category].Entries;
    TEntry& entry = list[it->Position];
    if (entry.BoxItem != nullptr && view != nullptr) view->RemoveEntryRow(entry);
    list.Delete(it->Position);
    removed = true;
  }
  if (view != nullptr && removed) view->RefreshResultCounts();
}

TRepairRun::TRepairRun(platform::RegistryApi& api, CategoryTable& table,
                       const platform::EventPump& pump, TBackupMessages& messages)
    : api_(api), table_(table), pump_(pump), messages_(messages) {}

std::int32_t TRepairRun::RepairAll(const TBackupSettings& settings) {
  if (table_.PickedTotal() == 0) return 0;
  repairRan_ = true;
  unchanged_ = 0;
  unchangedText_.clear();

  std::unique_ptr<TRegBackup> backup;
  if (settings.On) {
    backup = std::make_unique<TRegBackup>(settings.File, settings.CreateAfresh,
                                          TRegBlockFormat(BackupCodePage(api_)), messages_);
    if (!backup->CanWrite())
      throw EBackupNotWritten("No backup can be written to " + settings.File.string() +
                              "; nothing was changed.");
  }

  // First the backup of every entry, on disk, then the changes: where the
  // registry changes live, a run stopped at any moment has the backup of
  // whatever it changed.
  std::vector<TPlanned> plan = Plan(backup.get());
  if (backup) {
    bool committed = false;
    try {
      committed = backup->Commit();
    } catch (const platform::FileError& failure) {
      // Reading the old blocks or moving the new file into place failed.
      messages_.ShowMessage(failure.what());
    }
    if (!committed)
      throw EBackupNotWritten("The backup " + settings.File.string() +
                              " could not be written; nothing was changed.");
  }

  std::int32_t repaired = 0;
  try {
    for (TPlanned& step : plan) {
      if (step.Outcome != TOutcome::Pending) continue;
      pump_.ProcessMessages();
      LSTATUS status = ERROR_SUCCESS;
      try {
        status = Change(api_, *step.Entry);
      } catch (const EBackupText& refused) {
        // Without a backup only a name the calls cannot address is refused,
        // before anything changed: the entry stays listed.
        messages_.ShowMessage(refused.what());
        continue;
      }
      if (status == ERROR_SUCCESS) {
        step.Outcome = TOutcome::Changed;
        ++repaired;
      } else if (!Unchanged(*step.Entry, status)) {
        step.Outcome = TOutcome::Gone;
      }
    }
  } catch (...) {
    RemoveRepaired(plan);
    throw;
  }
  RemoveRepaired(plan);
  ReportUnchanged();
  return repaired;
}

}  // namespace hw
