#include "registry/NTRegistry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

using test::DwordBytes;
using test::FaultyRegistryApi;
using Strings = std::vector<std::string>;

// Runs f, which must throw ERegistryException with exactly this message.
template <typename F>
::testing::AssertionResult ThrowsRegistryError(F f, const std::string& message) {
  try {
    f();
  } catch (const ERegistryException& e) {
    if (e.what() == message) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "message was \"" << e.what() << "\"";
  }
  return ::testing::AssertionFailure() << "nothing thrown";
}

class NTRegistryTest : public test::RegistryFixture {
 protected:
  TNTRegistry reg{api};
};

TEST(RootKeysTest, NamesAreExactAndRoundTrip) {
  for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                    HKEY_CURRENT_CONFIG, HKEY_DYN_DATA}) {
    EXPECT_EQ(RootKeyFromName(RootKeyName(root)), root) << RootKeyName(root);
  }
  EXPECT_EQ(RootKeyName(HKEY_LOCAL_MACHINE), "HKEY_LOCAL_MACHINE");
  for (const char* name :
       {"hkey_local_machine", " HKEY_USERS", "HKEY_USERS ", "", "HKEY_PERFORMANCE_DATA"}) {
    EXPECT_EQ(RootKeyFromName(name), platform::invalidRootKey()) << '"' << name << '"';
  }
  EXPECT_EQ(RootKeyName(HKEY_PERFORMANCE_DATA), "");
  EXPECT_EQ(RootKeyName(platform::invalidRootKey()), "");
}

TEST_P(NTRegistryTest, NothingOpensBelowTheInvalidRoot) {
  AddKey("Software");
  reg.SetRootKey(RootKeyFromName("hkey_current_user"));
  EXPECT_FALSE(reg.OpenKey("Software", false));
  EXPECT_FALSE(reg.OpenKey("", false));
  EXPECT_FALSE(reg.KeyExists("\\Software"));
  EXPECT_EQ(reg.CurrentKey(), nullptr);
}

TEST_P(NTRegistryTest, CurrentPathFollowsRelativeAndAbsoluteOpens) {
  AddKey("A\\B");
  AddKey("C");
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  ASSERT_TRUE(reg.OpenKey("A", false));
  ASSERT_TRUE(reg.OpenKey("B", false));
  EXPECT_EQ(reg.CurrentPath(), "A\\B");
  ASSERT_TRUE(reg.OpenKey("\\C", false));
  EXPECT_EQ(reg.CurrentPath(), "C");
  // A relative path of the root's own subkey opened while "C" is current
  // lies below C, so it is missing; the failed open changes nothing.
  EXPECT_FALSE(reg.OpenKey("A", false));
  EXPECT_EQ(reg.CurrentPath(), "C");
  EXPECT_EQ(api.openHandleCount(), 1u);
}

TEST_P(NTRegistryTest, EmptyPathReopensRootOrCurrentKey) {
  AddKey("A");
  ASSERT_TRUE(reg.OpenKey("", false));
  EXPECT_NE(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
  reg.WriteString("AtRoot", "r");
  EXPECT_TRUE(StringIs("", "AtRoot", "r"));
  // Below the reopened root, a relative path gets no leading backslash.
  ASSERT_TRUE(reg.OpenKey("A", false));
  EXPECT_EQ(reg.CurrentPath(), "A");

  ASSERT_TRUE(reg.OpenKey("", false));
  EXPECT_EQ(reg.CurrentPath(), "A");
  reg.WriteString("InA", "a");
  EXPECT_TRUE(StringIs("A", "InA", "a"));
  EXPECT_EQ(api.openHandleCount(), 1u);
}

TEST_P(NTRegistryTest, ChangingTheRootClosesTheCurrentKey) {
  AddKey("Software");
  AddKey("Software", HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("Software", false));
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_EQ(reg.CurrentPath(), "Software");
  EXPECT_EQ(api.openHandleCount(), 1u);

  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.CurrentKey(), nullptr);
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_EQ(api.openHandleCount(), 0u);
  // With no key open, a relative path starts at the new root.
  ASSERT_TRUE(reg.OpenKey("Software", true));
  reg.WriteString("Here", "hklm");
  EXPECT_TRUE(StringIs("Software", "Here", "hklm", REG_SZ, HKEY_LOCAL_MACHINE));
}

TEST_P(NTRegistryTest, ReadOnlyKeyOpensWithTheLastFallbackAndEnumerates) {
  AddKey("Locked\\Child1");
  AddKey("Locked\\Child2");
  AddString("Locked", "Name", "v");
  ASSERT_TRUE(store.setAccess(HKEY_CURRENT_USER, "Locked", platform::KeyAccess::ReadOnly));

  EXPECT_FALSE(reg.OpenKeyWithAccess("Locked", KEY_ALL_ACCESS));
  EXPECT_FALSE(reg.OpenKeyWithAccess("Locked", KEY_READ | KEY_WRITE));
  EXPECT_TRUE(reg.KeyExists("Locked"));
  ASSERT_TRUE(reg.OpenKey("Locked", false));
  Strings names;
  reg.GetKeyNames(names);
  EXPECT_EQ(names, (Strings{"Child1", "Child2"}));
  EXPECT_EQ(reg.ReadString("Name"), "v");
  EXPECT_TRUE(reg.HasSubKeys());

  EXPECT_TRUE(ThrowsRegistryError([&] { reg.CreateKey("New"); }, "Failed to create key New"));
  EXPECT_TRUE(
      ThrowsRegistryError([&] { reg.WriteString("Name", "w"); }, "Failed to set data for 'Name'"));
  EXPECT_FALSE(reg.OpenKey("New", true));
  EXPECT_TRUE(KeyAbsent("Locked\\New"));
  EXPECT_TRUE(StringIs("Locked", "Name", "v"));
  // The object is still on the read-only key, with no handle left behind.
  EXPECT_EQ(reg.CurrentPath(), "Locked");
  EXPECT_EQ(api.openHandleCount(), 1u);
  EXPECT_TRUE(reg.OpenKeyWithAccess("Child1", KEY_READ));

  // A key that may not be opened at all counts as missing.
  AddKey("Hidden");
  ASSERT_TRUE(store.setAccess(HKEY_CURRENT_USER, "Hidden", platform::KeyAccess::NoAccess));
  EXPECT_FALSE(reg.KeyExists("\\Hidden"));
  EXPECT_FALSE(reg.OpenKey("\\Hidden", false));
  EXPECT_EQ(api.openHandleCount(), 1u);
}

TEST_P(NTRegistryTest, CreateKeyLeavesTheCurrentKeyAndRaisesWhenRefused) {
  AddKey("A");
  ASSERT_TRUE(reg.OpenKey("A", false));
  EXPECT_TRUE(reg.CreateKey("B\\C"));
  EXPECT_TRUE(reg.CreateKey("\\Top"));
  EXPECT_TRUE(KeyPresent("A\\B\\C"));
  EXPECT_TRUE(KeyPresent("Top"));
  EXPECT_EQ(reg.CurrentPath(), "A");
  EXPECT_EQ(api.openHandleCount(), 1u);

  store.refuseWrites("in use");
  EXPECT_TRUE(
      ThrowsRegistryError([&] { reg.CreateKey("\\Other"); }, "Failed to create key \\Other"));
  EXPECT_EQ(reg.CurrentPath(), "A");
  EXPECT_EQ(api.openHandleCount(), 1u);
  EXPECT_TRUE(reg.KeyExists("B"));
}

TEST_P(NTRegistryTest, DeleteKeyRemovesADeepTree) {
  for (const char* a : {"a1", "a2", "a3"}) {
    for (const char* b : {"b1", "b2", "b3"}) {
      for (const char* c : {"c1", "c2"}) {
        std::string path = std::string("Tree\\") + a + "\\" + b + "\\" + c;
        AddKey(path);
        AddString(path, "v", path);
      }
    }
  }
  AddKey("Tree2");
  EXPECT_TRUE(reg.DeleteKey("Tree"));
  EXPECT_TRUE(KeyAbsent("Tree"));
  EXPECT_TRUE(KeyPresent("Tree2"));  // a name with the same start survives
  EXPECT_FALSE(reg.DeleteKey("Tree"));
  EXPECT_EQ(api.openHandleCount(), 0u);
}

TEST_P(NTRegistryTest, DeleteKeyIsRelativeToTheCurrentKey) {
  AddKey("A\\X\\Y");
  AddKey("X");
  ASSERT_TRUE(reg.OpenKey("A", false));
  EXPECT_TRUE(reg.DeleteKey("X"));
  EXPECT_TRUE(KeyAbsent("A\\X"));
  EXPECT_TRUE(KeyPresent("X"));
  EXPECT_TRUE(reg.DeleteKey("\\X"));
  EXPECT_TRUE(KeyAbsent("X"));
  EXPECT_EQ(reg.CurrentPath(), "A");
}

TEST_P(NTRegistryTest, DeleteKeyWithNoPathDeletesNothing) {
  AddKey("A\\Child");
  AddKey("Keep");
  ASSERT_TRUE(reg.OpenKey("A", false));
  // "" and "\" name the current key and the root themselves.
  EXPECT_FALSE(reg.DeleteKey(""));
  EXPECT_FALSE(reg.DeleteKey("\\"));
  reg.CloseKey();
  EXPECT_FALSE(reg.DeleteKey(""));
  EXPECT_TRUE(KeyPresent("A\\Child"));
  EXPECT_TRUE(KeyPresent("Keep"));
}

TEST_P(NTRegistryTest, DeleteKeyFailsForAProtectedSubtreeButDeletesTheRest) {
  AddKey("T\\Open\\Deep");
  AddKey("T\\Locked\\Inner");
  ASSERT_TRUE(store.setAccess(HKEY_CURRENT_USER, "T\\Locked", platform::KeyAccess::ReadOnly));
  EXPECT_FALSE(reg.DeleteKey("T"));
  EXPECT_TRUE(KeyAbsent("T\\Open"));
  EXPECT_TRUE(KeyPresent("T\\Locked"));
  EXPECT_EQ(api.openHandleCount(), 0u);
}

TEST_P(NTRegistryTest, EnumerationsListNamesInIndexOrder) {
  AddKey("K\\zeta");
  AddKey("K\\Alpha");
  AddKey("K\\mü");
  AddString("K", "second", "2");
  AddString("K", "first", "1");
  ASSERT_TRUE(reg.OpenKey("K", false));
  Strings names{"stale"};
  reg.GetKeyNames(names);
  Strings expected;
  platform::KeyNode* key = FindKey("K");
  for (std::size_t i = 0; i < key->childCount(); ++i)
    expected.push_back(key->sortedChild(i)->name());
  EXPECT_EQ(names, expected);
  EXPECT_EQ(names.size(), 3u);

  names = {"stale"};
  reg.GetValueNames(names);
  EXPECT_EQ(names, (Strings{"second", "first"}));

  EXPECT_TRUE(reg.DeleteValue("first"));
  EXPECT_FALSE(reg.DeleteValue("first"));
  EXPECT_TRUE(ValueAbsent("K", "first"));

  // Value operations need an open key.
  reg.CloseKey();
  reg.GetValueNames(names);
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(reg.DeleteValue("second"));
}

TEST_P(NTRegistryTest, DefaultValueIsListedAsEmptyName) {
  AddString("D", "", "default");
  ASSERT_TRUE(reg.OpenKey("D", false));
  Strings names;
  reg.GetValueNames(names);
  EXPECT_EQ(names, Strings{""});
  EXPECT_FALSE(reg.HasSubKeys());
  EXPECT_EQ(reg.ReadString(""), "default");
}

TEST_P(NTRegistryTest, KeyInfoReportsCountsLengthsAndTime) {
  AddKey("I\\Longest");
  AddKey("I\\S");
  AddString("I", "ValueName", "12345");
  AddRaw("I", "b", REG_BINARY, std::string(9, 'x'));
  FindKey("I")->lastWrite = platform::ticksFromUnixSeconds(1000000000);
  ASSERT_TRUE(reg.OpenKey("I", false));
  TRegKeyInfo info;
  ASSERT_TRUE(reg.GetKeyInfo(info));
  EXPECT_EQ(info.NumSubKeys, 2u);
  EXPECT_EQ(info.MaxSubKeyLen, 7u);
  EXPECT_EQ(info.NumValues, 2u);
  EXPECT_EQ(info.MaxValueLen, 9u);
  EXPECT_EQ(info.MaxDataLen, 9u);
  FILETIME expected = platform::toFileTime(platform::ticksFromUnixSeconds(1000000000));
  EXPECT_EQ(info.FileTime.dwLowDateTime, expected.dwLowDateTime);
  EXPECT_EQ(info.FileTime.dwHighDateTime, expected.dwHighDateTime);

  reg.CloseKey();
  info.NumSubKeys = 42;
  EXPECT_FALSE(reg.GetKeyInfo(info));
  EXPECT_EQ(info.NumSubKeys, 0u);
}

TEST_P(NTRegistryTest, DataQueriesMapTypesToKinds) {
  AddString("V", "s", "text");
  AddString("V", "e", "%WINDIR%", REG_EXPAND_SZ);
  AddDword("V", "d", 7);
  AddRaw("V", "b", REG_BINARY, "\x01\x02\x03");
  AddString("V", "m", "a\0b\0", REG_MULTI_SZ);
  AddRaw("V", "q", REG_QWORD, std::string(8, '\0'));
  ASSERT_TRUE(reg.OpenKey("V", false));

  EXPECT_EQ(reg.GetDataType("s"), dkString);
  EXPECT_EQ(reg.GetDataType("e"), dkExpandString);
  EXPECT_EQ(reg.GetDataType("d"), dkInteger);
  EXPECT_EQ(reg.GetDataType("b"), dkBinary);
  EXPECT_EQ(reg.GetDataType("m"), dkUnknown);
  EXPECT_EQ(reg.GetDataType("q"), dkUnknown);
  EXPECT_EQ(reg.GetDataSize("s"), 5);
  EXPECT_EQ(reg.GetDataSize("b"), 3);

  TRegDataInfo info{dkBinary, 99};
  EXPECT_FALSE(reg.GetDataInfo("missing", info));
  EXPECT_EQ(info.RegData, dkUnknown);
  EXPECT_EQ(info.DataSize, 0);
  EXPECT_EQ(reg.GetDataSize("missing"), -1);
  EXPECT_EQ(reg.GetDataType("missing"), dkUnknown);
  EXPECT_TRUE(reg.ValueExists("S"));  // names compare without case
  EXPECT_FALSE(reg.ValueExists("missing"));
}

TEST_P(NTRegistryTest, GetDataReadsBytesAndRaisesWhenItCannot) {
  AddRaw("V", "b", REG_BINARY, "\x01\x02\x03");
  ASSERT_TRUE(reg.OpenKey("V", false));
  unsigned char buffer[8] = {};
  TRegDataKind kind = dkUnknown;
  EXPECT_EQ(reg.GetData("b", buffer, sizeof buffer, kind), 3);
  EXPECT_EQ(kind, dkBinary);
  EXPECT_EQ(std::memcmp(buffer, "\x01\x02\x03", 3), 0);

  EXPECT_TRUE(ThrowsRegistryError([&] { reg.GetData("b", buffer, 2, kind); },
                                  "Failed to get data for 'b'"));
  EXPECT_TRUE(ThrowsRegistryError([&] { reg.GetData("b", nullptr, 0, kind); },
                                  "Failed to get data for 'b'"));
  EXPECT_TRUE(ThrowsRegistryError([&] { reg.GetData("none", buffer, 8, kind); },
                                  "Failed to get data for 'none'"));
  EXPECT_EQ(api.openHandleCount(), 1u);
}

TEST_P(NTRegistryTest, PutDataWritesThePlatformTypeOfTheKind) {
  ASSERT_TRUE(reg.OpenKey("P", true));
  reg.PutData("n", "\x05\x06", 2, dkUnknown);
  reg.PutData("b", "\x05\x06", 2, dkBinary);
  std::string dword = DwordBytes(0x01020304);
  reg.PutData("d", dword.data(), 4, dkInteger);
  reg.PutData("e", "%X%", 4, dkExpandString);
  EXPECT_TRUE(RawIs("P", "n", REG_NONE, "\x05\x06"));
  EXPECT_TRUE(RawIs("P", "b", REG_BINARY, "\x05\x06"));
  EXPECT_TRUE(RawIs("P", "d", REG_DWORD, dword));
  EXPECT_TRUE(StringIs("P", "e", "%X%", REG_EXPAND_SZ));
  EXPECT_EQ(reg.ReadInteger("d"), 0x01020304);

  reg.CloseKey();
  EXPECT_TRUE(ThrowsRegistryError([&] { reg.PutData("x", "1", 1, dkBinary); },
                                  "Failed to set data for 'x'"));
}

TEST_P(NTRegistryTest, StringsReadUpToTheirZeroAndCheckTheKind) {
  AddString("S", "plain", "Grüße");
  AddString("S", "expand", "%SystemRoot%\\x.dll", REG_EXPAND_SZ);
  AddRaw("S", "empty", REG_SZ, "");
  AddRaw("S", "emptyDword", REG_DWORD, "");
  AddString("S", "twoParts", std::string_view("one\0two", 7));
  AddDword("S", "dword", 1);
  AddRaw("S", "bin", REG_BINARY, "ab");
  ASSERT_TRUE(reg.OpenKey("S", false));

  EXPECT_EQ(reg.ReadString("plain"), "Grüße");
  EXPECT_EQ(reg.ReadString("expand"), "%SystemRoot%\\x.dll");
  EXPECT_EQ(reg.ReadString("empty"), "");
  EXPECT_EQ(reg.ReadString("emptyDword"), "");
  EXPECT_EQ(reg.ReadString("missing"), "");
  EXPECT_EQ(reg.ReadString("twoParts"), "one");
  EXPECT_TRUE(
      ThrowsRegistryError([&] { reg.ReadString("dword"); }, "Invalid data type for 'dword'"));
  EXPECT_TRUE(ThrowsRegistryError([&] { reg.ReadString("bin"); }, "Invalid data type for 'bin'"));

  reg.WriteString("written", "Ünïcode");
  EXPECT_TRUE(StringIs("S", "written", "Ünïcode"));
  EXPECT_EQ(reg.ReadString("written"), "Ünïcode");
}

TEST_P(NTRegistryTest, ReadIntegerNeedsADwordOfAtMostFourBytes) {
  AddDword("N", "minus", 0xFFFFFFFF);
  AddString("N", "text", "12");
  AddRaw("N", "wide", REG_BINARY, std::string(8, '\x01'));
  AddRaw("N", "short", REG_BINARY, "\x01");
  ASSERT_TRUE(reg.OpenKey("N", false));
  EXPECT_EQ(reg.ReadInteger("minus"), -1);
  EXPECT_TRUE(
      ThrowsRegistryError([&] { reg.ReadInteger("text"); }, "Invalid data type for 'text'"));
  EXPECT_TRUE(
      ThrowsRegistryError([&] { reg.ReadInteger("wide"); }, "Failed to get data for 'wide'"));
  EXPECT_TRUE(
      ThrowsRegistryError([&] { reg.ReadInteger("short"); }, "Invalid data type for 'short'"));
  EXPECT_TRUE(
      ThrowsRegistryError([&] { reg.ReadInteger("missing"); }, "Failed to get data for 'missing'"));
}

TEST_P(NTRegistryTest, RenameValueKeepsDataAndPlatformType) {
  std::string multi = platform::utf8ToUtf16(std::string("a\0b\0\0", 5));
  AddRaw("R", "multi", REG_MULTI_SZ, multi);
  AddRaw("R", "odd", 0xFFFF0007, "\x09\x08");
  AddDword("R", "dword", 5);
  ASSERT_TRUE(reg.OpenKey("R", false));

  EXPECT_TRUE(reg.RenameValue("multi", "multi2"));
  EXPECT_TRUE(reg.RenameValue("odd", "odd2"));
  EXPECT_TRUE(reg.RenameValue("dword", "dword2"));
  EXPECT_TRUE(ValueAbsent("R", "multi"));
  EXPECT_TRUE(RawIs("R", "multi2", REG_MULTI_SZ, multi));
  EXPECT_TRUE(RawIs("R", "odd2", 0xFFFF0007, "\x09\x08"));
  EXPECT_TRUE(RawIs("R", "dword2", REG_DWORD, DwordBytes(5)));
}

TEST_P(NTRegistryTest, RenameValueDoesNothingUnlessOldExistsWithDataAndNewIsFree) {
  AddString("R", "a", "A");
  AddString("R", "b", "B");
  AddRaw("R", "empty", REG_BINARY, "");
  ASSERT_TRUE(reg.OpenKey("R", false));
  EXPECT_FALSE(reg.RenameValue("a", "b"));
  EXPECT_FALSE(reg.RenameValue("a", "B"));
  EXPECT_FALSE(reg.RenameValue("missing", "c"));
  EXPECT_FALSE(reg.RenameValue("empty", "c"));
  EXPECT_TRUE(StringIs("R", "a", "A"));
  EXPECT_TRUE(StringIs("R", "b", "B"));
  EXPECT_TRUE(RawIs("R", "empty", REG_BINARY, ""));
  EXPECT_TRUE(ValueAbsent("R", "c"));
}

TEST_P(NTRegistryTest, RenameValueThatCannotCompleteKeepsTheOldValue) {
  AddString("R", "old", "data");
  FaultyRegistryApi faulty(api);
  TNTRegistry other(faulty);
  ASSERT_TRUE(other.OpenKey("R", false));

  faulty.FailCall(FaultyRegistryApi::Call::SetValue);
  EXPECT_TRUE(ThrowsRegistryError([&] { other.RenameValue("old", "new"); },
                                  "Failed to set data for 'new'"));
  EXPECT_TRUE(StringIs("R", "old", "data"));
  EXPECT_TRUE(ValueAbsent("R", "new"));

  faulty.ClearFailures();
  faulty.FailCall(FaultyRegistryApi::Call::DeleteValue, "old");
  EXPECT_FALSE(other.RenameValue("old", "new"));
  EXPECT_TRUE(StringIs("R", "old", "data"));
  EXPECT_TRUE(ValueAbsent("R", "new"));
  EXPECT_EQ(api.openHandleCount(), 1u);
}

class MoveKeyTest : public NTRegistryTest {
 protected:
  // A three-level tree holding every kind, a multi-string, a type without a
  // kind and values without data.
  void SetUp() override {
    AddString("Src", "", "default");
    AddString("Src", "s", "Grüße");
    AddString("Src", "e", "%TEMP%", REG_EXPAND_SZ);
    AddDword("Src", "d", 42);
    AddRaw("Src", "b", REG_BINARY, std::string("\x00\x01\xFF", 3));
    AddRaw("Src\\L1", "multi", REG_MULTI_SZ, multi_);
    AddRaw("Src\\L1", "q", REG_QWORD, "12345678");
    AddRaw("Src\\L1", "odd", 0xFFFF0007, "\x07");
    AddRaw("Src\\L1\\L2a", "emptyBin", REG_BINARY, "");
    AddRaw("Src\\L1\\L2a", "none", REG_NONE, "");
    AddString("Src\\L1\\L2b", "s", "deep");
    AddKey("Src\\L1\\L2b\\Leaf");
    AddKey("Src\\Other");
  }

  ::testing::AssertionResult TreeCopiedTo(const std::string& root) {
    const std::pair<std::string, std::string> keys[] = {
        {root, "s"}, {root + "\\L1", "multi"}, {root + "\\L1\\L2b", "s"}};
    for (const auto& [path, name] : keys) {
      if (!FindKey(path) || !FindKey(path)->findValue(name)) {
        return ::testing::AssertionFailure() << path << " lacks " << name;
      }
    }
    ::testing::AssertionResult checks[] = {
        StringIs(root, "", "default"),
        StringIs(root, "s", "Grüße"),
        StringIs(root, "e", "%TEMP%", REG_EXPAND_SZ),
        RawIs(root, "d", REG_DWORD, DwordBytes(42)),
        RawIs(root, "b", REG_BINARY, std::string_view("\x00\x01\xFF", 3)),
        RawIs(root + "\\L1", "multi", REG_MULTI_SZ, multi_),
        RawIs(root + "\\L1", "q", REG_QWORD, "12345678"),
        RawIs(root + "\\L1", "odd", 0xFFFF0007, "\x07"),
        RawIs(root + "\\L1\\L2a", "emptyBin", REG_BINARY, ""),
        RawIs(root + "\\L1\\L2a", "none", REG_NONE, ""),
        StringIs(root + "\\L1\\L2b", "s", "deep"),
        KeyPresent(root + "\\L1\\L2b\\Leaf"),
        KeyPresent(root + "\\Other"),
    };
    for (auto& check : checks) {
      if (!check) return check;
    }
    return ::testing::AssertionSuccess();
  }

  std::string multi_ = platform::utf8ToUtf16(std::string("x\0yz\0\0", 6));
};

TEST_P(MoveKeyTest, CopiesTheWholeTreeKeepingTypes) {
  EXPECT_TRUE(reg.MoveKey("\\Src", "\\Dst", false));
  EXPECT_TRUE(TreeCopiedTo("Dst"));
  EXPECT_TRUE(TreeCopiedTo("Src"));
  EXPECT_EQ(api.openHandleCount(), 0u);
}

TEST_P(MoveKeyTest, MovesRelativeToTheCurrentKeyAndDeletesTheSource) {
  AddKey("Base");
  ASSERT_TRUE(reg.OpenKey("Base", false));
  EXPECT_TRUE(reg.MoveKey("\\Src", "Moved", true));
  EXPECT_TRUE(TreeCopiedTo("Base\\Moved"));
  EXPECT_TRUE(KeyAbsent("Src"));
  EXPECT_EQ(reg.CurrentPath(), "Base");
  EXPECT_EQ(api.openHandleCount(), 1u);
}

TEST_P(MoveKeyTest, LeavesAnExistingDestinationAlone) {
  AddString("Dst", "s", "mine");
  EXPECT_FALSE(reg.MoveKey("\\Src", "\\Dst", true));
  EXPECT_FALSE(reg.MoveKey("\\Missing", "\\New", true));
  EXPECT_TRUE(StringIs("Dst", "s", "mine"));
  EXPECT_TRUE(KeyAbsent("Dst\\L1"));
  EXPECT_TRUE(KeyAbsent("New"));
  EXPECT_TRUE(TreeCopiedTo("Src"));
}

TEST_P(MoveKeyTest, RefusesADestinationInsideTheSource) {
  EXPECT_FALSE(reg.MoveKey("\\Src", "\\Src\\L1\\Inner", true));
  EXPECT_FALSE(reg.MoveKey("\\src", "\\SRC\\New", true));
  ASSERT_TRUE(reg.OpenKey("Src", false));
  EXPECT_FALSE(reg.MoveKey("", "Inner", true));
  EXPECT_TRUE(KeyAbsent("Src\\L1\\Inner"));
  EXPECT_TRUE(KeyAbsent("Src\\New"));
  EXPECT_TRUE(KeyAbsent("Src\\Inner"));
  EXPECT_TRUE(TreeCopiedTo("Src"));
}

TEST_P(MoveKeyTest, FailedWriteRemovesThePartialCopyAndKeepsTheSource) {
  FaultyRegistryApi faulty(api);
  TNTRegistry other(faulty);
  ASSERT_TRUE(other.OpenKey("Src", false));
  faulty.FailCall(FaultyRegistryApi::Call::SetValue, "odd");
  EXPECT_TRUE(ThrowsRegistryError([&] { other.MoveKey("\\Src", "\\Dst", true); },
                                  "Failed to set data for 'odd'"));
  EXPECT_TRUE(KeyAbsent("Dst"));
  EXPECT_TRUE(TreeCopiedTo("Src"));
  EXPECT_EQ(other.CurrentPath(), "Src");
  EXPECT_EQ(api.openHandleCount(), 1u);

  faulty.ClearFailures();
  EXPECT_TRUE(other.MoveKey("\\Src", "\\Dst", true));
  EXPECT_TRUE(TreeCopiedTo("Dst"));
}

TEST_P(MoveKeyTest, UnreadableSubkeyStopsTheMoveBeforeAnythingIsDeleted) {
  ASSERT_TRUE(store.setAccess(HKEY_CURRENT_USER, "Src\\L1\\L2a", platform::KeyAccess::NoAccess));
  EXPECT_FALSE(reg.MoveKey("\\Src", "\\Dst", true));
  EXPECT_TRUE(KeyAbsent("Dst"));
  EXPECT_TRUE(KeyPresent("Src\\L1\\L2a"));
  store.setAccess(HKEY_CURRENT_USER, "Src\\L1\\L2a", platform::KeyAccess::Full);
  EXPECT_TRUE(TreeCopiedTo("Src"));
  EXPECT_EQ(api.openHandleCount(), 0u);
}

TEST_P(MoveKeyTest, RefusedWritesRaiseAndChangeNothing) {
  store.refuseWrites("in use");
  EXPECT_TRUE(ThrowsRegistryError([&] { reg.MoveKey("\\Src", "\\Dst", true); },
                                  "Failed to create key \\Dst"));
  EXPECT_TRUE(KeyAbsent("Dst"));
  EXPECT_TRUE(TreeCopiedTo("Src"));
  EXPECT_EQ(api.openHandleCount(), 0u);
}

HW_INSTANTIATE_OVER_STORES(NTRegistryTest);
HW_INSTANTIATE_OVER_STORES(MoveKeyTest);

}  // namespace
}  // namespace hw
