#pragma once
// The texts of one row of the results list and the part of each text that is
// drawn as the missing path, without any drawing: the row painter turns the
// pieces into coloured text, and tests read them directly.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hw {
class TEntry;
class TextSource;
}  // namespace hw

namespace hw::app {

// Interface texts of a row.
inline constexpr int kTextKeyLabel = 17;      // before the key
inline constexpr int kTextChoiceLabel = 61;   // before the repair choice
inline constexpr int kTextDefaultValue = 70;  // the default value's name, in brackets

// What colour a piece takes; the painter maps it by the row's state.
enum TPieceColour { pcBase, pcMissing, pcValue };

struct TRowPiece {
  std::string Text;  // at most 255 characters
  TPieceColour Colour = pcBase;
  bool operator==(const TRowPiece&) const = default;
};
using TRowLine = std::vector<TRowPiece>;

// The part of text drawn as missing: start and length in bytes; length 0 for none.
struct TTextSpan {
  std::size_t Start = 0;
  std::size_t Length = 0;
  bool operator==(const TTextSpan&) const = default;
};

// Where badPath shows in text: its first (or last) occurrence; else, when the
// whole text is part of badPath, all of text; else nothing. Exact case, as
// the scan took badPath out of the entry's own text.
TTextSpan MissingSpan(std::string_view text, std::string_view badPath, bool lastOccurrence);

// The lines a row shows above its choice line, and the choice line's label.
// The choice itself (a combo box on the focused row, else the choice text)
// follows the label.
struct TRowText {
  std::vector<TRowLine> Lines;
  std::string ChoiceLabel;
};

// Key line, for the path categories the value line, and the choice label.
// File-type rows show the kinds of problem found after the key.
TRowText ResultRowText(const TEntry& entry, const TextSource& texts);

// The kinds of problem of a file-type entry, from its BadPath (", kind, kind").
std::string FileTypeProblems(std::string_view badPath);

}  // namespace hw::app
