#include "platform/StoreRegistryApi.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace hw::platform {

namespace {

constexpr REGSAM kDelete = 0x10000;
constexpr REGSAM kWriteDac = 0x40000;
constexpr REGSAM kWriteOwner = 0x80000;
constexpr REGSAM kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | kDelete | kWriteDac | kWriteOwner;
constexpr LSTATUS kErrorBadPathname = 161;

bool isPredefined(HKEY key) {
  return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE ||
         key == HKEY_USERS || key == HKEY_PERFORMANCE_DATA || key == HKEY_CURRENT_CONFIG ||
         key == HKEY_DYN_DATA;
}

std::string_view text(const char* s) { return s ? std::string_view(s) : std::string_view(); }

// The path an open (or a delete, which opens) goes by: below HKEY_CLASSES_ROOT
// Windows skips one leading backslash, which elsewhere makes a bad path.
std::string_view openPath(HKEY key, const char* subKey) {
  std::string_view path = text(subKey);
  if (key == HKEY_CLASSES_ROOT && !path.empty() && path.front() == '\\') path.remove_prefix(1);
  return path;
}

// Splits "a\b\c" into "a\b" and "c".
std::pair<std::string_view, std::string_view> splitLast(std::string_view path) {
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  std::size_t cut = path.rfind('\\');
  if (cut == std::string_view::npos) return {std::string_view(), path};
  return {path.substr(0, cut), path.substr(cut + 1)};
}

// The data a caller of the "A" calls sees: strings in UTF-8.
std::string callerData(const RegValue& value) {
  return isStringType(value.type) ? utf16ToUtf8(value.data) : value.data;
}

// Windows' limits on names, in UTF-16 units: a key name (each component of a
// path) and a value name.
constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueName = 16383;

bool longerThan(std::string_view name, std::size_t units) {
  return name.size() > units && utf8ToUtf16(name).size() / 2 > units;
}

LSTATUS copyName(const std::string& source, char* name, DWORD* nameLen) {
  if (!name || !nameLen) return ERROR_INVALID_PARAMETER;
  if (source.size() + 1 > *nameLen) return ERROR_MORE_DATA;
  std::memcpy(name, source.c_str(), source.size() + 1);
  *nameLen = static_cast<DWORD>(source.size());
  return ERROR_SUCCESS;
}

}  // namespace

namespace {
// Handle values are multiples of four from here, well clear of null and of
// the predefined roots.
constexpr std::uintptr_t kFirstHandle = 0x1000;
}  // namespace

HKEY StoreRegistryApi::newHandle(KeyNode* node, REGSAM access) {
  std::size_t slot = slots_.size();
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
    slots_[slot] = Handle{node, access};
  } else {
    slots_.push_back(Handle{node, access});
  }
  return reinterpret_cast<HKEY>(kFirstHandle + 4 * slot);
}

StoreRegistryApi::Handle* StoreRegistryApi::slotOf(HKEY key) {
  auto value = reinterpret_cast<std::uintptr_t>(key);
  if (value < kFirstHandle || (value - kFirstHandle) % 4 != 0) return nullptr;
  std::size_t slot = (value - kFirstHandle) / 4;
  if (slot >= slots_.size() || !slots_[slot].node) return nullptr;
  return &slots_[slot];
}

LSTATUS StoreRegistryApi::keyWithRights(HKEY key, REGSAM needed, KeyNode*& node) {
  REGSAM granted = 0;
  LSTATUS status = ERROR_SUCCESS;
  node = lookup(key, &granted, &status);
  if (!node) return status;
  if ((granted & needed) != needed) {
    node = nullptr;
    return ERROR_ACCESS_DENIED;
  }
  return ERROR_SUCCESS;
}

KeyNode* StoreRegistryApi::lookup(HKEY key, REGSAM* access, LSTATUS* status) {
  if (isPredefined(key)) {
    KeyNode* node = store_.predefinedKey(key);
    *status = node ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    *access = KEY_ALL_ACCESS;
    return node;
  }
  Handle* handle = slotOf(key);
  if (!handle) {
    *status = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (handle->node->deleted) {
    *status = ERROR_KEY_DELETED;
    return nullptr;
  }
  *access = handle->access;
  *status = ERROR_SUCCESS;
  return handle->node;
}

LSTATUS StoreRegistryApi::checkAccess(const KeyNode& node, REGSAM wanted) const {
  if (node.access == KeyAccess::NoAccess) return ERROR_ACCESS_DENIED;
  bool writable = node.access == KeyAccess::Full && !store_.readOnly();
  if ((wanted & kWriteRights) && !writable) return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  KeyNode* base = nullptr;
  if (LSTATUS status = keyWithRights(key, 0, base)) return status;
  std::string_view path = openPath(key, subKey);
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  KeyNode* node = store_.resolve(base, path);
  if (!node) return ERROR_FILE_NOT_FOUND;
  if (LSTATUS denied = checkAccess(*node, access)) return denied;
  *result = newHandle(node, access);
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::RegOpenLinkKeyA(HKEY key, const char* subKey, REGSAM access,
                                          HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  KeyNode* node = nullptr;
  if (LSTATUS status = keyItself(key, subKey, node)) return status;
  if (LSTATUS denied = checkAccess(*node, access)) return denied;
  *result = newHandle(node, access);
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::keyItself(HKEY key, const char* subKey, KeyNode*& node) {
  KeyNode* base = nullptr;
  if (LSTATUS status = keyWithRights(key, 0, base)) return status;
  std::string_view path = openPath(key, subKey);
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  auto [parentPath, leaf] = splitLast(path);
  node = base;
  if (!leaf.empty()) {
    KeyNode* parent = store_.resolve(base, parentPath);
    node = parent ? parent->findChild(leaf) : nullptr;
  }
  return node ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LSTATUS StoreRegistryApi::RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                                          DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  REGSAM baseAccess = 0;
  LSTATUS status = ERROR_SUCCESS;
  KeyNode* node = lookup(key, &baseAccess, &status);
  if (!node) return status;
  std::string_view path = text(subKey);
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;

  DWORD outcome = REG_OPENED_EXISTING_KEY;
  bool first = true;
  for (std::string_view component : SplitNonEmpty(path, '\\')) {
    if (KeyNode* child = node->findChild(component)) {
      node = store_.followLink(child);
      if (!node) return ERROR_FILE_NOT_FOUND;
    } else {
      if (longerThan(component, kMaxKeyName)) return ERROR_INVALID_PARAMETER;
      // Creating needs the right on the parent: the handle's for a direct
      // child, the key's own for deeper ones.
      if (first && !(baseAccess & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
      if (LSTATUS denied = checkAccess(*node, KEY_CREATE_SUB_KEY)) return denied;
      node = store_.createChild(*node, std::string(component));
      outcome = REG_CREATED_NEW_KEY;
    }
    first = false;
  }
  if (LSTATUS denied = checkAccess(*node, access)) return denied;
  *result = newHandle(node, access);
  if (disposition) *disposition = outcome;
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::RegCloseKey(HKEY key) {
  if (isPredefined(key)) return ERROR_SUCCESS;
  Handle* handle = slotOf(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  *handle = Handle{nullptr, 0};
  freeSlots_.push_back(static_cast<std::size_t>(handle - slots_.data()));
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::RegQueryInfoKeyA(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen,
                                           DWORD* values, DWORD* maxValueNameLen,
                                           DWORD* maxValueLen, FILETIME* lastWriteTime) {
  KeyNode* node = nullptr;
  if (LSTATUS status = keyWithRights(key, KEY_QUERY_VALUE, node)) return status;
  const KeyNode::Extents& extents = node->extents();
  if (subKeys) *subKeys = static_cast<DWORD>(node->childCount());
  if (maxSubKeyLen) *maxSubKeyLen = static_cast<DWORD>(extents.longestSubKey);
  if (values) *values = static_cast<DWORD>(node->valueCount());
  if (maxValueNameLen) *maxValueNameLen = static_cast<DWORD>(extents.longestValueName);
  if (maxValueLen) *maxValueLen = static_cast<DWORD>(extents.longestData);
  if (lastWriteTime) *lastWriteTime = toFileTime(node->lastWrite);
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLen) {
  KeyNode* node = nullptr;
  if (LSTATUS status = keyWithRights(key, KEY_ENUMERATE_SUB_KEYS, node)) return status;
  if (index >= node->childCount()) return ERROR_NO_MORE_ITEMS;
  return copyName(node->sortedChild(index)->name(), name, nameLen);
}

LSTATUS StoreRegistryApi::RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLen) {
  KeyNode* node = nullptr;
  if (LSTATUS status = keyWithRights(key, KEY_QUERY_VALUE, node)) return status;
  if (index >= node->valueCount()) return ERROR_NO_MORE_ITEMS;
  return copyName(node->value(index).name, name, nameLen);
}

LSTATUS StoreRegistryApi::RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                           DWORD* size) {
  return queryValue(key, valueName, type, data, size, true);
}

LSTATUS StoreRegistryApi::RegQueryStoredValueA(HKEY key, const char* valueName, DWORD* type,
                                               BYTE* data, DWORD* size) {
  return queryValue(key, valueName, type, data, size, false);
}

LSTATUS StoreRegistryApi::queryValue(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                     DWORD* size, bool convert) {
  KeyNode* node = nullptr;
  if (LSTATUS status = keyWithRights(key, KEY_QUERY_VALUE, node)) return status;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  const RegValue* value = node->findValue(text(valueName));
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  if (!data) {
    if (size) *size = static_cast<DWORD>(convert ? callerDataLength(*value) : value->data.size());
    return ERROR_SUCCESS;
  }
  std::string bytes = convert ? callerData(*value) : value->data;
  DWORD capacity = *size;
  *size = static_cast<DWORD>(bytes.size());
  if (bytes.size() > capacity) return ERROR_MORE_DATA;
  std::memcpy(data, bytes.data(), bytes.size());
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::RegSetValueExA(HKEY key, const char* valueName, DWORD type,
                                         const BYTE* data, DWORD size) {
  KeyNode* node = nullptr;
  if (LSTATUS status = keyWithRights(key, KEY_SET_VALUE, node)) return status;
  if (LSTATUS denied = checkAccess(*node, KEY_SET_VALUE)) return denied;
  if ((size && !data) || longerThan(text(valueName), kMaxValueName)) return ERROR_INVALID_PARAMETER;
  std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  if (isStringType(type)) bytes = utf8ToUtf16(bytes);
  store_.setValue(*node, text(valueName), type, std::move(bytes));
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::RegDeleteKeyA(HKEY key, const char* subKey) {
  // The last component is not followed: deleting a link removes the link.
  KeyNode* target = nullptr;
  if (LSTATUS status = keyItself(key, subKey, target)) return status;
  if (!target->parent() || target->childCount() > 0) return ERROR_ACCESS_DENIED;
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_CURRENT_CONFIG})
    if (store_.predefinedKey(root) == target) return ERROR_ACCESS_DENIED;
  if (LSTATUS denied = checkAccess(*target, kDelete)) return denied;
  store_.deleteKey(*target);
  return ERROR_SUCCESS;
}

LSTATUS StoreRegistryApi::RegDeleteValueA(HKEY key, const char* valueName) {
  KeyNode* node = nullptr;
  if (LSTATUS status = keyWithRights(key, KEY_SET_VALUE, node)) return status;
  if (LSTATUS denied = checkAccess(*node, KEY_SET_VALUE)) return denied;
  return store_.deleteValue(*node, text(valueName)) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

}  // namespace hw::platform
