#include "results/FoundEntriesReport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "results/CategoryTable.h"
#include "tests/results/ResultsFakes.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextFiles.h"

namespace hw {
namespace {

namespace fs = std::filesystem;

// The lines, each ended by CR LF.
std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

const char* const kSeparator = "===============================================";

class FoundEntriesReportTest : public ::testing::Test {
 protected:
  FoundEntriesReportTest() { table.ApplyDisplayNames(texts); }

  TEntry& Add(int category, const char* key, const char* valueName, const char* data,
              TEntryTypes flags, std::initializer_list<const char*> choices, int choice) {
    TEntry& entry = table[category].Entries->AddEntry();
    entry.Category = static_cast<std::uint8_t>(category);
    entry.KeyText = key;
    entry.ValueName = valueName;
    entry.Data = data;
    entry.Flags = flags;
    entry.Choices.assign(choices.begin(), choices.end());
    entry.SetChoice(choice);
    return entry;
  }

  std::string Report(TAnalyzCategories categories) const {
    TReportSource source{
        table, categories, texts, {"Hivewarden", "1.0", "0", "https://hivewarden.example.org/"}};
    return FoundEntriesReportText(source, 0);  // TZ=UTC, C locale
  }

  test::FakeTextSource texts;
  std::array<TAnalyzSet, kCategoryCount> exclusions;
  CategoryTable table{exclusions};
};

TEST_F(FoundEntriesReportTest, EachCategoryWritesItsLinesPerEntry) {
  Add(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\A", "", "C:\\old\\a.exe", {etInvalidData},
      {"I21", "I8", "D:\\new\\a.exe"}, 2);
  Add(acInvalidPaths, "[HKEY_CURRENT_USER] Software\\A", "C:\\old\\b.dll", "", {etInvalidName},
      {"I72"}, 0);
  Add(acInvalidFonts, "[HKEY_LOCAL_MACHINE] Fonts", "Arial (TrueType)", "arial.ttf",
      {etInvalidData}, {"I21", "I8"}, 1);
  Add(acObsoleteStartMenu, "[HKEY_CURRENT_USER] Menu\\Old", "", "", {etObsoleteMenuKey},
      {"I21", "I38"}, 1);
  Add(acInvalidAppPaths, "[HKEY_LOCAL_MACHINE] App Paths\\a.exe", "Path", "C:\\gone",
      {etAppNotInPath}, {"I21", "I8"}, 1);
  Add(acInvalidHelpFiles, "[HKEY_LOCAL_MACHINE] Help", "a.hlp", "", {etInvalidData}, {"I21", "I8"},
      1);
  Add(acInvalidSharedDLLs, "[HKEY_LOCAL_MACHINE] SharedDLLs", "C:\\x.dll", "",
      {etInvalidName, etZeroUsageCount}, {"I21", "I38"}, 1);
  Add(acInvalidExts, "[HKEY_CLASSES_ROOT] .foo", "", "", {etInvalidData}, {"I21", "I8"}, 1);

  const std::string expected =
      Lines({"Hivewarden 1.0.0   *** https://hivewarden.example.org/ *** ", "Found invalid entries",
             "Created: 01/01/70 00:00:00", ""}) +
      Lines({kSeparator, " *** I62 ***  I45 2", "",  //
             "0     I17 [HKEY_CURRENT_USER] Software\\A", "I5 (I70) = C:\\old\\a.exe",
             "I61 D:\\new\\a.exe", "",  //
             "1     I17 [HKEY_CURRENT_USER] Software\\A", "I4 C:\\old\\b.dll", "I61 I72", "", ""}) +
      Lines({kSeparator, " *** I67 ***  I45 0", "", ""}) +
      Lines({kSeparator, " *** I29 ***  I45 1", "", "0     I17 [HKEY_LOCAL_MACHINE] Fonts",
             "I98 \"Arial (TrueType)\" I99 arial.ttf", "I61 I8", "", ""}) +
      Lines({kSeparator, " *** I52 ***  I45 1", "", "0     I17 [HKEY_CURRENT_USER] Menu\\Old",
             "I61 I38", "", ""}) +
      Lines({kSeparator, " *** I63 ***  I45 1", "",
             "0     I17 [HKEY_LOCAL_MACHINE] App Paths\\a.exe", "I89 C:\\gone", "I61 I8", "", ""}) +
      // Without data the help file's name still gets its closing quote.
      Lines({kSeparator, " *** I74 ***  I45 1", "", "0     I17 [HKEY_LOCAL_MACHINE] Help",
             "I101 \"a.hlp\"", "I61 I8", "", ""}) +
      Lines({kSeparator, " *** I93 ***  I45 1", "", "0     I17 [HKEY_LOCAL_MACHINE] SharedDLLs",
             "I95 C:\\x.dll", "I61 I38", "", ""}) +
      Lines({kSeparator, " *** I87 ***  I45 1", "", "0     I17 [HKEY_CLASSES_ROOT] .foo", "", ""});
  TAnalyzCategories all;
  for (int c = 0; c < kCategoryCount; ++c) all.Include(static_cast<TAnalyzCategory>(c));
  EXPECT_EQ(Report(all), expected);

  // Categories outside the scan's set are left out, whatever their lists hold.
  const std::string extsOnly = Report({acInvalidExts});
  EXPECT_EQ(extsOnly.substr(extsOnly.find(kSeparator)),
            expected.substr(expected.rfind(kSeparator)));
}

TEST_F(FoundEntriesReportTest, LabelsFollowTheCategoryAndTheProblemKind) {
  struct Case {
    TAnalyzCategory category;
    TEntryTypes flags;
    const char* first;
    const char* second;
  };
  const Case cases[] = {
      {acInvalidPaths, {etInvalidData}, "I5 ", " = "},
      {acInvalidExts, {etInvalidName}, "I4 ", " = "},
      {acInvalidFonts, {etInvalidData}, "I98 \"", "\" I99 "},
      {acInvalidAppPaths, {etAppPathMissing, etAppNotInPath}, "I6 ", ""},
      {acInvalidAppPaths, {etAppNotInPath, etAppDefault}, "I89 ", ""},
      {acInvalidAppPaths, {etAppDefault}, "I100 ", ""},
      {acInvalidAppPaths, {etInvalidData}, "I5 ", " = "},
      {acInvalidHelpFiles, {etInvalidData}, "I101 \"", "\" I102 "},
      {acInvalidSharedDLLs, {etInvalidName}, "I76 ", ""},
  };
  for (const Case& c : cases) {
    TEntry entry;
    entry.Category = c.category;
    entry.Flags = c.flags;
    EXPECT_EQ(EntryLabels(entry, texts),
              std::make_pair(std::string(c.first), std::string(c.second)))
        << int(c.category) << " flags " << c.flags.ToBits();
  }
}

class ReportFileTest : public ::testing::Test {
 protected:

  test::TempDir dir;
  fs::path file = dir.path() / "found.txt";
};

TEST_F(ReportFileTest, AnExistingReportIsReplacedWhole) {
  std::ofstream(file) << "an older and longer report\n";
  ReplaceReportFile(file, "new\r\n");
  EXPECT_EQ(test::ReadTextFile(file), "new\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
      << "no temporary file is left";
}

TEST_F(ReportFileTest, AReadOnlyFileIsNotReplaced) {
  std::ofstream(file) << "kept";
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  try {
    ReplaceReportFile(file, "new");
    FAIL() << "replaced a read-only file";
  } catch (const EReportNotReplaced& error) {
    EXPECT_EQ(std::string(error.what()), "Error deleting file " + file.string());
  }
  EXPECT_EQ(test::ReadTextFile(file), "kept");
}

}  // namespace
}  // namespace hw
