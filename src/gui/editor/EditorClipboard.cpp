// Text across the editor's edge; see EditorClipboard.h.
#include "gui/editor/EditorClipboard.h"

#include <QMimeData>

#include "core/base/CodePage.h"

namespace quillet {

bool InputToBytes(const QString& text, std::string& bytes, QString* refused) {
  const std::u16string units = text.toStdU16String();
  std::size_t bad = 0;
  if (FromUtf16(units, bytes, &bad)) return true;
  if (refused) {
    const auto at = static_cast<qsizetype>(bad);
    const qsizetype length = at + 1 < text.size() && text.at(at).isHighSurrogate() ? 2 : 1;
    *refused = text.mid(at, length);
  }
  return false;
}

QString RefusedInputMessage(const QString& character) {
  return QStringLiteral("「%1」は Shift_JIS で表せないため入力できません").arg(character);
}

QString FromCp932(std::string_view bytes) {
  std::u16string units;
  ToUtf16(bytes, units);
  return QString::fromStdU16String(units);
}

QString BytesToPlainText(std::string_view bytes) {
  QString text = FromCp932(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  return text;
}

QMimeData* MakeEditorMimeData(const std::string& bytes, bool box) {
  auto* mime = new QMimeData;
  mime->setText(BytesToPlainText(bytes));
  if (box) mime->setData(kBoxMimeType, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return mime;
}

TDroppedText ReadEditorMimeData(const QMimeData* mime) {
  TDroppedText result;
  if (!mime) return result;
  if (mime->hasFormat(kBoxMimeType)) {
    const QByteArray data = mime->data(kBoxMimeType);
    result.HasText = true;
    result.Box = true;
    result.Bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
    return result;
  }
  if (!mime->hasText()) return result;
  result.HasText = true;
  if (!InputToBytes(mime->text(), result.Bytes, &result.Refused)) result.Bytes.clear();
  return result;
}

}  // namespace quillet
