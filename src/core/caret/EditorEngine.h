// TEditorEngine: the platform-free heart of the editor control. It owns the
// caret, the selection and the editing keys of one control over a shared row
// store, and is that control's client of the store (TEditorClient). The Qt
// widget turns events into calls of this class and paints what it says; tests
// drive it directly with the real store.
//
// Every change of text goes through ReplaceText (TextRange.h) or the box
// operations (EditorSelection.h), so through exactly one UpdateRows call:
// one key, one paste, one committed input-method string is one undo step.
// After an edit the caret goes to the logical place right after the new
// text, found again in the rows as they were cut anew, and the selection is
// cleared. Read-only refuses every edit (moves and selection still work).
//
// Caret moves follow EditorCaret.h. Choices of this control beyond the
// design's rules:
//  - NextLine: Left at the start of a line goes to the end of the line above
//    and Right at the end of a line to the start of the next; off, both stop.
//    Moving between the rows of one wrapped line never needs it. With
//    FreeCaret, Right past a line end keeps going into free space instead.
//  - Enter after the last row adds a line end and puts the caret on the new
//    empty place below, one row down, as Enter does everywhere else.
//  - Overwrite: each typed character replaces one character under the
//    caret, never a line end.
//  - Typing with the caret past a row end (FreeCaret) pads with spaces up
//    to the caret; typing inside a tab's filler (InTab) inserts before the
//    tab.
//  - While a box selection is drawn its caret corner may stand past row
//    ends, as if FreeCaret were on, so a box can span short rows.
//  - Pasting a box leaves the caret at the box's top left corner.
// Not thread-safe; GUI thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/caret/EditorCaret.h"
#include "core/caret/EditorSelection.h"
#include "core/caret/TextRange.h"

namespace quillet {

// How the caret got where it is, so the view can decide how to scroll.
enum class TCaretMoveKind {
  Edit,        // text changed under the caret
  Horizontal,  // left, right, home, end, word moves
  Vertical,    // up and down: with LockScroll off the view stays
  Page,        // page up and down: the view moved with the caret already
  Jump,        // mouse, undo, search, programmatic
};

// What the engine tells the control that shows it. Every call happens on the
// GUI thread, during the engine operation that causes it.
class TEditorEngineView {
public:
  virtual ~TEditorEngineView() = default;
  virtual bool ViewHasFocus() const = 0;
  // Rows a page key moves (at least 1): the rows the view shows.
  virtual int PageRows() const = 0;
  // The first row the view shows.
  virtual int ViewTopRow() const = 0;
  // The view's top row moves by `rows` along with a page move of the caret.
  virtual void PageScrolled(int rows) = 0;
  virtual void CaretMoved(TCaretMoveKind kind) = 0;
  virtual void SelectionChanged() = 0;
  virtual void TextChanged() = 0;
  virtual void RowsChanged(const TEditorUpdateInfo& info) = 0;
  virtual void Reinitialized() = 0;
  virtual void RedrawChanged(bool on) = 0;
  virtual void CaretShown(bool shown) = 0;
};

// The selected part of one row: bytes [First, Second) and whether the line
// end after the row is selected too.
struct TRowSelection {
  int First = 0;
  int Second = 0;
  bool LineEnd = false;
  bool Any() const { return Second > First || LineEnd; }
  bool operator==(const TRowSelection&) const = default;
};

enum class TCaretCommand {
  Left, Right, Up, Down, Home, End, PageUp, PageDown, TextStart, TextEnd, WordLeft, WordRight,
};

class TEditorEngine : public TEditorClient {
public:
  // Attaches to `store` (which must outlive the engine) as a client.
  explicit TEditorEngine(TEditorScreenStrings& store);
  ~TEditorEngine() override;
  TEditorEngine(const TEditorEngine&) = delete;
  TEditorEngine& operator=(const TEditorEngine&) = delete;

  void SetView(TEditorEngineView* view) noexcept { m_view = view; }
  TEditorScreenStrings& Store() noexcept { return m_store; }
  const TEditorScreenStrings& Store() const noexcept { return m_store; }

  // --- Options -------------------------------------------------------------
  TEditorCaret& Caret() noexcept { return m_caret; }
  const TEditorCaret& Caret() const noexcept { return m_caret; }
  // Re-applies the caret rules after the options changed.
  void CaretOptionsChanged();
  bool ReadOnly() const noexcept { return m_readOnly; }
  void SetReadOnly(bool on) noexcept { m_readOnly = on; }
  bool Overwrite() const noexcept { return m_overwrite; }
  void SetOverwrite(bool on);
  // The tab width, shared with the store's line cutter: 2..8, even.
  int TabSpaceCount() const noexcept { return m_store.TabSpaceCount(); }
  void SetTabSpaceCount(int value);

  // --- Caret (0-based row 0..MaxCaretRow, display column) --------------------
  int Row() const noexcept { return m_row; }
  int Column() const noexcept { return m_column; }
  // The design's setters: the row is clamped and the column adjusted.
  void SetRow(int row);
  void SetColumn(int column);
  void MoveCaret(TCaretCommand command, bool select);
  // Puts the caret at a place the mouse or a caller names; with `select`
  // the selection runs from the old anchor (or caret) to it.
  void MoveCaretTo(int row, int column, bool select, TCaretMoveKind kind = TCaretMoveKind::Jump);
  TTextPoint CaretPoint() const { return PointOfColumn(m_store, m_row, m_column); }

  // --- Selection -----------------------------------------------------------
  TSelectionMode SelectionMode() const noexcept { return m_selection.Mode(); }
  void SetSelectionMode(TSelectionMode mode);
  bool HasSelection() const { return m_selection.HasSelection(m_store, m_row, m_column); }
  TTextRange SelectionRange() const { return m_selection.Range(m_store, m_row, m_column); }
  TBoxRect SelectionBox() const { return m_selection.Box(m_store, m_row, m_column); }
  const TEditorSelection& Selection() const noexcept { return m_selection; }
  void ClearSelection();
  // Selects [anchor, caret) with the caret at `caret`.
  void Select(TTextPoint anchor, TTextPoint caret);
  void SelectAll();
  // Selects the word at the caret (the double click).
  void SelectWord();
  // The selected part of a row (for the painter). O(row) plus the range.
  TRowSelection SelectedBytes(int row) const;
  // Whether the character at a (row, column) cell is selected (for starting
  // a drag).
  bool IsSelected(int row, int column) const;
  // The selected bytes: the range, or the box text (rows ending in CR LF).
  std::string SelectedText() const;

  // --- Editing (false when nothing changed) -----------------------------------
  // Typed or committed text: replaces the selection, or goes in at the caret
  // (overwriting in overwrite mode).
  bool InsertText(std::string_view text);
  // Replaces the selection (or inserts at the caret), never overwriting.
  bool ReplaceSelection(std::string_view text);
  bool DeleteSelection();
  bool Enter(bool shift);
  bool Tab();
  bool BackSpace();
  bool DeleteChar();
  // Box text goes in at the caret column on successive rows.
  bool InsertBoxText(std::string_view text);
  // Moves (or with `copy` copies) the selection to the caret place given by
  // (row, column), as one undo step. False when the target lies inside the
  // selection.
  bool MoveSelectionTo(int row, int column, bool copy);
  bool Undo();
  bool Redo();
  bool CanUndo() const noexcept { return m_store.UndoObj().CanUndo(); }
  bool CanRedo() const noexcept { return m_store.UndoObj().CanRedo(); }
  // Replaces the whole text (no undo step, not modified); caret to the start.
  void SetText(std::string_view text);

  // The search primitive (see EditorSearch.h): from the selection's end
  // (forward) or start (backward), or the caret; selects the hit, caret at
  // its end (forward) or start (backward).
  bool Search(std::string_view text, bool forward, bool matchCase);

  // Whether the text changed since the last SetModified(false).
  bool Modified() const noexcept { return m_modified; }
  void SetModified(bool modified) noexcept { m_modified = modified; }

  // --- TEditorClient -----------------------------------------------------------
  bool HasFocus() const override { return m_view && m_view->ViewHasFocus(); }
  int CaretRow() const override { return m_row; }
  int CaretColumn() const override { return m_column; }
  void SetCaret(int row, int column) override;
  void HideCaret() override;
  void ShowCaret() override;
  void RowsChanged(const TEditorUpdateInfo& info) override;
  void Reinitialize() override;
  void SetRedraw(bool on) override;
  int TopRow() const override { return m_view ? m_view->ViewTopRow() : 0; }
  int ScreenRows() const override { return m_view ? m_view->PageRows() : 0; }

private:
  // Sets the caret with the rules and tells the view.
  void PlaceCaret(int row, int column, TCaretTravel travel, TCaretMoveKind kind);
  void PlaceAtPosition(const TEditorPosition& position);
  // Starts or ends a selection around a caret move.
  void BeforeMove(bool select);
  void AfterEdit();
  bool Replace(const TTextRange& range, std::string_view text, int padding);
  bool DeleteSelectionOnly();
  int RowEnd(int row) const { return CaretRowEnd(m_store, row); }
  void MoveLeft();
  void MoveRight();

  TEditorScreenStrings& m_store;
  TEditorEngineView* m_view = nullptr;
  TEditorCaret m_caret;
  TEditorSelection m_selection;
  int m_row = 0;
  int m_column = 0;
  int m_remembered = -1;
  int m_hideDepth = 0;
  bool m_readOnly = false;
  bool m_overwrite = false;
  bool m_modified = false;
};

}  // namespace quillet
