#pragma once
// A registry held only in memory, for tests: it has the keys the predefined
// roots stand for, and can make single keys read-only or unopenable so that
// the access fallbacks of the registry layer and the scan can be exercised.

#include <string>
#include <string_view>

#include "platform/RegistryStore.h"

namespace hw::platform {

class MemoryStore : public RegistryStore {
 public:
  static constexpr const char* kDefaultSid = "S-1-5-21-0-0-0-1000";

  explicit MemoryStore(std::string currentUserSid = kDefaultSid);

  // Creates the key (and its parents) below a predefined root, unchanged-marked.
  KeyNode& ensureKey(HKEY root, std::string_view path);
  // Marks an existing key; returns false when it does not exist.
  bool setAccess(HKEY root, std::string_view path, KeyAccess access);
  // Makes every write fail (the way a prefix in use behaves).
  void refuseWrites(std::string reason) { setReadOnlyReason(std::move(reason)); }
};

}  // namespace hw::platform
