#pragma once
// Under Wine every registry call is a round trip to wineserver, and a scan
// makes hundreds of thousands of them. There wineserver can write a whole hive
// in its own text format in one request (RegSaveKeyEx), which the prefix
// loader reads; the scan then walks memory, as the Linux build does. Windows
// itself writes binary hives, so there the scan reads the registry live.

#ifdef _WIN32

#include <memory>
#include <string>

#include "platform/RegistryStore.h"

namespace hw::platform {

// Whether this process runs under Wine (ntdll exports wine_get_version).
bool RunsUnderWine();

// HKEY_LOCAL_MACHINE and HKEY_USERS as wineserver holds them now, volatile
// keys left out as in the prefix's files; `sid` is the current user's. Null,
// with the reason in `why`, when wineserver would not write them (no backup
// privilege, no temporary folder) or the text could not be read.
std::unique_ptr<RegistryStore> SnapshotWineRegistry(const std::string& sid, std::string& why);

}  // namespace hw::platform

#endif  // _WIN32
