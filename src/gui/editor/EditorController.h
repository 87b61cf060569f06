// TEditorController: turns an editor's keyboard and mouse events into engine
// calls and view changes.
//
// Keys: arrows (Ctrl: by words; Ctrl+Up/Down scroll one row), Home/End
// (Ctrl: text start and end), PageUp/PageDown, Shift with any of them
// selects; Insert toggles overwrite; Enter and Shift+Enter, Tab, Backspace,
// Delete; Ctrl+Z, Ctrl+Y (and Ctrl+Shift+Z) undo and redo; Ctrl+X, Ctrl+C,
// Ctrl+V, Shift+Delete, Ctrl+Insert, Shift+Insert the clipboard; Ctrl+A
// select all; Ctrl+Shift+0..9 puts row mark 0..9 on the caret row (again:
// takes it off) and Ctrl+0..9 goes to it. Other text goes in through the
// refusal rule (TEditor::InsertUnicode).
//
// Mouse: a click puts the caret at the nearest cell boundary (Shift: extends
// the selection), a drag selects (scrolling when the mouse leaves the text),
// a double click selects the word. With RowSelect a click in the line-number
// or image bar selects the row (from its start to the next row's start, its
// line end included) and a drag there selects whole rows. A press inside the
// selection with SelMove starts a drag of the selection once the mouse moved
// far enough (TOleddEditor; at once with SelDragMode dmAutomatic); a release
// without moving puts the caret there.
// The wheel scrolls by the desktop's rows per notch without moving the
// caret. The mouse cursor follows the area under it (AutoCursor).
// GUI thread.
#pragma once

#include <QPoint>
#include <QTimer>

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace quillet {

class TEditor;

class TEditorController {
public:
  explicit TEditorController(TEditor& editor);

  // True when the key was taken.
  bool KeyPress(QKeyEvent* event);
  void MousePress(QMouseEvent* event);
  void MouseMove(QMouseEvent* event);
  void MouseRelease(QMouseEvent* event);
  void MouseDoubleClick(QMouseEvent* event);
  void Wheel(QWheelEvent* event);
  // The mouse cursor for a viewport point (AutoCursor).
  void UpdateCursor(QPoint point);
  // See TEditor::CellAt.
  QPoint CellAt(QPoint point, bool nearest) const;

private:
  enum class TMouseState { Idle, Selecting, SelectingRows, DragPending };

  void SelectRowsTo(int row);
  void AutoScroll();

  TEditor& m_editor;
  TMouseState m_state = TMouseState::Idle;
  QPoint m_pressPos;
  QPoint m_lastMouse;
  int m_rowAnchor = 0;  // first row of a row selection
  QTimer m_scrollTimer;
};

}  // namespace quillet
