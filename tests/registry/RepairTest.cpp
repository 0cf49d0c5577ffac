#include "registry/Repair.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Text.h"
#include "registry/RegExport.h"
#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

class NoMessages : public TBackupMessages {
 public:
  void ShowMessage(const std::string& text) override { ADD_FAILURE() << text; }
};

class RepairTest : public test::RegistryFixture {
 protected:
  TRepairKey Key(const std::string& path) const {
    return {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "\\" + path};
  }
  // The pending blocks newest first, as the file will list them.
  std::vector<std::string> Blocks() const {
    std::vector<std::string> blocks;
    for (std::size_t i = backup.Pending(); i-- > 0;) blocks.push_back(Block(i));
    return blocks;
  }
  std::string Block(std::size_t i) const;

  NoMessages messages;
  TRegBackup backup{"unused.reg", true, TRegBlockFormat(&platform::Windows1252()), messages};
};

std::string RepairTest::Block(std::size_t i) const {
  const TRegBlock& block = backup.BlockAt(i);
  return block.ValueLine.empty() ? block.KeyLine : block.KeyLine + "|" + block.ValueLine;
}

const char* const kKeyLine = "[HKEY_CURRENT_USER\\Software\\A]";

TEST_P(RepairTest, DeletingTheLastValueDeletesTheKeyBareKeyBlockFirst) {
  AddString("Software\\A", "v", "C:\\gone.exe");
  AddString("Software\\A", "w", "keep");
  RepairDeleteValue(api, Key("Software\\A"), "v", &backup);
  EXPECT_TRUE(ValueAbsent("Software\\A", "v"));
  EXPECT_TRUE(KeyPresent("Software\\A"));
  RepairDeleteValue(api, Key("Software\\A"), "w", &backup);
  EXPECT_TRUE(KeyAbsent("Software\\A"));
  EXPECT_EQ(Blocks(),
            (std::vector<std::string>{kKeyLine, std::string(kKeyLine) + "|\"w\"=\"keep\"",
                                      std::string(kKeyLine) + "|\"v\"=\"C:\\\\gone.exe\""}));
  EXPECT_EQ(api.openHandleCount(), 0u);
}

TEST_P(RepairTest, RenamingOntoAnExistingNameDeletesTheOldValueOnly) {
  AddDword("Software\\A", "C:\\old\\x.dll", 2);
  AddDword("Software\\A", "C:\\new\\x.dll", 1);
  RepairRewriteValue(api, Key("Software\\A"), "C:\\old\\x.dll", "C:\\new\\x.dll", true, &backup);
  EXPECT_TRUE(ValueAbsent("Software\\A", "C:\\old\\x.dll"));
  EXPECT_TRUE(RawIs("Software\\A", "C:\\new\\x.dll", REG_DWORD, test::DwordBytes(1)));
  EXPECT_EQ(Blocks(), (std::vector<std::string>{std::string(kKeyLine) +
                                                "|\"C:\\\\old\\\\x.dll\"=dword:00000002"}));

  // A free name: the value moves, and the backup removes it under the new name again.
  RepairRewriteValue(api, Key("Software\\A"), "C:\\new\\x.dll", "D:\\x.dll", true, &backup);
  EXPECT_TRUE(RawIs("Software\\A", "D:\\x.dll", REG_DWORD, test::DwordBytes(1)));
  const std::vector<std::string> blocks = Blocks();
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0], std::string(kKeyLine) + "|\"D:\\\\x.dll\"=-");
  EXPECT_EQ(blocks[1], std::string(kKeyLine) + "|\"C:\\\\new\\\\x.dll\"=dword:00000001");
}

TEST_P(RepairTest, RewritingAnExpandableStringStoresAPlainOneAndBacksUpTheOldType) {
  AddString("Software\\A", "p", "%X%\\gone.exe", REG_EXPAND_SZ);
  RepairRewriteValue(api, Key("Software\\A"), "p", "C:\\found.exe", false, &backup);
  EXPECT_TRUE(StringIs("Software\\A", "p", "C:\\found.exe", REG_SZ));
  EXPECT_EQ(Blocks(),
            (std::vector<std::string>{std::string(kKeyLine) +
                                      "|\"p\"=hex(2):25,58,25,5C,67,6F,6E,65,2E,65,78,65,00"}));
}

TEST_P(RepairTest, WithoutBackupOrAnOpenKey) {
  AddString("Software\\A", "v", "x");
  RepairDeleteValue(api, Key("Software\\Missing"), "v", &backup);
  RepairDeleteKey(api, {platform::invalidRootKey(), "HKEY_NOWHERE", "\\Software\\A"}, &backup);
  EXPECT_EQ(backup.Pending(), 0u);
  EXPECT_TRUE(KeyPresent("Software\\A"));
  RepairDeleteValue(api, Key("Software\\A"), "v", nullptr);
  EXPECT_TRUE(KeyAbsent("Software\\A"));
}

TEST_P(RepairTest, ASubtreeIsBackedUpKeyByKeyAndLinksAreNeverFollowed) {
  AddString("Software\\Target", "t", "precious");
  AddKey("Software\\Target\\Sub");
  AddString("Software\\A", "v1", "1");
  AddString("Software\\A", "v2", "2");
  AddString("Software\\A\\B", "b", "3");
  AddKey("Software\\A\\B\\C");

  RepairDeleteKey(api, Key("Software\\A"), &backup);
  EXPECT_TRUE(KeyAbsent("Software\\A"));
  const std::string a = kKeyLine;
  const std::string b = "[HKEY_CURRENT_USER\\Software\\A\\B]";
  EXPECT_EQ(Blocks(), (std::vector<std::string>{a, a + "|\"v2\"=\"2\"", a + "|\"v1\"=\"1\"", b,
                                                b + "|\"b\"=\"3\"",
                                                "[HKEY_CURRENT_USER\\Software\\A\\B\\C]"}));
  backup.Truncate(0);

  // A link would come back from the backup as an ordinary key: with a backup
  // the entry is refused, inside the subtree or as the key itself.
  const std::string target = store.nativePath(FindKey("Software\\Target"));
  for (const char* path : {"Software\\A\\Link", "Software\\TopLink"}) {
    AddString("Software\\A", "v", "x");
    platform::KeyNode& link = AddKey(path);
    AddRaw(path, "SymbolicLinkValue", REG_LINK, platform::utf8ToUtf16(target));
    link.isLink = true;
  }
  EXPECT_THROW(RepairDeleteKey(api, Key("Software\\A"), &backup), EBackupText);
  EXPECT_THROW(RepairDeleteKey(api, Key("Software\\TopLink"), &backup), EBackupText);
  EXPECT_EQ(backup.Pending(), 0u);
  EXPECT_TRUE(KeyPresent("Software\\A\\Link"));
  EXPECT_TRUE(KeyPresent("Software\\TopLink"));

  // Without a backup only the links go, never what they point at.
  RepairDeleteKey(api, Key("Software\\A"), nullptr);
  RepairDeleteKey(api, Key("Software\\TopLink"), nullptr);
  EXPECT_TRUE(KeyAbsent("Software\\A"));
  EXPECT_TRUE(KeyAbsent("Software\\TopLink"));
  EXPECT_TRUE(StringIs("Software\\Target", "t", "precious"));
  EXPECT_TRUE(KeyPresent("Software\\Target\\Sub"));
  EXPECT_EQ(api.openHandleCount(), 0u);
}

TEST_P(RepairTest, EveryValueFormIsBackedUpExactlyOrItsKeyIsLeftAlone) {
  using namespace std::string_literals;
  const std::string u16 = platform::utf8ToUtf16("two\r\nlines\0"s);
  AddRaw("Software\\A", "Lines", REG_SZ, u16);
  AddRaw("Software\\A", "a\nb", REG_SZ, platform::utf8ToUtf16("x\0"s));
  AddRaw("Software\\A\\B", "Be", 5, "\0\0\0\x01"s);
  RepairDeleteKey(api, Key("Software\\A"), &backup);
  EXPECT_TRUE(KeyAbsent("Software\\A"));
  EXPECT_EQ(Blocks().at(2),
            std::string(kKeyLine) + "|\"Lines\"=hex(1):74,77,6F,0D,0A,6C,69,6E,65,73,00");
  EXPECT_EQ(Blocks().at(1), std::string(kKeyLine) + "|\"a\\nb\"=\"x\"");

  // What the editor cannot bring back exactly keeps its whole key.
  const std::string refused[][2] = {
      {"Nul", "a\0b"s}, {"Odd", "A\0B"s}, {"Unterminated", "A\0B\0"s}};
  for (const auto& [path, form] : refused) {
    const std::string key = "Software\\" + path + "\\Deep";
    AddString(key, "keep", "x");
    if (path == "Nul")
      AddRaw(key, form, REG_BINARY, "");
    else
      AddRaw(key, "v", REG_SZ, form);
    EXPECT_THROW(RepairDeleteKey(api, Key("Software\\" + path), &backup), EBackupText) << path;
    EXPECT_TRUE(StringIs(key, "keep", "x")) << path;
  }
  // Nor can a value of that name be addressed to delete it alone.
  EXPECT_THROW(RepairDeleteValue(api, Key("Software\\Nul\\Deep"), "a\0b"s, nullptr), EBackupText);
  EXPECT_TRUE(StringIs("Software\\Nul\\Deep", "keep", "x"));
  EXPECT_EQ(api.openHandleCount(), 0u);
}

TEST_P(RepairTest, AKeyDeeperThanTheBackupReachesIsNotDeleted) {
  std::string path = "Software\\A";
  for (int i = 0; i < 512; ++i) path += "\\k";
  AddString(path, "deep", "kept");
  RepairDeleteKey(api, Key("Software\\A"), &backup);
  EXPECT_TRUE(StringIs(path, "deep", "kept"));
}

TEST_P(RepairTest, AnEntryTheBackupCannotHoldIsLeftAlone) {
  AddString("Software\\Ωmega", "v", "x");
  EXPECT_THROW(RepairDeleteKey(api, Key("Software\\Ωmega"), &backup), EBackupText);
  EXPECT_THROW(RepairDeleteValue(api, Key("Software\\Ωmega"), "v", &backup), EBackupText);
  EXPECT_TRUE(StringIs("Software\\Ωmega", "v", "x"));
  AddString("Software\\A", "v", "x");
  EXPECT_THROW(RepairRewriteValue(api, Key("Software\\A"), "v", "Ω", true, &backup), EBackupText);
  EXPECT_TRUE(StringIs("Software\\A", "v", "x"));
}

HW_INSTANTIATE_OVER_STORES(RepairTest);

}  // namespace
}  // namespace hw
