// TEditor: the diary's text editor control, a Qt widget over the shared row
// store. It shows rows from its top row with a line-number bar, an image bar
// of row marks and a ruler, keeps a caret and a selection (TEditorEngine),
// and turns keys, mouse and input-method events into engine calls
// (TEditorController). Painting lives in TEditorPainter, geometry in
// TEditorLayout. TOleddEditor adds drag and drop, TEditorSE the blank marks,
// the window-edge wrap fit and clickable addresses.
//
// Text is code page 932 bytes throughout; Unicode appears only here, at the
// edge: painting, input methods, the clipboard. Input that the code page
// cannot hold is refused whole and reported through InputRefused with a
// message for the status bar; nothing is inserted and nothing is lost.
//
// Repainting follows the store's update info: a change that keeps the row
// count repaints only its rows and those the highlighter re-parsed; one that
// adds or removes rows repaints from its first (or first re-parsed) row
// down. A caret move repaints the old and the new caret rows (for the
// underline), the line-number bar rows and the ruler.
//
// Scrolling: the vertical bar counts rows (the top row), the horizontal one
// columns. LockScroll on: every caret move brings the caret into view; off:
// moves between rows (Up, Down) leave the view where it is, and the view
// catches up at the next edit or horizontal move. Page keys move the view
// and the caret by the same number of rows.
//
// Input methods: the pre-edit (the text being composed) stands at the caret
// on the column grid, each character over the columns it will take once
// committed, and pushes the rest of the caret row to the right; nothing is
// in the text until the input method commits. While composing, the view
// follows the pre-edit's cursor as it follows the caret, so the candidate
// window (placed at ImCursorRectangle) opens beside it. With wrapping the
// scroll bar ends at the wrap column, but a pre-edit at the right edge
// reaches past it: the view then goes further than the bar for as long as
// the composition lasts.
// GUI thread only.
#pragma once

#include <QAbstractScrollArea>
#include <QInputMethodEvent>
#include <QList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/caret/EditorEngine.h"
#include "core/editor/EditorStrings.h"
#include "gui/editor/EditorLayout.h"
#include "gui/editor/EditorProperties.h"
#include "gui/editor/EditorTokens.h"

namespace quillet {

class TEditorController;
class TEditorPainter;

class TEditor : public QAbstractScrollArea, protected TEditorEngineView {
  Q_OBJECT

public:
  // Shares `store` when given (its first editor owns it), else makes one.
  explicit TEditor(QWidget* parent = nullptr, std::shared_ptr<TEditorScreenStrings> store = nullptr);
  ~TEditor() override;

  // --- The text -------------------------------------------------------------------
  TEditorStrings& Lines() { return m_lines; }
  TEditorScreenStrings& Store() { return *m_store; }
  const TEditorScreenStrings& Store() const { return *m_store; }
  std::shared_ptr<TEditorScreenStrings> SharedStore() const { return m_store; }
  TEditorEngine& Engine() { return m_engine; }
  const TEditorEngine& Engine() const { return m_engine; }
  // Replaces the text: no undo step, not modified, caret and view to the top.
  void SetText(const std::string& bytes);
  bool Modified() const { return m_engine.Modified(); }
  void SetModified(bool modified);

  // --- Options -------------------------------------------------------------------
  const TEditorCaret& Caret() const { return m_engine.Caret(); }
  void SetCaret(const TEditorCaret& caret);
  int TabSpaceCount() const { return m_engine.TabSpaceCount(); }
  void SetTabSpaceCount(int value);
  bool WordWrap() const { return m_store->WordWrap(); }
  void SetWordWrap(bool on);
  TEditorWrapOption& WrapOption() { return m_store->WrapOption(); }
  int UndoListMax() const { return m_store->UndoObj().UndoListMax(); }
  void SetUndoListMax(int value) { m_store->UndoObj().SetUndoListMax(value); }
  bool ReadOnly() const { return m_engine.ReadOnly(); }
  void SetReadOnly(bool on);
  bool Overwrite() const { return m_engine.Overwrite(); }
  void SetOverwrite(bool on);
  bool WantReturns() const { return m_wantReturns; }
  void SetWantReturns(bool on) { m_wantReturns = on; }
  bool WantTabs() const { return m_wantTabs; }
  void SetWantTabs(bool on) { m_wantTabs = on; }
  THitStyle HitStyle() const { return m_hitStyle; }
  void SetHitStyle(THitStyle style) { m_hitStyle = style; }
  // Scroll bars shown (as needed for the horizontal one when wrapping).
  void SetScrollBars(bool horizontal, bool vertical);

  const TEditorMarks& Marks() const { return m_marks; }
  void SetMarks(const TEditorMarks& marks);
  const TEditorMargin& Margin() const { return m_margin; }
  void SetMargin(const TEditorMargin& margin);
  const TEditorLeftbar& Leftbar() const { return m_leftbar; }
  void SetLeftbar(const TEditorLeftbar& leftbar);
  const TEditorRuler& Ruler() const { return m_ruler; }
  void SetRuler(const TEditorRuler& ruler);
  const TEditorImagebar& Imagebar() const { return m_imagebar; }
  void SetImagebar(const TEditorImagebar& imagebar);
  const TEditorSpeed& Speed() const { return m_speed; }
  void SetSpeed(const TEditorSpeed& speed) { m_speed = speed; }
  const TEditorCursors& Cursors() const { return m_cursors; }
  void SetCursors(const TEditorCursors& cursors) { m_cursors = cursors; }
  const TEditorTextColors& TextColors() const { return m_colors; }
  void SetTextColors(const TEditorTextColors& colors);
  // The highlighter's row parser; not owned (null: plain colours).
  void SetRowParser(TFountainRowParser* parser);
  TFountainRowParser* RowParser() const { return m_parser; }
  // The look of each token style.
  const TTokenLooks& TokenLooks() const { return m_looks; }
  void SetTokenLooks(const TTokenLooks& looks);
  // TEditorSE's blank marks (none here).
  virtual const TSEMarks* BlankMarks() const { return nullptr; }

  // --- Caret and view -----------------------------------------------------------------
  int Row() const { return m_engine.Row(); }
  int Col() const { return m_engine.Column(); }
  void SetRow(int row);
  void SetCol(int column);
  void SetRowCol(int row, int column);
  int TopRow() const { return m_topRow; }
  void SetTopRow(int row);
  int TopCol() const { return m_topCol; }
  void SetTopCol(int column);
  // Scrolls so the caret is visible; while composing, the pre-edit's cursor
  // and as much of the pre-edit around it as fits.
  void ScrollCaret();
  const TEditorLayout& Layout() const { return m_layout; }
  // The caret's rectangle in viewport pixels.
  QRect CaretRect() const;
  // The cell under a viewport point, clamped to the text: x the column, y
  // the row. With `nearest` the character boundary closest to the point
  // (where a click puts the caret), else the cell holding it.
  QPoint CellAt(QPoint point, bool nearest) const;

  // --- Commands -------------------------------------------------------------------------
  void Undo();
  void Redo();
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  void SelectAll();
  TSelectionMode SelectionMode() const { return m_engine.SelectionMode(); }
  void SetSelectionMode(TSelectionMode mode);
  bool Selected() const { return m_engine.HasSelection(); }
  std::string SelText() const { return m_engine.SelectedText(); }
  // Replaces the selection (or inserts at the caret) as one undo step.
  void SetSelText(const std::string& bytes);
  // Unicode input (typed, committed, dropped): refused whole with a message
  // when code page 932 cannot hold it. False when refused or read-only.
  bool InsertUnicode(const QString& text);
  bool Search(const std::string& text, bool forward, bool matchCase);
  // Row marks 0..15 (0..9 unique), shown on the image bar.
  void PutRowMark(int row, int mark);
  void DeleteRowMark(int row, int mark);
  bool GotoRowMark(int mark);

  // --- Input method state (read by the painter) ----------------------------------------------
  const QString& PreeditText() const { return m_preedit; }
  int PreeditCursor() const { return m_preeditCursor; }
  // False when the input method hides its cursor (while converting).
  bool PreeditCursorShown() const { return m_preeditCursorShown; }
  // Columns the pre-edit takes from its start to UTF-16 position `index`.
  int PreeditColumns(int index) const;
  const QList<QInputMethodEvent::Attribute>& PreeditAttributes() const { return m_preeditAttributes; }
  bool CaretVisibleNow() const;
  // Ends a composition in progress as typed text, in this editor's text: the
  // input method is asked to commit, and what it leaves composing goes in
  // here as one undo step. Called before the text is taken away (a change of
  // day), so a composition never lands in other text.
  void CommitPreedit();
  // Where a drag would drop: x the column, y the row; y -1 when none.
  QPoint DropCaret() const { return m_dropCaret; }

  // Called for every painted row: the row's text, its top left corner, its
  // index and whether any of it is selected.
  std::function<void(TEditor& editor, const QString& line, int x, int y, int index, bool selected)> OnDrawLine;

  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
  void CaretMoved();
  void Changed();
  void SelectionChanged(bool selected);
  void SelectionModeChanged();
  void TopColChanged();
  void TopRowChanged();
  void OverwriteChanged(bool overwrite);
  // Input was refused; the message is for the status bar.
  void InputRefused(const QString& message);

protected:
  bool event(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void changeEvent(QEvent* event) override;

  // Measures again after a font or property change, then lays out.
  void MetricsChanged();
  // Lays out for the current size and metrics; TEditorSE adds the
  // window-edge wrap fit.
  virtual void Relayout();
  // Drag and drop of the selection (TOleddEditor): whether a press inside
  // the selection may start a drag, and the drag itself.
  virtual bool CanDragSelection() const { return false; }
  virtual void StartSelectionDrag() {}
  // Hooks of TEditorSE for addresses under the mouse.
  virtual void MouseOverCell(int /*row*/, int /*column*/, Qt::KeyboardModifiers /*modifiers*/, QPoint /*pos*/) {}
  // A click on a cell; true when a subclass took it (an address).
  virtual bool CellClicked(int /*row*/, int /*column*/, bool /*doubleClick*/) { return false; }
  void SetDropCaret(QPoint rowColumn);
  void RepaintRows(int first, int last);
  void UpdateScrollRanges();
  // Shows a refusal message (emits InputRefused).
  void Refuse(const QString& character);

  // TEditorEngineView
  bool ViewHasFocus() const override { return hasFocus(); }
  int PageRows() const override;
  int ViewTopRow() const override { return m_topRow; }
  void PageScrolled(int rows) override;
  void CaretMoved(TCaretMoveKind kind) override;
  void SelectionChanged() override;
  void TextChanged() override;
  void RowsChanged(const TEditorUpdateInfo& info) override;
  void Reinitialized() override;
  void RedrawChanged(bool on) override;
  void CaretShown(bool shown) override;

private:
  friend class TEditorController;
  friend class TEditorPainter;

  void ScrollTo(int topRow, int topCol);
  // The left column without the scroll bar (past its end while composing).
  void SetLeftColumn(int column);
  // Takes the input method's pre-edit and measures its columns.
  void SetPreedit(const QString& text, const QList<QInputMethodEvent::Attribute>& attributes);
  // Forgets the pre-edit; a view gone past the scroll bar comes back.
  void ClearPreedit();
  // Digits of the largest number the line-number bar shows for the text.
  int NumberDigits() const;
  // Widens or narrows the line-number bar to NumberDigits, laying out
  // again when it changed. Deferred to the event loop: it is asked for from
  // the store's change reports, and a new layout may cut the rows anew.
  void UpdateNumberWidthLater();
  void RestartBlink();
  void RepaintCaretArea(int row);

  std::shared_ptr<TEditorScreenStrings> m_store;
  TEditorStrings m_lines;
  TEditorEngine m_engine;
  TEditorLayout m_layout;
  std::unique_ptr<TEditorPainter> m_painter;
  std::unique_ptr<TEditorController> m_controller;
  TFountainRowParser* m_parser = nullptr;
  TTokenLooks m_looks;

  TEditorMarks m_marks;
  TEditorMargin m_margin;
  TEditorLeftbar m_leftbar;
  TEditorRuler m_ruler;
  TEditorImagebar m_imagebar;
  TEditorSpeed m_speed;
  TEditorCursors m_cursors;
  TEditorTextColors m_colors;
  THitStyle m_hitStyle = THitStyle::hsSelect;
  bool m_wantReturns = true;
  bool m_wantTabs = true;

  int m_topRow = 0;
  int m_topCol = 0;
  int m_shownRow = 0;  // caret row last painted (its underline)
  int m_shownCol = 0;
  bool m_caretShown = true;
  bool m_blinkOn = true;
  bool m_selected = false;
  bool m_redraw = true;
  bool m_numberWidthPending = false;
  QTimer m_blink;
  QString m_preedit;
  int m_preeditCursor = 0;
  bool m_preeditCursorShown = true;
  std::vector<int> m_preeditColumns{0};  // by UTF-16 position, from the pre-edit's start
  QList<QInputMethodEvent::Attribute> m_preeditAttributes;
  QPoint m_dropCaret{-1, -1};
};

}  // namespace quillet
