#pragma once
// UTF-8 <-> UTF-16 for the W functions of the Windows build, through the
// project's WTF-8 helpers (Text.h) rather than CP_UTF8: a name with an
// unpaired surrogate (registries and NTFS allow them) comes back exactly, so
// a key or file found once is found again under the name the core holds.

#ifdef _WIN32

#include <string>
#include <string_view>

namespace hw::platform {

std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);
// The UTF-16 bytes of wide text, as Text.h's helpers take them.
std::string_view Utf16Bytes(std::wstring_view wide);

}  // namespace hw::platform

#endif  // _WIN32
