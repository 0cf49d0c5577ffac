#include "results/ReportIntake.h"

#include <string>

#include "lang/TextSource.h"
#include "platform/Text.h"
#include "results/CategoryTable.h"
#include "results/EntriesView.h"
#include "scan/AnalyzClass.h"

namespace hw {
namespace {

constexpr std::size_t kShortText = 255;

int RepairText(TAnalyzCategory category) {
  switch (category) {
    case acEmptyKeys: return kTextDeleteEmptyKey;
    case acObsoleteStartMenu: return kTextDeleteMenuOrder;
    default: return kTextRepair;
  }
}

bool SkipsWithoutKinds(TAnalyzCategory category) {
  return category == acInvalidFonts || category == acObsoleteStartMenu || category == acInvalidExts;
}

// Cuts text to the short-text length; tells whether anything was cut.
bool CutShort(const std::string& text, std::string& out) {
  out = platform::cutToChars(text, kShortText);
  return out.size() != text.size();
}

}  // namespace

TEntry* AddFromReport(CategoryTable& table, const TAnalyzClass& report, const TextSource& texts,
                      TAnalyzCategory category) {
  if (SkipsWithoutKinds(category) && report.Flags.Empty()) return nullptr;

  TEntries& entries = *table[category].Entries;
  TEntry& entry = entries.AddEntry();
  entry.Category = category;
  const bool keyCut = CutShort("[" + report.RootName + "] " + report.KeyPath, entry.KeyText);
  const bool nameCut = CutShort(report.ValueName, entry.ValueName);
  if (category != acEmptyKeys) {
    entry.Data = report.Data;
    entry.BadPath = report.BadPath;
    entry.Flags = report.Flags;
  }
  // A cut key text or value name no longer names the registry location: a
  // repair would open a shorter path (possibly an existing parent key) or
  // another value. Such an entry is shown but offered as read-only.
  entry.KeyWritable = report.KeyWritable && !keyCut && !nameCut;
  entry.PathCount = report.PathCount;

  if (entry.KeyWritable) {
    entry.Choices.push_back(texts.GetInterfaceText(kTextLeave));
    entry.Choices.push_back(texts.GetInterfaceText(RepairText(category)));
    entry.SetChoice(1);
  } else {
    entry.Choices.push_back(texts.GetInterfaceText(kTextReadOnly));
    entry.SetChoice(0);
  }
  entries.SetPicked(&entry, entry.Choice() != 0);

  if (TEntriesView* view = table.View()) {
    if (view->ShownCategory() == category) view->AddEntryRow(entry, entry.Picked());
    view->RefreshResultCounts();
  }
  return &entry;
}

void ConnectReportEvents(TAnalyzClass& engine, CategoryTable& table, const TextSource& texts) {
  for (int c = 0; c < kCategoryCount; ++c) {
    const auto category = static_cast<TAnalyzCategory>(c);
    engine.EventOf(category) = [&table, &texts, category](TAnalyzClass& sender) {
      AddFromReport(table, sender, texts, category);
    };
  }
}

}  // namespace hw
