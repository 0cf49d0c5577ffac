#include "platform/wine/PrefixFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include "platform/MemoryStore.h"
#include "platform/StoreRegistryApi.h"
#include "platform/Text.h"
#include "platform/wine/WinePrefixStore.h"
#include "platform/wine/Wow64Paths.h"
#include "tests/support/TempDir.h"

namespace hw::platform {
namespace {

namespace fs = std::filesystem;

// The file test as the scan asks it, answered from the listings, checked
// against the answer of a full find-first.
bool FileExists(PrefixFileSystem& files, const std::string& path) {
  bool fromListings = files.FileExists(path);
  EXPECT_EQ(fromListings, files.FileSystem::FileExists(path)) << path;
  return fromListings;
}

void writeFile(const fs::path& path, const std::string& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::string utf16z(const std::string& text) { return utf8ToUtf16(text + '\0'); }

// Runs check as the user nobody when this process is root, for whom every
// permission test passes; the answer comes back as the child's exit code.
bool RunUnprivileged(const std::function<bool()>& check) {
  if (::geteuid() != 0) return check();
  const pid_t child = ::fork();
  if (child == 0) {
    const bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// A prefix with C: (relative link) holding names in mixed case, D: (relative
// link) typed cdrom, E: (absolute link), F: dangling, a raw device c:: and Z:.
class PrefixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const fs::path c = root() / "drive_c";
    writeFile(c / "Windows" / "System32" / "Shell32.dll", "dll");
    writeFile(c / "Windows" / "Fonts" / "arial.ttf", "font");
    writeFile(c / "t" / "Dup", "A");
    writeFile(c / "t" / "dup", "bb");
    writeFile(c / "t" / "a.dll", "abc");
    writeFile(c / "t" / "noext", "");
    writeFile(c / "t" / ".hidden", "");
    writeFile(c / "t" / "readonly.txt", "");
    fs::permissions(c / "t" / "readonly.txt", fs::perms::owner_read | fs::perms::group_read);
    fs::create_directories(c / "t" / "Sub");
    fs::create_symlink(root() / "nowhere", c / "t" / "dangle");
    writeFile(root() / "media" / "setup.exe", "");
    writeFile(root() / "other" / "x.txt", "");

    const fs::path devices = root() / "dosdevices";
    fs::create_directories(devices);
    fs::create_directory_symlink("../drive_c", devices / "c:");
    fs::create_symlink("/dev/null", devices / "c::");
    fs::create_directory_symlink("../media", devices / "d:");
    fs::create_directory_symlink(root() / "other", devices / "e:");
    fs::create_directory_symlink("../gone", devices / "f:");
    fs::create_directory_symlink("/", devices / "z:");

    KeyNode& drives = store_.ensureKey(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives");
    store_.loadValue(drives, "d:", REG_SZ, utf16z("cdrom"));
  }

  const fs::path& root() const { return prefix_.path(); }
  std::string host(const fs::path& relative) const { return (root() / relative).string(); }

  // The names a pattern finds, in the order found.
  std::vector<std::string> find(const std::string& pattern) {
    std::vector<std::string> names;
    FindData data;
    auto search = files_.FindFirstFileA(pattern, data);
    if (!search) return names;
    do names.push_back(data.Name);
    while (search->FindNextFileA(data));
    return names;
  }
  std::set<std::string> findSet(const std::string& pattern) {
    auto names = find(pattern);
    return {names.begin(), names.end()};
  }
  std::optional<FindData> entry(const std::string& path) {
    FindData data;
    if (!files_.FindFirstFileA(path, data)) return std::nullopt;
    return data;
  }

  test::TempDir prefix_;
  MemoryStore store_;
  StoreRegistryApi api_{store_};
  PrefixFileSystem files_{prefix_.path(), api_};
};

TEST_F(PrefixFileSystemTest, DriveTypesComeFromDosdevicesAndWinesDriveSettings) {
  KeyNode& drives = store_.ensureKey(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives");
  store_.loadValue(drives, "Z:", REG_SZ, utf16z("network"));
  EXPECT_EQ(files_.GetDriveTypeA("C:\\"), DRIVE_FIXED);
  EXPECT_EQ(files_.GetDriveTypeA("c:"), DRIVE_FIXED);
  EXPECT_EQ(files_.GetDriveTypeA("D:\\"), DRIVE_CDROM);
  EXPECT_EQ(files_.GetDriveTypeA("E:\\"), DRIVE_FIXED) << "an absolute link";
  EXPECT_EQ(files_.GetDriveTypeA("Z:\\"), DRIVE_REMOTE);
  EXPECT_EQ(files_.GetDriveTypeA("F:\\"), DRIVE_NO_ROOT_DIR) << "a link to nothing";
  EXPECT_EQ(files_.GetDriveTypeA("G:\\"), DRIVE_NO_ROOT_DIR) << "no link at all";
  EXPECT_EQ(files_.GetDriveTypeA("1:\\"), DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(api_.openHandleCount(), 0u);
}

TEST_F(PrefixFileSystemTest, WindowsPathsResolveWithoutRegardToCase) {
  EXPECT_TRUE(files_.SetCurrentDirectoryA("C:\\WINDOWS\\system32"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA("c:/windows/SYSTEM32/"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA("C:"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA("d:\\"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA("E:\\"));
  EXPECT_FALSE(files_.SetCurrentDirectoryA("F:\\")) << "dangling drive link";
  EXPECT_FALSE(files_.SetCurrentDirectoryA("G:\\"));
  EXPECT_FALSE(files_.SetCurrentDirectoryA("C:\\Windows\\System32\\Shell32.dll")) << "a file";
  EXPECT_FALSE(files_.SetCurrentDirectoryA("\\\\server\\share\\"));
  EXPECT_FALSE(files_.SetCurrentDirectoryA(""));

  auto dll = entry("C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL");
  ASSERT_TRUE(dll);
  EXPECT_EQ(dll->Name, "Shell32.dll") << "the name as stored on disk";
  EXPECT_TRUE(FileExists(files_, "d:\\SETUP.EXE"));
  EXPECT_TRUE(FileExists(files_, "e:\\X.TXT"));
  EXPECT_FALSE(FileExists(files_, "C:\\Windows\\System32\\gone.dll"));
  EXPECT_FALSE(FileExists(files_, "C:\\Windows\\System32")) << "a folder is no file";
  EXPECT_FALSE(FileExists(files_, "C:\\gone\\deeper\\x.dll"));
  EXPECT_FALSE(FileExists(files_, "C:\\t\\dangle")) << "a dangling link is no file, as in Wine";

  EXPECT_TRUE(files_.SetCurrentDirectoryA(root().string())) << "host paths as they are";
  EXPECT_TRUE(FileExists(files_, host("drive_c/t/a.dll")));
  EXPECT_FALSE(FileExists(files_, host("drive_c/t/A.DLL"))) << "host paths keep their case";
}

TEST_F(PrefixFileSystemTest, DotsAndTrailingDotsAreReadAsWindowsReadsThem) {
  EXPECT_TRUE(FileExists(files_, "C:\\t\\Sub\\..\\a.dll"));
  EXPECT_TRUE(FileExists(files_, "C:\\t\\.\\.\\a.dll"));
  EXPECT_TRUE(FileExists(files_, "C:\\..\\..\\t\\a.dll")) << "never above the drive's root";
  EXPECT_TRUE(FileExists(files_, "C:\\t\\a.dll."));
  EXPECT_TRUE(FileExists(files_, "C:\\t\\a.dll . "));
  EXPECT_TRUE(FileExists(files_, "C:\\t..\\a.dll")) << "a folder's trailing dots";
  EXPECT_FALSE(FileExists(files_, "C:\\t \\a.dll")) << "but not its trailing blanks";
  EXPECT_TRUE(FileExists(files_, "C:\\t\\\\a.dll"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA("C:\\t\\Sub\\.."));

  EXPECT_FALSE(entry("C:\\t\\a.dll\\")) << "a pattern ending in a separator finds nothing";
  EXPECT_FALSE(entry("C:\\"));
  EXPECT_FALSE(files_.SetCurrentDirectoryA("C:\\t\\a.dll\\"));
  auto self = entry("C:\\t\\Sub\\..");
  ASSERT_TRUE(self) << "names the folder t itself";
  EXPECT_EQ(self->Name, "t");
}

TEST_F(PrefixFileSystemTest, AnExactSpellingWinsOverOneInAnotherCase) {
  auto upper = entry("C:\\t\\Dup");
  auto lower = entry("C:\\t\\dup");
  ASSERT_TRUE(upper && lower);
  EXPECT_EQ(upper->Name, "Dup");
  EXPECT_EQ(upper->Size, 1u);
  EXPECT_EQ(lower->Name, "dup");
  EXPECT_EQ(lower->Size, 2u);
  // After the folder was listed, the listing answers and still prefers the spelling.
  ASSERT_TRUE(entry("C:\\t\\DUP"));
  EXPECT_EQ(entry("C:\\t\\dup")->Name, "dup");
  EXPECT_EQ(entry("C:\\t\\Dup")->Name, "Dup");
}

TEST_F(PrefixFileSystemTest, WildcardsMatchAsOnWindows) {
  const std::set<std::string> all = {".",   "..",    ".hidden",      "a.dll", "Dup",
                                     "dup", "noext", "readonly.txt", "Sub"};
  EXPECT_EQ(findSet("C:\\t\\*"), all) << "the dangling link is not listed";
  EXPECT_EQ(findSet("c:/T/*.*"), all) << "*.* also finds names without a dot";
  EXPECT_EQ(find("C:\\t\\*"), (std::vector<std::string>{".", "..", ".hidden", "a.dll", "Dup", "dup",
                                                        "noext", "readonly.txt", "Sub"}))
      << "the folder and its parent first, then alphabetically as Wine lists";
  EXPECT_EQ(findSet("C:\\t\\*."), (std::set<std::string>{".", "..", "Dup", "dup", "noext", "Sub"}));
  EXPECT_EQ(findSet("C:\\t\\?UP"), (std::set<std::string>{"Dup", "dup"}));
  EXPECT_EQ(findSet("C:\\t\\A*.DLL"), (std::set<std::string>{"a.dll"}));
  EXPECT_EQ(findSet("C:\\t\\*.dl?"), (std::set<std::string>{"a.dll"}));
  EXPECT_EQ(findSet("C:\\t\\.*"), (std::set<std::string>{".", "..", ".hidden"}));
  EXPECT_EQ(findSet("C:\\t\\noext.*"), (std::set<std::string>{"noext"}));
  EXPECT_TRUE(find("C:\\t\\*.exe").empty());
  EXPECT_TRUE(find("C:\\gone\\*").empty());

  auto rootNames = findSet("C:\\*");
  EXPECT_EQ(rootNames, (std::set<std::string>{"t", "Windows"})) << "no . and .. at a drive's root";
  EXPECT_EQ(findSet(host("drive_c/t/*.DLL")), (std::set<std::string>{"a.dll"}));
}

TEST(MaskTest, DosWildcardRulesAndCaseFolding) {
  EXPECT_TRUE(MatchesMask("a?.dll", "a.dll")) << "? may match nothing before a dot";
  EXPECT_TRUE(MatchesMask("a?.dll", "ab.dll"));
  EXPECT_FALSE(MatchesMask("a?.dll", "abc.dll"));
  EXPECT_TRUE(MatchesMask("*.*", "archive.tar.gz"));
  EXPECT_TRUE(MatchesMask("*.", "README"));
  EXPECT_FALSE(MatchesMask("*.", "archive.tar.gz"));
  EXPECT_TRUE(MatchesMask("*an*a", "BANANA")) << "backtracks over earlier matches";
  EXPECT_FALSE(MatchesMask("*an*a", "banane"));
  EXPECT_TRUE(MatchesMask("\xc3\x89T\xc3\x89.*", "\xc3\xa9t\xc3\xa9.txt")) << "ÉTÉ.* finds été.txt";
  EXPECT_TRUE(MatchesMask("?x", "\xc3\xa9x")) << "? is one character, not one byte";
  EXPECT_TRUE(MatchesMask("a??", "a")) << "and, at the end, maybe none";
  // A mask read from the registry must not stall the scan.
  EXPECT_FALSE(MatchesMask("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(250, 'a')));
}

TEST_F(PrefixFileSystemTest, EntriesCarryAttributesTimesAndSizes) {
  const fs::path dll = root() / "drive_c" / "t" / "a.dll";
  const struct timespec times[2] = {{1'000'000'000, 5'000'000}, {1'000'000'000, 5'000'000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dll.c_str(), times, 0), 0);

  auto file = entry("C:\\t\\A.DLL");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Attributes, kAttrArchive);
  EXPECT_EQ(file->Size, 3u);
  // 2001-09-09 01:46:40.005 UTC in 100 ns steps since 1601.
  std::uint64_t ticks =
      (std::uint64_t{file->LastWriteTime.dwHighDateTime} << 32) | file->LastWriteTime.dwLowDateTime;
  EXPECT_EQ(ticks, 126'444'736'000'050'000ull);

  EXPECT_EQ(entry("C:\\t\\readonly.txt")->Attributes, kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(entry("C:\\t\\.hidden")->Attributes, kAttrArchive | kAttrHidden);
  auto folder = entry("C:\\t\\sub");
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Attributes, kAttrDirectory);
  EXPECT_EQ(folder->Size, 0u);

  FindData dot;
  ASSERT_TRUE(files_.FindFirstFileA("C:\\t\\*", dot));
  EXPECT_EQ(dot.Attributes, kAttrDirectory) << "\".\" is not hidden";
}

TEST_F(PrefixFileSystemTest, FilesDatedBeforeDosTimesStillExist) {
  // Package managers stamp files with the epoch; such a file has no DOS date
  // but is there all the same, and a repair must not lose its entries.
  const fs::path dll = root() / "drive_c" / "t" / "a.dll";
  const struct timespec epoch[2] = {{0, 0}, {0, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dll.c_str(), epoch, 0), 0);
  EXPECT_TRUE(FileExists(files_, "C:\\t\\a.dll"));
}

TEST_F(PrefixFileSystemTest, TheFolderTestLeavesTheWorkingDirectoryAlone) {
  const fs::path before = fs::current_path();
  EXPECT_TRUE(files_.SetCurrentDirectoryA("C:\\Windows\\"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA("/"));
  EXPECT_EQ(fs::current_path(), before);
}

TEST_F(PrefixFileSystemTest, HostPathsRoundTripThroughTheDrives) {
  EXPECT_EQ(files_.ToHostPath("C:\\WINDOWS\\SYSTEM32\\shell32.dll"),
            host("drive_c/Windows/System32/Shell32.dll"));
  EXPECT_EQ(files_.ToHostPath("c:\\windows\\NoSuch\\Deeper\\File.txt"),
            host("drive_c/Windows/NoSuch/Deeper/File.txt"))
      << "resolved as far as it exists, the rest as written";
  EXPECT_EQ(files_.ToHostPath("C:\\"), host("drive_c"));
  EXPECT_EQ(files_.ToHostPath("F:\\x"), host("gone/x")) << "a drive whose target is missing";
  EXPECT_EQ(files_.ToHostPath("G:\\x"), std::nullopt);
  EXPECT_EQ(files_.ToHostPath("/usr/share"), "/usr/share");

  EXPECT_EQ(files_.FromHostPath(host("drive_c/Windows/System32")), "C:\\Windows\\System32");
  EXPECT_EQ(files_.FromHostPath(host("drive_c")), "C:\\");
  EXPECT_EQ(files_.FromHostPath(host("dosdevices/c:/Windows")), "C:\\Windows")
      << "through the drive's own link";
  EXPECT_EQ(files_.FromHostPath(host("media/setup.exe")), "D:\\setup.exe");
  EXPECT_EQ(files_.FromHostPath(host("other")), "E:\\");
  EXPECT_EQ(files_.FromHostPath("/usr/share"), "Z:\\usr\\share");
  EXPECT_EQ(files_.FromHostPath("relative/path"), std::nullopt);
  for (const char* path : {"C:\\Windows\\Fonts\\arial.ttf", "D:\\setup.exe", "Z:\\usr"})
    EXPECT_EQ(files_.FromHostPath(*files_.ToHostPath(path)), path);

  // Without Z:, a host path outside every drive has no Windows path.
  fs::remove(root() / "dosdevices" / "z:");
  files_.ClearCache();
  EXPECT_EQ(files_.FromHostPath("/usr/share"), std::nullopt);
  EXPECT_EQ(files_.GetDriveTypeA("Z:\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(PrefixFileSystemTest, EachFolderIsListedOnceAndOnlyWhenASpellingMisses) {
  EXPECT_TRUE(FileExists(files_, "C:\\Windows\\System32\\Shell32.dll"));
  EXPECT_TRUE(files_.SetCurrentDirectoryA("C:\\Windows\\Fonts"));
  EXPECT_EQ(files_.ListingCount(), 0u) << "exact spellings cost a stat, no listing";

  EXPECT_TRUE(FileExists(files_, "C:\\WINDOWS\\SYSTEM32\\SHELL32.DLL"));
  const std::size_t listed = files_.ListingCount();
  EXPECT_EQ(listed, 3u) << "drive_c, Windows and System32";
  EXPECT_TRUE(FileExists(files_, "C:\\windows\\system32\\shell32.DLL"));
  EXPECT_FALSE(FileExists(files_, "C:\\WINDOWS\\SYSTEM32\\gone.dll"));
  EXPECT_FALSE(FileExists(files_, "c:\\WINDOWS\\SYSTEM32\\GONE.DLL"));
  EXPECT_EQ(find("C:\\Windows\\System32\\*.dll").size(), 1u);
  EXPECT_EQ(files_.ListingCount(), listed) << "the same folders are not listed again";

  files_.ClearCache();
  EXPECT_TRUE(FileExists(files_, "C:\\windows\\system32\\shell32.DLL"));
  EXPECT_EQ(files_.ListingCount(), 2 * listed) << "a new scan learns afresh";
}

TEST_F(PrefixFileSystemTest, AFolderThatCanBeEnteredButNotListedGivesItsExactNames) {
  const fs::path locked = root() / "drive_c" / "locked";
  writeFile(locked / "Inner.dll", "x");
  fs::permissions(locked, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
  const bool ok = RunUnprivileged([this] {
    // Another case needs the listing, which fails; Wine cannot find it either.
    // The exact name must still be found after that failed listing.
    return !files_.FileExists("C:\\locked\\INNER.DLL") &&
           files_.FileExists("C:\\locked\\Inner.dll") &&
           files_.FileExists("C:\\LOCKED\\Inner.dll") && files_.SetCurrentDirectoryA("C:\\Locked");
  });
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_TRUE(ok);
}

TEST(Wow64PathsTest, ThirtyTwoBitProgramsAreRedirectedAsWineRedirectsThem) {
  EXPECT_EQ(Wow32Redirect("C:\\windows\\system32\\x.dll"), "C:\\windows\\syswow64\\x.dll");
  EXPECT_EQ(Wow32Redirect("c:/WINDOWS/System32/sub/x.dll"), "C:\\WINDOWS\\syswow64\\sub\\x.dll");
  EXPECT_EQ(Wow32Redirect("C:\\Windows\\Sysnative\\x.dll"), "C:\\Windows\\system32\\x.dll");
  EXPECT_EQ(Wow32Redirect("C:\\windows\\system32\\"), "C:\\windows\\syswow64\\");
  EXPECT_EQ(Wow32Redirect("C:\\windows\\regedit.exe"), "C:\\windows\\syswow64\\regedit.exe");
  EXPECT_EQ(Wow32Redirect("C:\\windows\\x\\..\\system32\\x.dll"), "C:\\windows\\syswow64\\x.dll");
  EXPECT_EQ(Wow32Redirect("C:\\x\\..\\windows\\system32\\x.dll"), "C:\\windows\\syswow64\\x.dll");
  EXPECT_EQ(Wow32Redirect("C:\\windows.\\system32\\x.dll"), "C:\\windows\\syswow64\\x.dll");
  // Shared by both kinds, or not the system folder at all.
  for (const char* path :
       {"C:\\windows\\system32\\drivers\\etc\\hosts", "C:\\windows\\system32\\spool\\drivers",
        "C:\\windows\\syswow64\\x.dll", "D:\\windows\\system32\\x.dll", "C:\\system32\\x.dll",
        "C:\\Program Files\\system32\\x.dll", "C:\\windows\\system32x\\a"})
    EXPECT_EQ(Wow32Redirect(path), std::nullopt) << path;
}

TEST_F(PrefixFileSystemTest, TheTemporaryFolderEndsInASeparator) {
  const char* saved = std::getenv("TMPDIR");
  std::string previous = saved ? saved : "";
  ::setenv("TMPDIR", "/var/tmp", 1);
  EXPECT_EQ(files_.GetTempPathA(), "/var/tmp/");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(files_.GetTempPathA(), "/tmp/");
  if (saved) ::setenv("TMPDIR", previous.c_str(), 1);
}

TEST_F(PrefixFileSystemTest, SpecialFoldersComeFromShellFolders) {
  const char* shell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  KeyNode& user = store_.ensureKey(HKEY_CURRENT_USER, shell);
  store_.loadValue(user, "Fonts", REG_SZ, utf16z("C:\\windows\\Fonts\\"));
  store_.loadValue(user, "Programs", REG_SZ, utf16z("C:\\users\\me\\Start Menu\\Programs"));
  KeyNode& common = store_.ensureKey(HKEY_LOCAL_MACHINE, shell);
  store_.loadValue(common, "Common Programs", REG_SZ, utf16z("C:\\ProgramData\\Programs"));

  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_FONTS), "C:\\windows\\Fonts");
  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_PROGRAMS), "C:\\users\\me\\Start Menu\\Programs");
  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_COMMON_PROGRAMS), "C:\\ProgramData\\Programs");
  EXPECT_EQ(files_.GetSpecialFolderPath(5), "") << "a folder not known here";
  EXPECT_EQ(api_.openHandleCount(), 0u);
}

TEST_F(PrefixFileSystemTest, SpecialFoldersFallBackToUserShellFoldersAndWinesDefaults) {
  KeyNode& user = store_.ensureKey(
      HKEY_CURRENT_USER,
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
  store_.loadValue(user, "Programs", REG_EXPAND_SZ, utf16z("%userprofile%\\Start Menu\\Programs"));
  KeyNode& volatileEnvironment = store_.ensureKey(HKEY_CURRENT_USER, "Volatile Environment");
  store_.loadValue(volatileEnvironment, "USERPROFILE", REG_SZ, utf16z("C:\\users\\me"));
  KeyNode& profiles = store_.ensureKey(
      HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList");
  store_.loadValue(profiles, "ProgramData", REG_EXPAND_SZ, utf16z("%SystemDrive%\\ProgramData"));
  KeyNode& version =
      store_.ensureKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion");
  store_.loadValue(version, "SystemRoot", REG_SZ, utf16z("C:\\windows"));

  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_PROGRAMS), "C:\\users\\me\\Start Menu\\Programs");
  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_FONTS), "C:\\windows\\Fonts");
  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_COMMON_PROGRAMS),
            "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
}

TEST_F(PrefixFileSystemTest, SpecialFoldersWithoutAnyRegistryDataAreErrors) {
  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_FONTS), "error");
  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_PROGRAMS), "error");
  EXPECT_EQ(files_.GetSpecialFolderPath(CSIDL_COMMON_PROGRAMS), "error");
  EXPECT_EQ(files_.GetSpecialFolderPath(-1), "");
}

TEST(PrefixFileSystemRealPrefixTest, SpecialFoldersOfAPrefixMadeByWineboot) {
  test::TempDir dir;
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"})
    fs::copy_file(fs::path(HW_WINE_TEST_DATA) / name, dir.path() / name);
  auto store = WinePrefixStore::open(dir.path());
  StoreRegistryApi api(*store);
  PrefixFileSystem files(dir.path(), api);
  EXPECT_EQ(files.GetSpecialFolderPath(CSIDL_FONTS), "C:\\windows\\Fonts");
  EXPECT_EQ(files.GetSpecialFolderPath(CSIDL_PROGRAMS),
            "C:\\users\\root\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
  EXPECT_EQ(files.GetSpecialFolderPath(CSIDL_COMMON_PROGRAMS),
            "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
}

}  // namespace
}  // namespace hw::platform
