// The Windows file system over real folders; run under Wine on Linux.

#include "platform/windows/WinFileSystem.h"

#include "search/SearchFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

namespace hw::platform {
namespace {

// A fresh folder with a non-ASCII name in the temporary folder, removed afterwards.
class WinFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    root_ = files_.GetTempPathA() + "hw-ü-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    ASSERT_TRUE(::CreateDirectoryW(WideText(root_).c_str(), nullptr)) << root_;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(WideText(root_)), ignored);
  }

  std::string At(const std::string& name) const { return root_ + "\\" + name; }
  void Write(const std::string& name, std::string_view content) {
    HANDLE file = ::CreateFileW(WideText(At(name)).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
  }
  void MakeFolder(const std::string& name) {
    ASSERT_TRUE(::CreateDirectoryW(WideText(At(name)).c_str(), nullptr)) << name;
  }
  std::set<std::string> Names(const std::string& mask) {
    std::set<std::string> names;
    FindData data;
    std::unique_ptr<FindSearch> search = files_.FindFirstFileA(At(mask), data);
    for (bool more = search != nullptr; more; more = search->FindNextFileA(data))
      names.insert(data.Name);
    return names;
  }

  WinFileSystem files_;
  std::string root_;
};

TEST_F(WinFileSystemTest, PatternsFindNonAsciiNamesAsWindowsMatchesThem) {
  Write("Grüße.txt", "hallo");
  Write("Файл1.dat", "");
  Write("ab.txt", "");
  MakeFolder("Ordner-é");

  EXPECT_EQ(Names("*"),
            (std::set<std::string>{".", "..", "Grüße.txt", "Файл1.dat", "ab.txt", "Ordner-é"}));
  // One ? is one character, however many bytes it takes in UTF-8.
  EXPECT_EQ(Names("Gr??e.txt"), std::set<std::string>{"Grüße.txt"});
  EXPECT_EQ(Names("ФАЙЛ?.DAT"), std::set<std::string>{"Файл1.dat"}) << "without regard to case";
  EXPECT_EQ(Names("*.txt"), (std::set<std::string>{"Grüße.txt", "ab.txt"}));
  EXPECT_TRUE(Names("none*").empty());
  EXPECT_TRUE(Names("missing\\*").empty());
  FindData data;
  EXPECT_EQ(files_.FindFirstFileA(std::string("C:\\windows\0x", 12), data), nullptr)
      << "a path with a zero in it names nothing, not the path before the zero";
}

TEST_F(WinFileSystemTest, EntriesCarryAttributesTimeAndSize) {
  Write("Grüße.txt", "hallo");
  MakeFolder("Ordner");
  const std::wstring file = WideText(At("Grüße.txt"));
  const FILETIME written{0x12345600, 0x01C0FFEE};
  HANDLE handle =
      ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(::SetFileTime(handle, nullptr, nullptr, &written));
  ::CloseHandle(handle);
  ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

  FindData data;
  ASSERT_NE(files_.FindFirstFileA(At("Grüße.txt"), data), nullptr);
  EXPECT_EQ(data.Name, "Grüße.txt");
  EXPECT_EQ(data.Size, 5u);
  EXPECT_EQ(data.Attributes & (kAttrReadOnly | kAttrHidden | kAttrDirectory),
            kAttrReadOnly | kAttrHidden);
  EXPECT_EQ(data.LastWriteTime.dwHighDateTime, written.dwHighDateTime);
  EXPECT_EQ(data.LastWriteTime.dwLowDateTime, written.dwLowDateTime);
  ASSERT_NE(files_.FindFirstFileA(At("ordner"), data), nullptr);
  EXPECT_TRUE(data.IsDirectory());
  EXPECT_EQ(data.Name, "Ordner") << "the name as stored on disk";

  EXPECT_TRUE(files_.FileExists(At("GRÜßE.TXT")));
  EXPECT_FALSE(files_.FileExists(At("Ordner")));
  EXPECT_FALSE(files_.FileExists(At("missing.txt")));
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that it can be removed
}

TEST_F(WinFileSystemTest, TheFolderTestLeavesTheWorkingDirectoryAlone) {
  MakeFolder("Ordner-ä");
  Write("Datei.txt", "");
  wchar_t before[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, before);

  EXPECT_TRUE(files_.SetCurrentDirectoryA(At("Ordner-ä")));
  EXPECT_TRUE(files_.SetCurrentDirectoryA(At("Ordner-ä\\")));
  EXPECT_FALSE(files_.SetCurrentDirectoryA(At("Datei.txt")));
  EXPECT_FALSE(files_.SetCurrentDirectoryA(At("missing")));
  EXPECT_FALSE(files_.SetCurrentDirectoryA(""));

  wchar_t after[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_EQ(std::wstring(after), std::wstring(before));
}

TEST_F(WinFileSystemTest, DrivesTempPathAndSpecialFolders) {
  EXPECT_EQ(files_.GetDriveTypeA("C:\\"), static_cast<UINT>(DRIVE_FIXED));
  const DWORD drives = ::GetLogicalDrives();
  for (int letter = 25; letter >= 0; --letter)
    if ((drives & (1u << letter)) == 0) {
      EXPECT_EQ(files_.GetDriveTypeA(std::string{static_cast<char>('A' + letter), ':', '\\'}),
                static_cast<UINT>(DRIVE_NO_ROOT_DIR));
      break;
    }
  EXPECT_EQ(files_.GetDriveTypeA(""), static_cast<UINT>(DRIVE_NO_ROOT_DIR));

  // The temporary folder comes from TMP, here a name the ANSI calls would garble.
  wchar_t saved[MAX_PATH] = {};
  const bool hadTmp = ::GetEnvironmentVariableW(L"TMP", saved, MAX_PATH) > 0;
  ASSERT_TRUE(::SetEnvironmentVariableW(L"TMP", WideText(root_).c_str()));
  const std::string temp = files_.GetTempPathA();
  ::SetEnvironmentVariableW(L"TMP", hadTmp ? saved : nullptr);
  EXPECT_EQ(temp, root_ + "\\");

  for (int csidl : {CSIDL_FONTS, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
    const std::string path = files_.GetSpecialFolderPath(csidl);
    EXPECT_TRUE(files_.SetCurrentDirectoryA(path)) << csidl << ": " << path;
    EXPECT_NE(path.back(), '\\') << path;
  }
  EXPECT_EQ(files_.GetSpecialFolderPath(5), "") << "only the folders the checks ask for";
}

// Under Wine the moved-file search must not take Z:\ (the host's "/") for a
// drive of the user's files: the host's root comes back as that drive, and
// the default search folders hold the home below it instead.
TEST_F(WinFileSystemTest, UnderWineTheHostRootIsADriveAndOnlyTheHomeIsSearched) {
  if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version"))
    GTEST_SKIP() << "not under Wine";
  const std::optional<std::string> root = files_.FromHostPath("/");
  ASSERT_TRUE(root);
  ASSERT_EQ(root->size(), 3u) << *root;
  EXPECT_EQ(root->substr(1), ":\\");
  EXPECT_EQ(files_.FromHostPath("/no/such/place/x"), root->substr(0, 3) + "no\\such\\place\\x");

  std::vector<std::string> folders;
  FillDefaultSearchPaths(folders, files_, "/tmp");
  EXPECT_NE(std::find(folders.begin(), folders.end(), "C:\\"), folders.end());
  EXPECT_EQ(std::find(folders.begin(), folders.end(), *root), folders.end());
  EXPECT_NE(std::find(folders.begin(), folders.end(), *root + "tmp"), folders.end());
}

// A value a 32-bit program wrote names system32 but means SysWOW64: judged in
// the 64-bit folder, its file would be reported missing and deleted.
TEST_F(WinFileSystemTest, A32BitProgramsSystem32IsSysWow64) {
  wchar_t wow64[MAX_PATH + 1] = {}, native[MAX_PATH + 1] = {};
  if (sizeof(void*) != 8 || ::GetSystemWow64DirectoryW(wow64, MAX_PATH + 1) == 0)
    GTEST_SKIP() << "no 32-bit system folder beside this build's";
  ASSERT_NE(::GetSystemDirectoryW(native, MAX_PATH + 1), 0u);
  const std::wstring tag = std::to_wstring(::GetCurrentProcessId());
  const std::wstring only32 = std::wstring(wow64) + L"\\hw-only32-" + tag + L".dll";
  const std::wstring only64 = std::wstring(native) + L"\\hw-only64-" + tag + L".dll";
  for (const std::wstring& file : {only32, only64}) {
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ::CloseHandle(handle);
  }
  WinFileSystem files;  // learns that SysWOW64 holds files
  const std::string named32 = "C:\\windows\\system32\\hw-only32-" + Utf8Text(tag) + ".dll";
  const std::string named64 = "C:\\windows\\system32\\hw-only64-" + Utf8Text(tag) + ".dll";
  EXPECT_TRUE(files.FileExistsIn(named32, RegistryView::Wow32));
  EXPECT_FALSE(files.FileExistsIn(named32, RegistryView::Native));
  EXPECT_TRUE(files.FileExistsIn(named32, RegistryView::Either));
  EXPECT_FALSE(files.FileExistsIn(named64, RegistryView::Wow32));
  EXPECT_TRUE(files.FileExistsIn(named64, RegistryView::Either));
  EXPECT_TRUE(files.FileExistsIn("C:\\windows\\sysnative\\hw-only64-" + Utf8Text(tag) + ".dll",
                                 RegistryView::Wow32));
  EXPECT_TRUE(files.FolderExistsIn("C:\\windows\\system32\\drivers\\etc", RegistryView::Wow32));
  ::DeleteFileW(only32.c_str());
  ::DeleteFileW(only64.c_str());
}

bool IsLinkedFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WideText(path).c_str());
  const DWORD linkedFolder = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & linkedFolder) == linkedFolder;
}

TEST_F(WinFileSystemTest, ALinkToAFolderIsAWalkBarrierAPlainFolderIsNot) {
  MakeFolder("Ziel");
  Write("Datei.txt", "");
  EXPECT_FALSE(files_.IsWalkBarrier(At("Ziel")));
  EXPECT_FALSE(files_.IsWalkBarrier(At("Datei.txt")));
  EXPECT_FALSE(files_.IsWalkBarrier(At("missing")));
  EXPECT_FALSE(files_.IsWalkBarrier("C:\\"));

  // Wine's CreateSymbolicLinkW makes nothing: under Wine the build leaves a
  // host link (Verweis -> Ziel) in HW_FOLDER_LINKS, which Wine shows as a
  // reparse point without a tag.
  std::string link = At("Verweis");
  bool made = ::CreateSymbolicLinkW(
                  WideText(link).c_str(), L"Ziel",
                  SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
              IsLinkedFolder(link);
#ifdef HW_FOLDER_LINKS
  if (!made) made = IsLinkedFolder(link = HW_FOLDER_LINKS "/Verweis");
#endif
  if (!made) GTEST_SKIP() << "no folder link can be made here";
  EXPECT_TRUE(files_.IsWalkBarrier(link));
  EXPECT_TRUE(files_.IsWalkBarrier(link + "\\"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA(link)) << "still a folder";
  if (link == At("Verweis")) ::RemoveDirectoryW(WideText(link).c_str());
}

TEST(WinTextTest, NamesRoundTripThroughUtf16) {
  // Names NTFS allows but UTF-8 cannot say strictly: an unpaired surrogate
  // must come back as it was, or a file found could not be found again.
  for (std::wstring name :
       {std::wstring(L"Grüße Файл €𝄞"), std::wstring(L"x\xD800y"), std::wstring(L"\xDC00")}) {
    EXPECT_EQ(WideText(Utf8Text(name)), name);
  }
  EXPECT_EQ(Utf8Text(L"Grüße"), "Grüße");
}

}  // namespace
}  // namespace hw::platform
