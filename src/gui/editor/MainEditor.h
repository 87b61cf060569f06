// TMainEditor: the main window's editor port (TMainEditorPort) over the
// diary's editor control TEditorSE. The port's text crosses as code page 932
// bytes, as the control keeps it, so nothing is converted here; refused
// input reaches the main window's status bar through StatusMessage.
// GUI thread.
#pragma once

#include "gui/app/MainEditorPort.h"

namespace quillet {

class TEditorSE;

class TMainEditor : public TMainEditorPort {
  Q_OBJECT

public:
  // The control is a child of `parent` (the main window's editor area).
  explicit TMainEditor(QWidget* parent);

  TEditorSE& Control() { return *m_editor; }

  QWidget* Widget() override;
  std::string Text() const override;
  void SetText(const std::string& text) override;
  bool IsEmpty() const override;
  bool Modified() const override;
  void SetModified(bool modified) override;
  void GoToStart() override;
  bool HasFocus() const override;
  void CommitComposition() override;
  std::string SelectedText() const override;
  void ReplaceSelection(const std::string& text) override;
  void Undo() override;
  void Redo() override;
  void Cut() override;
  void Copy() override;
  void Paste() override;
  void SelectAll() override;
  void SetBoxSelection(bool on) override;
  bool Search(const std::string& text, bool forward, bool matchCase) override;
  int CaretRow() const override;
  int CaretColumn() const override;
  bool RowsFromZero() const override;
  void GoToEnd() override;
  std::optional<int> ReplaceAll(const std::string& pattern, const std::string& replacement,
                                bool matchCase) override;
  void FitWrap() override;
  bool ReadOnly() const override;
  void SetReadOnly(bool readOnly) override;
  void SetWrapMode(TWrapMode mode, int wrapByte) override;
  void SetEditorFont(const TFontSpec& font) override;
  void LoadSettings(const THIniFile& ini) override;

private:
  void ReportModified();

  TEditorSE* m_editor;
  bool m_reported = false;  // the modified state ModifiedChanged last told
};

}  // namespace quillet
