// The registry target on Windows: the machine's own registry and drives.
#include "platform/RegistryTarget.h"
#include "platform/windows/WinFileSystem.h"
#include "platform/windows/WinRegistryApi.h"

namespace hw::platform {

namespace {

class MachineTarget final : public RegistryTarget {
 public:
  RegistryApi& Api() override { return api_; }
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
