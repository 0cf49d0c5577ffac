#pragma once
// The numbered texts of a shipped language pack for the command line: the
// pack is chosen by name, never by what a prefix's settings stored.

#include <filesystem>
#include <memory>
#include <string>

#include "lang/Lang.h"
#include "platform/EventPump.h"
#include "platform/MemoryStore.h"
#include "platform/RegistryTarget.h"
#include "platform/StoreRegistryApi.h"

namespace hw::cli {

class PackTexts : public TextSource {
 public:
  // Loads the pack whose language is `language` (empty: English) from the
  // packs (*.lng) in folder. Throws std::runtime_error naming the languages
  // there when it has no such pack.
  PackTexts(const std::filesystem::path& folder, const std::string& language);

  std::string GetInterfaceText(int n) const override { return lang_.GetInterfaceText(n); }
  std::string GetMessage(int n) const override { return lang_.GetMessage(n); }

 private:
  // The loader keeps its choice in a registry; an empty one of our own here.
  platform::MemoryStore store_;
  platform::StoreRegistryApi api_{store_};
  std::unique_ptr<platform::FileSystem> files_;
  platform::EventPump pump_;
  TLang lang_;
};

}  // namespace hw::cli
