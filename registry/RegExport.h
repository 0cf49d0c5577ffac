#pragma once
// The REGEDIT4 backup writer. Before a repair changes anything it records the
// old state as blocks (a key line and at most one value line) that the
// registry editor imports to undo the change. A backup file lists the newest
// block first, in the prefix's ANSI code page, lines ending in CR LF.

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/RegistryApi.h"
#include "registry/NTRegistry.h"

namespace hw {

// Where the writer's messages go: a plain message box with an OK button in the
// window, a line on standard error in the command-line tool; tests answer it.
class TBackupMessages {
 public:
  virtual ~TBackupMessages() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

// A block would not import as what it records: a name or text the backup's
// code page cannot hold, a key name with a line break, a name with a NUL, a
// string the editor would change, a symbolic link. The entry must then be
// left as it is.
class EBackupText : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The code page a backup is written in: the prefix's ANSI page
// (HKLM\System\CurrentControlSet\Control\Nls\CodePage, value ACP; 1252 when
// absent). Null when the prefix names a page we do not provide: only ASCII can
// then be written safely.
const platform::SingleByteCodePage* BackupCodePage(platform::RegistryApi& api);

// The key path as a key line writes it: a leading backslash added, trailing
// ones removed (a single backslash stays).
std::string NormaliseKeyPath(std::string_view path);
// Backslashes doubled, then a backslash before every double quote.
std::string EscapeRegText(std::string_view text);

// One block, already in the backup's code page, without line ends.
struct TRegBlock {
  std::string KeyLine;
  std::string ValueLine;  // empty for a key-only block
};

// Builds blocks in one code page, refusing (EBackupText) what would not come
// back unchanged on import.
class TRegBlockFormat {
 public:
  // page may be null: ASCII only.
  explicit TRegBlockFormat(const platform::SingleByteCodePage* page) : page_(page) {}

  // The key-only block of rootName + keyPath.
  TRegBlock Key(const std::string& rootName, const std::string& keyPath) const;
  // The block of a value from its data text and kind, as WriteRegEntry takes
  // them: strings quoted (the text "-" alone is the mark that deletes the value
  // on import), integers as signed decimal text, binary as "00,AB" text;
  // dkUnknown gives the key-only block.
  TRegBlock Entry(const std::string& rootName, const std::string& keyPath,
                  const std::string& valueName, const std::string& data, TRegDataKind kind) const;
  // The block that restores a value exactly as the registry stores it (data
  // as RegQueryStoredValueA returns it: strings in UTF-16LE). Plain strings
  // are quoted; strings with zeros or control characters, expandable strings,
  // multi-strings and every other type keep type and bytes in the hex(n)
  // forms; a string "-" stays a string, a value named " " keeps its name.
  // Refused: a name with a NUL, and strings the editor would not restore
  // byte for byte (odd length, no terminating zero, invalid UTF-16).
  TRegBlock Value(const std::string& rootName, const std::string& keyPath,
                  const std::string& valueName, DWORD type, std::string_view data) const;
  // The block of a value of an open key, read through api; false when the
  // value cannot be read.
  bool ReadValue(platform::RegistryApi& api, HKEY key, const std::string& rootName,
                 const std::string& keyPath, const std::string& valueName, TRegBlock& block) const;

 private:
  std::string Encode(std::string_view utf8, const char* what) const;
  std::string NamePart(const std::string& valueName, bool blankIsDefault = true) const;
  std::string ValueLine(const std::string& valueName, DWORD type, std::string_view data) const;
  std::string StringData(const std::string& valueName, DWORD type, std::string_view utf16) const;

  const platform::SingleByteCodePage* page_;
};

// A backup being written: blocks are collected in the order they are recorded
// and written by Commit in one go, newest first in front of what the file
// held (or into a new file). A run of any length thus rewrites the file once,
// and the registry changes the blocks record may only be saved after Commit.
class TRegBackup {
 public:
  // Does not take ownership of messages. createAfresh: the first commit
  // replaces the file instead of keeping its blocks.
  TRegBackup(std::filesystem::path file, bool createAfresh, TRegBlockFormat format,
             TBackupMessages& messages);

  const std::filesystem::path& File() const { return file_; }
  const TRegBlockFormat& Format() const { return format_; }

  void Add(TRegBlock block) { blocks_.push_back(std::move(block)); }
  // Adds the block of a value of the open key (keyPath names that key);
  // false, adding nothing, when the value cannot be read.
  bool AddValue(platform::RegistryApi& api, HKEY key, const std::string& rootName,
                const std::string& keyPath, const std::string& valueName);

  // Blocks not yet committed; Truncate drops those recorded after a count.
  std::size_t Pending() const { return blocks_.size(); }
  const TRegBlock& BlockAt(std::size_t index) const { return blocks_.at(index); }
  void Truncate(std::size_t count) { blocks_.resize(count); }

  // Whether a file can be made in the backup's folder and, when blocks are to
  // be added to an existing file, whether it is a REGEDIT4 file (anything else
  // would lose its content); asked before a run changes anything, showing the
  // message when not.
  bool CanWrite();
  // Writes the pending blocks: the new file goes to a temporary name beside
  // the backup and is renamed over it, so a failure leaves the old backup as it
  // was. False, with the message shown, when the temporary file cannot be
  // written ("Failed to create temporary file ...") or blocks were to be added
  // to a file that is no REGEDIT4 file; other file errors throw
  // platform::FileError. Nothing to write: true.
  bool Commit();

 private:
  std::string Compose(const std::string* existing) const;
  bool Failed(const std::string& temp, const std::string& why);

  std::filesystem::path file_;
  bool createAfresh_;
  TRegBlockFormat format_;
  TBackupMessages& messages_;
  std::vector<TRegBlock> blocks_;
};

// Why blocks cannot be added to the existing file: the message naming it and
// what it holds instead of REGEDIT4 text; empty when the file is missing,
// empty or a REGEDIT4 file.
std::string AppendRefusal(const std::filesystem::path& file);

// Adds one block to the file at once: created afresh (or new) with the header,
// else put in front of the blocks the file holds. False when the temporary
// file could not be made (message shown; the backup untouched).
bool WriteRegEntry(const std::filesystem::path& file, const std::string& rootName,
                   const std::string& keyPath, const std::string& valueName,
                   const std::string& data, TRegDataKind kind, bool createAfresh,
                   const TRegBlockFormat& format, TBackupMessages& messages);

// Reads the value below the named root and writes its block; false, writing
// nothing, when the key or the value cannot be read.
bool ExportValue(platform::RegistryApi& api, const std::filesystem::path& file,
                 const std::string& rootName, const std::string& keyPath,
                 const std::string& valueName, bool createAfresh, const TRegBlockFormat& format,
                 TBackupMessages& messages);

}  // namespace hw
