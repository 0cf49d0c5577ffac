// The moved-file search's folder similarity and the search folder list:
// similarity ignores case, nothing resembles a folder more than the folder
// itself, and however folders are added, removed or refused, no listed
// folder ever lies inside another.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "scan/PathText.h"
#include "search/MovedFileSearch.h"
#include "search/SearchFolders.h"

using namespace hw;

namespace {

std::string_view trimSeparators(std::string_view folder) {
  while (folder.size() > 1 && folder.back() == '\\' && !(folder.size() == 3 && folder[1] == ':'))
    folder.remove_suffix(1);
  return folder;
}

bool inside(std::string_view inner, std::string_view outer) {
  inner = trimSeparators(inner);
  outer = trimSeparators(outer);
  if (outer.empty() || inner.size() < outer.size() ||
      !platform::equalsNoCase(inner.substr(0, outer.size()), outer))
    return false;
  return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

void checkSimilarity(const std::string& a, const std::string& b) {
  const std::int32_t score = FolderSimilarity(a, b);
  if (FolderSimilarity(a, UpperAZ(b)) != score || FolderSimilarity(UpperAZ(a), b) != score)
    std::abort();
  const std::int32_t self = FolderSimilarity(a, a);
  if (score > self) std::abort();
}

void checkFolderList(FuzzedDataProvider& input) {
  TSearchFolderList list;
  for (int step = 0; step < 16 && input.remaining_bytes() > 0; ++step) {
    if (input.ConsumeIntegralInRange(0, 3) == 0) {
      list.RemoveAt({input.ConsumeIntegralInRange(-1, list.Count())});
      continue;
    }
    const std::string folder = input.ConsumeRandomLengthString(24);
    bool covered = false;
    for (const std::string& listed : list.Folders()) covered = covered || inside(folder, listed);
    const int index = list.AddFolder(folder);
    if (covered != (index < 0)) std::abort();
    if (index >= 0 && (index >= list.Count() || list.Folders()[index] != folder)) std::abort();
    const std::vector<std::string>& folders = list.Folders();
    for (std::size_t i = 0; i < folders.size(); ++i)
      for (std::size_t j = 0; j < folders.size(); ++j)
        if (i != j && inside(folders[i], folders[j])) std::abort();
  }
}

void checkDrives(const std::string& field) {
  TExcludedDriveList drives;
  const std::string shown = drives.AddLetter(field);
  const bool letter = !field.empty() && ((field[0] >= 'a' && field[0] <= 'z') ||
                                         (field[0] >= 'A' && field[0] <= 'Z'));
  if (letter != (drives.Drives().size() == 1)) std::abort();
  if (letter && (shown != UpperAZ(field) || !drives.Excludes(field.substr(0, 1) + ":\\x")))
    std::abort();
  if (!letter && !shown.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string a = input.ConsumeRandomLengthString(4000);
  const std::string b = input.ConsumeRandomLengthString(4000);
  checkSimilarity(a, b);
  checkDrives(a);
  checkFolderList(input);
  return 0;
}
