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

void Apply(platform::RegistryApi& api, const TEntry& entry, TRegBackup* backup) {
  const TRepairAction action = RepairActionOf(entry);
  if (action == TRepairAction::None) return;
  const TRootKeyText parsed = ParseRootKeyText(entry.KeyText);
  const TRepairKey key{parsed.RootKey, parsed.RootName, parsed.KeyPath};
  switch (action) {
    case TRepairAction::DeleteKey: RepairDeleteKey(api, key, backup); break;
    case TRepairAction::DeleteValue: RepairDeleteValue(api, key, entry.ValueName, backup); break;
    case TRepairAction::RewriteValue:
      RepairRewriteValue(api, key, entry.ValueName, entry.ChoiceText(),
                         entry.Flags.Contains(etInvalidName), backup);
      break;
    case TRepairAction::None: break;
  }
}

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

std::int32_t TRepairRun::RepairCategory(int category, TRegBackup* backup) {
  TEntries& list = *table_[category].Entries;
  // Positions of the repaired entries, taken out when the category is done:
  // from the last one back, so that each removal is at or near the list's end
  // and a long run stays linear.
  std::vector<int> repaired;
  auto removeRepaired = [&] {
    TEntriesView* view = table_.View();
    for (auto it = repaired.rbegin(); it != repaired.rend(); ++it) {
      TEntry& entry = list[*it];
      if (entry.BoxItem != nullptr && view != nullptr) view->RemoveEntryRow(entry);
      list.Delete(*it);
    }
    if (view != nullptr && !repaired.empty()) view->RefreshResultCounts();
  };
  try {
    for (TEntry* entry = list.FirstPicked(); entry != nullptr; entry = list.NextPicked()) {
      pump_.ProcessMessages();
      if (!Repairs(*entry)) continue;
      const std::size_t mark = backup ? backup->Pending() : 0;
      try {
        Apply(api_, *entry, backup);
      } catch (const EBackupText& refused) {
        // Thrown before the entry was changed: it stays, with its blocks dropped.
        if (backup) backup->Truncate(mark);
        messages_.ShowMessage(refused.what());
        continue;
      }
      repaired.push_back(list.PickCursor());
    }
  } catch (...) {
    removeRepaired();
    throw;
  }
  removeRepaired();
  return static_cast<std::int32_t>(repaired.size());
}

TRepairRun::TRepairRun(platform::RegistryApi& api, CategoryTable& table,
                       const platform::EventPump& pump, TBackupMessages& messages)
    : api_(api), table_(table), pump_(pump), messages_(messages) {}

std::int32_t TRepairRun::RepairAll(const TBackupSettings& settings) {
  if (table_.PickedTotal() == 0) return 0;
  repairRan_ = true;

  std::unique_ptr<TRegBackup> backup;
  if (settings.On) {
    backup = std::make_unique<TRegBackup>(settings.File, settings.CreateAfresh,
                                          TRegBlockFormat(BackupCodePage(api_)), messages_);
    if (!backup->CanWrite())
      throw EBackupNotWritten("No backup can be written to " + settings.File.string() +
                              "; nothing was repaired.");
  }

  std::int32_t repaired = 0;
  try {
    for (int c = 0; c < kCategoryCount; ++c) repaired += RepairCategory(c, backup.get());
  } catch (...) {
    // The changes made before the failure are recorded all the same.
    if (backup) {
      try {
        backup->Commit();
      } catch (...) {
      }
    }
    throw;
  }
  bool committed = true;
  if (backup) {
    try {
      committed = backup->Commit();
    } catch (const platform::FileError& failure) {
      // Reading the old blocks or moving the new file into place failed.
      messages_.ShowMessage(failure.what());
      committed = false;
    }
  }
  if (!committed)
    throw EBackupNotWritten("The backup " + settings.File.string() +
                            " could not be written; the repairs must not be saved.");
  return repaired;
}

}  // namespace hw
