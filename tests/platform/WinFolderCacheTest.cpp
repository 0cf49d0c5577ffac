// The folder listings the Windows file tests answer from, against Windows'
// own answers for the same names; run under Wine on Linux.

#include "platform/windows/WinFolderCache.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/windows/WinFileSystem.h"

namespace hw::platform {
namespace {

using Entry = WinFolderCache::Entry;

// What Windows says of a path, asked directly.
Entry Direct(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return Entry::Missing;
  return attributes & FILE_ATTRIBUTE_DIRECTORY ? Entry::Folder : Entry::File;
}

class WinFolderCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    ASSERT_NE(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    root_ = std::wstring(temp) + L"hw-cache-" + std::to_wstring(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryW(root_.c_str(), nullptr));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(root_), ignored);
  }
  std::wstring At(const std::wstring& name) const { return root_ + L"\\" + name; }
  void Touch(const std::wstring& name) {
    HANDLE file = ::CreateFileW(At(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
  }

  std::wstring root_;
  WinFolderCache cache_;
};

// Every answer the cache gives is the one Windows gives: spelt in another
// case, by short name, with either separator, below a file or a missing
// folder. What a listing cannot settle it leaves to Windows.
TEST_F(WinFolderCacheTest, AnswersAsWindowsDoesOrNotAtAll) {
  Touch(L"Lib.DLL");
  Touch(L"A Long File Name.text");
  ASSERT_TRUE(::CreateDirectoryW(At(L"Sub Folder").c_str(), nullptr));
  wchar_t shortName[MAX_PATH];
  ASSERT_NE(::GetShortPathNameW(At(L"A Long File Name.text").c_str(), shortName, MAX_PATH), 0u);
  const std::wstring shortPath = shortName;

  const std::vector<std::wstring> probes = {At(L"Lib.DLL"),
                                            At(L"lib.dll"),
                                            At(L"LIB.DLL"),
                                            At(L"lib.dl"),
                                            At(L"Sub Folder"),
                                            At(L"SUB FOLDER\\"),
                                            At(L"sub folder\\nothing.txt"),
                                            At(L"gone\\deeper\\x.dll"),
                                            shortPath,
                                            At(L"a long file name.TEXT"),
                                            root_ + L"/Lib.DLL"};
  for (const std::wstring& probe : probes) {
    const Entry cached = cache_.Lookup(probe);
    ASSERT_NE(cached, Entry::Unknown) << std::filesystem::path(probe).string();
    EXPECT_EQ(cached, Direct(probe)) << std::filesystem::path(probe).string();
  }
  // Below a file Wine and Windows fail the listing differently; either way
  // the answer must be Windows' own.
  const std::wstring belowFile = At(L"Lib.DLL\\below.txt");
  if (const Entry cached = cache_.Lookup(belowFile); cached != Entry::Unknown) {
    EXPECT_EQ(cached, Direct(belowFile));
  }
  // Names Windows trims, resolves or finds everywhere, patterns, streams and
  // non-ASCII names are Windows' to judge.
  for (const std::wstring& probe :
       {At(L"Lib.DLL."), At(L"Lib.DLL "), At(L"NUL"), At(L"com1.txt"), At(L"Lib.*"),
        At(L"Lib.DLL:stream"), At(L".\\Lib.DLL"), At(L"Sub Folder\\..\\Lib.DLL"),
        root_ + L"\\\\Lib.DLL", At(L"Grüße.txt"), std::wstring(L"Lib.DLL"), std::wstring(L"C:\\")})
    EXPECT_EQ(cache_.Lookup(probe), Entry::Unknown) << std::filesystem::path(probe).string();
}

// A folder is read once: what changes on disk later shows only after Clear(),
// which every scan begins with.
TEST_F(WinFolderCacheTest, AFolderIsListedOnceUntilCleared) {
  Touch(L"before.dll");
  EXPECT_EQ(cache_.Lookup(At(L"after.dll")), Entry::Missing);
  Touch(L"after.dll");
  EXPECT_EQ(cache_.Lookup(At(L"after.dll")), Entry::Missing);
  cache_.Clear();
  EXPECT_EQ(cache_.Lookup(At(L"after.dll")), Entry::File);

  WinFileSystem files;
  const std::string created = std::filesystem::path(At(L"created.dll")).string();
  EXPECT_FALSE(files.FileExists(created));
  Touch(L"created.dll");
  files.ClearCache();
  EXPECT_TRUE(files.FileExists(created));
  EXPECT_TRUE(files.SetCurrentDirectoryA(std::filesystem::path(root_).string()));
}

}  // namespace
}  // namespace hw::platform
