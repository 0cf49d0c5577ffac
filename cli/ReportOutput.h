#pragma once
// `scan --format report`: the findings become found entries, as in the
// window, and are written as the found-entries report.

#include <array>
#include <filesystem>
#include <iosfwd>
#include <string>

#include "cli/CliOptions.h"
#include "cli/PackTexts.h"
#include "results/CategoryTable.h"

namespace hw {
class TAnalyzClass;
}  // namespace hw

namespace hw::cli {

class ReportCollector {
 public:
  // Loads the language pack of options from packFolder (std::runtime_error
  // when it has none).
  ReportCollector(const ScanOptions& options, const std::filesystem::path& packFolder);

  // Called from the engine's category events.
  void Add(const TAnalyzClass& report, TAnalyzCategory category);
  // The report as of now.
  std::string Text() const;

 private:
  PackTexts texts_;
  // The table's own: a report never edits the exclusion lists.
  std::array<TAnalyzSet, kCategoryCount> exclusionSets_;
  CategoryTable table_;
  TAnalyzCategories categories_;
};

// The report to standard output, or to the output file, which is replaced
// whole; false with the message written when the file cannot be written.
bool WriteReport(const ScanOptions& options, const std::string& text, std::ostream& out,
                 std::ostream& err);

}  // namespace hw::cli
