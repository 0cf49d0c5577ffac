// The shell call's codes; run under Wine on Linux. Only failures are asked
// for: a success would leave a program running.

#include "platform/windows/ShellExecute.h"

#include <gtest/gtest.h>

#include "platform/windows/WinFileSystem.h"

namespace hw::platform {
namespace {

constexpr int kNoAssociation = 31;  // SE_ERR_NOASSOC of shellapi.h

TEST(ShellExecuteTest, AnswersWithTheShellsCodes) {
  EXPECT_EQ(ShellExecuteOpen("open", "C:\\nowhere-ü\\none.txt", "", ""), ERROR_FILE_NOT_FOUND);

  // Found under its non-ASCII name, but nothing opens that kind of file.
  const std::string file = WinFileSystem().GetTempPathA() + "Grüße.hw-unknown";
  HANDLE handle = ::CreateFileW(WideText(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ::CloseHandle(handle);
  EXPECT_EQ(ShellExecuteOpen("", file, "", ""), kNoAssociation);
  ::DeleteFileW(WideText(file).c_str());
}

}  // namespace
}  // namespace hw::platform
