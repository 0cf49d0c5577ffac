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

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

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
  if (HasLineBreak(keyPath))
    throw EBackupText("The key \"" + keyPath +
                      "\" holds a line break; the entry was left as it is.");
  return {"[" + rootName + Encode(NormaliseKeyPath(keyPath), "key") + "]", {}};
}

std::string TRegBlockFormat::NamePart(const std::string& valueName, bool blankIsDefault) const {
  if (valueName.empty() || (blankIsDefault && valueName == " ")) return "@=";
  if (HasLineBreak(valueName))
    throw EBackupText("The value name \"" + valueName +
                      "\" holds a line break; the entry was left as it is.");
  return "\"" + Encode(EscapeRegText(valueName), "value name") + "\"=";
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
        if (HasLineBreak(data))
          throw EBackupText("The text of \"" + valueName +
                            "\" holds a line break; the entry was left as it is.");
        block.ValueLine = NamePart(valueName) + "\"" + Encode(EscapeRegText(data), "text") + "\"";
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
  // A value named by one blank is its own value, not the default one.
  std::string line = NamePart(valueName, false);
  switch (type) {
    case REG_SZ: {
      const std::size_t end = data.find('\0');
      if (end != std::string_view::npos &&
          data.find_first_not_of('\0', end) != std::string_view::npos) {
        // Text after an inner zero would be lost in the quoted form.
        line += "hex(1):" + HexBytes(Encode(data, "text"));
        break;
      }
      const std::string_view text = data.substr(0, end);
      if (HasLineBreak(text))
        throw EBackupText("The text of \"" + valueName +
                          "\" holds a line break; the entry was left as it is.");
      line += "\"" + Encode(EscapeRegText(text), "text") + "\"";
      break;
    }
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
      // REGEDIT4 hex(2) and hex(7) data are text in the code page, zeros kept;
      // the editor turns them back into the registry's own strings.
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
      line += prefix + HexBytes(Encode(data, "text"));
      break;
    }
    case REG_DWORD:
      if (data.size() == 4) {
        const auto* b = reinterpret_cast<const unsigned char*>(data.data());
        line += DwordText(b[0] | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) |
                          (std::uint32_t{b[3]} << 24));
        break;
      }
      [[fallthrough]];
    default: {
      char prefix[24];
      if (type == REG_BINARY)
        std::snprintf(prefix, sizeof prefix, "hex:");
      else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(type));
      line += prefix + HexBytes(data);
    }
  }
  block.ValueLine = std::move(line);
  return block;
}

TRegBackup::TRegBackup(fs::path file, bool createAfresh, TRegBlockFormat format,
                       TBackupMessages& messages)
    : file_(std::move(file)), createAfresh_(createAfresh), format_(format), messages_(messages) {}

bool TRegBlockFormat::ReadValue(platform::RegistryApi& api, HKEY key, const std::string& rootName,
                                const std::string& keyPath, const std::string& valueName,
                                TRegBlock& block) const {
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (key == nullptr ||
      api.RegQueryValueExA(key, valueName.c_str(), &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::string data(size, '\0');
  BYTE spare = 0;
  if (api.RegQueryValueExA(key, valueName.c_str(), &type,
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
