// Deleting and moving keys that are symbolic links, over every backend of the
// calls (the real registry too, in the Windows build).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/NTRegistry.h"
#include "tests/support/RegistrySandbox.h"

namespace hw {
namespace {

class NTRegistryLinkTest : public test::RegistrySandbox {
 protected:
  void Close(HKEY key) { api().RegCloseKey(key); }
  // The subkeys of a key below the sandbox, read through any link.
  std::vector<std::string> SubKeysOf(const std::string& path) {
    HKEY key = Open(path);
    std::vector<std::string> names = SubKeys(key);
    Close(key);
    return names;
  }
  bool Exists(const std::string& path) {
    HKEY key = nullptr;
    if (api().RegOpenLinkKeyA(base, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS) return false;
    Close(key);
    return true;
  }

  const std::string sandbox = "\\" + test::SandboxPath() + "\\";
};

TEST_P(NTRegistryLinkTest, DeletingOrMovingALinkRemovesTheLinkOnly) {
  Close(Create("Target\\Sub"));
  HKEY target = Open("Target", KEY_ALL_ACCESS);
  SetString(target, "v", "precious");
  Close(target);
  Close(Create("Tree\\Plain"));
  MakeLink("Link", "Target");
  MakeLink("Tree\\Inner", "Target");
  MakeLink("Moving", "Target");

  TNTRegistry reg(api());
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_TRUE(reg.DeleteKey(sandbox + "Link"));
  EXPECT_FALSE(Exists("Link"));
  EXPECT_EQ(SubKeysOf("Target"), std::vector<std::string>{"Sub"});

  EXPECT_TRUE(reg.DeleteKey(sandbox + "Tree"));
  EXPECT_FALSE(Exists("Tree"));
  EXPECT_EQ(SubKeysOf("Target"), std::vector<std::string>{"Sub"});

  // A move reads through the link, as opening it does, and removes the link.
  EXPECT_TRUE(reg.MoveKey(sandbox + "Moving", sandbox + "Moved", true));
  EXPECT_FALSE(Exists("Moving"));
  EXPECT_EQ(SubKeysOf("Moved"), std::vector<std::string>{"Sub"});
  EXPECT_EQ(SubKeysOf("Target"), std::vector<std::string>{"Sub"});
  target = Open("Target");
  EXPECT_EQ(Read(target, "v"), std::string("precious", 9));
  Close(target);
}

HW_INSTANTIATE_OVER_APIS(NTRegistryLinkTest);

}  // namespace
}  // namespace hw
