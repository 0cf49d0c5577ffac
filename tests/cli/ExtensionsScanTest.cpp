// scan --categories extensions: the file-type check over HKEY_CLASSES_ROOT,
// which no root of the window's list carries.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/ScanCommand.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "registry/NTRegistry.h"
#include "tests/support/TempDir.h"

namespace hw::cli {
namespace {

TEST(ExtensionsScanTest, ReportsOnceWithTheProblemKindsNamedAndOnlyWhenAskedFor) {
  test::TempDir dir;
  {
    auto store = platform::WinePrefixStore::createEmpty(dir.path());
    platform::StoreRegistryApi api(*store);
    TNTRegistry reg(api);
    // HKEY_CLASSES_ROOT is the machine's Software\Classes.
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.OpenKey("\\Software\\Classes\\.foo", true);
    reg.WriteString("", "nosuchfile");
    reg.CloseKey();
    store->save();
  }
  std::filesystem::create_directories(dir.path() / "drive_c");
  std::filesystem::create_directories(dir.path() / "dosdevices");
  std::filesystem::create_directory_symlink("../drive_c", dir.path() / "dosdevices" / "c:");
  // The file-type findings of a scan.
  auto scan = [&](TAnalyzCategories categories) {
    ScanOptions options;
    options.prefix = dir.path().string();
    options.categories = categories;
    options.useExclusions = false;
    std::ostringstream out, err;
    RunScan(options, out, err, false);
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
      if (line.starts_with("{\"category\":7,"))
        lines.push_back(line.substr(0, line.find(",\"keyW")));
    return lines;
  };

  // HKEY_CLASSES_ROOT is also walked for the paths, which must not repeat the report.
  EXPECT_EQ(scan({acInvalidPaths, acInvalidExts}),
            std::vector<std::string>{
                "{\"category\":7,\"key\":\"[HKEY_CLASSES_ROOT] .foo\",\"value\":\"\",\"data\":\"\","
                "\"badPath\":\", etExtAbsentNameKey\",\"flags\":[\"etExtAbsentNameKey\"],"
                "\"pathCount\":1"});
  EXPECT_EQ(scan({acInvalidPaths, acEmptyKeys}), std::vector<std::string>{});
}

}  // namespace
}  // namespace hw::cli
