// The file-type check of the invalid-extensions category.

#include "scan/AnalyzClass.h"

namespace hw {

// Not wired in yet: no file-type key is judged broken.
bool TAnalyzClass::CheckExtension(HKEY /*root*/, const std::string& /*keyPath*/) { return false; }

}  // namespace hw
