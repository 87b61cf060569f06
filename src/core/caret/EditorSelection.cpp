// Normal and box selections; see EditorSelection.h.
#include "core/caret/EditorSelection.h"

#include <algorithm>

#include "core/editor/WrapText.h"

namespace quillet {
namespace {

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

TTextRange TEditorSelection::Range(const TEditorScreenStrings& store, int caretRow, int caretColumn) const {
  const TTextPoint caret = PointOfColumn(store, caretRow, caretColumn);
  if (!m_anchored) return {caret, caret};
  return MakeRange(store, PointOfPosition(store, m_anchor), caret);
}

TBoxRect TEditorSelection::Box(const TEditorScreenStrings& store, int caretRow, int caretColumn) const {
  if (!m_anchored) return {caretRow, caretRow, caretColumn, caretColumn};
  const TRowColumn anchor = store.RowColumnOf(m_anchor);
  return {std::min(anchor.Row, caretRow), std::max(anchor.Row, caretRow), std::min(anchor.Column, caretColumn),
          std::max(anchor.Column, caretColumn)};
}

bool TEditorSelection::HasSelection(const TEditorScreenStrings& store, int caretRow, int caretColumn) const {
  if (!m_anchored) return false;
  if (m_mode == TSelectionMode::smBox) return !Box(store, caretRow, caretColumn).Empty();
  return !Range(store, caretRow, caretColumn).Empty();
}

std::pair<int, int> BoxRowBytes(std::string_view row, const TColumnLayout& layout, int left, int right) {
  const int first = ColumnToByte(row, left, layout).Byte;
  const TRowOffset end = ColumnToByte(row, right, layout);
  int second = end.Byte;
  if (end.Extra > 0 && end.Byte < static_cast<int>(row.size()))
    second += static_cast<int>(EditorCharLength(row, static_cast<std::size_t>(end.Byte)));
  return {first, std::max(first, second)};
}

std::string BoxText(const TEditorScreenStrings& store, const TBoxRect& box) {
  std::string text;
  if (box.Empty()) return text;
  const TColumnLayout layout = store.Layout();
  for (int r = std::max(box.TopRow, 0); r <= box.BottomRow && r < store.Count(); ++r) {
    const std::string_view row = store.Get(r);
    const auto [first, second] = BoxRowBytes(row, layout, box.LeftColumn, box.RightColumn);
    text += row.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(second - first));
    text += kCrLf;
  }
  return text;
}

bool DeleteBox(TEditorScreenStrings& store, const TBoxRect& box) {
  const int top = std::max(box.TopRow, 0);
  const int bottom = std::min(box.BottomRow, store.Count() - 1);
  if (box.Empty() || top > bottom) return false;
  const TColumnLayout layout = store.Layout();
  std::string text;
  bool any = false;
  for (int r = top; r <= bottom; ++r) {
    const std::string_view row = store.Get(r);
    const auto [first, second] = BoxRowBytes(row, layout, box.LeftColumn, box.RightColumn);
    any = any || second > first;
    text += row.substr(0, static_cast<std::size_t>(first));
    text += row.substr(static_cast<std::size_t>(second));
    if (store.RowAttribute(r) == raCrlf) text += kCrLf;
  }
  return any && store.UpdateRows(top, bottom - top + 1, text);
}

std::vector<std::string> BoxLines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::size_t begin, std::size_t end) { lines.emplace_back(text.substr(begin, end - begin)); });
  return lines;
}

bool InsertBox(TEditorScreenStrings& store, int row, int column, const std::vector<std::string>& lines) {
  if (lines.empty()) return false;
  const int rows = store.Count();
  row = std::clamp(row, 0, rows);
  column = std::max(column, 0);
  const int count = static_cast<int>(lines.size());
  const int existing = std::min(count, rows - row);
  const TColumnLayout layout = store.Layout();
  const bool endsWithLineEnd = rows > 0 && store.RowAttribute(rows - 1) == raCrlf;

  std::string text;
  for (int i = 0; i < existing; ++i) {
    const std::string_view current = store.Get(row + i);
    const TRowOffset at = ColumnToByte(current, column, layout);
    const bool pastEnd = at.Byte >= static_cast<int>(current.size());
    text += current.substr(0, static_cast<std::size_t>(at.Byte));
    if (pastEnd) text.append(static_cast<std::size_t>(at.Extra), ' ');
    text += lines[static_cast<std::size_t>(i)];
    text += current.substr(static_cast<std::size_t>(at.Byte));
    if (store.RowAttribute(row + i) == raCrlf) text += kCrLf;
  }
  if (existing < count) {
    // New rows below the text keep its ending: with a final line end each
    // new row has one; without, the old last row gets one and the new last
    // row has none.
    if (rows > 0 && !endsWithLineEnd) text += kCrLf;
    for (int i = existing; i < count; ++i) {
      text.append(static_cast<std::size_t>(column), ' ');
      text += lines[static_cast<std::size_t>(i)];
      if (endsWithLineEnd || i + 1 < count) text += kCrLf;
    }
  }
  if (existing == 0) return store.UpdateRows(rows, 0, text);
  return store.UpdateRows(row, existing, text);
}

}  // namespace quillet
