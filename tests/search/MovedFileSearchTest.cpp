#include "search/MovedFileSearch.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/EventPump.h"
#include "results/CategoryTable.h"
#include "search/FindInDir.h"
#include "search/SearchFolders.h"
#include "tests/results/ResultsFakes.h"
#include "tests/search/SearchPrefix.h"

namespace hw {
namespace {

using Texts = std::vector<std::string>;

TEST(FolderSimilarityTest, ComparesNamesFromTheDeepestUp) {
  struct Case {
    const char* oldFolder;
    const char* foundFolder;
    std::int32_t score;
  };
  const Case cases[] = {
      {"C:\\Apps\\Tool", "D:\\Tool", 100},
      {"C:\\Apps\\Tool\\", "D:\\Backup\\Tool\\Bin", -99},
      {"C:\\Apps\\Tool", "e:\\APPS\\tool", 199},
      {"C:\\Apps\\Tool", "D:\\Other", -10000},
      {"C:\\", "D:\\Tool", -10000},  // drive parts are no names
  };
  for (const Case& c : cases)
    EXPECT_EQ(FolderSimilarity(c.oldFolder, c.foundFolder), c.score)
        << c.oldFolder << " ~ " << c.foundFolder;
}

// Registry data may name paths far deeper than Windows allows: only the
// names a real path can hold are compared, so the score neither overflows nor
// takes quadratic time in the data's length.
TEST(FolderSimilarityTest, ComparesOnlyTheDeepestNamesOfOverlongPaths) {
  auto deep = [](const std::string& filler, int count) {
    std::string path = "C:";
    for (int i = 0; i < count; ++i) path += "\\" + filler;
    return path + "\\Tool";
  };
  const std::int32_t real = FolderSimilarity(deep("x", 129), deep("y", 129));
  EXPECT_EQ(FolderSimilarity(deep("x", 5000), deep("y", 5000)), real);
  EXPECT_EQ(FolderSimilarity(deep("x", 5000), "D:\\Tool"), 100);
}

// Nothing resembles a folder more than the folder itself, however deep: past
// a hundred names the weights would turn negative, and the folder's deepest
// hundred and one names alone scored higher than the whole of it.
TEST(FolderSimilarityTest, NoFolderResemblesADeepFolderMoreThanItself) {
  std::vector<std::string> names;
  for (int i = 0; i < 130; ++i) names.push_back("n" + std::to_string(i));
  auto join = [&](std::size_t from) {
    std::string path = "C:";
    for (std::size_t i = from; i < names.size(); ++i) path += "\\" + names[i];
    return path;
  };
  const std::string whole = join(0);
  const std::int32_t self = FolderSimilarity(whole, whole);
  for (std::size_t from : {1u, 10u, 29u, 30u, 60u})
    EXPECT_LE(FolderSimilarity(whole, join(from)), self) << from;
  // Each further name that does not match costs, or at least gains nothing.
  std::string found = "C:\\n0";
  std::int32_t last = FolderSimilarity("C:\\n0", found);
  for (std::size_t i = 1; i < names.size(); ++i) {
    found += "\\" + names[i];
    const std::int32_t score = FolderSimilarity("C:\\n0", found);
    EXPECT_LE(score, last) << i;
    last = score;
  }
}

// Records the status texts besides the fake view's rows and counts.
class StatusView : public test::FakeEntriesView {
 public:
  void SetStatus(int panel, const std::string& text) override {
    if (panel == 1) statuses.push_back(text);
  }
  void UpdateEntryRow(TEntry&) override { ++updates; }
  Texts statuses;
  int updates = 0;
};

class MovedFileSearchTest : public ::testing::Test {
 protected:
  MovedFileSearchTest() { table.SetView(&view); }

  // A picked, writable entry with the first two choices, as a report makes it.
  TEntry& Add(TAnalyzCategory category, std::string badPath, std::string data,
              TEntryTypes flags = {etInvalidData}) {
    TEntries& entries = *table[category].Entries;
    TEntry& entry = entries.AddEntry();
    entry.Category = category;
    entry.KeyText = "[HKEY_LOCAL_MACHINE] Software\\Vendor";
    entry.BadPath = std::move(badPath);
    entry.Data = std::move(data);
    entry.Flags = flags;
    entry.PathCount = 1;
    entry.Choices = {"I21", "I8"};
    entry.SetChoice(1);
    entries.SetPicked(&entry, true);
    return entry;
  }

  std::array<TAnalyzSet, kCategoryCount> exclusions;
  CategoryTable table{exclusions};
  test::FakeTextSource texts;
  StatusView view;
  test::SearchPrefix prefix;
  platform::EventPump pump;
  TFindInDir finder{prefix.Files(), pump};
  TMovedFileSearch search{table, texts, finder};
};

TEST_F(MovedFileSearchTest, FindsBecomeReplacementsAndTheMostSimilarFolderIsChosen) {
  for (const char* path :
       {"D:\\Apps\\Tool\\app.exe", "D:\\Apps\\Tool\\tool.hlp", "E:\\Backup\\Tool\\Bin\\app.exe",
        "E:\\Other\\app.exe", "E:\\Other\\tool", "D:\\A\\lib.dll", "E:\\B\\lib.dll"})
    prefix.AddFile(path);

  TEntry& app = Add(acInvalidPaths, "C:\\Apps\\Tool\\app.exe", "\"C:\\Apps\\Tool\\app.exe\" /run");
  TEntry& folder = Add(acInvalidPaths, "C:\\Old\\Tool\\", "C:\\Old\\Tool\\");
  TEntry& lib = Add(acInvalidSharedDLLs, "C:\\X\\lib.dll", "");
  TEntry& unused = Add(acInvalidSharedDLLs, "C:\\Apps\\Tool\\app.exe", "", {etZeroUsageCount});
  TEntry& help = Add(acInvalidHelpFiles, "C:\\Help\\", "C:\\Help\\");
  help.ValueName = "tool.hlp";
  TEntry& unpicked = Add(acInvalidFonts, "C:\\Apps\\Tool\\app.exe", "C:\\Apps\\Tool\\app.exe");
  table[acInvalidFonts].Entries->SetPicked(&unpicked, false);
  TEntry& readOnly = Add(acInvalidPaths, "C:\\Apps\\Tool\\app.exe", "C:\\Apps\\Tool\\app.exe");
  readOnly.KeyWritable = false;

  search.RunMovedFileSearch({"D:\\", "E:\\"});

  EXPECT_EQ(app.Choices,
            (Texts{"I21", "I26", "\"D:\\Apps\\Tool\\app.exe\" /run",
                   "\"E:\\Backup\\Tool\\Bin\\app.exe\" /run", "\"E:\\Other\\app.exe\" /run"}));
  EXPECT_EQ(app.Choice(), 2);
  EXPECT_EQ(app.BestScore, 199);
  // A missing folder is found as a folder, never as a file of its name.
  EXPECT_EQ(folder.Choices, (Texts{"I21", "I26", "D:\\Apps\\Tool\\", "E:\\Backup\\Tool\\"}));
  // Equal scores keep the first find.
  EXPECT_EQ(lib.Choices.size(), 4u);
  EXPECT_EQ(lib.ChoiceText(), "D:\\A\\lib.dll");
  // A help file is replaced by the folder that holds it.
  EXPECT_EQ(help.ChoiceText(), "D:\\Apps\\Tool\\");
  // Entries the search leaves out: no slot, no replacement.
  EXPECT_EQ(unused.SearchSlot, TEntry::kNoSlot);
  EXPECT_EQ(unused.Choices, (Texts{"I21", "I38"}));
  EXPECT_EQ(unpicked.Choices.size(), 2u);
  EXPECT_EQ(readOnly.Choices.size(), 2u);

  EXPECT_EQ(search.FoundCount(), 3 + 2 + 2 + 1);
  EXPECT_EQ(view.statuses.back(), "I32 8");
  EXPECT_NE(std::find(view.statuses.begin(), view.statuses.end(), "I33 D:\\"), view.statuses.end());
}

TEST_F(MovedFileSearchTest, DefaultsChooseByPathCountWhereNothingWasFound) {
  TEntry& onePath = Add(acInvalidPaths, "C:\\a.exe", "C:\\a.exe");
  TEntry& threePaths = Add(acInvalidPaths, "C:\\b.exe", "C:\\b.exe C:\\c.exe C:\\d.exe");
  threePaths.PathCount = 3;
  TEntry& replaced = Add(acInvalidPaths, "C:\\e.exe", "C:\\e.exe");
  replaced.Choices.push_back("D:\\e.exe");
  replaced.SetChoice(2);
  TEntry& readOnly = Add(acInvalidPaths, "C:\\f.exe", "C:\\f.exe");
  readOnly.KeyWritable = false;
  readOnly.SetChoice(0);
  view.shown = acInvalidPaths;
  for (TEntry* entry : {&onePath, &threePaths, &replaced, &readOnly})
    view.AddEntryRow(*entry, entry->Picked());

  ApplySearchDefaults(table);
  EXPECT_EQ(onePath.Choice(), 1);
  EXPECT_EQ(threePaths.Choice(), 0);
  EXPECT_EQ(replaced.Choice(), 2);
  EXPECT_EQ(readOnly.Choice(), 0);
  // The shown row of the entry left alone loses its check mark.
  EXPECT_FALSE(threePaths.Picked());
  EXPECT_EQ(table[acInvalidPaths].Entries->PickedCount(), 3);
  EXPECT_EQ(view.refreshes, 1);
}

// What the user chose while the search ran holds: an entry unpicked or set to
// be left stays so, and a find is offered beside the user's choice, not
// chosen over it.
TEST_F(MovedFileSearchTest, TheUsersChoicesMadeDuringTheSearchHold) {
  prefix.AddFile("D:\\New\\a.exe");
  TEntry& unpicked = Add(acInvalidPaths, "C:\\u.exe", "C:\\u.exe");
  TEntry& left = Add(acInvalidPaths, "C:\\l.exe", "C:\\l.exe");
  TEntry& deleted = Add(acInvalidPaths, "C:\\Old\\a.exe", "C:\\Old\\a.exe");
  TEntry& untouched = Add(acInvalidPaths, "C:\\t.exe", "C:\\t.exe");
  view.shown = acInvalidPaths;
  for (TEntry* entry : {&unpicked, &left, &deleted, &untouched})
    view.AddEntryRow(*entry, entry->Picked());
  // As the window does when the user clicks a mark or a choice mid-search.
  TEntries& entries = *table[acInvalidPaths].Entries;
  finder.OnChangeDir = [&](TFindInDir&) {
    unpicked.ChosenByUser = left.ChosenByUser = deleted.ChosenByUser = true;
    entries.SetPicked(&unpicked, false);
    left.SetChoice(0);
    entries.SetPicked(&left, false);
  };
  search.RunMovedFileSearch({"D:\\"});
  ApplySearchDefaults(table);

  EXPECT_FALSE(unpicked.Picked());
  EXPECT_EQ(unpicked.Choice(), 1);
  EXPECT_FALSE(left.Picked());
  EXPECT_EQ(left.Choice(), 0);
  // The find was added to the choices, the user's delete stays chosen.
  EXPECT_EQ(deleted.Choices.back(), "D:\\New\\a.exe");
  EXPECT_EQ(deleted.Choice(), 1);
  EXPECT_TRUE(deleted.Picked());
  EXPECT_TRUE(untouched.Picked());
  EXPECT_EQ(untouched.Choice(), 1);
  EXPECT_EQ(entries.PickedCount(), 2);
}

// The command-line tool's call, without a view: the defaults are the fixed
// drives (every drive of this prefix), less the excluded ones.
TEST_F(MovedFileSearchTest, OneCallSearchesTheDefaultDrivesExceptTheExcludedOnes) {
  table.SetView(nullptr);
  prefix.AddFile("D:\\New\\a.exe");
  prefix.AddFile("E:\\New\\a.exe");
  TEntry& found = Add(acInvalidPaths, "C:\\Old\\a.exe", "C:\\Old\\a.exe");
  TEntry& notFound = Add(acInvalidPaths, "C:\\Old\\b.exe", "C:\\Old\\b.exe");

  EXPECT_EQ(FindMovedFiles(table, texts, prefix.Files(), {}, {"E:"}), 1);
  EXPECT_EQ(found.ChoiceText(), "D:\\New\\a.exe");
  EXPECT_EQ(notFound.ChoiceText(), "I26");
}

TEST_F(MovedFileSearchTest, TheDriveOfTheWholeHostGivesOnlyTheHomeFolderByDefault) {
  prefix.AddFile("C:\\a.exe");
  prefix.LinkDrive('z', "/");
  std::vector<std::string> folders;
  FillDefaultSearchPaths(folders, prefix.Files(), "/home/someone");
  EXPECT_EQ(folders, (std::vector<std::string>{"C:\\", "Z:\\home\\someone"}));
  // No home, or home at the root: the host is left out rather than walked whole.
  for (const char* home : {"", "/"}) {
    folders.clear();
    FillDefaultSearchPaths(folders, prefix.Files(), home);
    EXPECT_EQ(folders, std::vector<std::string>{"C:\\"}) << home;
  }
}

}  // namespace
}  // namespace hw
