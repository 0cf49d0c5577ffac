#include "search/FindInDir.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/EventPump.h"
#include "platform/Text.h"
#include "search/MaskIndex.h"

namespace hw {
namespace {

// Without a window to wait on, a paused walk looks at the events this often
// (a flag set from another thread wakes it at once).
constexpr std::chrono::milliseconds kPausePoll{50};

// Hidden and system folders are matched by the masks but not entered; Wine
// shows names that start with a dot as hidden.
bool entersFolder(const platform::FindData& entry) {
  return entry.IsDirectory() &&
         (entry.Attributes & (platform::kAttrHidden | platform::kAttrSystem)) == 0 &&
         !(entry.Name.size() > 1 && entry.Name[0] == '.');
}

}  // namespace

TFindInDir::TFindInDir(platform::FileSystem& files, const platform::EventPump& pump)
    : files_(files), pump_(pump) {}

TFindInDir::~TFindInDir() = default;

bool TFindInDir::StopScan() const { return Flag(stopScan_); }
void TFindInDir::SetStopScan(bool value) { SetFlag(stopScan_, value); }
bool TFindInDir::Pause() const { return Flag(pause_); }
void TFindInDir::SetPause(bool value) { SetFlag(pause_, value); }

bool TFindInDir::Flag(const bool& flag) const {
  std::lock_guard lock(mutex_);
  return flag;
}

void TFindInDir::SetFlag(bool& flag, bool value) {
  {
    std::lock_guard lock(mutex_);
    flag = value;
  }
  changed_.notify_all();  // a walk waiting while paused looks again
}

void TFindInDir::Execute() {
  {
    std::lock_guard lock(mutex_);
    stopScan_ = false;
    pause_ = false;
  }
  listedFolders_ = 0;
  if (InitialDir.empty()) return;
  // Host folders ("/...") are walked with the host's separator.
  separator_ = InitialDir.front() == '/' ? '/' : '\\';
  if (Masks.empty() && !FileMask.empty()) Masks.emplace_back(platform::cutToChars(FileMask, 255));
  if (!Masks.empty()) {
    const MaskIndex masks(Masks);
    Walk(InitialDir, masks);
  }
  Fire(OnEndScan);
}

void TFindInDir::Walk(std::string folder, const MaskIndex& masks) {
  if (folder.back() != separator_) folder += separator_;
  if (!WaitWhilePaused()) return;

  // One listing serves every mask and the subfolders.
  std::vector<platform::FindData> entries;
  platform::FindData data;
  if (auto search = files_.FindFirstFileA(folder + '*', data)) {
    do {
      if (data.Name != "." && data.Name != "..") entries.push_back(std::move(data));
    } while (search->FindNextFileA(data));
  }
  ++listedFolders_;

  // Mask by mask in the order of Masks, then in listing order.
  std::vector<std::pair<int, std::size_t>> finds;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    matched_.clear();
    masks.Match(entries[i].Name, matched_);
    for (int mask : matched_) finds.emplace_back(mask, i);
  }
  std::sort(finds.begin(), finds.end());
  for (const auto& [mask, index] : finds) {
    const platform::FindData& entry = entries[index];
    const bool folderFound = entry.IsDirectory();
    if (!(SearchFor & (folderFound ? fidSearchForDirs : fidSearchForFiles))) continue;
    CurrentDir = folder;
    CurrentName = entry.Name;
    CurrentMaskIndex = mask;
    SearchRec = entry;
    Fire(folderFound ? OnFoundDir : OnFoundFile);
    if (!ContinueAfterEntry()) return;
  }

  if (!ScanSubfolders || !WaitWhilePaused()) return;
  for (const platform::FindData& entry : entries) {
    if (!entersFolder(entry)) continue;
    std::string subfolder = folder + entry.Name;
    if (files_.IsWalkBarrier(subfolder)) continue;
    CurrentDir = folder;
    CurrentName.clear();
    CurrentMaskIndex = -1;
    SearchRec = entry;
    Fire(OnChangeDir);
    Walk(std::move(subfolder), masks);
    if (!ContinueAfterEntry()) return;
  }
}

bool TFindInDir::ContinueAfterEntry() {
  pump_.ProcessMessages();
  return WaitWhilePaused();
}

bool TFindInDir::WaitWhilePaused() {
  for (;;) {
    std::unique_lock lock(mutex_);
    if (stopScan_) return false;
    if (!pause_) return true;
    if (pump_.CanWait()) {
      // The window blocks until events arrive; one of them may resume or stop.
      lock.unlock();
      pump_.WaitForMessages();
    } else {
      lock.unlock();
      pump_.ProcessMessages();
      lock.lock();
      changed_.wait_for(lock, kPausePoll, [this] { return stopScan_ || !pause_; });
    }
  }
}

void TFindInDir::Fire(const TNotifyEvent& event) {
  if (event) event(*this);
}

}  // namespace hw
