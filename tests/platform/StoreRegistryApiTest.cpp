#include "platform/StoreRegistryApi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/MemoryStore.h"

namespace hw::platform {
namespace {

class StoreRegistryApiTest : public ::testing::Test {
 protected:
  MemoryStore store;
  StoreRegistryApi api{store};

  void TearDown() override { EXPECT_EQ(api.openHandleCount(), 0u) << "a handle was leaked"; }

  HKEY open(HKEY root, const char* path, REGSAM access = KEY_READ) {
    HKEY key = nullptr;
    EXPECT_EQ(api.RegOpenKeyExA(root, path, access, &key), ERROR_SUCCESS) << path;
    return key;
  }
  HKEY create(HKEY root, const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(api.RegCreateKeyExA(root, path, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
    return key;
  }
  void setString(HKEY key, const char* name, const std::string& text) {
    ASSERT_EQ(api.RegSetValueExA(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
  }
  std::string readString(HKEY key, const char* name) {
    char buffer[256] = {};
    DWORD size = sizeof buffer, type = 0;
    EXPECT_EQ(api.RegQueryValueExA(key, name, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS);
    return std::string(buffer);
  }
  std::vector<std::string> subKeys(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = sizeof name;
      if (api.RegEnumKeyExA(key, i, name, &length) != ERROR_SUCCESS) break;
      names.emplace_back(name, length);
    }
    return names;
  }
  void setLink(const char* linkPath, const std::string& target) {
    KeyNode& link = store.ensureKey(HKEY_LOCAL_MACHINE, linkPath);
    link.isLink = true;
    store.loadValue(link, "SymbolicLinkValue", REG_LINK, utf8ToUtf16(target).substr(0));
  }
};

TEST_F(StoreRegistryApiTest, PredefinedRootsAreAliasesOfTheirHiveKeys) {
  HKEY user = create(HKEY_CURRENT_USER, "Software\\Vendor");
  setString(user, "Name", "value");
  api.RegCloseKey(user);
  HKEY viaUsers = open(HKEY_USERS, "S-1-5-21-0-0-0-1000\\Software\\Vendor");
  EXPECT_EQ(readString(viaUsers, "Name"), "value");
  api.RegCloseKey(viaUsers);

  HKEY cls = create(HKEY_CLASSES_ROOT, ".txt");
  api.RegCloseKey(cls);
  HKEY viaMachine = open(HKEY_LOCAL_MACHINE, "Software\\Classes\\.TXT");
  api.RegCloseKey(viaMachine);
  HKEY config = open(HKEY_CURRENT_CONFIG, "");
  api.RegCloseKey(config);
}

TEST_F(StoreRegistryApiTest, RootsThatDoNotExistFailEveryOpen) {
  HKEY key = nullptr;
  EXPECT_NE(api.RegOpenKeyExA(HKEY_DYN_DATA, "", KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_NE(api.RegOpenKeyExA(invalidRootKey(), "Software", KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_NE(api.RegCreateKeyExA(invalidRootKey(), "X", KEY_ALL_ACCESS, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", KEY_READ, &key), 161)
      << "a leading backslash is a bad path, as on Windows";
}

TEST_F(StoreRegistryApiTest, NamesCompareWithoutRegardToCaseAndKeepTheirSpelling) {
  HKEY key = create(HKEY_LOCAL_MACHINE, "Software\\Ärger\\Straße");
  setString(key, "Wert", "1");
  setString(key, "WERT", "2");  // same value
  api.RegCloseKey(key);
  HKEY again = open(HKEY_LOCAL_MACHINE, "SOFTWARE\\äRGER\\straße");
  EXPECT_EQ(readString(again, "wert"), "2");
  char name[16];
  DWORD length = sizeof name;
  ASSERT_EQ(api.RegEnumValueA(again, 0, name, &length), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, length), "Wert");
  DWORD values = 0;
  api.RegQueryInfoKeyA(again, nullptr, nullptr, &values, nullptr, nullptr, nullptr);
  EXPECT_EQ(values, 1u);
  api.RegCloseKey(again);
}

TEST_F(StoreRegistryApiTest, EnumerationKeepsInsertionOrderAndReportsBufferLimits) {
  HKEY parent = create(HKEY_LOCAL_MACHINE, "Software\\Order");
  for (const char* name : {"zeta", "alpha", "Mid"}) api.RegCloseKey(create(parent, name));
  EXPECT_EQ(subKeys(parent), (std::vector<std::string>{"zeta", "alpha", "Mid"}));
  ASSERT_EQ(api.RegDeleteKeyA(parent, "ALPHA"), ERROR_SUCCESS);
  api.RegCloseKey(create(parent, "beta"));
  EXPECT_EQ(subKeys(parent), (std::vector<std::string>{"zeta", "Mid", "beta"}));

  char small[4];
  DWORD length = sizeof small;
  EXPECT_EQ(api.RegEnumKeyExA(parent, 0, small, &length), ERROR_MORE_DATA);
  length = sizeof small;
  EXPECT_EQ(api.RegEnumKeyExA(parent, 1, small, &length), ERROR_SUCCESS);
  EXPECT_EQ(length, 3u);
  length = sizeof small;
  EXPECT_EQ(api.RegEnumKeyExA(parent, 3, small, &length), ERROR_NO_MORE_ITEMS);

  DWORD count = 0, longest = 0;
  api.RegQueryInfoKeyA(parent, &count, &longest, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(longest, 4u);
  api.RegCloseKey(parent);
}

TEST_F(StoreRegistryApiTest, ManyChildrenAndValuesStayFindableAfterChanges) {
  HKEY parent = create(HKEY_LOCAL_MACHINE, "Software\\Many");
  for (int i = 0; i < 50; ++i) {
    std::string name = "Key" + std::to_string(i);
    api.RegCloseKey(create(parent, name.c_str()));
    setString(parent, ("Value" + std::to_string(i)).c_str(), name);
  }
  EXPECT_EQ(api.RegDeleteKeyA(parent, "key10"), ERROR_SUCCESS);
  EXPECT_EQ(api.RegDeleteValueA(parent, "VALUE10"), ERROR_SUCCESS);
  EXPECT_EQ(readString(parent, "value49"), "Key49");
  HKEY key = nullptr;
  EXPECT_EQ(api.RegOpenKeyExA(parent, "KEY10", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  api.RegCloseKey(open(parent, "KEY11"));
  DWORD type = 0;
  EXPECT_EQ(api.RegQueryValueExA(parent, "value10", &type, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  api.RegCloseKey(parent);
}

TEST_F(StoreRegistryApiTest, StringsAreHeldAsUtf16AndReadAsUtf8) {
  HKEY key = create(HKEY_CURRENT_USER, "Text");
  setString(key, "", "C:\\Programme\\Müller €");
  const RegValue* stored =
      store.resolve(store.predefinedKey(HKEY_CURRENT_USER), "Text")->findValue("");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->data, utf8ToUtf16(std::string("C:\\Programme\\Müller €") + '\0'));

  DWORD type = 0, size = 0;
  ASSERT_EQ(api.RegQueryValueExA(key, "", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, std::string("C:\\Programme\\Müller €").size() + 1);
  BYTE tooSmall[4];
  DWORD capacity = sizeof tooSmall;
  EXPECT_EQ(api.RegQueryValueExA(key, "", &type, tooSmall, &capacity), ERROR_MORE_DATA);
  EXPECT_EQ(capacity, size);
  EXPECT_EQ(readString(key, nullptr), "C:\\Programme\\Müller €");

  const BYTE raw[] = {1, 0, 0xFF};
  ASSERT_EQ(api.RegSetValueExA(key, "bin", REG_BINARY, raw, 3), ERROR_SUCCESS);
  BYTE back[3];
  DWORD backSize = 3;
  ASSERT_EQ(api.RegQueryValueExA(key, "bin", &type, back, &backSize), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back), 3), std::string("\x01\x00\xFF", 3));
  api.RegCloseKey(key);
}

TEST_F(StoreRegistryApiTest, AccessMarksDenyWhatTheyShould) {
  store.ensureKey(HKEY_LOCAL_MACHINE, "Software\\Locked\\Child");
  store.ensureKey(HKEY_LOCAL_MACHINE, "Software\\Hidden");
  ASSERT_TRUE(store.setAccess(HKEY_LOCAL_MACHINE, "Software\\Locked", KeyAccess::ReadOnly));
  ASSERT_TRUE(store.setAccess(HKEY_LOCAL_MACHINE, "Software\\Hidden", KeyAccess::NoAccess));

  HKEY key = nullptr;
  EXPECT_EQ(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Locked", KEY_ALL_ACCESS, &key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Locked", KEY_READ | KEY_WRITE, &key),
            ERROR_ACCESS_DENIED);
  HKEY locked = open(HKEY_LOCAL_MACHINE, "Software\\Locked", KEY_READ);
  EXPECT_EQ(subKeys(locked), std::vector<std::string>{"Child"});
  EXPECT_EQ(api.RegSetValueExA(locked, "x", REG_SZ, reinterpret_cast<const BYTE*>(""), 1),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(api.RegCreateKeyExA(locked, "New", KEY_ALL_ACCESS, &key, nullptr), ERROR_ACCESS_DENIED);
  api.RegCloseKey(locked);
  // The child itself is not marked: it can be deleted, its parent cannot.
  EXPECT_EQ(api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Locked\\Child"), ERROR_SUCCESS);
  EXPECT_EQ(api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Locked"), ERROR_ACCESS_DENIED);

  EXPECT_EQ(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Hidden", KEY_READ, &key),
            ERROR_ACCESS_DENIED);

  store.refuseWrites("Wine is running");
  EXPECT_EQ(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", KEY_ALL_ACCESS, &key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(
      api.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Fresh", KEY_ALL_ACCESS, &key, nullptr),
      ERROR_ACCESS_DENIED);
  api.RegCloseKey(open(HKEY_LOCAL_MACHINE, "Software", KEY_READ));
}

TEST_F(StoreRegistryApiTest, DeletingKeys) {
  HKEY parent = create(HKEY_LOCAL_MACHINE, "Software\\Del\\Leaf");
  api.RegCloseKey(parent);
  EXPECT_EQ(api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Del"), ERROR_ACCESS_DENIED)
      << "a key with subkeys is not deleted";
  HKEY leaf = open(HKEY_LOCAL_MACHINE, "Software\\Del\\Leaf");
  EXPECT_EQ(api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Del\\Leaf"), ERROR_SUCCESS);
  DWORD count = 0;
  EXPECT_EQ(api.RegQueryInfoKeyA(leaf, &count, nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(api.RegCloseKey(leaf), ERROR_SUCCESS);
  EXPECT_EQ(api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Del\\Leaf"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Del"), ERROR_SUCCESS);
  EXPECT_EQ(api.RegDeleteKeyA(HKEY_USERS, "S-1-5-21-0-0-0-1000"), ERROR_ACCESS_DENIED)
      << "the key HKEY_CURRENT_USER stands for stays";
}

TEST_F(StoreRegistryApiTest, WritesRefreshTheWriteTimeOfTheKeyAndItsParent) {
  static FileTicks fakeNow = 0;
  store.setClock([] { return fakeNow; });
  fakeNow = ticksFromUnixSeconds(1000);
  HKEY parent = create(HKEY_LOCAL_MACHINE, "Software\\Timed");
  fakeNow = ticksFromUnixSeconds(2000);
  api.RegCloseKey(create(parent, "Child"));
  FILETIME time{};
  api.RegQueryInfoKeyA(parent, nullptr, nullptr, nullptr, nullptr, nullptr, &time);
  EXPECT_EQ((FileTicks(time.dwHighDateTime) << 32) | time.dwLowDateTime,
            ticksFromUnixSeconds(2000));
  api.RegCloseKey(parent);
}

TEST_F(StoreRegistryApiTest, LinksAreFollowedAndCyclesFailToOpen) {
  store.ensureKey(HKEY_LOCAL_MACHINE, "System\\ControlSet001\\Services\\Beep");
  setLink("System\\LinkedSet", "\\Registry\\Machine\\System\\ControlSet001");
  api.RegCloseKey(open(HKEY_LOCAL_MACHINE, "System\\LinkedSet\\Services\\Beep"));
  HKEY created = create(HKEY_LOCAL_MACHINE, "System\\LinkedSet\\Services\\New");
  api.RegCloseKey(created);
  api.RegCloseKey(open(HKEY_LOCAL_MACHINE, "System\\ControlSet001\\Services\\New"));

  setLink("Software\\Loop\\Self", "\\Registry\\Machine\\Software\\Loop\\Self");
  setLink("Software\\Loop\\Up", "\\Registry\\Machine\\Software\\Loop");
  setLink("Software\\Loop\\Nowhere", "\\Registry\\Machine\\Software\\Missing");
  HKEY key = nullptr;
  EXPECT_NE(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Loop\\Self", KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_NE(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Loop\\Up", KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_NE(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Loop\\Nowhere", KEY_READ, &key),
            ERROR_SUCCESS);

  // Deleting a link removes the link, never its target.
  EXPECT_EQ(api.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\LinkedSet"), ERROR_SUCCESS);
  api.RegCloseKey(open(HKEY_LOCAL_MACHINE, "System\\ControlSet001\\Services\\Beep"));
}

}  // namespace
}  // namespace hw::platform
