#pragma once
// TRegIniFile: an ini-file view of one registry key. Sections are its
// subkeys, idents their values, and every value is stored as a string, which
// is how the settings and the language choice are kept.

#include <cstdint>
#include <string>
#include <vector>

#include "registry/NTRegistry.h"

namespace hw {

class TRegIniFile : public TNTRegistry {
 public:
  // Opens fileName below HKEY_CURRENT_USER, creating it when missing; it stays
  // the current key. Does not take ownership of api.
  TRegIniFile(platform::RegistryApi& api, std::string fileName);

  const std::string& FileName() const { return fileName_; }

  // The value operations on the current key stay available.
  using TNTRegistry::ReadInteger;
  using TNTRegistry::ReadString;
  using TNTRegistry::WriteString;

  // Reads give the default for a missing section or ident; ReadString throws
  // when the ident holds a value that is not a string.
  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& defaultValue);
  // "0x1F" and "0X1f" read as hexadecimal, anything else as decimal; text that
  // is not a number gives the default.
  std::int32_t ReadInteger(const std::string& section, const std::string& ident,
                           std::int32_t defaultValue);
  bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue);
  // Writes create the section and throw when it cannot be created or written.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& ident, std::int32_t value);
  void WriteBool(const std::string& section, const std::string& ident, bool value);
  // The section's value names; names is left as it was when the section does
  // not open.
  void ReadSection(const std::string& section, std::vector<std::string>& names);
  bool EraseSection(const std::string& section);

 private:
  // The section's absolute path: sections always lie below the object's key,
  // whether or not that key could be opened.
  std::string SectionPath(const std::string& section) const;

  std::string fileName_;
};

}  // namespace hw
