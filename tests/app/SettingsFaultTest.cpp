// Saving the settings under disk faults: ESettingsNotSaved names the prefix
// file and the reason, and user.reg stays as it was.

#include <gtest/gtest.h>

#include <string>

#include "app/settings/SettingsStore.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "tests/support/FileFaults.h"
#include "tests/support/TempDir.h"

namespace hw {
namespace {

constexpr const char* kProgram = "/opt/hivewarden/bin";

TEST(SettingsFaultTest, AFailedSaveKeepsThePrefixFiles) {
  test::TempDir dir;
  platform::WinePrefixStore::createEmpty(dir.path())->save();
  for (const test::DiskFault& fault : test::WriteFaults()) {
    auto prefix = platform::WinePrefixStore::open(dir.path());
    platform::StoreRegistryApi api(*prefix);
    TSettingsStore settingsStore(PrefixSettingsLocation(api, *prefix), kProgram);
    TSettings settings = TSettings::Fresh(kProgram);
    settings.Window.OutWidth = 222;
    test::ExpectCleanFailure(dir.path(), "user.reg", fault, [&] {
      try {
        settingsStore.SaveSettings(settings);
      } catch (const ESettingsNotSaved& failure) {
        EXPECT_EQ(std::string(failure.what()).rfind("The settings were not saved. ", 0), 0u);
        return std::string(failure.what());
      }
      return std::string();
    });
  }
}

}  // namespace
}  // namespace hw
