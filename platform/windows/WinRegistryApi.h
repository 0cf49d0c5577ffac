#pragma once
// The registry calls on Windows, forwarded to advapi32.
//
// The core's text is UTF-8, but the real "A" calls convert with the system's
// ANSI code page and would garble every non-ASCII name. So each call goes to
// its "W" twin, converting UTF-8 <-> UTF-16 as the A call would convert with
// its code page: names and string data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
// are UTF-8 on this side, and lengths and sizes count UTF-8 bytes.

#ifdef _WIN32

#include <cstdint>  // WinTypes.h uses std::intptr_t

#include "platform/RegistryApi.h"

namespace hw::platform {

class WinRegistryApi final : public RegistryApi {
 public:
  LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override;
  LSTATUS RegOpenLinkKeyA(HKEY key, const char* subKey, REGSAM access, HKEY* result) override;
  LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                          DWORD* disposition) override;
  LSTATUS RegCloseKey(HKEY key) override;
  // The longest names and data are measured in UTF-8 bytes, which takes a walk
  // over the key's names (and its string data when maxValueLen is asked for):
  // Windows counts names in UTF-16 units and strings in UTF-16 bytes.
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
  // Like the store, removes a link key itself: RegDeleteKeyW would follow a
  // link at the end of the path and delete its target.
  LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) override;
  LSTATUS RegDeleteValueA(HKEY key, const char* valueName) override;
  // From the process's token.
  std::string CurrentUserSid() override;
};

}  // namespace hw::platform

#endif  // _WIN32
