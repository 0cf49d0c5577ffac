#include "registry/NTRegistry.h"

#include <algorithm>
#include <cstring>

#include "platform/Text.h"

namespace hw {

namespace {

// Windows nests keys at most 512 deep; a deeper walk can only be a cycle of
// symbolic links, and stopping keeps the recursion off the stack's end.
constexpr int kMaxDepth = 512;

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;

std::string join(const std::string& base, const std::string& tail) {
  if (tail.empty()) return base;
  if (base.empty()) return tail;
  return base + '\\' + tail;
}

bool isAbsolute(std::string_view key) { return !key.empty() && key.front() == '\\'; }

// A path naming no key below its base: deleting it would delete the base.
bool namesNoKey(std::string_view path) {
  return path.find_first_not_of('\\') == std::string_view::npos;
}

// Names at indices 0 to count-1 whose enumeration succeeds, in index order.
// The names of a key's subkeys or values; the buffer starts at the longest
// name the caller knows of (0 when it asked for none) and grows on demand.
std::vector<std::string> enumNames(platform::RegistryApi& api, HKEY key, DWORD count, DWORD maxLen,
                                   bool values) {
  // A name of 16383 UTF-16 units takes at most three times as many bytes.
  constexpr std::size_t kLongestName = 3 * 16383 + 1;
  std::vector<std::string> names;
  names.reserve(count);
  std::vector<char> buffer(std::max<std::size_t>(std::size_t{maxLen} + 1, 256));
  for (DWORD i = 0; i < count;) {
    DWORD len = static_cast<DWORD>(buffer.size());
    LSTATUS status = values ? api.RegEnumValueA(key, i, buffer.data(), &len)
                            : api.RegEnumKeyExA(key, i, buffer.data(), &len);
    if (status == ERROR_MORE_DATA && buffer.size() < kLongestName) {
      buffer.resize(std::min(buffer.size() * 4, kLongestName));
      continue;
    }
    if (status == ERROR_SUCCESS) names.emplace_back(buffer.data(), len);
    ++i;
  }
  return names;
}

[[noreturn]] void raiseGetData(const std::string& name) {
  throw ERegistryException("Failed to get data for '" + name + "'");
}

[[noreturn]] void raiseInvalidType(const std::string& name) {
  throw ERegistryException("Invalid data type for '" + name + "'");
}

}  // namespace

bool IsSymbolicLink(platform::RegistryApi& api, HKEY base, const std::string& path,
                    std::string* target) {
  HKEY opened = nullptr;
  if (api.RegOpenLinkKeyA(base, path.c_str(), KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return false;
  TKeyHandle link(api, opened);
  constexpr const char* kLinkValue = "SymbolicLinkValue";
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (api.RegQueryStoredValueA(opened, kLinkValue, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_LINK)
    return false;
  if (target != nullptr) {
    target->assign(size, '\0');
    BYTE spare = 0;
    api.RegQueryStoredValueA(opened, kLinkValue, &type,
                             size ? reinterpret_cast<BYTE*>(target->data()) : &spare, &size);
    target->resize(size);
  }
  return true;
}

TRegDataKind DataKindFromType(DWORD type) {
  switch (type) {
    case REG_SZ: return dkString;
    case REG_EXPAND_SZ: return dkExpandString;
    case REG_DWORD: return dkInteger;
    case REG_BINARY: return dkBinary;
    default: return dkUnknown;
  }
}

DWORD DataTypeFromKind(TRegDataKind kind) {
  switch (kind) {
    case dkString: return REG_SZ;
    case dkExpandString: return REG_EXPAND_SZ;
    case dkInteger: return REG_DWORD;
    case dkBinary: return REG_BINARY;
    default: return REG_NONE;
  }
}

TNTRegistry::TNTRegistry(platform::RegistryApi& api) : api_(api) {}

TNTRegistry::~TNTRegistry() { CloseKey(); }

void TNTRegistry::SetRootKey(HKEY root) {
  if (root == rootKey_) return;
  CloseKey();
  rootKey_ = root;
}

HKEY TNTRegistry::BaseFor(std::string_view key, std::string& path) const {
  if (isAbsolute(key)) {
    path = key.substr(1);
    return rootKey_;
  }
  path = key;
  return currentKey_ ? currentKey_.get() : rootKey_;
}

TKeyHandle TNTRegistry::OpenHandle(HKEY base, const std::string& path, bool canCreate) {
  if (canCreate && !path.empty()) return CreateHandle(base, path);
  for (REGSAM access : {REGSAM{KEY_ALL_ACCESS}, kReadWrite, REGSAM{KEY_READ}}) {
    HKEY key = nullptr;
    if (api_.RegOpenKeyExA(base, path.c_str(), access, &key) == ERROR_SUCCESS) {
      return TKeyHandle(api_, key);
    }
  }
  return {};
}

TKeyHandle TNTRegistry::CreateHandle(HKEY base, const std::string& path) {
  for (REGSAM access : {REGSAM{KEY_ALL_ACCESS}, kReadWrite}) {
    HKEY key = nullptr;
    if (api_.RegCreateKeyExA(base, path.c_str(), access, &key, nullptr) == ERROR_SUCCESS) {
      return TKeyHandle(api_, key);
    }
  }
  return {};
}

TKeyHandle TNTRegistry::GetKey(const std::string& key, bool canCreate) {
  std::string path;
  HKEY base = BaseFor(key, path);
  return OpenHandle(base, path, canCreate);
}

void TNTRegistry::SetCurrent(TKeyHandle handle, const std::string& key) {
  std::string path;
  if (isAbsolute(key)) {
    path = key.substr(1);
  } else if (currentKey_) {
    // Reopening the current key with "" keeps its path as it is.
    path = join(currentPath_, key);
  } else {
    path = key;
  }
  currentKey_ = std::move(handle);  // closes the previous current key
  currentPath_ = std::move(path);
}

std::vector<std::string_view> TNTRegistry::FullPath(std::string_view key,
                                                    std::string& storage) const {
  if (isAbsolute(key)) {
    storage = key.substr(1);
  } else {
    storage = currentKey_ ? join(currentPath_, std::string(key)) : std::string(key);
  }
  return platform::SplitNonEmpty(storage, '\\');
}

bool TNTRegistry::OpenKey(const std::string& key, bool canCreate) {
  TKeyHandle handle = GetKey(key, canCreate);
  if (!handle) return false;
  SetCurrent(std::move(handle), key);
  return true;
}

bool TNTRegistry::OpenKeyWithAccess(const std::string& key, REGSAM access) {
  std::string path;
  HKEY base = BaseFor(key, path);
  HKEY opened = nullptr;
  if (api_.RegOpenKeyExA(base, path.c_str(), access, &opened) != ERROR_SUCCESS) return false;
  SetCurrent(TKeyHandle(api_, opened), key);
  return true;
}

bool TNTRegistry::CreateKey(const std::string& key) {
  std::string path;
  HKEY base = BaseFor(key, path);
  if (!CreateHandle(base, path)) throw ERegistryException("Failed to create key " + key);
  return true;
}

void TNTRegistry::CloseKey() {
  currentKey_.reset();
  currentPath_.clear();
}

bool TNTRegistry::DeleteKey(const std::string& key) {
  std::string path;
  HKEY base = BaseFor(key, path);
  // An empty path would make the platform delete the base itself: the current
  // key, or with its whole subtree the root.
  if (namesNoKey(path)) return false;
  return DeleteTree(base, path, 0);
}

bool TNTRegistry::DeleteTree(HKEY base, const std::string& path, int depth) {
  // Opening a link would reach the key it points at, and empty that one.
  if (IsSymbolicLink(api_, base, path))
    return api_.RegDeleteKeyA(base, path.c_str()) == ERROR_SUCCESS;
  if (TKeyHandle key = OpenHandle(base, path, false); key && depth < kMaxDepth) {
    TRegKeyInfo info;
    if (KeyInfoAt(key.get(), info)) {
      // From the highest index down, so that deleting a subkey never shifts
      // one not yet visited.
      std::vector<char> name(std::size_t{info.MaxSubKeyLen} + 1);
      for (DWORD i = info.NumSubKeys; i-- > 0;) {
        DWORD len = static_cast<DWORD>(name.size());
        if (api_.RegEnumKeyExA(key.get(), i, name.data(), &len) == ERROR_SUCCESS) {
          DeleteTree(key.get(), std::string(name.data(), len), depth + 1);
        }
      }
    }
  }
  return api_.RegDeleteKeyA(base, path.c_str()) == ERROR_SUCCESS;
}

bool TNTRegistry::DeleteValue(const std::string& name) {
  if (!currentKey_) return false;
  return api_.RegDeleteValueA(currentKey_.get(), name.c_str()) == ERROR_SUCCESS;
}

bool TNTRegistry::KeyExists(const std::string& key) { return static_cast<bool>(GetKey(key)); }

bool TNTRegistry::ValueExists(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info);
}

bool TNTRegistry::HasSubKeys() {
  DWORD subKeys = 0, values = 0;
  return GetKeyCounts(subKeys, values) && subKeys > 0;
}

bool TNTRegistry::KeyInfoAt(HKEY key, TRegKeyInfo& info) {
  info = TRegKeyInfo{};
  if (key == nullptr) return false;
  // On Windows NT with a double-byte system locale the "A" call reports name
  // lengths in characters, and MaxSubKeyLen and MaxValueLen would have to be
  // doubled to size buffers for the multi-byte names. Here the names are UTF-8
  // and the lengths are already in bytes.
  if (api_.RegQueryInfoKeyA(key, &info.NumSubKeys, &info.MaxSubKeyLen, &info.NumValues,
                            &info.MaxValueLen, &info.MaxDataLen, &info.FileTime) != ERROR_SUCCESS) {
    info = TRegKeyInfo{};
    return false;
  }
  return true;
}

bool TNTRegistry::GetKeyInfo(TRegKeyInfo& info) { return KeyInfoAt(currentKey_.get(), info); }

bool TNTRegistry::GetKeyTime(FILETIME& time) {
  time = FILETIME{};
  if (!currentKey_) return false;
  return api_.RegQueryInfoKeyA(currentKey_.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                               &time) == ERROR_SUCCESS;
}

bool TNTRegistry::GetKeyCounts(DWORD& subKeys, DWORD& values) {
  subKeys = values = 0;
  if (!currentKey_) return false;
  return api_.RegQueryInfoKeyA(currentKey_.get(), &subKeys, nullptr, &values, nullptr, nullptr,
                               nullptr) == ERROR_SUCCESS;
}

bool TNTRegistry::CountAt(HKEY key, bool values, DWORD& count) {
  count = 0;
  if (key == nullptr) return false;
  LSTATUS status =
      values ? api_.RegQueryInfoKeyA(key, nullptr, nullptr, &count, nullptr, nullptr, nullptr)
             : api_.RegQueryInfoKeyA(key, &count, nullptr, nullptr, nullptr, nullptr, nullptr);
  return status == ERROR_SUCCESS;
}

std::vector<std::string> ListKeyNames(platform::RegistryApi& api, HKEY key, bool values,
                                      bool* complete) {
  if (complete != nullptr) *complete = false;
  DWORD count = 0;
  if (key == nullptr) return {};
  LSTATUS status =
      values ? api.RegQueryInfoKeyA(key, nullptr, nullptr, &count, nullptr, nullptr, nullptr)
             : api.RegQueryInfoKeyA(key, &count, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return {};
  std::vector<std::string> names = enumNames(api, key, count, 0, values);
  if (complete != nullptr) *complete = names.size() == count;
  return names;
}

void TNTRegistry::GetKeyNames(std::vector<std::string>& names) {
  names = ListKeyNames(api_, currentKey_.get(), false);
}

void TNTRegistry::ValueNamesAt(HKEY key, std::vector<std::string>& names) {
  names = ListKeyNames(api_, key, true);
}

void TNTRegistry::GetValueNames(std::vector<std::string>& names) {
  ValueNamesAt(currentKey_.get(), names);
}

bool TNTRegistry::QueryValue(HKEY key, const std::string& name, DWORD& type, DWORD& size) {
  type = REG_NONE;
  size = 0;
  if (key == nullptr) return false;
  return api_.RegQueryValueExA(key, name.c_str(), &type, nullptr, &size) == ERROR_SUCCESS;
}

DWORD TNTRegistry::ReadRaw(HKEY key, const std::string& name, void* buffer, DWORD size,
                           DWORD& type) {
  // A null buffer would ask for the size only and "succeed" without reading.
  BYTE spare = 0;
  BYTE* data = buffer != nullptr ? static_cast<BYTE*>(buffer) : &spare;
  DWORD count = buffer != nullptr ? size : 0;
  if (key == nullptr ||
      api_.RegQueryValueExA(key, name.c_str(), &type, data, &count) != ERROR_SUCCESS) {
    raiseGetData(name);
  }
  return count;
}

void TNTRegistry::WriteRaw(HKEY key, const std::string& name, const void* buffer, DWORD size,
                           DWORD type) {
  const BYTE spare = 0;
  const BYTE* data = buffer != nullptr ? static_cast<const BYTE*>(buffer) : &spare;
  if (key == nullptr || api_.RegSetValueExA(key, name.c_str(), type, data,
                                            buffer != nullptr ? size : 0) != ERROR_SUCCESS) {
    throw ERegistryException("Failed to set data for '" + name + "'");
  }
}

bool TNTRegistry::GetDataInfoAt(HKEY key, const std::string& name, TRegDataInfo& info) {
  info = TRegDataInfo{};
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (!QueryValue(key, name, type, size)) return false;
  info.RegData = DataKindFromType(type);
  info.DataSize = static_cast<std::int32_t>(size);
  return true;
}

bool TNTRegistry::GetDataInfo(const std::string& name, TRegDataInfo& info) {
  return GetDataInfoAt(currentKey_.get(), name, info);
}

int TNTRegistry::GetDataSize(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.DataSize : -1;
}

TRegDataKind TNTRegistry::GetDataType(const std::string& name) {
  TRegDataInfo info;
  return GetDataInfo(name, info) ? info.RegData : dkUnknown;
}

int TNTRegistry::GetData(const std::string& name, void* buffer, DWORD size, TRegDataKind& kind) {
  DWORD type = REG_NONE;
  DWORD count = ReadRaw(currentKey_.get(), name, buffer, size, type);
  kind = DataKindFromType(type);
  return static_cast<int>(count);
}

void TNTRegistry::PutData(const std::string& name, const void* buffer, DWORD size,
                          TRegDataKind kind) {
  WriteRaw(currentKey_.get(), name, buffer, size, DataTypeFromKind(kind));
}

std::string TNTRegistry::ReadStringAt(HKEY key, const std::string& name) {
  TRegDataInfo info;
  if (!GetDataInfoAt(key, name, info) || info.DataSize < 1) return {};
  std::vector<char> buffer(static_cast<std::size_t>(info.DataSize));
  DWORD type = REG_NONE;
  DWORD count = ReadRaw(key, name, buffer.data(), static_cast<DWORD>(buffer.size()), type);
  TRegDataKind kind = DataKindFromType(type);
  if (kind != dkString && kind != dkExpandString) raiseInvalidType(name);
  return std::string(buffer.data(), strnlen(buffer.data(), count));
}

std::string TNTRegistry::ReadString(const std::string& name) {
  return ReadStringAt(currentKey_.get(), name);
}

void TNTRegistry::WriteStringAt(HKEY key, const std::string& name, const std::string& value) {
  WriteRaw(key, name, value.c_str(), static_cast<DWORD>(value.size() + 1), REG_SZ);
}

void TNTRegistry::WriteString(const std::string& name, const std::string& value) {
  WriteStringAt(currentKey_.get(), name, value);
}

std::int32_t TNTRegistry::ReadInteger(const std::string& name) {
  BYTE data[4] = {};
  TRegDataKind kind = dkUnknown;
  GetData(name, data, sizeof data, kind);
  if (kind != dkInteger) raiseInvalidType(name);
  // REG_DWORD data is little-endian whatever the host.
  std::uint32_t value = data[0] | (std::uint32_t{data[1]} << 8) | (std::uint32_t{data[2]} << 16) |
                        (std::uint32_t{data[3]} << 24);
  return static_cast<std::int32_t>(value);
}

bool TNTRegistry::RenameValue(const std::string& oldName, const std::string& newName) {
  HKEY key = currentKey_.get();
  DWORD type = REG_NONE;
  DWORD size = 0;
  DWORD otherType = REG_NONE;
  DWORD otherSize = 0;
  if (!QueryValue(key, oldName, type, size) || size < 1) return false;
  if (QueryValue(key, newName, otherType, otherSize)) return false;
  std::vector<BYTE> data(size);
  DWORD count = ReadRaw(key, oldName, data.data(), size, type);
  // The new value is written before the old one goes, so that a refused write
  // loses nothing; the platform type is carried over as it is, so multi-strings
  // and other types without a kind keep theirs.
  WriteRaw(key, newName, data.data(), count, type);
  if (api_.RegDeleteValueA(key, oldName.c_str()) != ERROR_SUCCESS) {
    api_.RegDeleteValueA(key, newName.c_str());
    return false;
  }
  return true;
}

bool TNTRegistry::MoveKey(const std::string& oldKey, const std::string& newKey, bool deleteOld) {
  TKeyHandle source = GetKey(oldKey);
  if (!source || KeyExists(newKey)) return false;

  // A destination inside the source would be copied into itself without end.
  std::string oldStorage;
  std::string newStorage;
  std::vector<std::string_view> oldPath = FullPath(oldKey, oldStorage);
  std::vector<std::string_view> newPath = FullPath(newKey, newStorage);
  if (newPath.size() >= oldPath.size()) {
    bool inside = true;
    for (std::size_t i = 0; i < oldPath.size() && inside; ++i) {
      inside = platform::equalsNoCase(oldPath[i], newPath[i]);
    }
    if (inside) return false;
  }

  std::string targetPath;
  HKEY targetBase = BaseFor(newKey, targetPath);
  TKeyHandle target = CreateHandle(targetBase, targetPath);
  if (!target) throw ERegistryException("Failed to create key " + newKey);

  bool complete = false;
  try {
    complete = CopyTree(source.get(), target.get(), newKey, 0);
  } catch (...) {
    target.reset();
    DeleteTree(targetBase, targetPath, 0);
    throw;
  }
  target.reset();
  source.reset();
  if (!complete) {
    DeleteTree(targetBase, targetPath, 0);
    return false;
  }
  return !deleteOld || DeleteKey(oldKey);
}

bool TNTRegistry::CopyTree(HKEY source, HKEY target, const std::string& targetPath, int depth) {
  TRegKeyInfo info;
  if (depth >= kMaxDepth || !KeyInfoAt(source, info)) return false;

  std::vector<std::string> values = enumNames(api_, source, info.NumValues, info.MaxValueLen, true);
  if (values.size() != info.NumValues) return false;
  for (const std::string& name : values) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!QueryValue(source, name, type, size)) return false;
    // Values without data are copied too: a move must not drop them.
    std::vector<BYTE> data(size);
    DWORD count = ReadRaw(source, name, data.data(), size, type);
    WriteRaw(target, name, data.data(), count, type);
  }

  std::vector<std::string> subKeys =
      enumNames(api_, source, info.NumSubKeys, info.MaxSubKeyLen, false);
  if (subKeys.size() != info.NumSubKeys) return false;
  for (const std::string& name : subKeys) {
    TKeyHandle from = OpenHandle(source, name, false);
    if (!from) return false;
    std::string path = targetPath + '\\' + name;
    TKeyHandle to = CreateHandle(target, name);
    if (!to) throw ERegistryException("Failed to create key " + path);
    if (!CopyTree(from.get(), to.get(), path, depth + 1)) return false;
  }
  return true;
}

}  // namespace hw
