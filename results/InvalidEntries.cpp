#include "results/InvalidEntries.h"

#include <utility>

#include "results/CategoryEntries.h"

namespace hw {

TInvalidEntries::TInvalidEntries(TAnalyzSet& exclusionSet, std::string defaultsFile,
                                 std::int32_t linesPerRow, std::unique_ptr<TEntries> entries,
                                 std::string exclusionValueName)
    : ExclusionSet(exclusionSet),
      DefaultsFile(std::move(defaultsFile)),
      LinesPerRow(linesPerRow),
      Entries(std::move(entries)),
      ExclusionValueName(std::move(exclusionValueName)) {}

TInvalidPathEntries* TInvalidEntries::PathEntries() const {
  return dynamic_cast<TInvalidPathEntries*>(Entries.get());
}

}  // namespace hw
