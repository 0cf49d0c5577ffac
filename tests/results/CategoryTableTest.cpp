#include "results/CategoryTable.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/results/ResultsFakes.h"

namespace hw {
namespace {

class CategoryTableTest : public ::testing::Test {
 protected:
  std::array<TAnalyzSet, kCategoryCount> exclusions;
  CategoryTable table{exclusions};
};

TEST_F(CategoryTableTest, RecordsTieEachCategoryTogether) {
  for (int c = 0; c < CategoryTable::Size(); ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(&table[c].ExclusionSet, &exclusions[c]);
    // Rows of the searched families show a third line, the found path.
    EXPECT_EQ(table[c].LinesPerRow, table[c].PathEntries() != nullptr ? 3 : 2);
  }
  // The moved-file search works on exactly these.
  for (int c :
       {acInvalidPaths, acInvalidFonts, acInvalidAppPaths, acInvalidHelpFiles, acInvalidSharedDLLs})
    EXPECT_NE(table[c].PathEntries(), nullptr) << c;
}

// Names every caption text with a long, multi-byte text.
class LongTexts : public test::FakeTextSource {
 public:
  std::string GetInterfaceText(int n) const override {
    std::string text = std::to_string(n) + ":";
    for (int i = 0; i < 300; ++i) text += "é";
    return text;
  }
};

TEST_F(CategoryTableTest, DisplayNamesComeFromTheCaptionTexts) {
  table.ApplyDisplayNames(test::FakeTextSource());
  EXPECT_EQ(table[acInvalidPaths].DisplayName, "I62");
  EXPECT_EQ(table[acInvalidFonts].DisplayName, "I29");
  EXPECT_EQ(table[acInvalidExts].DisplayName, "I87");

  table.ApplyDisplayNames(LongTexts());
  const std::string& name = table[acEmptyKeys].DisplayName;
  EXPECT_EQ(name.substr(0, 3), "67:");
  EXPECT_EQ(name.size(), 3 + 252 * 2u) << "255 characters, none of them split";
}

TEST_F(CategoryTableTest, RemovingAnEntryTakesItsRowFirst) {
  test::FakeEntriesView view;
  view.shown = acInvalidHelpFiles;
  table.SetView(&view);
  TEntries& help = *table[acInvalidHelpFiles].Entries;
  for (const char* key : {"a", "b"}) {
    TEntry& entry = help.AddEntry();
    entry.KeyText = key;
    entry.Category = acInvalidHelpFiles;
    help.SetPicked(&entry, true);
    view.AddEntryRow(entry, true);
  }
  EXPECT_EQ(table.PickedTotal(), 2);

  TEntry* first = &help[0];
  EXPECT_TRUE(table.RemoveEntry(first));
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(view.removed, std::vector<std::string>{"a"});
  ASSERT_EQ(view.rows.size(), 1u);
  EXPECT_EQ(view.rows[0].entry, &help[0]) << "the other row stays";
  EXPECT_EQ(view.refreshes, 1);
  EXPECT_EQ(table.PickedTotal(), 1);
  EXPECT_EQ(table.CountTotal(), 1);

  TEntry* wrongCategory = &help[0];
  wrongCategory->Category = acInvalidPaths;
  EXPECT_FALSE(table.RemoveEntry(wrongCategory)) << "looked for in its category's list only";
  EXPECT_EQ(view.rows.size(), 1u) << "a failed removal keeps the row";
  EXPECT_EQ(view.refreshes, 1);

  table.SetView(nullptr);
  TEntry* unshown = &help[0];
  unshown->Category = acInvalidHelpFiles;
  EXPECT_TRUE(table.RemoveEntry(unshown)) << "no view is needed";
  EXPECT_EQ(table.CountTotal(), 0);
}

}  // namespace
}  // namespace hw
