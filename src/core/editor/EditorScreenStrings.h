// TEditorScreenStrings: the editor's row store. The text is kept as display
// rows; a logical line takes one row with wrapping off and one or more with
// it on (cut by WrapText.h). All text changes go through one primitive,
// UpdateRows, which re-cuts only the logical lines it touches (from one row
// before the edit) and makes exactly one undo record.
//
// Invariants kept by every public operation:
//  - rows hold no CR or LF; joining the rows with CR LF after each raCrlf row
//    gives the text (Text());
//  - a raEof row is only ever the last row, and the last row is never
//    raWrapped; with wrapping off no row is raWrapped;
//  - marks 0..9 stand on one row at most.
// Marks and the object slot follow the text: when an edit re-cuts rows, each
// old row's marks go to the new row holding that row's first byte (a row the
// edit replaced counts as standing where the new text starts), so inserting
// lines above a marked line leaves the mark on it. Marks of rows deleted
// outright go to the row that takes their place (or the last row when the
// tail went), and vanish with the last row.
//
// Raw row operations (Put, Insert, Delete, ... inherited from the string
// list) work on single rows without the line rules, for tools and tests;
// since undo records cannot follow them, they empty the undo lists. The
// highlighter parses after them as after an edit.
// Not thread-safe: GUI thread; clients are called synchronously.
#pragma once

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/editor/EditorClient.h"
#include "core/editor/EditorColumns.h"
#include "core/editor/EditorUndo.h"
#include "core/editor/EditorWrapOption.h"
#include "core/editor/RowAttributeStringList.h"

namespace quillet {

struct TRowColumn {
  int Row = 0;
  int Column = 0;
  bool operator==(const TRowColumn&) const = default;
};

class TEditorScreenStrings : public TRowAttributeStringList {
public:
  TEditorScreenStrings();
  ~TEditorScreenStrings() override;

  // --- Clients ---------------------------------------------------------------
  // A client is not owned; it must detach before it is destroyed. Attaching
  // twice has no effect. The first attached is the owner.
  void AttachClient(TEditorClient& client);
  void DetachClient(TEditorClient& client);
  const std::vector<TEditorClient*>& Clients() const noexcept { return m_clients; }
  TEditorClient* Owner() const noexcept { return m_clients.empty() ? nullptr : m_clients.front(); }
  // The first client with the focus, else the owner, else null.
  TEditorClient* ActiveClient() const;
  void SetRowParser(TEditorRowParser* parser) { m_parser = parser; }

  // --- The editing primitive -------------------------------------------------
  // Replaces `count` rows from row `index` by `text` (bytes; CR LF, LF or CR
  // end lines). count 0 inserts before row `index` (index = Count() appends).
  // Ignored (false) when index < 0, count < 0, index + count - 1 is past the
  // last row, or count is 0 and text empty. Text that does not end with a
  // line end runs on into the rest of the last touched line, or into the
  // next line when the replaced rows ended a line; at the end of the store a
  // final CR or LF makes the last row raCrlf, else raEof. Cost: the touched
  // lines plus a move of the row array when the row count changes.
  bool UpdateRows(int index, int count, std::string_view text);

  struct TRowsText {
    std::string Text;
    TRowAttribute LastAttribute = raInvalid;
    int RowCount = 0;
  };
  // Rows index .. index + count - 1 joined (count -1: up to the end of the
  // line of `index`), CR LF after each raCrlf row. An index outside the list
  // or count 0 gives empty text, 0 rows and raInvalid.
  TRowsText GetRowsText(int index, int count) const;
  // First and last row of the logical line holding `row` (0..Count()-1).
  int FirstRowOfLine(int row) const;
  int LastRowOfLine(int row) const;
  // Appends the rows of `text` cut with the current wrap settings.
  void WrapText(std::string_view text, TRowAttributeStringList& target) const;
  // Runs the highlighter as after a change of `row`; returns the rows it
  // parsed (0 without one). With `notify` the clients are told which rows
  // to repaint.
  int Reparse(int row, bool notify);
  const TEditorUpdateInfo& UpdateInfo() const noexcept { return m_updateInfo; }

  // --- The whole text --------------------------------------------------------
  std::string Text() const;
  // Replaces everything: lines split as WrapText.h says, the last row raEof
  // when the text is not empty and does not end with CR or LF; then cut,
  // parsed, undo lists emptied, every caret to row 0, column 0. Strong
  // guarantee: on an exception (std::length_error beyond 2 GiB) nothing
  // changed.
  void SetText(std::string_view text);

  // --- Wrapping --------------------------------------------------------------
  bool WordWrap() const noexcept { return m_wordWrap; }
  // On: every line is cut anew. Off: the rows of each line are joined (marks
  // united), raCrlf except the last line, which keeps its attribute (raEof
  // for raWrapped). Either way every client re-initialises and its caret
  // keeps its place in the text. Undo records survive.
  void SetWordWrap(bool on);
  // Any change of it re-cuts the whole store when wrapping is on.
  TEditorWrapOption& WrapOption() noexcept { return m_wrapOption; }
  const TEditorWrapOption& WrapOption() const noexcept { return m_wrapOption; }
  // Tab width shared by the cut and the carets: 2..8, even (see ClampTabWidth).
  int TabSpaceCount() const noexcept { return m_tabSpaceCount; }
  void SetTabSpaceCount(int value);
  // The column layout of the rows as they are cut (during a change of the
  // wrap option it still describes the old cut).
  TColumnLayout Layout() const noexcept { return {m_tabSpaceCount, m_wordWrap ? m_cutWrapByte : 0}; }

  // --- Logical lines as the Lines view counts them ------------------------
  // Wrapping off: the rows; on: rows that are not raWrapped (plus one when
  // the last row is).
  int LinesCount() const;
  // First row of a line; 0 for line 0 or below, Count() past the last.
  int RowOfLineIndex(int line) const;

  // --- Marks (0..15; others are ignored) ---------------------------------------
  // Putting mark 0..9 first removes it from the row that held it. No
  // notification: the control that asked repaints its image bar.
  void PutMark(int row, int mark);
  void DeleteMark(int row, int mark);
  // First row holding the mark, or -1. O(rows).
  int FirstRowWithMark(int mark) const;
  // Moves the active editor's caret to that row (keeping its column); false
  // when no row holds the mark.
  bool GotoMark(int mark);

  // --- Undo ----------------------------------------------------------------------
  TEditorUndoObj& UndoObj() noexcept { return m_undo; }
  const TEditorUndoObj& UndoObj() const noexcept { return m_undo; }

  // --- Caret places --------------------------------------------------------------
  // (row, column) as a position and back in the current rows. A row at or
  // past Count() is the position after the text; a byte that ends one row
  // and begins the next is taken at the start of the next row.
  TEditorPosition PositionOf(int row, int column) const;
  TRowColumn RowColumnOf(const TEditorPosition& position) const;
  TCaretStamp StampOf(int row, int column) const { return {row, column, PositionOf(row, column)}; }
  TCaretStamp ActiveCaretStamp() const;
  // Sets the client's caret to the stamp's (row, column) when that still
  // names the stamped position, else to the position's place now.
  void MoveCaret(TEditorClient& client, const TCaretStamp& stamp) const;

  // --- Raw row operations (empty the undo lists) -----------------------------
  void Put(int index, std::string_view text) override;
  void Insert(int index, std::string_view text) override;
  void Delete(int index) override;
  // Removes all rows, empties both undo lists, every caret to row 0, column 0.
  void Clear() override;
  void PutItem(int index, const TheStringItem& item) override;
  void InsertItem(int index, const TheStringItem& item) override;

private:
  friend class TEditorUndoObj;

  // Puts a record's old text back; fills `opposite` (all but the caret).
  // False when the record does not fit the text; nothing changed then.
  bool RestoreRecord(const TUndoData& record, TUndoData& opposite);
  int RowLength(int row) const { return static_cast<int>(Get(row).size()); }
  int LineOf(int row) const { return m_wordWrap ? LineOfRow(row) : std::min(row, Count()); }
  int FirstRowOf(int line) const { return m_wordWrap ? RowOfLine(line) : std::clamp(line, 0, Count()); }
  // Logical line and byte offset of the start of row `row` (Count(): the
  // position after the text).
  void StartOf(int row, int& line, int& byte) const;
  // Replaces rows start .. start + oldCount - 1 by `rows` cut from `source`
  // (no rows: a deletion). oldOffsets[i] is where old row start + i's first
  // byte stands in `source`; its marks and object go to the new row holding
  // that byte.
  void ReplaceRowRange(int start, int oldCount, std::string_view source, std::span<const TRowSpan> rows,
                       std::span<const std::size_t> oldOffsets);
  void DeleteRowsCarryingMarks(int index, int count);
  // Re-parses, sets the update info, announces the change.
  void Finish(int start, int oldCount, int newCount);
  void AfterRawChange(int start, int oldCount, int newCount);
  // Caret positions of the clients, in client order.
  std::vector<TEditorPosition> CaretPlaces() const;
  // Cuts every line anew with the current settings, then puts each client's
  // caret at its place from `places`.
  void Rebuild(const std::vector<TEditorPosition>& places);
  void NotifyRowsChanged();
  void NotifyReinitialize();

  std::vector<TEditorClient*> m_clients;
  TEditorRowParser* m_parser = nullptr;
  TEditorUpdateInfo m_updateInfo;
  TEditorUndoObj m_undo;
  bool m_wordWrap = false;
  int m_tabSpaceCount = 2;
  int m_cutWrapByte = TEditorWrapOption::kDefaultWrapByte;
  TEditorWrapOption m_wrapOption;
  struct TCarry {
    TRowMarks Marks = 0;
    void* Object = nullptr;
  };
  // Scratch of UpdateRows and undo, kept to avoid allocating per keystroke.
  std::vector<TRowSpan> m_spans;
  std::vector<std::size_t> m_offsets;
  std::vector<TCarry> m_carry;
};

}  // namespace quillet
