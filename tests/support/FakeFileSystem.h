#pragma once
// A file system whose drives, folders and files a test declares. Paths are
// Windows paths, compared without regard to case; it counts the questions
// asked so tests can check how much a check looks at the disk.

#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace hw::test {

class FakeFileSystem : public platform::FileSystem {
 public:
  void SetDrive(char letter, UINT type) {
    drives_[Upper(letter)] = type;
    AddFolder(std::string{letter, ':', '\\'});
  }
  // Adds the folder and every folder above it.
  void AddFolder(const std::string& path) {
    std::string key = Key(path);
    while (!key.empty()) {
      entries_[key] = true;
      std::size_t slash = key.rfind('\\');
      if (slash == std::string::npos || slash <= 2) break;
      key.resize(slash);
    }
  }
  void AddFile(const std::string& path) {
    std::string key = Key(path);
    std::size_t slash = key.rfind('\\');
    if (slash != std::string::npos) AddFolder(key.substr(0, slash));
    entries_[key] = false;
  }
  void SetSpecialFolder(int csidl, std::string path) { special_[csidl] = std::move(path); }

  int folderTests = 0;
  int fileTests = 0;

  UINT GetDriveTypeA(const std::string& root) override {
    if (root.empty()) return DRIVE_NO_ROOT_DIR;
    auto it = drives_.find(Upper(root[0]));
    return it == drives_.end() ? DRIVE_NO_ROOT_DIR : it->second;
  }

  bool SetCurrentDirectoryA(const std::string& path) override {
    ++folderTests;
    auto it = entries_.find(Key(path));
    return it != entries_.end() && it->second;
  }

  std::unique_ptr<platform::FindSearch> FindFirstFileA(const std::string& pattern,
                                                       platform::FindData& data) override {
    ++fileTests;
    std::string key = Key(pattern);
    std::size_t slash = key.rfind('\\');
    if (slash == std::string::npos) return nullptr;
    std::string folder = key.substr(0, slash), mask = key.substr(slash + 1);
    auto search = std::make_unique<Search>();
    for (const auto& [name, isFolder] : entries_) {
      if (name.size() <= slash + 1 || name.compare(0, slash + 1, folder + "\\") != 0) continue;
      std::string leaf = name.substr(slash + 1);
      if (leaf.find('\\') != std::string::npos || !Matches(mask, leaf)) continue;
      platform::FindData found;
      found.Name = leaf;
      found.Attributes = isFolder ? platform::kAttrDirectory : platform::kAttrArchive;
      search->found.push_back(found);
    }
    if (search->found.empty() || !search->FindNextFileA(data)) return nullptr;
    return search;
  }

  std::string GetTempPathA() override { return "/tmp/"; }
  std::string GetSpecialFolderPath(int csidl) override {
    auto it = special_.find(csidl);
    return it == special_.end() ? std::string() : it->second;
  }
  std::optional<std::string> ToHostPath(const std::string&) override { return std::nullopt; }
  std::optional<std::string> FromHostPath(const std::string&) override { return std::nullopt; }

 private:
  struct Search : platform::FindSearch {
    std::vector<platform::FindData> found;
    std::size_t next = 0;
    bool FindNextFileA(platform::FindData& data) override {
      if (next >= found.size()) return false;
      data = found[next++];
      return true;
    }
  };

  static char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
  // Upper case without trailing backslashes, except that of a drive root.
  static std::string Key(std::string path) {
    for (char& c : path) c = Upper(c);
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (path.size() == 2 && path[1] == ':') path += '\\';
    if (path.size() == 3 && path.back() == '\\') path.pop_back();
    return path;
  }
  static bool Matches(const std::string& mask, const std::string& name) {
    if (mask.empty()) return name.empty();
    if (mask[0] == '*') {
      for (std::size_t i = 0; i <= name.size(); ++i)
        if (Matches(mask.substr(1), name.substr(i))) return true;
      return false;
    }
    if (name.empty()) return false;
    return (mask[0] == '?' || mask[0] == name[0]) && Matches(mask.substr(1), name.substr(1));
  }

  std::map<char, UINT> drives_;
  std::map<std::string, bool> entries_;  // upper-cased path -> is a folder
  std::map<int, std::string> special_;
};

}  // namespace hw::test
