#pragma once
// The file system as the program sees it: Windows paths (X:\...) resolved
// through the drive map of the prefix, host paths (/...) used as they are.

#include <string>

#include "platform/WinTypes.h"

namespace hw::platform {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // As GetDriveTypeA answers for a root such as "C:\": DRIVE_FIXED,
  // DRIVE_REMOTE, DRIVE_CDROM, ..., DRIVE_NO_ROOT_DIR for a letter that is no drive.
  virtual UINT GetDriveTypeA(const std::string& root) = 0;
};

}  // namespace hw::platform
