#pragma once
// The program's update page and web page, fixed when it is built
// (HW_UPDATE_URL and HW_HOMEPAGE_URL).

namespace hw {

// Empty when the build names no update page: there is nothing to ask.
const char* UpdatePageUrl();
const char* HomepageUrl();
// The marker the program's update page carries before the revision.
inline constexpr const char* kUpdateMarker = "<!--hvw_ver";

}  // namespace hw
