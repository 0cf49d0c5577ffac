// The file tests behind the invalid-paths category, shared by the other
// path-based checks: which drives are judged, and whether a folder or file is
// there.

#include <vector>

#include "platform/Text.h"
#include "scan/AnalyzClass.h"
#include "scan/PathText.h"

namespace hw {

bool TAnalyzClass::IsLocalDrive(std::string_view path) const {
  if (path.empty()) return false;
  char letter = UpperAZ(path.substr(0, 1))[0];
  return LocalDrives.find(letter) != std::string::npos;
}

bool TAnalyzClass::IsExcludedDrive(std::string_view path) const {
  std::string drive = UpperAZ(path.substr(0, 2));
  for (const std::string& excluded : ExcludedDrives)
    if (platform::equalsNoCase(excluded, drive)) return true;
  return false;
}

bool TAnalyzClass::FolderExists(std::string_view path) {
  if (path.empty()) return false;
  std::string folder(path);
  if (folder.back() != '\\') folder += '\\';
  return files_.FolderExistsIn(folder, pathView_);
}

bool TAnalyzClass::FileExists(std::string_view path) {
  return files_.FileExistsIn(std::string(path), pathView_);
}

bool TAnalyzClass::IsInvalidPath(const std::string& text) {
  return IsInvalidPath(text, BadPath, PathCount);
}

bool TAnalyzClass::NamedByAnotherStretch(const std::string& path, const std::string& stretch) {
  auto named = [&](const std::string& text, bool folderToo) {
    return (folderToo && FolderExists(text)) || FileExists(text) || FileExists(text + ".exe");
  };
  // Longer: a separator was taken for the end of the path, but the name goes
  // on (C:\My Files,Old\a.txt; C:\Program Files\Mozilla.org Tools\app.exe).
  for (std::size_t end = path.size() + 1; end < stretch.size(); ++end)
    if (IsPathSeparator(stretch[end]) && named(stretch.substr(0, end), true)) return true;
  if (stretch.size() > path.size() && named(stretch, true)) return true;
  // Shorter: a program followed by its arguments, where the blank is not
  // after an extension (C:\Program Files\App\app -min). Only blanks in the
  // last name are tried, so a missing file costs lookups in its own folder.
  const std::size_t name = path.rfind('\\');
  for (std::size_t end = path.find(' ', name); end != std::string::npos;
       end = path.find(' ', end + 1))
    if (named(path.substr(0, end), false)) return true;
  return false;
}

bool TAnalyzClass::IsInvalidPath(std::string_view text, std::string& badPath,
                                 std::int32_t& pathCount) {
  std::vector<std::string> candidates;
  std::vector<std::string> stretches;
  if (!ExtractPaths(text, &candidates, &stretches)) return false;
  pathCount = static_cast<std::int32_t>(candidates.size());
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const std::string& path = candidates[i];
    if (IsExcludedDrive(path)) continue;
    // Paths on removable, optical, unknown or absent drives are never looked
    // at, so a scan neither waits for nor prompts for a medium.
    if (!IsLocalDrive(path)) {
      badPath = path;
      return true;
    }
    // Cheapest expected hit first.
    if (FolderExists(path) || FileExists(path) || FileExists(path + ".exe")) continue;
    std::string folder(ExtractFilePath(path));
    std::string_view name = ExtractFileName(path);
    std::string missing = path;
    if (!FolderExists(folder)) {
      folder = std::string(TrimTrailing(folder, '\\'));
      // The supposed folder is a file: the path names something inside it.
      if (FileExists(folder)) continue;
      // A file followed by a resource number: the file is what is missing.
      bool resourceIndex =
          !name.empty() && !ExtractFileExt(folder).empty() && name[0] >= '0' && name[0] <= '9';
      if (resourceIndex) missing = folder;
    }
    // The text may name something that exists where the cut was wrong.
    if (NamedByAnotherStretch(path, stretches[i])) continue;
    badPath = std::move(missing);
    return true;
  }
  return false;
}

}  // namespace hw
