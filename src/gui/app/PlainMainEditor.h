// A stand-in editor for the main window until the diary's own editor control
// takes its place: a plain text box behind the editor port. It keeps the text
// in Unicode and converts at the port, refusing nothing; the real control
// works on code page 932 bytes and refuses what the code page cannot hold.
#pragma once

#include "gui/app/MainEditorPort.h"

class QPlainTextEdit;

namespace quillet {

class TPlainMainEditor : public TMainEditorPort {
  Q_OBJECT

public:
  explicit TPlainMainEditor(QWidget* parent);

  QWidget* Widget() override;
  std::string Text() const override;
  void SetText(const std::string& text) override;
  bool IsEmpty() const override;
  bool Modified() const override;
  void SetModified(bool modified) override;
  void GoToStart() override;
  bool HasFocus() const override;
  std::string SelectedText() const override;
  void ReplaceSelection(const std::string& text) override;
  void Undo() override;
  void Redo() override;
  void Cut() override;
  void Copy() override;
  void Paste() override;
  void SelectAll() override;
  void SetBoxSelection(bool) override {}
  void SetReadOnly(bool readOnly) override;
  void SetWrapMode(int mode, int wrapByte) override;
  void SetEditorFont(const TFontSpec& font) override;

private:
  QPlainTextEdit* m_edit;
};

}  // namespace quillet
