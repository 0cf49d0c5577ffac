#include "app/Uninstall.h"

#include "app/AppContext.h"
#include "app/FormRegFix.h"
#include "platform/MemoryStore.h"
#include "platform/RegistryTarget.h"
#include "platform/StoreRegistryApi.h"

namespace hw::app {

void UninstallWithoutPrefix(const std::filesystem::path& programFolder,
                            std::vector<std::string> args) {
  platform::MemoryStore store;
  platform::StoreRegistryApi api(store);
  std::unique_ptr<platform::FileSystem> files = platform::ProgramFileSystem(programFolder, api);
  platform::EventPump pump;
  TAppContext context{api, *files, pump, {api, nullptr, {}}, programFolder, std::move(args)};
  TFormRegFix form(context);
  form.FormCreate();
}

}  // namespace hw::app
