#include "scan/PathText.h"

#include <initializer_list>

#include "platform/Text.h"

namespace hw {

namespace {

bool IsLetterAZ(char c) {
  c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return c >= 'A' && c <= 'Z';
}

bool IsTrailingJunk(char c) {
  for (char junk : {'"', '?', '*', '/', '<', '>', '|', ' ', ',', ';', '\'', '['})
    if (c == junk) return true;
  return false;
}

// Cuts the candidate before separator c where it ends the path: right after a
// one- to three-letter extension, or, for all but the blank, wherever a
// non-blank follows the separator directly. Positions are 1-based as k in T.
void CutAtSeparator(std::string& candidate, char c) {
  std::size_t offset = 0;
  std::string_view rest = candidate;
  for (;;) {
    std::size_t found = rest.find(c);
    if (found == std::string_view::npos) return;
    const std::size_t k = found + 1;
    std::size_t slash = rest.rfind('\\');
    const std::size_t b = slash == std::string_view::npos ? 0 : slash + 1;
    auto at = [&](std::size_t pos) { return rest[pos - 1]; };
    bool afterExtension = (k > b && k > 2 && at(k - 2) == '.') || (k > 3 && at(k - 3) == '.') ||
                          (k > 4 && at(k - 4) == '.');
    bool skipped = !afterExtension && (c == ' ' || k == rest.size() || at(k + 1) == ' ');
    if (!skipped) {
      candidate.resize(offset + k - 1);
      return;
    }
    offset += k;
    rest.remove_prefix(k);
  }
}

}  // namespace

std::size_t LastPos(std::string_view sub, std::string_view text) {
  std::size_t found = text.rfind(sub);
  return found == std::string_view::npos ? 0 : found + 1;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32) text.remove_suffix(1);
  return text;
}

std::string_view TrimTrailing(std::string_view text, char c) {
  while (!text.empty() && text.back() == c) text.remove_suffix(1);
  return text;
}

std::string_view ExtractFilePath(std::string_view path) {
  std::size_t last = path.find_last_of("\\:");
  return last == std::string_view::npos ? std::string_view() : path.substr(0, last + 1);
}

std::string_view ExtractFileName(std::string_view path) {
  std::size_t last = path.find_last_of("\\:");
  return last == std::string_view::npos ? path : path.substr(last + 1);
}

std::string_view ExtractFileExt(std::string_view path) {
  std::size_t dot = path.rfind('.');
  std::size_t last = path.find_last_of("\\:");
  if (dot == std::string_view::npos || (last != std::string_view::npos && dot < last)) return {};
  return path.substr(dot);
}

std::string UpperAZ(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

std::string StripAmpersands(std::string_view text) {
  text = platform::cutToChars(text, 255);
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      result += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '&') {
      result += '&';
      ++i;
    }
  }
  return result;
}

bool IsPathSeparator(char c) { return c == ' ' || c == ',' || c == ';' || c == '\'' || c == '['; }

bool ExtractPaths(std::string_view text, std::vector<std::string>* candidates,
                  std::vector<std::string>* stretches) {
  if (candidates == nullptr || text.size() < 2) return false;
  // The character before each colon-backslash, from the last one backwards;
  // each pass sees only the text before the previous candidate.
  std::string_view before = text;
  std::size_t pos = LastPos(":\\", before);
  while (pos >= 2) {
    std::string candidate(Trim(before.substr(pos - 2)));
    before = before.substr(0, pos - 2);
    bool driveFirst = IsLetterAZ(candidate.front());
    // A letter before the drive letter: the colon belongs to a longer word.
    bool partOfWord = !before.empty() && IsLetterAZ(before.back());
    if (driveFirst && !partOfWord) {
      while (IsTrailingJunk(candidate.back())) candidate.pop_back();
      for (char cut : {'"', '?', '*', '/', '<', '>', '|'}) {
        std::size_t at = candidate.find(cut);
        if (at != std::string::npos) candidate.resize(at);
      }
      if (stretches) stretches->push_back(candidate);
      for (char separator : {' ', ',', ';', '\'', '['}) CutAtSeparator(candidate, separator);
      candidates->push_back(std::move(candidate));
    }
    pos = LastPos(":\\", before);
  }
  return !candidates->empty();
}

}  // namespace hw
