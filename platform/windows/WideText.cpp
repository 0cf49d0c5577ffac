#ifdef _WIN32

#include "platform/windows/WideText.h"

#include <cstring>

#include "platform/Text.h"

namespace hw::platform {

std::wstring WideText(std::string_view utf8) {
  const std::string bytes = utf8ToUtf16(utf8);
  std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
  return wide;
}

std::string_view Utf16Bytes(std::wstring_view wide) {
  return {reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t)};
}

std::string Utf8Text(std::wstring_view wide) { return utf16ToUtf8(Utf16Bytes(wide)); }

}  // namespace hw::platform

#endif  // _WIN32
