#pragma once
// The long work behind the wizard's Next button that the window starts but
// does not do itself: the scan with the moved-file search that follows it,
// and the repair. The window runs without it; the orchestration plugs in here.

namespace hw::app {

class TFormRegFix;

class TWizardWork {
 public:
  virtual ~TWizardWork() = default;
  // Next (Start) on Welcome, after the categories were checked and set.
  virtual void StartScan(TFormRegFix& form) = 0;
  // Next ("Fix it!") on Fix_it.
  virtual void FixIt(TFormRegFix& form) = 0;
  // The moved-file search that follows a scan: whether it runs, and Cancel's request to stop it.
  virtual bool SearchRunning() const = 0;
  virtual void StopSearch() = 0;
  // The Info menu's update check.
  virtual void CheckForNewVersion(TFormRegFix& form) = 0;
};

}  // namespace hw::app
