#pragma once
// The text side of the path tests: finding the paths written inside a
// registry text, and the small path and text helpers the checks share. Pure
// text work, no disk.

#include <string>
#include <string_view>
#include <vector>

namespace hw {

// Appends the paths written with a drive letter, colon and backslash inside
// text, from the end of the text towards its start. True when candidates is
// not empty afterwards; false, candidates untouched, for a missing list or a
// text shorter than two characters.
// With stretches, also appends for each candidate the text it was taken from
// before separators cut it: from its drive letter up to the next quotation
// mark (or other character no name holds) or the end, without trailing junk.
bool ExtractPaths(std::string_view text, std::vector<std::string>* candidates,
                  std::vector<std::string>* stretches = nullptr);

// Whether c may end a path written inside a text (blank, comma, semicolon,
// apostrophe, opening bracket).
bool IsPathSeparator(char c);

// 1-based position of the last occurrence of sub in text, 0 if none.
std::size_t LastPos(std::string_view sub, std::string_view text);
// Without leading and trailing characters with codes 0 to 32.
std::string_view Trim(std::string_view text);
// Without every trailing c.
std::string_view TrimTrailing(std::string_view text, char c);
// Up to and including the last backslash or colon; empty if there is none.
std::string_view ExtractFilePath(std::string_view path);
// Everything after the last backslash or colon.
std::string_view ExtractFileName(std::string_view path);
// From the last dot to the end, when it follows the last backslash and colon.
std::string_view ExtractFileExt(std::string_view path);
// Upper case of the letters a to z only.
std::string UpperAZ(std::string_view text);
// Without accelerator ampersands: a&b gives ab, a&&b gives a&. At most 255
// characters of the text are looked at.
std::string StripAmpersands(std::string_view text);

}  // namespace hw
