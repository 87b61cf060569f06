// The seams between the row store and what sits around it: the editor
// controls that show a store (clients), the highlighter that parses its rows,
// and the small records they exchange.
//
// A store is shared by every editor control in its client list; the first is
// the owner, the active one is the first that has the keyboard focus (else the
// owner). The caret belongs to the control: the store reads it to stamp undo
// records and moves it back on undo, always through this interface, so tests
// drive the store with a fake client and the Qt control implements the same
// calls. Every call happens on the GUI thread, synchronously, in the middle
// of the store operation that causes it.
#pragma once

namespace quillet {

// A place in the text that does not depend on wrapping: the 0-based logical
// line, the byte offset in that line of the last character boundary at or
// before the caret, and the columns the caret stands past that boundary
// (inside a tab's filler or past the line end). The line index equal to the
// line count stands for the empty position after a final line end.
struct TEditorPosition {
  int Line = 0;
  int Byte = 0;
  int Extra = 0;
  bool operator==(const TEditorPosition&) const = default;
};

// A caret as (row, column) of the rows at the time, and the same place as a
// position, so it can be put back after the rows were cut anew.
struct TCaretStamp {
  int Row = 0;     // 0-based row
  int Column = 0;  // 0-based display column
  TEditorPosition Position;
  bool operator==(const TCaretStamp&) const = default;
};

// What the last change did to the rows, for the painter: rows StartRow ..
// StartRow + OldRowCount - 1 were replaced by NewRowCount rows, and the
// highlighter re-parsed ReparsedRows rows from ReparseStart (0 when it
// parsed none). ReparseStart may lie above StartRow: a token read across a
// wrapped row end, such as a mail address whose full stop the edit took,
// starts in a row above the change.
struct TEditorUpdateInfo {
  int StartRow = 0;
  int OldRowCount = 0;
  int NewRowCount = 0;
  int ReparsedRows = 0;
  bool Valid = false;
  int ReparseStart = 0;
  bool operator==(const TEditorUpdateInfo&) const = default;
};

class TEditorClient {
public:
  virtual ~TEditorClient() = default;

  virtual bool HasFocus() const = 0;
  // The caret: 0-based row (0..row count) and display column.
  virtual int CaretRow() const = 0;
  virtual int CaretColumn() const = 0;
  // Moves the caret; the control applies its own row clamp and column rules
  // (a caret may not rest inside a double-byte character, and so on).
  virtual void SetCaret(int row, int column) = 0;
  // Nesting: the caret is hidden at the first Hide and shown again when the
  // count returns to zero.
  virtual void HideCaret() = 0;
  virtual void ShowCaret() = 0;
  // After every change of rows, with the update info (also kept by the store).
  virtual void RowsChanged(const TEditorUpdateInfo& info) = 0;
  // After the store was rebuilt as a whole (text set or cleared, wrapping
  // switched or re-cut, the last EndUpdate of the lines): scroll ranges and
  // the caret are to be set up again.
  virtual void Reinitialize() = 0;
  // Repainting off (false) and on again (true) around a batch of changes.
  virtual void SetRedraw(bool on) = 0;
  // The first row the control shows and how many rows it shows; a client
  // without a view shows none. The highlighter parses ahead of the shown
  // rows only.
  virtual int TopRow() const { return 0; }
  virtual int ScreenRows() const { return 0; }
};

// Rows a highlighter pass parsed: Count rows from First.
struct TReparsed {
  int First = 0;
  int Count = 0;
  bool operator==(const TReparsed&) const = default;
};

// The highlighter's side: the store asks it to parse after each change.
class TEditorRowParser {
public:
  virtual ~TEditorRowParser() = default;
  // Re-parses after a change whose first changed row is `row` (the rows
  // the change put in are not parsed yet); returns the rows it parsed,
  // which may begin above `row`.
  virtual TReparsed Reparse(int row) = 0;
  // After the store was rebuilt: every row's state is reset (not parsed).
  virtual void ParseAll() = 0;
};

}  // namespace quillet
