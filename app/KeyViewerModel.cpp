#include "app/KeyViewerModel.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "platform/Text.h"
#include "registry/NTRegistry.h"
#include "registry/RootKeys.h"

namespace hw::app {

namespace {

// Binary data beyond this many bytes is cut: the table shows one line.
constexpr std::size_t kShownBytes = 1024;

// The root handle and the parts below it of a key path; null root for an
// unknown root name.
struct TSplitPath {
  HKEY Root = nullptr;
  std::string RootName;
  std::vector<std::string> Parts;
  std::string Below() const {
    std::string below;
    for (const std::string& part : Parts) below += '\\' + part;
    return below.empty() ? "\\" : below;
  }
};

TSplitPath Split(std::string_view keyPath) {
  TSplitPath split;
  bool first = true;
  platform::ForEachNonEmpty(keyPath, '\\', [&](std::string_view part) {
    if (first)
      split.RootName = std::string(part);
    else
      split.Parts.emplace_back(part);
    first = false;
    return true;
  });
  const HKEY root = RootKeyFromName(split.RootName);
  if (!RootKeyName(root).empty()) split.Root = root;
  return split;
}

// Opens the key for reading as the current key of registry; false when it
// does not exist or cannot be read.
bool OpenForReading(TNTRegistry& registry, const TSplitPath& path) {
  if (path.Root == nullptr) return false;
  registry.SetRootKey(path.Root);
  return registry.OpenKeyWithAccess(path.Below(), KEY_READ);
}

bool LessNoCase(const std::string& a, const std::string& b) {
  const std::string la = platform::toLowerUtf8(a), lb = platform::toLowerUtf8(b);
  return la != lb ? la < lb : a < b;
}

std::string Printf(const char* format, auto... args) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

std::string HexBytes(std::string_view data) {
  if (data.empty()) return "(zero-length binary value)";
  std::string text;
  const std::size_t shown = std::min(data.size(), kShownBytes);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) text += ' ';
    text += Printf("%02x", static_cast<unsigned>(static_cast<unsigned char>(data[i])));
  }
  if (shown < data.size()) text += " ...";
  return text;
}

std::uint64_t LittleEndian(std::string_view data) {
  std::uint64_t number = 0;
  for (std::size_t i = data.size(); i-- > 0;)
    number = number << 8 | static_cast<unsigned char>(data[i]);
  return number;
}

std::uint64_t BigEndian(std::string_view data) {
  std::uint64_t number = 0;
  for (char byte : data) number = number << 8 | static_cast<unsigned char>(byte);
  return number;
}

}  // namespace

std::string ValueTypeName(DWORD type) {
  static const char* const kNames[] = {"REG_NONE",
                                       "REG_SZ",
                                       "REG_EXPAND_SZ",
                                       "REG_BINARY",
                                       "REG_DWORD",
                                       "REG_DWORD_BIG_ENDIAN",
                                       "REG_LINK",
                                       "REG_MULTI_SZ",
                                       "REG_RESOURCE_LIST",
                                       "REG_FULL_RESOURCE_DESCRIPTOR",
                                       "REG_RESOURCE_REQUIREMENTS_LIST",
                                       "REG_QWORD"};
  if (type < std::size(kNames)) return kNames[type];
  return Printf("0x%08x", static_cast<unsigned>(type));
}

std::string FormatValueData(DWORD type, std::string_view data) {
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return std::string(data.substr(0, data.find('\0')));
    case REG_MULTI_SZ: {
      std::string text;
      platform::ForEachNonEmpty(data, '\0', [&](std::string_view part) {
        if (!text.empty()) text += ' ';
        text += part;
        return true;
      });
      return text;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
      if (data.size() != 4) return "(invalid DWORD value)";
      const auto number =
          static_cast<std::uint32_t>(type == REG_DWORD ? LittleEndian(data) : BigEndian(data));
      return Printf("0x%08x (%u)", number, number);
    }
    case REG_QWORD: {
      if (data.size() != 8) return "(invalid QWORD value)";
      const std::uint64_t number = LittleEndian(data);
      return Printf("0x%016" PRIx64 " (%" PRIu64 ")", number, number);
    }
    default: return HexBytes(data);
  }
}

std::vector<std::string> TKeyBrowser::Roots() const {
  std::vector<std::string> roots;
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                    HKEY_CURRENT_CONFIG, HKEY_DYN_DATA}) {
    TNTRegistry registry(api_);
    registry.SetRootKey(root);
    if (registry.OpenKeyWithAccess("\\", KEY_READ)) roots.push_back(RootKeyName(root));
  }
  return roots;
}

std::vector<std::string> TKeyBrowser::SubKeys(const std::string& keyPath) const {
  std::vector<std::string> names;
  TNTRegistry registry(api_);
  if (!OpenForReading(registry, Split(keyPath))) return names;
  registry.GetKeyNames(names);
  std::sort(names.begin(), names.end(), LessNoCase);
  return names;
}

bool TKeyBrowser::HasSubKeys(const std::string& keyPath) const {
  TNTRegistry registry(api_);
  return OpenForReading(registry, Split(keyPath)) && registry.HasSubKeys();
}

std::optional<std::vector<TValueRow>> TKeyBrowser::Values(const std::string& keyPath) const {
  TNTRegistry registry(api_);
  if (!OpenForReading(registry, Split(keyPath))) return std::nullopt;
  std::vector<std::string> names;
  registry.GetValueNames(names);
  std::sort(names.begin(), names.end(), LessNoCase);
  std::vector<TValueRow> rows;
  rows.push_back({"", "(Default)", "REG_SZ", "(value not set)"});
  for (const std::string& name : names) {
    DWORD type = REG_NONE, size = 0;
    const HKEY key = registry.CurrentKey();
    if (api_.RegQueryValueExA(key, name.c_str(), &type, nullptr, &size) != ERROR_SUCCESS) continue;
    std::string data(size, '\0');
    if (api_.RegQueryValueExA(key, name.c_str(), &type, reinterpret_cast<BYTE*>(data.data()),
                              &size) != ERROR_SUCCESS)
      continue;
    data.resize(size);
    TValueRow row{name, name, ValueTypeName(type), FormatValueData(type, data)};
    if (name.empty())
      rows.front() = {"", "(Default)", row.Type, row.Data};
    else
      rows.push_back(std::move(row));
  }
  return rows;
}

std::optional<std::vector<std::string>> TKeyBrowser::Resolve(std::string_view keyPath) const {
  TSplitPath path = Split(keyPath);
  TNTRegistry registry(api_);
  if (!OpenForReading(registry, path)) return std::nullopt;
  // The key exists; each part's own spelling comes from its parent's list.
  std::vector<std::string> spelled{path.RootName};
  TSplitPath walked{path.Root, path.RootName, {}};
  for (const std::string& part : path.Parts) {
    const std::vector<std::string> children = SubKeys(walked.RootName + walked.Below());
    auto match = std::find_if(children.begin(), children.end(), [&](const std::string& child) {
      return platform::equalsNoCase(child, part);
    });
    if (match == children.end()) return std::nullopt;
    spelled.push_back(*match);
    walked.Parts.push_back(*match);
  }
  return spelled;
}

}  // namespace hw::app
