// The seam between the editor control and the highlighter: what colour each
// part of a row takes, and which address lies under a cell. The control
// paints rows in its plain colours until a source is set; the highlighter
// (web and mail addresses, reserved words, brackets) implements this
// interface over the per-row parse state the row store keeps, and the store
// calls it to re-parse after each change (TEditorRowParser).
#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

namespace quillet {

// Bytes [First, Second) of a row in one colour set. Invalid colours fall
// back to the editor's own text and background colours.
struct TTokenSpan {
  int First = 0;
  int Second = 0;
  QColor Color;
  QColor BkColor;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};

// A clickable address under the mouse: its bytes in the row and its text.
struct TLinkToken {
  int Row = 0;
  int First = 0;
  int Second = 0;
  QString Text;
  bool Mail = false;
  bool operator==(const TLinkToken&) const = default;
};

class TEditorTokenSource {
public:
  virtual ~TEditorTokenSource() = default;
  // Appends the coloured spans of row `row` (its bytes `text`), in order,
  // not overlapping. Called while painting, for visible rows only.
  virtual void RowTokens(int row, std::string_view text, std::vector<TTokenSpan>& spans) = 0;
  // The address holding byte `byte` of row `row`, if any.
  virtual std::optional<TLinkToken> LinkAt(int row, int byte) = 0;
};

}  // namespace quillet
