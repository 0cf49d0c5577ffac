#pragma once
// RepairAll: the repair run behind "Fix it!". It walks the picked entries of
// every category, backs each one up and deletes or rewrites it, and takes the
// repaired entries out of the results. It sits above the results model (whose
// entries it walks and removes) and below the window and the command-line
// tool, which both run it; the registry work itself is registry/Repair.h.
//
// Nothing is lost: the backup of the whole run is written (once, newest block
// first) before RepairAll returns, and the caller saves the registry only
// after it returned normally. A run that throws has written the backup of
// what it changed so far, but its changes must not be saved.

#include <cstdint>
#include <filesystem>
#include <stdexcept>

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
  // returns how many were repaired. Entries left with choice 0, invalid file
  // extensions, and entries whose backup block could not be written (the
  // message says why) stay listed and unchanged. Throws EBackupNotWritten when
  // the backup cannot be written: before any change when its folder takes no
  // file, else at the end, with the registry changed in memory only.
  std::int32_t RepairAll(const TBackupSettings& backup);

  // Set by a run that found at least one entry picked.
  bool RepairRan() const { return repairRan_; }

 private:
  // The picked entries of one category; returns how many were repaired.
  std::int32_t RepairCategory(int category, TRegBackup* backup);

  platform::RegistryApi& api_;
  CategoryTable& table_;
  const platform::EventPump& pump_;
  TBackupMessages& messages_;
  bool repairRan_ = false;
};

}  // namespace hw
