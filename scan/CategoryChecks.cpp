// The checks of the fonts, Start-menu, application-path, help-file and
// shared-library categories.

#include <vector>

#include "platform/Text.h"
#include "registry/NTRegistry.h"
#include "scan/AnalyzClass.h"
#include "scan/PathText.h"

namespace hw {

namespace {

// The first path written in a text: candidates come from its end backwards.
bool FirstPathIn(std::string_view text, std::string& path) {
  std::vector<std::string> candidates;
  if (!ExtractPaths(text, &candidates)) return false;
  path = candidates.back();
  return true;
}

bool Contains(std::string_view text, char c) { return text.find(c) != std::string_view::npos; }

}  // namespace

bool TAnalyzClass::IsInvalidFont(const std::string& data) {
  // A bare file name lies in the fonts folder. The drive rules do not apply:
  // a font on a removed medium is as unusable as a deleted one.
  bool bareName = !Contains(data, '\\') && !Contains(data, ':');
  return !FileExists(bareName ? FontsDir + "\\" + data : data);
}

bool TAnalyzClass::IsObsoleteMenuItem(const std::string& menuPath) {
  // Every menu folder's order key holds a key named Menu with the order data.
  if (UpperAZ(menuPath).ends_with("MENU\\")) return false;
  std::string stripped = StripAmpersands(menuPath);
  constexpr std::string_view kPrograms = "PROGRAMS";
  if (stripped.size() < kPrograms.size() ||
      !platform::equalsNoCase(std::string_view(stripped).substr(0, kPrograms.size()), kPrograms))
    return false;
  std::string rest = stripped.substr(kPrograms.size());
  if (FolderExists(ProgramsDir + rest) || FolderExists(CommonProgramsDir + rest)) return false;
  // The order keys name a folder as it is called, so a single "&" is part of
  // the name (Tips & Tricks), not an accelerator.
  if (stripped == menuPath ||
      !platform::equalsNoCase(menuPath.substr(0, kPrograms.size()), kPrograms))
    return true;
  rest = menuPath.substr(kPrograms.size());
  return !FolderExists(ProgramsDir + rest) && !FolderExists(CommonProgramsDir + rest);
}

bool TAnalyzClass::IsInvalidHelpFile(const std::string& name, const std::string& data) {
  std::string folder;
  if (!FirstPathIn(data, folder)) return false;
  std::string file = name.empty() ? folder : std::string(TrimChar(folder, '\\')) + "\\" + name;
  if (IsExcludedDrive(file)) return false;
  if (IsLocalDrive(file) && FileExists(file)) return false;
  BadPath = folder;
  return true;
}

void TAnalyzClass::CheckSharedDLL(TNTRegistry& reg, const std::string& valueName) {
  std::int32_t counter = reg.GetDataType(valueName) == dkInteger ? reg.ReadInteger(valueName) : 1;
  if (counter < 1) {
    Flags = {etInvalidName, etZeroUsageCount};
    BadPath = valueName;
    PathCount = 0;
  } else if (IsInvalidPath(valueName)) {
    Flags = {etInvalidName};
  }
}

void TAnalyzClass::ReportAppPath(TNTRegistry& reg, TEntryTypes flags, const std::string& badPath) {
  BadPath = badPath;
  Flags = flags;
  PathCount = 1;
  FormatKeyDate(reg);
  Report(OnInvalidAppPath);
}

void TAnalyzClass::CheckAppPath(HKEY root, const std::string& keyPath) {
  std::string path(TrimChar(keyPath, '\\'));
  // Only the keys right below App Paths stand for programs; their subkeys
  // (SupportedProtocols and the like) are settings of the program.
  std::string_view parent = TrimTrailing(ExtractFilePath(path), '\\');
  if (path.empty() || platform::toLowerUtf8(ExtractFileName(parent)) != "app paths") return;
  TNTRegistry reg(registry_);
  reg.SetRootKey(root);
  if (!reg.OpenKeyWithAccess(path, KEY_READ)) return;

  bool hasDefault = false, hasPath = false, blocked = false;
  std::string pathFolder;
  // A path that is on an excluded drive, or on a local drive and there.
  auto accepted = [&](const std::string& p, bool needFolder) {
    if (IsExcludedDrive(p)) return true;
    if (!IsLocalDrive(p)) return false;
    return needFolder ? FolderExists(p) : FileExists(p) || FolderExists(p);
  };

  std::vector<std::string> names;
  reg.GetValueNames(names);
  for (const std::string& name : names) {
    pump_.ProcessMessages();
    // A partly read key must not give a summary report.
    if (Stop) return;
    std::string lower = platform::toLowerUtf8(name);
    if (lower == "runasonnonadmininstall" || lower == "blockontsnoninstallmode") blocked = true;
    TRegDataKind kind = reg.GetDataType(name);
    if (kind != dkString && kind != dkExpandString) continue;
    ValueName = name;
    Data = reg.ReadString(name);
    std::string first;
    bool found = FirstPathIn(Data, first);
    if (name.empty()) {
      if (found) {
        hasDefault = true;
        if (!accepted(first, false)) ReportAppPath(reg, {etInvalidData, etAppDefault}, first);
      } else if (Contains(Data, '%')) {
        hasDefault = true;
      }
    } else if (UpperAZ(name) == "PATH") {
      if (found) {
        hasPath = true;
        pathFolder = first;
      } else if (Contains(Data, '%')) {
        hasPath = true;
        pathFolder = Data;
      }
    } else if (found && !accepted(first, false)) {
      ReportAppPath(reg, {etInvalidData}, first);
    }
  }

  if (blocked || Contains(pathFolder, '%')) return;
  if (hasPath) {
    ValueName = "Path";
    Data = pathFolder;
    if (hasDefault) {
      if (!accepted(pathFolder, true)) ReportAppPath(reg, {etInvalidData}, pathFolder);
    } else if (!IsExcludedDrive(pathFolder)) {
      // The program must lie in the Path folder under the key's own name.
      std::string program =
          std::string(TrimChar(pathFolder, '\\')) + "\\" + std::string(ExtractFileName(path));
      if (!accepted(program, false))
        ReportAppPath(reg, {etInvalidData, etAppNotInPath}, pathFolder);
    }
  } else if (!hasDefault) {
    ValueName.clear();
    Data.clear();
    ReportAppPath(reg, {etAppPathMissing}, std::string(ExtractFileName(path)));
  }
}

}  // namespace hw
