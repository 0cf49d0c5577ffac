#include "update/UpdatePage.h"

#include <charconv>
#include <string>

#include "Version.h"

namespace hw {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of marker in text, compared without regard to ASCII case.
std::size_t FindNoCase(std::string_view text, std::string_view marker) {
  if (marker.empty() || marker.size() > text.size()) return std::string_view::npos;
  for (std::size_t at = 0; at + marker.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < marker.size() && LowerAscii(text[at + i]) == LowerAscii(marker[i])) ++i;
    if (i == marker.size()) return at;
  }
  return std::string_view::npos;
}

// Digits only, and within 32 bits; anything else reads as 0.
std::int32_t DecimalOrZero(std::string_view text) {
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

}  // namespace

std::optional<std::int32_t> PublishedRevision(std::string_view page, std::string_view marker) {
  page = page.substr(0, kUpdatePageBytes);
  const std::size_t at = FindNoCase(page, marker);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t begin = at + marker.size() + 1;  // the separator, whatever it is
  if (begin > page.size()) return 0;
  std::size_t end = begin;
  while (end < page.size() && (page[end] == ' ' || (page[end] >= '0' && page[end] <= '9'))) ++end;
  while (begin < end && page[begin] == ' ') ++begin;
  while (end > begin && page[end - 1] == ' ') --end;
  return DecimalOrZero(page.substr(begin, end - begin));
}

std::int32_t RevisionFromVersion(int major, int minor, int release) {
  if (major < 0 || minor < 0 || release < 0) return 0;
  return DecimalOrZero(std::to_string(major) + std::to_string(minor) + std::to_string(release));
}

std::int32_t ProgramRevision() {
  return RevisionFromVersion(version::kMajor, version::kMinor, version::kRelease);
}

}  // namespace hw
