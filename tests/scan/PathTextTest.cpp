#include "scan/PathText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hw {
namespace {

std::vector<std::string> Paths(std::string_view text) {
  std::vector<std::string> found;
  ExtractPaths(text, &found);
  return found;
}

using List = std::vector<std::string>;

TEST(ExtractPathsTest, CommandLinesEndAfterTheProgram) {
  // The blank in "Program Files" stays; the one after the extension ends it.
  EXPECT_EQ(Paths("C:\\Program Files\\App\\app.exe -min"), List{"C:\\Program Files\\App\\app.exe"});
  EXPECT_EQ(Paths("\"C:\\Program Files\\App\\app.exe\" \"%1\""),
            List{"C:\\Program Files\\App\\app.exe"});
  EXPECT_EQ(Paths("rundll32.exe C:\\x\\y.dll,Entry"), List{"C:\\x\\y.dll"});
  // A blank not after an extension is part of the path, to the end.
  EXPECT_EQ(Paths("C:\\My Programs\\Tool Box"), List{"C:\\My Programs\\Tool Box"});
}

TEST(ExtractPathsTest, ResourceIndexesAndListSeparators) {
  EXPECT_EQ(Paths("C:\\WINDOWS\\SYSTEM\\shell32.dll,-154"),
            List{"C:\\WINDOWS\\SYSTEM\\shell32.dll"});
  // Nearest the end first; the semicolon left on the first is junk.
  EXPECT_EQ(Paths("C:\\a.txt;D:\\b.txt"), (List{"D:\\b.txt", "C:\\a.txt"}));
  // A comma followed by a non-blank ends the path even without an extension.
  EXPECT_EQ(Paths("C:\\My Files,Old\\a.txt"), List{"C:\\My Files"});
  // ... but a comma followed by a blank does not.
  EXPECT_EQ(Paths("C:\\Docs, Old\\a"), List{"C:\\Docs, Old\\a"});
  EXPECT_EQ(Paths("C:\\x\\help.hlp[Topic]"), List{"C:\\x\\help.hlp"});
  EXPECT_EQ(Paths("'C:\\q\\it.txt'"), List{"C:\\q\\it.txt"});
}

TEST(ExtractPathsTest, OnlyDriveLetterPathsAreCandidates) {
  EXPECT_TRUE(Paths("%SystemRoot%\\system32\\x.dll").empty());
  EXPECT_TRUE(Paths("\\\\server\\share\\x.dll").empty());
  EXPECT_TRUE(Paths("notepad.exe").empty());
  // A letter before the drive letter: the colon belonged to a longer word.
  EXPECT_TRUE(Paths("abcC:\\x.txt").empty());
  EXPECT_EQ(Paths("file:C:\\x.txt"), List{"C:\\x.txt"});
  // A colon-backslash with no letter before it.
  EXPECT_TRUE(Paths(":\\x").empty());
  EXPECT_TRUE(Paths("1:\\x").empty());
  EXPECT_EQ(Paths("x 1:\\a C:\\b"), List{"C:\\b"});
}

TEST(ExtractPathsTest, JunkAndCutCharacters) {
  EXPECT_EQ(Paths("C:\\dir\\*.txt"), List{"C:\\dir\\"});
  EXPECT_EQ(Paths("C:\\dir\\a.exe /s"), List{"C:\\dir\\a.exe"});
  EXPECT_EQ(Paths("C:\\dir\\app.exe|more"), List{"C:\\dir\\app.exe"});
  EXPECT_EQ(Paths("  C:\\trimmed\\  "), List{"C:\\trimmed\\"});
  EXPECT_EQ(Paths("C:\\"), List{"C:\\"});
  // Trailing junk goes before the separators are looked at.
  EXPECT_EQ(Paths("C:\\a b;,' "), List{"C:\\a b"});
}

TEST(ExtractPathsTest, AppendsAndKeepsTheListUntouchedWhenNothingIsFound) {
  List found{"earlier"};
  EXPECT_TRUE(ExtractPaths("C:\\x", &found));
  EXPECT_EQ(found, (List{"earlier", "C:\\x"}));
  EXPECT_FALSE(ExtractPaths("x", &found));
  EXPECT_FALSE(ExtractPaths("C:\\x", nullptr));
  List none;
  EXPECT_FALSE(ExtractPaths("no path here", &none));
  EXPECT_TRUE(none.empty());
}

TEST(PathTextTest, PathPartsAndTextHelpers) {
  EXPECT_EQ(ExtractFilePath("C:\\x\\a.dll"), "C:\\x\\");
  EXPECT_EQ(ExtractFileName("C:\\x\\a.dll"), "a.dll");
  EXPECT_EQ(ExtractFilePath("C:a.dll"), "C:");
  EXPECT_EQ(ExtractFilePath("a.dll"), "");
  EXPECT_EQ(ExtractFileExt("C:\\x.d\\name"), "");
  EXPECT_EQ(ExtractFileExt("C:\\x\\gone.dll"), ".dll");
  EXPECT_EQ(LastPos(":\\", "C:\\a;D:\\b"), 7u);
  EXPECT_EQ(LastPos("zz", "abc"), 0u);
  EXPECT_EQ(UpperAZ("abcé"), "ABCé");
  EXPECT_EQ(StripAmpersands("Tips & Tricks"), "Tips  Tricks");
  EXPECT_EQ(StripAmpersands("a&&b&c&"), "a&bc");
}

}  // namespace
}  // namespace hw
