#include "scan/ExclusionLists.h"


#include <utility>

#include "platform/FileIo.h"
#include "registry/StoredList.h"
#include "scan/CategoryStorage.h"

namespace hw {

namespace {

// The categories whose findings name a value, so that one value can be
// excluded without its key.
constexpr TAnalyzCategories kValueLevelCategories = {acInvalidPaths, acInvalidFonts,
                                                     acInvalidHelpFiles, acInvalidSharedDLLs};

std::string StoredListName(TAnalyzCategory category) {
  return std::string(kCategoryStorage[category].ExclusionValueName);
}

}  // namespace

EMissingDefaultsFile::EMissingDefaultsFile(std::string fileName)
    : std::runtime_error("Missing default exclusion file \"" + fileName + "\""),
      fileName_(std::move(fileName)) {}

std::vector<std::string> ReadDefaultsFile(const std::filesystem::path& file) {
  std::string text;
  if (!platform::ReadWholeFile(file, text)) throw EMissingDefaultsFile(file.string());
  // A line break ends a line; text after the last break is one more line, so
  // a final break adds no empty entry.
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

bool AddExcluded(TAnalyzSet& list, std::string_view text) {
  std::string_view trimmed = TrimChar(text, '\\');
  if (trimmed.empty()) return false;
  list.Items.push_back(ExclusionText(trimmed));
  return true;
}

std::string ExclusionText(std::string_view keyPath, std::string_view valueName) {
  std::string text = "\\" + std::string(TrimChar(keyPath, '\\')) + "\\";
  if (!valueName.empty()) text += std::string(valueName) + "\\";
  return text;
}

bool AddToRegistryList(TStoredLists& stored, const std::string& name, const std::string& entry) {
  std::vector<std::string> list;
  stored.LoadListFromRegistry(name, list);
  list.push_back(entry);
  stored.SaveListToRegistry(name, list);
  return true;
}

TExclusionLists::TExclusionLists(std::array<TAnalyzSet, kCategoryCount>& sets,
                                 std::filesystem::path dataFolder)
    : sets_(sets), dataFolder_(std::move(dataFolder)) {}

std::filesystem::path TExclusionLists::DefaultsFile(TAnalyzCategory category) const {
  return dataFolder_ / kCategoryStorage[category].DefaultsFile;
}

void TExclusionLists::LoadDefaults(TAnalyzCategory category) {
  sets_[category].Items = ReadDefaultsFile(DefaultsFile(category));
  defaultCount_[category] = static_cast<int>(sets_[category].Items.size());
}

void TExclusionLists::Load(TAnalyzCategories categories, TStoredLists* stored) {
  for (int i = 0; i < kCategoryCount; ++i) {
    auto category = static_cast<TAnalyzCategory>(i);
    if (!categories.Contains(category)) continue;
    LoadDefaults(category);
    std::vector<std::string> user;
    if (stored && stored->LoadListFromRegistry(StoredListName(category), user)) {
      std::vector<std::string>& items = sets_[category].Items;
      items.insert(items.end(), user.begin(), user.end());
    }
  }
}

std::vector<std::string> TExclusionLists::UserEntries(TAnalyzCategory category) const {
  const std::vector<std::string>& items = sets_[category].Items;
  auto first = static_cast<std::size_t>(defaultCount_[category]);
  if (first >= items.size()) return {};
  return {items.begin() + static_cast<std::ptrdiff_t>(first), items.end()};
}

void TExclusionLists::SaveUserEntries(TStoredLists& stored, TAnalyzCategories categories) const {
  for (int i = 0; i < kCategoryCount; ++i) {
    auto category = static_cast<TAnalyzCategory>(i);
    if (categories.Contains(category))
      stored.SaveListToRegistry(StoredListName(category), UserEntries(category));
  }
}

std::string TExclusionLists::FindingText(TAnalyzCategory category, std::string_view keyPath,
                                         std::string_view valueName) {
  return ExclusionText(keyPath,
                       kValueLevelCategories.Contains(category) ? valueName : std::string_view());
}

int TExclusionLists::CoveringEntry(TAnalyzCategory category, std::string_view text) const {
  return sets_[category].IndexOfExcluded(text, {});
}

bool TExclusionLists::AddUserEntry(TAnalyzCategory category, std::string_view text,
                                   TStoredLists* stored) {
  if (TrimChar(text, '\\').empty() || CoveringEntry(category, text) >= 0) return false;
  // Stored first: a refused write leaves the list as the settings have it.
  if (stored) AddToRegistryList(*stored, StoredListName(category), ExclusionText(text));
  return AddExcluded(sets_[category], text);
}

}  // namespace hw
