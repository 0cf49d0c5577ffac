#include "platform/StoreRegistryApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/MemoryStore.h"
#include "tests/support/RegistrySandbox.h"

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
  api.RegCloseKey(open(HKEY_CLASSES_ROOT, "\\.txt"));  // Windows skips the backslash here
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

TEST_F(StoreRegistryApiTest, KeysTheRootsStandForAreNotDeleted) {
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

// The calls as a program sees them, over every backend: what holds here holds
// on Windows, where these tests also run against the real registry.
class RegistryApiTest : public test::RegistrySandbox {
 protected:
  void Close(HKEY key) { EXPECT_EQ(api().RegCloseKey(key), ERROR_SUCCESS); }
  // A string's data as the UTF-8 calls return it.
  static std::string Sz(const std::string& text) { return text + '\0'; }
  using Names = std::vector<std::string>;
};

TEST_P(RegistryApiTest, NamesCompareWithoutRegardToCaseAndKeepTheirSpelling) {
  HKEY key = Create("Ärger\\Straße");
  SetString(key, "Wert", "1");
  SetString(key, "WERT", "2");  // same value
  Close(key);
  HKEY again = Open("äRGER\\straße");
  EXPECT_EQ(Read(again, "wert"), Sz("2"));
  EXPECT_EQ(Values(again), Names{"Wert"});
  Close(again);
  EXPECT_EQ(SubKeys(base), Names{"Ärger"});
}

TEST_P(RegistryApiTest, SubkeysEnumerateSortedAndValuesInCreationOrder) {
  HKEY parent = Create("Order");
  for (const char* name : {"zeta", "alpha", "Mid", "Ärger", "beta"}) Close(Create(name, parent));
  EXPECT_EQ(SubKeys(parent), (Names{"alpha", "beta", "Mid", "zeta", "Ärger"}));
  ASSERT_EQ(api().RegDeleteKeyA(parent, "ALPHA"), ERROR_SUCCESS);
  Close(Create("Gamma", parent));
  EXPECT_EQ(SubKeys(parent), (Names{"beta", "Gamma", "Mid", "zeta", "Ärger"}));
  for (const char* name : {"zeta", "alpha", "", "Mid"}) SetString(parent, name, "Müller");
  ASSERT_EQ(api().RegDeleteValueA(parent, "alpha"), ERROR_SUCCESS);
  SetString(parent, "beta", "x");
  // Wine keeps values sorted too; Windows appends them to the key's list.
  Names created{"zeta", "", "Mid", "beta"};
  if (underWine())
    std::sort(created.begin(), created.end(),
              [](auto& a, auto& b) { return toLowerUtf8(a) < toLowerUtf8(b); });
  EXPECT_EQ(Values(parent), created);

  // Lengths in UTF-8 bytes: "Ärger" is 6, "Müller" with its zero 8.
  DWORD keys = 0, longestKey = 0, values = 0, longestName = 0, longestData = 0;
  ASSERT_EQ(api().RegQueryInfoKeyA(parent, &keys, &longestKey, &values, &longestName, &longestData,
                                   nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(keys, 5u);
  EXPECT_EQ(longestKey, 6u);
  EXPECT_EQ(values, 4u);
  EXPECT_EQ(longestName, 4u);
  EXPECT_EQ(longestData, 8u);

  char name[6];
  DWORD length = sizeof name;
  EXPECT_EQ(api().RegEnumKeyExA(parent, 4, name, &length), ERROR_MORE_DATA) << "no room for zero";
  length = sizeof name;
  ASSERT_EQ(api().RegEnumKeyExA(parent, 2, name, &length), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, length), "Mid");
  EXPECT_EQ(api().RegEnumKeyExA(parent, 5, name, &length), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(api().RegEnumValueA(parent, 4, name, &length), ERROR_NO_MORE_ITEMS);
  Close(parent);

  // Windows compares in upper case, so "_" sorts after the letters; Wine
  // compares in lower case.
  if (underWine()) return;
  HKEY collation = Create("Collation");
  for (const char* each : {"a_", "AB", "_"}) Close(Create(each, collation));
  EXPECT_EQ(SubKeys(collation), (Names{"AB", "a_", "_"}));
  Close(collation);
}

TEST_P(RegistryApiTest, ManyChildrenAndValuesStayFindableAfterChanges) {
  HKEY parent = Create("Many");
  for (int i = 0; i < 50; ++i) {
    std::string name = "Key" + std::to_string(i);
    Close(Create(name, parent));
    SetString(parent, ("Value" + std::to_string(i)).c_str(), name);
  }
  EXPECT_EQ(api().RegDeleteKeyA(parent, "key10"), ERROR_SUCCESS);
  EXPECT_EQ(api().RegDeleteValueA(parent, "VALUE10"), ERROR_SUCCESS);
  EXPECT_EQ(Read(parent, "value49"), Sz("Key49"));
  HKEY key = nullptr;
  EXPECT_EQ(api().RegOpenKeyExA(parent, "KEY10", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  Close(Open("KEY11", KEY_READ, parent));
  DWORD type = 0;
  EXPECT_EQ(api().RegQueryValueExA(parent, "value10", &type, nullptr, nullptr),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(api().RegDeleteValueA(parent, "value10"), ERROR_FILE_NOT_FOUND);
  Close(parent);
}

TEST_P(RegistryApiTest, StringsAreReadAsUtf8WithTheSizesOfUtf8) {
  const std::string text = "C:\\Programme\\Müller €";
  HKEY key = Create("Text");
  SetString(key, "", text);
  if (store()) {
    const RegValue* held =
        store()
            ->resolve(store()->predefinedKey(HKEY_CURRENT_USER), test::SandboxPath() + "\\Text")
            ->findValue("");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->data, utf8ToUtf16(Sz(text))) << "held as UTF-16, as Windows holds it";
  }
  DWORD type = 0, size = 0;
  ASSERT_EQ(api().RegQueryValueExA(key, "", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_EQ(size, text.size() + 1);
  BYTE tooSmall[4];
  DWORD capacity = sizeof tooSmall;
  EXPECT_EQ(api().RegQueryValueExA(key, "", &type, tooSmall, &capacity), ERROR_MORE_DATA);
  EXPECT_EQ(capacity, size) << "the size needed";
  EXPECT_EQ(Read(key, nullptr), Sz(text)) << "a null name is the default value";
  EXPECT_EQ(Values(key), Names{""});

  // Data is kept as given: a string without its zero, lists, raw bytes.
  ASSERT_EQ(api().RegSetValueExA(key, "bare", REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3),
            ERROR_SUCCESS);
  EXPECT_EQ(Read(key, "bare"), "abc");
  const std::string list("ä\0b\0\0", 6);
  ASSERT_EQ(api().RegSetValueExA(key, "list", REG_MULTI_SZ,
                                 reinterpret_cast<const BYTE*>(list.data()), 6),
            ERROR_SUCCESS);
  EXPECT_EQ(Read(key, "list", &type), list);
  EXPECT_EQ(type, DWORD{REG_MULTI_SZ});
  const std::string raw("\x01\x00\xFF", 3);
  ASSERT_EQ(
      api().RegSetValueExA(key, "bin", REG_BINARY, reinterpret_cast<const BYTE*>(raw.data()), 3),
      ERROR_SUCCESS);
  EXPECT_EQ(Read(key, "bin", &type), raw);
  EXPECT_EQ(type, DWORD{REG_BINARY});

  // The stored form, which the backup needs to see what it restores: strings
  // in UTF-16 (an unterminated one shows), other data unchanged.
  for (const auto& [name, stored] : {std::pair{"bare", utf8ToUtf16("abc")},
                                     std::pair{"", utf8ToUtf16(Sz(text))}, std::pair{"bin", raw}}) {
    size = 0;
    ASSERT_EQ(api().RegQueryStoredValueA(key, name, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, stored.size()) << name;
    std::string data(size, '\0');
    EXPECT_EQ(
        api().RegQueryStoredValueA(key, name, &type, reinterpret_cast<BYTE*>(data.data()), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(data, stored) << name;
  }
  capacity = 2;
  EXPECT_EQ(api().RegQueryStoredValueA(key, "bare", &type, tooSmall, &capacity), ERROR_MORE_DATA);
  EXPECT_EQ(capacity, 6u);
  EXPECT_EQ(api().RegQueryStoredValueA(key, "missing", &type, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  Close(key);
}

TEST_P(RegistryApiTest, KeysWithSubkeysStayAndDeletedKeysRefuseTheirHandles) {
  Close(Create("Del\\Leaf"));
  EXPECT_EQ(api().RegDeleteKeyA(base, "Del"), ERROR_ACCESS_DENIED);
  HKEY leaf = Open("Del\\Leaf");
  EXPECT_EQ(api().RegDeleteKeyA(base, "Del\\Leaf"), ERROR_SUCCESS);
  DWORD count = 0;
  EXPECT_EQ(api().RegQueryInfoKeyA(leaf, &count, nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_KEY_DELETED);
  Close(leaf);
  EXPECT_EQ(api().RegDeleteKeyA(base, "Del\\Leaf"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(api().RegDeleteKeyA(base, "Del"), ERROR_SUCCESS);
  EXPECT_EQ(SubKeys(base), Names{});
}

TEST_P(RegistryApiTest, PathsAndNameLimitsAsWindowsTakesThem) {
  Close(Create("Path\\Leaf"));
  for (const char* path : {"Path\\", "Path\\\\Leaf", "Path\\Leaf\\\\"}) Close(Open(path));
  HKEY key = nullptr;
  EXPECT_EQ(api().RegOpenKeyExA(base, "\\Path", KEY_READ, &key), 161) << "ERROR_BAD_PATHNAME";
  EXPECT_EQ(api().RegOpenKeyExA(base, "Path\\.\\Leaf", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  for (const char* path : {"", static_cast<const char*>(nullptr)}) {
    ASSERT_EQ(api().RegOpenKeyExA(base, path, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_NE(key, base) << "a handle of its own";
    EXPECT_EQ(SubKeys(key), Names{"Path"});
    Close(key);
  }
  DWORD disposition = 0;
  ASSERT_EQ(api().RegCreateKeyExA(base, "Path\\New", KEY_READ, &key, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
  Close(key);
  ASSERT_EQ(api().RegCreateKeyExA(base, "path\\new", KEY_READ, &key, &disposition), ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
  Close(key);
  ASSERT_EQ(api().RegCreateKeyExA(base, "", KEY_READ, &key, &disposition), ERROR_SUCCESS);
  if (!underWine()) {  // Wine says it created the key
    EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});
  }
  Close(key);
  EXPECT_EQ(api().RegOpenKeyExA(invalidRootKey(), "Software", KEY_READ, &key),
            ERROR_INVALID_HANDLE);

  // Limits count UTF-16 units: 255 for a key name, 16383 for a value name.
  std::string longKey;
  for (int i = 0; i < 255; ++i) longKey += "ä";
  HKEY limits = Create("Limits");
  Close(Create(longKey, limits));
  const std::string longValue(16383, 'v');
  SetString(limits, longValue.c_str(), "");
  EXPECT_EQ(api().RegSetValueExA(limits, (longValue + "v").c_str(), REG_SZ,
                                 reinterpret_cast<const BYTE*>(""), 1),
            ERROR_INVALID_PARAMETER);
  for (const char* extra : {"k", "kk"}) {
    if (underWine() && extra == std::string("k")) continue;  // Wine takes 256
    EXPECT_EQ(api().RegCreateKeyExA(limits, (longKey + extra).c_str(), KEY_READ, &key, nullptr),
              ERROR_INVALID_PARAMETER);
  }
  DWORD longestKey = 0, longestName = 0;
  ASSERT_EQ(
      api().RegQueryInfoKeyA(limits, nullptr, &longestKey, nullptr, &longestName, nullptr, nullptr),
      ERROR_SUCCESS);
  EXPECT_EQ(longestKey, longKey.size());
  EXPECT_EQ(longestName, longValue.size());
  Close(limits);
}

TEST_P(RegistryApiTest, LinksAreFollowedButDeletedThemselves) {
  Close(Create("Target\\Inner"));
  MakeLink("Link", "Target");
  Close(Open("Link\\Inner"));
  Close(Create("Link\\New"));
  Close(Open("Target\\New"));
  HKEY link = nullptr;
  ASSERT_EQ(api().RegOpenLinkKeyA(base, "Link", KEY_QUERY_VALUE, &link), ERROR_SUCCESS);
  DWORD type = 0;
  EXPECT_NE(Read(link, "SymbolicLinkValue", &type), "");
  EXPECT_EQ(type, DWORD{REG_LINK});
  Close(link);

  ASSERT_EQ(api().RegDeleteKeyA(base, "Target\\New"), ERROR_SUCCESS);
  EXPECT_EQ(api().RegDeleteKeyA(base, "Link"), ERROR_SUCCESS) << "the link, not its target";
  Close(Open("Target\\Inner"));
  EXPECT_EQ(api().RegOpenLinkKeyA(base, "Link", KEY_READ, &link), ERROR_FILE_NOT_FOUND);
}

HW_INSTANTIATE_OVER_APIS(RegistryApiTest);

}  // namespace
}  // namespace hw::platform
