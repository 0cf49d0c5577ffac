#pragma once
// The failure of a registry store to read or write its files: the message says
// which file (and line) and why, in words a user can act on.

#include <stdexcept>

namespace hw::platform {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace hw::platform
