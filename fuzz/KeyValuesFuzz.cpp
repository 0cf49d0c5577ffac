// Steam's KeyValues text: any input is parsed or refused with KeyValuesError,
// and a tree that was read, written back quoted and escaped, reads back the
// same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/wine/KeyValues.h"

using hw::platform::KeyValues;

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"')
      out += '\\', out += c;
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else
      out += c;
  }
  return out + '"';
}

void Write(const KeyValues& block, std::string& out) {
  for (const KeyValues& child : block.Children) {
    out += Quoted(child.Key);
    if (child.IsBlock) {
      out += " {\n";
      Write(child, out);
      out += "}\n";
    } else {
      out += ' ' + Quoted(child.Value) + '\n';
    }
  }
}

bool Same(const KeyValues& a, const KeyValues& b) {
  if (a.Key != b.Key || a.Value != b.Value || a.IsBlock != b.IsBlock ||
      a.Children.size() != b.Children.size())
    return false;
  for (std::size_t i = 0; i < a.Children.size(); ++i)
    if (!Same(a.Children[i], b.Children[i])) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  KeyValues tree;
  try {
    tree = hw::platform::ParseKeyValues(text);
  } catch (const hw::platform::KeyValuesError&) {
    return 0;
  }
  std::string written;
  Write(tree, written);
  if (!Same(tree, hw::platform::ParseKeyValues(written))) std::abort();
  return 0;
}
