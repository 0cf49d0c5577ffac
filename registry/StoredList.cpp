#include "registry/StoredList.h"

#include <utility>

#include "Version.h"
#include "platform/RegistryStore.h"
#include "registry/RegIniFile.h"

namespace hw {

std::string SettingsKeyPath() { return std::string(kSettingsBaseKey) + version::kVersionText; }

TStoredLists::TStoredLists(platform::RegistryApi& api, std::string settingsKey,
                           const platform::RegistryStore* store)
    : api_(api), settingsKey_(std::move(settingsKey)), store_(store) {}

std::string TStoredLists::WriteRefusal() const {
  return store_ ? store_->readOnlyReason() : std::string();
}

bool TStoredLists::LoadListFromRegistry(const std::string& name, std::vector<std::string>& list) {
  // Read without creating anything: a settings key made by merely looking
  // would be an empty key that the next scan reports.
  TNTRegistry reg(api_);
  reg.SetRootKey(HKEY_CURRENT_USER);
  std::vector<std::string> read;
  if (reg.OpenKeyWithAccess("\\" + settingsKey_ + "\\" + name, KEY_READ)) reg.GetValueNames(read);
  if (read.empty()) return false;
  list = std::move(read);
  return true;
}

void TStoredLists::SaveListToRegistry(const std::string& name,
                                      const std::vector<std::string>& list) {
  if (std::string refusal = WriteRefusal(); !refusal.empty()) throw ERegistryException(refusal);
  TRegIniFile ini(api_, settingsKey_);
  ini.EraseSection(name);
  for (std::size_t i = 0; i < list.size(); ++i) ini.WriteString(name, list[i], std::to_string(i));
}

}  // namespace hw
