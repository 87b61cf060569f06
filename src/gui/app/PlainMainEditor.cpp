#include "gui/app/PlainMainEditor.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"

namespace quillet {

namespace {

QString FromBytes(const std::string& bytes) {
  std::u16string text;
  ToUtf16(bytes, text);
  QString result = QString::fromStdU16String(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return result;
}

// The stand-in does not refuse input, so a character the code page cannot
// hold is kept as the geta mark rather than dropping the whole text.
std::string ToBytes(QString text) {
  text.replace(QChar(0x2029), QChar('\n'));
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  std::string bytes;
  if (FromUtf16(text.toStdU16String(), bytes)) return bytes;
  bytes.clear();
  const std::u16string units = text.toStdU16String();
  for (std::size_t i = 0; i < units.size();) {
    const std::size_t n = QChar::isHighSurrogate(units[i]) && i + 1 < units.size() ? 2 : 1;
    std::string one;
    bytes += FromUtf16(std::u16string_view(units).substr(i, n), one) ? one : std::string("\x81\xAC");
    i += n;
  }
  return bytes;
}

}  // namespace

TPlainMainEditor::TPlainMainEditor(QWidget* parent) : TMainEditorPort(parent), m_edit(new QPlainTextEdit(parent)) {
  m_edit->setObjectName("MainEdit");
  connect(m_edit->document(), &QTextDocument::modificationChanged, this, &TMainEditorPort::ModifiedChanged);
}

QWidget* TPlainMainEditor::Widget() { return m_edit; }
std::string TPlainMainEditor::Text() const { return ToBytes(m_edit->toPlainText()); }

void TPlainMainEditor::SetText(const std::string& text) {
  const bool blocked = m_edit->document()->blockSignals(true);
  m_edit->setPlainText(FromBytes(text));
  m_edit->document()->setModified(false);
  m_edit->document()->blockSignals(blocked);
}

bool TPlainMainEditor::IsEmpty() const { return m_edit->document()->isEmpty(); }
bool TPlainMainEditor::Modified() const { return m_edit->document()->isModified(); }
void TPlainMainEditor::SetModified(bool modified) { m_edit->document()->setModified(modified); }

void TPlainMainEditor::GoToStart() {
  m_edit->moveCursor(QTextCursor::Start);
  m_edit->ensureCursorVisible();
}

bool TPlainMainEditor::HasFocus() const { return m_edit->hasFocus(); }
std::string TPlainMainEditor::SelectedText() const { return ToBytes(m_edit->textCursor().selectedText()); }
void TPlainMainEditor::ReplaceSelection(const std::string& text) { m_edit->insertPlainText(FromBytes(text)); }
void TPlainMainEditor::Undo() { m_edit->undo(); }
void TPlainMainEditor::Redo() { m_edit->redo(); }
void TPlainMainEditor::Cut() { m_edit->cut(); }
void TPlainMainEditor::Copy() { m_edit->copy(); }
void TPlainMainEditor::Paste() { m_edit->paste(); }
void TPlainMainEditor::SelectAll() { m_edit->selectAll(); }
void TPlainMainEditor::SetReadOnly(bool readOnly) { m_edit->setReadOnly(readOnly); }

void TPlainMainEditor::SetWrapMode(int mode, int wrapByte) {
  if (mode == 2) {
    m_edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_edit->setWordWrapMode(QTextOption::WrapAnywhere);
    (void)wrapByte;
  } else {
    m_edit->setLineWrapMode(mode == 1 ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  }
}

void TPlainMainEditor::SetEditorFont(const TFontSpec& font) {
  m_edit->setFont(QFont(QString::fromStdString(font.name), font.size));
}

}  // namespace quillet
