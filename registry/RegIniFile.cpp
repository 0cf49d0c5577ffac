#include "registry/RegIniFile.h"

#include <charconv>
#include <utility>

namespace hw {

namespace {

// The whole text must be the number: "12abc" is no number.
bool parseInteger(std::string_view text, int base, std::int32_t& value) {
  if (text.empty()) return false;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (base == 16) {
    // Hexadecimal text is the 32-bit pattern: 0xFFFFFFFF reads as -1.
    std::uint32_t bits = 0;
    auto [ptr, ec] = std::from_chars(begin, end, bits, 16);
    if (ec != std::errc() || ptr != end) return false;
    value = static_cast<std::int32_t>(bits);
    return true;
  }
  if (*begin == '+') {
    ++begin;
    if (begin == end || *begin == '-') return false;
  }
  auto [ptr, ec] = std::from_chars(begin, end, value, 10);
  return ec == std::errc() && ptr == end;
}

}  // namespace

TRegIniFile::TRegIniFile(platform::RegistryApi& api, std::string fileName)
    : TNTRegistry(api), fileName_(std::move(fileName)) {
  OpenKey(fileName_, true);
}

std::string TRegIniFile::SectionPath(const std::string& section) const {
  std::string path = fileName_;
  if (path.empty() || path.front() != '\\') path.insert(path.begin(), '\\');
  if (!section.empty()) path += '\\' + section;
  return path;
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& defaultValue) {
  TKeyHandle key = GetKey(SectionPath(section));
  TRegDataInfo info;
  if (!key || !GetDataInfoAt(key.get(), ident, info)) return defaultValue;
  return ReadStringAt(key.get(), ident);
}

std::int32_t TRegIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                      std::int32_t defaultValue) {
  std::string text = ReadString(section, ident, "");
  std::int32_t value = defaultValue;
  bool parsed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')
                    ? parseInteger(std::string_view(text).substr(2), 16, value)
                    : parseInteger(text, 10, value);
  return parsed ? value : defaultValue;
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& ident,
                           bool defaultValue) {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident,
                              const std::string& value) {
  // The handle the create returns is the section opened for writing; using it
  // leaves the object's current key as it is.
  TKeyHandle key = GetKey(SectionPath(section), true);
  if (!key) throw ERegistryException("Failed to create key " + section);
  WriteStringAt(key.get(), ident, value);
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& ident,
                               std::int32_t value) {
  WriteString(section, ident, std::to_string(value));
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TRegIniFile::ReadSection(const std::string& section, std::vector<std::string>& names) {
  TKeyHandle key = GetKey(SectionPath(section));
  if (key) ValueNamesAt(key.get(), names);
}

bool TRegIniFile::EraseSection(const std::string& section) {
  // Erasing "no section" would delete the object's own key.
  if (section.find_first_not_of('\\') == std::string::npos) return false;
  return DeleteKey(SectionPath(section));
}

}  // namespace hw
