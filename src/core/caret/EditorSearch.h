// The editor's search primitive, the one find, find next and replace call:
// the next (or previous) place where a text stands, double-byte aware.
//
// Matching is byte-wise over code page 932 characters: a match starts only
// at a character boundary, so the trail byte of "ソ" (0x83 0x5C) never
// matches a backslash, and it ends at a boundary too. Without match case
// each character is compared through LowerChar, which folds ASCII and the
// full-width Latin, Greek and Cyrillic letters; every other character
// compares exactly. A match lies inside one logical line (the rows of a
// wrapped line are searched as one text); a search text holding a line end
// matches nothing.
//
// Forward: the first match that starts at or after `from`. Backward: the
// last match that starts before `from`. So with a hit selected, searching on
// from the selection's end (forward) or start (backward) finds the next hit
// without repeating the last. Cost: linear in the text searched times the
// length of the search text at worst.
#pragma once

#include <optional>
#include <string_view>

#include "core/caret/TextRange.h"

namespace quillet {

std::optional<TTextRange> SearchText(const TEditorScreenStrings& store, std::string_view pattern, TTextPoint from,
                                     bool forward, bool matchCase);

}  // namespace quillet
