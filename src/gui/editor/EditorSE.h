// TEditorSE: the diary's main editor (MainEdit): drag and drop, plus marks
// for blanks (half-width space, full-width space, tab), the window-edge wrap
// fit (AutoWrap) and clickable addresses.
//
// Addresses are the web and mail tokens of the highlighter's row parser
// (core/editor/EditorFountain.h). Moving the mouse onto an address fires EnterURL, off it
// ExitURL (OnEnterURL / OnExitURL: the main window shows the address and its
// pop-up menu), and the mouse cursor becomes a pointing hand. With
// ClickableURL a click on an address (a double click, or a single click with
// ClickableType SingleClick) is reported through LinkClicked when
// OwnerClickable is set (the diary's choice: the main window opens it with
// the configured program), else the control opens it itself.
//
// SelTokenDblClick: a double click selects the highlighter's token under the
// mouse (a whole address, a quoted string) instead of a word.
//
// AutoWrap: when the control is resized, its metrics change, or FitWrap is
// called (the find and replace dialogs call it after replacing), the wrap
// column becomes the number of columns that fit the window (AutoWrapFit.h).
// GUI thread.
#pragma once

#include <optional>

#include "gui/editor/OleddEditor.h"

namespace quillet {

class TEditorSE : public TOleddEditor {
  Q_OBJECT

public:
  explicit TEditorSE(QWidget* parent = nullptr, std::shared_ptr<TEditorScreenStrings> store = nullptr);

  const TSEMarks& SEMarks() const { return m_seMarks; }
  void SetSEMarks(const TSEMarks& marks);
  const TSEProperty& SEProperty() const { return m_seProperty; }
  void SetSEProperty(const TSEProperty& property);
  const TSEMarks* BlankMarks() const override { return &m_seMarks; }

  // Sets the wrap column to what fits the window when AutoWrap is on.
  void FitWrap();
  // The address under the mouse, if any.
  const std::optional<TFountainLink>& LinkUnderMouse() const { return m_link; }

signals:
  void EnterURL(Qt::KeyboardModifiers shift, int x, int y);
  void ExitURL(Qt::KeyboardModifiers shift, int x, int y);
  void LinkClicked(const QString& text, bool mail);

protected:
  void Relayout() override;
  void MouseOverCell(int row, int column, Qt::KeyboardModifiers modifiers, QPoint pos) override;
  bool CellClicked(int row, int column, bool doubleClick) override;

private:
  std::optional<TFountainLink> LinkAtCell(int row, int column) const;
  // SelTokenDblClick: selects the highlighter's token under a cell.
  bool SelectTokenAt(int row, int column);

  TSEMarks m_seMarks;
  TSEProperty m_seProperty;
  std::optional<TFountainLink> m_link;
};

}  // namespace quillet
