#pragma once
// TWizardRun: the long work behind the wizard's Next button. Start scans the
// prefix, then looks for the missing files under the search folders; "Fix
// it!" checks the backup file, repairs the picked entries and writes the
// prefix only when the whole run and its backup succeeded. The window keeps
// repainting and its Cancel button working through the event pump while any
// of it runs.

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/WizardWork.h"

namespace hw {
class TFindInDir;
class UpdateTransport;
namespace platform {
class EventPump;
class WinePrefixStore;
}  // namespace platform
}  // namespace hw

namespace hw::app {

// Points the long loops' pump at the Qt event loop: one pass over pending
// events per key, folder or entry, and a blocking wait while a search pauses.
void InstallEventPump(platform::EventPump& pump);

class TWizardRun : public TWizardWork {
 public:
#ifdef _WIN32
  // The machine's registry, which keeps each change as it is made; transport:
  // how the update check fetches its page, off the GUI thread (not owned).
  explicit TWizardRun(UpdateTransport& transport);
#else
  // prefix: where the repairs are written (and read again after a failed
  // run); transport: how the update check fetches its page, off the GUI
  // thread. Neither is owned.
  TWizardRun(platform::WinePrefixStore& prefix, UpdateTransport& transport);
#endif
  ~TWizardRun() override;

  void StartScan(TFormRegFix& form) override;
  void FixIt(TFormRegFix& form) override;
  bool SearchRunning() const override;
  void StopSearch() override;
  void CheckForNewVersion(TFormRegFix& form) override;

  // Opens the product's web page; false when nothing could open it. The
  // default hands the address to the desktop; tests replace it.
  std::function<bool(const QString& url)> OpenUrl;
  // The update page; empty (no page built in): the check says so and asks nothing.
  std::string UpdateUrl;

 private:
  void Search(TFormRegFix& form);
  // The Fix_it checks; false when the run must not start (the page stays).
  bool CheckBackupFile(TFormRegFix& form, bool& createAfresh);
  // Whether the backup may be added to file; says why not.
  bool CanAppendTo(TFormRegFix& form, const std::filesystem::path& file);
  void Repair(TFormRegFix& form, bool backupOn, bool createAfresh);
  // After a run that must not be kept: the prefix as it is on disk again.
  // listsChanged: the run took entries off the lists that are back now.
  void DropChanges(TFormRegFix& form, const QString& why, bool listsChanged);

#ifndef _WIN32
  platform::WinePrefixStore& prefix_;
#endif
  UpdateTransport& transport_;
  std::unique_ptr<TFindInDir> finder_;
  bool checking_ = false;
};

}  // namespace hw::app
