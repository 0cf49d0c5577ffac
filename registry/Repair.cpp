#include "registry/Repair.h"

#include <string_view>
#include <vector>

#include "registry/KeyHandle.h"
#include "registry/NTRegistry.h"
#include "registry/RegExport.h"

namespace hw {

namespace {

// Windows nests keys at most 512 deep; deeper can only be a cycle.
constexpr int kMaxDepth = 512;

std::string Below(const std::string& absolutePath) {
  std::string_view path = absolutePath;
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return std::string(path);
}

[[noreturn]] void Refuse(const std::string& rootName, const std::string& keyPath, const char* why) {
  throw EBackupText("The key \"" + rootName + NormaliseKeyPath(keyPath) + "\" " + why +
                    "; the entry was left as it is.");
}

// The blocks of a key and its subtree in the order the backup file shows them:
// the bare key, its values (last listed first, as recording them one by one in
// list order would leave them), then each subkey the same way. Whatever the
// backup could not restore exactly, or could not read, refuses the whole
// entry before anything is changed.
void SubtreeBlocks(platform::RegistryApi& api, HKEY base, const std::string& path,
                   const std::string& rootName, const std::string& keyPath, TRegBackup& backup,
                   std::vector<TRegBlock>& fileOrder, int depth) {
  const TRegBlockFormat& format = backup.Format();
  // First, so that a name with a NUL is never opened by the part before it.
  TRegBlock bare = format.Key(rootName, keyPath);
  // Imported, a link would come back as an ordinary key.
  if (IsSymbolicLink(api, base, path))
    Refuse(rootName, keyPath, "is a symbolic link, which a REGEDIT4 backup cannot restore");
  // Deeper keys are neither backed up nor deleted (DeleteSubtree stops there).
  if (depth >= kMaxDepth) return;
  HKEY opened = nullptr;
  if (api.RegOpenKeyExA(base, path.c_str(), KEY_READ, &opened) != ERROR_SUCCESS)
    Refuse(rootName, keyPath, "cannot be read for the backup");
  TKeyHandle key(api, opened);
  fileOrder.push_back(std::move(bare));
  bool complete = false;
  const std::vector<std::string> values = ListKeyNames(api, opened, true, &complete);
  if (!complete) Refuse(rootName, keyPath, "has values that cannot be listed for the backup");
  TRegBlock block;
  for (auto it = values.rbegin(); it != values.rend(); ++it) {
    if (!format.ReadValue(api, opened, rootName, keyPath, *it, block))
      Refuse(rootName, keyPath, "has a value that cannot be read for the backup");
    fileOrder.push_back(std::move(block));
  }
  const std::vector<std::string> children = ListKeyNames(api, opened, false, &complete);
  if (!complete) Refuse(rootName, keyPath, "has subkeys that cannot be listed for the backup");
  for (const std::string& child : children)
    SubtreeBlocks(api, opened, child, rootName, keyPath + "\\" + child, backup, fileOrder,
                  depth + 1);
}

// A name C strings cannot carry would reach another value.
void RefuseNulName(const std::string& valueName) {
  if (valueName.find('\0') != std::string::npos)
    throw EBackupText("The value name \"" + valueName.substr(0, valueName.find('\0')) +
                      "\" holds a NUL character; the entry was left as it is.");
}

// Deletes path below base with its subtree without following links: a key
// that can go at once (no subkeys, or a link) goes first, so a link's target
// is never opened.
bool DeleteSubtree(platform::RegistryApi& api, HKEY base, const std::string& path, int depth) {
  // A key deeper than the backup's walk reaches was not backed up: it stays.
  if (depth >= kMaxDepth) return false;
  if (api.RegDeleteKeyA(base, path.c_str()) == ERROR_SUCCESS) return true;
  if (IsSymbolicLink(api, base, path)) return false;
  HKEY opened = nullptr;
  if (api.RegOpenKeyExA(base, path.c_str(), KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) return false;
  {
    TKeyHandle key(api, opened);
    std::vector<std::string> children = ListKeyNames(api, opened, false);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      DeleteSubtree(api, opened, *it, depth + 1);
  }
  return api.RegDeleteKeyA(base, path.c_str()) == ERROR_SUCCESS;
}

bool KeyIsEmpty(TNTRegistry& reg) {
  DWORD subKeys = 0, values = 0;
  return reg.GetKeyCounts(subKeys, values) && subKeys == 0 && values == 0;
}

// Opens the entry's key as reg's current key with the access its change
// needs; the status of the failed open when it does not.
LSTATUS Open(platform::RegistryApi& api, TNTRegistry& reg, const TRepairKey& key, REGSAM access) {
  reg.SetRootKey(key.Root);
  if (reg.OpenKeyWithAccess(key.KeyPath, access)) return ERROR_SUCCESS;
  // Asked again for the reason; OpenKeyWithAccess only says whether.
  HKEY opened = nullptr;
  const LSTATUS status = api.RegOpenKeyExA(key.Root, Below(key.KeyPath).c_str(), access, &opened);
  if (status == ERROR_SUCCESS) {
    api.RegCloseKey(opened);
    return ERROR_ACCESS_DENIED;
  }
  return status;
}

LSTATUS OpenWithValue(platform::RegistryApi& api, TNTRegistry& reg, const TRepairKey& key,
                      REGSAM access, const std::string& valueName) {
  const LSTATUS status = Open(api, reg, key, access);
  if (status != ERROR_SUCCESS) return status;
  return reg.ValueExists(valueName) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

constexpr REGSAM kRewriteAccess = KEY_READ | KEY_WRITE;

}  // namespace

LSTATUS BackupDeleteKey(platform::RegistryApi& api, const TRepairKey& key, TRegBackup& backup) {
  TNTRegistry reg(api);
  const LSTATUS status = Open(api, reg, key, KEY_ALL_ACCESS);
  if (status != ERROR_SUCCESS) return status;
  reg.CloseKey();
  const std::string path = Below(key.KeyPath);
  if (path.empty()) return ERROR_ACCESS_DENIED;  // never a whole root
  std::vector<TRegBlock> fileOrder;
  SubtreeBlocks(api, key.Root, path, key.RootName, key.KeyPath, backup, fileOrder, 0);
  for (auto it = fileOrder.rbegin(); it != fileOrder.rend(); ++it) backup.Add(std::move(*it));
  return ERROR_SUCCESS;
}

LSTATUS RepairDeleteKey(platform::RegistryApi& api, const TRepairKey& key, TRegBackup* backup) {
  if (backup != nullptr) {
    if (const LSTATUS status = BackupDeleteKey(api, key, *backup); status != ERROR_SUCCESS)
      return status;
  } else {
    TNTRegistry reg(api);
    if (const LSTATUS status = Open(api, reg, key, KEY_ALL_ACCESS); status != ERROR_SUCCESS)
      return status;
  }
  const std::string path = Below(key.KeyPath);
  if (path.empty()) return ERROR_ACCESS_DENIED;
  DeleteSubtree(api, key.Root, path, 0);
  return ERROR_SUCCESS;
}

LSTATUS BackupDeleteValue(platform::RegistryApi& api, const TRepairKey& key,
                          const std::string& valueName, TRegBackup& backup) {
  RefuseNulName(valueName);
  TNTRegistry reg(api);
  const LSTATUS status = OpenWithValue(api, reg, key, KEY_ALL_ACCESS, valueName);
  if (status != ERROR_SUCCESS) return status;
  TRegBlock bare = backup.Format().Key(key.RootName, key.KeyPath);  // refuses early
  backup.AddValue(api, reg.CurrentKey(), key.RootName, key.KeyPath, valueName);
  // The key goes too when this value is all it holds, unless it is a link
  // (see RepairDeleteValue).
  DWORD subKeys = 0, values = 0;
  if (!IsSymbolicLink(api, key.Root, Below(key.KeyPath)) && reg.GetKeyCounts(subKeys, values) &&
      subKeys == 0 && values == 1)
    backup.Add(std::move(bare));
  return ERROR_SUCCESS;
}

LSTATUS RepairDeleteValue(platform::RegistryApi& api, const TRepairKey& key,
                          const std::string& valueName, TRegBackup* backup) {
  RefuseNulName(valueName);
  if (backup != nullptr) {
    if (const LSTATUS status = BackupDeleteValue(api, key, valueName, *backup);
        status != ERROR_SUCCESS)
      return status;
  }
  TNTRegistry reg(api);
  const LSTATUS status = OpenWithValue(api, reg, key, KEY_ALL_ACCESS, valueName);
  if (status != ERROR_SUCCESS) return status;
  if (!reg.DeleteValue(valueName)) return ERROR_ACCESS_DENIED;
  // A link emptied through is kept: deleting it would not delete what it
  // points at, and its backup would bring back an ordinary key.
  if (IsSymbolicLink(api, key.Root, Below(key.KeyPath)) || !KeyIsEmpty(reg)) return ERROR_SUCCESS;
  reg.CloseKey();
  DeleteSubtree(api, key.Root, Below(key.KeyPath), 0);
  return ERROR_SUCCESS;
}

LSTATUS BackupRewriteValue(platform::RegistryApi& api, const TRepairKey& key,
                           const std::string& valueName, const std::string& newText, bool asName,
                           TRegBackup& backup) {
  RefuseNulName(valueName);
  TNTRegistry reg(api);
  const LSTATUS status = OpenWithValue(api, reg, key, kRewriteAccess, valueName);
  if (status != ERROR_SUCCESS) return status;
  if (!asName || reg.ValueExists(newText)) {
    backup.AddValue(api, reg.CurrentKey(), key.RootName, key.KeyPath, valueName);
    return ERROR_SUCCESS;
  }
  // The mark that removes the value under its new name again on import.
  TRegBlock removeNew = backup.Format().Entry(key.RootName, key.KeyPath, newText, "-", dkString);
  backup.AddValue(api, reg.CurrentKey(), key.RootName, key.KeyPath, valueName);
  backup.Add(std::move(removeNew));
  return ERROR_SUCCESS;
}

LSTATUS RepairRewriteValue(platform::RegistryApi& api, const TRepairKey& key,
                           const std::string& valueName, const std::string& newText, bool asName,
                           TRegBackup* backup) {
  RefuseNulName(valueName);
  if (backup != nullptr) {
    if (const LSTATUS status = BackupRewriteValue(api, key, valueName, newText, asName, *backup);
        status != ERROR_SUCCESS)
      return status;
  }
  TNTRegistry reg(api);
  const LSTATUS status = OpenWithValue(api, reg, key, kRewriteAccess, valueName);
  if (status != ERROR_SUCCESS) return status;
  if (!asName) {
    reg.WriteString(valueName, newText);
  } else if (reg.ValueExists(newText)) {
    if (!reg.DeleteValue(valueName)) return ERROR_ACCESS_DENIED;
  } else if (!reg.RenameValue(valueName, newText)) {
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_SUCCESS;
}

std::string RepairFailureText(LSTATUS status) {
  switch (status) {
    case ERROR_SUCCESS: return {};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_KEY_DELETED: return "it no longer exists";
    case ERROR_ACCESS_DENIED: return "it cannot be changed (access denied)";
    default: return "it cannot be opened (error " + std::to_string(status) + ")";
  }
}

}  // namespace hw
