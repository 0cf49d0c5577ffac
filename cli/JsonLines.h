#pragma once
// One finding of the scan as a line of JSON.

#include <string>
#include <string_view>

#include "scan/AnalyzTypes.h"

namespace hw {
class TAnalyzClass;
}  // namespace hw

namespace hw::cli {

// A JSON string literal of UTF-8 text; invalid sequences become U+FFFD.
std::string JsonString(std::string_view text);
// The current report of the engine as one JSON object (without newline).
std::string FindingJson(const TAnalyzClass& engine, TAnalyzCategory category);

}  // namespace hw::cli
