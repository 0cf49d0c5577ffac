// The file-type check of the invalid-extensions category: gathers the facts
// about one key below HKEY_CLASSES_ROOT and names what is broken in them.

#include "scan/ExtensionCheck.h"

#include "registry/NTRegistry.h"
#include "scan/AnalyzClass.h"

namespace hw {

namespace {

// Opens root-relative path read-only as the current key of reg.
bool OpenReadOnly(TNTRegistry& reg, const std::string& path) {
  return reg.OpenKeyWithAccess("\\" + path, KEY_READ);
}

// A value that holds no text (a number, bytes) reads as empty text: one odd
// registration must not end the scan of every other one.
std::string ReadText(TNTRegistry& reg, const std::string& name) {
  const TRegDataKind kind = reg.GetDataType(name);
  return kind == dkString || kind == dkExpandString ? reg.ReadString(name) : std::string();
}

// Reads what the record needs from the subkeys of the open key at keyPath.
void ReadSubkeys(TNTRegistry& reg, const std::string& keyPath, TExtRecord& record) {
  reg.CloseKey();
  if (OpenReadOnly(reg, keyPath + "\\DefaultIcon")) {
    record.DefaultIconKeyExists = true;
    record.DefaultIcon = ReadText(reg, "");
    reg.CloseKey();
  }
  if (OpenReadOnly(reg, keyPath + "\\PersistentHandler")) {
    record.PersistentHandlerKeyExists = true;
    record.PersistentHandler = ReadText(reg, "");
    reg.CloseKey();
  }
  if (OpenReadOnly(reg, keyPath + "\\ShellNew")) {
    record.ShellNewKeyExists = true;
    if ((record.ShellNewCommandExists = reg.ValueExists("Command")))
      record.ShellNewCommand = ReadText(reg, "Command");
    if ((record.ShellNewFileNameExists = reg.ValueExists("FileName")))
      record.ShellNewFileName = ReadText(reg, "FileName");
    record.ShellNewNullFileExists = reg.ValueExists("NullFile");
    record.ShellNewDataExists = reg.ValueExists("Data");
    reg.CloseKey();
  }

  std::vector<std::string> names;
  if (OpenReadOnly(reg, keyPath + "\\ShellEx")) {
    record.ShellExKeyExists = true;
    reg.GetKeyNames(names);
    reg.CloseKey();
    for (std::string& name : names) {
      // A handler key that does not open names no class: its value is empty.
      std::string value;
      if (OpenReadOnly(reg, keyPath + "\\ShellEx\\" + name)) value = ReadText(reg, "");
      reg.CloseKey();
      record.ShellExList.push_back({std::move(name), std::move(value)});
    }
  }
  names.clear();
  if (OpenReadOnly(reg, keyPath + "\\Shell")) {
    record.ShellKeyExists = true;
    reg.GetKeyNames(names);
    reg.CloseKey();
    for (std::string& verb : names) {
      std::optional<std::string> command;
      if (OpenReadOnly(reg, keyPath + "\\Shell\\" + verb + "\\Command")) {
        command = ReadText(reg, "");
        reg.CloseKey();
      }
      record.ShellList.push_back({std::move(verb), std::move(command)});
    }
  }
}

// The problem kinds of a gathered record; existence tests go through reg,
// whose current key is the root itself.
TEntryTypes Judge(TNTRegistry& reg, const TExtRecord& record) {
  TEntryTypes kinds;
  if (record.ProgID.empty())
    kinds.Include(etExtEmptyName);
  else if (!reg.KeyExists(record.ProgID))
    kinds.Include(etExtAbsentNameKey);

  if (record.DefaultIconKeyExists && record.DefaultIcon.empty())
    kinds.Include(etExtEmptyDefaultIconValue);

  if (record.ContentTypeExists && record.ContentType.empty())
    kinds.Include(etExtInvalidContentTypeValue);
  else if (!record.ContentType.empty() &&
           !reg.KeyExists("MIME\\Database\\Content Type\\" + record.ContentType))
    kinds.Include(etExtAbsentContentTypeKey);

  if (record.PersistentHandlerKeyExists && record.PersistentHandler.empty())
    kinds.Include(etExtEmptyPersistentHandlerGuid);
  else if (!record.PersistentHandler.empty() &&
           !reg.KeyExists("CLSID\\" + record.PersistentHandler))
    kinds.Include(etExtAbsentPersistentHandlerGuidKey);

  if (record.ShellNewKeyExists && !record.ShellNewCommandExists && !record.ShellNewFileNameExists &&
      !record.ShellNewNullFileExists && !record.ShellNewDataExists)
    kinds.Include(etExtEmptyShellNewKey);
  if (record.ShellNewCommandExists && record.ShellNewCommand.empty())
    kinds.Include(etExtEmptyShellNewCommand);
  if (record.ShellNewFileNameExists && record.ShellNewFileName.empty())
    kinds.Include(etExtEmptyShellNewFileName);

  if (record.ShellExKeyExists && record.ShellExList.empty()) kinds.Include(etExtEmptyShellExKey);
  // An empty value tests the key CLSID itself, which normally exists.
  for (const TExtSubkey& handler : record.ShellExList)
    if (!reg.KeyExists("CLSID\\" + handler.Value.value_or("")))
      kinds.Include(etExtAbsentShellExValueGiudKey);

  if (record.ShellKeyExists && record.ShellList.empty()) kinds.Include(etExtEmptyShellKey);
  for (const TExtSubkey& verb : record.ShellList) {
    if (!verb.Value)
      kinds.Include(etExtAbsentShellCommandKey);
    else if (verb.Value->empty())
      kinds.Include(etExtEmptyShellCommandKey);
  }
  return kinds;
}

}  // namespace

bool TAnalyzClass::CheckExtension(HKEY root, const std::string& keyPath) {
  // Extension keys (.txt) and class keys without a dot (txtfile), with their
  // subkeys; dotted class names (Word.Document.8) are left alone.
  const std::size_t dot = keyPath.find('.');
  if (keyPath.empty() || (dot != std::string::npos && dot > 0)) return false;
  // Only the extension key itself names its class by its default value. Its
  // subkeys (ShellNew, OpenWithProgids) have none as a rule; like the subkeys
  // of a class key they are named by their path, which exists, so that only
  // what lies below them is judged.
  const bool extensionKey = dot == 0 && keyPath.find('\\') == std::string::npos;

  TNTRegistry reg(registry_);
  reg.SetRootKey(root);
  if (!OpenReadOnly(reg, keyPath)) return false;
  TExtRecord& record = ExtRecord;
  if (extensionKey) {
    record.ProgID = ReadText(reg, "");
  } else {
    record.ProgID = keyPath;
    record.Description = ReadText(reg, "");
  }
  record.ContentTypeExists = reg.ValueExists("Content Type");
  record.ContentType = ReadText(reg, "Content Type");
  if (reg.HasSubKeys()) ReadSubkeys(reg, keyPath, record);

  reg.CloseKey();
  OpenReadOnly(reg, "");
  Flags = TEntryTypes::FromBits(Flags.ToBits() | Judge(reg, record).ToBits());
  reg.CloseKey();
  if (Flags.Empty()) return false;

  BadPath.clear();
  for (int kind = etExtEmptyName; kind <= etExtEmptyShellCommandKey; ++kind) {
    if (!Flags.Contains(static_cast<TEntryType>(kind))) continue;
    BadPath += ", ";
    BadPath += kEntryTypeNames[kind];
  }
  return true;
}

}  // namespace hw
