#pragma once
// The registry a run cleans, with the file system its paths name. On Linux it
// is a Wine prefix: its registry files are read whole, changed in memory and
// written back by Save(). On Windows it is the machine itself: the system's
// registry keeps every change at once and paths are the system's own.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/FileSystem.h"
#include "platform/RegistryApi.h"

namespace hw::platform {

class RegistryTarget {
 public:
  virtual ~RegistryTarget() = default;

  virtual RegistryApi& Api() = 0;
  // What a scan reads: Api() itself, or a snapshot of it taken by this call
  // (and valid until the next) where reading the live registry key by key
  // costs too much (under Wine, where every call is a round trip to
  // wineserver). Changes, and the backup of what they replace, always go
  // through Api().
  virtual RegistryApi& ScanApi() { return Api(); }
  virtual FileSystem& Files() = 0;

  // Why changes cannot be kept now (Wine runs in the prefix); empty when they can.
  virtual std::string ReadOnlyReason() const = 0;
  // Makes the changes made through Api() lasting. Throws std::runtime_error
  // (with the reason) when they cannot be kept; nothing is written then.
  virtual void Save() = 0;
  // What the user must be told about the registry after a run failed before
  // Save(): whether anything of it was kept.
  virtual std::string FailedRunText() const = 0;
};

// The registry this program works on here: the Wine prefix `prefix` (empty:
// $WINEPREFIX, else ~/.wine) on Linux; on Windows the machine's own, where
// naming a prefix throws std::invalid_argument. Throws std::runtime_error
// (FileError, StoreError) with a message naming the file when the registry
// cannot be read.
std::unique_ptr<RegistryTarget> OpenRegistryTarget(const std::string& prefix);

// A file system for the program's own files (host paths such as the language
// packs in folder) where no registry target is open; registry answers its
// questions about drives.
std::unique_ptr<FileSystem> ProgramFileSystem(const std::filesystem::path& folder,
                                              RegistryApi& registry);

// Whether changes may be made at all right now, checked before the registry is
// read (a wineserver running for the prefix); the reason when not, else empty.
std::string ChangesRefusedReason(const std::string& prefix);

}  // namespace hw::platform
