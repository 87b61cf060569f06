// The indent rules of the editing keys: how wide the leading white space of
// a row is, what text makes an indent, where a soft tab ends, which indent
// an empty line borrows from the lines above it (PrevSpaceIndent) and where
// Backspace goes back to (BackSpaceUnIndent).
//
// Widths are display columns: a space 1, the ideographic space (0x81 0x40)
// 2, a tab up to its tab stop and, with wrapping on, not past the wrap
// column, exactly as the column model counts them. All functions are pure
// and linear in the rows they read.
#pragma once

#include <string>
#include <string_view>

#include "core/editor/EditorScreenStrings.h"

namespace quillet {

// Bytes of the leading white space (space, tab, ideographic space) of a row.
int LeadingWhiteBytes(std::string_view row);
// Its width in columns.
int LeadingWhiteColumns(std::string_view row, const TColumnLayout& layout);
// Whether the row holds nothing but white space (an empty row too).
bool IsAllWhite(std::string_view row);

// An indent of `columns`: spaces, or with `tabIndent` tabs (columns div tab
// width) then spaces (columns mod tab width).
std::string IndentText(int columns, bool tabIndent, int tabWidth);

// Spaces a soft tab at caret column `column` inserts: up to the next tab
// stop and, with wrapping on, not past the wrap column. At least 1.
int SoftTabSpaces(int column, const TColumnLayout& layout);
// The column a tab at caret column `column` moves the caret to.
int NextTabStop(int column, const TColumnLayout& layout);

// The indent an empty line at `lineFirstRow` borrows: the leading width of
// the nearest earlier logical line that holds anything but white space (0
// when there is none). Cost: the lines walked.
int PrevSpaceIndent(const TEditorScreenStrings& store, int lineFirstRow);

// Where Backspace unindents to from caret column `column` on `row`: the
// indent of the nearest earlier row that holds more than white space and
// whose indent is smaller than `column`; 0 when none.
int UnindentTarget(const TEditorScreenStrings& store, int row, int column);

}  // namespace quillet
