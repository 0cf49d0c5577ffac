#pragma once
// Wine's file redirection for 32-bit programs in a WoW64 prefix (one with
// C:\windows\syswow64): what such a program reaches by a path it wrote.

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace hw::platform {

// The path a 32-bit program reaches by the text when Wine redirects it:
// C:\windows\system32\... is C:\windows\syswow64\... (except the few folders
// both kinds share, such as drivers\etc and spool), C:\windows\sysnative\...
// is the 64-bit C:\windows\system32\..., and C:\windows\regedit.exe the 32-bit
// one in syswow64. nullopt when the text is not redirected.
std::optional<std::string> Wow32Redirect(std::string_view path);

// Whether a program of `view` reaches what path names, `test` asking about
// one path: a 32-bit program (Wow32) reaches the redirected path, either kind
// (Either) both. `hasWow64()` tells whether there is a 32-bit side at all;
// it is asked only for a path that may be redirected.
template <typename HasWow64, typename Test>
bool ExistsInView(const std::string& path, RegistryView view, HasWow64 hasWow64, Test test) {
  if (view == RegistryView::Native) return test(path);
  const std::optional<std::string> redirected = Wow32Redirect(path);
  if (!redirected || !hasWow64()) return test(path);
  if (view == RegistryView::Wow32) return test(*redirected);
  return test(path) || test(*redirected);
}

}  // namespace hw::platform
