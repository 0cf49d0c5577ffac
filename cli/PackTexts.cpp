#include "cli/PackTexts.h"

#include <stdexcept>

namespace hw::cli {

PackTexts::PackTexts(const std::filesystem::path& folder, const std::string& language)
    : files_(platform::ProgramFileSystem(folder, api_)), lang_(api_, *files_, pump_) {
  lang_.SetRootKey(lgHKCU);
  lang_.SetIniKey("Software\\Hivewarden-cli");
  lang_.SetProgramDir(folder.string() + "/");
  lang_.SetDefaultLangFile("renglish.lng");
  lang_.SetProgramName("Hivewarden");
  if (!language.empty()) lang_.SetDefaultLangName(language);
  // Load falls back to the English pack silently; a user who named a
  // language wants to hear that it is not there.
  if (lang_.Load() != TLang::kLoaded || lang_.LanguageIndex() < 0) {
    std::string known;
    for (const std::string& name : lang_.LanguageNames())
      known += (known.empty() ? "" : ", ") + name;
    throw std::runtime_error("no language pack for '" + lang_.DefaultLangName() + "' in " +
                             folder.string() + (known.empty() ? "" : " (there: " + known + ")"));
  }
}

}  // namespace hw::cli
