#pragma once
// The program's settings key and the lists kept in it. A stored list is one
// subkey of the settings key whose value names are the list's texts (the data,
// each text's position, is never read back), so texts that differ only in
// case become one.

#include <string>
#include <vector>

#include "platform/RegistryApi.h"

namespace hw {

namespace platform {
class RegistryStore;
}

// Below HKEY_CURRENT_USER: the key above every version's settings, which
// holds the uninstall flag.
inline constexpr char kSettingsBaseKey[] = "Software\\Quornel Software\\HVW\\";
// The base key followed by this version's major.minor.
std::string SettingsKeyPath();

class TStoredLists {
 public:
  // Neither is owned. store, when given, is the store behind api: while it
  // refuses writes, saving fails at once with its reason instead of a bare
  // "Failed to create key".
  TStoredLists(platform::RegistryApi& api, std::string settingsKey,
               const platform::RegistryStore* store = nullptr);

  const std::string& SettingsKey() const { return settingsKey_; }

  // Replaces list by the texts of the subkey name, in the registry's order,
  // and returns true; returns false and leaves list exactly as it was (its
  // defaults stay) when the subkey is missing or holds nothing.
  bool LoadListFromRegistry(const std::string& name, std::vector<std::string>& list);
  // Replaces the subkey name by the texts of list; an empty list leaves no
  // subkey. Throws ERegistryException when the registry refuses the writes.
  void SaveListToRegistry(const std::string& name, const std::vector<std::string>& list);

  // The reason the store refuses writes, empty when it accepts them.
  std::string WriteRefusal() const;

 private:
  platform::RegistryApi& api_;
  std::string settingsKey_;
  const platform::RegistryStore* store_;
};

}  // namespace hw
