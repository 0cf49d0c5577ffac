#include "results/FoundEntriesReport.h"


#include "lang/TextSource.h"
#include "platform/Text.h"
#include "results/CategoryTable.h"

namespace hw {

namespace {

// Interface texts of the report and of the labels.
constexpr int kTextKey = 17;
constexpr int kTextEntriesFound = 45;
constexpr int kTextAction = 61;
constexpr int kTextDefaultValue = 70;
constexpr int kTextValueName = 4;
constexpr int kTextValue = 5;
constexpr int kTextData = 6;
constexpr int kTextMissingDll = 76;
constexpr int kTextNotInFolder = 89;
constexpr int kTextUnusedDll = 95;
constexpr int kTextFont = 98;
constexpr int kTextUsesFile = 99;
constexpr int kTextMissingProgram = 100;
constexpr int kTextHelpFile = 101;
constexpr int kTextExpectedIn = 102;

constexpr const char* kEol = "\r\n";
constexpr std::size_t kShortText = 255;

std::string Short(const std::string& text) {
  return std::string(platform::cutToChars(text, kShortText));
}

void AppendLine(std::string& out, const std::string& line) {
  out += line;
  out += kEol;
}

std::string ValueLine(const TEntry& entry, const TextSource& texts) {
  auto [first, second] = EntryLabels(entry, texts);
  std::string line = first;
  if (!entry.Flags.Contains(etAppNotInPath) && !entry.Flags.Contains(etAppDefault))
    line += entry.ValueName.empty() ? "(" + texts.GetInterfaceText(kTextDefaultValue) + ")"
                                    : entry.ValueName;
  if (!entry.Data.empty())
    line += second + entry.Data;
  else if (QuotesValueName(entry.Category))
    line += '"';  // the second label carries the closing quote; keep the name quoted
  return line;
}

void AppendCategory(std::string& out, const TInvalidEntries& record, int category,
                    const TextSource& texts) {
  const TEntries& entries = *record.Entries;
  AppendLine(out, std::string(47, '='));
  AppendLine(out, Short(" *** " + record.DisplayName + " ***  " +
                        texts.GetInterfaceText(kTextEntriesFound) + " ") +
                      std::to_string(entries.Count()));
  AppendLine(out, "");
  const std::string keyLabel = texts.GetInterfaceText(kTextKey);
  const std::string actionLabel = texts.GetInterfaceText(kTextAction);
  for (int i = 0; i < entries.Count(); ++i) {
    const TEntry& entry = entries[i];
    AppendLine(out, std::to_string(i) + "     " + keyLabel + " " + entry.KeyText);
    if (HasValueLine(category)) AppendLine(out, ValueLine(entry, texts));
    if (category != acInvalidExts) AppendLine(out, actionLabel + " " + entry.ChoiceText());
    AppendLine(out, "");
  }
  AppendLine(out, "");
}

// A file that the user marked read-only, or one in a folder we may not
// change, is not replaced: that is what deleting it would have refused.
bool CannotReplace(const std::filesystem::path& fileName) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(fileName, error);
  if (error || !fs::exists(status)) return false;
  constexpr fs::perms kWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if (fs::is_directory(status) || (status.permissions() & kWrite) == fs::perms::none) return true;
  return !platform::FolderWritable(fileName.parent_path().empty() ? fs::path(".")
                                                                   : fileName.parent_path());
}

}  // namespace

bool HasValueLine(int category) {
  return category == acInvalidPaths || category == acInvalidFonts ||
         category == acInvalidAppPaths || category == acInvalidHelpFiles ||
         category == acInvalidSharedDLLs;
}

bool QuotesValueName(int category) {
  return category == acInvalidFonts || category == acInvalidHelpFiles;
}

std::pair<std::string, std::string> EntryLabels(const TEntry& entry, const TextSource& texts) {
  auto text = [&](int n) { return texts.GetInterfaceText(n); };
  std::string first, second;
  switch (entry.Category) {
    case acInvalidFonts:
      first = text(kTextFont) + " \"";
      second = "\" " + text(kTextUsesFile) + " ";
      break;
    case acInvalidAppPaths:
      if (entry.Flags.Contains(etAppPathMissing)) {
        first = text(kTextData) + " ";
      } else if (entry.Flags.Contains(etAppNotInPath)) {
        first = text(kTextNotInFolder) + " ";
      } else if (entry.Flags.Contains(etAppDefault)) {
        first = text(kTextMissingProgram) + " ";
      } else {
        first = text(kTextValue) + " ";
        second = " = ";
      }
      break;
    case acInvalidHelpFiles:
      first = text(kTextHelpFile) + " \"";
      second = "\" " + text(kTextExpectedIn) + " ";
      break;
    case acInvalidSharedDLLs:
      first = text(entry.Flags.Contains(etZeroUsageCount) ? kTextUnusedDll : kTextMissingDll) + " ";
      break;
    default:
      first = text(entry.Flags.Contains(etInvalidName) ? kTextValueName : kTextValue) + " ";
      second = " = ";
      break;
  }
  return {Short(first), Short(second)};
}

std::string ReportTimeText(std::time_t when) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  char buffer[128];
  const std::size_t length = std::strftime(buffer, sizeof buffer, "%x %X", &local);
  return std::string(buffer, length);
}

std::string FoundEntriesReportText(const TReportSource& source, std::time_t created) {
  const TReportBanner& banner = source.Banner;
  std::string out;
  AppendLine(out, Short(banner.Title + " " + banner.VersionText + "." + banner.ReleaseText +
                        "   *** " + banner.WebAddress + " *** "));
  AppendLine(out, "Found invalid entries");
  AppendLine(out, "Created: " + ReportTimeText(created));
  AppendLine(out, "");
  for (int c = 0; c < CategoryTable::Size(); ++c) {
    if (source.Categories.Contains(static_cast<TAnalyzCategory>(c)))
      AppendCategory(out, source.Table[c], c, source.Texts);
  }
  return out;
}

EReportNotReplaced::EReportNotReplaced(const std::filesystem::path& fileName)
    : platform::FileError("Error deleting file " + fileName.string()) {}

void ReplaceReportFile(const std::filesystem::path& fileName, const std::string& text) {
  if (CannotReplace(fileName)) throw EReportNotReplaced(fileName);
  platform::WriteFileAtomically(fileName, text);
}

void WriteFoundEntriesReport(const std::filesystem::path& fileName, const TReportSource& source) {
  ReplaceReportFile(fileName, FoundEntriesReportText(source, std::time(nullptr)));
}

}  // namespace hw
