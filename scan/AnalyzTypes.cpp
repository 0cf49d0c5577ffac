#include "scan/AnalyzTypes.h"

namespace hw {

const std::array<std::string_view, kEntryTypeCount> kEntryTypeNames = {
    "etInvalidData",
    "etInvalidName",
    "etObsoleteMenuKey",
    "etAppPathMissing",
    "etAppNotInPath",
    "etAppDefault",
    "etZeroUsageCount",
    "etExtEmptyName",
    "etExtAbsentNameKey",
    "etExtEmptyDefaultIconValue",
    "etExtInvalidContentTypeValue",
    "etExtAbsentContentTypeKey",
    "etExtEmptyPersistentHandlerGuid",
    "etExtAbsentPersistentHandlerGuidKey",
    "etExtEmptyShellNewKey",
    "etExtEmptyShellNewCommand",
    "etExtEmptyShellNewFileName",
    "etExtEmptyShellExKey",
    "etExtAbsentShellExKeyGiudKey",
    "etExtAbsentShellExValueGiudKey",
    "etExtEmptyShellKey",
    "etExtAbsentShellCommandKey",
    "etExtEmptyShellCommandKey",
};

}  // namespace hw
