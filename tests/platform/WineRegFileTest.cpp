// The registry text format alone: what the reader makes of every form Wine
// writes, what it refuses, and that the writer writes what wineserver writes.

#include <gtest/gtest.h>

#include <string>

#include "platform/MemoryStore.h"
#include "platform/StoreError.h"
#include "platform/wine/WineRegFile.h"

namespace hw::platform {
namespace {

std::string utf16(std::u16string_view units, bool terminated = true) {
  std::string bytes;
  for (char16_t u : units) {
    bytes += static_cast<char>(u & 0xff);
    bytes += static_cast<char>(u >> 8);
  }
  if (terminated) bytes.append(2, '\0');
  return bytes;
}

class WineRegFileTest : public ::testing::Test {
 protected:
  static constexpr const char* kHeader =
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";

  WineRegLayout read(const std::string& body) {
    text_ = kHeader + body;
    return readWineRegistry(store_, root(), text_, "test.reg");
  }
  KeyNode& root() { return store_.hiveRoot(Hive::Machine); }
  KeyNode* key(std::string_view path) { return store_.resolve(&root(), path); }
  const RegValue* value(std::string_view path, std::string_view name) {
    KeyNode* k = key(path);
    return k ? k->findValue(name) : nullptr;
  }
  std::string errorOf(const std::string& body) {
    try {
      MemoryStore fresh;
      std::string text = kHeader + body;
      readWineRegistry(fresh, fresh.hiveRoot(Hive::Machine), text, "bad.reg");
    } catch (const StoreError& e) {
      return e.what();
    }
    return "no error";
  }

  MemoryStore store_;
  std::string text_;
};

TEST_F(WineRegFileTest, ReadsEveryValueForm) {
  read(
      "\n[Software\\\\Forms] 1700000000\n"
      "#time=1d9a1b2c3d4e5f6\n"
      "@=\"default\"\n"
      "\"sz\"=\"plain\"\n"
      "\"sz2\"=str:\"tagged\"\n"
      "\"expand\"=str(2):\"%SystemRoot%\\\\x\"\n"
      "\"multi\"=str(7):\"one\\0two\\0\"\n"
      "\"dw\"=dword:8000000f\n"
      "\"bin\"=hex:00,01,fe,\\\n  ff\n"
      "\"none\"=hex(0):\n"
      "\"qword\"=hex(b):ef,cd,ab,89,67,45,23,01\n"
      "\"wine\"=hex(ffff0007):01,02\n"
      "  \"spaced\" = dword:00000001\n");
  EXPECT_EQ(value("Software\\Forms", "")->data, utf16(u"default"));
  EXPECT_EQ(value("Software\\Forms", "sz")->type, REG_SZ);
  EXPECT_EQ(value("Software\\Forms", "sz2")->data, utf16(u"tagged"));
  EXPECT_EQ(value("Software\\Forms", "expand")->type, REG_EXPAND_SZ);
  EXPECT_EQ(value("Software\\Forms", "expand")->data, utf16(u"%SystemRoot%\\x"));
  EXPECT_EQ(value("Software\\Forms", "multi")->type, REG_MULTI_SZ);
  EXPECT_EQ(value("Software\\Forms", "multi")->data, utf16(std::u16string_view(u"one\0two\0", 8)));
  EXPECT_EQ(value("Software\\Forms", "dw")->type, REG_DWORD);
  EXPECT_EQ(value("Software\\Forms", "dw")->data, std::string("\x0f\x00\x00\x80", 4));
  EXPECT_EQ(value("Software\\Forms", "bin")->data, std::string("\x00\x01\xfe\xff", 4));
  EXPECT_EQ(value("Software\\Forms", "none")->type, REG_NONE);
  EXPECT_TRUE(value("Software\\Forms", "none")->data.empty());
  EXPECT_EQ(value("Software\\Forms", "qword")->type, REG_QWORD);
  EXPECT_EQ(value("Software\\Forms", "qword")->data.size(), 8u);
  EXPECT_EQ(value("Software\\Forms", "wine")->type, 0xffff0007u);
  ASSERT_NE(value("Software\\Forms", "spaced"), nullptr);
  EXPECT_EQ(key("Software\\Forms")->lastWrite, 0x1d9a1b2c3d4e5f6u);
}

TEST_F(WineRegFileTest, DecodesEscapesAndRawUtf8) {
  read(
      "\n[Esc\\\\Br\\[a\\]ck\\x00e9t] 1700000000\n"
      "\"q\\\"uote\"=\"back\\\\slash \\\"q\\\"\"\n"
      "\"c\"=\"\\a\\b\\t\\n\\v\\f\\r\\e|\\0|\\012|\\1a|\\777\"\n"
      "\"x\"=\"\\xe9\\x00e9A\\x65e5\\xd83d\\xde00\\xg\"\n"
      "\"raw\"=\"\xc3\xa9\xe6\x97\xa5\xf0\x9f\x98\x80\"\n"
      "\"other\"=\"\\q\\[\"\n");
  KeyNode* k = key("Esc\\Br[a]ck\xc3\xa9t");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->findValue("q\"uote")->data, utf16(u"back\\slash \"q\""));
  EXPECT_EQ(k->findValue("c")->data, utf16(std::u16string_view(u"\a\b\t\n\v\f\r\x1b|\0|\n|\x01"
                                                               u"a|\u01ff",
                                                               17)));
  EXPECT_EQ(k->findValue("x")->data, utf16(u"\u00e9\u00e9A\u65e5\U0001F600xg"));
  EXPECT_EQ(k->findValue("raw")->data, utf16(u"\u00e9\u65e5\U0001F600"));
  EXPECT_EQ(k->findValue("other")->data, utf16(u"q["));
}

TEST_F(WineRegFileTest, BuildsTheTreeFromKeyLines) {
  WineRegLayout layout = read(
      "\n[A\\\\B\\\\C] 1700000000\n\"v\"=\"1\"\n"
      "\n[a\\\\b\\\\D] 1700000100\n"
      "\n[A\\\\B\\\\C] 1700000200\n\"w\"=\"2\"\n"
      "\n[] 1700000300\n\"root\"=\"r\"\n"
      "\n[Link] 1700000400\n#link\n"
      "\"SymbolicLinkValue\"=hex(6):5c,00,52,00\n"
      "\n[Classy] 1700000500\n#class=\"my \\\"class\\\"\"\n"
      "\n[Old] 1700000600\n");
  ASSERT_EQ(root().findChild("A")->childCount(), 1u);  // names match without regard to case
  EXPECT_EQ(key("A\\B")->childCount(), 2u);
  KeyNode* c = key("A\\B\\C");
  EXPECT_NE(c->findValue("v"), nullptr);
  EXPECT_NE(c->findValue("w"), nullptr);  // a second block adds to the same key
  EXPECT_EQ(c->origin, 0u);
  EXPECT_EQ(layout.blocks[2].primary, 0u);
  EXPECT_EQ(root().findValue("root")->data, utf16(u"r"));
  EXPECT_TRUE(root().findChild("Link")->isLink);
  EXPECT_TRUE(root().findChild("Classy")->hasClass);
  EXPECT_EQ(root().findChild("Classy")->className, "my \"class\"");
  // Without #time the seconds give the time; keys without a block take their first subkey's.
  EXPECT_EQ(root().findChild("Old")->lastWrite, ticksFromUnixSeconds(1700000600));
  EXPECT_EQ(key("A")->lastWrite, ticksFromUnixSeconds(1700000000));
  EXPECT_EQ(layout.arch, "win64");
  // Blocks tile the text after the header, each beginning with its blank line.
  EXPECT_EQ(layout.headerEnd, std::string(kHeader).size());
  for (std::size_t i = 0; i + 1 < layout.blocks.size(); ++i)
    EXPECT_EQ(layout.blocks[i].end, layout.blocks[i + 1].begin);
  EXPECT_EQ(layout.blocks.back().end, text_.size());
  EXPECT_EQ(text_.substr(layout.blocks[1].begin, 3), "\n[a");
}

TEST_F(WineRegFileTest, ToleratesWhatWineWritesOrAccepts) {
  read("\r\n[Crlf] 1700000000\r\n\"v\"=\"x\"\r\n;; comment\n#unknown option\n\n[NoTime]\n");
  EXPECT_EQ(value("Crlf", "v")->data, utf16(u"x"));
  EXPECT_NE(key("NoTime"), nullptr);
}

TEST_F(WineRegFileTest, RefusesMalformedInputNamingFileAndLine) {
  EXPECT_EQ(errorOf("\"v\"=\"x\"\n"), "bad.reg:5: value outside a key");
  EXPECT_EQ(errorOf("\n[K] 1\ngarbage\n"), "bad.reg:7: unrecognised line");
  EXPECT_EQ(errorOf("\n[K 1\n"), "bad.reg:6: malformed key line (no closing ']')");
  EXPECT_EQ(errorOf("\n[K] x1\n"), "bad.reg:6: malformed key line (expected \"[path] seconds\")");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v\"=\"open\n"), "bad.reg:7: unterminated string");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v=\"x\"\n"), "bad.reg:7: malformed value (no '=' after the name)");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v\"=\"x\" trailing\n"),
            "bad.reg:7: unexpected text after the string");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v\"=hex:01,zz\n"), "bad.reg:7: malformed hex data");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v\"=hex:100\n"),
            "bad.reg:7: malformed hex data (byte out of range)");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v\"=hex:01,\\\n  02,\\\n"),
            "bad.reg:8: hex data continued past the end of the file");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v\"=dword:123456789\n"), "bad.reg:7: malformed dword value");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v\"=hex(x):00\n"), "bad.reg:7: malformed value type");
  EXPECT_EQ(errorOf("\n[K] 1\n\"v\"=str(3):\"x\"\n"), "bad.reg:7: unknown value type");
  EXPECT_EQ(errorOf("\n[K] 1\n#time=xyz\n"), "bad.reg:7: malformed #time line");
  EXPECT_EQ(errorOf("\n[K] 1\n#class=\"open\n"), "bad.reg:7: malformed #class line");
  EXPECT_EQ(errorOf("#arch=win16\n"), "bad.reg:5: unknown architecture \"win16\"");

  MemoryStore fresh;
  std::string notRegistry = "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n";
  try {
    readWineRegistry(fresh, fresh.hiveRoot(Hive::Machine), notRegistry, "x.reg");
    FAIL() << "a REGEDIT4 file was accepted";
  } catch (const StoreError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("x.reg:1: not a Wine registry file", 0), 0u);
  }
}

TEST_F(WineRegFileTest, ReadsTheUserSidFromTheHeader) {
  EXPECT_EQ(
      wineRegSidOf(wineRegRelativeTo(
          "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-7\n")),
      "S-1-5-21-7");
  EXPECT_EQ(wineRegSidOf(wineRegRelativeTo(
                "WINE REGISTRY Version 2\r\n;; All keys relative to \\\\User\\\\S-1-5-21-8\r\n")),
            "S-1-5-21-8");
  EXPECT_EQ(wineRegSidOf(wineRegRelativeTo(
                "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n")),
            "");
  EXPECT_EQ(wineRegRelativeTo("WINE REGISTRY Version 2\n\n"), "");
}

TEST_F(WineRegFileTest, EscapesAsWineserverDoes) {
  auto escaped = [](std::u16string_view units, std::string_view quote = "\"\"") {
    std::string out;
    appendWineEscaped(out, utf16(units, false), quote);
    return out;
  };
  EXPECT_EQ(escaped(u"\u00e9t"), "\\xe9t");
  EXPECT_EQ(escaped(u"\u00e9A"), "\\x00e9A");  // a hex digit follows: four digits
  EXPECT_EQ(escaped(u"\u65e5\u672c"), "\\x65e5\\x672c");
  EXPECT_EQ(escaped(std::u16string_view(u"\0x\0"
                                        u"7\x01",
                                        5)),
            "\\0x\\0007\\1");
  EXPECT_EQ(escaped(u"\a\b\t\n\v\f\r\x1b"), "\\a\\b\\t\\n\\v\\f\\r\\e");
  EXPECT_EQ(escaped(u"a\\b\"c[d]"), "a\\\\b\\\"c[d]");
  EXPECT_EQ(escaped(u"a\\b\"c[d]", "[]"), "a\\\\b\"c\\[d\\]");
}

TEST_F(WineRegFileTest, WritesBlocksThatReadBackTheSame) {
  KeyNode& parent = *store_.loadChild(root(), "Soft [x]");
  KeyNode& key = *store_.loadChild(parent, "K\xc3\xa9y");
  key.lastWrite = 0x1d9a1b2c3d4e5f6;
  key.hasClass = true;
  key.className = "cls";
  std::string longData(40, '\x5a');
  store_.loadValue(key, "", REG_SZ, utf16(u"d\u00e9f \"q\""));
  store_.loadValue(key, "na\"me", REG_EXPAND_SZ, utf16(u"%x%"));
  store_.loadValue(key, "dw", REG_DWORD, std::string("\x01\x02\x03\x04", 4));
  store_.loadValue(key, "odd", REG_SZ, std::string("a\0b", 3));  // not a terminated string
  store_.loadValue(key, "bin", REG_BINARY, longData);
  store_.loadValue(key, "big", 0xffff0007u, std::string("\x01", 1));
  std::string out;
  appendWineKeyBlock(out, key, root());
  const std::string time = "#time=1d9a1b2c3d4e5f6\n";
  EXPECT_EQ(
      out.substr(0, out.find('\n', 2) + 1),
      "\n[Soft \\[x\\]\\\\K\\xe9y] " + std::to_string(unixSecondsFromTicks(key.lastWrite)) + "\n");
  EXPECT_NE(out.find(time + "#class=\"cls\"\n@=\"d\\x00e9f \\\"q\\\"\"\n"), std::string::npos);
  EXPECT_NE(
      out.find("\"na\\\"me\"=str(2):\"%x%\"\n\"dw\"=dword:04030201\n\"odd\"=hex(1):61,00,62\n"),
      std::string::npos);
  // hex is wrapped after 76 columns, continuation lines indented by two blanks.
  EXPECT_NE(
      out.find(
          "\"bin\"=hex:5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,\\\n"
          "  5a,"),
      std::string::npos);
  EXPECT_NE(out.find("\"big\"=hex(ffff0007):01\n"), std::string::npos);

  MemoryStore other;
  std::string text = kHeader + out;
  readWineRegistry(other, other.hiveRoot(Hive::Machine), text, "again.reg");
  KeyNode* back = other.resolve(&other.hiveRoot(Hive::Machine), "Soft [x]\\K\xc3\xa9y");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->lastWrite, key.lastWrite);
  EXPECT_EQ(back->className, "cls");
  ASSERT_EQ(back->valueCount(), key.valueCount());
  for (std::size_t i = 0; i < key.valueCount(); ++i) {
    EXPECT_EQ(back->value(i).name, key.value(i).name);
    EXPECT_EQ(back->value(i).type, key.value(i).type);
    EXPECT_EQ(back->value(i).data, key.value(i).data) << key.value(i).name;
  }
}

TEST_F(WineRegFileTest, DecidesBlocksAsWineserverDoes) {
  KeyNode& a = *store_.loadChild(root(), "A");
  KeyNode& b = *store_.loadChild(a, "B");
  EXPECT_FALSE(wineNeedsBlock(a));  // exists through its subkey
  EXPECT_TRUE(wineNeedsBlock(b));   // no subkeys
  a.isLink = true;
  EXPECT_TRUE(wineNeedsBlock(a));
  a.isLink = false;
  a.hasClass = true;
  EXPECT_TRUE(wineNeedsBlock(a));
  a.hasClass = false;
  store_.loadValue(a, "v", REG_SZ, utf16(u"x"));
  EXPECT_TRUE(wineNeedsBlock(a));
}

// Write times at the ends of the range (a file may carry any #time) are
// written and read back unchanged; the seconds field before them is only a hint.
TEST_F(WineRegFileTest, KeepsExtremeWriteTimes) {
  for (FileTicks ticks : {FileTicks{0}, FileTicks{0x8000000000000000ull}, ~FileTicks{0}}) {
    KeyNode& key = *store_.loadChild(root(), "T" + std::to_string(ticks));
    key.lastWrite = ticks;
    std::string out;
    appendWineKeyBlock(out, key, root());
    MemoryStore other;
    std::string text = kHeader + out;
    readWineRegistry(other, other.hiveRoot(Hive::Machine), text, "times.reg");
    KeyNode* back = other.resolve(&other.hiveRoot(Hive::Machine), key.name());
    ASSERT_NE(back, nullptr) << out;
    EXPECT_EQ(back->lastWrite, ticks) << out;
  }
}

}  // namespace
}  // namespace hw::platform
