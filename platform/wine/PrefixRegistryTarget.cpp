// The registry target on Linux: a Wine prefix.
#include <utility>

#include "platform/wine/PrefixFileSystem.h"
#include "platform/ProgramPlaces.h"
#include "platform/RegistryTarget.h"
#include "platform/StoreRegistryApi.h"
#include "platform/wine/WinePrefixStore.h"
#include "platform/wine/WineServerProbe.h"

namespace hw::platform {

namespace {

class PrefixTarget final : public RegistryTarget {
 public:
  PrefixTarget(const std::string& prefix, std::unique_ptr<WinePrefixStore> store)
      : store_(std::move(store)), api_(*store_), files_(prefix, api_) {}

  RegistryApi& Api() override { return api_; }
  FileSystem& Files() override { return files_; }
  std::string ReadOnlyReason() const override { return store_->readOnlyReason(); }
  void Save() override { store_->save(); }
  // Changes live in memory until Save(): the files are as they were.
  std::string FailedRunText() const override { return "the prefix was not changed"; }

 private:
  std::unique_ptr<WinePrefixStore> store_;
  StoreRegistryApi api_;
  PrefixFileSystem files_;
};

}  // namespace

std::unique_ptr<RegistryTarget> OpenRegistryTarget(const std::string& prefix) {
  const std::string folder = ResolvePrefix(prefix);
  return std::make_unique<PrefixTarget>(folder, WinePrefixStore::open(folder));
}

std::unique_ptr<FileSystem> ProgramFileSystem(const std::filesystem::path& folder,
                                              RegistryApi& registry) {
  return std::make_unique<PrefixFileSystem>(folder, registry);
}

std::string ChangesRefusedReason(const std::string& prefix) {
  const std::string folder = ResolvePrefix(prefix);
  return wineServerRunning(folder) ? wineRunningMessage(folder) : std::string();
}

}  // namespace hw::platform
