// The checks of the fonts, Start-menu, application-path, help-file and
// shared-library categories.

#include "registry/NTRegistry.h"
#include "scan/AnalyzClass.h"

namespace hw {

// The category checks are not wired in yet: each finds nothing.
bool TAnalyzClass::IsInvalidFont(const std::string& /*data*/) { return false; }
bool TAnalyzClass::IsInvalidHelpFile(const std::string& /*name*/, const std::string& /*data*/) {
  return false;
}
bool TAnalyzClass::IsObsoleteMenuItem(const std::string& /*menuPath*/) { return false; }
void TAnalyzClass::CheckAppPath(HKEY /*root*/, const std::string& /*keyPath*/) {}
void TAnalyzClass::CheckSharedDLL(TNTRegistry& /*reg*/, const std::string& /*valueName*/) {}

}  // namespace hw
