#pragma once
// Reading the update page: the revision published after a marker, and the
// program's own revision to compare it with. Pure functions over bytes, so
// that any page, however malformed, can be thrown at them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace hw {

// Only this much of the page is read; a marker further down is not seen.
inline constexpr std::size_t kUpdatePageBytes = 1024;

// The revision announced in the first kUpdatePageBytes of page: after the
// marker (found without regard to case) one separator character is skipped,
// then blanks and digits are collected and read as a decimal number, 0 when
// they do not make one. nullopt when the marker is not there.
std::optional<std::int32_t> PublishedRevision(std::string_view page, std::string_view marker);

// The version's first three numbers written one after the other, read as a
// decimal number: 3.1.2 gives 312. 0 when that does not fit.
std::int32_t RevisionFromVersion(int major, int minor, int release);

// The revision of this build.
std::int32_t ProgramRevision();

}  // namespace hw
