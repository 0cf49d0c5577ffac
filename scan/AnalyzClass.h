#pragma once
// TAnalyzClass: the scan engine. It walks the registry roots whose categories
// were chosen, runs the checks on every key and value, and announces each
// finding by filling the current report and calling its category's event. It
// keeps no findings itself: the handlers copy the report while the event runs.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/RegistryApi.h"
#include "scan/AnalyzSet.h"
#include "scan/AnalyzTypes.h"
#include "scan/ExtensionCheck.h"

namespace hw {

class TNTRegistry;
class TAnalyzClass;

using TNotifyEvent = std::function<void(TAnalyzClass& sender)>;

// One scan root.
struct TRegKeyToAnalyze {
  HKEY RootKey = nullptr;
  std::string KeyPath;  // \path\ below the root; a single backslash for the whole hive
  TAnalyzCategories Categories;
};

// Result of parsing "[ROOT]\path" or "[ROOT] path".
struct TRootKeyText {
  HKEY RootKey;
  std::string RootName;
  std::string KeyPath;
  bool Ok = false;
};
TRootKeyText ParseRootKeyText(const std::string& text);

// The key date text of a last write time: "mm/dd/yyyy hh:mmAM" in UTC.
std::optional<std::string> FormatFileTime(const FILETIME& time);

class TAnalyzClass {
 public:
  // None of the three is owned; all must outlive the engine.
  TAnalyzClass(platform::RegistryApi& registry, platform::FileSystem& files,
               const platform::EventPump& pump);
  virtual ~TAnalyzClass() = default;
  TAnalyzClass(const TAnalyzClass&) = delete;
  TAnalyzClass& operator=(const TAnalyzClass&) = delete;

  // Runs one scan on the calling thread; findings arrive through the events.
  void Analyze();
  // Why the chosen categories cannot be scanned here: they judge paths and
  // the drives cannot be trusted. Empty when the scan may run.
  std::string PathsUnusableReason();
  // Fills KeyDate from the key open in reg; false (KeyDate unchanged or
  // "unknown") when its time cannot be read or converted.
  bool FormatKeyDate(TNTRegistry& reg);

  std::vector<TRegKeyToAnalyze> RootKeys;

  TNotifyEvent OnKey;
  TNotifyEvent OnInvalidPath;
  TNotifyEvent OnEmptyKey;
  TNotifyEvent OnInvalidExt;
  TNotifyEvent OnInvalidFont;
  TNotifyEvent OnObsoleteStartMenu;
  TNotifyEvent OnInvalidAppPath;
  TNotifyEvent OnInvalidHelpFile;
  TNotifyEvent OnInvalidSharedDLL;
  // The event a category's findings are announced through.
  TNotifyEvent& EventOf(TAnalyzCategory category);

  bool Stop = false;
  bool SkipReadOnlyKeys = false;
  std::array<TAnalyzSet, kCategoryCount> ExclusionSets;
  std::vector<std::string> ExcludedDrives;  // "D:"
  TAnalyzCategories Categories;
  TExtRecord ExtRecord;
  std::string LocalDrives;  // capital letters of the drives whose paths are judged
  // The special folders, fixed at construction: without trailing backslash,
  // "error" or empty when the system cannot name them.
  std::string FontsDir;
  std::string ProgramsDir;
  std::string CommonProgramsDir;

  // The current report, valid while an event runs.
  std::string RootName;
  std::string KeyPath;
  std::string ValueName;
  std::string KeyDate;
  TEntryTypes Flags;
  std::string Data;
  std::string BadPath;
  std::int32_t PathCount = 0;
  bool KeyWritable = false;

  // The walk of one key and its subtree; subtreeEmpty ends true only if the
  // key and everything below it hold no values.
  void AnalyzeKeyTree(HKEY root, const std::string& path, bool& subtreeEmpty,
                      TAnalyzCategories rootCategories);
  // The checks of the key reg has open; clears noValues when it has values.
  void AnalyzeKey(TNTRegistry& reg, bool& noValues, TAnalyzCategories rootCategories);

  // The path tests. A path is judged only on a local drive (fixed, network or
  // RAM disk) that the user did not exclude.
  bool IsInvalidPath(std::string_view text, std::string& badPath, std::int32_t& pathCount);
  bool IsLocalDrive(std::string_view path) const;
  bool IsExcludedDrive(std::string_view path) const;
  bool FolderExists(std::string_view path);
  bool FileExists(std::string_view path);
  // Whether the text a missing path was cut from names something that exists
  // when cut elsewhere: up to a later separator or the stretch's end (a
  // file, a folder, or a program without ".exe"), or up to a blank in the
  // path's last name (a file or program followed by arguments).
  bool NamedByAnotherStretch(const std::string& path, const std::string& stretch);

 protected:
  // The value and key checks the walk calls; each tells whether the text or
  // key is invalid and sets BadPath, PathCount and Flags as its category
  // needs. Virtual so that tests can script them.
  virtual bool IsInvalidPath(const std::string& text);
  virtual bool IsInvalidFont(const std::string& data);
  virtual bool IsInvalidHelpFile(const std::string& name, const std::string& data);
  virtual bool IsObsoleteMenuItem(const std::string& menuPath);
  // Reports by itself through OnInvalidAppPath.
  virtual void CheckAppPath(HKEY root, const std::string& keyPath);
  void ReportAppPath(TNTRegistry& reg, TEntryTypes flags, const std::string& badPath);
  virtual bool CheckExtension(HKEY root, const std::string& keyPath);
  // Sets Flags (and BadPath) when the value is an invalid usage counter.
  virtual void CheckSharedDLL(TNTRegistry& reg, const std::string& valueName);

 private:
  bool Applies(TAnalyzCategory category, TAnalyzCategories rootCategories) const {
    return rootCategories.Contains(category) && Categories.Contains(category);
  }
  bool Excluded(TAnalyzCategory category, const std::string& keyText,
                const std::string& valueName = {}) const {
    return ExclusionSets[category].IndexOfExcluded(keyText, valueName) >= 0;
  }
  // Calls a category's event unless an earlier root of this scan reported the
  // same key or value (a font value lies below its Fonts root and below
  // HKEY_LOCAL_MACHINE): one row, and one repair, per registry entry.
  void Report(const TNotifyEvent& event);
  bool ReportedByEarlierRoot(bool keyLevel);
  // Sets up the bookkeeping of ReportedByEarlierRoot for RootKeys[index].
  void PrepareRoot(std::size_t index);
  void CheckStartMenuKey(TNTRegistry& reg, const std::string& keyText);
  void CheckValue(TNTRegistry& reg, const std::string& name, const std::string& keyText,
                  TAnalyzCategories rootCategories);

  // Whether the walk leaves out the key at path (below the root, no outer
  // backslashes): another name of keys an earlier root has reported.
  bool IsAliased(const std::string& path) const;

  platform::RegistryApi& registry_;
  platform::FileSystem& files_;
  // How the paths of the key being checked are resolved (set by the walk).
  platform::RegistryView pathView_ = platform::RegistryView::Either;
  const platform::EventPump& pump_;
  std::vector<std::string> aliased_;  // for the root being walked
  static constexpr std::size_t kNoRoot = static_cast<std::size_t>(-1);
  std::size_t rootIndex_ = kNoRoot;  // of the root Analyze walks
  // Each reported key or value a later root may meet again, with the index of
  // the root that reported it.
  std::unordered_map<std::string, std::size_t> reportedBy_;
  std::vector<std::string> earlierRootPaths_;  // of the same root key, walked before
  bool keepFindings_ = false;                  // a later root walks the same root key
};

// The kind of program whose paths a key holds: Wow32 below the 32-bit views
// (Wow6432Node of the software and classes keys), Either elsewhere.
platform::RegistryView ViewOfKey(HKEY root, std::string_view keyPath);

// Whether a key name holds the pattern of a GUID in braces (hyphens where a
// GUID has them); such keys are never reported empty.
bool HasGuid(std::string name);

}  // namespace hw
