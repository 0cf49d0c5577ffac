#include "app/WizardRun.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <atomic>
#include <exception>
#include <filesystem>
#include <optional>
#include <thread>

#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "controls/ChckLBCB.h"
#include "platform/EventPump.h"
#include "platform/StoreError.h"
#ifndef _WIN32
#include "platform/wine/WinePrefixStore.h"
#include "platform/wine/WineServerProbe.h"
#endif
#include "registry/RegExport.h"
#include "repair/RepairRun.h"
#include "results/ReportIntake.h"
#include "search/FindInDir.h"
#include "search/MovedFileSearch.h"
#include "search/SearchFolders.h"
#include "update/CheckUpdate.h"
#include "update/UpdateAddresses.h"
#include "update/UpdateTransport.h"

namespace hw::app {

namespace fs = std::filesystem;

namespace {

constexpr int kMessageNothingFound = 2;
constexpr int kMessageRepaired = 15;
constexpr int kMessageNoBackupName = 17;
constexpr int kMessageNoBackupFolder = 18;
constexpr int kMessageBackupExists = 22;
constexpr int kMessageAppendOrReplace = 23;
constexpr int kMessageNewVersion = 36;
constexpr int kMessageNoNewVersion = 37;
constexpr int kMessageUnreachable = 38;
constexpr int kMessageNoWebPage = 40;
constexpr int kMessageNoUpdateAddress = 42;
constexpr int kTextAppend = 59;
constexpr int kTextReplace = 60;
constexpr int kTextCancel = 56;

// The backup writer's messages, in plain message boxes over the window.
class TWindowMessages final : public TBackupMessages {
 public:
  explicit TWindowMessages(QWidget* window) : window_(window) {}
  void ShowMessage(const std::string& text) override {
    Dialogs::ShowMessage(window_, QString::fromStdString(text));
  }

 private:
  QWidget* window_;
};

// Sets a flag for the life of a scope, also when it is left by an exception.
class TFlagScope {
 public:
  TFlagScope(bool& flag, bool value) : flag_(flag), after_(!value) { flag_ = value; }
  ~TFlagScope() { flag_ = after_; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

 private:
  bool& flag_;
  bool after_;
};

// Fetches on a worker thread while the window's events go on, so a slow or
// dead network never freezes the window. Closing the window aborts the
// transfer instead of waiting for it: the process ends promptly.
class TBackgroundFetch final : public UpdateTransport {
 public:
  TBackgroundFetch(UpdateTransport& inner, TFormRegFix& form) : inner_(inner), form_(form) {}
  std::optional<std::string> Fetch(const std::string& url, std::size_t maxBytes) override {
    std::optional<std::string> page;
    std::atomic<bool> done{false};
    QEventLoop loop;
    // Also when the application quits, which ends every event loop.
    QObject::connect(&form_, &TFormRegFix::WindowClosing, &loop, &QEventLoop::quit);
    std::thread worker([&] {
      try {
        page = inner_.Fetch(url, maxBytes);
      } catch (...) {
        page.reset();  // a transport that throws counts as a page that did not open
      }
      done = true;
      QMetaObject::invokeMethod(
          &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    if (!form_.Closing()) loop.exec();
    if (!done) inner_.Abort();
    worker.join();
    if (form_.Closing()) page.reset();
    return page;
  }

 private:
  UpdateTransport& inner_;
  TFormRegFix& form_;
};

bool OpenInDesktop(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

}  // namespace

void InstallEventPump(platform::EventPump& pump) {
  pump.SetHook([] { QCoreApplication::processEvents(); });
  pump.SetWaitHook([] { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); });
}

#ifdef _WIN32
TWizardRun::TWizardRun(UpdateTransport& transport)
    : OpenUrl(&OpenInDesktop), UpdateUrl(UpdatePageUrl()), transport_(transport) {}
#else
TWizardRun::TWizardRun(platform::WinePrefixStore& prefix, UpdateTransport& transport)
    : OpenUrl(&OpenInDesktop), UpdateUrl(UpdatePageUrl()), prefix_(prefix), transport_(transport) {}
#endif

TWizardRun::~TWizardRun() = default;

bool TWizardRun::SearchRunning() const { return finder_ && !finder_->StopScan(); }

void TWizardRun::StopSearch() {
  if (finder_) finder_->SetStopScan(true);
}

void TWizardRun::StartScan(TFormRegFix& form) {
  TAnalyzClass& engine = form.Engine();
  // A prefix that lost its drives would make every path seem missing.
  if (const std::string reason = engine.PathsUnusableReason(); !reason.empty()) {
    Dialogs::ShowMessage(&form, QString::fromStdString(reason));
    return;
  }
  if (!finder_) {
    finder_ = std::make_unique<TFindInDir>(form.Context().Files, form.Context().Pump);
    finder_->SetStopScan(true);
  }
  // What the scan reads is as the registry is now, after any repair.
  if (platform::ScanRegistry* scanned = form.Context().Scan) scanned->Renew();
  form.SetStatus(0, {});
  form.PrepareResultLists();
  ConnectReportEvents(engine, form.Categories(), form.Lang());
  {
    // A scan that throws still leaves the buttons idle.
    TFlagScope running(engine.Stop, false);
    form.ShowPage(pgRegistry);
    try {
      engine.Analyze();
    } catch (const std::exception& error) {
      Dialogs::ShowMessage(&form, QString::fromUtf8(error.what()));
    }
  }
  if (form.Categories().CountTotal() == 0) {
    Dialogs::MessageDlg(&form, form.Message(kMessageNothingFound), TMsgDlgType::mtInformation,
                        mbOK);
  } else {
    // The window was closed during the scan: nothing more.
    if (form.Closing()) return;
    Search(form);
  }
  finder_->SetStopScan(true);
  form.Notebook1PageChanged();
  form.ChckListBox1->setFocus();
}

void TWizardRun::Search(TFormRegFix& form) {
  finder_->SetStopScan(false);
  form.Notebook1PageChanged();
  TExcludedDriveList excluded;
  excluded.Assign(form.Engine().ExcludedDrives);
  TMovedFileSearch search(form.Categories(), form.Lang(), *finder_);
  try {
    search.RunMovedFileSearch(form.SearchPaths(), &excluded);
  } catch (const std::exception& error) {
    Dialogs::ShowMessage(&form, QString::fromUtf8(error.what()));
  }
  finder_->OnFoundFile = finder_->OnFoundDir = finder_->OnChangeDir = finder_->OnEndScan = {};
  form.ApplySearchDefaults();
  form.ChckListBox1->viewport()->update();
}

void TWizardRun::FixIt(TFormRegFix& form) {
#ifndef _WIN32
  // Wine running in the prefix: every change would be refused, and a run
  // would count entries it could not touch as repaired. Wine may have started
  // since the prefix was read.
  if (!prefix_.readOnly() && platform::wineServerRunning(prefix_.prefix()))
    prefix_.refuseWrites(platform::wineRunningMessage(prefix_.prefix()));
  if (prefix_.readOnly()) {
    Dialogs::ShowMessage(&form, QString::fromStdString(prefix_.readOnlyReason()));
    return;
  }
#endif
  const bool backupOn = form.ChBSaveUndo->isChecked();
  bool createAfresh = true;
  if (backupOn) {
    if (!CheckBackupFile(form, createAfresh)) return;
  } else {
    form.EUndoFile->clear();
    form.BackupFileName.clear();
  }
  Repair(form, backupOn, createAfresh);
}

bool TWizardRun::CheckBackupFile(TFormRegFix& form, bool& createAfresh) {
  // A path typed with backslashes on Windows; elsewhere they are part of names.
  const QString text = QDir::fromNativeSeparators(form.EUndoFile->text());
  const qsizetype cut = text.lastIndexOf('/') + 1;
  form.BackupFileName = text.mid(cut).toStdString();
  if (form.BackupFileName.empty()) {
    Dialogs::ShowMessage(&form, form.Message(kMessageNoBackupName));
    form.EUndoFile->setFocus();
    return false;
  }
  form.UndoPath = text.left(cut).toStdString();
  if (form.UndoPath.empty() || !FolderExists(form.UndoPath)) {
    Dialogs::ShowMessage(&form, form.Message(kMessageNoBackupFolder));
    form.UndoPath.clear();
    form.EUndoFile->setFocus();
    return false;
  }
  if (form.BackupFileName.find('.') == std::string::npos) form.BackupFileName += ".reg";
  createAfresh = true;
  const fs::path file = fs::path(form.UndoPath) / form.BackupFileName;
  std::error_code error;
  if (fs::exists(file, error)) {
    TUserDlg question(&form);
    question.Title = form.windowTitle();
    question.Message = {
        form.Message(kMessageBackupExists) + ": \r" + QString::fromStdString(file.string()),
        form.Message(kMessageAppendOrReplace)};
    question.Buttons = {form.InterfaceText(kTextAppend), form.InterfaceText(kTextReplace),
                        form.InterfaceText(kTextCancel)};
    question.Icon = TUserDlgIcon::icWarning;
    switch (question.Execute()) {
      case 0:
        createAfresh = false;
        if (!CanAppendTo(form, file)) return false;
        break;
      case 1: createAfresh = true; break;
      default: return false;  // cancelled, or the box closed otherwise
    }
  }
  return true;
}

bool TWizardRun::CanAppendTo(TFormRegFix& form, const fs::path& file) {
  // Adding to what is no REGEDIT4 file would lose its content.
  std::string refusal;
  try {
    refusal = AppendRefusal(file);
  } catch (const std::exception& error) {
    refusal = error.what();
  }
  if (refusal.empty()) return true;
  Dialogs::ShowMessage(&form, QString::fromStdString(refusal));
  form.EUndoFile->setFocus();
  return false;
}

void TWizardRun::Repair(TFormRegFix& form, bool backupOn, bool createAfresh) {
  TBackupSettings backup;
  backup.On = backupOn;
  backup.CreateAfresh = createAfresh;
  if (backupOn) backup.File = fs::path(form.UndoPath) / form.BackupFileName;

  TWindowMessages messages(&form);
  TRepairRun run(form.Context().Registry, form.Categories(), form.Context().Pump, messages);
  std::int32_t repaired = 0;
  const std::int32_t listed = form.Categories().CountTotal();
  QString failure;
  {
    // The pump keeps the window painting: no second run may start from it,
    // and a close is refused while it lasts.
    TFlagScope running(form.RepairRunning, true);
    QWidget* page = form.Notebook1->widget(pgFixIt);
    page->setEnabled(false);
    for (QPushButton* button : {form.BitBtnBack, form.BitBtnNext, form.BitBtnCancel})
      button->setEnabled(false);
    try {
      repaired = run.RepairAll(backup);
      // The registry is written only after the backup of the whole run is.
#ifndef _WIN32
      if (run.RepairRan()) prefix_.save();
#endif
    } catch (const std::exception& error) {
      failure = QString::fromUtf8(error.what());
    }
    page->setEnabled(true);
  }
  if (!failure.isEmpty()) DropChanges(form, failure, form.Categories().CountTotal() != listed);
  form.ShowPage(pgRegistry);
  form.SetStatus(1, {});
  form.RefreshResultCounts();
  if (failure.isEmpty() && run.RepairRan())
    Dialogs::ShowMessage(&form, QString::number(repaired) + ' ' + form.Message(kMessageRepaired));
}

void TWizardRun::DropChanges(TFormRegFix& form, const QString& why, bool listsChanged) {
  QString text = why;
#ifdef _WIN32
  // Each change reached the registry as it was made; the backup, written
  // before the first one, holds what they replaced.
  (void)listsChanged;
  text += QStringLiteral(
      "\rThe changes made before the failure stay in the registry; the backup, when one was "
      "asked for, holds what they replaced. Scan again to see what is left.");
#else
  try {
    prefix_.reload();
    text += QStringLiteral("\rThe prefix was not changed.");
    if (listsChanged)
      text +=
          QStringLiteral(" Entries taken off the list are still there: scan again to see them.");
  } catch (const std::exception& error) {
    text += '\r' + QString::fromUtf8(error.what());
  }
#endif
  form.Context().Files.ClearCache();
  Dialogs::ShowMessage(&form, text);
}

void TWizardRun::CheckForNewVersion(TFormRegFix& form) {
  // The menu stays usable while the page loads; one check at a time.
  if (checking_) return;
  if (UpdateUrl.empty()) {
    Dialogs::ShowMessage(&form, form.Message(kMessageNoUpdateAddress));
    return;
  }
  TFlagScope checking(checking_, true);
  TBackgroundFetch fetch(transport_, form);
  TCheckUpdate check(fetch);
  check.ChkURL = UpdateUrl;
  check.Homepage = HomepageUrl();
  check.ChkStr = kUpdateMarker;
  check.Revision = form.UpdateRevision;
  check.OnFound = [&form](TCheckUpdate&, bool& go) {
    go = !form.Closing() && Dialogs::MessageDlg(&form, form.Message(kMessageNewVersion),
                                                TMsgDlgType::mtConfirmation, mbYes | mbNo) == mbYes;
  };
  check.OnNotFound = [&form](TCheckUpdate&) {
    if (!form.Closing()) Dialogs::ShowMessage(&form, form.Message(kMessageNoNewVersion));
  };
  check.OpenUrl = [this, &form](const std::string& url) {
    const QString address = QString::fromStdString(url);
    if (!OpenUrl || !OpenUrl(address))
      Dialogs::ShowMessage(&form,
                           TFormRegFix::FormatText(form.Message(kMessageNoWebPage), address));
  };
  if (!check.Check() && !form.Closing())
    Dialogs::ShowMessage(&form, form.Message(kMessageUnreachable));
}

}  // namespace hw::app
