#include "cli/ReportOutput.h"

#include <ctime>
#include <ostream>

#include "Version.h"
#include "results/FoundEntriesReport.h"
#include "results/ReportIntake.h"
#include "scan/AnalyzClass.h"
#include "update/UpdateAddresses.h"

namespace hw::cli {

ReportCollector::ReportCollector(const ScanOptions& options,
                                 const std::filesystem::path& packFolder)
    : texts_(packFolder, options.language),
      table_(exclusionSets_),
      categories_(options.categories) {
  table_.ApplyDisplayNames(texts_);
}

void ReportCollector::Add(const TAnalyzClass& report, TAnalyzCategory category) {
  AddFromReport(table_, report, texts_, category);
}

std::string ReportCollector::Text() const {
  TReportSource source{
      table_,
      categories_,
      texts_,
      {"Hivewarden", version::kVersionText, std::to_string(version::kRelease), HomepageUrl()}};
  return FoundEntriesReportText(source, std::time(nullptr));
}

bool WriteReport(const ScanOptions& options, const std::string& text, std::ostream& out,
                 std::ostream& err) {
  if (options.output.empty()) {
    out << text;
    return true;
  }
  try {
    ReplaceReportFile(options.output, text);
  } catch (const platform::FileError& error) {
    err << "hivewarden-cli: " << error.what() << "\n";
    return false;
  }
  return true;
}

}  // namespace hw::cli
