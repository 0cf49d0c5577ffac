#pragma once
// The registry a long-lived scanner (the window's) reads: what the target's
// ScanApi() gave at the last Renew(), a fresh snapshot before each scan where
// the target takes one. Every call is forwarded there.

#include "platform/RegistryApi.h"
#include "platform/RegistryTarget.h"

namespace hw::platform {

class ScanRegistry final : public RegistryApi {
 public:
  // Does not take ownership; the target must outlive this object.
  explicit ScanRegistry(RegistryTarget& target) : target_(target), current_(&target.Api()) {}

  // Before a scan, never during one: the keys the last scan left open belong
  // to what it read.
  void Renew() { current_ = &target_.ScanApi(); }

  LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override {
    return current_->RegOpenKeyExA(key, subKey, access, result);
  }
  LSTATUS RegOpenLinkKeyA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override {
    return current_->RegOpenLinkKeyA(key, subKey, access, result);
  }
  LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                          DWORD* disposition) override {
    return current_->RegCreateKeyExA(key, subKey, access, result, disposition);
  }
  LSTATUS RegCloseKey(HKEY key) override { return current_->RegCloseKey(key); }
  LSTATUS RegQueryInfoKeyA(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                           DWORD* maxValueNameLen, DWORD* maxValueLen,
                           FILETIME* lastWriteTime) override {
    return current_->RegQueryInfoKeyA(key, subKeys, maxSubKeyLen, values, maxValueNameLen,
                                      maxValueLen, lastWriteTime);
  }
  LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLen) override {
    return current_->RegEnumKeyExA(key, index, name, nameLen);
  }
  LSTATUS RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLen) override {
    return current_->RegEnumValueA(key, index, name, nameLen);
  }
  LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                           DWORD* size) override {
    return current_->RegQueryValueExA(key, valueName, type, data, size);
  }
  LSTATUS RegQueryStoredValueA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                               DWORD* size) override {
    return current_->RegQueryStoredValueA(key, valueName, type, data, size);
  }
  LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                         DWORD size) override {
    return current_->RegSetValueExA(key, valueName, type, data, size);
  }
  LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) override {
    return current_->RegDeleteKeyA(key, subKey);
  }
  LSTATUS RegDeleteValueA(HKEY key, const char* valueName) override {
    return current_->RegDeleteValueA(key, valueName);
  }
  std::string CurrentUserSid() override { return current_->CurrentUserSid(); }

 private:
  RegistryTarget& target_;
  RegistryApi* current_;
};

}  // namespace hw::platform
