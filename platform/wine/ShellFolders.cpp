#include "platform/wine/ShellFolders.h"

#include <optional>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace hw::platform {

namespace {

constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

class Key {
 public:
  Key(RegistryApi& registry, HKEY root, const char* path) : registry_(registry) {
    if (registry.RegOpenKeyExA(root, path, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) registry_.RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  // A string value's text, nullopt when absent or of another type.
  std::optional<std::string> Text(const char* name, bool* expandable = nullptr) const {
    DWORD type = 0, size = 0;
    if (!key_ || registry_.RegQueryValueExA(key_, name, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::nullopt;
    std::string data(size, '\0');
    if (size > 0 &&
        registry_.RegQueryValueExA(key_, name, &type, reinterpret_cast<BYTE*>(data.data()),
                                   &size) != ERROR_SUCCESS)
      return std::nullopt;
    data.resize(size);
    while (!data.empty() && data.back() == '\0') data.pop_back();
    if (expandable) *expandable = type == REG_EXPAND_SZ;
    return data;
  }

  std::vector<std::string> ValueNames() const {
    std::vector<std::string> names;
    char name[16384];
    for (DWORD index = 0; key_; ++index) {
      DWORD length = sizeof name;
      LSTATUS status = registry_.RegEnumValueA(key_, index, name, &length);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status == ERROR_SUCCESS) names.emplace_back(name, length);
    }
    return names;
  }

 private:
  RegistryApi& registry_;
  HKEY key_ = nullptr;
};

// The environment a program in the prefix starts with, as far as folder
// placeholders need it: later sources win, as when Wine builds it.
class Environment {
 public:
  explicit Environment(RegistryApi& registry) {
    Key version(registry, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion");
    if (auto root = version.Text("SystemRoot")) {
      Set("SystemRoot", *root, false);
      Set("windir", *root, false);
      Set("SystemDrive", root->substr(0, 2), false);
    }
    Key profiles(registry, HKEY_LOCAL_MACHINE,
                 "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList");
    if (auto data = profiles.Text("ProgramData")) {
      Set("ProgramData", *data, true);
      Set("ALLUSERSPROFILE", *data, true);
    }
    if (auto pub = profiles.Text("Public")) Set("PUBLIC", *pub, true);
    SetAll(registry, HKEY_LOCAL_MACHINE,
           "System\\CurrentControlSet\\Control\\Session Manager\\Environment");
    SetAll(registry, HKEY_CURRENT_USER, "Environment");
    SetAll(registry, HKEY_CURRENT_USER, "Volatile Environment");
  }

  // %NAME% replaced by its value where the name is known (without regard to
  // case), left as written where not, as ExpandEnvironmentStrings does.
  std::string Expand(std::string_view text) const {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t open = text.find('%', pos);
      std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
      if (close == std::string_view::npos) break;
      out.append(text.substr(pos, open - pos));
      if (const std::string* value = Find(text.substr(open + 1, close - open - 1))) {
        out += *value;
        pos = close + 1;
      } else {
        out.append(text.substr(open, close - open));
        pos = close;
      }
    }
    out.append(text.substr(pos));
    return out;
  }

 private:
  const std::string* Find(std::string_view name) const {
    for (const auto& [key, value] : values_)
      if (equalsNoCase(key, name)) return &value;
    return nullptr;
  }
  void Set(std::string_view name, const std::string& value, bool expandable) {
    std::string text = expandable ? Expand(value) : value;
    for (auto& [key, old] : values_) {
      if (equalsNoCase(key, name)) {
        old = std::move(text);
        return;
      }
    }
    values_.emplace_back(std::string(name), std::move(text));
  }
  void SetAll(RegistryApi& registry, HKEY root, const char* path) {
    Key key(registry, root, path);
    for (const std::string& name : key.ValueNames()) {
      bool expandable = false;
      if (auto value = key.Text(name.c_str(), &expandable)) Set(name, *value, expandable);
    }
  }

  std::vector<std::pair<std::string, std::string>> values_;
};

// The folder's path from Shell Folders, else from User Shell Folders, else
// Wine's default; "error" when placeholders are left that nothing defines.
std::string folderPath(RegistryApi& registry, const Environment& environment, HKEY root,
                       const char* value, std::string_view fallback) {
  std::string path;
  for (const char* keyPath : {kShellFolders, kUserShellFolders}) {
    Key key(registry, root, keyPath);
    if (auto text = key.Text(value); text && !text->empty()) {
      path = environment.Expand(*text);
      break;
    }
  }
  if (path.empty()) path = environment.Expand(fallback);
  while (!path.empty() && path.back() == '\\') path.pop_back();
  if (path.empty() || path.find('%') != std::string::npos) return "error";
  return path;
}

}  // namespace

ShellFolders::ShellFolders(RegistryApi& registry) {
  Environment environment(registry);
  fonts_ = folderPath(registry, environment, HKEY_CURRENT_USER, "Fonts", "%SystemRoot%\\Fonts");
  programs_ = folderPath(registry, environment, HKEY_CURRENT_USER, "Programs",
                         "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs");
  commonPrograms_ = folderPath(registry, environment, HKEY_LOCAL_MACHINE, "Common Programs",
                               "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs");
}

std::string ShellFolders::Path(int csidl) const {
  switch (csidl) {
    case CSIDL_FONTS: return fonts_;
    case CSIDL_PROGRAMS: return programs_;
    case CSIDL_COMMON_PROGRAMS: return commonPrograms_;
    default: return {};
  }
}

}  // namespace hw::platform
