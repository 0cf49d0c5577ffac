#include "registry/RegIniFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* kKey = "Software\\Vendor\\App";

class RegIniFileTest : public test::RegistryFixture {};

TEST_P(RegIniFileTest, ConstructionCreatesAndKeepsTheKeyOpen) {
  TRegIniFile ini(api, kKey);
  EXPECT_TRUE(KeyPresent(kKey));
  EXPECT_EQ(ini.FileName(), kKey);
  EXPECT_EQ(ini.RootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(ini.CurrentPath(), kKey);

  // Section work goes through handles of its own: the key stays current.
  ini.WriteString("Section", "Name", "value");
  EXPECT_EQ(ini.ReadString("Section", "Name", ""), "value");
  std::vector<std::string> names;
  ini.ReadSection("Section", names);
  EXPECT_EQ(ini.CurrentPath(), kKey);
  EXPECT_EQ(api.openHandleCount(), 1u);
}

TEST_P(RegIniFileTest, StringsLiveInSectionSubkeys) {
  TRegIniFile ini(api, kKey);
  ini.WriteString("Sec\\Sub", "a", "Ärger");
  ini.WriteString("", "top", "t");
  EXPECT_TRUE(StringIs(std::string(kKey) + "\\Sec\\Sub", "a", "Ärger"));
  EXPECT_TRUE(StringIs(kKey, "top", "t"));
  EXPECT_EQ(ini.ReadString("", "top", "d"), "t");
  EXPECT_EQ(ini.ReadString("Sec\\Sub", "missing", "d"), "d");
  EXPECT_EQ(ini.ReadString("NoSection", "a", "d"), "d");
}

TEST_P(RegIniFileTest, ReadingANonStringIdentRaises) {
  AddDword(std::string(kKey) + "\\S", "n", 3);
  TRegIniFile ini(api, kKey);
  EXPECT_THROW(ini.ReadString("S", "n", ""), ERegistryException);
  EXPECT_EQ(api.openHandleCount(), 1u);
}

TEST_P(RegIniFileTest, IntegersAreDecimalOrPrefixedHexText) {
  std::string section = std::string(kKey) + "\\N";
  const std::pair<const char*, int> cases[] = {
      {"0x1F", 31},       {"0X1f", 31},        {"42", 42},    {"-7", -7},   {"+8", 8},
      {"0xFFFFFFFF", -1}, {"0X", 99},          {"12abc", 99}, {"", 99},     {" 5", 99},
      {"0x1G", 99},       {"99999999999", 99}, {"0x", 99},    {"0x-1", 99}, {"+-3", 99},
      {"0", 0},           {"0x100000000", 99},
  };
  for (const auto& [text, expected] : cases) AddString(section, text, text);
  TRegIniFile ini(api, kKey);
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(ini.ReadInteger("N", text, 99), expected) << '"' << text << '"';
  }
  EXPECT_EQ(ini.ReadInteger("N", "missing", 99), 99);
  EXPECT_EQ(ini.ReadInteger("Missing", "42", 99), 99);

  ini.WriteInteger("W", "i", -12);
  EXPECT_TRUE(StringIs(std::string(kKey) + "\\W", "i", "-12"));
  EXPECT_EQ(ini.ReadInteger("W", "i", 0), -12);
}

TEST_P(RegIniFileTest, BoolsAreZeroOrOneText) {
  TRegIniFile ini(api, kKey);
  ini.WriteBool("B", "on", true);
  ini.WriteBool("B", "off", false);
  EXPECT_TRUE(StringIs(std::string(kKey) + "\\B", "on", "1"));
  EXPECT_TRUE(StringIs(std::string(kKey) + "\\B", "off", "0"));
  EXPECT_TRUE(ini.ReadBool("B", "on", false));
  EXPECT_FALSE(ini.ReadBool("B", "off", true));
  EXPECT_TRUE(ini.ReadBool("B", "missing", true));
  EXPECT_FALSE(ini.ReadBool("B", "missing", false));
  ini.WriteString("B", "seven", "7");
  EXPECT_TRUE(ini.ReadBool("B", "seven", false));
}

TEST_P(RegIniFileTest, ReadSectionListsValueNamesOrLeavesTheList) {
  std::string section = std::string(kKey) + "\\List";
  AddString(section, "C:\\Games", "0");
  AddString(section, "D:\\Apps", "1");
  TRegIniFile ini(api, kKey);
  Strings names{"old"};
  ini.ReadSection("List", names);
  EXPECT_EQ(names, (Strings{"C:\\Games", "D:\\Apps"}));
  names = {"old"};
  ini.ReadSection("Missing", names);
  EXPECT_EQ(names, Strings{"old"});
}

TEST_P(RegIniFileTest, EraseSectionRemovesItsTreeButNeverTheObjectsKey) {
  AddString(std::string(kKey) + "\\Gone\\Deep", "v", "1");
  AddString(kKey, "keep", "1");
  TRegIniFile ini(api, kKey);
  EXPECT_TRUE(ini.EraseSection("Gone"));
  EXPECT_TRUE(KeyAbsent(std::string(kKey) + "\\Gone"));
  EXPECT_FALSE(ini.EraseSection("Gone"));
  EXPECT_FALSE(ini.EraseSection(""));
  EXPECT_TRUE(StringIs(kKey, "keep", "1"));
}

TEST_P(RegIniFileTest, RefusedWritesRaiseAndReadsStillWork) {
  AddString(std::string(kKey) + "\\S", "a", "x");
  TRegIniFile ini(api, kKey);
  store.refuseWrites("in use");
  EXPECT_EQ(ini.ReadString("S", "a", ""), "x");
  try {
    ini.WriteString("New", "a", "y");
    ADD_FAILURE() << "nothing thrown";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to create key New");
  }
  EXPECT_THROW(ini.WriteInteger("S", "a", 1), ERegistryException);
  EXPECT_TRUE(StringIs(std::string(kKey) + "\\S", "a", "x"));
  EXPECT_TRUE(KeyAbsent(std::string(kKey) + "\\New"));
  EXPECT_EQ(ini.CurrentPath(), kKey);
  EXPECT_EQ(api.openHandleCount(), 1u);
}

TEST_P(RegIniFileTest, KeyThatCannotBeCreatedYieldsDefaultsAndNoStrayWrites) {
  store.refuseWrites("in use");
  TRegIniFile ini(api, kKey);
  EXPECT_EQ(ini.CurrentKey(), nullptr);
  EXPECT_EQ(ini.ReadString("S", "a", "d"), "d");
  EXPECT_EQ(ini.ReadInteger("S", "a", 5), 5);
  EXPECT_THROW(ini.WriteString("S", "a", "x"), ERegistryException);
  // Sections are never looked for below the root instead of the object's key.
  AddString("S", "a", "wrong place");
  EXPECT_EQ(ini.ReadString("S", "a", "d"), "d");
  EXPECT_EQ(api.openHandleCount(), 0u);
}

HW_INSTANTIATE_OVER_STORES(RegIniFileTest);

}  // namespace
}  // namespace hw
