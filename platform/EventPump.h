#pragma once
// The hook long loops (the scan, the directory search, a repair run) call once
// per key, value, folder or entry. The window sets it to process pending
// events, so it repaints and its Cancel button can set a stop flag; core code
// never includes the GUI toolkit.

#include <functional>
#include <utility>

namespace hw::platform {

class EventPump {
 public:
  void SetHook(std::function<void()> hook) { hook_ = std::move(hook); }
  void ProcessMessages() const {
    if (hook_) hook_();
  }

  // A loop that has nothing to do until an event changes its state (a paused
  // search) waits here instead of spinning: the window sets a hook that blocks
  // until events arrive and processes them. Without one, the loop cannot wait
  // for events and must wait otherwise.
  void SetWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }
  bool CanWait() const { return static_cast<bool>(waitHook_); }
  void WaitForMessages() const {
    if (waitHook_) waitHook_();
  }

 private:
  std::function<void()> hook_;
  std::function<void()> waitHook_;
};

}  // namespace hw::platform
