// Keyboard and mouse of the editor; see EditorController.h.
#include "gui/editor/EditorController.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWheelEvent>
#include <algorithm>

#include "gui/editor/EditorClipboard.h"
#include "gui/editor/HEditor.h"

namespace quillet {
namespace {

// Whether typed text is text and not a control character.
bool IsTypedText(const QString& text) {
  if (text.isEmpty()) return false;
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
  }
  return true;
}

}  // namespace

TEditorController::TEditorController(TEditor& editor) : m_editor(editor) {
  m_scrollTimer.setInterval(50);
  QObject::connect(&m_scrollTimer, &QTimer::timeout, &m_editor, [this] { AutoScroll(); });
}

bool TEditorController::KeyPress(QKeyEvent* event) {
  TEditorEngine& engine = m_editor.Engine();
  const Qt::KeyboardModifiers mods = event->modifiers();
  const bool shift = (mods & Qt::ShiftModifier) != 0;
  const bool ctrl = (mods & Qt::ControlModifier) != 0;
  const bool alt = (mods & Qt::AltModifier) != 0;
  const auto move = [&](TCaretCommand command) { engine.MoveCaret(command, shift); };

  const int key = event->key();
  switch (key) {
    case Qt::Key_Left: move(ctrl ? TCaretCommand::WordLeft : TCaretCommand::Left); return true;
    case Qt::Key_Right: move(ctrl ? TCaretCommand::WordRight : TCaretCommand::Right); return true;
    case Qt::Key_Up:
      if (ctrl) m_editor.SetTopRow(m_editor.TopRow() - 1);
      else move(TCaretCommand::Up);
      return true;
    case Qt::Key_Down:
      if (ctrl) m_editor.SetTopRow(m_editor.TopRow() + 1);
      else move(TCaretCommand::Down);
      return true;
    case Qt::Key_Home: move(ctrl ? TCaretCommand::TextStart : TCaretCommand::Home); return true;
    case Qt::Key_End: move(ctrl ? TCaretCommand::TextEnd : TCaretCommand::End); return true;
    case Qt::Key_PageUp: move(TCaretCommand::PageUp); return true;
    case Qt::Key_PageDown: move(TCaretCommand::PageDown); return true;
    case Qt::Key_Insert:
      if (shift) m_editor.PasteFromClipboard();
      else if (ctrl) m_editor.CopyToClipboard();
      else m_editor.SetOverwrite(!engine.Overwrite());
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!m_editor.WantReturns() || ctrl || alt) return false;
      engine.Enter(shift);
      return true;
    case Qt::Key_Tab:
      if (!m_editor.WantTabs() || ctrl || alt) return false;
      engine.Tab();
      return true;
    case Qt::Key_Backspace:
      if (ctrl || alt) return false;
      engine.BackSpace();
      return true;
    case Qt::Key_Delete:
      if (shift) m_editor.CutToClipboard();
      else engine.DeleteChar();
      return true;
    default: break;
  }
  if (ctrl && !alt) {
    switch (key) {
      case Qt::Key_Z:
        if (shift) m_editor.Redo();
        else m_editor.Undo();
        return true;
      case Qt::Key_Y: m_editor.Redo(); return true;
      case Qt::Key_X: m_editor.CutToClipboard(); return true;
      case Qt::Key_C: m_editor.CopyToClipboard(); return true;
      case Qt::Key_V: m_editor.PasteFromClipboard(); return true;
      case Qt::Key_A: m_editor.SelectAll(); return true;
      default: break;
    }
    // Row marks: Ctrl+Shift+digit puts (or takes off) a mark, Ctrl+digit goes
    // to it. Shifted digits are symbols on most layouts, so the key's own
    // code (the X keysym of the unshifted key) is read as well.
    int digit = -1;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) digit = key - Qt::Key_0;
    else if (event->nativeVirtualKey() >= '0' && event->nativeVirtualKey() <= '9')
      digit = static_cast<int>(event->nativeVirtualKey()) - '0';
    if (digit >= 0) {
      if (shift) {
        const int row = engine.Row();
        if (row < m_editor.Store().Count() && (m_editor.Store().Marks(row) >> digit & 1))
          m_editor.DeleteRowMark(row, digit);
        else
          m_editor.PutRowMark(row, digit);
      } else {
        m_editor.GotoRowMark(digit);
      }
      return true;
    }
    return false;
  }
  // AltGr arrives as Ctrl+Alt on some desktops; its text is typed text.
  const QString text = event->text();
  if (!IsTypedText(text) || (alt && !ctrl)) return false;
  m_editor.InsertUnicode(text);
  return true;
}

QPoint TEditorController::CellAt(QPoint point, bool nearest) const {
  const TEditorLayout& layout = m_editor.Layout();
  const TEditorScreenStrings& store = m_editor.Store();
  const int row = std::clamp(layout.RowAt(point.y(), m_editor.TopRow()), 0, MaxCaretRow(store));
  const int cell = layout.ColumnAt(point.x(), m_editor.TopCol(), false);
  if (!nearest) return {cell, row};
  // The boundary nearest to the point: before a character when the point is
  // on its left half, after it on its right half (a full-width character
  // spans two cells).
  const TTextPoint at = PointOfColumn(store, row, cell);
  if (at.Row != row || row >= store.Count() || at.Byte >= static_cast<int>(store.Get(row).size()))
    return {layout.ColumnAt(point.x(), m_editor.TopCol(), true), row};
  const int start = ColumnOfPoint(store, at);
  const TTextPoint next = NextPoint(store, at);
  const int end = next.Row == row ? ColumnOfPoint(store, next) : CaretRowEnd(store, row);
  const qreal middle = (layout.ColumnX(start, m_editor.TopCol()) + layout.ColumnX(end, m_editor.TopCol())) / 2;
  return {point.x() >= middle ? end : start, row};
}

void TEditorController::SelectRowsTo(int row) {
  TEditorEngine& engine = m_editor.Engine();
  const TEditorScreenStrings& store = m_editor.Store();
  row = std::clamp(row, 0, MaxCaretRow(store));
  const auto rowEnd = [&](int r) {
    return r + 1 < store.Count() ? TTextPoint{r + 1, 0} : TextEndPoint(store);
  };
  if (row >= m_rowAnchor) engine.Select({m_rowAnchor, 0}, rowEnd(row));
  else engine.Select(rowEnd(m_rowAnchor), {row, 0});
}

void TEditorController::MousePress(QMouseEvent* event) {
  TEditorEngine& engine = m_editor.Engine();
  const QPoint pos = event->position().toPoint();
  m_lastMouse = pos;
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  const TEditorArea area = m_editor.Layout().AreaAt(pos);
  if (event->button() == Qt::MiddleButton) {
    // The desktop's selection clipboard, as Linux users paste it.
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard->supportsSelection() || m_editor.ReadOnly()) return;
    const QPoint cell = CellAt(pos, true);
    engine.MoveCaretTo(cell.y(), cell.x(), false);
    m_editor.InsertUnicode(clipboard->text(QClipboard::Selection));
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (area == TEditorArea::Leftbar || area == TEditorArea::Imagebar) {
    if (!engine.Caret().RowSelect) return;
    const int row = std::clamp(m_editor.Layout().RowAt(pos.y(), m_editor.TopRow()), 0, MaxCaretRow(m_editor.Store()));
    if (!shift || !engine.HasSelection()) m_rowAnchor = row;
    SelectRowsTo(row);
    m_state = TMouseState::SelectingRows;
    return;
  }
  if (area != TEditorArea::Text) return;
  const QPoint cell = CellAt(pos, true);
  const QPoint under = CellAt(pos, false);
  if (!shift && engine.Caret().SelMove && m_editor.CanDragSelection() && engine.IsSelected(under.y(), under.x())) {
    if (engine.Caret().SelDragMode == TSelDragMode::dmAutomatic) {
      m_editor.StartSelectionDrag();
      return;
    }
    m_state = TMouseState::DragPending;
    m_pressPos = pos;
    return;
  }
  if (!shift && m_editor.CellClicked(under.y(), under.x(), false)) return;
  engine.MoveCaretTo(cell.y(), cell.x(), shift);
  m_state = TMouseState::Selecting;
}

void TEditorController::MouseMove(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  m_lastMouse = pos;
  UpdateCursor(pos);
  if (m_editor.Layout().AreaAt(pos) == TEditorArea::Text) {
    const QPoint under = CellAt(pos, false);
    m_editor.MouseOverCell(under.y(), under.x(), event->modifiers(), pos);
  } else {
    m_editor.MouseOverCell(-1, -1, event->modifiers(), pos);
  }
  if (!(event->buttons() & Qt::LeftButton)) {
    m_state = TMouseState::Idle;
    return;
  }
  switch (m_state) {
    case TMouseState::Selecting: {
      const QPoint cell = CellAt(pos, true);
      m_editor.Engine().MoveCaretTo(cell.y(), cell.x(), true);
      const QRect text(m_editor.Layout().TextLeft(), m_editor.Layout().TextTop(), m_editor.viewport()->width(),
                       m_editor.viewport()->height());
      if (!text.contains(pos)) {
        if (!m_scrollTimer.isActive()) m_scrollTimer.start();
      } else {
        m_scrollTimer.stop();
      }
      break;
    }
    case TMouseState::SelectingRows:
      SelectRowsTo(m_editor.Layout().RowAt(pos.y(), m_editor.TopRow()));
      break;
    case TMouseState::DragPending:
      if ((pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_state = TMouseState::Idle;
        m_editor.StartSelectionDrag();
      }
      break;
    case TMouseState::Idle: break;
  }
}

void TEditorController::MouseRelease(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (m_state == TMouseState::DragPending) {
    // Pressed inside the selection without dragging: a plain click.
    const QPoint cell = CellAt(pos, true);
    m_editor.Engine().MoveCaretTo(cell.y(), cell.x(), false);
  }
  m_state = TMouseState::Idle;
  m_scrollTimer.stop();
  QClipboard* clipboard = QApplication::clipboard();
  if (clipboard->supportsSelection() && m_editor.Selected())
    clipboard->setText(BytesToPlainText(m_editor.SelText()), QClipboard::Selection);
}

void TEditorController::MouseDoubleClick(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const QPoint pos = event->position().toPoint();
  if (m_editor.Layout().AreaAt(pos) != TEditorArea::Text) return;
  const QPoint under = CellAt(pos, false);
  if (m_editor.CellClicked(under.y(), under.x(), true)) return;
  const QPoint cell = CellAt(pos, false);
  TEditorEngine& engine = m_editor.Engine();
  engine.MoveCaretTo(cell.y(), cell.x(), false);
  engine.SelectWord();
  m_state = TMouseState::Idle;
}

void TEditorController::Wheel(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  const int lines = QApplication::wheelScrollLines();
  if (delta.y() != 0) m_editor.SetTopRow(m_editor.TopRow() - delta.y() * lines / 120);
  if (delta.x() != 0) m_editor.SetTopCol(m_editor.TopCol() - delta.x() * lines / 120);
  event->accept();
}

void TEditorController::AutoScroll() {
  // The cell under a mouse outside the text lies one row or column beyond
  // the view; bringing the caret there scrolls by one.
  const QPoint cell = CellAt(m_lastMouse, true);
  m_editor.Engine().MoveCaretTo(cell.y(), cell.x(), true);
}

void TEditorController::UpdateCursor(QPoint point) {
  const TEditorCursors& cursors = m_editor.Cursors();
  QWidget* viewport = m_editor.viewport();
  if (!m_editor.Caret().AutoCursor) {
    viewport->setCursor(cursors.DefaultCursor);
    return;
  }
  switch (m_editor.Layout().AreaAt(point)) {
    case TEditorArea::Leftbar:
    case TEditorArea::Imagebar: viewport->setCursor(cursors.LeftMarginCursor); return;
    case TEditorArea::Ruler:
    case TEditorArea::TopMargin: viewport->setCursor(cursors.TopMarginCursor); return;
    case TEditorArea::Text: break;
  }
  const QPoint under = CellAt(point, false);
  const TEditorEngine& engine = m_editor.Engine();
  if (engine.Caret().SelMove && m_editor.CanDragSelection() && engine.IsSelected(under.y(), under.x()))
    viewport->setCursor(cursors.InSelCursor);
  else
    viewport->setCursor(cursors.DefaultCursor);
}

}  // namespace quillet
