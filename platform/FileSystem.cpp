#include "platform/FileSystem.h"

namespace hw::platform {

bool FileSystem::FileExists(const std::string& path) {
  FindData data;
  std::unique_ptr<FindSearch> search = FindFirstFileA(path, data);
  // Only the first entry counts: a pattern whose first match is a folder is
  // no file, as with FindFirstFileA. Any file time counts, also one before
  // 1980 that has no DOS form: the file is there all the same.
  return search != nullptr && !data.IsDirectory();
}

}  // namespace hw::platform
