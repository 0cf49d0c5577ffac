#include "platform/WindowsPath.h"

#include "platform/Text.h"

namespace hw::platform {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The DOS wildcards a find-first mask is rewritten into before matching: a
// star that stops at the last dot, a question mark that may match nothing at
// a dot or the end, and a dot that also matches the end of the name.
constexpr char32_t kDosStar = '<';
constexpr char32_t kDosQm = '>';
constexpr char32_t kDosDot = '"';

bool isWildcard(char32_t c) { return c == '*' || c == '?' || c == kDosStar || c == kDosQm; }

std::u32string decode(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out.push_back(decodeUtf8(text, i, true));
  return out;
}

// "*.*" becomes *"* (also names without a dot), a trailing dot asks for
// names without extension, ? may match nothing before a dot.
std::u32string dosMask(std::string_view text) {
  std::u32string mask = decode(text);
  if (mask.empty()) return mask;
  bool noExtension = mask.back() == '.';
  std::size_t length = mask.size();
  while (length > 0 && (mask[length - 1] == '.' || mask[length - 1] == ' ')) --length;
  for (std::size_t i = 0; i < length; ++i) {
    if (mask[i] == '.' && i + 1 < mask.size() && (mask[i + 1] == '*' || mask[i + 1] == '?'))
      mask[i] = kDosDot;
    else if (mask[i] == '?')
      mask[i] = kDosQm;
  }
  mask.resize(length);
  if (noExtension && length > 0 && mask[length - 1] == '*') mask[length - 1] = kDosStar;
  return mask;
}

bool sameChar(char32_t a, char32_t b) { return a == b || foldCase(a) == foldCase(b); }
char32_t literal(char32_t c) { return c == kDosDot ? U'.' : c; }

class Matcher {
 public:
  Matcher(const std::u32string& name, std::size_t nameLength, const std::u32string& mask)
      : name_(name), nameEnd_(nameLength), mask_(mask) {}

  bool Match(std::size_t n, std::size_t m) const {
    const std::size_t maskEnd = mask_.size();
    while (n < nameEnd_ && m < maskEnd) {
      switch (mask_[m]) {
        case '*': {
          while (m < maskEnd && mask_[m] == '*') ++m;
          if (m == maskEnd) return true;
          for (; n < nameEnd_; ++n) {
            n = skipTo(n, nameEnd_, m);
            if (Try(n, m)) return true;
            if (n == nameEnd_) return false;
          }
          break;
        }
        case kDosStar: {
          ++m;
          bool hadDot = false;
          while (n < nameEnd_) {
            std::size_t nextDot = n;
            while (nextDot < nameEnd_ && name_[nextDot] != '.') ++nextDot;
            if (nextDot == nameEnd_ && hadDot) break;
            if (nextDot < nameEnd_) {
              hadDot = true;
              ++nextDot;
            }
            if (m < maskEnd) {
              for (; n < nextDot; ++n) {
                n = skipTo(n, nextDot, m);
                if (Try(n, m)) return true;
                if (n == nextDot) break;
              }
            }
            n = nextDot;
          }
          break;
        }
        case '?':
          ++m;
          ++n;
          break;
        case kDosQm:
          ++m;
          if (name_[n] == '.') {
            while (m < maskEnd && mask_[m] == kDosQm) ++m;
            if (m == maskEnd) ++n;
          } else {
            ++n;
          }
          break;
        default:
          if (!sameChar(literal(mask_[m]), name_[n])) return false;
          ++m;
          ++n;
          break;
      }
    }
    while (m < maskEnd &&
           (mask_[m] == '*' || mask_[m] == kDosStar || mask_[m] == kDosDot || mask_[m] == kDosQm))
      ++m;
    return n == nameEnd_ && m == maskEnd;
  }

 private:
  // Match from a later place, remembering places that failed: a mask such as
  // *a*a*a*b would otherwise take exponential time on a long name.
  bool Try(std::size_t n, std::size_t m) const {
    const std::size_t width = mask_.size() + 1;
    if (failed_.empty()) failed_.assign((nameEnd_ + 1) * width, false);
    if (failed_[n * width + m]) return false;
    if (Match(n, m)) return true;
    failed_[n * width + m] = true;
    return false;
  }

  // Before a literal in the mask, the next place in the name where it occurs.
  std::size_t skipTo(std::size_t n, std::size_t end, std::size_t m) const {
    char32_t c = literal(mask_[m]);
    if (isWildcard(c)) return n;
    while (n < end && !sameChar(name_[n], c)) ++n;
    return n;
  }

  const std::u32string& name_;
  std::size_t nameEnd_;
  const std::u32string& mask_;
  mutable std::vector<bool> failed_;
};

}  // namespace

std::string WindowsPath::Text(std::size_t componentCount) const {
  std::string text{drive, ':', '\\'};
  for (std::size_t i = 0; i < componentCount && i < components.size(); ++i) {
    if (i > 0) text += '\\';
    text += components[i];
  }
  return text;
}

std::optional<WindowsPath> ParseWindowsPath(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return std::nullopt;
  char letter = path[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  if (letter < 'A' || letter > 'Z') return std::nullopt;

  WindowsPath result;
  result.drive = letter;
  std::string_view rest = path.substr(2);
  result.endsInSeparator = rest.empty() || isSeparator(rest.back());
  std::size_t pos = 0;
  while (pos < rest.size()) {
    std::size_t end = pos;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    std::string_view piece = rest.substr(pos, end - pos);
    bool last = end >= rest.size();
    pos = end + 1;
    if (piece.empty()) continue;
    if (piece == "." || piece == "..") {
      if (piece == ".." && !result.components.empty()) result.components.pop_back();
      if (last) result.endsInSeparator = false;
      continue;
    }
    std::size_t keep = piece.size();
    while (keep > 0 && (piece[keep - 1] == '.' || (last && piece[keep - 1] == ' '))) --keep;
    if (keep == 0) {
      // Only dots and blanks: nothing is left of the name.
      if (last) result.endsInSeparator = true;
      continue;
    }
    result.components.emplace_back(piece.substr(0, keep));
  }
  if (result.components.empty()) result.endsInSeparator = true;
  return result;
}

bool HasWildcards(std::string_view name) {
  return name.find_first_of("*?<>") != std::string_view::npos;
}

bool MatchesMask(std::string_view mask, std::string_view name) {
  std::u32string dos = dosMask(mask);
  std::u32string chars = decode(name);
  // ".." matches what "." matches, so that *.* and * list both.
  std::size_t length = chars == U".." ? 1 : chars.size();
  return Matcher(chars, length, dos).Match(0, 0);
}

}  // namespace hw::platform
