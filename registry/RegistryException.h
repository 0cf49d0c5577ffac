#pragma once
// The one exception the registry layer raises: a key that cannot be created,
// value data that cannot be read or written, or data of the wrong kind.

#include <stdexcept>
#include <string>

namespace hw {

class ERegistryException : public std::runtime_error {
 public:
  explicit ERegistryException(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace hw
