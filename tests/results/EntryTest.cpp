#include "results/Entry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hw {
namespace {

using Texts = std::vector<std::string>;

TEST(EntryChoiceTest, OnlyNoneOrAnExistingChoiceIsTaken) {
  TEntry entry;
  entry.Choices = {"leave", "delete", "D:\\New\\app.exe"};
  entry.SetChoice(2);
  EXPECT_EQ(entry.Choice(), 2);
  EXPECT_EQ(entry.ChoiceText(), "D:\\New\\app.exe");

  entry.SetChoice(5);
  entry.SetChoice(3);
  entry.SetChoice(-2);
  EXPECT_EQ(entry.Choice(), 2) << "indexes outside the choices change nothing";
  EXPECT_EQ(entry.ChoiceText(), "D:\\New\\app.exe");

  entry.SetChoice(-1);
  EXPECT_EQ(entry.Choice(), -1);
  EXPECT_EQ(entry.ChoiceText(), "");
}

// An entry whose data names the missing folder C:\Old\.
void DataEntry(TEntry& entry, std::string data, TEntryTypes flags = {etInvalidData}) {
  entry.Choices = {"leave", "delete"};
  entry.SetChoice(1);
  entry.Flags = flags;
  entry.BadPath = "C:\\Old\\";
  entry.Data = std::move(data);
}

TEST(AddReplacementTest, ReplacesTheMissingPathInTheData) {
  TEntry entry;
  DataEntry(entry, "C:\\Old\\app.exe");
  EXPECT_TRUE(entry.AddReplacement("D:\\New"));
  EXPECT_EQ(entry.Choices, (Texts{"leave", "delete", "D:\\New\\app.exe"}))
      << "the found folder takes the missing one's trailing backslash";
  EXPECT_EQ(entry.Choice(), 1) << "choosing among replacements is the search's";

  EXPECT_TRUE(entry.AddReplacement("E:\\Other\\"));
  EXPECT_EQ(entry.Choices.back(), "E:\\Other\\app.exe") << "no second backslash";

  TEntry quoted;
  DataEntry(quoted, "\"C:\\Old\\a.exe\" /log C:\\Old\\a.log");
  EXPECT_TRUE(quoted.AddReplacement("D:\\New"));
  EXPECT_EQ(quoted.Choices.back(), "\"D:\\New\\a.exe\" /log C:\\Old\\a.log")
      << "only the first occurrence is replaced";

  TEntry file;
  DataEntry(file, "\"C:\\Old\\app.exe\" -x");
  file.BadPath = "C:\\Old\\app.exe";
  EXPECT_TRUE(file.AddReplacement("D:\\Tools\\app.exe"));
  EXPECT_EQ(file.Choices.back(), "\"D:\\Tools\\app.exe\" -x") << "a file path gets no backslash";
}

TEST(AddReplacementTest, AppendsNothingWhenTheMissingPathIsNotInTheText) {
  TEntry elsewhere;
  DataEntry(elsewhere, "C:\\Other\\app.exe");
  EXPECT_FALSE(elsewhere.AddReplacement("D:\\New"));
  TEntry otherCase;
  DataEntry(otherCase, "c:\\old\\app.exe");
  EXPECT_FALSE(otherCase.AddReplacement("D:\\New")) << "the text is compared exactly";
  TEntry noBadPath;
  DataEntry(noBadPath, "C:\\Old\\app.exe");
  noBadPath.BadPath.clear();
  EXPECT_FALSE(noBadPath.AddReplacement("D:\\New\\app.exe")) << "nothing to replace";
  TEntry menuKey;
  DataEntry(menuKey, "C:\\Old\\app.exe", {etObsoleteMenuKey});
  EXPECT_FALSE(menuKey.AddReplacement("D:\\New")) << "no kind that a replacement repairs";

  for (const TEntry* entry : {&elsewhere, &otherCase, &noBadPath, &menuKey})
    EXPECT_EQ(entry->Choices, (Texts{"leave", "delete"}));
}

TEST(AddReplacementTest, EmptyDataTakesTheFoundPathItself) {
  TEntry entry;
  DataEntry(entry, "");
  EXPECT_TRUE(entry.AddReplacement("D:\\New"));
  EXPECT_EQ(entry.Choices.back(), "D:\\New\\");

  TEntry appPath;  // an application path key without a path value
  DataEntry(appPath, "", {etAppPathMissing});
  EXPECT_TRUE(appPath.AddReplacement("D:\\New"));
  EXPECT_EQ(appPath.Choices.back(), "D:\\New\\");
}

TEST(AddReplacementTest, DataAndNameCanBothReceiveAText) {
  TEntry entry;
  DataEntry(entry, "C:\\Old\\lib.dll", {etInvalidData, etInvalidName});
  entry.ValueName = "C:\\Old\\lib.dll";
  entry.Data = "C:\\Old\\cfg.ini";
  EXPECT_TRUE(entry.AddReplacement("D:\\New"));
  EXPECT_EQ(entry.Choices, (Texts{"leave", "delete", "D:\\New\\cfg.ini", "D:\\New\\lib.dll"}))
      << "the data's text first, then the name's";

  TEntry nameOnly;
  DataEntry(nameOnly, "unrelated data", {etInvalidData, etInvalidName});
  nameOnly.ValueName = "C:\\Old\\lib.dll";
  EXPECT_TRUE(nameOnly.AddReplacement("D:\\New")) << "the name's text alone counts";
  EXPECT_EQ(nameOnly.Choices.back(), "D:\\New\\lib.dll");
  EXPECT_EQ(nameOnly.Choices.size(), 3u);
}

}  // namespace
}  // namespace hw
