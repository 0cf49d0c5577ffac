#include "results/Entries.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace hw {
namespace {

// A list of entries named "0", "1", ... in their KeyText, picked where the
// pattern holds 'x'.
void Fill(TEntries& entries, const std::string& pattern) {
  for (char mark : pattern) {
    TEntry& entry = entries.AddEntry();
    entry.KeyText = std::to_string(entries.Count() - 1);
    entries.SetPicked(&entry, mark == 'x');
  }
}

std::string Names(const TEntries& entries) {
  std::string names;
  for (const auto& entry : entries.List()) names += entry->KeyText;
  return names;
}

// Walks the picked entries in the fetch-then-remove order, removing those
// for which remove() holds; returns the names visited.
std::string WalkRemoving(TEntries& entries, const std::function<bool(const TEntry&)>& remove) {
  std::string visited;
  TEntry* entry = entries.FirstPicked();
  while (entry != nullptr) {
    visited += entry->KeyText;
    TEntry* next = entries.NextPicked();
    if (remove(*entry)) {
      EXPECT_TRUE(entries.Remove(entry));
    }
    entry = next;
  }
  return visited;
}

TEST(EntriesTest, PickedCountFollowsEveryChange) {
  TEntries entries;
  Fill(entries, ".....");
  entries.SetAllPicked(true);
  EXPECT_EQ(entries.PickedCount(), 5);
  entries.SetPicked(&entries[2], false);
  EXPECT_EQ(entries.PickedCount(), 4);
  entries.SetPicked(&entries[2], false);
  entries.SetPicked(&entries[3], true);
  entries.SetPicked(nullptr, false);
  EXPECT_EQ(entries.PickedCount(), 4) << "repeated values and no entry change nothing";

  TEntries other;
  Fill(other, ".");
  entries.SetPicked(&other[0], true);
  EXPECT_EQ(entries.PickedCount(), 4) << "an entry of another list is not counted";
  EXPECT_FALSE(other[0].Picked());

  entries.SetAllPicked(false);
  EXPECT_EQ(entries.PickedCount(), 0);
  entries.SetAllPicked(true);
  entries.Clear();
  EXPECT_EQ(entries.PickedCount(), 0);
  EXPECT_EQ(entries.Count(), 0);
  EXPECT_EQ(entries.FirstPicked(), nullptr);
}

TEST(EntriesTest, DeleteKeepsCountAndCursorTrue) {
  TEntries entries;
  Fill(entries, "x.xx.");
  EXPECT_FALSE(entries.Delete(-1));
  EXPECT_FALSE(entries.Delete(5));
  EXPECT_EQ(entries.Count(), 5);

  ASSERT_EQ(entries.FirstPicked(), &entries[0]);
  ASSERT_EQ(entries.NextPicked(), &entries[2]);
  EXPECT_TRUE(entries.Delete(4));
  EXPECT_EQ(entries.PickCursor(), 2) << "an entry after the cursor leaves it";
  EXPECT_EQ(entries.PickedCount(), 3) << "an unpicked entry leaves the count";
  EXPECT_TRUE(entries.Delete(2));
  EXPECT_EQ(entries.PickCursor(), 1) << "the entry at the cursor moves it back";
  EXPECT_EQ(entries.PickedCount(), 2);
  EXPECT_TRUE(entries.Delete(0));
  EXPECT_EQ(entries.PickCursor(), 0);
  EXPECT_EQ(Names(entries), "13");
  EXPECT_EQ(entries.NextPicked(), &entries[1]) << "the walk goes on after the deleted ones";
}

TEST(EntriesTest, PickedWalkEndsWithoutMovingTheCursor) {
  TEntries entries;
  Fill(entries, ".x.");
  EXPECT_EQ(entries.FirstPicked(), &entries[1]);
  EXPECT_EQ(entries.NextPicked(), nullptr);
  EXPECT_EQ(entries.PickCursor(), 1);
  entries.SetPicked(&entries[1], false);
  EXPECT_EQ(entries.FirstPicked(), nullptr);
  EXPECT_EQ(entries.PickCursor(), 1);
}

TEST(EntriesTest, FetchThenRemoveVisitsEveryPickedEntryOnce) {
  struct Case {
    const char* pattern;
    const char* picked;  // names of the picked entries, in order
  };
  for (const Case& c : {Case{"x.x.x.x", "0246"}, Case{".x.x.x.", "135"}, Case{"xxxxx", "01234"},
                        Case{"..xx..", "23"}, Case{"x", "0"}, Case{"....", ""}}) {
    SCOPED_TRACE(c.pattern);
    TEntries all;
    Fill(all, c.pattern);
    EXPECT_EQ(WalkRemoving(all, [](const TEntry&) { return true; }), c.picked);
    EXPECT_EQ(all.PickedCount(), 0);
    EXPECT_EQ(all.FirstPicked(), nullptr);

    // Removing only some of them, as a repair that leaves entries with choice 0.
    TEntries some;
    Fill(some, c.pattern);
    bool removeThis = true;
    EXPECT_EQ(WalkRemoving(some, [&](const TEntry&) { return removeThis = !removeThis; }),
              c.picked);
    std::string kept;
    for (const auto& entry : some.List())
      if (entry->Picked()) kept += entry->KeyText;
    std::string expected;
    for (std::size_t i = 0; c.picked[i] != '\0'; ++i)
      if (i % 2 == 0) expected += c.picked[i];
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(some.PickedCount(), static_cast<int>(kept.size()));
  }
}

TEST(EntriesTest, RemoveTakesOnlyItsOwnEntries) {
  TEntries entries;
  TEntries other;
  Fill(entries, "x.");
  Fill(other, "x");
  TEntry* foreign = &other[0];
  EXPECT_FALSE(entries.Remove(foreign));
  EXPECT_EQ(foreign, &other[0]) << "the caller's link stays when nothing was removed";
  EXPECT_EQ(entries.IndexOf(foreign), -1);
  TEntry* none = nullptr;
  EXPECT_FALSE(entries.Remove(none));

  TEntry* own = &entries[1];
  EXPECT_TRUE(entries.Remove(own));
  EXPECT_EQ(own, nullptr);
  EXPECT_EQ(Names(entries), "0");
  EXPECT_EQ(entries.PickedCount(), 1);
}

TEST(EntriesTest, ResetChoicesKeepsEntriesAndPicks) {
  TEntries entries;
  Fill(entries, "x.");
  for (const auto& entry : entries.List()) {
    entry->Choices = {"leave", "delete", "D:\\New\\a.exe"};
    entry->SetChoice(2);
    entry->BestScore = 100;
  }
  entries.NextPicked();
  entries.ResetChoices();
  EXPECT_EQ(entries.PickCursor(), 0);
  EXPECT_EQ(entries.Count(), 2);
  EXPECT_EQ(entries.PickedCount(), 1);
  for (const auto& entry : entries.List()) {
    EXPECT_TRUE(entry->Choices.empty());
    EXPECT_EQ(entry->Choice(), -1);
    EXPECT_EQ(entry->ChoiceText(), "");
    EXPECT_EQ(entry->BestScore, -11000);
  }
}

}  // namespace
}  // namespace hw
