// Registry files no Wine would write but a damaged disk or a hostile hand
// might: each is read (and written back unchanged) or refused with its file
// and line named, never a crash, a hang or an overflowing stack.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/MemoryStore.h"
#include "platform/StoreError.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "platform/wine/WineRegFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextFiles.h"

namespace hw::platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSystemHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n";
constexpr const char* kUserHeader =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
    "#arch=win64\n";

// A key line nesting `levels` keys: [D\\D\\...] with a value below.
std::string NestedBlock(std::size_t levels) {
  std::string path = "D";
  for (std::size_t i = 1; i < levels; ++i) path += "\\\\D";
  return "\n[" + path + "] 1700000000\n\"v\"=dword:00000001\n";
}

// A link key's block, its target held as Windows holds it: UTF-16 without a zero.
std::string LinkBlock(const std::string& key, const std::string& target) {
  std::string line = "\n[" + key + "] 1700000000\n#link\n\"SymbolicLinkValue\"=hex(6):";
  char byte[8];
  for (std::size_t i = 0; i < target.size(); ++i) {
    std::snprintf(byte, sizeof byte, "%s%02x,00", i ? "," : "",
                  static_cast<unsigned char>(target[i]));
    line += byte;
  }
  return line + "\n";
}

class HostileRegFileTest : public ::testing::Test {
 protected:
  HostileRegFileTest() { fs::create_directory(prefix_); }

  void WritePrefix(const std::string& systemBody, const std::string& userBody = {}) {
    test::WriteTextFile(prefix_ / "system.reg", kSystemHeader + systemBody);
    test::WriteTextFile(prefix_ / "user.reg", kUserHeader + userBody);
  }
  std::string OpenError() {
    try {
      WinePrefixStore::open(prefix_);
    } catch (const FileError& error) {
      return error.what();
    }
    return "opened";
  }
  // Saves after changing a key of its own, which must leave every other block
  // of system.reg as it was.
  void ExpectOtherBlocksKept() {
    const std::string before = test::ReadTextFile(prefix_ / "system.reg");
    auto store = WinePrefixStore::open(prefix_);
    store->createChild(store->hiveRoot(Hive::Machine), "Added");
    store->save();
    const std::string after = test::ReadTextFile(prefix_ / "system.reg");
    EXPECT_EQ(after.substr(0, before.size()), before);
    EXPECT_NE(after.find("[Added]"), std::string::npos);
  }

  test::TempDir dir_;
  fs::path prefix_ = dir_.path() / "pfx";
};

// A named pipe in place of a file of the prefix would block a read for ever.
TEST_F(HostileRegFileTest, AHiveThatIsNoRegularFileIsRefused) {
  WritePrefix("");
  ASSERT_EQ(::mkfifo((prefix_ / "wineserver").c_str(), 0600), 0);
  EXPECT_EQ(OpenError(), "opened");
  fs::remove(prefix_ / "user.reg");
  ASSERT_EQ(::mkfifo((prefix_ / "user.reg").c_str(), 0600), 0);
  EXPECT_NE(OpenError().find("user.reg: not a regular file"), std::string::npos);
}

// Windows nests keys at most 512 levels deep; Wine's loader takes any depth,
// and so does the reader. The tree is read, kept and freed without recursion.
TEST_F(HostileRegFileTest, KeysNestedDeeperThanWindowsAllowsAreReadAndKept) {
  constexpr std::size_t kLevels = 200000;
  WritePrefix(NestedBlock(kLevels), NestedBlock(600));
  ExpectOtherBlocksKept();
  auto store = WinePrefixStore::open(prefix_);
  KeyNode* key = &store->hiveRoot(Hive::Machine);
  for (std::size_t level = 0; key && level < kLevels; ++level) key = key->findChild("D");
  ASSERT_NE(key, nullptr);
  EXPECT_NE(key->findValue("v"), nullptr);
  store.reset();  // a recursive destructor overflows the stack here
}

TEST_F(HostileRegFileTest, AValueOfTensOfMegabytesIsReadAndKept) {
  const std::size_t chars = 12u << 20;
  std::string hex;
  hex.reserve(3u << 21);
  for (std::size_t i = 0; i < (1u << 21); ++i) hex += i ? ",5a" : "5a";
  WritePrefix("\n[Big] 1700000000\n\"text\"=\"" + std::string(chars, 'b') +
              "\"\n\"bin\"=hex:" + hex + "\n");
  {
    auto store = WinePrefixStore::open(prefix_);
    KeyNode* big = store->resolve(&store->hiveRoot(Hive::Machine), "Big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->findValue("text")->data.size(), 2 * chars + 2);
    EXPECT_EQ(big->findValue("bin")->data, std::string(1u << 21, 'Z'));
  }
  ExpectOtherBlocksKept();
}

// Control characters and bytes that are no UTF-8 are decoded as wineserver
// decodes them; their blocks are copied through untouched, and a rewritten
// block reads back as the same names.
TEST_F(HostileRegFileTest, ControlCharactersAndInvalidUtf8InNames) {
  const std::string hostile = std::string("\n[Odd\x01\x1f\x7f\\\\Bad\xff\xfe\x80\xc0\xaf\xe2\x82") +
                              "] 1700000000\n\"tab\there\x01\xff\"=\"bell\x07\xc3\"\n" +
                              "\"\\x0000nul\"=\"\\0inner\"\n";
  WritePrefix(hostile);
  ExpectOtherBlocksKept();
  EXPECT_NE(test::ReadTextFile(prefix_ / "system.reg").find(hostile), std::string::npos);

  std::vector<std::pair<std::string, std::string>> seen;
  {
    auto store = WinePrefixStore::open(prefix_);
    KeyNode* odd = store->hiveRoot(Hive::Machine).child(0);
    ASSERT_EQ(odd->childCount(), 1u);
    KeyNode* bad = odd->child(0);
    for (std::size_t i = 0; i < bad->valueCount(); ++i)
      seen.emplace_back(bad->value(i).name, bad->value(i).data);
    seen.emplace_back(odd->name(), bad->name());
    store->setValue(*bad, "added", REG_DWORD, std::string(4, '\0'));  // rewrites the block
    store->save();
  }
  auto store = WinePrefixStore::open(prefix_);
  KeyNode* bad = store->hiveRoot(Hive::Machine).child(0)->child(0);
  std::vector<std::pair<std::string, std::string>> again;
  for (std::size_t i = 0; i < bad->valueCount(); ++i)
    if (bad->value(i).name != "added") again.emplace_back(bad->value(i).name, bad->value(i).data);
  again.emplace_back(bad->parent()->name(), bad->name());
  EXPECT_EQ(again, seen);
}

// Links that point at each other or at their own ancestor are read and kept;
// opening through them fails instead of looping.
TEST_F(HostileRegFileTest, LinkLoopsAreReadAndNeverFollowedForever) {
  WritePrefix(LinkBlock("A", "\\Registry\\Machine\\B") + LinkBlock("B", "\\Registry\\Machine\\A") +
              LinkBlock("Up\\\\Back", "\\Registry\\Machine\\Up") +
              LinkBlock("Self", "\\Registry\\Machine\\Self"));
  ExpectOtherBlocksKept();
  auto store = WinePrefixStore::open(prefix_);
  StoreRegistryApi api(*store);
  for (const char* path : {"A", "B", "Self", "A\\Below", "Up\\Back"}) {
    HKEY key = nullptr;
    EXPECT_EQ(api.RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, KEY_READ, &key), ERROR_FILE_NOT_FOUND)
        << path;
  }
}

// A file cut anywhere in its last lines, as a full disk or a crash of another
// writer leaves it, is read whole or refused with the line that broke off.
TEST_F(HostileRegFileTest, ATruncatedFileIsReadOrRefusedNamingTheLine) {
  const std::string full = std::string(kSystemHeader) +
                           "\n[Software\\\\Vendor] 1700000000\n#time=1d2b3c4d5e6f708\n"
                           "#class=\"cls\"\n\"Path\"=str(2):\"C:\\\\x\\\\y.exe\"\n"
                           "\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,\\\n"
                           "  12,13,14\n\"Dw\"=dword:0000ffff\n";
  int refused = 0;
  for (std::size_t cut = std::string(kSystemHeader).size(); cut < full.size(); ++cut) {
    MemoryStore store;
    const std::string text = full.substr(0, cut);
    try {
      readWineRegistry(store, store.hiveRoot(Hive::Machine), text, "cut.reg");
    } catch (const StoreError& error) {
      ++refused;
      const std::string line = std::to_string(std::count(text.begin(), text.end(), '\n') +
                                              (text.back() == '\n' ? 0 : 1));
      EXPECT_EQ(std::string(error.what()).rfind("cut.reg:" + line + ": ", 0), 0u)
          << error.what() << " (cut at " << cut << ")";
    }
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace hw::platform
