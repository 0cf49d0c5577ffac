#include "registry/RegExport.h"

#include <cstdio>
#include <string>
#include <system_error>

#include "platform/FileIo.h"
#include "platform/Text.h"
#include "registry/RootKeys.h"

namespace hw {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader = "REGEDIT4";
constexpr const char* kCrLf = "\r\n";

std::string HexBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += ',';
    const auto byte = static_cast<unsigned char>(bytes[i]);
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  }
  return out;
}

std::string DwordText(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "dword:%08X", value);
  return text;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool IsHeaderLine(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return platform::equalsNoCase(line, kHeader);
}

// The lines of an old backup after its REGEDIT4 line, each ending in CR LF;
// nothing when it has no such line.
std::string LinesAfterHeader(std::string_view text) {
  std::string out;
  bool found = false;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (found) {
      out.append(line);
      out += kCrLf;
    } else {
      found = IsHeaderLine(line);
    }
  }
  return out;
}

// Why a file's text cannot take blocks in front of its own; empty when it can.
std::string NotRegedit4(std::string_view text) {
  if (text.empty()) return {};
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF")
    return "it is UTF-16 text, as the registry editor's newer export format writes it";
  if (text.substr(0, 3) == "\xEF\xBB\xBF") return "it begins with a byte-order mark";
  if (!IsHeaderLine(text.substr(0, text.find('\n')))) return "its first line is not REGEDIT4";
  return {};
}

std::string RefusalText(const fs::path& file, const std::string& text) {
  const std::string why = NotRegedit4(text);
  if (why.empty()) return {};
  return file.string() + " is not a REGEDIT4 file (" + why +
         "); new backups are only added to one. It was left as it is: choose another file, or "
         "replace it.";
}

// A value's refusal naming its key.
EBackupText InKey(const std::string& rootName, const std::string& keyPath,
                  const EBackupText& refused) {
  return EBackupText("In the key \"" + rootName + NormaliseKeyPath(keyPath) +
                     "\": " + refused.what());
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// Bytes a quoted string cannot carry through the registry editor unchanged.
bool HasControlByte(std::string_view bytes) {
  for (char c : bytes)
    if (static_cast<unsigned char>(c) < 0x20) return true;
  return false;
}

std::string HexPrefix(DWORD type) {
  if (type == REG_BINARY) return "hex:";
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
  return prefix;
}

}  // namespace

const platform::SingleByteCodePage* BackupCodePage(platform::RegistryApi& api) {
  TNTRegistry reg(api);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKey("\\System\\CurrentControlSet\\Control\\Nls\\CodePage", false) ||
      reg.GetDataType("ACP") != dkString)
    return &platform::Windows1252();
  const std::string acp = reg.ReadString("ACP");
  unsigned id = 0;
  for (char c : acp) {
    if (c < '0' || c > '9' || id > 100000) return nullptr;
    id = id * 10 + static_cast<unsigned>(c - '0');
  }
  return acp.empty() ? &platform::Windows1252() : platform::FindCodePage(id);
}

std::string NormaliseKeyPath(std::string_view path) {
  std::string out;
  if (!path.empty() && path.front() != '\\') out += '\\';
  out += path;
  while (out.size() >= 2 && out.back() == '\\') out.pop_back();
  return out;
}

std::string EscapeRegText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string TRegBlockFormat::Encode(std::string_view utf8, const char* what) const {
  bool lossless = true;
  std::string bytes;
  if (page_ != nullptr) {
    bytes = page_->Encode(utf8, &lossless);
  } else {
    bytes = std::string(utf8);
    for (char c : utf8) lossless = lossless && static_cast<unsigned char>(c) < 0x80;
  }
  if (!lossless) {
    const std::string page = page_ ? std::to_string(page_->Id()) : "of this prefix";
    throw EBackupText("The " + std::string(what) + " \"" + std::string(utf8) +
                      "\" cannot be written in the backup's code page " + page +
                      " and would not be restored; the entry was left as it is.");
  }
  return bytes;
}

TRegBlock TRegBlockFormat::Key(const std::string& rootName, const std::string& keyPath) const {
  if (HasLineBreak(keyPath) || keyPath.find('\0') != std::string::npos)
    throw EBackupText("The key \"" + keyPath +
                      "\" holds a line break or a NUL character, which the registry editor "
                      "cannot import; the entry was left as it is.");
  return {"[" + rootName + Encode(NormaliseKeyPath(keyPath), "key") + "]", {}};
}

std::string TRegBlockFormat::NamePart(const std::string& valueName, bool blankIsDefault) const {
  if (valueName.empty() || (blankIsDefault && valueName == " ")) return "@=";
  if (valueName.find('\0') != std::string::npos)
    throw EBackupText("The value name \"" + valueName.substr(0, valueName.find('\0')) +
                      "\" holds a NUL character, which the registry editor cannot import; the "
                      "entry was left as it is.");
  // The editor reads \n and \r in a name as the line breaks they stand for.
  std::string escaped;
  for (char c : EscapeRegText(valueName)) {
    if (c == '\n')
      escaped += "\\n";
    else if (c == '\r')
      escaped += "\\r";
    else
      escaped += c;
  }
  return "\"" + Encode(escaped, "value name") + "\"=";
}

TRegBlock TRegBlockFormat::Entry(const std::string& rootName, const std::string& keyPath,
                                 const std::string& valueName, const std::string& data,
                                 TRegDataKind kind) const {
  TRegBlock block = Key(rootName, keyPath);
  switch (kind) {
    case dkString:
    case dkExpandString:
      if (data == "-") {
        block.ValueLine = NamePart(valueName) + "-";
      } else {
        const std::string bytes = Encode(data, "text");
        // Line breaks and other control characters go in the hex form, which
        // the editor takes byte for byte (its terminating zero included).
        block.ValueLine = HasControlByte(bytes)
                              ? NamePart(valueName) + HexPrefix(REG_SZ) + HexBytes(bytes + '\0')
                              : NamePart(valueName) + "\"" + EscapeRegText(bytes) + "\"";
      }
      break;
    case dkInteger:
      // std::stoll raises on text that is no number, as the conversion would.
      block.ValueLine =
          NamePart(valueName) + DwordText(static_cast<std::uint32_t>(std::stoll(data)));
      break;
    case dkBinary: block.ValueLine = NamePart(valueName) + "hex:" + data; break;
    case dkUnknown: break;
  }
  return block;
}

TRegBlock TRegBlockFormat::Value(const std::string& rootName, const std::string& keyPath,
                                 const std::string& valueName, DWORD type,
                                 std::string_view data) const {
  TRegBlock block = Key(rootName, keyPath);
  try {
    block.ValueLine = ValueLine(valueName, type, data);
  } catch (const EBackupText& refused) {
    throw InKey(rootName, keyPath, refused);
  }
  return block;
}

std::string TRegBlockFormat::ValueLine(const std::string& valueName, DWORD type,
                                       std::string_view data) const {
  // A value named by one blank is its own value, not the default one.
  std::string line = NamePart(valueName, false);
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
    line += StringData(valueName, type, data);
  } else if (type == REG_DWORD && data.size() == 4) {
    const auto* b = reinterpret_cast<const unsigned char*>(data.data());
    line += DwordText(b[0] | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
                      (std::uint32_t{b[3]} << 24));
  } else {
    // Every other type and size, REG_NONE and REG_LINK values included, byte for byte.
    line += HexPrefix(type) + HexBytes(data);
  }
  return line;
}

std::string TRegBlockFormat::StringData(const std::string& valueName, DWORD type,
                                        std::string_view utf16) const {
  if (utf16.empty()) return HexPrefix(type);
  // The editor turns hex(1), hex(2) and hex(7) data from the code page into
  // UTF-16 and adds a zero unless the last byte is one; a quoted text gets a
  // zero too. So only whole UTF-16 text ending in a zero comes back unchanged.
  if (utf16.size() % 2 != 0 || utf16[utf16.size() - 1] != '\0' || utf16[utf16.size() - 2] != '\0')
    throw EBackupText("The data of \"" + valueName +
                      "\" is a text without its terminating zero (or of odd length), which the "
                      "registry editor cannot restore exactly; the entry was left as it is.");
  const std::string utf8 = platform::utf16ToUtf8(utf16);
  if (platform::utf8ToUtf16(utf8) != utf16)
    throw EBackupText("The data of \"" + valueName +
                      "\" is no valid UTF-16 text and would not be restored; the entry was left "
                      "as it is.");
  const std::string bytes = Encode(utf8, "text");
  const std::string_view text(bytes.data(), bytes.size() - 1);
  if (type == REG_SZ && !HasControlByte(text)) return "\"" + EscapeRegText(text) + "\"";
  // Inner zeros, line breaks, expandable and multi-strings: the code page's
  // bytes, zeros kept.
  return HexPrefix(type) + HexBytes(bytes);
}

TRegBackup::TRegBackup(fs::path file, bool createAfresh, TRegBlockFormat format,
                       TBackupMessages& messages)
    : file_(std::move(file)), createAfresh_(createAfresh), format_(format), messages_(messages) {}

bool TRegBlockFormat::ReadValue(platform::RegistryApi& api, HKEY key, const std::string& rootName,
                                const std::string& keyPath, const std::string& valueName,
                                TRegBlock& block) const {
  try {
    NamePart(valueName);  // a name that C strings cannot carry is refused, not misread
  } catch (const EBackupText& refused) {
    throw InKey(rootName, keyPath, refused);
  }
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (key == nullptr ||
      api.RegQueryStoredValueA(key, valueName.c_str(), &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::string data(size, '\0');
  BYTE spare = 0;
  if (api.RegQueryStoredValueA(key, valueName.c_str(), &type,
                               size ? reinterpret_cast<BYTE*>(data.data()) : &spare,
                               &size) != ERROR_SUCCESS)
    return false;
  data.resize(size);
  block = Value(rootName, keyPath, valueName, type, data);
  return true;
}

bool TRegBackup::AddValue(platform::RegistryApi& api, HKEY key, const std::string& rootName,
                          const std::string& keyPath, const std::string& valueName) {
  TRegBlock block;
  if (!format_.ReadValue(api, key, rootName, keyPath, valueName, block)) return false;
  Add(std::move(block));
  return true;
}

std::string TRegBackup::Compose(const std::string* existing) const {
  std::size_t length = 16;
  for (const TRegBlock& block : blocks_)
    length += block.KeyLine.size() + block.ValueLine.size() + 8;
  std::string out;
  out.reserve(length + (existing ? existing->size() : 0));
  out += kHeader;
  out += kCrLf;
  out += kCrLf;
  for (std::size_t i = blocks_.size(); i-- > 0;) {
    const TRegBlock& block = blocks_[i];
    out += block.KeyLine;
    out += kCrLf;
    // The first block of a new file keeps its (possibly empty) value line.
    if (!block.ValueLine.empty() || (i == 0 && existing == nullptr)) {
      out += block.ValueLine;
      out += kCrLf;
    }
    out += kCrLf;
    // Each older block follows the empty second line of the file it was put into.
    if (i > 0) out += kCrLf;
  }
  if (existing != nullptr) out += LinesAfterHeader(*existing);
  return out;
}

bool TRegBackup::Failed(const std::string& temp, const std::string& why) {
  messages_.ShowMessage("Failed to create temporary file " + temp + " (" + why + ")");
  return false;
}

bool TRegBackup::CanWrite() {
  // A folder of that name would take the temporary file beside it, but could
  // only fail the commit at the end of the run.
  std::error_code ignored;
  if (fs::is_directory(file_, ignored)) {
    messages_.ShowMessage(file_.string() + " is a folder; the backup needs a file name.");
    return false;
  }
  std::string old;
  if (!createAfresh_ && platform::ReadWholeFile(file_, old)) {
    if (const std::string refusal = RefusalText(file_, old); !refusal.empty()) {
      messages_.ShowMessage(refusal);
      return false;
    }
  }
  const std::string temp =
      (file_.parent_path() / ("." + file_.filename().string() + ".XXXXXX")).string();
  try {
    const fs::path made = platform::WriteTemporaryBeside(file_, {}, false);
    std::error_code ignoredRemove;
    fs::remove(made, ignoredRemove);
  } catch (const platform::FileError& error) {
    return Failed(temp, error.what());
  }
  return true;
}

bool TRegBackup::Commit() {
  if (blocks_.empty()) return true;
  std::string old;
  const bool keepOld = !createAfresh_ && platform::ReadWholeFile(file_, old);
  // What is not a backup of ours is never dropped to make room for one.
  if (const std::string refusal = keepOld ? RefusalText(file_, old) : std::string();
      !refusal.empty()) {
    messages_.ShowMessage(refusal);
    return false;
  }
  const std::string text = Compose(keepOld ? &old : nullptr);

  std::error_code error;
  const bool replacing = fs::exists(file_, error);
  fs::path temp;
  try {
    temp = platform::WriteTemporaryBeside(file_, text, replacing);
  } catch (const platform::FileError& failure) {
    return Failed((file_.parent_path() / ("." + file_.filename().string() + ".XXXXXX")).string(),
                  failure.what());
  }
  try {
    platform::MoveIntoPlace(temp, file_, replacing);
  } catch (...) {
    fs::remove(temp, error);
    throw;
  }
  platform::SyncFolder(file_.parent_path().empty() ? fs::path(".") : file_.parent_path());
  createAfresh_ = false;
  blocks_.clear();
  return true;
}

std::string AppendRefusal(const fs::path& file) {
  std::string text;
  return platform::ReadWholeFile(file, text) ? RefusalText(file, text) : std::string();
}

bool WriteRegEntry(const fs::path& file, const std::string& rootName, const std::string& keyPath,
                   const std::string& valueName, const std::string& data, TRegDataKind kind,
                   bool createAfresh, const TRegBlockFormat& format, TBackupMessages& messages) {
  TRegBackup backup(file, createAfresh, format, messages);
  backup.Add(format.Entry(rootName, keyPath, valueName, data, kind));
  return backup.Commit();
}

bool ExportValue(platform::RegistryApi& api, const fs::path& file, const std::string& rootName,
                 const std::string& keyPath, const std::string& valueName, bool createAfresh,
                 const TRegBlockFormat& format, TBackupMessages& messages) {
  TNTRegistry reg(api);
  reg.SetRootKey(RootKeyFromName(rootName));
  if (!reg.OpenKey(keyPath, false)) return false;
  TRegBackup backup(file, createAfresh, format, messages);
  if (!backup.AddValue(api, reg.CurrentKey(), rootName, keyPath, valueName)) return false;
  return backup.Commit();
}

}  // namespace hw
