#pragma once
// Hooks a test onto every category event of a scan engine.

#include <utility>

#include "scan/AnalyzClass.h"

namespace hw::test {

// Short names of the categories' events, as test expectations spell them.
inline const char* EventName(TAnalyzCategory category) {
  static const char* const kNames[kCategoryCount] = {"path", "empty", "font", "menu",
                                                     "app",  "help",  "dll",  "ext"};
  return kNames[category];
}

// Calls record(event name, engine) for every finding the engine announces.
template <typename Record>
void OnEveryFinding(TAnalyzClass& engine, Record record) {
  for (int c = 0; c < kCategoryCount; ++c) {
    const auto category = static_cast<TAnalyzCategory>(c);
    engine.EventOf(category) = [record, category](TAnalyzClass& sender) {
      record(EventName(category), sender);
    };
  }
}

}  // namespace hw::test
