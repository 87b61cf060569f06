// TMainEditor: the main window's editor port (TMainEditorPort) over the
// diary's editor control TEditorSE. The port's text crosses as code page 932
// bytes, as the control keeps it, so nothing is converted here; refused
// input reaches the main window's status bar through StatusMessage.
//
// It owns the control's highlighter (TEditorFountain), the row parser of
// the control's store: the settings set what it recognises and its colours,
// and the control paints with the looks made from them. The control reports
// addresses (OwnerClickable), and the port passes them on to the window.
// GUI thread.
#pragma once

#include <QPointer>
#include <memory>

#include "core/editor/EditorFountain.h"
#include "gui/app/MainEditorPort.h"

namespace quillet {

class TEditorSE;

class TMainEditor : public TMainEditorPort {
  Q_OBJECT

public:
  // The control is a child of `parent` (the main window's editor area).
  explicit TMainEditor(QWidget* parent);
  ~TMainEditor() override;

  TEditorSE& Control();
  TEditorFountain& Fountain() { return m_fountain; }

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
  void LoadReserveWords(const std::string& optionFolder) override;

private:
  void ReportModified();
  // The control's token looks and selection colours from the fountain.
  void ApplyLooks();

  // The control is a child of the window's editor area and may go before
  // or after the port; the store stays while the highlighter parses it.
  QPointer<TEditorSE> m_editor;
  std::shared_ptr<TEditorScreenStrings> m_store;
  TEditorFountain m_fountain;
  bool m_reported = false;  // the modified state ModifiedChanged last told
};

}  // namespace quillet
