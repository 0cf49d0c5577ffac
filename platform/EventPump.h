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

 private:
  std::function<void()> hook_;
};

}  // namespace hw::platform
