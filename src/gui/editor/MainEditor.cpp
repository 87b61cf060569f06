// The main window's editor port over TEditorSE; see MainEditor.h.
#include "gui/editor/MainEditor.h"

#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/caret/EditorReplace.h"
#include "core/editor/EditorScreenStrings.h"
#include "core/editor/FountainSettings.h"
#include "gui/editor/EditorColors.h"
#include "gui/editor/EditorSE.h"
#include "gui/editor/EditorSettings.h"
#include "gui/editor/EditorTokens.h"

namespace quillet {

TMainEditor::TMainEditor(QWidget* parent) : TMainEditorPort(parent), m_editor(new TEditorSE(parent)) {
  m_editor->setObjectName("MainEdit");
  connect(m_editor, &TEditor::Changed, this, &TMainEditor::ReportModified);
  connect(m_editor, &TEditor::InputRefused, this, &TMainEditorPort::StatusMessage);

  m_store = m_editor->SharedStore();
  m_fountain.Attach(m_store.get());
  m_editor->SetRowParser(&m_fountain);
  m_fountain.SetOnChange([this] { ApplyLooks(); });
  ApplyLooks();
  connect(m_editor, &TEditorSE::EnterURL, this, [this] {
    if (m_editor->LinkUnderMouse()) emit LinkEntered(m_editor->LinkUnderMouse()->Text);
  });
  connect(m_editor, &TEditorSE::ExitURL, this, &TMainEditorPort::LinkLeft);
  connect(m_editor, &TEditorSE::LinkClicked, this, [this](const QString& text, bool mail) {
    std::string bytes;
    FromUtf16(text.toStdU16String(), bytes);  // an address is code page 932 text already
    emit LinkClicked(bytes, mail);
  });
}

TMainEditor::~TMainEditor() {
  if (m_editor) m_editor->SetRowParser(nullptr);
  m_fountain.Attach(nullptr);
}

TEditorSE& TMainEditor::Control() { return *m_editor; }

void TMainEditor::ApplyLooks() {
  if (!m_editor) return;
  const QPalette palette = m_editor->palette();
  m_editor->SetTokenLooks(MakeTokenLooks(m_fountain, palette));
  // Selected text: the Select item, the palette's highlight where it has
  // no colour of its own.
  TEditorTextColors colors = m_editor->TextColors();
  const TEditorColor& select = m_fountain.Colors().Select();
  const QColor text = ToQColor(select.Color(), palette);
  const QColor back = ToQColor(select.BkColor(), palette);
  colors.SelText = text.isValid() ? text : palette.color(QPalette::HighlightedText);
  colors.SelBack = back.isValid() ? back : palette.color(QPalette::Highlight);
  m_editor->SetTextColors(colors);
}

QWidget* TMainEditor::Widget() { return m_editor; }
std::string TMainEditor::Text() const { return m_editor->Store().Text(); }

void TMainEditor::SetText(const std::string& text) {
  m_editor->SetText(text);
  m_reported = false;
}

bool TMainEditor::IsEmpty() const { return m_editor->Store().Count() == 0; }
bool TMainEditor::Modified() const { return m_editor->Modified(); }

void TMainEditor::SetModified(bool modified) {
  m_editor->SetModified(modified);
  ReportModified();
}

void TMainEditor::ReportModified() {
  const bool modified = m_editor->Modified();
  if (modified == m_reported) return;
  m_reported = modified;
  emit ModifiedChanged(modified);
}

void TMainEditor::GoToStart() {
  m_editor->SetRowCol(0, 0);
  m_editor->SetTopRow(0);
  m_editor->SetTopCol(0);
}

bool TMainEditor::HasFocus() const { return m_editor->hasFocus(); }
void TMainEditor::CommitComposition() { m_editor->CommitPreedit(); }
std::string TMainEditor::SelectedText() const { return m_editor->SelText(); }
void TMainEditor::ReplaceSelection(const std::string& text) { m_editor->SetSelText(text); }
void TMainEditor::Undo() { m_editor->Undo(); }
void TMainEditor::Redo() { m_editor->Redo(); }
void TMainEditor::Cut() { m_editor->CutToClipboard(); }
void TMainEditor::Copy() { m_editor->CopyToClipboard(); }
void TMainEditor::Paste() { m_editor->PasteFromClipboard(); }
void TMainEditor::SelectAll() { m_editor->SelectAll(); }

void TMainEditor::SetBoxSelection(bool on) {
  m_editor->SetSelectionMode(on ? TSelectionMode::smBox : TSelectionMode::smNormal);
}

bool TMainEditor::Search(const std::string& text, bool forward, bool matchCase) {
  return m_editor->Search(text, forward, matchCase);
}
int TMainEditor::CaretRow() const { return m_editor->Row(); }
int TMainEditor::CaretColumn() const { return m_editor->Col(); }
bool TMainEditor::RowsFromZero() const { return m_editor->Leftbar().ZeroBase; }
void TMainEditor::GoToEnd() { m_editor->Engine().MoveCaret(TCaretCommand::TextEnd, false); }

std::optional<int> TMainEditor::ReplaceAll(const std::string& pattern, const std::string& replacement,
                                           bool matchCase) {
  return ReplaceAllText(m_editor->Engine(), pattern, replacement, matchCase);
}

void TMainEditor::FitWrap() { m_editor->FitWrap(); }
bool TMainEditor::ReadOnly() const { return m_editor->ReadOnly(); }
void TMainEditor::SetReadOnly(bool readOnly) { m_editor->SetReadOnly(readOnly); }

void TMainEditor::SetWrapMode(TWrapMode mode, int wrapByte) {
  TSEProperty property = m_editor->SEProperty();
  property.AutoWrap = mode == TWrapMode::WordWrap;
  if (mode == TWrapMode::ByteWrap) m_editor->WrapOption().SetWrapByte(wrapByte);
  // The column is set before wrapping starts, so the text is cut once.
  m_editor->SetSEProperty(property);
  m_editor->SetWordWrap(mode != TWrapMode::NonWrap);
}

void TMainEditor::SetEditorFont(const TFontSpec& font) {
  std::u16string name;
  ToUtf16(font.name, name);
  m_editor->setFont(QFont(QString::fromStdU16String(name), font.size > 0 ? font.size : 9));
}

void TMainEditor::LoadSettings(const THIniFile& ini) {
  LoadEditorSettings(ini, *m_editor);
  m_fountain.SetInitBracketsFull(m_editor->Speed().InitBracketsFull);
  LoadFountainSettings(ini, m_fountain);
  ApplyLooks();
}

void TMainEditor::LoadReserveWords(const std::string& optionFolder) {
  quillet::LoadReserveWords(optionFolder, m_fountain);
}

}  // namespace quillet
