// The registry target on Windows: the machine's own registry and drives.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/RegistryTarget.h"
#include "platform/StoreRegistryApi.h"
#include "platform/windows/WinFileSystem.h"
#include "platform/windows/WinRegistryApi.h"
#include "platform/windows/WineRegistrySnapshot.h"

namespace hw::platform {

namespace {

class MachineTarget final : public RegistryTarget {
 public:
  RegistryApi& Api() override { return api_; }
  RegistryApi& ScanApi() override {
    // Each scan its own: a window scans again after a repair.
    snapshotApi_.reset();
    snapshot_.reset();
    // HW_REGISTRY_SNAPSHOT=0 reads the live registry under Wine too, for
    // the checks that compare the two.
    const char* wanted = std::getenv("HW_REGISTRY_SNAPSHOT");
    std::string why;
    if (RunsUnderWine() && !(wanted && std::strcmp(wanted, "0") == 0)) {
      if ((snapshot_ = SnapshotWineRegistry(api_.CurrentUserSid(), why)))
        snapshotApi_ = std::make_unique<StoreRegistryApi>(*snapshot_);
      else
        // Without a snapshot the scan is slower, not different.
        std::cerr << "hivewarden: reading the registry key by key, which takes longer under "
                     "Wine: "
                  << why << "\n";
    }
    return snapshotApi_ ? static_cast<RegistryApi&>(*snapshotApi_) : api_;
  }
  FileSystem& Files() override { return files_; }
  std::string ReadOnlyReason() const override { return {}; }
  // The system's registry has kept every change already.
  void Save() override {}
  std::string FailedRunText() const override {
    // A run writes its backup before its first change.
    return "the changes made before the failure stay in the registry; the backup, when one was "
           "asked for, holds what they replaced";
  }

 private:
  WinRegistryApi api_;
  WinFileSystem files_;
  std::unique_ptr<RegistryStore> snapshot_;
  std::unique_ptr<StoreRegistryApi> snapshotApi_;
};

}  // namespace

std::unique_ptr<RegistryTarget> OpenRegistryTarget(const std::string& prefix) {
  if (!prefix.empty())
    throw std::invalid_argument(
        "--prefix names a Wine prefix, which only the Linux build cleans; on Windows "
        "hivewarden-cli works on this machine's own registry");
  return std::make_unique<MachineTarget>();
}

std::unique_ptr<FileSystem> ProgramFileSystem(const std::filesystem::path&, RegistryApi&) {
  return std::make_unique<WinFileSystem>();
}

std::string ChangesRefusedReason(const std::string&) { return {}; }

}  // namespace hw::platform
