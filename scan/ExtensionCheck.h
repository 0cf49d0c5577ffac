#pragma once
// TExtRecord: the facts the file-type check gathers about one key below
// HKEY_CLASSES_ROOT before it judges them.

#include <optional>
#include <string>
#include <vector>

namespace hw {

// A subkey of ShellEx or Shell and the default value that matters for it.
struct TExtSubkey {
  std::string Name;
  // ShellEx: the subkey's own default value. Shell: the default value of the
  // verb's Command subkey, absent when that subkey does not open. Kept apart
  // from the name so that neither a "=" in a name nor a command that reads
  // "no key" can be taken for something else.
  std::optional<std::string> Value;
};

struct TExtRecord {
  // An extension key's default value; for any other examined key its path.
  std::string ProgID;
  // A class key's default value.
  std::string Description;
  bool DefaultIconKeyExists = false;
  std::string DefaultIcon;
  bool ContentTypeExists = false;
  std::string ContentType;
  bool PersistentHandlerKeyExists = false;
  std::string PersistentHandler;
  bool ShellNewKeyExists = false;
  bool ShellNewCommandExists = false;
  std::string ShellNewCommand;
  bool ShellNewFileNameExists = false;
  std::string ShellNewFileName;
  bool ShellNewNullFileExists = false;
  bool ShellNewDataExists = false;
  bool ShellExKeyExists = false;
  std::vector<TExtSubkey> ShellExList;
  bool ShellKeyExists = false;
  std::vector<TExtSubkey> ShellList;

  void Clear() { *this = TExtRecord(); }
};

}  // namespace hw
