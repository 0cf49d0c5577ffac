#pragma once
// Wine's registry text format, the one wineserver keeps system.reg, user.reg and
// userdef.reg in: reading a file into a key tree, and writing header and key
// blocks exactly as wineserver writes them, so that Wine reads back what we save
// and a key block we do not change can be copied through byte for byte.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryStore.h"

namespace hw::platform {

// Where one key block lies in a file's text: from the blank lines before its
// key line up to the next block (or the end of the file).
struct WineRegBlock {
  std::size_t begin = 0;
  std::size_t end = 0;
  // The key's first block in the same file: a key named by several blocks is
  // rewritten as one, in place of its first.
  std::uint32_t primary = 0;
};

struct WineRegLayout {
  std::size_t headerEnd = 0;         // bytes before the first block
  std::string arch;                  // the #arch= option, "" when absent
  std::vector<WineRegBlock> blocks;  // in file order; KeyNode::origin indexes them
};

// The path named on a file's ";; All keys relative to" line, unescaped
// (e.g. "REGISTRY\User\S-1-5-21-0-0-0-1000"); "" when the line is missing.
std::string wineRegRelativeTo(std::string_view text);
// The user SID in such a path: the component after "User"; "" when there is none.
std::string wineRegSidOf(std::string_view relativeTo);

// Parses `text`, the contents of `fileName` (named in messages), and builds its
// keys below `base` with the store's loading calls, setting each key's origin to
// its first block. Throws StoreError "fileName:line: problem" for anything Wine
// would not load in full, so that a file is never half read.
WineRegLayout readWineRegistry(RegistryStore& store, KeyNode& base, std::string_view text,
                               const std::string& fileName);

// Whether wineserver writes a block for the key: it has values, no subkeys, a
// class, or is a link. Other keys exist implicitly through their subkeys.
bool wineNeedsBlock(const KeyNode& key);

// "WINE REGISTRY Version 2", the relative-to line, a blank line and #arch.
void appendWineHeader(std::string& out, std::string_view relativeTo, std::string_view arch);
// One key block as wineserver writes it: a blank line, "[path] seconds", #time,
// #class, #link, the values. The path is relative to `base`.
void appendWineKeyBlock(std::string& out, const KeyNode& key, const KeyNode& base);

// Escapes UTF-16 code units (little-endian bytes) the way wineserver does;
// `quote` is the pair of delimiters that get a backslash ("\"\"" or "[]").
void appendWineEscaped(std::string& out, std::string_view utf16le, std::string_view quote);

}  // namespace hw::platform
