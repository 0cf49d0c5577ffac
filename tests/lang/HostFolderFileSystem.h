#pragma once
// A file system over real host folders for the language tests: the pack
// loader lists its folder through the platform, and these tests keep packs in
// temporary folders or the source tree.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace hw::test {

// Lists a real host folder, sorted by name so that the listing order the
// loader follows is fixed; host paths are their own host paths.
class HostFolderFileSystem : public platform::FileSystem {
 public:
  std::unique_ptr<platform::FindSearch> FindFirstFileA(const std::string& pattern,
                                                       platform::FindData& data) override {
    std::size_t slash = pattern.rfind('/');
    if (slash == std::string::npos) return nullptr;
    const std::string mask = pattern.substr(slash + 1);
    auto search = std::make_unique<Search>();
    std::error_code error;
    for (const auto& item :
         std::filesystem::directory_iterator(pattern.substr(0, slash + 1), error)) {
      platform::FindData found;
      found.Name = item.path().filename().string();
      if (!Matches(mask, found.Name)) continue;
      found.Attributes = item.is_directory() ? platform::kAttrDirectory : platform::kAttrArchive;
      search->found.push_back(found);
    }
    std::sort(search->found.begin(), search->found.end(),
              [](const auto& a, const auto& b) { return a.Name < b.Name; });
    if (!search->FindNextFileA(data)) return nullptr;
    return search;
  }
  std::optional<std::string> ToHostPath(const std::string& path) override { return path; }

  UINT GetDriveTypeA(const std::string&) override { return DRIVE_NO_ROOT_DIR; }
  bool SetCurrentDirectoryA(const std::string& path) override {
    return std::filesystem::is_directory(path);
  }
  std::string GetTempPathA() override { return "/tmp/"; }
  std::string GetSpecialFolderPath(int) override { return {}; }
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
  static bool Matches(std::string_view mask, std::string_view name) {
    if (mask.empty()) return name.empty();
    if (mask[0] == '*') {
      for (std::size_t i = 0; i <= name.size(); ++i)
        if (Matches(mask.substr(1), name.substr(i))) return true;
      return false;
    }
    return !name.empty() &&
           (mask[0] == '?' || std::tolower(static_cast<unsigned char>(mask[0])) ==
                                  std::tolower(static_cast<unsigned char>(name[0]))) &&
           Matches(mask.substr(1), name.substr(1));
  }
};

}  // namespace hw::test
