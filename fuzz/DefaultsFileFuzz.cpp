// The default exclusion file reader and the matching of its entries: every
// byte of the file is either in an entry or a line break, no entry holds a
// break, and an entry in the written form \path\ excludes its own location.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "scan/AnalyzSet.h"
#include "scan/ExclusionLists.h"

using namespace hw;

namespace {

// One scratch file per process, removed at exit; kept on the heap so that it
// outlives the static objects the exit handler would otherwise see destroyed.
const std::filesystem::path& scratchFile() {
  static const std::filesystem::path* path = [] {
    std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::string name = (base / "hw-fuzz-def-XXXXXX").string();
    int fd = mkstemp(name.data());
    if (fd < 0) std::abort();
    close(fd);
    auto* file = new std::filesystem::path(name);
    std::atexit([] { std::remove(scratchFile().c_str()); });
    return file;
  }();
  return *path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FILE* out = std::fopen(scratchFile().c_str(), "wb");
  if (out == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
  std::fclose(out);

  const std::vector<std::string> entries = ReadDefaultsFile(scratchFile());
  std::size_t breaks = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' || (data[i] == '\r' && !(i + 1 < size && data[i + 1] == '\n'))) ++breaks;
  }
  std::size_t held = 0;
  for (const std::string& entry : entries) {
    if (entry.find_first_of("\r\n") != std::string::npos) std::abort();
    held += entry.size();
  }
  // CR LF is one break of two bytes.
  std::size_t crlf = 0;
  for (std::size_t i = 0; i + 1 < size; ++i) crlf += data[i] == '\r' && data[i + 1] == '\n';
  if (held + breaks + crlf != size) std::abort();
  if (entries.size() != breaks + (size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r'))
    std::abort();

  TAnalyzSet set;
  set.Items = entries;
  for (std::size_t i = 0; i < entries.size() && i < 64; ++i) {
    std::string_view location = TrimChar(entries[i], '\\');
    if (location.empty() || ExclusionText(location) != entries[i]) continue;
    const int found = set.IndexOfExcluded(location, {});
    if (found < 0 || found > static_cast<int>(i)) std::abort();
  }
  return 0;
}
