// Text crossing the editor's edge: typed and committed input, the clipboard
// and drag and drop. Inside, text is code page 932 bytes with CR LF; outside
// it is Unicode with LF. Input that code page 932 cannot hold (an emoji, a
// rare character) is refused whole with a message naming the first such
// character, never written as "?"; the JIS forms input methods produce (〜
// and its kind) become their code page twins (CodePage.h).
//
// A box selection travels as plain text (rows ending in LF) for other
// programs, plus the same rows as code page 932 bytes with CR LF under the
// format "TEditor Box Type", which tells a paste to put them in as a box.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QMimeData;

namespace quillet {

inline constexpr char kBoxMimeType[] = "TEditor Box Type";

// Unicode to code page 932 bytes (line ends kept as given). On false `bytes`
// is unchanged and `refused` (when given) holds the first character that
// cannot be held.
bool InputToBytes(const QString& text, std::string& bytes, QString* refused = nullptr);
// The status message for a refused character.
QString RefusedInputMessage(const QString& character);
// Code page 932 bytes as Unicode, exactly (line ends as they are): titles,
// link targets, file names read from the diary.
QString FromCp932(std::string_view bytes);
// Code page 932 bytes as Unicode with LF line ends.
QString BytesToPlainText(std::string_view bytes);

// New mime data (owned by the caller) for the selected bytes.
QMimeData* MakeEditorMimeData(const std::string& bytes, bool box);

struct TDroppedText {
  bool HasText = false;   // the data carried text at all
  bool Box = false;       // put in as a box
  std::string Bytes;      // valid when Refused is empty
  QString Refused;        // the character that stopped the conversion
};
TDroppedText ReadEditorMimeData(const QMimeData* mime);

}  // namespace quillet
