#include "search/SearchFolders.h"

#include <gtest/gtest.h>

#include "tests/results/ResultsFakes.h"
#include "tests/support/FakeFileSystem.h"

namespace hw {
namespace {

using Folders = std::vector<std::string>;

TEST(SearchFolderListTest, AddRuleRefusesCoveredFoldersAndReplacesInnerOnes) {
  struct Case {
    Folders listed;
    std::string added;
    int index;
    Folders after;
  };
  const Case cases[] = {
      {{"C:\\"}, "C:\\Data", -1, {"C:\\"}},
      {{"C:\\Data", "D:\\", "C:\\Temp"}, "C:\\", 0, {"C:\\", "D:\\"}},
      {{"C:\\Apps"}, "c:\\APPS", -1, {"C:\\Apps"}},
      {{"C:\\Apps\\"}, "C:\\Apps\\Tool", -1, {"C:\\Apps\\"}},
      // Whole names only: a longer sibling is neither covered nor covering.
      {{"C:\\Data"}, "C:\\Database", 1, {"C:\\Data", "C:\\Database"}},
      {{"C:\\Database"}, "C:\\Data", 1, {"C:\\Database", "C:\\Data"}},
      {{}, "E:\\", 0, {"E:\\"}},
      // Stored lists may already nest; a refusal changes nothing.
      {{"C:\\A\\B", "C:\\"}, "C:\\A", -1, {"C:\\A\\B", "C:\\"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.added);
    TSearchFolderList list;
    list.Assign(c.listed);
    EXPECT_EQ(list.AddFolder(c.added), c.index);
    EXPECT_EQ(list.Folders(), c.after);
  }
}

TEST(SearchFolderListTest, ChosenFolderRefusalShowsMessage5AndRemovalTakesTheSelection) {
  test::FakeTextSource texts;
  TSearchFolderList list;
  list.Assign({"C:\\", "D:\\Games", "E:\\"});
  EXPECT_EQ(list.AddChosenFolder("", texts), std::nullopt);
  EXPECT_EQ(list.AddChosenFolder("F:\\x", texts), std::nullopt);
  EXPECT_EQ(list.AddChosenFolder("C:\\Windows", texts), "M5 \"C:\\Windows\"");

  list.RemoveAt({3, 0, 9, 3, -1});
  EXPECT_EQ(list.Folders(), (Folders{"D:\\Games", "E:\\"}));
}

TEST(SearchFolderListTest, DefaultsAreTheFixedAndRamDriveRootsOfAnEmptyList) {
  test::FakeFileSystem files;
  files.SetDrive('z', DRIVE_FIXED);
  files.SetDrive('c', DRIVE_FIXED);
  files.SetDrive('d', DRIVE_CDROM);
  files.SetDrive('r', DRIVE_RAMDISK);
  TSearchFolderList list;
  list.FillDefaults(files);
  EXPECT_EQ(list.Folders(), (Folders{"C:\\", "R:\\", "Z:\\"}));
  list.Assign({"D:\\x"});
  list.FillDefaults(files);
  EXPECT_EQ(list.Folders(), (Folders{"D:\\x"}));
}

TEST(ExcludedDriveListTest, AddLetterFollowsTheFieldRules) {
  TExcludedDriveList drives;
  struct Step {
    std::string field, after;
  };
  const Step steps[] = {{"d", "D"}, {"1", ""}, {"D", ""}, {"", ""}, {"eX", "EX"}};
  for (const Step& step : steps) EXPECT_EQ(drives.AddLetter(step.field), step.after) << step.field;
  EXPECT_EQ(drives.Drives(), (Folders{"D:", "E:"}));
  EXPECT_TRUE(drives.Excludes("e:\\Games"));
  EXPECT_FALSE(drives.Excludes("C:\\"));
  drives.RemoveAt({0});
  EXPECT_EQ(drives.Drives(), (Folders{"E:"}));
}

}  // namespace
}  // namespace hw
