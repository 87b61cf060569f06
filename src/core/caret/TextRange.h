// Text points and ranges over the row store, and the one replace operation
// that every edit of the editor control goes through.
//
// A TTextPoint is a character boundary: a row and a byte offset in it
// (0 .. row length). The row count with byte 0 is the place after the last
// row. The end of a raWrapped row and the start of the next row are the same
// place; Normalized() gives the second form, so points compare by (row,
// byte) once normalised.
//
// ReplaceText turns a replacement of [from, to) into exactly one call of the
// store's UpdateRows (so one undo step): the rows from `from` to `to` are
// replaced by the part of `from`'s row before it, the new text, the part of
// `to`'s row after it and that row's own line end. Line ends in the new text
// are made CR LF first, since the store keeps CR LF and callers compute the
// caret after the edit from the text they gave.
// Not thread-safe; GUI thread (as the store).
#pragma once

#include <string>
#include <string_view>

#include "core/editor/EditorScreenStrings.h"

namespace quillet {

struct TTextPoint {
  int Row = 0;
  int Byte = 0;
  bool operator==(const TTextPoint&) const = default;
  auto operator<=>(const TTextPoint&) const = default;
};

struct TTextRange {
  TTextPoint Start;
  TTextPoint End;  // Start <= End, both normalised
  bool Empty() const { return Start == End; }
  bool operator==(const TTextRange&) const = default;
};

// Same place, and the start of the next row rather than the end of a
// raWrapped row; rows outside the store and bytes past the row are clamped.
TTextPoint Normalized(const TEditorScreenStrings& store, TTextPoint point);
// The boundary at or before a caret column (a column inside a double-byte
// character, a tab's filler or past the row end gives the boundary before).
TTextPoint PointOfColumn(const TEditorScreenStrings& store, int row, int column);
int ColumnOfPoint(const TEditorScreenStrings& store, TTextPoint point);
// The logical place of a point, independent of wrapping, and back.
TEditorPosition PositionOfPoint(const TEditorScreenStrings& store, TTextPoint point);
TTextPoint PointOfPosition(const TEditorScreenStrings& store, const TEditorPosition& position);
// The ordered, normalised range between two points.
TTextRange MakeRange(const TEditorScreenStrings& store, TTextPoint a, TTextPoint b);

// One character (or one line end) after / before a point; the text's ends
// give the point itself.
TTextPoint NextPoint(const TEditorScreenStrings& store, TTextPoint point);
TTextPoint PrevPoint(const TEditorScreenStrings& store, TTextPoint point);
// The first point of the text and the place after its last character.
TTextPoint TextEndPoint(const TEditorScreenStrings& store);

// The bytes of a range, CR LF for every line end inside it.
std::string TextOfRange(const TEditorScreenStrings& store, const TTextRange& range);

// Line ends (CR LF, LF or CR) as CR LF.
std::string NormalizeLineEnds(std::string_view text);
// The logical place after `text` (line ends CR LF) put in at `position`.
TEditorPosition AdvancePosition(TEditorPosition position, std::string_view text);

// Replaces `range` by `text` (line ends normalised) in one UpdateRows call.
// `padding` spaces go in before the text (a caret standing past a row end).
// Returns the logical place right after the inserted text, to be turned back
// into a point once the rows are cut anew; nothing happens (and the place of
// the range start comes back) when the range is empty and there is nothing
// to insert. `changed` tells whether the store changed.
TEditorPosition ReplaceText(TEditorScreenStrings& store, const TTextRange& range, std::string_view text,
                            int padding = 0, bool* changed = nullptr);

}  // namespace quillet
