#include "registry/RegExport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Text.h"
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

// Strings as the registry stores them: UTF-16LE.
std::string U16(std::string_view utf8) { return platform::utf8ToUtf16(utf8); }

TEST(RegExportFormatTest, RegistryValuesKeepTheirTypeAndData) {
  using namespace std::string_literals;
  struct Case {
    DWORD type;
    std::string data;  // as the registry stores it
    const char* line;
  };
  const Case cases[] = {
      {REG_SZ, U16("-\0"s), "\"v\"=\"-\""},                  // a real "-" is no deletion mark
      {REG_SZ, U16("a\0b\0"s), "\"v\"=hex(1):61,00,62,00"},  // text after an inner zero is kept
      {REG_SZ, U16("two\r\nlines\0"s), "\"v\"=hex(1):74,77,6F,0D,0A,6C,69,6E,65,73,00"},
      {REG_SZ, U16("a\0\0"s), "\"v\"=hex(1):61,00,00"},
      {REG_SZ, "", "\"v\"=hex(1):"},  // no data at all, not an empty text
      {REG_EXPAND_SZ, U16("%A%\0"s), "\"v\"=hex(2):25,41,25,00"},
      {REG_MULTI_SZ, U16("a\0\xC3\xA9\0\0"s), "\"v\"=hex(7):61,00,E9,00,00"},
      {REG_MULTI_SZ, U16("a\0"s), "\"v\"=hex(7):61,00"},
      {REG_DWORD, "\xFE\xFF\xFF\xFF"s, "\"v\"=dword:FFFFFFFE"},
      {REG_DWORD, "\x01\x02"s, "\"v\"=hex(4):01,02"},
      {5 /* REG_DWORD_BIG_ENDIAN */, "\0\0\0\x01"s, "\"v\"=hex(5):00,00,00,01"},
      {REG_BINARY, "\x00\xAB\x10"s, "\"v\"=hex:00,AB,10"},
      {REG_NONE, "", "\"v\"=hex(0):"},
      {REG_LINK, U16("\\R"), "\"v\"=hex(6):5C,00,52,00"},
      {11 /* REG_QWORD */, "\x01\0\0\0\0\0\0\0"s, "\"v\"=hex(b):01,00,00,00,00,00,00,00"},
      {0xFFFFFFFF, "\x01"s, "\"v\"=hex(ffffffff):01"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", c.type, c.data).ValueLine, c.line)
        << c.type << " " << c.line;
  EXPECT_EQ(k1252.Value("HKEY_CURRENT_USER", "\\S", " ", REG_SZ, U16("x\0"s)).ValueLine,
            "\" \"=\"x\"");
  // Text goes out in the code page; line breaks in a name as the editor's escapes.
  EXPECT_EQ(k1252.Value("HKEY_CURRENT_USER", "\\S", "Grün", REG_SZ, U16("\xC3\xA9\0"s)).ValueLine,
            "\"Gr\xFCn\"=\"\xE9\"");
  EXPECT_EQ(k1252.Value("HKEY_CURRENT_USER", "\\S", "a\r\n\"\\\tb", REG_BINARY, "").ValueLine,
            "\"a\\r\\n\\\"\\\\\tb\"=hex:");
}

TEST(RegExportFormatTest, WhatWouldNotImportUnchangedIsRefused) {
  using namespace std::string_literals;
  EXPECT_THROW(k1252.Key("HKEY_CURRENT_USER", "Software\\Ωmega"), EBackupText);
  EXPECT_THROW(k1252.Key("HKEY_CURRENT_USER", "Software\\a\nb"), EBackupText);
  EXPECT_THROW(k1252.Key("HKEY_CURRENT_USER", "Software\\a\0b"s), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "Ω", REG_SZ, U16("x\0"s)), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_SZ, U16("Ω\0"s)), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_EXPAND_SZ, U16("Ω\0"s)),
               EBackupText);
  // The editor cannot import a name with a NUL.
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "a\0b"s, REG_BINARY, ""), EBackupText);
  // The editor adds a terminating zero and reads whole UTF-16 units only.
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_SZ, "A\0B"s), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_SZ, U16("AB")), EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_MULTI_SZ, U16("a\0b"s)),
               EBackupText);
  EXPECT_THROW(k1252.Value("HKEY_CURRENT_USER", "\\S", "v", REG_SZ, "\x00\xD8\0\0"s),
               EBackupText);  // a lone surrogate
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

TEST_F(RegExportFileTest, BlocksAreAddedToARegedit4FileOnlyAndNothingElseIsDropped) {
  test::WriteTextFile(File(), "  regedit4 \n\n[HKEY_USERS\\X]\nlast");
  ASSERT_TRUE(Write("v", "1", dkString, false));
  EXPECT_EQ(test::ReadTextFile(File()),
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"v\"=\"1\"\r\n\r\n"
            "\r\n[HKEY_USERS\\X]\r\nlast\r\n");
  EXPECT_TRUE(messages.shown.empty());

  // Once these were replaced by the new block and lost: a text file, a
  // REGEDIT4 file behind a byte-order mark, and the editor's UTF-16 export.
  const std::string others[] = {
      "just some text\r\nREGEDIT4\r\n",
      "\xEF\xBB\xBFREGEDIT4\r\n\r\n[HKEY_USERS\\X]\r\n",
      std::string("\xFF\xFEW\0i\0n\0\r\0\n\0", 12),
  };
  for (const std::string& old : others) {
    test::WriteTextFile(File(), old);
    messages.shown.clear();
    EXPECT_FALSE(Write("v", "1", dkString, false));
    EXPECT_EQ(test::ReadTextFile(File()), old);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("is not a REGEDIT4 file"), std::string::npos)
        << messages.shown[0];
    EXPECT_EQ(AppendRefusal(File()), messages.shown[0]);
    TRegBackup backup(File(), false, k1252, messages);
    EXPECT_FALSE(backup.CanWrite());
  }
  EXPECT_EQ(test::ReadTextFile(File()), others[2]);
  // Replacing is the user's choice.
  ASSERT_TRUE(Write("v", "1", dkString, true));
  EXPECT_EQ(AppendRefusal(File()), "");
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
