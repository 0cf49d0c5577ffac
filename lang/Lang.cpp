#include "lang/Lang.h"

#include "lang/LangPack.h"
#include "platform/FileIo.h"
#include "platform/Text.h"
#include "registry/NTRegistry.h"
#include "registry/RegIniFile.h"

namespace hw {

namespace {

HKEY rootHandle(THKEY root) {
  switch (root) {
    case lgHKCU: return HKEY_CURRENT_USER;
    case lgHKU: return HKEY_USERS;
    case lgHKLM: break;
  }
  return HKEY_LOCAL_MACHINE;
}

}  // namespace

TLang::TLang(platform::RegistryApi& registry, platform::FileSystem& files,
             const platform::EventPump& pump)
    : registry_(registry), files_(files), pump_(pump) {}

std::string TLang::Short(const std::string& text) {
  return std::string(platform::cutToChars(text, TLangPack::kMaxValueChars));
}

int TLang::Load() {
  FindPacks();
  const std::string wanted = chosen_ ? *chosen_ : StoredLanguage().value_or(defaultLangName_);
  int index = -1;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (platform::equalsNoCase(names_[i], wanted)) {
      index = static_cast<int>(i);
      break;
    }
  }
  // The fallback pack is taken as it is, whatever its Program and Language say.
  const std::string file =
      index >= 0 ? paths_[static_cast<std::size_t>(index)] : programDir_ + defaultLangFile_;

  std::string bytes;
  int result = kLoaded;
  TLangPack pack;
  if (!ReadPack(file, bytes)) {
    result = kPackMissing;
  } else {
    pack = TLangPack::Parse(bytes);
    if (!pack.CountsValid()) result = kPackBroken;
  }
  if (result != kLoaded) {
    // The pack in use stays; its place in the list just found may differ.
    languageIndex_ = -1;
    for (std::size_t i = 0; loaded_ && i < paths_.size(); ++i)
      if (paths_[i] == langFile_) languageIndex_ = static_cast<int>(i);
    return result;
  }
  languageIndex_ = index;
  if (index >= 0) defaultLangName_ = names_[static_cast<std::size_t>(index)];
  langFile_ = file;
  interfaceTexts_ = pack.NumberedTexts('I');
  messages_ = pack.NumberedTexts('M');
  locale_ = pack.Value("Locale");
  loaded_ = true;
  return kLoaded;
}

void TLang::UseLanguage(const std::string& name) { chosen_ = Short(name); }

void TLang::SelectLanguage(const std::string& name) {
  UseLanguage(name);
  defaultLangName_ = Short(name);
  // TRegIniFile always works below HKEY_CURRENT_USER, whatever RootKey says.
  TRegIniFile ini(registry_, iniKey_);
  ini.WriteString("", regParameter_, name);
}

std::string TLang::GetInterfaceText(int n) const { return TextAt(interfaceTexts_, n); }

std::string TLang::GetMessage(int n) const { return TextAt(messages_, n); }

std::string TLang::TextAt(const std::vector<std::string>& texts, int n) {
  if (n < 0 || static_cast<std::size_t>(n) >= texts.size()) return kMissingText;
  return texts[static_cast<std::size_t>(n)];
}

void TLang::FindPacks() {
  names_.clear();
  paths_.clear();
  platform::FindData found;
  auto search = files_.FindFirstFileA(programDir_ + "*" + langExt_, found);
  if (!search) return;
  do {
    if (found.IsDirectory()) continue;
    const std::string path = programDir_ + found.Name;
    std::string bytes;
    if (ReadPack(path, bytes)) {
      TLangPack pack = TLangPack::Parse(bytes);
      const std::string* program = pack.Find("Program");
      std::string language = pack.Value("Language");
      if (program && *program == programName_ && !language.empty()) {
        names_.push_back(std::move(language));
        paths_.push_back(path);
      }
    }
    pump_.ProcessMessages();
  } while (search->FindNextFileA(found));
}

std::optional<std::string> TLang::StoredLanguage() const {
  TNTRegistry reg(registry_);
  reg.SetRootKey(rootHandle(rootKey_));
  if (!reg.OpenKey(iniKey_, false)) return std::nullopt;
  // A choice stored as another type is a damaged setting: start with the
  // default language instead of failing at start-up. A missing value reads
  // as dkUnknown too.
  TRegDataKind kind = reg.GetDataType(regParameter_);
  if (kind != dkString && kind != dkExpandString) return std::nullopt;
  return reg.ReadString(regParameter_);
}

bool TLang::ReadPack(const std::string& path, std::string& bytes) const {
  std::optional<std::string> host = files_.ToHostPath(path);
  if (!host) return false;
  try {
    return platform::ReadWholeFile(*host, bytes);
  } catch (const platform::FileError&) {
    // An unreadable pack is treated like a missing one: it is not offered,
    // and loading it reports the missing pack.
    return false;
  }
}

}  // namespace hw
