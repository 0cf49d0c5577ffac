#include "app/PrefixWindow.h"

#include <QTimer>

#include "app/AppContext.h"
#include "app/Dialogs.h"
#include "app/FormRegFix.h"
#include "app/WizardRun.h"
#include "platform/FileIo.h"
#include "platform/wine/WinePrefixStore.h"

namespace hw::app {

namespace fs = std::filesystem;

// One prefix with its window; members go in reverse order, the window first.
struct TPrefixWindow::TOpened {
  std::unique_ptr<TPrefixSession> session;
  std::unique_ptr<TAppContext> context;
  std::unique_ptr<TWizardRun> work;
  std::unique_ptr<TFormRegFix> form;
};

TPrefixWindow::TPrefixWindow(fs::path programFolder, UpdateTransport& transport, TFinder finder)
    : programFolder_(std::move(programFolder)), transport_(transport), finder_(std::move(finder)) {}

TPrefixWindow::~TPrefixWindow() = default;

TFormRegFix* TPrefixWindow::Form() const { return opened_ ? opened_->form.get() : nullptr; }

fs::path TPrefixWindow::Prefix() const {
  return opened_ ? opened_->session->Store().prefix() : fs::path();
}

std::unique_ptr<TPrefixWindow::TOpened> TPrefixWindow::Start(
    std::unique_ptr<TPrefixSession> session, std::vector<std::string> args) {
  auto opened = std::make_unique<TOpened>();
  opened->session = std::move(session);
  opened->context =
      std::make_unique<TAppContext>(opened->session->Context(programFolder_, std::move(args)));
  InstallEventPump(opened->context->Pump);
  opened->work = std::make_unique<TWizardRun>(opened->session->Store(), transport_);
  opened->form = std::make_unique<TFormRegFix>(*opened->context);
  TFormRegFix& form = *opened->form;
  form.SetWizardWork(opened->work.get());
  if (!form.FormCreate()) {
    exitStatus_ = form.ExitStatus();
    return nullptr;
  }
  const fs::path prefix = opened->session->Store().prefix();
  form.SetPrefixChoices(prefix, finder_ ? finder_() : std::vector<platform::FoundPrefix>{});
  // The window goes away in the switch: the switch waits until its handler
  // has returned.
  form.PrefixChosen = [this](const fs::path& chosen) {
    QTimer::singleShot(0, &guard_, [this, chosen] { Switch(chosen); });
  };
  return opened;
}

bool TPrefixWindow::Open(std::unique_ptr<TPrefixSession> session, std::vector<std::string> args) {
  opened_ = Start(std::move(session), std::move(args));
  if (!opened_) return false;
  TFormRegFix& form = *opened_->form;
  form.show();
  form.FormShow();
  // Looking works while Wine runs in the prefix; saving waits until it ends.
  if (opened_->session->Store().readOnly())
    form.SetStatus(1, QString::fromStdString(opened_->session->Store().readOnlyReason()));
  return true;
}

bool TPrefixWindow::Switch(const fs::path& prefix) {
  TFormRegFix* current = Form();
  std::unique_ptr<TPrefixSession> session;
  try {
    session = TPrefixSession::Open(prefix);
  } catch (const platform::FileError& error) {
    Dialogs::MessageDlg(current, QString::fromUtf8(error.what()), TMsgDlgType::mtError, mbOK);
    return false;
  }
  // The command line's "/uninstall" was the first window's alone.
  std::unique_ptr<TOpened> next = Start(std::move(session), {});
  if (!next) return false;
  // The new window is shown before the old one closes, so the application
  // never sees its last window closed.
  if (current) next->form->setGeometry(current->geometry());
  std::unique_ptr<TOpened> previous = std::exchange(opened_, std::move(next));
  TFormRegFix& form = *opened_->form;
  form.show();
  form.FormShow();
  if (opened_->session->Store().readOnly())
    form.SetStatus(1, QString::fromStdString(opened_->session->Store().readOnlyReason()));
  if (previous) previous->form->close();
  return true;
}

}  // namespace hw::app
