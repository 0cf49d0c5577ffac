#pragma once
// The three repairs of one found entry: delete its key, delete its value, or
// rewrite its value (data, or name when the name held the missing path). Each
// first records the old state in the backup, when there is one, then changes
// the registry; a key that does not open is left alone.

#include <string>

#include "platform/RegistryApi.h"

namespace hw {

class TRegBackup;

// The key an entry is about, as the engine's root-text parser splits its key
// text; an invalid root opens nothing.
struct TRepairKey {
  HKEY Root = nullptr;
  std::string RootName;
  std::string KeyPath;  // below the root, beginning with a backslash
};

// Each repair first opens the key with the access its change needs and
// returns ERROR_SUCCESS when it made its change, else why not: the status of
// the failed open (ERROR_FILE_NOT_FOUND for a key or value that is gone,
// ERROR_ACCESS_DENIED for one that cannot be written), nothing changed.
//
// The Backup* halves record in the backup what the change would replace and
// change nothing, so that a run can write its whole backup before its first
// change (on Windows every change is live at once). The Repair* functions make
// the change, after recording it themselves when given a backup (null: backups
// are off). What the backup cannot hold exactly throws EBackupText before
// anything is changed; so does a value name with a NUL, which the calls cannot
// address.

// Deletes the key with its subtree, after backing up every key and value of
// it (per key: the bare key first, then its values). With a backup, a
// symbolic link in the subtree (or the key itself being one) refuses the
// entry, as the backup could not restore it; without one it is deleted as a
// link. What a link points at is never touched.
LSTATUS BackupDeleteKey(platform::RegistryApi& api, const TRepairKey& key, TRegBackup& backup);
LSTATUS RepairDeleteKey(platform::RegistryApi& api, const TRepairKey& key, TRegBackup* backup);
// Deletes the value, and the key too when that leaves it with no values and
// no subkeys.
LSTATUS BackupDeleteValue(platform::RegistryApi& api, const TRepairKey& key,
                          const std::string& valueName, TRegBackup& backup);
LSTATUS RepairDeleteValue(platform::RegistryApi& api, const TRepairKey& key,
                          const std::string& valueName, TRegBackup* backup);
// asName: the value is renamed to newText (or, when a value of that name
// exists, deleted); else its data becomes newText as REG_SZ.
LSTATUS BackupRewriteValue(platform::RegistryApi& api, const TRepairKey& key,
                           const std::string& valueName, const std::string& newText, bool asName,
                           TRegBackup& backup);
LSTATUS RepairRewriteValue(platform::RegistryApi& api, const TRepairKey& key,
                           const std::string& valueName, const std::string& newText, bool asName,
                           TRegBackup* backup);

// Why a repair made no change, for the user: "it no longer exists", ...
std::string RepairFailureText(LSTATUS status);

}  // namespace hw
