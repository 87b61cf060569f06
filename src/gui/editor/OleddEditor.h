// TOleddEditor: the editor control with drag and drop of text.
//
// The selection can be dragged (SelMove): dropped in the same control it is
// moved, or copied with Ctrl held, as one undo step for a normal selection
// (a box is taken out and put in again: two steps); dropped in another
// program it is copied there, and moved when that program asks for a move.
// Text dragged in from outside goes in at the drop point through the
// refusal rule of the control (code page 932 or nothing). While dragging, a
// dotted caret shows where the text would land and the view scrolls near its
// top and bottom edges.
//
// Files dropped on the control go to OnDropFiles when it is set; when it is
// not, the control leaves them to its parent (the main window opens them).
// GUI thread.
#pragma once

#include <QStringList>
#include <functional>

#include "gui/editor/HEditor.h"

namespace quillet {

class TOleddEditor : public TEditor {
  Q_OBJECT

public:
  explicit TOleddEditor(QWidget* parent = nullptr, std::shared_ptr<TEditorScreenStrings> store = nullptr);

  // Sender, the local files dropped, and the keys held (KeyState).
  std::function<void(TOleddEditor& sender, const QStringList& files, Qt::KeyboardModifiers keyState)> OnDropFiles;

protected:
  bool CanDragSelection() const override { return true; }
  void StartSelectionDrag() override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  // Files for OnDropFiles, or nothing.
  QStringList DroppedFiles(const QMimeData* mime) const;
  bool AcceptsText(const QMimeData* mime) const;
  Qt::DropAction ActionFor(const QDropEvent* event) const;

  bool m_dragging = false;      // our own selection is being dragged
  bool m_droppedInside = false; // and it landed in this control
};

}  // namespace quillet
