#pragma once
// Turns the scan engine's reports into found entries while its category
// events run, and shows each new entry at once when its category is shown.

#include "scan/AnalyzTypes.h"

namespace hw {

class CategoryTable;
class TAnalyzClass;
class TEntry;
class TextSource;

// Interface texts of the repair choices.
inline constexpr int kTextRepair = 8;            // repair (delete) a path entry
inline constexpr int kTextLeave = 21;            // leave a writable entry
inline constexpr int kTextDeleteEmptyKey = 25;   // delete an empty key
inline constexpr int kTextDeleteSearched = 26;   // delete, once the search has run
inline constexpr int kTextDeleteMenuOrder = 38;  // delete a menu order key or a usage counter
inline constexpr int kTextReadOnly = 72;         // the only choice of a read-only key

// Copies the engine's current report into a new entry of the category and
// gives it its first choices; null when the category skips the report (fonts,
// Start menu and extensions report nothing without a problem kind).
TEntry* AddFromReport(CategoryTable& table, const TAnalyzClass& report, const TextSource& texts,
                      TAnalyzCategory category);

// Binds the engine's eight category events to AddFromReport. The table and
// the texts must outlive the engine's scans.
void ConnectReportEvents(TAnalyzClass& engine, CategoryTable& table, const TextSource& texts);

}  // namespace hw
