// The found-entries report under disk faults: the report that was there stays
// as it was, and the error names the file and the reason.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "results/FoundEntriesReport.h"
#include "tests/support/FileFaults.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextFiles.h"

namespace hw {
namespace {

TEST(ReportFaultTest, AFailedReportKeepsTheOldOne) {
  test::TempDir dir;
  const std::filesystem::path file = dir.path() / "found.txt";
  ReplaceReportFile(file, "the earlier report\r\n");
  for (const test::DiskFault& fault : test::WriteFaults()) {
    test::ExpectCleanFailure(dir.path(), "found.txt", fault, [&] {
      try {
        ReplaceReportFile(file, std::string(20000, 'r'));
      } catch (const platform::FileError& error) {
        return std::string(error.what());
      }
      return std::string();
    });
  }
}

}  // namespace
}  // namespace hw
