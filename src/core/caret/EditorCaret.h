// TEditorCaret: the caret options of the editor control, and the rules that
// put a caret at a legal place of the row store.
//
// A caret is a 0-based row of the store (0 .. row count) and a 0-based
// display column: the caret stands before the 1-based column column + 1.
// The row count itself (the empty place after the last row) is legal only
// when the text ends with a line end (the last row is not raEof). After every
// move the column goes through these steps, in order:
//  1. a vertical move takes the remembered column; any other move forgets it;
//  2. with FreeCaret off a column past the row end is pulled back to the end
//     (KeepCaret remembers the wanted column first; FreeRow leaves a vertical
//     move where it is);
//  3. a column between the two bytes of a double-byte character moves one
//     column in the direction of travel;
//  4. unless InTab, a column inside a tab's filler moves in the direction of
//     travel until it leaves the filler;
//  5. with wrapping on and the column at or past the row end: a raWrapped row
//     cannot hold the caret at its end (that place is the next row's start),
//     so the column becomes row end - 1; on the last row of a line a column
//     at or past the wrap column becomes max(row end, wrap column - 1); then
//     second bytes and filler are left backwards;
//  6. the column is at most 1000, or 1001 when 1000 would split a
//     double-byte character.
// Vertical moves have no direction of their own: they leave a second byte or
// filler backwards, and with KeepCaret remember the column they started from
// whenever the rules moved it, so a walk down through rows of double-byte
// text or tabs keeps its column.
//
// Everything here is pure over the store and cheap: one scan of the row up to
// 1003 columns.
#pragma once

#include "core/editor/EditorScreenStrings.h"

namespace quillet {

// Caret shape: csBrief draws a low caret in insert mode.
enum class TCaretStyle { csDefault, csBrief };
// When a press inside the selection starts dragging it (with SelMove):
// manual once the mouse has moved the desktop's drag distance with the
// button down (a press and release without moving puts the caret there),
// automatic at the press itself.
enum class TSelDragMode { dmManual, dmAutomatic };

// The published caret options, with the diary's values as defaults. The tab
// width (TabSpaceCount) lives in the row store, since the line cutter uses it
// too.
struct TEditorCaret {
  bool AutoCursor = true;         // mouse cursor follows the area under it
  bool AutoIndent = false;        // Enter indents the new line
  bool BackSpaceUnIndent = false; // Backspace in leading white space unindents
  bool FreeCaret = false;         // caret may stand past a row end
  bool FreeRow = false;           // vertical moves keep a column past a row end
  bool InTab = false;             // caret may stand inside a tab's filler
  bool KeepCaret = true;          // remember the wanted column on vertical moves
  bool LockScroll = true;         // the view follows the caret between rows
  bool NextLine = true;           // Left/Right at a line's start/end cross the line end
  bool PrevSpaceIndent = false;   // AutoIndent on an empty line borrows an earlier indent
  bool RowSelect = true;          // the left margin selects whole rows
  TSelDragMode SelDragMode = TSelDragMode::dmManual;
  bool SelMove = true;            // a selection can be dragged to move or copy it
  bool SoftTab = false;           // Tab inserts spaces up to the next tab stop
  TCaretStyle Style = TCaretStyle::csDefault;
  bool TabIndent = false;         // AutoIndent indents with tabs, then spaces
  bool operator==(const TEditorCaret&) const = default;
};

// The highest column a caret may take (step 6).
inline constexpr int kMaxCaretColumn = kMaxUnwrappedColumns;

// Direction of the move that asks for an adjustment.
enum class TCaretTravel { Backward = -1, Vertical = 0, Forward = 1 };

// The last legal caret row: the row count when the text is empty or ends
// with a line end, else the last row.
int MaxCaretRow(const TEditorScreenStrings& store);
// Columns of row `row` (0 for the place after the last row), counted up to
// 1003 at most, which is all the caret rules need.
int CaretRowEnd(const TEditorScreenStrings& store, int row);

// Applies steps 1 to 6 to `column` on `row` (already clamped) and returns the
// legal column. `remembered` is the caret's remembered column (-1 none),
// read by vertical moves and updated as the steps say.
int AdjustCaretColumn(const TEditorScreenStrings& store, const TEditorCaret& options, int row, int column,
                      TCaretTravel travel, int& remembered);

}  // namespace quillet
