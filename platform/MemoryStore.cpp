#include "platform/MemoryStore.h"

namespace hw::platform {

namespace {

KeyNode& ensurePath(RegistryStore& store, KeyNode& from, std::string_view path) {
  KeyNode* node = &from;
  for (std::string_view component : SplitNonEmpty(path, '\\')) {
    KeyNode* child = node->findChild(component);
    node = child ? store.followLink(child) : store.loadChild(*node, std::string(component));
  }
  return *node;
}

}  // namespace

MemoryStore::MemoryStore(std::string currentUserSid) : RegistryStore(std::move(currentUserSid)) {
  ensurePath(*this, hiveRoot(Hive::Users), this->currentUserSid());
  ensurePath(*this, hiveRoot(Hive::Users), ".Default");
  ensurePath(*this, hiveRoot(Hive::Machine), "Software\\Classes");
  ensurePath(*this, hiveRoot(Hive::Machine),
             "System\\CurrentControlSet\\Hardware Profiles\\Current");
}

KeyNode& MemoryStore::ensureKey(HKEY root, std::string_view path) {
  return ensurePath(*this, *predefinedKey(root), path);
}

bool MemoryStore::setAccess(HKEY root, std::string_view path, KeyAccess access) {
  KeyNode* base = predefinedKey(root);
  KeyNode* node = base ? resolve(base, path) : nullptr;
  if (!node) return false;
  node->access = access;
  return true;
}

}  // namespace hw::platform
