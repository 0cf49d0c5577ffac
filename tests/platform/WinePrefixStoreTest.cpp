// The Wine-prefix store over copies of files a real Wine 8 wrote: loading,
// saving only what changed, atomic replacement, refusals that leave every
// file as it was, and the read-only mode while a wineserver runs.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/StoreError.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "platform/wine/WineServerProbe.h"
#include "tests/support/FakeWineserver.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextFiles.h"

namespace hw::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kNowSeconds = 1800000000;
FileTicks fixedClock() { return ticksFromUnixSeconds(kNowSeconds) + 1234567; }

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

ino_t inodeOf(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::string utf16(std::u16string_view units) {
  std::string bytes;
  for (char16_t u : units) {
    bytes += static_cast<char>(u & 0xff);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes.append(2, '\0');
}

// The key blocks of a file, each starting at its key line.
std::vector<std::string> blocksOf(const std::string& text) {
  std::vector<std::string> blocks;
  std::size_t pos = text.find("\n\n[");
  while (pos != std::string::npos) {
    std::size_t next = text.find("\n\n[", pos + 1);
    blocks.push_back(text.substr(pos + 2, next == std::string::npos ? next : next - pos - 2));
    pos = next;
  }
  return blocks;
}

class WinePrefixStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    prefix_ = dir_ / "pfx";
    fs::create_directory(prefix_);
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
      fs::copy_file(fs::path(HW_WINE_TEST_DATA) / name, prefix_ / name);
      original_[name] = test::ReadTextFile(prefix_ / name);
    }
  }

  std::unique_ptr<WinePrefixStore> open() {
    auto store = WinePrefixStore::open(prefix_);
    store->setClock(&fixedClock);
    return store;
  }
  KeyNode& hkcu(WinePrefixStore& store, std::string_view path) {
    KeyNode* key = store.resolve(store.predefinedKey(HKEY_CURRENT_USER), path);
    EXPECT_NE(key, nullptr) << path;
    return *key;
  }
  void expectUntouched(const char* name) {
    EXPECT_EQ(test::ReadTextFile(prefix_ / name), original_[name]) << name;
  }
  std::string errorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const StoreError& e) {
      return e.what();
    }
    return "no error";
  }
  std::vector<std::string> folderEntries() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(prefix_))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir temp_;
  const fs::path& dir_ = temp_.path();
  fs::path prefix_;
  std::map<std::string, std::string> original_;
};

TEST_F(WinePrefixStoreTest, LoadsTheThreeHivesOfARealPrefix) {
  auto store = open();
  EXPECT_FALSE(store->readOnly());
  EXPECT_EQ(store->currentUserSid(), "S-1-5-21-0-0-0-1000");
  KeyNode& types = hkcu(*store, "Software\\Hw\\Types");
  EXPECT_EQ(types.findValue("multi")->type, REG_MULTI_SZ);
  EXPECT_EQ(types.findValue("multi")->data,
            utf16(std::u16string_view(u"one\0two\0tr\u00eas\0", 13)));
  EXPECT_EQ(types.findValue("")->data, utf16(u"default 7f"));
  EXPECT_EQ(types.findValue("qword")->type, REG_QWORD);
  KeyNode& odd = hkcu(*store, "Software\\Hw\\Odd [key] \"q\"");
  EXPECT_EQ(odd.findValue("name \"quoted\" \\ back")->data,
            utf16(u"C:\\path\\with \"quotes\" and \u00e9\u65e5\u672c and tab\tend"));
  EXPECT_NE(store->resolve(&store->hiveRoot(Hive::Users),
                           ".Default\\Software\\Microsoft\\Windows\\CurrentVersion"),
            nullptr);

  KeyNode* folders =
      store->resolve(store->predefinedKey(HKEY_LOCAL_MACHINE),
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  ASSERT_NE(folders, nullptr);
  EXPECT_EQ(folders->findValue("Common AppData")->data, utf16(u"C:\\ProgramData"));
  // The 32-bit view of the classes is a link, followed by resolve.
  KeyNode& machine = store->hiveRoot(Hive::Machine);
  KeyNode* link = store->resolve(&machine, "Software\\Wow6432Node");
  ASSERT_NE(link, nullptr);
  link = link->findChild("Classes");
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(link->isLink);
  EXPECT_EQ(link->findValue("SymbolicLinkValue")->type, REG_LINK);
  EXPECT_EQ(store->resolve(&machine, "Software\\Wow6432Node\\Classes"),
            store->resolve(&machine, "Software\\Classes\\Wow6432Node"));
}

TEST_F(WinePrefixStoreTest, SavingWithoutChangesWritesNothing) {
  const ino_t before = inodeOf(prefix_ / "system.reg");
  auto store = open();
  EXPECT_FALSE(store->hasUnsavedChanges());
  store->save();
  EXPECT_EQ(inodeOf(prefix_ / "system.reg"), before);
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) expectUntouched(name);
}

TEST_F(WinePrefixStoreTest, RewritingEveryKeyReproducesWinesOwnFiles) {
  auto store = open();
  // Every key marked changed, write times kept: each block is written anew.
  std::function<void(KeyNode&)> touch = [&](KeyNode& key) {
    FileTicks time = key.lastWrite;
    store->markChanged(key);
    key.lastWrite = time;
    for (std::size_t i = 0; i < key.childCount(); ++i) touch(*key.child(i));
  };
  touch(store->hiveRoot(Hive::Machine));
  touch(*store->hiveRoot(Hive::Users).findChild(store->currentUserSid()));
  touch(*store->hiveRoot(Hive::Users).findChild(".Default"));
  const ino_t before = inodeOf(prefix_ / "user.reg");
  store->save();
  EXPECT_NE(inodeOf(prefix_ / "user.reg"), before);  // really replaced
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) expectUntouched(name);
}

TEST_F(WinePrefixStoreTest, ChangedValueRewritesOnlyItsKeysBlock) {
  const ino_t systemInode = inodeOf(prefix_ / "system.reg");
  auto store = open();
  KeyNode& types = hkcu(*store, "Software\\Hw\\Types");
  store->setValue(types, "dw", REG_DWORD, std::string("\x2a\0\0\0", 4));
  store->save();
  EXPECT_FALSE(store->hasUnsavedChanges());

  EXPECT_EQ(inodeOf(prefix_ / "system.reg"), systemInode);
  expectUntouched("userdef.reg");
  std::vector<std::string> before = blocksOf(original_["user.reg"]);
  std::vector<std::string> after = blocksOf(test::ReadTextFile(prefix_ / "user.reg"));
  ASSERT_EQ(before.size(), after.size());
  int differing = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] == after[i]) continue;
    ++differing;
    char time[32];
    std::snprintf(time, sizeof time, "#time=%llx\n", static_cast<unsigned long long>(fixedClock()));
    EXPECT_EQ(after[i].substr(0, after[i].find('\n') + 1),
              "[Software\\\\Hw\\\\Types] " + std::to_string(kNowSeconds) + "\n");
    EXPECT_NE(after[i].find(time), std::string::npos) << after[i];
    EXPECT_NE(after[i].find("\"dw\"=dword:0000002a\n"), std::string::npos);
    EXPECT_NE(after[i].find("\"bin\"=hex:00,01,02"), std::string::npos);
  }
  EXPECT_EQ(differing, 1);
  EXPECT_EQ(test::ReadTextFile(prefix_ / "user.reg").substr(0, 100), original_["user.reg"].substr(0, 100));
}

TEST_F(WinePrefixStoreTest, DeletedKeyIsDroppedAndItsChildlessParentGetsABlock) {
  {
    auto store = open();
    store->deleteKey(hkcu(*store, "Software\\V\\E1\\E2"));
    store->save();
  }
  const std::string text = test::ReadTextFile(prefix_ / "user.reg");
  EXPECT_EQ(text.find("[Software\\\\V\\\\E1\\\\E2]"), std::string::npos);
  EXPECT_NE(text.find("\n\n[Software\\\\V\\\\E1] " + std::to_string(kNowSeconds) + "\n#time="),
            std::string::npos);
  EXPECT_EQ(blocksOf(text).size(), blocksOf(original_["user.reg"]).size());

  auto again = open();
  KeyNode& e1 = hkcu(*again, "Software\\V\\E1");
  EXPECT_EQ(e1.childCount(), 0u);
  EXPECT_EQ(e1.lastWrite, fixedClock());
}

TEST_F(WinePrefixStoreTest, NewKeysAreWrittenAndReadBack) {
  {
    auto store = open();
    KeyNode& hw = hkcu(*store, "Software\\Hw");
    KeyNode* fresh = store->createChild(hw, "Fr\xc3\xa9sh [1]");
    store->setValue(*fresh, "path", REG_SZ, utf16(u"C:\\new\\\u00e9.exe"));
    KeyNode* deep = store->createChild(*store->createChild(*fresh, "A"), "B");
    store->setValue(*deep, "", REG_EXPAND_SZ, utf16(u"%TEMP%"));
    store->createChild(hkcu(*store, "Software"), "EmptyOne");
    store->save();
    store->save();  // nothing left to write
  }
  auto again = open();
  KeyNode& fresh = hkcu(*again, "Software\\Hw\\Fr\xc3\xa9sh [1]");
  EXPECT_EQ(fresh.findValue("path")->data, utf16(u"C:\\new\\\u00e9.exe"));
  EXPECT_EQ(hkcu(*again, "Software\\Hw\\Fr\xc3\xa9sh [1]\\A\\B").findValue("")->type,
            REG_EXPAND_SZ);
  EXPECT_EQ(hkcu(*again, "Software\\EmptyOne").lastWrite, fixedClock());
  // Wine's rule: A has a subkey and no values, so no block of its own.
  const std::string text = test::ReadTextFile(prefix_ / "user.reg");
  EXPECT_EQ(text.find("[Software\\\\Hw\\\\Fr\\xe9sh \\[1\\]\\\\A]"), std::string::npos);
  EXPECT_NE(text.find("[Software\\\\Hw\\\\Fr\\xe9sh \\[1\\]\\\\A\\\\B]"), std::string::npos);
  // Placed after the blocks before them in the tree, not appended at the end.
  EXPECT_LT(text.find("[Software\\\\Hw\\\\Fr"), text.find("[Software\\\\Microsoft"));
}

TEST_F(WinePrefixStoreTest, SaveReplacesAtomicallyKeepingPermissions) {
  fs::permissions(prefix_ / "user.reg",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::vector<std::string> entries = folderEntries();
  auto store = open();
  store->setValue(hkcu(*store, "Software\\Hw\\Types"), "new", REG_SZ, utf16(u"x"));
  store->save();
  EXPECT_EQ(fs::status(prefix_ / "user.reg").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(folderEntries(), entries);  // no temporary file left behind
}

TEST_F(WinePrefixStoreTest, RefusesFilesItCannotReadCompletely) {
  EXPECT_EQ(errorOf([&] { WinePrefixStore::open(dir_ / "missing"); }).rfind("No Wine prefix at", 0),
            0u);

  writeText(prefix_ / "system.reg", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\X]\n");
  EXPECT_NE(errorOf([&] { open(); }).find("system.reg:1: not a Wine registry file"),
            std::string::npos);
  writeText(prefix_ / "system.reg", original_["system.reg"]);

  std::string broken = original_["user.reg"];
  std::size_t at = broken.find("\"dw\"=dword:ffffffff");
  broken.insert(at, "\"v\"=\"unterminated\n");
  writeText(prefix_ / "user.reg", broken);
  const int line = static_cast<int>(std::count(broken.begin(), broken.begin() + at, '\n')) + 1;
  EXPECT_NE(
      errorOf([&] { open(); }).find("user.reg:" + std::to_string(line) + ": unterminated string"),
      std::string::npos);
  EXPECT_EQ(test::ReadTextFile(prefix_ / "user.reg"), broken);

  fs::remove(prefix_ / "user.reg");
  EXPECT_NE(errorOf([&] { open(); }).find("user.reg: missing"), std::string::npos);
  expectUntouched("system.reg");
  expectUntouched("userdef.reg");
}

TEST_F(WinePrefixStoreTest, WithoutUserdefTheDefaultUserIsAbsent) {
  fs::remove(prefix_ / "userdef.reg");
  auto store = open();
  EXPECT_EQ(store->hiveRoot(Hive::Users).findChild(".Default"), nullptr);
  store->setValue(hkcu(*store, "Software\\Hw\\Types"), "x", REG_SZ, utf16(u"y"));
  store->save();
  EXPECT_FALSE(fs::exists(prefix_ / "userdef.reg"));
}

TEST_F(WinePrefixStoreTest, RefusesToOverwriteAFileAnotherProgramChanged) {
  auto store = open();
  store->setValue(hkcu(*store, "Software\\Hw\\Types"), "x", REG_SZ, utf16(u"y"));
  const std::string byWine = original_["user.reg"] + "\n[Software\\\\ByWine] 1\n";
  writeText(prefix_ / "user.reg", byWine);
  EXPECT_NE(errorOf([&] { store->save(); }).find("changed by another program"), std::string::npos);
  EXPECT_EQ(test::ReadTextFile(prefix_ / "user.reg"), byWine);
}

TEST_F(WinePrefixStoreTest, ReloadDropsUnsavedChangesAndRetiresOpenKeys) {
  auto store = open();
  StoreRegistryApi api(*store);
  HKEY open = nullptr;
  ASSERT_EQ(api.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Hw\\Types", KEY_ALL_ACCESS, &open),
            ERROR_SUCCESS);
  store->setValue(hkcu(*store, "Software\\Hw\\Types"), "x", REG_SZ, utf16(u"y"));
  store->reload();
  EXPECT_FALSE(store->hasUnsavedChanges());
  EXPECT_EQ(hkcu(*store, "Software\\Hw\\Types").findValue("x"), nullptr);
  // A handle into the dropped tree writes nowhere.
  const char data[] = "z";
  EXPECT_EQ(api.RegSetValueExA(open, "x", REG_SZ, reinterpret_cast<const BYTE*>(data), 2),
            ERROR_KEY_DELETED);
  api.RegCloseKey(open);
  store->save();
  expectUntouched("user.reg");

  // Files that no longer read leave a store that saves nothing more.
  store->setValue(hkcu(*store, "Software\\Hw\\Types"), "x", REG_SZ, utf16(u"y"));
  writeText(prefix_ / "user.reg", "not a registry");
  EXPECT_NE(errorOf([&] { store->reload(); }).find("not a Wine registry file"), std::string::npos);
  EXPECT_TRUE(store->readOnly());
  EXPECT_NE(errorOf([&] { store->save(); }), "no error");
  expectUntouched("system.reg");
}

TEST_F(WinePrefixStoreTest, LinkKeysRoundTrip) {
  {
    auto store = open();
    KeyNode* link = store->createChild(hkcu(*store, "Software"), "ToHw");
    link->isLink = true;
    std::string target = utf16(u"\\REGISTRY\\User\\S-1-5-21-0-0-0-1000\\Software\\Hw");
    target.resize(target.size() - 2);  // link targets are held without a terminating zero
    store->setValue(*link, "SymbolicLinkValue", REG_LINK, target);
    store->save();
  }
  auto again = open();
  KeyNode& link =
      *again->predefinedKey(HKEY_CURRENT_USER)->findChild("Software")->findChild("ToHw");
  EXPECT_TRUE(link.isLink);
  EXPECT_NE(test::ReadTextFile(prefix_ / "user.reg")
                .find("[Software\\\\ToHw] " + std::to_string(kNowSeconds) + "\n#time="),
            std::string::npos);
  EXPECT_EQ(again->resolve(again->predefinedKey(HKEY_CURRENT_USER), "Software\\ToHw\\Types"),
            &hkcu(*again, "Software\\Hw\\Types"));
}

TEST_F(WinePrefixStoreTest, CreatesTheFilesOfANewPrefix) {
  const fs::path fresh = dir_ / "new";
  auto store = WinePrefixStore::createEmpty(fresh, "S-1-5-21-1-2-3-1001");
  store->setClock(&fixedClock);
  EXPECT_FALSE(fs::exists(fresh));
  KeyNode* software = store->createChild(*store->predefinedKey(HKEY_LOCAL_MACHINE), "Software");
  store->setValue(*store->createChild(*software, "App"), "v", REG_DWORD, std::string(4, '\1'));
  store->createChild(*store->predefinedKey(HKEY_CURRENT_USER), "Software");
  store->save();

  const std::string user = test::ReadTextFile(fresh / "user.reg");
  EXPECT_EQ(
      user.substr(0, user.find("\n\n[") + 1),
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-1-2-3-1001\n"
      "\n#arch=win64\n");
  EXPECT_EQ(
      test::ReadTextFile(fresh / "userdef.reg")
          .rfind("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\.Default\n",
                 0),
      0u);
  auto again = WinePrefixStore::open(fresh);
  EXPECT_EQ(again->currentUserSid(), "S-1-5-21-1-2-3-1001");
  EXPECT_NE(
      again->resolve(again->predefinedKey(HKEY_LOCAL_MACHINE), "Software\\App")->findValue("v"),
      nullptr);
  EXPECT_NE(again->predefinedKey(HKEY_CURRENT_USER)->findChild("Software"), nullptr);

  // A new registry never replaces an existing one.
  auto clash = WinePrefixStore::createEmpty(prefix_);
  EXPECT_NE(errorOf([&] { clash->save(); }).find("already exists"), std::string::npos);
  expectUntouched("system.reg");
}

TEST_F(WinePrefixStoreTest, APrefixInUseOpensReadOnlyAndRefusesToSave) {
  EXPECT_FALSE(wineServerRunning(prefix_));
  test::FakeWineserver server(prefix_);
  ASSERT_TRUE(server.locked());
  EXPECT_TRUE(wineServerRunning(prefix_));
  auto store = open();
  ASSERT_TRUE(store->readOnly());
  const std::string expected = "Wine is running in " + prefix_.string() +
                               "; close its programs or run 'WINEPREFIX=" + prefix_.string() +
                               " wineserver -k', then try again.";
  EXPECT_EQ(store->readOnlyReason(), expected);
  EXPECT_NE(hkcu(*store, "Software\\Hw\\Types").findValue("dw"), nullptr);  // scanning works
  store->setValue(hkcu(*store, "Software\\Hw\\Types"), "x", REG_SZ, utf16(u"y"));
  EXPECT_EQ(errorOf([&] { store->save(); }), expected);
  expectUntouched("user.reg");
}

TEST_F(WinePrefixStoreTest, SaveNoticesWineStartedAfterLoading) {
  auto store = open();
  ASSERT_FALSE(store->readOnly());
  store->setValue(hkcu(*store, "Software\\Hw\\Types"), "x", REG_SZ, utf16(u"y"));
  {
    test::FakeWineserver server(prefix_);
    ASSERT_TRUE(server.locked());
    EXPECT_NE(errorOf([&] { store->save(); }).find("Wine is running in"), std::string::npos);
    expectUntouched("user.reg");
  }
  EXPECT_TRUE(store->readOnly());  // stays refused: what Wine wrote meanwhile is not in memory
}

}  // namespace
}  // namespace hw::platform
