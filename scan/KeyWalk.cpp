// The depth-first walk over one root and the checks of each key it opens.

#include <algorithm>
#include <optional>

#include "platform/RegistryStore.h"
#include "platform/Text.h"
#include "registry/NTRegistry.h"
#include "scan/AnalyzClass.h"
#include "scan/EmptyKeyRules.h"

namespace hw {

namespace {

constexpr std::size_t kShortText = 255;

// \path\ of a key, as exclusion entries are written.
std::string KeyTextOf(const std::string& currentPath) {
  std::string text = "\\" + std::string(TrimChar(currentPath, '\\')) + "\\";
  return std::string(platform::cutToChars(text, kShortText));
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// A symbolic link is another name of a key that lives elsewhere: the walk
// meets that key where it lives. Following links could lead back to an
// ancestor and never end.
bool IsLinkKey(platform::RegistryApi& api, HKEY parent, const std::string& name) {
  HKEY key = nullptr;
  if (api.RegOpenLinkKeyA(parent, name.c_str(), KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD type = REG_NONE;
  DWORD size = 0;
  const bool link =
      api.RegQueryValueExA(key, "SymbolicLinkValue", &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_LINK;
  api.RegCloseKey(key);
  return link;
}

}  // namespace

bool HasGuid(std::string name) {
  // Positions are 1-based as in the pattern: hyphens 9, 14, 19 and 24
  // characters after the brace, and 36 characters after it in all.
  std::size_t brace = name.find('{');
  while (brace != std::string::npos) {
    std::size_t p = brace + 1;
    if (name.size() <= p + 36) return false;
    if (name[p - 1 + 9] == '-' && name[p - 1 + 14] == '-' && name[p - 1 + 19] == '-' &&
        name[p - 1 + 24] == '-')
      return true;
    name.erase(0, brace + 1);
    brace = name.find('{');
  }
  return false;
}

void TAnalyzClass::AnalyzeKeyTree(HKEY root, const std::string& path, bool& subtreeEmpty,
                                  TAnalyzCategories rootCategories) {
  std::string trimmed(TrimChar(path, '\\'));
  // Windows nests no deeper; a deeper key comes from a damaged file.
  const auto depth = static_cast<std::size_t>(std::count(trimmed.begin(), trimmed.end(), '\\'));
  if (depth >= platform::RegistryStore::kMaxKeyDepth) {
    subtreeEmpty = false;
    return;
  }
  TNTRegistry reg(registry_);
  reg.SetRootKey(root);

  bool writable = reg.OpenKeyWithAccess(trimmed, KEY_READ | KEY_WRITE);
  KeyWritable = writable;
  if (!writable && (SkipReadOnlyKeys || !reg.OpenKeyWithAccess(trimmed, KEY_READ))) {
    subtreeEmpty = false;
    return;
  }
  RootName = std::string(platform::cutToChars(RootKeyName(reg.RootKey()), kShortText));
  KeyPath = reg.CurrentPath();
  const std::string currentPath = KeyPath;
  pathView_ = ViewOfKey(root, currentPath);
  Report(OnKey);

  bool noValues = true;
  AnalyzeKey(reg, noValues, rootCategories);

  // The empty test reports this key's own write time, read while it is open.
  const bool emptyTest = Applies(acEmptyKeys, rootCategories);
  std::optional<FILETIME> ownTime;
  if (emptyTest && noValues) {
    FILETIME time{};
    if (reg.GetKeyTime(time)) ownTime = time;
  }

  std::vector<std::string> names;
  reg.GetKeyNames(names);
  const bool hadSubKeys = !names.empty();
  if (hadSubKeys) {
    // Told apart while this key is open, so each test resolves one name only.
    std::vector<bool> links(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
      links[i] = IsLinkKey(registry_, reg.CurrentKey(), names[i]);
    reg.CloseKey();
    for (std::size_t i = 0; i < names.size(); ++i) {
      pump_.ProcessMessages();
      if (Stop) break;
      // A link never counts as empty, so its parent is never deleted with it;
      // nor does another name of keys an earlier root reported.
      const std::string childPath = currentPath.empty() ? names[i] : currentPath + "\\" + names[i];
      bool childEmpty = false;
      if (!links[i] && !IsAliased(childPath)) {
        childEmpty = true;
        AnalyzeKeyTree(root, childPath, childEmpty, rootCategories);
      }
      subtreeEmpty = subtreeEmpty && childEmpty;
    }
  } else {
    reg.CloseKey();
  }

  if (emptyTest && !Stop) {
    std::size_t slash = currentPath.rfind('\\');
    std::string ownName = slash == std::string::npos ? currentPath : currentPath.substr(slash + 1);
    if (HasGuid(ownName) || (noValues && !hadSubKeys && IsClassFlagKey(root, currentPath)))
      noValues = false;
    // An excluded key is meant to be there: its parents must not be deleted
    // with it.
    if (noValues && subtreeEmpty && Excluded(acEmptyKeys, "\\" + currentPath + "\\"))
      noValues = false;
    if (noValues && subtreeEmpty) {
      KeyPath = currentPath;
      KeyWritable = writable;
      if (ownTime) {
        std::optional<std::string> date = FormatFileTime(*ownTime);
        KeyDate = date ? *date : "unknown";
      }
      ValueName.clear();
      Data.clear();
      BadPath.clear();
      Flags = {};
      PathCount = 0;
      Report(OnEmptyKey);
    }
  }
  subtreeEmpty = noValues && subtreeEmpty;
}

void TAnalyzClass::AnalyzeKey(TNTRegistry& reg, bool& noValues, TAnalyzCategories rootCategories) {
  const std::string keyText = KeyTextOf(reg.CurrentPath());

  if (Applies(acObsoleteStartMenu, rootCategories)) CheckStartMenuKey(reg, keyText);

  if (Applies(acInvalidAppPaths, rootCategories) && !Excluded(acInvalidAppPaths, keyText))
    CheckAppPath(reg.RootKey(), reg.CurrentPath());

  if (Applies(acInvalidExts, rootCategories) && !Excluded(acInvalidExts, keyText)) {
    Flags = {};
    ExtRecord.Clear();
    if (CheckExtension(reg.RootKey(), reg.CurrentPath())) {
      PathCount = 1;
      ValueName.clear();
      Data.clear();
      FormatKeyDate(reg);
      Report(OnInvalidExt);
    }
  }

  // Values are read only when a check will look at them; an empty-key scan
  // needs no more than their names.
  const bool valueChecks =
      Applies(acInvalidPaths, rootCategories) || Applies(acInvalidFonts, rootCategories) ||
      Applies(acInvalidHelpFiles, rootCategories) || Applies(acInvalidSharedDLLs, rootCategories);
  std::vector<std::string> names;
  reg.GetValueNames(names);
  if (!names.empty()) noValues = false;
  for (const std::string& name : names) {
    pump_.ProcessMessages();
    if (Stop) break;
    if (valueChecks) CheckValue(reg, name, keyText, rootCategories);
  }
}

void TAnalyzClass::CheckStartMenuKey(TNTRegistry& reg, const std::string& keyText) {
  const std::string upperKey = UpperAscii(keyText);
  for (const TRegKeyToAnalyze& root : RootKeys) {
    if (!root.Categories.Contains(acObsoleteStartMenu)) continue;
    if (Excluded(acObsoleteStartMenu, keyText)) continue;
    if (upperKey.rfind(UpperAscii(root.KeyPath), 0) != 0) continue;
    std::string menuPath = keyText.substr(root.KeyPath.size());
    if (IsObsoleteMenuItem(menuPath)) {
      BadPath = menuPath.empty() ? menuPath : menuPath.substr(0, menuPath.size() - 1);
      Flags = {etObsoleteMenuKey};
      PathCount = 1;
      ValueName.clear();
      Data.clear();
      FormatKeyDate(reg);
      Report(OnObsoleteStartMenu);
    }
    break;
  }
}

void TAnalyzClass::CheckValue(TNTRegistry& reg, const std::string& name, const std::string& keyText,
                              TAnalyzCategories rootCategories) {
  ValueName = name;
  BadPath.clear();
  Flags = {};
  PathCount = 0;
  TRegDataKind kind = reg.GetDataType(name);
  if (kind == dkString || kind == dkExpandString) {
    Data = reg.ReadString(name);
    if (Applies(acInvalidPaths, rootCategories) && IsInvalidPath(Data) &&
        !Excluded(acInvalidPaths, keyText, name)) {
      Flags = {etInvalidData};
      FormatKeyDate(reg);
      Report(OnInvalidPath);
    }
    if (Applies(acInvalidFonts, rootCategories) && IsInvalidFont(Data) &&
        !Excluded(acInvalidFonts, keyText, name)) {
      BadPath = Data;
      Flags = {etInvalidData};
      PathCount = 1;
      FormatKeyDate(reg);
      Report(OnInvalidFont);
    }
    if (Applies(acInvalidHelpFiles, rootCategories) && IsInvalidHelpFile(ValueName, Data) &&
        !Excluded(acInvalidHelpFiles, keyText, name)) {
      Flags = {etInvalidData};
      PathCount = 1;
      FormatKeyDate(reg);
      Report(OnInvalidHelpFile);
    }
  } else {
    Data.clear();
  }
  if (Applies(acInvalidPaths, rootCategories) && IsInvalidPath(ValueName) &&
      !Excluded(acInvalidPaths, keyText, name)) {
    Flags = {etInvalidName};
    FormatKeyDate(reg);
    Report(OnInvalidPath);
  }
  if (Applies(acInvalidSharedDLLs, rootCategories)) {
    Flags = {};
    CheckSharedDLL(reg, name);
    if (!Flags.Empty() && !Excluded(acInvalidSharedDLLs, keyText, name)) {
      FormatKeyDate(reg);
      Report(OnInvalidSharedDLL);
    }
  }
}

}  // namespace hw
