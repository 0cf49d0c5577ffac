#pragma once
// Wine's file redirection for 32-bit programs in a WoW64 prefix (one with
// C:\windows\syswow64): what such a program reaches by a path it wrote.

#include <optional>
#include <string>
#include <string_view>

namespace hw::platform {

// The path a 32-bit program reaches by the text when Wine redirects it:
// C:\windows\system32\... is C:\windows\syswow64\... (except the few folders
// both kinds share, such as drivers\etc and spool), C:\windows\sysnative\...
// is the 64-bit C:\windows\system32\..., and C:\windows\regedit.exe the 32-bit
// one in syswow64. nullopt when the text is not redirected.
std::optional<std::string> Wow32Redirect(std::string_view path);

}  // namespace hw::platform
