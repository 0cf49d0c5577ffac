#pragma once
// The registry of a Wine prefix: system.reg (HKEY_LOCAL_MACHINE), user.reg
// (HKEY_USERS\<SID named in its header>, which HKEY_CURRENT_USER stands for) and
// userdef.reg (HKEY_USERS\.Default). Saving writes only the files with changed
// keys, each atomically, and copies every key block that did not change through
// byte for byte; a prefix whose wineserver runs is opened read-only.

#include <sys/types.h>
#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/RegistryStore.h"
#include "platform/wine/WineRegFile.h"

namespace hw::platform {

class WinePrefixStore final : public RegistryStore {
 public:
  // The SID Wine gives the prefix's user.
  static constexpr const char* kWineUserSid = "S-1-5-21-0-0-0-1000";

  // Loads the prefix's registry. Throws StoreError when the folder, system.reg or
  // user.reg is missing or a file cannot be read completely (the message names
  // the file and line); userdef.reg may be missing. Opens read-only while a
  // wineserver runs for the prefix.
  static std::unique_ptr<WinePrefixStore> open(const std::filesystem::path& prefix);
  // An empty registry for a new prefix (HKU\<sid> and HKU\.Default exist, with
  // nothing in them); save() writes all three files, refusing to replace any.
  static std::unique_ptr<WinePrefixStore> createEmpty(const std::filesystem::path& prefix,
                                                      std::string sid = kWineUserSid);

  ~WinePrefixStore() override;

  const std::filesystem::path& prefix() const { return prefix_; }
  bool hasUnsavedChanges() const;

  // Writes every file that holds a changed key: to a temporary file in the
  // same folder, flushed, then renamed over the original, whose permissions it
  // keeps. Throws StoreError, writing nothing, while Wine runs in the prefix or
  // when a file was changed by another program since it was read.
  void save();

  // Reads the files again, dropping every change not saved (after a repair
  // that must not be kept). Throws StoreError when they cannot be read as
  // open() does; the store then refuses writes, so the dropped changes can
  // never be saved.
  void reload();

 protected:
  void onChanged(KeyNode& key) override;

 private:
  enum FileIndex { kSystem, kUser, kUserDefault, kFileCount };

  struct HiveFile {
    std::string text;      // the file as last read or written
    WineRegLayout layout;  // its header and key blocks
    bool onDisk = false;   // read from or written to disk
    bool dirty = false;    // holds a changed key
    // Identity when read, to notice another program writing the file meanwhile.
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    struct timespec modified {};
  };

  struct Composed;
  struct OnDisk;
  static OnDisk readFiles(const std::filesystem::path& prefix);
  void loadFiles(OnDisk& disk);

  WinePrefixStore(std::filesystem::path prefix, std::string sid);

  static const char* fileName(int file);
  std::filesystem::path filePath(int file) const;
  std::string relativeTo(int file) const;
  KeyNode* fileRoot(int file);
  int fileOf(const KeyNode& key);
  void load(int file, std::string text);
  Composed compose(int file);
  void checkUnchangedOnDisk(int file) const;

  std::filesystem::path prefix_;
  std::array<HiveFile, kFileCount> files_;
  std::string arch_ = "win64";
};

}  // namespace hw::platform
