#pragma once
// RepairAll: the repair run behind "Fix it!". It walks the picked entries of
// every category, backs each one up and deletes or rewrites it, and takes the
// repaired entries out of the results. It sits above the results model (whose
// entries it walks and removes) and below the window and the command-line
// tool, which both run it; the registry work itself is registry/Repair.h.
//
// Nothing is lost: the backup of the whole run is written (once, newest block
// first, flushed to disk) before its first change, and the caller saves the
// registry only after RepairAll returned normally. Where the registry changes
// live (Windows), a run stopped at any moment has the backup of everything it
// changed.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "platform/RegistryApi.h"

namespace hw {

class CategoryTable;
class TBackupMessages;
class TEntry;
class TRegBackup;

// The backup choices of the Fix_it page.
struct TBackupSettings {
  bool On = true;
  std::filesystem::path File;
  // The file is replaced instead of keeping its blocks after the new ones.
  bool CreateAfresh = true;
};

// The backup could not be written; the run's registry changes must not be
// saved. The reason was shown through the messages.
class EBackupNotWritten : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TRepairAction { None, DeleteKey, DeleteValue, RewriteValue };

// What repairing a picked entry does, by its category, choice and kinds.
TRepairAction RepairActionOf(const TEntry& entry);

class TRepairRun {
 public:
  // None is owned; all must outlive the run.
  TRepairRun(platform::RegistryApi& api, CategoryTable& table, const platform::EventPump& pump,
             TBackupMessages& messages);

  // Repairs the picked entries, category by category in list order, and
  // returns how many were changed. Entries left with choice 0, invalid file
  // extensions, entries whose backup block could not be written and entries
  // whose key or value cannot be changed (no write access) stay listed and
  // unchanged; one message names the last ones and why. Entries whose key or
  // value is gone leave the list uncounted. Throws
  // EBackupNotWritten, having changed nothing, when the backup cannot be
  // written.
  std::int32_t RepairAll(const TBackupSettings& backup);

  // Set by a run that found at least one entry picked.
  bool RepairRan() const { return repairRan_; }

 private:
  // Gone: the key or value no longer exists; the entry leaves the list
  // without counting as repaired.
  enum class TOutcome { Pending, Changed, Gone };
  struct TPlanned {
    int Category;
    int Position;  // in its list, before any removal
    TEntry* Entry;
    TOutcome Outcome;
  };
  // The entries to change, in the order of the run, each recorded in the
  // backup when there is one.
  std::vector<TPlanned> Plan(TRegBackup* backup);
  void RemoveRepaired(const std::vector<TPlanned>& plan);
  // Records why an entry was not changed; false when it is gone.
  bool Unchanged(const TEntry& entry, LSTATUS status);
  void ReportUnchanged();

  platform::RegistryApi& api_;
  CategoryTable& table_;
  const platform::EventPump& pump_;
  TBackupMessages& messages_;
  bool repairRan_ = false;
  std::size_t unchanged_ = 0;
  std::vector<std::string> unchangedText_;
};

}  // namespace hw
