#pragma once
// TInvalidEntries: everything the window keeps about one category: its found
// entries, its exclusion list in the scan engine, where that list's defaults
// and the user's additions are stored, and how its rows and caption look.

#include <cstdint>
#include <memory>
#include <string>

#include "results/Entries.h"

namespace hw {

struct TAnalyzSet;
class TInvalidPathEntries;

class TInvalidEntries {
 public:
  // exclusionSet belongs to the scan engine and must outlive the record.
  TInvalidEntries(TAnalyzSet& exclusionSet, std::string defaultsFile, std::int32_t linesPerRow,
                  std::unique_ptr<TEntries> entries, std::string exclusionValueName);
  TInvalidEntries(const TInvalidEntries&) = delete;
  TInvalidEntries& operator=(const TInvalidEntries&) = delete;

  // The entries list as the moved-file search uses it; null for the
  // categories whose files are not searched.
  TInvalidPathEntries* PathEntries() const;

  TAnalyzSet& ExclusionSet;
  std::string DefaultsFile;       // default exclusions beside the program
  std::int32_t DefaultCount = 0;  // leading entries of ExclusionSet that came from it
  std::int32_t LinesPerRow;       // text lines of one results row
  std::string DisplayName;        // at most 255 characters, from the language pack
  const std::unique_ptr<TEntries> Entries;
  std::string ExclusionValueName;  // stored list of the user's exclusions
};

}  // namespace hw
