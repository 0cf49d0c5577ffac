// The texts of a results row and which part of them shows the missing path,
// read without drawing; and the colours the painter gives them.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include "app/ResultRowPainter.h"
#include "app/ResultRowPainterLines.h"
#include "results/Entry.h"
#include "tests/results/ResultsFakes.h"

namespace hw::test {
namespace {

using app::MissingSpan;
using app::pcBase;
using app::pcMissing;
using app::pcValue;
using app::ResultRowText;
using app::TResultRowPainter;
using app::TRowLine;
using app::TTextSpan;

TEST(ResultRowPaintTest, MissingSpanRules) {
  struct Case {
    const char* text;
    const char* badPath;
    bool last;
    TTextSpan want;
  };
  const Case cases[] = {
      // Data that names the missing path twice: only the first counts.
      {"C:\\Old\\a.exe;C:\\Old\\a.exe", "C:\\Old\\a.exe", false, {0, 12}},
      // A Start-menu key: the last occurrence counts.
      {"[HKCU] Menu\\Tool\\Tool", "Tool", true, {17, 4}},
      // The text is a piece of the missing path: all of it is missing.
      {"Tool", "C:\\Programs\\Tool", false, {0, 4}},
      {"Tool", "C:\\Programs\\Tool", true, {0, 4}},
      // Neither in the other, an empty path, an empty text, another case: nothing.
      {"C:\\New\\a.exe", "C:\\Old\\a.exe", false, {}},
      {"C:\\Old\\a.exe", "", false, {}},
      {"", "C:\\Old", false, {}},
      {"c:\\old\\a.exe", "C:\\Old", false, {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MissingSpan(c.text, c.badPath, c.last), c.want) << c.text << " / " << c.badPath;
}

TEST(ResultRowPaintTest, LinesPerCategory) {
  FakeTextSource texts;
  TEntry entry;
  entry.KeyText = "[HKLM] Software\\Tool";
  entry.ValueName = "Path";
  entry.Data = "C:\\Old\\tool.exe -x C:\\Old\\tool.exe";
  entry.BadPath = "C:\\Old\\tool.exe";

  // Invalid paths: key, value with the first occurrence highlighted.
  entry.Category = acInvalidPaths;
  entry.Flags.Include(etInvalidData);
  auto row = ResultRowText(entry, texts);
  ASSERT_EQ(row.Lines.size(), 2u);
  EXPECT_EQ(row.Lines[0], (TRowLine{{"I17 ", pcBase}, {"[HKLM] Software\\Tool", pcBase}}));
  EXPECT_EQ(row.Lines[1], (TRowLine{{"I5 ", pcBase},
                                    {"Path", pcValue},
                                    {" = ", pcBase},
                                    {"C:\\Old\\tool.exe", pcMissing},
                                    {" -x C:\\Old\\tool.exe", pcBase}}));
  EXPECT_EQ(row.ChoiceLabel, "I61 ");

  // A help file: first label, name, second label, data, in that order.
  entry.Category = acInvalidHelpFiles;
  entry.Flags = {};
  entry.ValueName = "tool.hlp";
  entry.Data = "C:\\Old\\";
  row = ResultRowText(entry, texts);
  EXPECT_EQ(row.Lines[1], (TRowLine{{"I101 \"", pcBase},
                                    {"tool.hlp", pcValue},
                                    {"\" I102 ", pcBase},
                                    {"C:\\Old\\", pcBase}}));

  // An application path not in its folder shows no value name; the default
  // value's name is the pack's text in brackets.
  entry.Category = acInvalidAppPaths;
  entry.Flags = TEntryTypes{etAppNotInPath};
  entry.ValueName.clear();
  row = ResultRowText(entry, texts);
  EXPECT_EQ(row.Lines[1], (TRowLine{{"I89 ", pcBase}, {"C:\\Old\\", pcBase}}));
  entry.Flags = {};
  row = ResultRowText(entry, texts);
  EXPECT_EQ(row.Lines[1][1], (app::TRowPiece{"(I70)", pcValue}));

  // A missing path in the value name is highlighted inside the name.
  entry.Category = acInvalidPaths;
  entry.Flags = TEntryTypes{etInvalidName};
  entry.ValueName = "C:\\Old\\tool.exe,1";
  entry.Data.clear();
  row = ResultRowText(entry, texts);
  EXPECT_EQ(row.Lines[1],
            (TRowLine{{"I4 ", pcBase}, {"C:\\Old\\tool.exe", pcMissing}, {",1", pcValue}}));

  // Two-line categories: the Start-menu key highlights the last occurrence.
  entry.Category = acObsoleteStartMenu;
  entry.Flags = TEntryTypes{etObsoleteMenuKey};
  entry.KeyText = "[HKCU] Menu\\Tool\\Tool";
  entry.BadPath = "Tool";
  row = ResultRowText(entry, texts);
  ASSERT_EQ(row.Lines.size(), 1u);
  EXPECT_EQ(row.Lines[0],
            (TRowLine{{"I17 ", pcBase}, {"[HKCU] Menu\\Tool\\", pcBase}, {"Tool", pcMissing}}));
  entry.Category = acEmptyKeys;
  entry.Flags = {};
  EXPECT_EQ(ResultRowText(entry, texts).Lines[0].size(), 2u);

  // File types: the kinds of problem after the key.
  entry.Category = acInvalidExts;
  entry.KeyText = "[HKCR] .xyz";
  entry.BadPath = ", etExtEmptyName, etExtEmptyShellKey";
  row = ResultRowText(entry, texts);
  ASSERT_EQ(row.Lines.size(), 1u);
  EXPECT_EQ(row.Lines[0].back(), (app::TRowPiece{"etExtEmptyName, etExtEmptyShellKey", pcMissing}));
}

TEST(ResultRowPaintTest, PiecesAreCutTo255Characters) {
  FakeTextSource texts;
  TEntry entry;
  entry.Category = acInvalidPaths;
  entry.KeyText = "[HKLM] k";
  entry.Data = std::string(300, 'x');
  const auto row = ResultRowText(entry, texts);
  EXPECT_EQ(row.Lines[1].back().Text.size(), 255u);
}

TEST(ResultRowPaintTest, LineHeightRoundsHalvesToEven) {
  EXPECT_EQ(TResultRowPainter::LineHeight(60, 3), 19);  // 58 / 3
  EXPECT_EQ(TResultRowPainter::LineHeight(40, 2), 19);
  EXPECT_EQ(TResultRowPainter::LineHeight(7, 2), 2);  // 2.5
  EXPECT_EQ(TResultRowPainter::LineHeight(9, 2), 4);  // 3.5
}

TEST(ResultRowPaintTest, Colours) {
  static int argc = 1;
  static char name[] = "row_paint";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  const QColor grey(128, 128, 128);
  // A read-only entry: labels, texts and value name grey; the missing part stays maroon.
  EXPECT_EQ(TResultRowPainter::PieceColour(pcBase, false, false), grey);
  EXPECT_EQ(TResultRowPainter::PieceColour(pcValue, false, false), grey);
  EXPECT_EQ(TResultRowPainter::PieceColour(pcMissing, false, false), QColor(128, 0, 0));
  EXPECT_EQ(TResultRowPainter::PieceColour(pcValue, false, true), QColor(0, 0, 128));
  EXPECT_EQ(TResultRowPainter::PieceColour(pcValue, true, true), QColor(0, 0, 255));
  EXPECT_EQ(TResultRowPainter::PieceColour(pcBase, true, false),
            QGuiApplication::palette().color(QPalette::HighlightedText));
  // Choices: leave in the base colour, repair yellow or olive, replacement lime or green.
  EXPECT_EQ(TResultRowPainter::ChoiceColour(0, false, false), grey);
  EXPECT_EQ(TResultRowPainter::ChoiceColour(1, true, true), QColor(255, 255, 0));
  EXPECT_EQ(TResultRowPainter::ChoiceColour(1, false, true), QColor(128, 128, 0));
  EXPECT_EQ(TResultRowPainter::ChoiceColour(3, true, true), QColor(0, 255, 0));
  EXPECT_EQ(TResultRowPainter::ChoiceColour(2, false, true), QColor(0, 128, 0));
  EXPECT_EQ(TResultRowPainter::ComboTextColour(1, false), QColor(128, 128, 0));
  EXPECT_EQ(TResultRowPainter::ComboTextColour(2, true), QColor(0, 255, 0));
}

}  // namespace
}  // namespace hw::test
