#include "scan/AnalyzClass.h"

#include <chrono>

#include "platform/Text.h"
#include "registry/NTRegistry.h"
#include "scan/RootAliases.h"

namespace hw {

namespace {

constexpr std::size_t kShortText = 255;

// The scan roots, walked in this order.
struct RootRow {
  const char* text;
  TAnalyzCategories categories;
};
const RootRow kRootTable[] = {
    {"[HKEY_LOCAL_MACHINE]\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\",
     {acInvalidFonts}},
    {"[HKEY_LOCAL_MACHINE]\\Software\\Microsoft\\Windows\\CurrentVersion\\Fonts\\",
     {acInvalidFonts}},
    {"[HKEY_CURRENT_USER]\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\"
     "Start Menu\\",
     {acObsoleteStartMenu}},
    {"[HKEY_CURRENT_USER]\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\"
     "Start Menu2\\",
     {acObsoleteStartMenu}},
    {"[HKEY_LOCAL_MACHINE]\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\",
     {acInvalidAppPaths}},
    {"[HKEY_LOCAL_MACHINE]\\Software\\Microsoft\\Windows\\Help\\", {acInvalidHelpFiles}},
    {"[HKEY_LOCAL_MACHINE]\\Software\\Microsoft\\Windows\\Html Help\\", {acInvalidHelpFiles}},
    {"[HKEY_LOCAL_MACHINE]\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\",
     {acInvalidSharedDLLs}},
    // 32-bit programs in a 64-bit Windows (or Wine) keep these in the 32-bit
    // view; App Paths and the fonts are shared by both views.
    {"[HKEY_LOCAL_MACHINE]\\Software\\Wow6432Node\\Microsoft\\Windows\\Help\\", {acInvalidHelpFiles}},
    {"[HKEY_LOCAL_MACHINE]\\Software\\Wow6432Node\\Microsoft\\Windows\\Html Help\\",
     {acInvalidHelpFiles}},
    {"[HKEY_LOCAL_MACHINE]\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
     "SharedDLLs\\",
     {acInvalidSharedDLLs}},
    {"[HKEY_CURRENT_USER]", {acInvalidPaths, acEmptyKeys}},
    {"[HKEY_USERS]", {acInvalidPaths, acEmptyKeys}},
    {"[HKEY_LOCAL_MACHINE]", {acInvalidPaths, acEmptyKeys}},
    {"[HKEY_CLASSES_ROOT]", {acInvalidPaths, acEmptyKeys}},
};

}  // namespace

TRootKeyText ParseRootKeyText(const std::string& text) {
  TRootKeyText result{platform::invalidRootKey(), {}, {}, false};
  std::size_t close = text.find(']');
  if (close == std::string::npos) return result;
  std::string_view inner = close >= 1 ? std::string_view(text).substr(1, close - 1) : "";
  result.RootName = std::string(platform::cutToChars(inner, kShortText));
  result.KeyPath = close + 2 <= text.size() ? text.substr(close + 2) : std::string();
  if (result.KeyPath.empty() || result.KeyPath.front() != '\\')
    result.KeyPath.insert(result.KeyPath.begin(), '\\');
  result.RootKey = RootKeyFromName(result.RootName);
  result.Ok = true;
  return result;
}

std::optional<std::string> FormatFileTime(const FILETIME& time) {
  using namespace std::chrono;
  auto ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  // Days from 1601-01-01 to 1970-01-01.
  constexpr std::int64_t kEpochDays = 134774;
  // Windows refuses times with the top bit set; four-digit years end at 9999.
  constexpr std::uint64_t kYear10000 = 0x24C85A5ED1C04000ull;
  if (ticks >= kYear10000) return std::nullopt;
  auto seconds = static_cast<std::int64_t>(ticks / 10000000);
  auto dayPoint = sys_days{days{seconds / 86400 - kEpochDays}};
  year_month_day date{dayPoint};
  if (!date.ok()) return std::nullopt;
  auto secondOfDay = seconds % 86400;
  int hour = static_cast<int>(secondOfDay / 3600);
  int minute = static_cast<int>(secondOfDay / 60 % 60);
  int hour12 = hour % 12 == 0 ? 12 : hour % 12;
  // Formatted by hand: the walk dates every key it reports.
  std::string text = "00/00/0000 00:00AM";
  auto put = [&](std::size_t at, int digits, int value) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
      text[at + i] = static_cast<char>('0' + value % 10);
  };
  put(0, 2, static_cast<int>(static_cast<unsigned>(date.month())));
  put(3, 2, static_cast<int>(static_cast<unsigned>(date.day())));
  put(6, 4, static_cast<int>(date.year()));
  put(11, 2, hour12);
  put(14, 2, minute);
  if (hour >= 12) text[16] = 'P';
  return text;
}

TAnalyzClass::TAnalyzClass(platform::RegistryApi& registry, platform::FileSystem& files,
                           const platform::EventPump& pump)
    : registry_(registry), files_(files), pump_(pump) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    UINT type = files_.GetDriveTypeA(std::string{letter, ':', '\\'});
    if (type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK) LocalDrives += letter;
  }
  FontsDir = files_.GetSpecialFolderPath(platform::CSIDL_FONTS);
  ProgramsDir = files_.GetSpecialFolderPath(platform::CSIDL_PROGRAMS);
  CommonProgramsDir = files_.GetSpecialFolderPath(platform::CSIDL_COMMON_PROGRAMS);
  for (const RootRow& row : kRootTable) {
    TRootKeyText parsed = ParseRootKeyText(row.text);
    RootKeys.push_back({parsed.RootKey, parsed.KeyPath, row.categories});
  }
  Categories = {acInvalidPaths,      acEmptyKeys,       acInvalidFonts,
                acObsoleteStartMenu, acInvalidAppPaths, acInvalidHelpFiles};
}

void TAnalyzClass::Analyze() {
  // Files may have come and gone since the last scan.
  files_.ClearCache();
  const std::string sid = registry_.CurrentUserSid();
  reportedBy_.clear();
  for (std::size_t i = 0; i < RootKeys.size() && !Stop; ++i) {
    const TRegKeyToAnalyze& root = RootKeys[i];
    if (!root.Categories.Intersects(Categories)) continue;
    aliased_ = AliasedSubtrees(RootKeys, i, Categories, sid);
    if (IsAliased(std::string(TrimChar(root.KeyPath, '\\')))) continue;
    PrepareRoot(i);
    bool subtreeEmpty = true;
    AnalyzeKeyTree(root.RootKey, root.KeyPath, subtreeEmpty, root.Categories);
  }
  rootIndex_ = kNoRoot;
  aliased_.clear();
  reportedBy_.clear();
}

bool TAnalyzClass::IsAliased(const std::string& path) const {
  for (const std::string& aliased : aliased_)
    if (platform::equalsNoCase(aliased, path)) return true;
  return false;
}

std::string TAnalyzClass::PathsUnusableReason() {
  // Empty keys and file types name no paths.
  TAnalyzCategories judging = Categories;
  judging.Exclude(acEmptyKeys);
  judging.Exclude(acInvalidExts);
  return judging.Empty() ? std::string() : files_.DrivesProblem();
}

bool TAnalyzClass::FormatKeyDate(TNTRegistry& reg) {
  FILETIME time{};
  if (!reg.GetKeyTime(time)) return false;
  std::optional<std::string> text = FormatFileTime(time);
  KeyDate = text ? *text : "unknown";
  return text.has_value();
}

TNotifyEvent& TAnalyzClass::EventOf(TAnalyzCategory category) {
  switch (category) {
    case acInvalidPaths: return OnInvalidPath;
    case acEmptyKeys: return OnEmptyKey;
    case acInvalidFonts: return OnInvalidFont;
    case acObsoleteStartMenu: return OnObsoleteStartMenu;
    case acInvalidAppPaths: return OnInvalidAppPath;
    case acInvalidHelpFiles: return OnInvalidHelpFile;
    case acInvalidSharedDLLs: return OnInvalidSharedDLL;
    case acInvalidExts: break;
  }
  return OnInvalidExt;
}

void TAnalyzClass::Report(const TNotifyEvent& event) {
  if (&event != &OnKey) {
    const bool keyLevel = &event == &OnEmptyKey || &event == &OnObsoleteStartMenu ||
                          &event == &OnInvalidExt || Flags.Contains(etAppPathMissing);
    if (ReportedByEarlierRoot(keyLevel)) return;
  }
  if (event) event(*this);
}

bool TAnalyzClass::ReportedByEarlierRoot(bool keyLevel) {
  if (rootIndex_ == kNoRoot) return false;
  // Only findings a later root can meet again are kept, and only findings
  // below an earlier root's path are looked up: most are neither.
  bool belowEarlier = false;
  for (const std::string& earlier : earlierRootPaths_)
    belowEarlier = belowEarlier || PathWithin(KeyPath, earlier);
  if (!belowEarlier && !keepFindings_) return false;
  // Names compare without regard to case, as the registry compares them.
  std::string id = RootName + '\n' + platform::toLowerUtf8(KeyPath) + '\n' +
                   (keyLevel ? std::string(1, '\0') : platform::toLowerUtf8(ValueName));
  if (belowEarlier) {
    auto found = reportedBy_.find(id);
    if (found != reportedBy_.end() && found->second < rootIndex_) return true;
  }
  if (keepFindings_) reportedBy_.emplace(std::move(id), rootIndex_);
  return false;
}

void TAnalyzClass::PrepareRoot(std::size_t index) {
  rootIndex_ = index;
  earlierRootPaths_.clear();
  keepFindings_ = false;
  const TRegKeyToAnalyze& root = RootKeys[index];
  for (std::size_t j = 0; j < RootKeys.size(); ++j) {
    const TRegKeyToAnalyze& other = RootKeys[j];
    if (j == index || other.RootKey != root.RootKey || !other.Categories.Intersects(Categories))
      continue;
    if (j < index)
      earlierRootPaths_.emplace_back(TrimChar(other.KeyPath, '\\'));
    else
      keepFindings_ = true;
  }
}

}  // namespace hw
