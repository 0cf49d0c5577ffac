#include "search/FindInDir.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/EventPump.h"
#include "platform/WindowsPath.h"
#include "search/MaskIndex.h"
#include "tests/search/SearchPrefix.h"
#include "tests/support/FakeFileSystem.h"

namespace hw {
namespace {

using Events = std::vector<std::string>;

// Records every event as one line: F/D found file/folder (path, mask index),
// C entering a subfolder (parent, name), E the end.
class Recorder {
 public:
  explicit Recorder(TFindInDir& finder) {
    finder.OnFoundFile = [this](TFindInDir& f) { Found("F", f); };
    finder.OnFoundDir = [this](TFindInDir& f) { Found("D", f); };
    finder.OnChangeDir = [this](TFindInDir& f) {
      events.push_back("C " + f.CurrentDir + " > " + f.SearchRec.Name + " " +
                       std::to_string(f.CurrentMaskIndex) + f.CurrentName);
    };
    finder.OnEndScan = [this](TFindInDir&) { events.push_back("E"); };
  }
  void Found(const char* kind, TFindInDir& f) {
    events.push_back(std::string(kind) + " " + f.CurrentDir + f.CurrentName + " " +
                     std::to_string(f.CurrentMaskIndex));
    if (onFound) onFound(f);
  }
  Events events;
  std::function<void(TFindInDir&)> onFound;
};

class FindInDirTest : public ::testing::Test {
 protected:
  FindInDirTest() {
    files.SetDrive('C', DRIVE_FIXED);
    for (const char* path : {"C:\\R\\B.TXT", "C:\\R\\A.DLL", "C:\\R\\SUB\\A.TXT",
                             "C:\\R\\SUB\\DEEP\\X.DLL", "C:\\R\\Z\\A.TXT"})
      files.AddFile(path);
    finder.InitialDir = "C:\\R";
  }

  test::FakeFileSystem files;
  platform::EventPump pump;
  TFindInDir finder{files, pump};
  Recorder recorder{finder};
};

TEST_F(FindInDirTest, FindsComeFolderByFolderDepthFirstAndMaskByMask) {
  finder.Masks = {"*.txt", "a.*", "sub"};
  finder.SearchFor = fidSearchForDirs | fidSearchForFiles;
  finder.Execute();
  EXPECT_EQ(recorder.events, (Events{
                                 "F C:\\R\\B.TXT 0",
                                 "F C:\\R\\A.DLL 1",
                                 "D C:\\R\\SUB 2",
                                 "C C:\\R\\ > SUB -1",
                                 "F C:\\R\\SUB\\A.TXT 0",
                                 "F C:\\R\\SUB\\A.TXT 1",
                                 "C C:\\R\\SUB\\ > DEEP -1",
                                 "C C:\\R\\ > Z -1",
                                 "F C:\\R\\Z\\A.TXT 0",
                                 "F C:\\R\\Z\\A.TXT 1",
                                 "E",
                             }));

  // Without the folder option a matching folder is not reported; without
  // subfolders only the first folder is listed.
  recorder.events.clear();
  finder.SearchFor = fidSearchForFiles;
  finder.ScanSubfolders = false;
  finder.Execute();
  EXPECT_EQ(recorder.events, (Events{"F C:\\R\\B.TXT 0", "F C:\\R\\A.DLL 1", "E"}));
}

TEST_F(FindInDirTest, FallbackMaskAndEmptyStarts) {
  finder.Execute();  // no masks, no fallback: only the end
  EXPECT_EQ(recorder.events, Events{"E"});

  finder.FileMask = "x.dll";
  finder.ScanSubfolders = false;
  finder.Execute();
  EXPECT_EQ(finder.Masks, std::vector<std::string>{"x.dll"});

  recorder.events.clear();
  finder.InitialDir.clear();
  finder.Execute();
  EXPECT_TRUE(recorder.events.empty());
}

TEST_F(FindInDirTest, EachFolderIsListedOnceForAnyNumberOfMasks) {
  for (int i = 0; i < 1000; ++i) finder.Masks.push_back("m" + std::to_string(i) + ".txt");
  finder.Masks.push_back("a.txt");
  finder.Execute();
  EXPECT_EQ(files.fileTests, 4);  // R, SUB, DEEP, Z
  EXPECT_EQ(finder.ListedFolders(), 4u);
  EXPECT_EQ(recorder.events.size(), 2u + 3u + 1u);
}

TEST_F(FindInDirTest, StopInsideAFindEndsTheRunAndTheNextRunStartsAfresh) {
  finder.Masks = {"*.*"};
  recorder.onFound = [](TFindInDir& f) { f.SetStopScan(true); };
  finder.Execute();
  EXPECT_EQ(recorder.events, (Events{"F C:\\R\\A.DLL 0", "E"}));
  EXPECT_TRUE(finder.StopScan());

  recorder.events.clear();
  recorder.onFound = nullptr;
  finder.Execute();
  EXPECT_FALSE(finder.StopScan());
  EXPECT_EQ(recorder.events.size(), 5u + 3u + 1u);  // five files, three folders, the end
}

TEST_F(FindInDirTest, PauseWaitsForTheWindowOrAnotherThread) {
  // The window's wait: each call stands for events that arrive; the third resumes.
  int waits = 0, pumped = 0;
  platform::EventPump windowPump;
  TFindInDir waiting(files, windowPump);
  windowPump.SetHook([&] { ++pumped; });
  windowPump.SetWaitHook([&] {
    if (++waits == 3) waiting.SetPause(false);
  });
  Recorder waitingRecorder(waiting);
  waitingRecorder.onFound = [](TFindInDir& f) { f.SetPause(true); };
  waiting.InitialDir = "C:\\R";
  waiting.Masks = {"*.txt"};
  waiting.ScanSubfolders = false;
  waiting.Execute();
  EXPECT_EQ(waits, 3);
  EXPECT_EQ(pumped, 1);  // once after the find, never while waiting
  EXPECT_EQ(waitingRecorder.events, (Events{"F C:\\R\\B.TXT 0", "E"}));

  // Without a window, another thread stops the paused walk.
  std::thread stopper;
  recorder.onFound = [&](TFindInDir& f) {
    f.SetPause(true);
    stopper = std::thread([&] { finder.SetStopScan(true); });
  };
  finder.Masks = {"*.txt"};
  finder.Execute();
  stopper.join();
  EXPECT_EQ(recorder.events, (Events{"F C:\\R\\B.TXT 0", "E"}));
}

TEST(FindInDirHostTest, HiddenFoldersAreMatchedButNotEnteredAndLinksNotFollowed) {
  test::SearchPrefix prefix;
  prefix.AddFile("C:\\T\\a.txt");
  prefix.AddFile("C:\\T\\.cache\\a.txt");
  prefix.AddFile("C:\\T\\In\\a.txt");
  std::filesystem::create_directory_symlink(prefix.Host("C:\\T"), prefix.Host("C:\\T\\In\\Loop"));

  platform::EventPump pump;
  TFindInDir finder(prefix.Files(), pump);
  Recorder recorder(finder);
  finder.InitialDir = "C:\\T\\";
  finder.Masks = {"a.txt", ".cache", "loop"};
  finder.SearchFor = fidSearchForDirs | fidSearchForFiles;
  finder.Execute();
  EXPECT_EQ(recorder.events, (Events{
                                 "F C:\\T\\a.txt 0",
                                 "D C:\\T\\.cache 1",
                                 "C C:\\T\\ > In -1",
                                 "F C:\\T\\In\\a.txt 0",
                                 "D C:\\T\\In\\Loop 2",
                                 "E",
                             }));
  EXPECT_EQ(finder.ListedFolders(), 2u);
  EXPECT_EQ(prefix.Files().ListingCount(), finder.ListedFolders());

  // The kernel's folders are never walked, through whichever drive they are reached.
  prefix.LinkDrive('z', "/");
  EXPECT_TRUE(prefix.Files().IsWalkBarrier("Z:\\proc"));
  EXPECT_TRUE(prefix.Files().IsWalkBarrier("Z:\\SYS\\"));
  EXPECT_FALSE(prefix.Files().IsWalkBarrier("Z:\\usr"));
  EXPECT_FALSE(prefix.Files().IsWalkBarrier("C:\\T\\In"));
}

TEST(MaskIndexTest, AnswersAsThePlatformMatchesEachMask) {
  const std::vector<std::string> masks = {"a.txt", "A.TXT.",   "*.txt",  "*.TXT", "*.*", "*.",
                                          "a?c.*", "*.tar.gz", "readme", "x*",    "\"q", "",
                                          "*.t?t", "é.TXT",    "a.txt",  "*.txt "};
  const char* names[] = {"a.txt", "A.Txt", "b.txt",     "c.tar.gz", "readme", "abc.d", "x",
                         "noext", ".txt",  "a.txt.bak", "É.txt",    "q.t",    "b.tst"};
  MaskIndex index(masks);
  for (const char* name : names) {
    std::vector<int> found;
    index.Match(name, found);
    std::multiset<int> expected;
    for (int i = 0; i < static_cast<int>(masks.size()); ++i)
      if (!masks[i].empty() && platform::MatchesMask(masks[i], name)) expected.insert(i);
    EXPECT_EQ(std::multiset<int>(found.begin(), found.end()), expected) << name;
  }
}

}  // namespace
}  // namespace hw
