#include "results/CategoryEntries.h"

namespace hw {

std::unique_ptr<TEntries> MakeCategoryEntries(TAnalyzCategory category) {
  switch (category) {
    case acInvalidPaths: return std::make_unique<TInvalidPathEntries>();
    case acEmptyKeys: return std::make_unique<TEmptyEntries>();
    case acInvalidFonts: return std::make_unique<TInvalidFontEntries>();
    case acObsoleteStartMenu: return std::make_unique<TObsoleteStartMenuEntries>();
    case acInvalidAppPaths: return std::make_unique<TInvalidAppPathEntries>();
    case acInvalidHelpFiles: return std::make_unique<TInvalidHelpFileEntries>();
    case acInvalidSharedDLLs: return std::make_unique<TInvalidSharedDLLEntries>();
    case acInvalidExts: return std::make_unique<TInvalidExtEntries>();
  }
  return std::make_unique<TEntries>();
}

}  // namespace hw
