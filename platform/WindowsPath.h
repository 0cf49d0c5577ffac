#pragma once
// Windows path text as kernel32 reads it before touching the disk: the drive,
// the components after "." and ".." are applied, trailing dots dropped; and
// the find-first masks with * and ? matched the way Windows matches them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hw::platform {

struct WindowsPath {
  char drive = 0;  // 'A' to 'Z'
  std::vector<std::string> components;
  // Whether the text names a folder's contents rather than an entry (it ends in
  // a separator, or is a drive root): a find-first on it finds nothing.
  bool endsInSeparator = false;

  // "C:\a\b" style, for messages and cache keys; the root is "C:\".
  std::string Text(std::size_t componentCount) const;
};

// The drive path X:\... (X: alone and X:name count as the root and below it);
// '/' separates like '\'. ".." never climbs above the root. As Windows does, a
// folder component loses its trailing dots and the last one its trailing dots
// and blanks ("C:\x\a.dll." names a.dll). nullopt for anything else: relative,
// UNC and device paths.
std::optional<WindowsPath> ParseWindowsPath(std::string_view path);

// Whether a name holds find-first wildcards.
bool HasWildcards(std::string_view name);

// Whether a name matches a find-first mask without regard to case: * any run,
// ? one character; "*.*" matches every name, also one without a dot; a mask
// ending in a dot matches names without extension ("*." finds "readme").
bool MatchesMask(std::string_view mask, std::string_view name);

}  // namespace hw::platform
