// TEditorSelection: the selection of an editor control, normal or box.
//
// A normal selection is the text between the anchor and the caret. A box
// selection is the rectangle of rows and display columns they span: rows
// min..max of the two rows, columns min..max of the two columns. On each row
// of a box the selected bytes are the characters that overlap the column
// span: a double-byte character or a tab cut by either edge is taken whole,
// so a box never splits a character.
//
// The anchor is kept as a logical place (line, byte and the columns past
// it), so a selection survives the rows being cut anew when the window is
// resized; the caret is the control's own (row, column).
//
// Box text, as copied and as carried under the "TEditor Box Type" clipboard
// format: the selected bytes of each row followed by CR LF. A box is put in
// (pasted or dropped) line by line on successive rows at one column: rows
// shorter than the column are padded with spaces, rows missing below the
// text are added, and the whole change is one UpdateRows call, so one undo
// step.
// Not thread-safe; GUI thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/caret/TextRange.h"

namespace quillet {

enum class TSelectionMode { smNormal, smBox };

struct TBoxRect {
  int TopRow = 0;
  int BottomRow = 0;    // inclusive
  int LeftColumn = 0;
  int RightColumn = 0;  // exclusive
  bool Empty() const { return LeftColumn >= RightColumn; }
  bool operator==(const TBoxRect&) const = default;
};

class TEditorSelection {
public:
  TSelectionMode Mode() const noexcept { return m_mode; }
  void SetMode(TSelectionMode mode) noexcept { m_mode = mode; }

  bool Anchored() const noexcept { return m_anchored; }
  void SetAnchor(const TEditorPosition& anchor) noexcept {
    m_anchor = anchor;
    m_anchored = true;
  }
  void Clear() noexcept { m_anchored = false; }
  const TEditorPosition& Anchor() const noexcept { return m_anchor; }

  // The normal range between the anchor and the caret (empty when not
  // anchored).
  TTextRange Range(const TEditorScreenStrings& store, int caretRow, int caretColumn) const;
  // The box between the anchor and the caret.
  TBoxRect Box(const TEditorScreenStrings& store, int caretRow, int caretColumn) const;
  // Whether anything is selected in the current mode.
  bool HasSelection(const TEditorScreenStrings& store, int caretRow, int caretColumn) const;

private:
  TSelectionMode m_mode = TSelectionMode::smNormal;
  bool m_anchored = false;
  TEditorPosition m_anchor;
};

// Bytes [first, second) of `row` that a box with these columns selects.
std::pair<int, int> BoxRowBytes(std::string_view row, const TColumnLayout& layout, int left, int right);
// The box's text: each row's selected bytes and CR LF.
std::string BoxText(const TEditorScreenStrings& store, const TBoxRect& box);
// Removes the box's bytes from every row in one UpdateRows call.
bool DeleteBox(TEditorScreenStrings& store, const TBoxRect& box);
// The lines of a box text (a final line end gives no empty last line).
std::vector<std::string> BoxLines(std::string_view text);
// Puts `lines` in at `column` on `row` and the rows below it, in one
// UpdateRows call (see above).
bool InsertBox(TEditorScreenStrings& store, int row, int column, const std::vector<std::string>& lines);

}  // namespace quillet
