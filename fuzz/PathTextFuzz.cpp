// The text side of the path tests: the paths found in a registry text are
// pieces of it that start with a drive letter, colon and backslash, found from
// the end towards the start; the small path helpers split a path into parts
// that make it up again; the root-key text and key date parsers take anything.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "scan/AnalyzClass.h"
#include "scan/PathText.h"

using namespace hw;

namespace {

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

void checkPaths(std::string_view text) {
  std::vector<std::string> candidates;
  const bool any = ExtractPaths(text, &candidates);
  if (any != !candidates.empty()) std::abort();
  // Each candidate lies in the text before the one found previously.
  std::size_t limit = text.size();
  for (const std::string& path : candidates) {
    if (path.size() < 3 || !isLetter(path[0]) || path[1] != ':' || path[2] != '\\') std::abort();
    std::size_t at = text.substr(0, limit).rfind(path);
    if (at == std::string_view::npos) std::abort();
    limit = at;
    if (path.find_first_of("\"?*/<>|") != std::string::npos) std::abort();
  }
  std::vector<std::string> none;
  if (text.size() < 2 && (ExtractPaths(text, &none) || !none.empty())) std::abort();
}

void checkHelpers(std::string_view path) {
  const std::string_view folder = ExtractFilePath(path);
  const std::string_view name = ExtractFileName(path);
  if (std::string(folder) + std::string(name) != path) std::abort();
  const std::string_view ext = ExtractFileExt(path);
  if (!ext.empty() &&
      (ext[0] != '.' || name.size() < ext.size() || name.substr(name.size() - ext.size()) != ext))
    std::abort();
  const std::string_view trimmed = Trim(path);
  if (!trimmed.empty() && (static_cast<unsigned char>(trimmed.front()) <= 32 ||
                           static_cast<unsigned char>(trimmed.back()) <= 32))
    std::abort();
  if (UpperAZ(path).size() != path.size()) std::abort();
  const std::string stripped = StripAmpersands(path);
  if (stripped.size() > platform::cutToChars(path, 255).size()) std::abort();
  if (!path.empty()) {
    const std::size_t last = LastPos(path.substr(path.size() - 1), path);
    if (last == 0 || path[last - 1] != path.back()) std::abort();
  }
}

void checkRootKeyText(const std::string& text) {
  const TRootKeyText parsed = ParseRootKeyText(text);
  if (parsed.Ok != (text.find(']') != std::string::npos)) std::abort();
  if (parsed.Ok && (parsed.KeyPath.empty() || parsed.KeyPath[0] != '\\')) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  checkPaths(text);
  checkHelpers(text);
  checkRootKeyText(text);
  if (size >= 8) {
    FILETIME time{};
    std::memcpy(&time.dwLowDateTime, data, 4);
    std::memcpy(&time.dwHighDateTime, data + 4, 4);
    const std::optional<std::string> date = FormatFileTime(time);
    if (date && date->size() != std::strlen("mm/dd/yyyy hh:mmAM")) std::abort();
  }
  return 0;
}
