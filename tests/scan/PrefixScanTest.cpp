// A whole scan of a Wine prefix on disk: registry files, dosdevices links and
// a drive_c tree whose names differ in case from the registry's. Every stale
// entry planted is found with its fields, and nothing that exists is.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/EventPump.h"
#include "platform/wine/PrefixFileSystem.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "registry/NTRegistry.h"
#include "scan/AnalyzClass.h"
#include "tests/support/FindingRecorder.h"
#include "tests/support/TempDir.h"

namespace hw {
namespace {

namespace fs = std::filesystem;

const std::string kCv = "Software\\Microsoft\\Windows\\CurrentVersion\\";

void Touch(const fs::path& file) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << "x";
}

class PrefixScanTest : public ::testing::Test {
 protected:
  PrefixScanTest() {
    const fs::path c = dir.path() / "drive_c";
    Touch(c / "Program Files" / "Good App" / "Good.EXE");
    Touch(c / "windows" / "Fonts" / "good.ttf");
    Touch(c / "windows" / "help" / "Good.hlp");
    fs::create_directories(c / "users" / "me" / "Start Menu" / "Programs");
    fs::create_directories(c / "users" / "Public" / "Start Menu" / "Programs" / "Good Folder");
    fs::create_directories(dir.path() / "cdrom");
    fs::create_directories(dir.path() / "dosdevices");
    fs::create_directory_symlink("../drive_c", dir.path() / "dosdevices" / "c:");
    fs::create_directory_symlink(dir.path() / "cdrom", dir.path() / "dosdevices" / "d:");
    Touch(dir.path() / "cdrom" / "setup.exe");

    auto store = platform::WinePrefixStore::createEmpty(dir.path());
    platform::StoreRegistryApi api(*store);
    TNTRegistry reg(api);
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives").WriteString("d:", "cdrom");
    At(reg, HKEY_CURRENT_USER, kCv + "Explorer\\Shell Folders")
        .WriteString("Programs", "C:\\users\\me\\Start Menu\\Programs");
    reg.WriteString("Fonts", "C:\\windows\\Fonts");
    At(reg, HKEY_LOCAL_MACHINE, kCv + "Explorer\\Shell Folders")
        .WriteString("Common Programs", "C:\\users\\Public\\Start Menu\\Programs");
    reg.WriteString("Fonts", "C:\\windows\\Fonts");

    At(reg, HKEY_LOCAL_MACHINE, "Software\\Good")
        .WriteString("Exe", "\"c:\\program files\\good app\\good.exe\" \"%1\"");
    reg.WriteString("Gone", "C:\\Program Files\\Gone App\\gone.exe /s");
    reg.WriteString("Cd", "D:\\setup.exe");

    At(reg, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts")
        .WriteString("Good (TrueType)", "GOOD.TTF");
    reg.WriteString("Gone (TrueType)", "gone.ttf");

    At(reg, HKEY_CURRENT_USER, kCv + "Explorer\\MenuOrder\\Start Menu\\Programs\\good folder");
    At(reg, HKEY_CURRENT_USER, kCv + "Explorer\\MenuOrder\\Start Menu\\Programs\\Gone Folder");

    At(reg, HKEY_LOCAL_MACHINE, kCv + "App Paths\\good.exe")
        .WriteString("", "C:\\Program Files\\Good App\\good.exe");
    At(reg, HKEY_LOCAL_MACHINE, kCv + "App Paths\\gone.exe")
        .WriteString("", "C:\\Program Files\\Gone App\\gone.exe");

    At(reg, HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\Help")
        .WriteString("good.hlp", "C:\\Windows\\Help");
    reg.WriteString("gone.hlp", "C:\\Windows\\Help");

    At(reg, HKEY_LOCAL_MACHINE, kCv + "SharedDLLs");
    std::uint32_t count = 2;
    reg.PutData("C:\\Program Files\\Good App\\good.exe", &count, sizeof count, dkInteger);
    reg.PutData("C:\\Program Files\\Gone App\\gone.dll", &count, sizeof count, dkInteger);
    reg.CloseKey();
    store->save();
  }

  static TNTRegistry& At(TNTRegistry& reg, HKEY root, const std::string& path) {
    reg.SetRootKey(root);
    EXPECT_TRUE(reg.OpenKey("\\" + path, true)) << path;
    return reg;
  }

  std::multiset<std::string> Scan() {
    auto store = platform::WinePrefixStore::open(dir.path());
    platform::StoreRegistryApi api(*store);
    platform::PrefixFileSystem files(dir.path(), api);
    platform::EventPump pump;
    TAnalyzClass engine(api, files, pump);
    std::multiset<std::string> found;
    test::OnEveryFinding(engine, [&found](const char* event, TAnalyzClass& e) {
      found.insert(std::string(event) + " [" + e.RootName + "] " + e.KeyPath + " | " + e.ValueName +
                   " | " + e.BadPath + " | " + std::to_string(e.Flags.ToBits()) + " | " +
                   std::to_string(e.PathCount));
    });
    engine.Categories = {acInvalidPaths,    acInvalidFonts,     acObsoleteStartMenu,
                         acInvalidAppPaths, acInvalidHelpFiles, acInvalidSharedDLLs};
    engine.Analyze();
    return found;
  }

  test::TempDir dir;
};

TEST_F(PrefixScanTest, FindsEveryStaleEntryAndNothingThatExists) {
  const std::string hklm = "[HKEY_LOCAL_MACHINE] ";
  EXPECT_EQ(
      Scan(),
      (std::multiset<std::string>{
          "path " + hklm + "Software\\Good | Gone | C:\\Program Files\\Gone App\\gone.exe | 1 | 1",
          "path " + hklm + "Software\\Good | Cd | D:\\setup.exe | 1 | 1",
          // The App Paths and SharedDLLs values are listed once, by the roots
          // of their own categories, which come first.
          "font " + hklm + "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts | " +
              "Gone (TrueType) | gone.ttf | 1 | 1",
          "menu [HKEY_CURRENT_USER] " + kCv +
              "Explorer\\MenuOrder\\Start Menu\\Programs\\Gone Folder" +
              " |  | Programs\\Gone Folder | 4 | 1",
          "app " + hklm + kCv +
              "App Paths\\gone.exe |  | C:\\Program Files\\Gone App\\gone.exe | 33 | 1",
          "help " + hklm +
              "Software\\Microsoft\\Windows\\Help | gone.hlp | C:\\Windows\\Help | 1 | 1",
          "dll " + hklm + kCv + "SharedDLLs | C:\\Program Files\\Gone App\\gone.dll | " +
              "C:\\Program Files\\Gone App\\gone.dll | 2 | 1",
      }));
}

TEST(KeyViewTest, OnlyKeysBelowTheThirtyTwoBitViewsAreKnownToBeThirtyTwoBit) {
  using platform::RegistryView;
  EXPECT_EQ(ViewOfKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\WOW6432Node\\App"), RegistryView::Wow32);
  EXPECT_EQ(ViewOfKey(HKEY_LOCAL_MACHINE, "Software\\Classes\\Wow6432Node\\CLSID"),
            RegistryView::Wow32);
  EXPECT_EQ(ViewOfKey(HKEY_CLASSES_ROOT, "Wow6432Node\\CLSID\\{x}"), RegistryView::Wow32);
  EXPECT_EQ(ViewOfKey(HKEY_CURRENT_USER, "Software\\Classes\\Wow6432Node\\CLSID"),
            RegistryView::Wow32);
  EXPECT_EQ(ViewOfKey(HKEY_USERS, "S-1-5-21-1\\Software\\Classes\\Wow6432Node"),
            RegistryView::Wow32);
  EXPECT_EQ(ViewOfKey(HKEY_USERS, "S-1-5-21-1_Classes\\Wow6432Node\\CLSID"), RegistryView::Wow32);
  for (auto [root, path] : std::initializer_list<std::pair<HKEY, const char*>>{
           {HKEY_LOCAL_MACHINE, "Software\\App"},
           {HKEY_LOCAL_MACHINE, "System\\Wow6432Node"},
           {HKEY_LOCAL_MACHINE, "Software\\Vendor\\Wow6432Node"},
           {HKEY_CURRENT_USER, "Software\\Wow6432Node\\App"},
           {HKEY_CLASSES_ROOT, "CLSID\\Wow6432Node"},
           {HKEY_USERS, "S-1-5-21-1\\Software\\App"}})
    EXPECT_EQ(ViewOfKey(root, path), RegistryView::Either) << path;
}

// A WoW64 prefix: a 32-bit program's libraries lie in syswow64 while its
// registry names system32. Each path is judged as the program that wrote it
// resolves it, as far as the key tells which kind that was.
TEST_F(PrefixScanTest, PathsAreJudgedAsTheProgramThatWroteThemResolvesThem) {
  const fs::path windows = dir.path() / "drive_c" / "windows";
  Touch(windows / "system32" / "only64.dll");
  Touch(windows / "syswow64" / "only32.dll");
  Touch(windows / "system32" / "drivers" / "etc" / "hosts");
  {
    auto store = platform::WinePrefixStore::open(dir.path());
    platform::StoreRegistryApi api(*store);
    TNTRegistry reg(api);
    // Written by 32-bit programs.
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\App32")
        .WriteString("Lib", "C:\\windows\\system32\\only32.dll");
    reg.WriteString("Native", "C:\\Windows\\Sysnative\\only64.dll");
    reg.WriteString("Shared", "C:\\windows\\system32\\drivers\\etc\\hosts");
    reg.WriteString("Gone64", "C:\\windows\\system32\\only64.dll");
    At(reg, HKEY_LOCAL_MACHINE, "Software\\Classes\\Wow6432Node\\CLSID\\{0}\\InprocServer32")
        .WriteString("", "C:\\WINDOWS\\SYSTEM32\\only32.dll");
    // Written by either kind.
    At(reg, HKEY_CURRENT_USER, "Software\\App")
        .WriteString("Lib32", "C:\\windows\\system32\\only32.dll");
    reg.WriteString("Lib64", "C:\\windows\\system32\\only64.dll");
    reg.WriteString("Gone", "C:\\windows\\system32\\none.dll");
    At(reg, HKEY_LOCAL_MACHINE, kCv + "SharedDLLs");
    std::uint32_t count = 1;
    reg.PutData("C:\\windows\\system32\\only32.dll", &count, sizeof count, dkInteger);
    reg.CloseKey();
    store->save();
  }
  // The new findings, as root, key and value (a user's hive seen again
  // below HKEY_USERS aside).
  auto found = [this] {
    std::set<std::string> keys;
    for (const std::string& finding : Scan())
      if (finding.find("HKEY_USERS") == std::string::npos &&
          (finding.find("App32") != std::string::npos ||
           finding.find("Software\\App |") != std::string::npos ||
           finding.find("only") != std::string::npos ||
           finding.find("Wow6432Node") != std::string::npos))
        keys.insert(finding.substr(0, finding.find(" | ", finding.find(" | ") + 3)));
    return keys;
  };
  std::set<std::string> wow = found();
  EXPECT_EQ(wow, (std::set<std::string>{
                     "path [HKEY_LOCAL_MACHINE] Software\\Wow6432Node\\App32 | Gone64",
                     "path [HKEY_CURRENT_USER] Software\\App | Gone",
                 }));

  // Without syswow64 every program is a 64-bit one: system32 is system32. An
  // empty one (as Wine makes it without its 32-bit half) counts as none.
  fs::remove(windows / "syswow64" / "only32.dll");
  wow = found();
  EXPECT_EQ(wow.count("path [HKEY_LOCAL_MACHINE] Software\\Wow6432Node\\App32 | Lib"), 1u);
  EXPECT_EQ(wow.count("path [HKEY_LOCAL_MACHINE] Software\\Wow6432Node\\App32 | Gone64"), 0u);
}

}  // namespace
}  // namespace hw
