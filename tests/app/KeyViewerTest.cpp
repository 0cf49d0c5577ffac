// The key viewer's reading of the registry: value data as the registry
// editor shows it, keys and values of a store, and key paths typed in any case.

#include <gtest/gtest.h>

#include "app/KeyViewerModel.h"
#include "tests/support/RegistryFixture.h"

namespace hw::test {
namespace {

using app::FormatValueData;
using app::TKeyBrowser;
using app::ValueTypeName;

TEST(KeyViewerFormatTest, ShowsDataAsTheRegistryEditorDoes) {
  using namespace std::string_literals;
  const struct {
    DWORD type;
    std::string data, shown, typeName;
  } rows[] = {
      {REG_SZ, "C:\\app.exe\0rest\0"s, "C:\\app.exe", "REG_SZ"},
      {REG_EXPAND_SZ, "%windir%\0"s, "%windir%", "REG_EXPAND_SZ"},
      {REG_MULTI_SZ, "one\0two\0\0"s, "one two", "REG_MULTI_SZ"},
      {REG_DWORD, "\x10\x01\0\0"s, "0x00000110 (272)", "REG_DWORD"},
      {REG_DWORD, "\xff\xff\xff\xff"s, "0xffffffff (4294967295)", "REG_DWORD"},
      {REG_DWORD, "\x01\x02"s, "(invalid DWORD value)", "REG_DWORD"},
      {REG_DWORD_BIG_ENDIAN, "\0\0\x01\x10"s, "0x00000110 (272)", "REG_DWORD_BIG_ENDIAN"},
      {REG_QWORD, "\x01\0\0\0\0\0\0\x80"s, "0x8000000000000001 (9223372036854775809)", "REG_QWORD"},
      {REG_BINARY, "\x01\xab\0"s, "01 ab 00", "REG_BINARY"},
      {REG_BINARY, ""s, "(zero-length binary value)", "REG_BINARY"},
      {REG_NONE, "\x7f"s, "7f", "REG_NONE"},
      {0x99, "\x02"s, "02", "0x00000099"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.shown);
    EXPECT_EQ(FormatValueData(row.type, row.data), row.shown);
    EXPECT_EQ(ValueTypeName(row.type), row.typeName);
  }
  // Long binary data is cut to one table line and says so.
  const std::string shown = FormatValueData(REG_BINARY, std::string(5000, '\x11'));
  EXPECT_LT(shown.size(), 4000u);
  EXPECT_EQ(shown.substr(shown.size() - 4), " ...");
}

class KeyBrowserTest : public RegistryFixture {
 protected:
  TKeyBrowser browser{api};
};

TEST_P(KeyBrowserTest, ListsKeysAndValuesSortedWithTheDefaultValueFirst) {
  AddKey("Software\\Vendor\\beta");
  AddKey("Software\\Vendor\\Alpha\\Deep");
  AddKey("Software\\Vendor\\Gamma");
  AddString("Software\\Vendor", "zeta", "z");
  AddDword("Software\\Vendor", "Count", 3);
  AddString("Software\\Vendor", "alpha", "a", REG_EXPAND_SZ);

  EXPECT_EQ(browser.SubKeys("HKEY_CURRENT_USER\\Software\\Vendor"),
            (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
  EXPECT_TRUE(browser.HasSubKeys("HKEY_CURRENT_USER\\Software\\Vendor\\Alpha"));
  EXPECT_FALSE(browser.HasSubKeys("HKEY_CURRENT_USER\\Software\\Vendor\\beta"));
  EXPECT_TRUE(browser.SubKeys("HKEY_CURRENT_USER\\Software\\Gone").empty());

  auto values = browser.Values("HKEY_CURRENT_USER\\Software\\Vendor");
  ASSERT_TRUE(values);
  std::vector<std::string> lines;
  for (const auto& row : *values) lines.push_back(row.Shown + "|" + row.Type + "|" + row.Data);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"(Default)|REG_SZ|(value not set)", "alpha|REG_EXPAND_SZ|a",
                                      "Count|REG_DWORD|0x00000003 (3)", "zeta|REG_SZ|z"}));

  // A default value of its own replaces the placeholder, keeping the empty name.
  AddString("Software\\Vendor", "", "set");
  values = browser.Values("HKEY_CURRENT_USER\\Software\\Vendor");
  ASSERT_TRUE(values);
  EXPECT_EQ(values->size(), 4u);
  EXPECT_EQ(values->front().Name, "");
  EXPECT_EQ(values->front().Data, "set");
  EXPECT_FALSE(browser.Values("HKEY_CURRENT_USER\\Software\\Gone"));
}

TEST_P(KeyBrowserTest, ResolvesPathsInAnyCaseToTheRegistrysSpelling) {
  AddKey("Software\\Tidy\\Editor", HKEY_LOCAL_MACHINE);
  EXPECT_EQ(browser.Resolve("HKEY_LOCAL_MACHINE\\software\\\\TIDY\\editor\\"),
            (std::vector<std::string>{"HKEY_LOCAL_MACHINE", "Software", "Tidy", "Editor"}));
  EXPECT_EQ(browser.Resolve("HKEY_LOCAL_MACHINE"),
            (std::vector<std::string>{"HKEY_LOCAL_MACHINE"}));
  EXPECT_FALSE(browser.Resolve("HKEY_LOCAL_MACHINE\\Software\\Tidy\\Gone"));
  EXPECT_FALSE(browser.Resolve("HKEY_NOWHERE\\Software"));
  EXPECT_FALSE(browser.Resolve(""));

  const std::vector<std::string> roots = browser.Roots();
  EXPECT_NE(std::find(roots.begin(), roots.end(), "HKEY_LOCAL_MACHINE"), roots.end());
  EXPECT_NE(std::find(roots.begin(), roots.end(), "HKEY_CURRENT_USER"), roots.end());
  EXPECT_EQ(std::find(roots.begin(), roots.end(), "HKEY_DYN_DATA"), roots.end());
}

HW_INSTANTIATE_OVER_STORES(KeyBrowserTest);

}  // namespace
}  // namespace hw::test
