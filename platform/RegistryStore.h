#pragma once
// The registry as a tree of keys held in memory, the model behind both stores
// (the in-memory one for tests, the Wine-prefix one over system.reg, user.reg
// and userdef.reg). All changes go through RegistryStore so that each changed
// key gets a fresh write time and the store knows what to save.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "platform/windows/WinTypes.h"

namespace hw::platform {

// 100-nanosecond ticks since 1601-01-01 UTC, the value of a FILETIME.
using FileTicks = std::uint64_t;

FileTicks ticksFromUnixSeconds(std::int64_t seconds);
std::int64_t unixSecondsFromTicks(FileTicks ticks);
FILETIME toFileTime(FileTicks ticks);

struct RegValue {
  std::string name;  // UTF-8; empty for the default value
  DWORD type = REG_NONE;
  // The data as Windows holds it: strings (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
  // are UTF-16LE with their terminating zero, everything else raw bytes.
  std::string data;
};

enum class KeyAccess : std::uint8_t {
  Full,      // open for any access
  ReadOnly,  // opens for reading; asking for write access is denied
  NoAccess,  // every open is denied
};

class KeyNode {
 public:
  static constexpr std::uint32_t kNoOrigin = 0xFFFFFFFFu;

  KeyNode(std::string name, KeyNode* parent);
  ~KeyNode();
  KeyNode(const KeyNode&) = delete;
  KeyNode& operator=(const KeyNode&) = delete;

  const std::string& name() const { return name_; }
  KeyNode* parent() const { return parent_; }

  std::size_t childCount() const { return children_.size(); }
  // In the order the keys were loaded or created, which a saved file keeps.
  KeyNode* child(std::size_t index) const { return children_[index].get(); }
  // In the order Windows enumerates subkeys: a hive keeps them sorted by name,
  // compared as UTF-16 units in upper case (so "AB" comes before "A_").
  KeyNode* sortedChild(std::size_t index) const;
  KeyNode* findChild(std::string_view name) const;

  std::size_t valueCount() const { return values_.size(); }
  const RegValue& value(std::size_t index) const { return values_[index]; }
  const RegValue* findValue(std::string_view name) const;

  // The longest subkey name, value name and value data, in bytes as callers
  // of the UTF-8 calls see them. Kept until the key changes: a scan asks for
  // them several times per key.
  struct Extents {
    std::uint32_t longestSubKey = 0;
    std::uint32_t longestValueName = 0;
    std::uint32_t longestData = 0;
  };
  const Extents& extents() const;

  FileTicks lastWrite = 0;
  std::string className;  // the key's class, "" when none
  bool hasClass = false;
  bool isLink = false;  // a symbolic link; its SymbolicLinkValue names the target
  KeyAccess access = KeyAccess::Full;
  bool deleted = false;  // removed from the tree while a handle still referred to it
  bool changed = false;  // changed since it was loaded
  // Where the key was read from; the store that loaded it gives it meaning.
  std::uint32_t origin = kNoOrigin;

 private:
  friend class RegistryStore;
  struct ChildIndex;
  struct ValueIndex;

  KeyNode* addChild(std::string name);
  std::unique_ptr<KeyNode> removeChild(KeyNode* child);
  void setValue(std::string_view name, DWORD type, std::string data);
  bool removeValue(std::string_view name);
  std::size_t findValueIndex(std::string_view name) const;

  std::string name_;
  KeyNode* parent_;
  std::vector<std::unique_ptr<KeyNode>> children_;
  std::vector<RegValue> values_;
  // Built on demand for keys with many children or values, so that lookups in
  // a hive of hundreds of thousands of keys stay cheap.
  mutable std::unique_ptr<ChildIndex> childIndex_;
  mutable std::unique_ptr<ValueIndex> valueIndex_;
  // The children in sortedChild's order; empty until asked for after a change.
  mutable std::vector<KeyNode*> sorted_;
  mutable Extents extents_;
  mutable bool extentsValid_ = false;
};

// The size of a value's data as callers of the UTF-8 calls see it: strings
// converted from UTF-16, everything else as stored.
std::size_t callerDataLength(const RegValue& value);
bool isStringType(DWORD type);

enum class Hive : std::uint8_t { Machine, Users };

class RegistryStore {
 public:
  // Windows nests keys at most this many levels below a hive's root. Wine's
  // files may nest deeper; the walks over the tree go no deeper than this.
  static constexpr std::size_t kMaxKeyDepth = 512;

  explicit RegistryStore(std::string currentUserSid);
  virtual ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  KeyNode& hiveRoot(Hive hive) { return hive == Hive::Machine ? *machine_ : *users_; }
  const std::string& currentUserSid() const { return currentUserSid_; }

  // The key a predefined root stands for; null for roots that do not exist
  // here (HKEY_DYN_DATA, HKEY_PERFORMANCE_DATA) or whose target is missing.
  KeyNode* predefinedKey(HKEY root);

  // Follows a backslash-separated path below `from`, resolving symbolic links
  // as Windows does. Empty components are skipped. Null when a component is
  // missing or a link cannot be resolved (missing target, or a cycle).
  KeyNode* resolve(KeyNode* from, std::string_view path);
  // Follows a link key to its target; the key itself when it is no link.
  KeyNode* followLink(KeyNode* key);
  // Finds an absolute native path (\Registry\Machine\..., \Registry\User\...).
  KeyNode* resolveNative(std::string_view nativePath);
  // The native path of a key, e.g. \Registry\Machine\Software.
  std::string nativePath(const KeyNode* key) const;

  // Why the store refuses changes (Wine running in the prefix, say); empty when
  // it accepts them. While it is set, writes are denied.
  const std::string& readOnlyReason() const { return readOnlyReason_; }
  bool readOnly() const { return !readOnlyReason_.empty(); }
  void refuseWrites(std::string reason) { readOnlyReason_ = std::move(reason); }

  // Mutations. Each marks the touched key changed with a fresh write time.
  // createChild throws std::invalid_argument for an empty name or one with a
  // backslash.
  KeyNode* createChild(KeyNode& parent, std::string name);
  void deleteKey(KeyNode& key);  // the key must have no children
  void setValue(KeyNode& key, std::string_view name, DWORD type, std::string data);
  bool deleteValue(KeyNode& key, std::string_view name);
  void markChanged(KeyNode& key);

  // Builds the key and its parents below a predefined root without marking
  // anything changed (following links on the way); throws
  // std::invalid_argument for a root that does not exist here.
  KeyNode& ensureKey(HKEY root, std::string_view path);
  // Marks an existing key; false when it does not exist.
  bool setAccess(HKEY root, std::string_view path, KeyAccess access);

  // For loaders: build the tree without marking anything changed.
  KeyNode* loadChild(KeyNode& parent, std::string name) { return parent.addChild(std::move(name)); }
  void loadValue(KeyNode& key, std::string_view name, DWORD type, std::string data) {
    key.setValue(name, type, std::move(data));
  }

  // The clock for write times; tests replace it.
  void setClock(FileTicks (*clock)()) { clock_ = clock; }
  FileTicks now() const { return clock_(); }

 protected:
  // Told about every change, after the key is marked.
  virtual void onChanged(KeyNode& /*key*/) {}
  // Empties both hives before they are loaded again. Keys that handles may
  // still refer to stay alive, marked deleted.
  void discardTree();

 private:
  KeyNode* resolveFrom(KeyNode* from, std::string_view path, int depth);
  KeyNode* follow(KeyNode* key, int depth);
  KeyNode* resolveNativeFrom(std::string_view nativePath, int depth);

  std::string currentUserSid_;
  std::unique_ptr<KeyNode> machine_;
  std::unique_ptr<KeyNode> users_;
  // Deleted keys stay alive while handles may still refer to them.
  std::vector<std::unique_ptr<KeyNode>> graveyard_;
  std::string readOnlyReason_;
  FileTicks (*clock_)();
};

}  // namespace hw::platform
