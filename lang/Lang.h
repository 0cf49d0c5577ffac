#pragma once
// TLang: the language pack loader. It finds the packs (*.lng) in the program's
// folder, remembers the chosen language in the registry, loads the chosen
// pack's numbered interface texts and messages, and hands them out by number.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lang/TextSource.h"
#include "platform/EventPump.h"
#include "platform/FileSystem.h"
#include "platform/RegistryApi.h"

namespace hw {

// The root of the key that stores the chosen language.
enum THKEY : std::uint8_t { lgHKLM, lgHKCU, lgHKU };

class TLang : public TextSource {
 public:
  // None of the three is owned; all must outlive the loader.
  TLang(platform::RegistryApi& registry, platform::FileSystem& files,
        const platform::EventPump& pump);

  // Where the chosen language is stored: value RegParameter of key IniKey below RootKey.
  THKEY RootKey() const { return rootKey_; }
  void SetRootKey(THKEY root) { rootKey_ = root; }
  const std::string& IniKey() const { return iniKey_; }
  void SetIniKey(const std::string& key) { iniKey_ = Short(key); }
  const std::string& RegParameter() const { return regParameter_; }
  void SetRegParameter(const std::string& name) { regParameter_ = Short(name); }
  // The folder searched for packs, ending in its separator.
  const std::string& ProgramDir() const { return programDir_; }
  void SetProgramDir(const std::string& folder) { programDir_ = Short(folder); }
  // The pack loaded when the wanted language has no pack, in ProgramDir.
  const std::string& DefaultLangFile() const { return defaultLangFile_; }
  void SetDefaultLangFile(const std::string& name) { defaultLangFile_ = name; }
  // The language used when none is stored; after a load, the language in use.
  const std::string& DefaultLangName() const { return defaultLangName_; }
  void SetDefaultLangName(const std::string& name) { defaultLangName_ = Short(name); }
  const std::string& LangExt() const { return langExt_; }
  void SetLangExt(const std::string& ext) { langExt_ = Short(ext); }
  // What a pack's "Program" entry must equal, letter case included.
  const std::string& ProgramName() const { return programName_; }
  void SetProgramName(const std::string& name) { programName_ = Short(name); }

  // Finds the packs, picks the language and loads its pack: kLoaded;
  // kPackMissing when that file cannot be read, kPackBroken when its I0 or M0
  // is no number (or it has neither). Then nothing changes: the texts, the
  // pack and the language in use stay as they were.
  int Load();
  // Makes name the language the following Loads pick, before any stored
  // choice, for this session only.
  void UseLanguage(const std::string& name);
  // Stores name as the chosen language below HKEY_CURRENT_USER\IniKey and
  // uses it; the caller loads again. Throws ERegistryException when it cannot
  // be written, using it all the same.
  void SelectLanguage(const std::string& name);
  // Whether a pack's texts are in use (a Load has succeeded).
  bool Loaded() const { return loaded_; }
  // The loaded pack's "Locale" entry (such as "de"): which toolkit
  // translation goes with it; empty when it names none.
  const std::string& Locale() const { return locale_; }

  // Text n of the loaded pack; kMissingText for a number beyond its texts.
  // Index 0 gives the count entry as written.
  std::string GetInterfaceText(int n) const override;
  std::string GetMessage(int n) const override;

  // The packs found by the last Load, in listing order: display names and the
  // parallel full paths.
  const std::vector<std::string>& LanguageNames() const { return names_; }
  const std::vector<std::string>& LanguagePaths() const { return paths_; }
  // Position of the language in use in those lists, -1 when its pack was not among them.
  int LanguageIndex() const { return languageIndex_; }
  // Full path of the pack in use.
  const std::string& LangFile() const { return langFile_; }

  static constexpr int kLoaded = 0;
  static constexpr int kPackMissing = -2;
  static constexpr int kPackBroken = -3;
  static constexpr const char* kMissingText = "Error in language pak";

 private:
  static std::string Short(const std::string& text);

  void FindPacks();
  // The stored choice; none when the key or value is missing or not a string.
  std::optional<std::string> StoredLanguage() const;
  // The raw bytes of a pack file; false when it does not exist or cannot be read.
  bool ReadPack(const std::string& path, std::string& bytes) const;
  static std::string TextAt(const std::vector<std::string>& texts, int n);

  platform::RegistryApi& registry_;
  platform::FileSystem& files_;
  const platform::EventPump& pump_;

  THKEY rootKey_ = lgHKLM;
  std::string iniKey_;
  std::string regParameter_ = "DefLang";
  std::string programDir_;
  std::string defaultLangFile_;
  std::string defaultLangName_ = "English";
  std::string langExt_ = ".lng";
  std::string programName_;

  std::optional<std::string> chosen_;  // this session's choice
  std::string langFile_;
  std::string locale_;
  bool loaded_ = false;
  std::vector<std::string> interfaceTexts_;
  std::vector<std::string> messages_;
  std::vector<std::string> names_;
  std::vector<std::string> paths_;
  int languageIndex_ = -1;
};

}  // namespace hw
