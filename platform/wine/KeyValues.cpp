#include "platform/wine/KeyValues.h"

#include <fstream>
#include <sstream>

namespace hw::platform {

namespace {

// Deeper than any file Steam writes; keeps hostile input off the stack.
constexpr int kMaxDepth = 100;

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

struct Token {
  enum Kind { End, Open, Close, Text } kind = End;
  std::string text;
  int line = 0;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  Token Next() {
    for (;;) {
      SkipBlanksAndComments();
      if (pos_ >= text_.size()) return {Token::End, {}, line_};
      // A platform condition belongs to the token before it; which platform
      // it names does not matter for the keys read here.
      if (text_[pos_] == '[') {
        const std::size_t close = text_.find(']', pos_);
        if (close == std::string_view::npos ||
            text_.substr(pos_, close - pos_).find('\n') != std::string_view::npos)
          Fail("an unclosed [");
        pos_ = close + 1;
        continue;
      }
      break;
    }
    const char c = text_[pos_];
    if (c == '{') return ++pos_, Token{Token::Open, {}, line_};
    if (c == '}') return ++pos_, Token{Token::Close, {}, line_};
    if (c == '"') return Quoted();
    return Bare();
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw KeyValuesError("line " + std::to_string(line_) + ": " + what);
  }

 private:
  void SkipBlanksAndComments() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
      } else if (text_.substr(pos_, 2) == "//") {
        const std::size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end;
      } else {
        return;
      }
    }
  }

  Token Quoted() {
    Token token{Token::Text, {}, line_};
    ++pos_;
    for (;;) {
      if (pos_ >= text_.size()) {
        line_ = token.line;
        Fail("a quoted text that never ends");
      }
      const char c = text_[pos_++];
      if (c == '"') return token;
      if (c == '\n') ++line_;
      if (c == '\\' && pos_ < text_.size()) {
        const char escaped = text_[pos_];
        const std::string_view known = "nt\\\"";
        if (known.find(escaped) != std::string_view::npos) {
          ++pos_;
          token.text += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
          continue;
        }
      }
      token.text += c;
    }
  }

  Token Bare() {
    Token token{Token::Text, {}, line_};
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '{' ||
          c == '}' || c == '"')
        break;
      if (text_.substr(pos_, 2) == "//") break;
      token.text += c;
      ++pos_;
    }
    return token;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

// Reads pairs into block until its closing brace (or the end, at the top).
void ParseBlock(Lexer& lexer, KeyValues& block, int depth) {
  for (;;) {
    Token key = lexer.Next();
    if (key.kind == Token::End) {
      if (depth > 0) lexer.Fail("a block that is never closed");
      return;
    }
    if (key.kind == Token::Close) {
      if (depth == 0) lexer.Fail("a } without its {");
      return;
    }
    if (key.kind == Token::Open) lexer.Fail("a { without a key");
    KeyValues child;
    child.Key = std::move(key.text);
    Token value = lexer.Next();
    if (value.kind == Token::Text) {
      child.Value = std::move(value.text);
    } else if (value.kind == Token::Open) {
      if (depth + 1 > kMaxDepth) lexer.Fail("blocks nested too deep");
      child.IsBlock = true;
      ParseBlock(lexer, child, depth + 1);
    } else {
      lexer.Fail("the key \"" + child.Key + "\" has no value");
    }
    block.Children.push_back(std::move(child));
  }
}

}  // namespace

const KeyValues* KeyValues::Find(std::string_view key) const {
  for (const KeyValues& child : Children)
    if (SameKey(child.Key, key)) return &child;
  return nullptr;
}

std::string KeyValues::Text(std::string_view key) const {
  const KeyValues* child = Find(key);
  return child && !child->IsBlock ? child->Value : std::string();
}

KeyValues ParseKeyValues(std::string_view text) {
  KeyValues root;
  root.IsBlock = true;
  Lexer lexer(text);
  ParseBlock(lexer, root, 0);
  return root;
}

KeyValues ReadKeyValuesFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw KeyValuesError(file.string() + ": cannot be read");
  std::ostringstream text;
  text << in.rdbuf();
  try {
    return ParseKeyValues(text.str());
  } catch (const KeyValuesError& error) {
    throw KeyValuesError(file.string() + ": " + error.what());
  }
}

}  // namespace hw::platform
