#pragma once
// A registry held only in memory, for tests: it has the keys the predefined
// roots stand for, and (like every store) can make single keys read-only or
// unopenable, or refuse all writes, so that the access fallbacks of the
// registry layer and the scan can be exercised.

#include <string>

#include "platform/RegistryStore.h"

namespace hw::platform {

class MemoryStore : public RegistryStore {
 public:
  static constexpr const char* kDefaultSid = "S-1-5-21-0-0-0-1000";

  explicit MemoryStore(std::string currentUserSid = kDefaultSid);
};

}  // namespace hw::platform
