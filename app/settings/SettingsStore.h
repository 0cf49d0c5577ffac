#pragma once
// What the main window remembers between runs, kept as string values in the
// settings key of this version below HKEY_CURRENT_USER: placement, the backup
// choice and folder, the report folder, the categories to scan, the search
// folders and the excluded drives. In a Wine prefix that is the prefix's own
// HKEY_CURRENT_USER, as for the program running inside that Windows.

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/RegistryApi.h"
#include "registry/StoredList.h"
#include "scan/AnalyzTypes.h"

namespace hw {

namespace platform {
class RegistryStore;
class WinePrefixStore;
}  // namespace platform

// The key the previous version kept its settings in; read once, never changed.
inline constexpr char kPreviousVersionKey[] = "Software\\Quornel Software\\HVW\\2.0";

enum TWindowState : int { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

// The window's part, which the window applies itself. The defaults are those
// of a fresh window: its designed size at a place the system chooses.
struct TWindowSettings {
  int WindowState = wsNormal;
  int Width = 599;
  int Height = 450;
  std::optional<int> Left;  // none: the system places the window
  std::optional<int> Top;
  int OutWidth = 131;  // the category list on the Registry page
  bool SaveUndo = true;
};

// Everything the store reads and writes. Loading changes only what the
// registry holds, so the record starts as the program's current state.
struct TSettings {
  TWindowSettings Window;
  std::string UndoPath;
  std::string LastTextDir;
  TAnalyzCategories Categories;  // the engine's
  std::vector<std::string> SearchPaths;
  std::vector<std::string> ExcludedDrives;  // the engine's, "D:"

  // The state of a program just started from programFolder.
  static TSettings Fresh(const std::string& programFolder);
};

// Where the settings go: the registry calls, the store behind them and how
// that store reaches the disk.
struct TSettingsLocation {
  platform::RegistryApi& Api;
  // Not owned; when given, a store that refuses writes (Wine running in the
  // prefix) makes saving fail before anything is written.
  const platform::RegistryStore* Store = nullptr;
  // Writes the store to disk after the settings; empty when nothing needs it.
  std::function<void()> Commit;
};
#ifndef _WIN32
// The settings of a program kept in a Wine prefix: saving writes its files.
TSettingsLocation PrefixSettingsLocation(platform::RegistryApi& api,
                                         platform::WinePrefixStore& prefix);
#endif

// The settings were not saved; what() says why in words for the user.
class ESettingsNotSaved : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ScanFor's bits name the categories in an order of their own.
TAnalyzCategories CategoriesFromScanFor(int scanFor);
int ScanForFromCategories(TAnalyzCategories categories);

class TSettingsStore {
 public:
  // programFolder is written as ProgPath, with a trailing separator.
  TSettingsStore(TSettingsLocation location, std::string programFolder,
                 std::string settingsKey = SettingsKeyPath());

  const std::string& SettingsKey() const { return settingsKey_; }
  // The lists kept in the settings key (exclusions, search folders, drives).
  TStoredLists& StoredLists() { return lists_; }

  // Once per version: the backup folder and the lists of the previous
  // version's key are copied into an empty settings key. Skipped while the
  // store refuses writes (it is tried again at the next start).
  void MigrateSettings();
  // Reads over settings whatever the registry holds; never fails.
  void LoadSettings(TSettings& settings);
  // Writes the settings and commits the store. Throws ESettingsNotSaved; the
  // program goes on.
  void SaveSettings(const TSettings& settings);
  // Stored-list writes made while the wizard runs (the exclusions on leaving
  // Settings2, an entry added from the results), committed as SaveSettings
  // is. Throws ESettingsNotSaved, before write runs when the store refuses.
  void SaveLists(const std::function<void(TStoredLists&)>& write);

  // The uninstall flag in the base key above every version's settings.
  bool Uninstalled();
  void SetUninstalled();

 private:
  void WriteAll(const TSettings& settings);
  void Commit(const std::function<void()>& step);

  TSettingsLocation location_;
  std::string programFolder_;
  std::string settingsKey_;
  TStoredLists lists_;
};

}  // namespace hw
