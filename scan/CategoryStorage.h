#pragma once
// Where each category's exclusions come from: the default file beside the
// program and the stored list of the user's additions in the settings key.

#include <array>
#include <string_view>

#include "scan/AnalyzTypes.h"

namespace hw {

struct TCategoryStorage {
  std::string_view DefaultsFile;
  std::string_view ExclusionValueName;
};

inline constexpr std::array<TCategoryStorage, kCategoryCount> kCategoryStorage = {{
    {"exclpath.def", "Excluded_paths_entries"},
    {"exclempt.def", "Excluded_empty_entries"},
    {"exclfont.def", "Excluded_fonts_entries"},
    {"exclsmnu.def", "Excluded_smenu_entries"},
    {"exclapps.def", "Excluded_apps_entries"},
    {"exclhlps.def", "Excluded_hlps_entries"},
    {"excldlls.def", "Excluded_dlls_entries"},
    {"exclext.def", "Excluded_exts_entries"},
}};

}  // namespace hw
