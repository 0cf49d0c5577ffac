#include "registry/RegExport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RecordedMessages.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextFiles.h"

namespace hw {
namespace {

namespace fs = std::filesystem;

const TRegBlockFormat k1252(&platform::Windows1252());

TEST(RegExportFormatTest, KeyPathsAreNormalisedAndTextsEscaped) {
  EXPECT_EQ(NormaliseKeyPath("Software\\A\\\\"), "\\Software\\A");
  EXPECT_EQ(NormaliseKeyPath("\\"), "\\");
  EXPECT_EQ(NormaliseKeyPath(""), "");
  EXPECT_EQ(k1252.Key("HKEY_CURRENT_USER", "Software\\A\\\\").KeyLine,
            "[HKEY_CURRENT_USER\\Software\\A]");
  EXPECT_EQ(k1252.Key("HKEY_USERS", "").KeyLine, "[HKEY_USERS]");
  // x " y \ z -> x \" y \\ z
  EXPECT_EQ(EscapeRegText("x\"y\\z"), "x\\\"y\\\\z");
}

TEST(RegExportFormatTest, ValueLinesByKind) {
  struct Case {
    const char* name;
    const char* data;
    TRegDataKind kind;
    const char* line;
  };
  const Case cases[] = {
      {"", "x", dkString, "@=\"x\""},
      {" ", "x", dkString, "@=\"x\""},
      {"x\"y\\z", "a\\b", dkString, "\"x\\\"y\\\\z\"=\"a\\\\b\""},
      {"n", "255", dkInteger, "\"n\"=dword:000000FF"},
      {"n", "-2", dkInteger, "\"n\"=dword:FFFFFFFE"},
      {"b", "00,AB,10", dkBinary, "\"b\"=hex:00,AB,10"},
      {"b", "", dkBinary, "\"b\"=hex:"},
      {"s", "-q", dkString, "\"s\"=\"-q\""},
      {"s", "-", dkString, "\"s\"=-"},
      {"k", "ignored", dkUnknown, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(k1252.Entry("HKEY_CURRENT_USER", "\\S", c.name, c.data, c.kind).ValueLine, c.line)
        << c.name << " " << c.data;
}

TEST(RegExportFormatTest, RegistryValuesKeepTheirTypeAndData) {
  using namespace std::string_literals;
  struct Case {
    DWORD type;
    std::string data;  // as the registry calls return it
    const char* line;
  };
  const Case cases[] = {
      {REG_SZ, "-\0"s, "\"v\"=\"-\""},  // a real "-" is no deletion mark
      {REG_SZ, "a\0b\0"s, "\"v\"=hex(1):61,00,62,00"},  // text after an inner zero is kept
      {REG_EXPAND_SZ, "%A%\0"s, "\"v\"=hex(2):25,41,25,00"},
      {REG_MULTI_SZ, "a\0\xC3\xA9\0\0"s, "\"v\"=hex(7):61,00,E9,00,00"},
      {REG_DWORD, "\xFE\xFF\xFF\xFF"s, "\"v\"=dword:FFFFFFFE"},
      {REG_BINARY, "\x00\xAB\x10"s, "\"v\"=hex:00,AB,10"},
      {11 /* REG_QWORD */, "\x01\0\0\0\0\0\0\0"s, "\"v\"=hex(b):01,00,00,00,00,00,00,00"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", c.type, c.data).ValueLine, c.line)
        << c.type;
  EXPECT_EQ(k1252.Value("HKEY_CURRENT_USER", "\\S", " ", REG_SZ, "x\0"s).ValueLine, "\" \"=\"x\"");
  // Text goes out in the code page.
  EXPECT_EQ(k1252.Value("HKEY_CURRENT_USER", "\\S", "Grün", REG_SZ, "\xC3\xA9\0"s).ValueLine,
            "\"Gr\xFCn\"=\"\xE9\"");
}

TEST(RegExportFormatTest, WhatWouldNotImportUnchangedIsRefused) {
  using namespace std::string_literals;
  EXPECT_THROW(k1252.Key("HKEY_CURRENT_USER", "Software\\Ωmega"), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "Ω", REG_SZ, "x\0"s), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_SZ, "Ω\0"s), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_EXPAND_SZ, "Ω\0"s), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_SZ, "two\r\nlines\0"s),
               EBackupText);
  // A page we do not provide: only ASCII is safe.
  const TRegBlockFormat unknownPage(nullptr);
  EXPECT_THROW(unknownPage.Key("HKEY_CURRENT_USER", "Grün"), EBackupText);
  EXPECT_EQ(unknownPage.Key("HKEY_CURRENT_USER", "Green").KeyLine, "[HKEY_CURRENT_USER\\Green]");
}

class RegExportFileTest : public ::testing::Test {
 protected:
  fs::path File() const { return dir.path() / "backup.reg"; }
  bool Write(const char* name, const char* data, TRegDataKind kind, bool afresh) {
    return WriteRegEntry(File(), "HKEY_CURRENT_USER", "Software\\A", name, data, kind, afresh,
                         k1252, messages);
  }

  test::TempDir dir;
  test::RecordedMessages messages;
};

TEST_F(RegExportFileTest, NewBlocksGoInFrontOfOlderOnes) {
  ASSERT_TRUE(Write("first", "1", dkString, true));
  ASSERT_TRUE(Write("second", "2", dkString, false));
  ASSERT_TRUE(Write("third", "3", dkString, false));
  EXPECT_EQ(test::ReadTextFile(File()),
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\A]\r\n\"third\"=\"3\"\r\n\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\A]\r\n\"second\"=\"2\"\r\n\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\A]\r\n\"first\"=\"1\"\r\n\r\n");

  // Afresh replaces; a key-only block in a new file keeps its empty value line.
  ASSERT_TRUE(Write("", "", dkUnknown, true));
  EXPECT_EQ(test::ReadTextFile(File()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\r\n\r\n");
  ASSERT_TRUE(Write("", "", dkUnknown, false));
  EXPECT_EQ(test::ReadTextFile(File()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\A]\r\n\r\n\r\n");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RegExportFileTest, OldContentIsKeptFromItsHeaderOnOrDropped) {
  test::WriteTextFile(File(), "junk\n  regedit4 \n\n[HKEY_USERS\\X]\nlast");
  ASSERT_TRUE(Write("v", "1", dkString, false));
  EXPECT_EQ(test::ReadTextFile(File()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"v\"=\"1\"\r\n\r\n"
            "\r\n[HKEY_USERS\\X]\r\nlast\r\n");

  test::WriteTextFile(File(), "just some text\r\n");
  ASSERT_TRUE(Write("v", "1", dkString, false));
  EXPECT_EQ(test::ReadTextFile(File()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"v\"=\"1\"\r\n\r\n");
}

TEST_F(RegExportFileTest, AFolderThatTakesNoFileIsReportedAndNothingIsWritten) {
  test::WriteTextFile(dir.path() / "plain", "x");
  const fs::path file = dir.path() / "plain" / "backup.reg";
  EXPECT_FALSE(
      WriteRegEntry(file, "HKEY_CURRENT_USER", "S", "v", "1", dkString, true, k1252, messages));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(
      messages.shown[0].rfind(
          "Failed to create temporary file " + (dir.path() / "plain" / ".backup.reg.").string(), 0),
      0u)
      << messages.shown[0];
  // No stray temporary files in the backup's folder after a good write either.
  ASSERT_TRUE(Write("v", "1", dkString, true));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

class ExportValueTest : public test::RegistryFixture {
 protected:
  test::TempDir dir;
  test::RecordedMessages messages;
};

TEST_P(ExportValueTest, ReadsTheValueOrWritesNothing) {
  AddDword("Software\\A", "n", 255);
  const fs::path file = dir.path() / "b.reg";
  EXPECT_FALSE(ExportValue(api, file, "HKEY_CURRENT_USER", "\\Software\\A", "missing", true, k1252,
                           messages));
  EXPECT_FALSE(
      ExportValue(api, file, "HKEY_CURRENT_USER", "\\Software\\B", "n", true, k1252, messages));
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(
      ExportValue(api, file, "HKEY_CURRENT_USER", "\\Software\\A", "n", true, k1252, messages));
  EXPECT_EQ(test::ReadTextFile(file),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"n\"=dword:000000FF\r\n\r\n");
  EXPECT_EQ(api.openHandleCount(), 0u);
}

TEST_P(ExportValueTest, TheCodePageIsThePrefixs) {
  EXPECT_EQ(BackupCodePage(api), &platform::Windows1252());
  AddString("System\\CurrentControlSet\\Control\\Nls\\CodePage", "ACP", "1253", REG_SZ,
            HKEY_LOCAL_MACHINE);
  EXPECT_EQ(BackupCodePage(api), nullptr);  // not provided: ASCII only
}

HW_INSTANTIATE_OVER_STORES(ExportValueTest);

}  // namespace
}  // namespace hw
