#pragma once
// Disk faults for tests: each write the program makes is run once per fault of
// the table, and must then fail with a message naming the file and the reason
// while every file in the folder stays as it was, byte for byte.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/FileIoFaults.h"
#include "tests/support/TextFiles.h"

namespace hw::test {

// The fault plan in force while it lives.
class ScopedFault {
 public:
  explicit ScopedFault(platform::FaultPlan plan) : plan_(std::move(plan)) {
    platform::SetFaultPlan(&plan_);
  }
  ~ScopedFault() { platform::SetFaultPlan(nullptr); }
  ScopedFault(const ScopedFault&) = delete;
  ScopedFault& operator=(const ScopedFault&) = delete;

  int struck() const { return plan_.struck; }

 private:
  platform::FaultPlan plan_;
};

struct DiskFault {
  const char* name;
  platform::FileStep step;
  int error;
  std::size_t afterBytes = 0;  // Read: bytes read before it fails
};

// The faults every write must survive.
inline const std::vector<DiskFault>& WriteFaults() {
  static const std::vector<DiskFault> faults = {
      {"disk full", platform::FileStep::Write, ENOSPC},
      {"permission denied", platform::FileStep::Open, EACCES},
      {"rename fails", platform::FileStep::Rename, EXDEV},
      {"flush fails", platform::FileStep::Sync, EIO},
  };
  return faults;
}

// Every file below a folder with its bytes.
inline std::map<std::string, std::string> FolderContents(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files[entry.path().lexically_relative(folder).string()] = ReadTextFile(entry.path());
  return files;
}

// Runs a write with the fault striking `file` (a file name without folder);
// the write returns its failure message ("" when it claims success). Expects
// the failure to name the file's name and the fault's reason, and the folder
// to hold what it held before.
inline void ExpectCleanFailure(const std::filesystem::path& folder, const std::string& file,
                               const DiskFault& fault, const std::function<std::string()>& write) {
  SCOPED_TRACE(std::string(fault.name) + " on " + file);
  const auto before = FolderContents(folder);
  std::string message;
  {
    ScopedFault scoped({.step = fault.step,
                        .error = fault.error,
                        .fileName = file,
                        .afterBytes = fault.afterBytes});
    message = write();
    ASSERT_GT(scoped.struck(), 0) << "the fault never struck";
  }
  EXPECT_NE(message.find(file), std::string::npos) << message;
  EXPECT_NE(message.find(std::strerror(fault.error)), std::string::npos) << message;
  EXPECT_EQ(FolderContents(folder), before);
}

}  // namespace hw::test
