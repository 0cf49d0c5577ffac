// The language-pack reader: any bytes make a pack; its values are sound UTF-8
// of at most 255 characters, names are found without regard to case, the
// numbered texts stay within their limit, and the pack's code page gives every
// byte back.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "lang/LangPack.h"
#include "platform/CodePage.h"
#include "platform/Text.h"

using namespace hw;

namespace {

void checkText(const std::string& text) {
  if (platform::utf16ToUtf8(platform::utf8ToUtf16(text)) != text) std::abort();
  if (platform::cutToChars(text, TLangPack::kMaxValueChars).size() != text.size()) std::abort();
}

// Names that compare equal must hash equal, or the pack's map loses them.
void checkNoCaseName(const TLangPack& pack, const std::string& name) {
  const std::string lower = platform::toLowerUtf8(name);
  if (!platform::equalsNoCase(name, lower)) return;
  if (platform::hashNoCase(name) != platform::hashNoCase(lower)) std::abort();
  const std::string* exact = pack.Find(name);
  if (exact == nullptr || pack.Find(lower) != exact) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const platform::SingleByteCodePage& page = platform::Windows1252();
  bool lossless = false;
  if (page.Encode(page.Decode(bytes), &lossless) != bytes || !lossless) std::abort();

  const TLangPack pack = TLangPack::Parse(bytes, page);
  for (char kind : {'I', 'M'}) {
    const std::vector<std::string> texts = pack.NumberedTexts(kind);
    const std::string* count = pack.Find(std::string{kind, '0'});
    if (texts.empty()) continue;
    if (count == nullptr || texts[0] != *count) std::abort();
    if (static_cast<int>(texts.size()) - 1 != ParseCount(*count, TLangPack::kMaxNumber))
      std::abort();
    for (const std::string& text : texts) checkText(text);
  }

  // Every line with "=" names an entry (the first such line wins the value).
  std::size_t pos = 0;
  int checked = 0;
  while (pos < bytes.size() && checked < 64) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string name = page.Decode(line.substr(0, equals));
    const std::string* value = pack.Find(name);
    if (value == nullptr) std::abort();
    checkText(*value);
    checkNoCaseName(pack, name);
    ++checked;
  }
  return 0;
}
