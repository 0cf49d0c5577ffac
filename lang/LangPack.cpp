#include "lang/LangPack.h"

namespace hw {

TLangPack TLangPack::Parse(std::string_view bytes, const platform::SingleByteCodePage& page) {
  TLangPack pack;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string name = page.Decode(line.substr(0, equals));
    if (pack.entries_.find(name) != pack.entries_.end()) continue;
    std::string value = page.Decode(line.substr(equals + 1));
    value.resize(platform::cutToChars(value, kMaxValueChars).size());
    pack.entries_.emplace(std::move(name), std::move(value));
  }
  return pack;
}

const std::string* TLangPack::Find(std::string_view name) const {
  auto it = entries_.find(name);
  return it == entries_.end() ? nullptr : &it->second;
}

std::string TLangPack::Value(std::string_view name) const {
  const std::string* value = Find(name);
  return value ? *value : std::string();
}

std::vector<std::string> TLangPack::NumberedTexts(char kind) const {
  std::vector<std::string> texts;
  const std::string* countText = Find(std::string{kind, '0'});
  if (!countText) return texts;
  int count = ParseCount(*countText, kMaxNumber);
  if (count < 0) return texts;
  texts.reserve(static_cast<std::size_t>(count) + 1);
  texts.push_back(*countText);
  for (int n = 1; n <= count; ++n) texts.push_back(Value(kind + std::to_string(n)));
  return texts;
}

bool TLangPack::CountsValid() const {
  bool any = false;
  for (const char* name : {"I0", "M0"}) {
    const std::string* count = Find(name);
    if (!count) continue;
    if (ParseCount(*count, kMaxNumber) < 0) return false;
    any = true;
  }
  return any;
}

int ParseCount(std::string_view text, int maxValue) {
  auto blank = [](char ch) { return ch == ' ' || ch == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.empty()) return -1;
  long long value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return -1;
    value = value * 10 + (ch - '0');
    if (value > maxValue) return -1;
  }
  return static_cast<int>(value);
}

}  // namespace hw
