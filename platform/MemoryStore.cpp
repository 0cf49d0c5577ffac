#include "platform/MemoryStore.h"

namespace hw::platform {

MemoryStore::MemoryStore(std::string currentUserSid) : RegistryStore(std::move(currentUserSid)) {
  ensureKey(HKEY_USERS, this->currentUserSid());
  ensureKey(HKEY_USERS, ".Default");
  ensureKey(HKEY_LOCAL_MACHINE, "Software\\Classes");
  ensureKey(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current");
}

}  // namespace hw::platform
