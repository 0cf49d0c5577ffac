#pragma once
// Which keys without values still mean something, beyond what the exclusion
// lists can say.

#include <string_view>

#include "platform/RegistryApi.h"

namespace hw {

// Whether a key without values and without subkeys is a flag of a class: a
// key below a class's own key in the classes (HKEY_CLASSES_ROOT, any
// Software\Classes, a user's _Classes hive, and their Wow6432Node views).
// COM and the shell read such keys by whether they exist (CLSID\{...}\Control,
// Insertable, Programmable, OLEScript, shellex\MayChangeDefaultMenu, the
// categories of media objects), so their existence is their data. A class key
// with nothing at all below it is no flag. path is below root, without outer
// backslashes.
bool IsClassFlagKey(HKEY root, std::string_view path);

}  // namespace hw
