#pragma once
// Wine's short (8.3) names. Wine keeps no short names on disk: a long name
// that is no valid 8.3 name gets one made from its first characters and a
// hash of the whole name ("Program Files" is PROG~FBU), and a name asked for
// in that form is found by making the short name of each entry of the folder.
// Programs store these names, so a path written with them must be judged as
// Wine resolves it.

#include <optional>
#include <string>
#include <string_view>

namespace hw::platform {

// Whether Wine takes a name as a valid 8.3 name; blanks tells whether it has
// blanks inside (Wine still makes a hashed short name for such a name).
bool IsLegalShortName(std::string_view utf8Name, bool* blanks = nullptr);

// The short name Wine gives a long (UTF-8) name, in capitals; nullopt when the
// name is a valid 8.3 name without blanks, which is its own short name.
std::optional<std::string> WineShortName(std::string_view utf8Name);

// Whether a name asked for may be the hashed short name of another: only then
// does Wine look for it among the short names of a folder.
bool MayBeHashedShortName(std::string_view name);

// Whether a hashed short name asked for (any case) names the long name.
bool ShortNameMatches(std::string_view asked, std::string_view longName);

}  // namespace hw::platform
