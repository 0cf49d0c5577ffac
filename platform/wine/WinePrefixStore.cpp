#include "platform/wine/WinePrefixStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/FileIo.h"
#include "platform/StoreError.h"
#include "platform/wine/WineServerProbe.h"

namespace hw::platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDefaultKeyName = ".Default";

bool hasSignature(std::string_view text) {
  constexpr std::string_view kSignature = "WINE REGISTRY Version 2";
  if (text.substr(0, kSignature.size()) != kSignature) return false;
  std::string_view rest = text.substr(kSignature.size());
  return rest.empty() || rest[0] == '\n' || rest.substr(0, 2) == "\r\n";
}

}  // namespace

struct WinePrefixStore::Composed {
  std::string text;
  WineRegLayout layout;
  // Every key of the hive with the origin it has in the new text.
  std::vector<std::pair<KeyNode*, std::uint32_t>> origins;
};

WinePrefixStore::WinePrefixStore(fs::path prefix, std::string sid)
    : RegistryStore(std::move(sid)), prefix_(std::move(prefix)) {}

WinePrefixStore::~WinePrefixStore() = default;

const char* WinePrefixStore::fileName(int file) {
  static constexpr const char* kNames[kFileCount] = {"system.reg", "user.reg", "userdef.reg"};
  return kNames[file];
}

fs::path WinePrefixStore::filePath(int file) const { return prefix_ / fileName(file); }

std::string WinePrefixStore::relativeTo(int file) const {
  switch (file) {
    case kSystem: return "REGISTRY\\Machine";
    case kUser: return "REGISTRY\\User\\" + currentUserSid();
    default: return std::string("REGISTRY\\User\\") + kDefaultKeyName;
  }
}

// The three files as read from disk, before they are parsed.
struct WinePrefixStore::OnDisk {
  std::array<std::string, kFileCount> texts;
  std::array<struct stat, kFileCount> stats{};
  std::array<bool, kFileCount> present{};
  std::string sid;
};

WinePrefixStore::OnDisk WinePrefixStore::readFiles(const fs::path& prefix) {
  std::error_code error;
  if (!fs::is_directory(prefix, error))
    throw StoreError("No Wine prefix at " + prefix.string() + ": the folder does not exist");
  OnDisk disk;
  for (int file = 0; file < kFileCount; ++file) {
    disk.present[file] = ReadWholeFile(prefix / fileName(file), disk.texts[file], disk.stats[file]);
    if (!disk.present[file] && file != kUserDefault)
      throw StoreError((prefix / fileName(file)).string() +
                       ": missing; the folder is not a complete Wine prefix");
  }
  const std::string userPath = (prefix / fileName(kUser)).string();
  if (!hasSignature(disk.texts[kUser]))
    throw StoreError(userPath +
                     ":1: not a Wine registry file (the first line is not \"WINE "
                     "REGISTRY Version 2\")");
  disk.sid = wineRegSidOf(wineRegRelativeTo(disk.texts[kUser]));
  if (disk.sid.empty())
    throw StoreError(userPath +
                     ":2: the line \";; All keys relative to \\\\REGISTRY\\\\User\\\\<SID>\" "
                     "naming the user is missing");
  return disk;
}

void WinePrefixStore::loadFiles(OnDisk& disk) {
  for (int file = 0; file < kFileCount; ++file) {
    files_[file] = HiveFile{};
    if (!disk.present[file]) continue;
    load(file, std::move(disk.texts[file]));
    HiveFile& hive = files_[file];
    hive.device = disk.stats[file].st_dev;
    hive.inode = disk.stats[file].st_ino;
    hive.size = disk.stats[file].st_size;
    hive.modified = disk.stats[file].st_mtim;
  }
  refuseWrites(wineServerRunning(prefix_) ? wineRunningMessage(prefix_) : std::string());
}

std::unique_ptr<WinePrefixStore> WinePrefixStore::open(const fs::path& prefix) {
  OnDisk disk = readFiles(prefix);
  std::unique_ptr<WinePrefixStore> store(new WinePrefixStore(prefix, disk.sid));
  store->loadFiles(disk);
  return store;
}

void WinePrefixStore::reload() {
  try {
    OnDisk disk = readFiles(prefix_);
    if (disk.sid != currentUserSid())
      throw StoreError((prefix_ / fileName(kUser)).string() +
                       " now names another user; open the prefix again");
    discardTree();
    loadFiles(disk);
  } catch (const StoreError& error) {
    refuseWrites(std::string("The prefix could not be read again, so nothing more is saved: ") +
                 error.what());
    throw;
  }
}

std::unique_ptr<WinePrefixStore> WinePrefixStore::createEmpty(const fs::path& prefix,
                                                              std::string sid) {
  std::unique_ptr<WinePrefixStore> store(new WinePrefixStore(prefix, std::move(sid)));
  KeyNode& users = store->hiveRoot(Hive::Users);
  store->loadChild(users, store->currentUserSid());
  store->loadChild(users, kDefaultKeyName);
  const FileTicks now = store->now();
  store->hiveRoot(Hive::Machine).lastWrite = now;
  for (int file = 0; file < kFileCount; ++file) {
    store->fileRoot(file)->lastWrite = now;
    store->files_[file].dirty = true;
  }
  return store;
}

void WinePrefixStore::load(int file, std::string text) {
  KeyNode* root = file == kSystem ? &hiveRoot(Hive::Machine)
                                  : loadChild(hiveRoot(Hive::Users),
                                              file == kUser ? currentUserSid() : kDefaultKeyName);
  HiveFile& hive = files_[file];
  hive.text = std::move(text);
  hive.layout = readWineRegistry(*this, *root, hive.text, filePath(file).string());
  hive.onDisk = true;
  if (file == kSystem && !hive.layout.arch.empty()) arch_ = hive.layout.arch;
}

KeyNode* WinePrefixStore::fileRoot(int file) {
  if (file == kSystem) return &hiveRoot(Hive::Machine);
  return hiveRoot(Hive::Users).findChild(file == kUser ? currentUserSid() : kDefaultKeyName);
}

int WinePrefixStore::fileOf(const KeyNode& key) {
  const KeyNode* top = &key;
  const KeyNode* below = nullptr;
  while (top->parent()) {
    below = top;
    top = top->parent();
  }
  if (top == &hiveRoot(Hive::Machine)) return kSystem;
  if (top != &hiveRoot(Hive::Users) || !below) return -1;  // HKU itself is in no file
  if (equalsNoCase(below->name(), currentUserSid())) return kUser;
  if (equalsNoCase(below->name(), kDefaultKeyName)) return kUserDefault;
  return -1;
}

void WinePrefixStore::onChanged(KeyNode& key) {
  int file = fileOf(key);
  if (file >= 0) files_[file].dirty = true;
}

bool WinePrefixStore::hasUnsavedChanges() const {
  return std::any_of(files_.begin(), files_.end(), [](const HiveFile& f) { return f.dirty; });
}

void WinePrefixStore::checkUnchangedOnDisk(int file) const {
  const HiveFile& hive = files_[file];
  const fs::path path = filePath(file);
  struct stat st {};
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (!hive.onDisk) {
    if (exists) throw StoreError(path.string() + " already exists; it is left as it is");
    return;
  }
  if (!exists || st.st_dev != hive.device || st.st_ino != hive.inode || st.st_size != hive.size ||
      st.st_mtim.tv_sec != hive.modified.tv_sec || st.st_mtim.tv_nsec != hive.modified.tv_nsec)
    throw StoreError(path.string() +
                     " was changed by another program since it was read; open the prefix "
                     "again, then repeat the changes");
}

// The new text of a hive file: blocks of unchanged keys copied as they were,
// changed keys rewritten in place, blocks of deleted keys dropped, and keys that
// need a block but have none written after the block of the key before them in
// the tree.
WinePrefixStore::Composed WinePrefixStore::compose(int file) {
  enum : std::uint8_t { kDrop, kKeep, kRewrite };
  struct Insert {
    std::size_t anchor;  // 0: after the header, b + 1: after old block b
    KeyNode* key;
    std::size_t slot;  // its entry in Composed::origins
  };

  const HiveFile& hive = files_[file];
  const std::vector<WineRegBlock>& old = hive.layout.blocks;
  const std::size_t count = old.size();
  std::vector<std::uint8_t> mode(count, kDrop);
  std::vector<KeyNode*> owner(count, nullptr);
  std::vector<std::size_t> ownerSlot(count, 0);
  std::vector<Insert> inserts;
  Composed result;

  KeyNode* root = fileRoot(file);
  if (root) {
    std::size_t anchor = 0;
    auto visit = [&](KeyNode* key) {
      const std::size_t slot = result.origins.size();
      result.origins.emplace_back(key, KeyNode::kNoOrigin);
      const bool needs = wineNeedsBlock(*key);
      const std::uint32_t origin = key->origin;
      if (origin < count && old[origin].primary == origin) {
        owner[origin] = key;
        ownerSlot[origin] = slot;
        mode[origin] = !key->changed ? kKeep : needs ? kRewrite : kDrop;
        anchor = origin + 1;
      } else if (needs) {
        inserts.push_back({anchor, key, slot});
      }
    };
    visit(root);
    std::vector<std::pair<KeyNode*, std::size_t>> stack{{root, 0}};
    while (!stack.empty()) {
      KeyNode* node = stack.back().first;
      std::size_t next = stack.back().second++;
      if (next >= node->childCount()) {
        stack.pop_back();
        continue;
      }
      KeyNode* child = node->child(next);
      visit(child);
      stack.emplace_back(child, 0);
    }
  }
  std::stable_sort(inserts.begin(), inserts.end(),
                   [](const Insert& a, const Insert& b) { return a.anchor < b.anchor; });

  std::string& out = result.text;
  out.reserve(hive.text.size() + inserts.size() * 160);
  if (hive.onDisk) {
    out.append(hive.text, 0, hive.layout.headerEnd);
    result.layout.arch = hive.layout.arch;
  } else {
    appendWineHeader(out, relativeTo(file), arch_);
    result.layout.arch = arch_;
  }
  result.layout.headerEnd = out.size();
  std::vector<WineRegBlock>& blocks = result.layout.blocks;
  blocks.reserve(count + inserts.size());

  auto writeFresh = [&](KeyNode& key) {
    WineRegBlock block;
    block.begin = out.size();
    appendWineKeyBlock(out, key, *root);
    block.end = out.size();
    block.primary = static_cast<std::uint32_t>(blocks.size());
    blocks.push_back(block);
    return block.primary;
  };
  std::size_t nextInsert = 0;
  auto writeInserts = [&](std::size_t anchor) {
    for (; nextInsert < inserts.size() && inserts[nextInsert].anchor == anchor; ++nextInsert)
      result.origins[inserts[nextInsert].slot].second = writeFresh(*inserts[nextInsert].key);
  };

  std::vector<std::uint32_t> newIndex(count, KeyNode::kNoOrigin);
  writeInserts(0);
  for (std::size_t b = 0; b < count; ++b) {
    const WineRegBlock& block = old[b];
    const std::uint32_t primary = block.primary;
    if (mode[primary] == kKeep) {
      WineRegBlock copy;
      copy.begin = out.size();
      out.append(hive.text, block.begin, block.end - block.begin);
      copy.end = out.size();
      const auto index = static_cast<std::uint32_t>(blocks.size());
      if (b == primary) newIndex[primary] = index;
      copy.primary = newIndex[primary];
      blocks.push_back(copy);
    } else if (mode[primary] == kRewrite && b == primary) {
      newIndex[primary] = writeFresh(*owner[primary]);
    }
    writeInserts(b + 1);
  }
  for (std::size_t b = 0; b < count; ++b)
    if (owner[b]) result.origins[ownerSlot[b]].second = newIndex[b];
  return result;
}

void WinePrefixStore::save() {
  if (readOnly()) throw StoreError(readOnlyReason());
  if (!hasUnsavedChanges()) return;
  // Wine may have started since the prefix was read.
  if (wineServerRunning(prefix_)) {
    refuseWrites(wineRunningMessage(prefix_));
    throw StoreError(readOnlyReason());
  }
  std::error_code error;
  fs::create_directories(prefix_, error);
  if (error) throw StoreError("Cannot create " + prefix_.string() + ": " + error.message());

  struct Pending {
    int file;
    Composed composed;
    fs::path target;
    fs::path temp;
  };
  std::vector<Pending> pending;
  for (int file = 0; file < kFileCount; ++file) {
    if (!files_[file].dirty) continue;
    checkUnchangedOnDisk(file);
    fs::path target = filePath(file);
    // A registry file that is a symbolic link is replaced where it points to.
    if (fs::is_symlink(fs::symlink_status(target, error))) {
      target = fs::canonical(target, error);
      if (error) throw StoreError(filePath(file).string() + ": " + error.message());
    }
    pending.push_back({file, compose(file), target, {}});
  }

  std::size_t placed = 0;
  try {
    for (Pending& p : pending)
      p.temp = WriteTemporaryBeside(p.target, p.composed.text, files_[p.file].onDisk);
    for (; placed < pending.size(); ++placed)
      MoveIntoPlace(pending[placed].temp, pending[placed].target,
                    files_[pending[placed].file].onDisk);
  } catch (const FileError& failure) {
    for (std::size_t i = placed; i < pending.size(); ++i)
      if (!pending[i].temp.empty()) ::unlink(pending[i].temp.c_str());
    // The files already replaced get their old text back, so that the prefix
    // never holds one hive from before and another from after the save.
    std::string message = failure.what();
    for (std::size_t i = placed; i-- > 0;) {
      const Pending& p = pending[i];
      HiveFile& hive = files_[p.file];
      try {
        if (hive.onDisk)
          WriteFileAtomically(p.target, hive.text);
        else if (::unlink(p.target.c_str()) != 0)
          throw FileError(p.target.string() + ": cannot remove: " + std::strerror(errno));
        struct stat st {};
        if (hive.onDisk && ::stat(p.target.c_str(), &st) == 0) {
          hive.device = st.st_dev;
          hive.inode = st.st_ino;
          hive.size = st.st_size;
          hive.modified = st.st_mtim;
        }
      } catch (const FileError& undo) {
        message += "; the saved " + p.target.string() + " could not be put back as it was (" +
                   undo.what() + ")";
      }
    }
    throw StoreError(message);
  } catch (...) {
    for (std::size_t i = placed; i < pending.size(); ++i)
      if (!pending[i].temp.empty()) ::unlink(pending[i].temp.c_str());
    throw;
  }
  for (const Pending& p : pending) SyncFolder(p.target.parent_path());

  for (Pending& p : pending) {
    HiveFile& hive = files_[p.file];
    hive.text = std::move(p.composed.text);
    hive.layout = std::move(p.composed.layout);
    hive.onDisk = true;
    hive.dirty = false;
    for (auto& [key, origin] : p.composed.origins) {
      key->origin = origin;
      key->changed = false;
    }
    struct stat st {};
    if (::stat(filePath(p.file).c_str(), &st) == 0) {
      hive.device = st.st_dev;
      hive.inode = st.st_ino;
      hive.size = st.st_size;
      hive.modified = st.st_mtim;
    }
  }
}

}  // namespace hw::platform
