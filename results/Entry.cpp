#include "results/Entry.h"

#include <utility>

namespace hw {
namespace {

// Appends text with the first occurrence of badPath replaced by foundPath, or
// foundPath itself when text is empty; false when badPath does not occur.
// An empty badPath occurs nowhere: there is nothing to replace.
bool AppendReplaced(std::vector<std::string>& choices, const std::string& text,
                    const std::string& badPath, const std::string& foundPath) {
  if (text.empty()) {
    choices.push_back(foundPath);
    return true;
  }
  if (badPath.empty()) return false;
  const std::size_t pos = text.find(badPath);
  if (pos == std::string::npos) return false;
  std::string replaced = text;
  replaced.replace(pos, badPath.size(), foundPath);
  choices.push_back(std::move(replaced));
  return true;
}

}  // namespace

void TEntry::SetChoice(std::int32_t index) {
  if (index == -1) {
    choice_ = -1;
    choiceText_.clear();
  } else if (index >= 0 && static_cast<std::size_t>(index) < Choices.size()) {
    choice_ = index;
    choiceText_ = Choices[index];
  }
}

bool TEntry::AddReplacement(std::string foundPath) {
  // A folder stays a folder: the found path takes the missing path's trailing backslash.
  if (!BadPath.empty() && BadPath.back() == '\\' && (foundPath.empty() || foundPath.back() != '\\'))
    foundPath += '\\';

  bool added = false;
  if (Flags.Contains(etInvalidData) || Flags.Contains(etAppPathMissing) ||
      Flags.Contains(etAppNotInPath))
    added = AppendReplaced(Choices, Data, BadPath, foundPath);
  if (Flags.Contains(etInvalidName))
    added = AppendReplaced(Choices, ValueName, BadPath, foundPath) || added;
  return added;
}

}  // namespace hw
