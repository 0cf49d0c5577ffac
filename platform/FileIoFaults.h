#pragma once
// Failures of the file layer made to happen on purpose, for tests: a test sets
// a plan, and the next matching step of ReadWholeFile / WriteTemporaryBeside /
// MoveIntoPlace fails with the plan's errno as the system call would. Only
// tests include this header; production code never sets a plan, and the file
// layer pays one pointer check per step for it.

#include <cstddef>
#include <string>
#include <vector>

namespace hw::platform {

enum class FileStep {
  Open,    // creating the temporary file, or opening a file to read
  Read,    // reading a file, after `afterBytes` bytes were read
  Write,   // writing the temporary file (e.g. ENOSPC)
  Sync,    // flushing the temporary file to disk
  Rename,  // moving the temporary file into place
  // Putting a new file (no target to replace) in place: the hard link first,
  // then, where the file system has none (EPERM), the rename that refuses an
  // existing target; where that is refused too (EINVAL), the file is copied
  // into a target created exclusively (its writes are Write steps).
  Link,
  RenameNoReplace,
};

struct FaultPlan {
  FileStep step = FileStep::Write;
  int error = 0;
  // The file the fault strikes: its name (no folder) is the target's, or for
  // Open and Read the file's own; empty strikes every file.
  std::string fileName;
  // Matching steps let through before the fault strikes.
  int skip = 0;
  // Strikes at most this often; 0: every matching step after the skipped ones.
  int limit = 0;
  // Read: the bytes read successfully before the read fails.
  std::size_t afterBytes = 0;
  // Set by the file layer: how often the fault struck.
  int struck = 0;
  // Steps the file system lacks (hard links on vfat): each fails every time
  // with unsupportedError, uncounted, for the file the plan names.
  std::vector<FileStep> unsupported = {};
  int unsupportedError = 0;
};

// Sets the plan the file layer follows (null: none). Not thread-safe: a test
// sets it while no other thread uses files. The plan must outlive its use.
void SetFaultPlan(FaultPlan* plan);

}  // namespace hw::platform
