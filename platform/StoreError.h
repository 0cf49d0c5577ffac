#pragma once
// The failure of a registry store to read or write its files: the message says
// which file (and line) and why, in words a user can act on.

#include "platform/FileIo.h"

namespace hw::platform {

class StoreError : public FileError {
 public:
  using FileError::FileError;
};

}  // namespace hw::platform
