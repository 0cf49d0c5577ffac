#include "app/MachineWindow.h"

#include "app/AppContext.h"
#include "app/FormRegFix.h"
#include "app/WizardRun.h"
#include "platform/RegistryTarget.h"

namespace hw::app {

// Members go in reverse order, the window first.
struct TMachineWindow::TParts {
  std::unique_ptr<platform::RegistryTarget> target;
  std::unique_ptr<platform::ScanRegistry> scanned;
  platform::EventPump pump;
  std::unique_ptr<TAppContext> context;
  std::unique_ptr<TWizardRun> work;
  std::unique_ptr<TFormRegFix> form;
};

TMachineWindow::TMachineWindow(std::filesystem::path programFolder, UpdateTransport& transport)
    : programFolder_(std::move(programFolder)), transport_(transport) {}

TMachineWindow::~TMachineWindow() = default;

TFormRegFix* TMachineWindow::Form() const { return parts_ ? parts_->form.get() : nullptr; }

bool TMachineWindow::Open(std::vector<std::string> args) {
  auto parts = std::make_unique<TParts>();
  parts->target = platform::OpenRegistryTarget({});
  platform::RegistryApi& api = parts->target->Api();
  // The system's registry keeps the settings as they are written.
  parts->context = std::make_unique<TAppContext>(TAppContext{api,
                                                             parts->target->Files(),
                                                             parts->pump,
                                                             {api, nullptr, {}},
                                                             programFolder_,
                                                             std::move(args)});
  // Under Wine a scan reads a snapshot, taken anew for each scan.
  parts->scanned = std::make_unique<platform::ScanRegistry>(*parts->target);
  parts->context->Scan = parts->scanned.get();
  InstallEventPump(parts->pump);
  parts->work = std::make_unique<TWizardRun>(transport_);
  parts->form = std::make_unique<TFormRegFix>(*parts->context);
  TFormRegFix& form = *parts->form;
  form.SetWizardWork(parts->work.get());
  if (!form.FormCreate()) {
    exitStatus_ = form.ExitStatus();
    return false;
  }
  parts_ = std::move(parts);
  form.show();
  form.FormShow();
  return true;
}

}  // namespace hw::app
