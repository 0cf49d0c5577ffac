// The file tests of a path: drives, the order of the existence tests and
// which text is named missing.

#include <gtest/gtest.h>

#include <string>

#include "platform/EventPump.h"
#include "platform/MemoryStore.h"
#include "platform/StoreRegistryApi.h"
#include "scan/AnalyzClass.h"
#include "tests/support/FakeFileSystem.h"

namespace hw {
namespace {

class PathChecksTest : public ::testing::Test {
 protected:
  PathChecksTest() {
    files.SetDrive('C', DRIVE_FIXED);
    files.SetDrive('D', DRIVE_CDROM);
    files.SetDrive('N', DRIVE_REMOTE);
  }
  TAnalyzClass& Engine() {
    if (!engine) engine = std::make_unique<TAnalyzClass>(api, files, pump);
    return *engine;
  }
  // The bad path, or "accepted"; "none" when no candidate was found.
  std::string Judge(const std::string& text) {
    std::string bad = "untouched";
    std::int32_t count = -1;
    if (!Engine().IsInvalidPath(text, bad, count)) return count < 0 ? "none" : "accepted";
    lastCount = count;
    return bad;
  }

  platform::MemoryStore store;
  platform::StoreRegistryApi api{store};
  test::FakeFileSystem files;
  platform::EventPump pump;
  std::unique_ptr<TAnalyzClass> engine;
  std::int32_t lastCount = 0;
};

TEST_F(PathChecksTest, LocalDrivesAreFixedNetworkAndRamDisks) {
  files.SetDrive('R', DRIVE_RAMDISK);
  files.SetDrive('A', DRIVE_REMOVABLE);
  EXPECT_EQ(Engine().LocalDrives, "CNR");
  EXPECT_TRUE(Engine().IsLocalDrive("c:\\x"));
  EXPECT_FALSE(Engine().IsLocalDrive("D:\\x"));
  EXPECT_FALSE(Engine().IsLocalDrive(""));
}

TEST_F(PathChecksTest, ExistingFoldersFilesAndProgramsWithoutExtensionAreAccepted) {
  files.AddFile("C:\\Windows\\notepad.exe");
  files.AddFile("C:\\App\\readme.txt");
  EXPECT_EQ(Judge("C:\\Windows"), "accepted");
  EXPECT_EQ(Judge("c:\\windows\\"), "accepted");
  EXPECT_EQ(Judge("C:\\App\\README.TXT"), "accepted");
  EXPECT_EQ(Judge("C:\\Windows\\notepad"), "accepted");
  // Wildcards count as a file when anything matches.
  EXPECT_EQ(Judge("C:\\App\\*.txt"), "accepted");
  EXPECT_EQ(Judge("no path"), "none");
}

TEST_F(PathChecksTest, NamesTheMissingFileOrItsFolder) {
  files.AddFolder("C:\\x");
  EXPECT_EQ(Judge("C:\\x\\gone.dll"), "C:\\x\\gone.dll");
  EXPECT_EQ(Judge("C:\\y\\gone.dll\\3"), "C:\\y\\gone.dll");
  EXPECT_EQ(Judge("C:\\y\\gone\\3"), "C:\\y\\gone\\3");
  EXPECT_EQ(Judge("C:\\y\\gone.dll\\"), "C:\\y\\gone.dll\\");
  EXPECT_EQ(Judge("C:\\y\\gone.dll\\x"), "C:\\y\\gone.dll\\x");
  // The supposed folder is a file: the path names something inside it.
  files.AddFile("C:\\y\\gone.dll");
  EXPECT_EQ(Judge("C:\\y\\gone.dll\\3"), "accepted");
}

TEST_F(PathChecksTest, AWrongCutIsMissingOnlyWhenNoOtherCutOfTheTextNamesSomething) {
  files.AddFile("C:\\My Files,Old\\a.txt");
  files.AddFile("C:\\Program Files\\Mozilla.org Tools\\app.exe");
  files.AddFile("C:\\Program Files\\Kept App\\app.exe");
  files.AddFolder("C:\\Tools\\app");
  EXPECT_EQ(Judge("C:\\My Files,Old\\a.txt"), "accepted");
  EXPECT_EQ(Judge("\"C:\\Program Files\\Mozilla.org Tools\\app.exe\" \"%1\""), "accepted");
  EXPECT_EQ(Judge("C:\\Program Files\\Kept App\\app -min"), "accepted");
  EXPECT_EQ(Judge("C:\\Program Files\\Kept App\\app.exe -min -x"), "accepted");
  // What is really missing keeps the bad path and count of the first cut.
  EXPECT_EQ(Judge("C:\\My Files,Gone\\a.txt"), "C:\\My Files");
  EXPECT_EQ(lastCount, 1);
  EXPECT_EQ(Judge("C:\\Program Files\\Mozilla.org Gone\\app.exe;C:\\My Files,Old\\a.txt"),
            "C:\\Program Files\\Mozilla.org");
  EXPECT_EQ(lastCount, 2);
  EXPECT_EQ(Judge("C:\\Program Files\\Gone App\\app -min"),
            "C:\\Program Files\\Gone App\\app -min");
  // Before the arguments only a file counts: a folder is no program.
  EXPECT_EQ(Judge("C:\\Tools\\app -x"), "C:\\Tools\\app -x");
}

TEST_F(PathChecksTest, DrivesThatAreNotLocalAreMissingUnlessExcluded) {
  files.AddFile("D:\\setup.exe");
  int before = files.fileTests + files.folderTests;
  EXPECT_EQ(Judge("D:\\setup.exe"), "D:\\setup.exe");
  EXPECT_EQ(Judge("Q:\\nowhere"), "Q:\\nowhere");
  // The medium is never touched.
  EXPECT_EQ(files.fileTests + files.folderTests, before);
  Engine().ExcludedDrives = {"d:"};
  EXPECT_EQ(Judge("D:\\gone.exe"), "accepted");
  EXPECT_EQ(Judge("d:\\gone.exe"), "accepted");
}

TEST_F(PathChecksTest, TheLastPathOfTheTextIsTestedFirst) {
  files.AddFile("C:\\a.dll");
  files.AddFile("C:\\b.dll");
  EXPECT_EQ(Judge("C:\\a.dll;C:\\b.dll;C:\\c.dll"), "C:\\c.dll");
  EXPECT_EQ(lastCount, 3);
  // Found by the first test made: the missing path was the first candidate.
  files.folderTests = files.fileTests = 0;
  Judge("C:\\a.dll;C:\\b.dll;C:\\c.dll");
  EXPECT_EQ(files.folderTests, 2);  // the path, then its folder
  EXPECT_EQ(files.fileTests, 2);    // the path, then with ".exe"
  EXPECT_EQ(Judge("C:\\gone.dll;C:\\b.dll"), "C:\\gone.dll");
  EXPECT_EQ(lastCount, 2);
}

TEST_F(PathChecksTest, OutputsStayUntouchedWithoutCandidates) {
  std::string bad = "before";
  std::int32_t count = 7;
  EXPECT_FALSE(Engine().IsInvalidPath("%ProgramFiles%\\x.exe", bad, count));
  EXPECT_EQ(bad, "before");
  EXPECT_EQ(count, 7);
  // Every candidate accepted: the count is set, the bad path is not.
  files.AddFolder("C:\\ok");
  EXPECT_FALSE(Engine().IsInvalidPath("C:\\ok", bad, count));
  EXPECT_EQ(bad, "before");
  EXPECT_EQ(count, 1);
}

TEST_F(PathChecksTest, FolderTestAddsTheBackslash) {
  files.AddFolder("C:\\Data");
  EXPECT_TRUE(Engine().FolderExists("C:\\Data"));
  EXPECT_TRUE(Engine().FolderExists("C:\\Data\\"));
  EXPECT_FALSE(Engine().FolderExists(""));
  files.AddFile("C:\\Data\\f.txt");
  EXPECT_FALSE(Engine().FolderExists("C:\\Data\\f.txt"));
  EXPECT_TRUE(Engine().FileExists("C:\\Data\\f.txt"));
  EXPECT_FALSE(Engine().FileExists("C:\\Data"));
}

}  // namespace
}  // namespace hw
