#include "cli/JsonLines.h"

#include <cstdio>

#include "platform/Text.h"
#include "scan/AnalyzClass.h"

namespace hw::cli {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      platform::appendUtf8(out, platform::decodeUtf8(text, i));
      continue;
    }
    ++i;
    switch (byte) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (byte < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out += static_cast<char>(byte);
        }
    }
  }
  out += '"';
  return out;
}

std::string FindingJson(const TAnalyzClass& engine, TAnalyzCategory category) {
  std::string flags = "[";
  for (int i = 0; i < kEntryTypeCount; ++i) {
    if (!engine.Flags.Contains(static_cast<TEntryType>(i))) continue;
    if (flags.size() > 1) flags += ',';
    flags += JsonString(kEntryTypeNames[i]);
  }
  flags += ']';
  std::string line = "{\"category\":" + std::to_string(static_cast<int>(category));
  line += ",\"key\":" + JsonString("[" + engine.RootName + "] " + engine.KeyPath);
  line += ",\"value\":" + JsonString(engine.ValueName);
  line += ",\"data\":" + JsonString(engine.Data);
  line += ",\"badPath\":" + JsonString(engine.BadPath);
  line += ",\"flags\":" + flags;
  line += ",\"pathCount\":" + std::to_string(engine.PathCount);
  line += ",\"keyWritable\":" + std::string(engine.KeyWritable ? "true" : "false");
  line += ",\"keyDate\":" + JsonString(engine.KeyDate);
  line += '}';
  return line;
}

}  // namespace hw::cli
