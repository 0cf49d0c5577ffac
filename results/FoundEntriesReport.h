#pragma once
// The found-entries report: every entry of every scanned category, picked or
// not, as a plain text file (CR LF line ends) that the user saves or prints.

#include <ctime>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/FileIo.h"
#include "scan/AnalyzTypes.h"

namespace hw {

class CategoryTable;
class TEntry;
class TextSource;

// The program's texts of the banner line.
struct TReportBanner {
  std::string Title;        // the application title
  std::string VersionText;  // major.minor
  std::string ReleaseText;  // the third number of the version
  std::string WebAddress;   // the product's web page
};

// What a report is written from. Nothing is owned; all must outlive the call.
struct TReportSource {
  const CategoryTable& Table;
  TAnalyzCategories Categories;  // the categories of the last scan
  const TextSource& Texts;
  TReportBanner Banner;
};

// Categories 0, 2, 4, 5 and 6: their entries name a value and its data, on
// a line of their own in the report and in the results rows.
bool HasValueLine(int category);
// Fonts and help files quote the value name between the two labels.
bool QuotesValueName(int category);

// The two texts that introduce an entry's value name and its data, each at
// most 255 characters. The row drawing of the results list uses them too.
std::pair<std::string, std::string> EntryLabels(const TEntry& entry, const TextSource& texts);

// The local date and time in the locale's short-date and long-time formats.
std::string ReportTimeText(std::time_t when);

// The whole report, as of `created`.
std::string FoundEntriesReportText(const TReportSource& source, std::time_t created);

// An existing file could not be replaced; it stays as it was. what() is the
// message shown to the user: "Error deleting file " and the file name.
class EReportNotReplaced : public platform::FileError {
 public:
  explicit EReportNotReplaced(const std::filesystem::path& fileName);
};

// Writes text to fileName through a temporary file renamed into place. A
// read-only file, or one in a folder where it cannot be replaced, throws
// EReportNotReplaced; other failures throw platform::FileError.
void ReplaceReportFile(const std::filesystem::path& fileName, const std::string& text);

// The report as of now, written to fileName as ReplaceReportFile says.
void WriteFoundEntriesReport(const std::filesystem::path& fileName, const TReportSource& source);

}  // namespace hw
