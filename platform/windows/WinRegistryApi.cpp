#ifdef _WIN32

#include "platform/windows/WinRegistryApi.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <sddl.h>

#include "platform/RegistryStore.h"
#include "platform/Text.h"
#include "platform/windows/WideText.h"

namespace hw::platform {

namespace {

// A name argument: null stays null.
class WideName {
 public:
  explicit WideName(const char* utf8) : null_(!utf8), text_(utf8 ? WideText(utf8) : L"") {}
  const wchar_t* get() const { return null_ ? nullptr : text_.c_str(); }

 private:
  bool null_;
  std::wstring text_;
};

bool invalid(HKEY key) { return key == invalidRootKey(); }

// The name of subkey or value `index`, grown up to past the longest name
// Windows allows (16383 units for a value).
LSTATUS nameAt(HKEY key, DWORD index, bool value, std::wstring& name) {
  for (DWORD capacity = 256;; capacity *= 4) {
    name.assign(capacity, L'\0');
    DWORD length = capacity;
    LSTATUS status =
        value
            ? ::RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr)
            : ::RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) name.resize(length);
    if (status != ERROR_MORE_DATA || capacity >= 65536) return status;
  }
}

LSTATUS enumName(HKEY key, DWORD index, bool value, char* name, DWORD* nameLen) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  if (!name || !nameLen) return ERROR_INVALID_PARAMETER;
  std::wstring wide;
  if (LSTATUS status = nameAt(key, index, value, wide)) return status;
  std::string text = Utf8Text(wide);
  if (text.size() + 1 > *nameLen) return ERROR_MORE_DATA;
  std::memcpy(name, text.c_str(), text.size() + 1);
  *nameLen = static_cast<DWORD>(text.size());
  return ERROR_SUCCESS;
}

// The whole data of a value as stored, whatever its size.
LSTATUS storedData(HKEY key, const wchar_t* name, DWORD& type, std::string& data) {
  DWORD size = 0;
  LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    data.assign(size, '\0');
    status =
        ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      return status;
    }
  }
  return status;
}

// The longest name and data of a key's values, as the UTF-8 calls see them;
// only string data is read, to measure it in UTF-8.
LSTATUS longestValue(HKEY key, DWORD count, DWORD* longestName, DWORD* longestData) {
  std::wstring name;
  std::string data;
  for (DWORD i = 0; i < count; ++i) {
    if (LSTATUS status = nameAt(key, i, true, name)) return status;
    *longestName = std::max(*longestName, static_cast<DWORD>(utf8LengthOfUtf16(Utf16Bytes(name))));
    if (!longestData) continue;
    DWORD type = REG_NONE, size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && isStringType(type))
      status = storedData(key, name.c_str(), type, data);
    if (status) return status;
    if (isStringType(type)) size = static_cast<DWORD>(utf8LengthOfUtf16(data));
    *longestData = std::max(*longestData, size);
  }
  return ERROR_SUCCESS;
}

// NtDeleteKey deletes the key a handle stands for, a link included.
LSTATUS deleteByHandle(HKEY key) {
  using NtDeleteKey = LONG(WINAPI*)(HANDLE);
  using ToDosError = ULONG(WINAPI*)(LONG);
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  auto remove = reinterpret_cast<NtDeleteKey>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtDeleteKey")));
  auto toDos = reinterpret_cast<ToDosError>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlNtStatusToDosError")));
  if (!remove || !toDos) return ERROR_INVALID_FUNCTION;
  return static_cast<LSTATUS>(toDos(remove(key)));
}

}  // namespace

LSTATUS WinRegistryApi::RegOpenKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  return ::RegOpenKeyExW(key, WideName(subKey).get(), 0, access, result);
}

LSTATUS WinRegistryApi::RegOpenLinkKeyA(HKEY key, const char* subKey, REGSAM access, HKEY* result) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  return ::RegOpenKeyExW(key, WideName(subKey).get(), REG_OPTION_OPEN_LINK, access, result);
}

LSTATUS WinRegistryApi::RegCreateKeyExA(HKEY key, const char* subKey, REGSAM access, HKEY* result,
                                        DWORD* disposition) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  // RegCreateKeyExW wants a subkey; null means the key itself, as for opens.
  return ::RegCreateKeyExW(key, WideText(subKey ? subKey : "").c_str(), 0, nullptr,
                           REG_OPTION_NON_VOLATILE, access, nullptr, result, disposition);
}

LSTATUS WinRegistryApi::RegCloseKey(HKEY key) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  return ::RegCloseKey(key);
}

LSTATUS WinRegistryApi::RegQueryInfoKeyA(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen,
                                         DWORD* values, DWORD* maxValueNameLen, DWORD* maxValueLen,
                                         FILETIME* lastWriteTime) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  DWORD keyCount = 0, valueCount = 0;
  if (LSTATUS status =
          ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &keyCount, nullptr, nullptr,
                             &valueCount, nullptr, nullptr, nullptr, lastWriteTime))
    return status;
  if (maxSubKeyLen) {
    DWORD longest = 0;
    std::wstring name;
    for (DWORD i = 0; i < keyCount; ++i) {
      if (LSTATUS status = nameAt(key, i, false, name)) return status;
      longest = std::max(longest, static_cast<DWORD>(utf8LengthOfUtf16(Utf16Bytes(name))));
    }
    *maxSubKeyLen = longest;
  }
  if (maxValueNameLen || maxValueLen) {
    DWORD longestName = 0, longestData = 0;
    if (LSTATUS status =
            longestValue(key, valueCount, &longestName, maxValueLen ? &longestData : nullptr))
      return status;
    if (maxValueNameLen) *maxValueNameLen = longestName;
    if (maxValueLen) *maxValueLen = longestData;
  }
  if (subKeys) *subKeys = keyCount;
  if (values) *values = valueCount;
  return ERROR_SUCCESS;
}

LSTATUS WinRegistryApi::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLen) {
  return enumName(key, index, false, name, nameLen);
}

LSTATUS WinRegistryApi::RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* nameLen) {
  return enumName(key, index, true, name, nameLen);
}

LSTATUS WinRegistryApi::RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                         DWORD* size) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  WideName name(valueName);
  DWORD kind = REG_NONE, length = 0;
  if (LSTATUS status = ::RegQueryValueExW(key, name.get(), nullptr, &kind, nullptr, &length))
    return status;
  if (!isStringType(kind)) {
    if (type) *type = kind;
    if (data) return ::RegQueryValueExW(key, name.get(), nullptr, type, data, size);
    if (size) *size = length;
    return ERROR_SUCCESS;
  }
  std::string stored;
  if (LSTATUS status = storedData(key, name.get(), kind, stored)) return status;
  if (type) *type = kind;
  // What the A call does with its code page: strings converted, sizes of the
  // converted text, ERROR_MORE_DATA with the size needed.
  std::string bytes = utf16ToUtf8(stored);
  DWORD capacity = size ? *size : 0;
  if (size) *size = static_cast<DWORD>(bytes.size());
  if (!data) return ERROR_SUCCESS;
  if (bytes.size() > capacity) return ERROR_MORE_DATA;
  std::memcpy(data, bytes.data(), bytes.size());
  return ERROR_SUCCESS;
}

LSTATUS WinRegistryApi::RegQueryStoredValueA(HKEY key, const char* valueName, DWORD* type,
                                             BYTE* data, DWORD* size) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  return ::RegQueryValueExW(key, WideName(valueName).get(), nullptr, type, data, size);
}

LSTATUS WinRegistryApi::RegSetValueExA(HKEY key, const char* valueName, DWORD type,
                                       const BYTE* data, DWORD size) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  if (size && !data) return ERROR_INVALID_PARAMETER;
  std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  if (isStringType(type)) bytes = utf8ToUtf16(bytes);
  auto length = static_cast<DWORD>(bytes.size());
  // Windows adds a terminating zero the size left out when the character after
  // the data is zero, so what is stored would hang on memory past the caller's
  // buffer. A non-zero unit there keeps the data exactly as given.
  bytes += "\xFF\xFF";
  return ::RegSetValueExW(key, WideName(valueName).get(), 0, type,
                          reinterpret_cast<const BYTE*>(bytes.data()), length);
}

LSTATUS WinRegistryApi::RegDeleteKeyA(HKEY key, const char* subKey) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  HKEY target = nullptr;
  if (LSTATUS status =
          ::RegOpenKeyExW(key, WideName(subKey).get(), REG_OPTION_OPEN_LINK, DELETE, &target))
    return status;
  LSTATUS status = deleteByHandle(target);
  ::RegCloseKey(target);
  return status;
}

LSTATUS WinRegistryApi::RegDeleteValueA(HKEY key, const char* valueName) {
  if (invalid(key)) return ERROR_INVALID_HANDLE;
  return ::RegDeleteValueW(key, WideName(valueName).get());
}

std::string WinRegistryApi::CurrentUserSid() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::string sid;
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  LPSTR text = nullptr;
  if (size != 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    sid = text;
    ::LocalFree(text);
  }
  ::CloseHandle(token);
  return sid;
}

}  // namespace hw::platform

#endif  // _WIN32
