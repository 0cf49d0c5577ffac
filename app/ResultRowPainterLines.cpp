#include "app/ResultRowPainterLines.h"

#include "lang/TextSource.h"
#include "platform/Text.h"
#include "results/Entry.h"
#include "results/FoundEntriesReport.h"

namespace hw::app {

namespace {

constexpr std::size_t kShortText = 255;

void Append(TRowLine& line, std::string_view text, TPieceColour colour) {
  if (text.empty()) return;
  line.push_back({std::string(platform::cutToChars(text, kShortText)), colour});
}

// text as up to three pieces: before, at and after the missing part.
void AppendHighlighted(TRowLine& line, std::string_view text, std::string_view badPath, bool last,
                       bool highlight, TPieceColour plain) {
  const TTextSpan span = highlight ? MissingSpan(text, badPath, last) : TTextSpan{};
  if (span.Length == 0) {
    Append(line, text, plain);
    return;
  }
  Append(line, text.substr(0, span.Start), plain);
  Append(line, text.substr(span.Start, span.Length), pcMissing);
  Append(line, text.substr(span.Start + span.Length), plain);
}

}  // namespace

TTextSpan MissingSpan(std::string_view text, std::string_view badPath, bool lastOccurrence) {
  if (text.empty() || badPath.empty()) return {};
  const std::size_t at = lastOccurrence ? text.rfind(badPath) : text.find(badPath);
  if (at != std::string_view::npos) return {at, badPath.size()};
  // The text is a piece of the missing path: all of it is missing.
  if (badPath.find(text) != std::string_view::npos) return {0, text.size()};
  return {};
}

std::string FileTypeProblems(std::string_view badPath) {
  while (!badPath.empty() && (badPath.front() == ',' || badPath.front() == ' '))
    badPath.remove_prefix(1);
  return std::string(badPath);
}

TRowText ResultRowText(const TEntry& entry, const TextSource& texts) {
  TRowText row;
  const int category = entry.Category;

  TRowLine key;
  Append(key, texts.GetInterfaceText(kTextKeyLabel) + " ", pcBase);
  const bool menuKey = !HasValueLine(category) && entry.Flags.Contains(etObsoleteMenuKey);
  AppendHighlighted(key, entry.KeyText, entry.BadPath, true, menuKey, pcBase);
  if (category == acInvalidExts) {
    const std::string problems = FileTypeProblems(entry.BadPath);
    if (!problems.empty()) {
      Append(key, "  ", pcBase);
      Append(key, problems, pcMissing);
    }
  }
  row.Lines.push_back(std::move(key));

  if (HasValueLine(category)) {
    const auto [first, second] = EntryLabels(entry, texts);
    TRowLine value;
    Append(value, first, pcBase);
    if (!entry.Flags.Contains(etAppNotInPath) && !entry.Flags.Contains(etAppDefault)) {
      const std::string name = entry.ValueName.empty()
                                   ? "(" + texts.GetInterfaceText(kTextDefaultValue) + ")"
                                   : entry.ValueName;
      AppendHighlighted(value, name, entry.BadPath, false, entry.Flags.Contains(etInvalidName),
                        pcValue);
    }
    if (!entry.Data.empty()) {
      Append(value, second, pcBase);
      AppendHighlighted(value, entry.Data, entry.BadPath, false,
                        entry.Flags.Contains(etInvalidData), pcBase);
    } else if (QuotesValueName(category)) {
      Append(value, "\"", pcBase);  // the second label holds the closing quote
    }
    row.Lines.push_back(std::move(value));
  }

  row.ChoiceLabel =
      std::string(platform::cutToChars(texts.GetInterfaceText(kTextChoiceLabel) + " ", kShortText));
  return row;
}

}  // namespace hw::app
