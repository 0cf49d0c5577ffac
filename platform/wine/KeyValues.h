#pragma once
// Steam's text configuration format (KeyValues, the .vdf and .acf files): a
// tree of quoted or bare keys, each with a text value or a braced block of
// further keys. Keys are matched without regard to case, as Steam does.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace hw::platform {

struct KeyValues {
  std::string Key;
  std::string Value;  // a leaf's text; empty for a block
  std::vector<KeyValues> Children;
  bool IsBlock = false;

  // The first child called key (ASCII case ignored); null when there is none.
  const KeyValues* Find(std::string_view key) const;
  // The text of the leaf child called key; empty when there is none.
  std::string Text(std::string_view key) const;
};

// A file that does not follow the grammar; the message names the line.
class KeyValuesError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The top-level pairs of text, as the children of an unnamed block. Quoted
// tokens take the escapes \n, \t, \\ and \"; // starts a comment; a
// platform condition such as [$WIN32] after a token is skipped. Throws
// KeyValuesError.
KeyValues ParseKeyValues(std::string_view text);

// ParseKeyValues of a file; throws KeyValuesError naming the file when it
// cannot be read or parsed.
KeyValues ReadKeyValuesFile(const std::filesystem::path& file);

}  // namespace hw::platform
