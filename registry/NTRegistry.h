#pragma once
// TNTRegistry: the one way the program reaches the registry. It holds a root,
// at most one open "current" key and that key's path; it opens keys with a
// fallback chain of access rights so that keys the user may only read can
// still be scanned, and deletes and copies whole subtrees.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryApi.h"
#include "registry/KeyHandle.h"
#include "registry/RegistryException.h"
#include "registry/RootKeys.h"

namespace hw {

enum TRegDataKind : std::uint8_t { dkUnknown, dkString, dkExpandString, dkInteger, dkBinary };

// The kind a platform value type reads as, and the type a kind is written as.
TRegDataKind DataKindFromType(DWORD type);
DWORD DataTypeFromKind(TRegDataKind kind);

struct TRegDataInfo {
  TRegDataKind RegData = dkUnknown;
  std::int32_t DataSize = 0;
};

struct TRegKeyInfo {
  DWORD NumSubKeys = 0;
  DWORD MaxSubKeyLen = 0;  // characters (here bytes of UTF-8), without the zero
  DWORD NumValues = 0;
  DWORD MaxValueLen = 0;  // longest value name, as MaxSubKeyLen
  DWORD MaxDataLen = 0;   // bytes
  FILETIME FileTime{};
};

// Whether path below base is a symbolic link itself (its last component not
// followed); target, when given, receives the link's SymbolicLinkValue as stored.
bool IsSymbolicLink(platform::RegistryApi& api, HKEY base, const std::string& path,
                    std::string* target = nullptr);

// The names of a key's subkeys or values, read one by one into a buffer that
// grows on demand: asking Windows for the longest name would cost a pass over
// all of them. complete, when given: whether every name could be read.
std::vector<std::string> ListKeyNames(platform::RegistryApi& api, HKEY key, bool values,
                                      bool* complete = nullptr);

class TNTRegistry {
 public:
  // Does not take ownership; api must outlive the object.
  explicit TNTRegistry(platform::RegistryApi& api);
  virtual ~TNTRegistry();
  TNTRegistry(const TNTRegistry&) = delete;
  TNTRegistry& operator=(const TNTRegistry&) = delete;

  HKEY RootKey() const { return rootKey_; }
  // Closes the current key when the root changes.
  void SetRootKey(HKEY root);
  // Null when no key is open.
  HKEY CurrentKey() const { return currentKey_.get(); }
  // Below RootKey, without a leading backslash; empty when no key is open.
  const std::string& CurrentPath() const { return currentPath_; }

  // A path starting with a backslash is taken below RootKey, any other below
  // the current key, or below RootKey when none is open.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyWithAccess(const std::string& key, REGSAM access);
  // Creates (or opens) the key and closes it again; throws when it cannot.
  bool CreateKey(const std::string& key);
  void CloseKey();
  // Deletes the key with its whole subtree; the result is that of the key itself.
  // A symbolic link, the key itself or one below it, is removed as a link:
  // the key it points at keeps its subkeys.
  bool DeleteKey(const std::string& key);
  bool DeleteValue(const std::string& name);
  bool KeyExists(const std::string& key);
  bool ValueExists(const std::string& name);
  bool HasSubKeys();

  // Everything about the current key. The longest lengths cost a pass over the
  // key's names and string data on Windows: callers that need only the time
  // or the counts ask for those.
  bool GetKeyInfo(TRegKeyInfo& info);
  bool GetKeyTime(FILETIME& time);
  bool GetKeyCounts(DWORD& subKeys, DWORD& values);
  void GetKeyNames(std::vector<std::string>& names);
  void GetValueNames(std::vector<std::string>& names);

  bool GetDataInfo(const std::string& name, TRegDataInfo& info);
  // -1 when the value cannot be queried.
  int GetDataSize(const std::string& name);
  TRegDataKind GetDataType(const std::string& name);
  // Returns the byte count read; throws when the value cannot be read into
  // buffer (missing, or larger than size).
  int GetData(const std::string& name, void* buffer, DWORD size, TRegDataKind& kind);
  void PutData(const std::string& name, const void* buffer, DWORD size, TRegDataKind kind);

  // The text of a string or expandable-string value (unexpanded); empty for a
  // missing or empty value; throws for a value of another kind.
  std::string ReadString(const std::string& name);
  void WriteString(const std::string& name, const std::string& value);
  std::int32_t ReadInteger(const std::string& name);

  // Renames a value of the current key, keeping its data and platform type.
  // Does nothing and returns false unless oldName exists with at least one
  // byte of data and newName does not exist.
  bool RenameValue(const std::string& oldName, const std::string& newName);
  // Copies the key oldKey with all its values (platform types kept) and
  // subkeys to newKey, then deletes oldKey when deleteOld is set. Does nothing
  // and returns false unless oldKey exists, newKey does not and does not lie
  // below oldKey. A copy that cannot be completed is removed again and the
  // source is left as it was. The current key is not changed. A link is read
  // through, as opening it does; deleting it removes the link only.
  bool MoveKey(const std::string& oldKey, const std::string& newKey, bool deleteOld);

 protected:
  platform::RegistryApi& Api() const { return api_; }

  // The private handle lookup: opens the key with the access chain (or creates
  // it) without touching the current key; an empty handle when it fails.
  TKeyHandle GetKey(const std::string& key, bool canCreate = false);
  // Creates or opens path below base; an empty handle when it fails.
  TKeyHandle CreateHandle(HKEY base, const std::string& path);

  // The value operations on any open key; the public ones pass CurrentKey.
  bool GetDataInfoAt(HKEY key, const std::string& name, TRegDataInfo& info);
  std::string ReadStringAt(HKEY key, const std::string& name);
  void WriteStringAt(HKEY key, const std::string& name, const std::string& value);
  void ValueNamesAt(HKEY key, std::vector<std::string>& names);

 private:
  // Splits a key argument into the base handle and the path below it.
  HKEY BaseFor(std::string_view key, std::string& path) const;
  TKeyHandle OpenHandle(HKEY base, const std::string& path, bool canCreate);
  bool KeyInfoAt(HKEY key, TRegKeyInfo& info);
  // The number of subkeys (or values), nothing else.
  bool CountAt(HKEY key, bool values, DWORD& count);
  void SetCurrent(TKeyHandle handle, const std::string& key);
  // The key's path below RootKey, split into its components.
  std::vector<std::string_view> FullPath(std::string_view key, std::string& storage) const;

  bool QueryValue(HKEY key, const std::string& name, DWORD& type, DWORD& size);
  DWORD ReadRaw(HKEY key, const std::string& name, void* buffer, DWORD size, DWORD& type);
  void WriteRaw(HKEY key, const std::string& name, const void* buffer, DWORD size, DWORD type);

  bool DeleteTree(HKEY base, const std::string& path, int depth);
  bool CopyTree(HKEY source, HKEY target, const std::string& targetPath, int depth);

  platform::RegistryApi& api_;
  HKEY rootKey_ = HKEY_CURRENT_USER;
  TKeyHandle currentKey_;
  std::string currentPath_;
};

}  // namespace hw
