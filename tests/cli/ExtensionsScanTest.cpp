// scan --categories extensions: the file-type check over HKEY_CLASSES_ROOT,
// which no root of the window's list carries.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/ScanCommand.h"
#include "platform/StoreRegistryApi.h"
#include "platform/WinePrefixStore.h"
#include "registry/NTRegistry.h"
#include "tests/support/TempDir.h"

namespace hw::cli {
namespace {

class ExtensionsScanTest : public ::testing::Test {
 protected:
  ExtensionsScanTest() {
    auto store = platform::WinePrefixStore::createEmpty(dir.path());
    platform::StoreRegistryApi api(*store);
    TNTRegistry reg(api);
    // HKEY_CLASSES_ROOT is the machine's Software\Classes.
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.OpenKey("\\Software\\Classes\\.foo", true);
    reg.WriteString("", "nosuchfile");
    reg.OpenKey("\\Software\\Classes\\.txt", true);
    reg.WriteString("", "txtfile");
    reg.CreateKey("\\Software\\Classes\\txtfile");
    reg.CloseKey();
    store->save();
  }

  // The lines of the findings of the file-type category.
  std::vector<std::string> Scan(TAnalyzCategories categories) {
    ScanOptions options;
    options.prefix = dir.path().string();
    options.categories = categories;
    options.useExclusions = false;
    std::ostringstream out, err;
    RunScan(options, out, err, false);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
      if (line.starts_with("{\"category\":7,")) lines.push_back(line);
    return lines;
  }

  test::TempDir dir;
};

TEST_F(ExtensionsScanTest, ReportsOnceWithTheProblemKindsNamed) {
  // HKEY_CLASSES_ROOT is also walked for the paths, which must not repeat it.
  std::vector<std::string> lines = Scan({acInvalidPaths, acInvalidExts});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(0, lines[0].find(",\"keyWritable\"")),
            "{\"category\":7,\"key\":\"[HKEY_CLASSES_ROOT] .foo\",\"value\":\"\",\"data\":\"\","
            "\"badPath\":\", etExtAbsentNameKey\",\"flags\":[\"etExtAbsentNameKey\"],"
            "\"pathCount\":1");
}

TEST_F(ExtensionsScanTest, NotCheckedUnlessAskedFor) {
  EXPECT_EQ(Scan({acInvalidPaths, acEmptyKeys}), std::vector<std::string>{});
}

}  // namespace
}  // namespace hw::cli
