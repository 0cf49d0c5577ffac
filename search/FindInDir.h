#pragma once
// TFindInDir: walks a folder tree and reports every file (and on request every
// folder) whose name matches one of its masks, through events, so its owner
// acts on each find at once. Between finds it lets the window process events,
// and it honours a pause and a stop flag those events may set.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace hw {

namespace platform {
class EventPump;
}
class MaskIndex;

enum TFindInDirOption : std::uint8_t { fidSearchForDirs = 1, fidSearchForFiles = 2 };

class TFindInDir {
 public:
  using TNotifyEvent = std::function<void(TFindInDir& sender)>;

  // Neither is owned; both must outlive the component.
  TFindInDir(platform::FileSystem& files, const platform::EventPump& pump);
  ~TFindInDir();
  TFindInDir(const TFindInDir&) = delete;
  TFindInDir& operator=(const TFindInDir&) = delete;

  std::string FileMask;  // used when Masks is empty; at most 255 characters
  std::string InitialDir;
  // Name masks with * and ?; survives runs, cleared only by its owner.
  std::vector<std::string> Masks;
  bool ScanSubfolders = true;
  std::uint8_t SearchFor = fidSearchForFiles;  // fidSearchForDirs reports folders too

  TNotifyEvent OnFoundFile;
  TNotifyEvent OnFoundDir;
  TNotifyEvent OnChangeDir;  // about to enter a subfolder
  TNotifyEvent OnEndScan;

  // Valid during an event: the folder being listed (ending in a separator),
  // the name found (empty in OnChangeDir), the index in Masks of the mask that
  // matched (-1 in OnChangeDir) and the entry's find record.
  std::string CurrentDir;
  std::string CurrentName;
  int CurrentMaskIndex = -1;
  platform::FindData SearchRec;

  // Clears both flags; with an empty InitialDir nothing else happens.
  // Otherwise walks the tree and fires OnEndScan, also after a stop.
  void Execute();

  // The flags may be set from event handlers or from another thread. A set
  // StopScan ends the walk when it next looks, and stays set until the next
  // Execute; while Pause is set (and StopScan not) the walk waits.
  bool StopScan() const;
  void SetStopScan(bool value);
  bool Pause() const;
  void SetPause(bool value);

  // How many folders the last run listed.
  std::size_t ListedFolders() const { return listedFolders_; }

 private:
  struct Listed {
    platform::FindData data;
    bool enter;
  };

  void Walk(std::string folder, const MaskIndex& masks);
  // Lets events run; false when the walk is to end.
  bool ContinueAfterEntry();
  bool WaitWhilePaused();
  void Fire(const TNotifyEvent& event);
  bool Flag(const bool& flag) const;
  void SetFlag(bool& flag, bool value);

  platform::FileSystem& files_;
  const platform::EventPump& pump_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool stopScan_ = false;
  bool pause_ = false;
  char separator_ = '\\';
  std::size_t listedFolders_ = 0;
  std::vector<int> matched_;  // scratch of Walk
};

}  // namespace hw
