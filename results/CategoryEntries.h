#pragma once
// The entries list of each category. The classes add nothing; a list's class
// tells its family: the categories whose missing files the moved-file search
// may find again hold a TInvalidPathEntries or a class derived from it.

#include <memory>

#include "results/Entries.h"
#include "scan/AnalyzTypes.h"

namespace hw {

class TInvalidPathEntries : public TEntries {};
class TInvalidFontEntries : public TInvalidPathEntries {};
class TInvalidAppPathEntries : public TInvalidPathEntries {};
class TInvalidHelpFileEntries : public TInvalidPathEntries {};
class TInvalidSharedDLLEntries : public TInvalidPathEntries {};

class TEmptyEntries : public TEntries {};
class TObsoleteStartMenuEntries : public TEntries {};
class TInvalidExtEntries : public TEntries {};

// A new, empty list of the category's class.
std::unique_ptr<TEntries> MakeCategoryEntries(TAnalyzCategory category);

}  // namespace hw
