#include "registry/StoredList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Version.h"
#include "registry/RegistryException.h"
#include "tests/support/RegistryFixture.h"

namespace hw {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* kKey = "Software\\Quornel Software\\HVW\\1.0";

class StoredListTest : public test::RegistryFixture {
 protected:
  TStoredLists lists{api, kKey};
};

TEST(SettingsKeyTest, IsTheBaseKeyFollowedByMajorDotMinor) {
  EXPECT_EQ(SettingsKeyPath(),
            std::string("Software\\Quornel Software\\HVW\\") + version::kVersionText);
  EXPECT_EQ(version::kVersionText,
            std::to_string(version::kMajor) + "." + std::to_string(version::kMinor));
}

TEST_P(StoredListTest, ItemsAreValueNamesWithTheirPositionAsData) {
  lists.SaveListToRegistry("Searching_paths", {"C:\\", "D:\\Data"});
  const std::string sub = std::string(kKey) + "\\Searching_paths";
  EXPECT_TRUE(StringIs(sub, "C:\\", "0"));
  EXPECT_TRUE(StringIs(sub, "D:\\Data", "1"));

  Strings read = {"default"};
  EXPECT_TRUE(lists.LoadListFromRegistry("Searching_paths", read));
  EXPECT_EQ(read, (Strings{"C:\\", "D:\\Data"}));
}

TEST_P(StoredListTest, SavingReplacesTheWholeSubkeyAndDataIsNeverRead) {
  const std::string sub = std::string(kKey) + "\\Excluded_drvs";
  AddString(sub, "Q:", "not a number");
  AddString(sub + "\\Below", "x", "y");
  Strings read;
  ASSERT_TRUE(lists.LoadListFromRegistry("Excluded_drvs", read));
  EXPECT_EQ(read, Strings{"Q:"});

  lists.SaveListToRegistry("Excluded_drvs", {"D:"});
  EXPECT_TRUE(ValueAbsent(sub, "Q:"));
  EXPECT_TRUE(KeyAbsent(sub + "\\Below"));
  EXPECT_TRUE(StringIs(sub, "D:", "0"));
}

TEST_P(StoredListTest, TextsDifferingOnlyInCaseCollapseIntoOne) {
  lists.SaveListToRegistry("Searching_paths", {"C:\\", "c:\\", "C:\\"});
  Strings read;
  ASSERT_TRUE(lists.LoadListFromRegistry("Searching_paths", read));
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0], "C:\\");
}

TEST_P(StoredListTest, AnEmptyListLeavesNoSubkeyAndLoadingKeepsTheDefaults) {
  lists.SaveListToRegistry("Excluded_drvs", {"D:"});
  lists.SaveListToRegistry("Excluded_drvs", {});
  EXPECT_TRUE(KeyAbsent(std::string(kKey) + "\\Excluded_drvs"));

  Strings defaults = {"C:\\", "E:\\"};
  EXPECT_FALSE(lists.LoadListFromRegistry("Excluded_drvs", defaults));
  EXPECT_EQ(defaults, (Strings{"C:\\", "E:\\"}));
  // An existing but empty subkey is no list either.
  AddKey(std::string(kKey) + "\\Searching_paths");
  EXPECT_FALSE(lists.LoadListFromRegistry("Searching_paths", defaults));
  EXPECT_EQ(defaults.size(), 2u);
}

TEST_P(StoredListTest, LoadingCreatesNothing) {
  // A scan that reads the stored lists must not find an empty settings key
  // that the reading made.
  Strings list;
  EXPECT_FALSE(lists.LoadListFromRegistry("Excluded_paths_entries", list));
  EXPECT_TRUE(KeyAbsent("Software\\Quornel Software"));
}

TEST_P(StoredListTest, AStoreThatRefusesWritesFailsWithItsReasonAndKeepsTheList) {
  lists.SaveListToRegistry("Excluded_drvs", {"D:"});
  store.refuseWrites("Wine is running in this prefix; close its programs first.");
  TStoredLists guarded(api, kKey, &store);
  try {
    guarded.SaveListToRegistry("Excluded_drvs", {"E:"});
    FAIL() << "the save was not refused";
  } catch (const ERegistryException& error) {
    EXPECT_STREQ(error.what(), "Wine is running in this prefix; close its programs first.");
  }
  // Without the store to ask, the registry's own refusal still raises.
  EXPECT_THROW(lists.SaveListToRegistry("Excluded_drvs", {"E:"}), ERegistryException);
  Strings read;
  EXPECT_TRUE(guarded.LoadListFromRegistry("Excluded_drvs", read));
  EXPECT_EQ(read, Strings{"D:"});
}

HW_INSTANTIATE_OVER_STORES(StoredListTest);

}  // namespace
}  // namespace hw
