#include "app/settings/SettingsStore.h"

#include <array>
#include <cstdint>
#include <utility>

#include "Version.h"
#include "platform/FileIo.h"
#include "platform/RegistryStore.h"
#include "platform/Text.h"
#ifndef _WIN32
#include "platform/wine/WinePrefixStore.h"
#endif
#include "registry/NTRegistry.h"
#include "registry/RegIniFile.h"
#include "registry/RegistryException.h"
#include "scan/CategoryStorage.h"
#include "scan/ExclusionLists.h"

namespace hw {

namespace {

// ScanFor bit n stands for this category.
constexpr std::array<TAnalyzCategory, 8> kScanForBits = {
    acInvalidPaths,      acEmptyKeys,       acInvalidExts,      acInvalidFonts,
    acObsoleteStartMenu, acInvalidAppPaths, acInvalidHelpFiles, acInvalidSharedDLLs};

constexpr char kSearchPaths[] = "Searching_paths";
constexpr char kExcludedDrives[] = "Excluded_drvs";

// Settings are values of the key itself, the ini file's unnamed section.
constexpr char kValues[] = "";

// A value that is no number, or not a string at all, reads as the default:
// no stored value may stop the program from starting.
std::int32_t ReadInt(TRegIniFile& ini, const char* ident, std::int32_t defaultValue) {
  try {
    return ini.ReadInteger(kValues, ident, defaultValue);
  } catch (const ERegistryException&) {
    return defaultValue;
  }
}

std::string ReadText(TRegIniFile& ini, const char* ident, const std::string& defaultValue) {
  try {
    return ini.ReadString(kValues, ident, defaultValue);
  } catch (const ERegistryException&) {
    return defaultValue;
  }
}

// The stored number, or none when it is missing or unreadable: two reads with
// different defaults tell the cases apart.
std::optional<std::int32_t> ReadStoredInt(TRegIniFile& ini, const char* ident) {
  std::int32_t first = ReadInt(ini, ident, 0);
  if (first != 0 || ReadInt(ini, ident, 1) == 0) return first;
  return std::nullopt;
}

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || (folder.back() != '/' && folder.back() != '\\')) folder += '/';
  return folder;
}

}  // namespace

TSettings TSettings::Fresh(const std::string& programFolder) {
  TSettings settings;
  settings.LastTextDir = programFolder;
  settings.Categories = {acInvalidPaths};
  return settings;
}

#ifndef _WIN32
TSettingsLocation PrefixSettingsLocation(platform::RegistryApi& api,
                                         platform::WinePrefixStore& prefix) {
  return {api, &prefix, [&prefix] { prefix.save(); }};
}
#endif

TAnalyzCategories CategoriesFromScanFor(int scanFor) {
  TAnalyzCategories categories;
  for (std::size_t bit = 0; bit < kScanForBits.size(); ++bit) {
    TAnalyzCategory category = kScanForBits[bit];
    // Hidden check boxes cannot be ticked, so their categories are never chosen.
    if ((scanFor & (1 << bit)) && kWelcomeCategories.Contains(category))
      categories.Include(category);
  }
  return categories;
}

int ScanForFromCategories(TAnalyzCategories categories) {
  int scanFor = 0;
  for (std::size_t bit = 0; bit < kScanForBits.size(); ++bit)
    if (categories.Contains(kScanForBits[bit])) scanFor |= 1 << bit;
  return scanFor;
}

TSettingsStore::TSettingsStore(TSettingsLocation location, std::string programFolder,
                               std::string settingsKey)
    : location_(std::move(location)),
      programFolder_(WithTrailingSeparator(std::move(programFolder))),
      settingsKey_(std::move(settingsKey)),
      lists_(location_.Api, settingsKey_, location_.Store) {}

void TSettingsStore::MigrateSettings() {
  if (location_.Store && location_.Store->readOnly()) return;
  TRegIniFile ini(location_.Api, settingsKey_);
  if (!ReadText(ini, "Version", "").empty()) return;

  // Read without the ini file, whose opening would create the old key.
  TNTRegistry previous(location_.Api);
  const std::string previousKey = std::string("\\") + kPreviousVersionKey;
  if (!previous.OpenKey(previousKey, false)) return;
  auto read = [&](const char* name) {
    try {
      return std::string(platform::cutToChars(previous.ReadString(name), 255));
    } catch (const ERegistryException&) {
      return std::string();
    }
  };
  if (read("Version").empty()) return;
  ini.WriteString(kValues, "UndoPath", read("UndoPath"));
  previous.CloseKey();

  std::vector<std::string> lists;
  for (const TCategoryStorage& storage : kCategoryStorage)
    lists.emplace_back(storage.ExclusionValueName);
  lists.emplace_back(kSearchPaths);
  lists.emplace_back(kExcludedDrives);
  // MoveKey leaves a list the new key already has as it is.
  const std::string newKey = "\\" + settingsKey_;
  for (const std::string& name : lists)
    previous.MoveKey(previousKey + "\\" + name, newKey + "\\" + name, false);
}

void TSettingsStore::LoadSettings(TSettings& settings) {
  // Opening the key through TRegIniFile would create it; a reader must not.
  TNTRegistry reg(location_.Api);
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.KeyExists("\\" + settingsKey_)) {
    settings.Categories = CategoriesFromScanFor(1);
  } else {
    TRegIniFile ini(location_.Api, settingsKey_);
    TWindowSettings& window = settings.Window;
    window.WindowState = ReadInt(ini, "WindowState", window.WindowState);
    if (window.WindowState == wsNormal) {
      window.Width = ReadInt(ini, "Width", window.Width);
      window.Height = ReadInt(ini, "Height", window.Height);
      if (auto left = ReadStoredInt(ini, "Left")) window.Left = *left;
      if (auto top = ReadStoredInt(ini, "Top")) window.Top = *top;
    }
    window.OutWidth = ReadInt(ini, "OutWidth", window.OutWidth);
    window.SaveUndo = ReadInt(ini, "SaveUndo", window.SaveUndo ? 1 : 0) != 0;
    settings.UndoPath = ReadText(ini, "UndoPath", settings.UndoPath);
    settings.LastTextDir = ReadText(ini, "LastTextDir", settings.LastTextDir);
    settings.Categories = CategoriesFromScanFor(ReadInt(ini, "ScanFor", 1));
  }
  lists_.LoadListFromRegistry(kSearchPaths, settings.SearchPaths);
  lists_.LoadListFromRegistry(kExcludedDrives, settings.ExcludedDrives);
}

void TSettingsStore::WriteAll(const TSettings& settings) {
  {
    TRegIniFile ini(location_.Api, settingsKey_);
    const TWindowSettings& window = settings.Window;
    ini.WriteString(kValues, "Version",
                    std::string(version::kVersionText) + "." + std::to_string(version::kRelease));
    ini.WriteString(kValues, "ProgPath", programFolder_);
    ini.WriteInteger(kValues, "WindowState", window.WindowState);
    // A maximized or minimized window keeps the bounds of its last normal run.
    if (window.WindowState == wsNormal) {
      ini.WriteInteger(kValues, "Width", window.Width);
      ini.WriteInteger(kValues, "Height", window.Height);
      if (window.Left) ini.WriteInteger(kValues, "Left", *window.Left);
      if (window.Top) ini.WriteInteger(kValues, "Top", *window.Top);
    }
    ini.WriteInteger(kValues, "OutWidth", window.OutWidth);
    ini.WriteBool(kValues, "SaveUndo", window.SaveUndo);
    if (!settings.UndoPath.empty()) ini.WriteString(kValues, "UndoPath", settings.UndoPath);
    ini.WriteString(kValues, "LastTextDir", settings.LastTextDir);
    ini.WriteInteger(kValues, "ScanFor", ScanForFromCategories(settings.Categories));
  }
  lists_.SaveListToRegistry(kSearchPaths, settings.SearchPaths);
  lists_.SaveListToRegistry(kExcludedDrives, settings.ExcludedDrives);
}

void TSettingsStore::Commit(const std::function<void()>& step) {
  if (location_.Store && location_.Store->readOnly())
    throw ESettingsNotSaved("The settings were not saved. " + location_.Store->readOnlyReason());
  try {
    step();
    if (location_.Commit) location_.Commit();
  } catch (const ERegistryException& error) {
    throw ESettingsNotSaved(std::string("The settings were not saved. ") + error.what());
  } catch (const platform::FileError& error) {
    throw ESettingsNotSaved(std::string("The settings were not saved. ") + error.what());
  }
}

void TSettingsStore::SaveSettings(const TSettings& settings) {
  Commit([&] { WriteAll(settings); });
}

void TSettingsStore::SaveLists(const std::function<void(TStoredLists&)>& write) {
  Commit([&] { write(lists_); });
}

bool TSettingsStore::Uninstalled() {
  TRegIniFile ini(location_.Api, kSettingsBaseKey);
  try {
    return ini.ReadBool(kValues, "Uninstalled", false);
  } catch (const ERegistryException&) {
    return false;
  }
}

void TSettingsStore::SetUninstalled() {
  Commit([&] {
    TRegIniFile ini(location_.Api, kSettingsBaseKey);
    ini.WriteBool(kValues, "Uninstalled", true);
  });
}

}  // namespace hw
