#pragma once
// The registry calls over a RegistryStore, with the Windows API's semantics:
// handles, access checks, status codes, symbolic links, strings converted
// between the store's UTF-16 and the caller's UTF-8.

#include <cstdint>
#include <vector>

#include "platform/RegistryApi.h"
#include "platform/RegistryStore.h"

namespace hw::platform {

class StoreRegistryApi final : public RegistryApi {
 public:
  // Does not take ownership; the store must outlive this object.
  explicit StoreRegistryApi(RegistryStore& store) : store_(store) {}

  LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override;
  LSTATUS RegOpenLinkKeyA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override;
  LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                          DWORD* disposition) override;
  LSTATUS RegCloseKey(HKEY key) override;
  LSTATUS RegQueryInfoKeyA(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                           DWORD* maxValueNameLen, DWORD* maxValueLen,
                           FILETIME* lastWriteTime) override;
  LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLen) override;
  LSTATUS RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLen) override;
  LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                           DWORD* size) override;
  LSTATUS RegQueryStoredValueA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                               DWORD* size) override;
  LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                         DWORD size) override;
  LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) override;
  LSTATUS RegDeleteValueA(HKEY key, const char* valueName) override;
  std::string CurrentUserSid() override { return store_.currentUserSid(); }

  // Handles not yet closed; a leak check for tests.
  std::size_t openHandleCount() const { return slots_.size() - freeSlots_.size(); }

 private:
  struct Handle {
    KeyNode* node;
    REGSAM access;
  };
  // The key a handle stands for, with the rights it was opened with; null with
  // the status to return when the handle is not usable.
  KeyNode* lookup(HKEY key, REGSAM* access, LSTATUS* status);
  // The key behind a handle opened with at least the `needed` rights.
  LSTATUS keyWithRights(HKEY key, REGSAM needed, KeyNode*& node);
  LSTATUS checkAccess(const KeyNode& node, REGSAM wanted) const;
  // The two value queries; convert: strings in UTF-8 rather than as stored.
  LSTATUS queryValue(HKEY key, const char* valueName, DWORD* type, BYTE* data, DWORD* size,
                     bool convert);
  // The key subKey names below key, every component but the last followed:
  // a link at the end is the link itself.
  LSTATUS keyItself(HKEY key, const char* subKey, KeyNode*& node);
  HKEY newHandle(KeyNode* node, REGSAM access);

  RegistryStore& store_;
  Handle* slotOf(HKEY key);

  // Open handles by slot; a closed slot has a null node and is reused, as
  // Windows reuses handle values. A scan opens and closes one per key.
  std::vector<Handle> slots_;
  std::vector<std::size_t> freeSlots_;
};

}  // namespace hw::platform
