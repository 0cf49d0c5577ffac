#pragma once
// The state handed to owner drawing of a list row or a combo text, as a set
// of flags (a row can be selected and focused at once).

namespace hw {

using TOwnerDrawState = unsigned;

inline constexpr TOwnerDrawState odSelected = 1u << 0;
inline constexpr TOwnerDrawState odFocused = 1u << 1;
inline constexpr TOwnerDrawState odDisabled = 1u << 2;
// The closed combo box's own field, not a text of its drop-down list.
inline constexpr TOwnerDrawState odComboBoxEdit = 1u << 3;

}  // namespace hw
