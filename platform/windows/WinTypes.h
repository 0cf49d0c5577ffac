#pragma once
// The Win32 names the layers above use for registry handles, types and status
// codes. On Windows they come from <windows.h>; elsewhere we declare the same
// names with the same values, so code above platform/ reads alike on both.

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h maps neutral names onto their A or W function by macro; the core
// has methods of its own by some of these names.
#undef GetMessage
#else
#include <cstdint>

struct HKEY__;
using HKEY = HKEY__*;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using LSTATUS = LONG;
using REGSAM = DWORD;
using UINT = unsigned int;
using BYTE = std::uint8_t;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

namespace hw::platform::detail {
// Predefined roots are sign-extended 32-bit values, as on 64-bit Windows.
inline HKEY predefinedKey(std::uint32_t value) {
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
}  // namespace hw::platform::detail

inline HKEY const HKEY_CLASSES_ROOT = hw::platform::detail::predefinedKey(0x80000000u);
inline HKEY const HKEY_CURRENT_USER = hw::platform::detail::predefinedKey(0x80000001u);
inline HKEY const HKEY_LOCAL_MACHINE = hw::platform::detail::predefinedKey(0x80000002u);
inline HKEY const HKEY_USERS = hw::platform::detail::predefinedKey(0x80000003u);
inline HKEY const HKEY_PERFORMANCE_DATA = hw::platform::detail::predefinedKey(0x80000004u);
inline HKEY const HKEY_CURRENT_CONFIG = hw::platform::detail::predefinedKey(0x80000005u);
inline HKEY const HKEY_DYN_DATA = hw::platform::detail::predefinedKey(0x80000006u);

constexpr LSTATUS ERROR_SUCCESS = 0;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
constexpr LSTATUS ERROR_OUTOFMEMORY = 14;
constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
constexpr LSTATUS ERROR_BADKEY = 1010;
constexpr LSTATUS ERROR_KEY_DELETED = 1018;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

constexpr UINT DRIVE_UNKNOWN = 0;
constexpr UINT DRIVE_NO_ROOT_DIR = 1;
constexpr UINT DRIVE_REMOVABLE = 2;
constexpr UINT DRIVE_FIXED = 3;
constexpr UINT DRIVE_REMOTE = 4;
constexpr UINT DRIVE_CDROM = 5;
constexpr UINT DRIVE_RAMDISK = 6;
#endif

namespace hw::platform {
// The invalid root: every open below it fails.
inline HKEY invalidRootKey() { return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(-1)); }
}  // namespace hw::platform
