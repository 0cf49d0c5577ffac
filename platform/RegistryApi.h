#pragma once
// The registry calls the program makes, with the semantics of the Windows
// API: status codes (ERROR_SUCCESS on success), predefined roots, access masks,
// names compared without regard to case, enumeration by index in a stable
// order. Only the arguments the program passes are kept; the Windows backend
// forwards them to advapi32, the store backend (StoreRegistryApi) emulates it.
//
// Text is UTF-8: the "A" calls take and return the platform's multi-byte code
// page, which here is UTF-8. Name lengths are therefore counted in bytes.

#include <string>

#include "platform/windows/WinTypes.h"

namespace hw::platform {

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  virtual LSTATUS RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result) = 0;
  // RegOpenKeyExA with REG_OPTION_OPEN_LINK: when the last component of subKey
  // is a symbolic link, the link key itself is opened (its REG_LINK value
  // SymbolicLinkValue can be read), not the key it points at.
  virtual LSTATUS RegOpenLinkKeyA(HKEY key, const char* subKey, REGSAM access, HKEY* result) = 0;
  // disposition may be null.
  virtual LSTATUS RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                                  DWORD* disposition) = 0;
  virtual LSTATUS RegCloseKey(HKEY key) = 0;
  // Any out pointer may be null. Lengths exclude the terminating zero;
  // maxValueLen is the longest value data in bytes.
  virtual LSTATUS RegQueryInfoKeyA(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                                   DWORD* maxValueNameLen, DWORD* maxValueLen,
                                   FILETIME* lastWriteTime) = 0;
  // nameLen: in the buffer's capacity, out the name's length without the zero.
  // ERROR_MORE_DATA when the buffer is too small, ERROR_NO_MORE_ITEMS past the end.
  virtual LSTATUS RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLen) = 0;
  virtual LSTATUS RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLen) = 0;
  // data may be null to ask for type and size only; size is in/out.
  virtual LSTATUS RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                   DWORD* size) = 0;
  // RegQueryValueExA without the conversion: string data as the registry
  // stores it, UTF-16LE, so that an odd length or a missing terminator shows.
  virtual LSTATUS RegQueryStoredValueA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                       DWORD* size) = 0;
  virtual LSTATUS RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                                 DWORD size) = 0;
  // Deletes a key that has no subkeys.
  virtual LSTATUS RegDeleteKeyA(HKEY key, const char* subKey) = 0;
  virtual LSTATUS RegDeleteValueA(HKEY key, const char* valueName) = 0;

  // The SID of the user HKEY_CURRENT_USER belongs to (S-1-5-21-...), which is
  // also the name of that hive below HKEY_USERS; empty when it is not known.
  virtual std::string CurrentUserSid() { return {}; }
};

}  // namespace hw::platform
