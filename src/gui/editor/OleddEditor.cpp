// Drag and drop of the editor control; see OleddEditor.h.
#include "gui/editor/OleddEditor.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

#include "gui/editor/EditorClipboard.h"

namespace quillet {

TOleddEditor::TOleddEditor(QWidget* parent, std::shared_ptr<TEditorScreenStrings> store)
    : TEditor(parent, std::move(store)) {
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
}

void TOleddEditor::StartSelectionDrag() {
  if (!Selected()) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(MakeEditorMimeData(SelText(), SelectionMode() == TSelectionMode::smBox));
  m_dragging = true;
  m_droppedInside = false;
  const Qt::DropAction action = drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
  m_dragging = false;
  SetDropCaret({-1, -1});
  // Moved into another program: the text leaves this one.
  if (!m_droppedInside && action == Qt::MoveAction && !ReadOnly()) Engine().DeleteSelection();
}

QStringList TOleddEditor::DroppedFiles(const QMimeData* mime) const {
  QStringList files;
  if (!OnDropFiles || !mime || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

bool TOleddEditor::AcceptsText(const QMimeData* mime) const {
  if (!mime || ReadOnly() || !(mime->hasText() || mime->hasFormat(kBoxMimeType))) return false;
  // Files carry their names as text too; those are the main window's.
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) return false;
  }
  return true;
}

Qt::DropAction TOleddEditor::ActionFor(const QDropEvent* event) const {
  const bool ours = m_dragging && event->source() == this;
  if (!ours) return Qt::CopyAction;
  return (event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
}

void TOleddEditor::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFiles(event->mimeData()).isEmpty() || AcceptsText(event->mimeData())) {
    event->setDropAction(ActionFor(event));
    event->accept();
  } else {
    event->ignore();
  }
}

void TOleddEditor::dragMoveEvent(QDragMoveEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (!DroppedFiles(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
    return;
  }
  if (!AcceptsText(event->mimeData())) {
    event->ignore();
    return;
  }
  // Near the top or bottom edge the view scrolls toward the hidden rows.
  const TEditorLayout& layout = Layout();
  if (pos.y() < layout.TextTop() + layout.RowHeight() / 2) SetTopRow(TopRow() - 1);
  else if (pos.y() > viewport()->height() - layout.RowHeight() / 2) SetTopRow(TopRow() + 1);
  const QPoint cell = CellAt(pos, true);
  const bool ours = m_dragging && event->source() == this;
  if (ours && Engine().IsSelected(cell.y(), CellAt(pos, false).x()) &&
      !(event->modifiers() & Qt::ControlModifier)) {
    SetDropCaret({-1, -1});
    event->ignore();
    return;
  }
  SetDropCaret(cell);
  event->setDropAction(ActionFor(event));
  event->accept();
}

void TOleddEditor::dragLeaveEvent(QDragLeaveEvent* event) {
  SetDropCaret({-1, -1});
  event->accept();
}

void TOleddEditor::dropEvent(QDropEvent* event) {
  SetDropCaret({-1, -1});
  const QStringList files = DroppedFiles(event->mimeData());
  if (!files.isEmpty()) {
    OnDropFiles(*this, files, event->modifiers());
    event->acceptProposedAction();
    return;
  }
  if (!AcceptsText(event->mimeData())) {
    event->ignore();
    return;
  }
  const QPoint cell = CellAt(event->position().toPoint(), true);
  const Qt::DropAction action = ActionFor(event);
  if (m_dragging && event->source() == this) {
    m_droppedInside = true;
    Engine().MoveSelectionTo(cell.y(), cell.x(), action == Qt::CopyAction);
    event->setDropAction(action);
    event->accept();
    return;
  }
  const TDroppedText text = ReadEditorMimeData(event->mimeData());
  if (!text.Refused.isEmpty()) {
    Refuse(text.Refused);
    event->ignore();
    return;
  }
  Engine().MoveCaretTo(cell.y(), cell.x(), false);
  if (text.Box) Engine().InsertBoxText(text.Bytes);
  else Engine().ReplaceSelection(text.Bytes);
  setFocus(Qt::OtherFocusReason);
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

}  // namespace quillet
