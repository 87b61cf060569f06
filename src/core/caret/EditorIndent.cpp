// Indent rules of the editing keys; see EditorIndent.h.
#include "core/caret/EditorIndent.h"

#include <algorithm>

namespace quillet {
namespace {

// Bytes of the white character at p, or 0 when p holds none.
std::size_t WhiteAt(std::string_view row, std::size_t p) {
  if (p >= row.size()) return 0;
  if (row[p] == ' ' || row[p] == '\t') return 1;
  if (EditorCharLength(row, p) == 2 && IsFullWidthSpace(row, p)) return 2;
  return 0;
}

}  // namespace

int LeadingWhiteBytes(std::string_view row) {
  std::size_t p = 0;
  while (const std::size_t n = WhiteAt(row, p)) p += n;
  return static_cast<int>(p);
}

int LeadingWhiteColumns(std::string_view row, const TColumnLayout& layout) {
  return ByteToColumn(row, LeadingWhiteBytes(row), layout);
}

bool IsAllWhite(std::string_view row) { return LeadingWhiteBytes(row) == static_cast<int>(row.size()); }

std::string IndentText(int columns, bool tabIndent, int tabWidth) {
  columns = std::max(columns, 0);
  std::string text;
  if (tabIndent) {
    const int width = ClampTabWidth(tabWidth);
    text.assign(static_cast<std::size_t>(columns / width), '\t');
    columns %= width;
  }
  text.append(static_cast<std::size_t>(columns), ' ');
  return text;
}

int SoftTabSpaces(int column, const TColumnLayout& layout) {
  column = std::max(column, 0);
  const int width = ClampTabWidth(layout.TabWidth);
  int spaces = width - column % width;
  if (layout.WrapColumn > 0) spaces = std::min(spaces, layout.WrapColumn - column % layout.WrapColumn);
  return std::max(spaces, 1);
}

int NextTabStop(int column, const TColumnLayout& layout) { return std::max(column, 0) + SoftTabSpaces(column, layout); }

int PrevSpaceIndent(const TEditorScreenStrings& store, int lineFirstRow) {
  const TColumnLayout layout = store.Layout();
  for (int last = std::min(lineFirstRow, store.Count()) - 1; last >= 0;) {
    const int first = store.FirstRowOfLine(last);
    for (int r = first; r <= last; ++r) {
      if (!IsAllWhite(store.Get(r))) return LeadingWhiteColumns(store.Get(first), layout);
    }
    last = first - 1;
  }
  return 0;
}

int UnindentTarget(const TEditorScreenStrings& store, int row, int column) {
  const TColumnLayout layout = store.Layout();
  for (int r = std::min(row, store.Count()) - 1; r >= 0; --r) {
    const std::string_view text = store.Get(r);
    if (IsAllWhite(text)) continue;
    const int indent = LeadingWhiteColumns(text, layout);
    if (indent < column) return indent;
  }
  return 0;
}

}  // namespace quillet
