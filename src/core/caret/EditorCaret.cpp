// Caret placement rules; see EditorCaret.h.
#include "core/caret/EditorCaret.h"

#include <algorithm>

namespace quillet {
namespace {

// Columns built for the caret: enough to see past the 1000-column limit.
constexpr int kCaretScanColumns = kMaxCaretColumn + 3;

// Steps 3 and 4 for one direction (-1 or +1) on a built row. Attr(c + 1) is
// the column right after a caret at c.
int LeaveInside(const TEditorAttributeArray& attrs, int column, int step, bool inTab) {
  if (attrs.Attr(column + 1) == kAttrTrail) column += step;
  if (!inTab) {
    while (attrs.Attr(column + 1) == kAttrTabFill) column += step;
  }
  return std::max(column, 0);
}

}  // namespace

int MaxCaretRow(const TEditorScreenStrings& store) {
  const int rows = store.Count();
  return rows > 0 && store.RowAttribute(rows - 1) == raEof ? rows - 1 : rows;
}

int CaretRowEnd(const TEditorScreenStrings& store, int row) {
  if (row < 0 || row >= store.Count()) return 0;
  TEditorAttributeArray attrs;
  attrs.Build(store.Get(row), store.Layout(), kCaretScanColumns);
  return attrs.Count();
}

int AdjustCaretColumn(const TEditorScreenStrings& store, const TEditorCaret& options, int row, int column,
                      TCaretTravel travel, int& remembered) {
  const bool vertical = travel == TCaretTravel::Vertical;
  const int step = travel == TCaretTravel::Forward ? 1 : -1;
  const int wanted = vertical && remembered >= 0 ? remembered : std::max(column, 0);
  if (!vertical) remembered = -1;

  thread_local TEditorAttributeArray attrs;
  const bool realRow = row >= 0 && row < store.Count();
  attrs.Build(realRow ? store.Get(row) : std::string_view(), store.Layout(), kCaretScanColumns);
  const int rowEnd = attrs.Count();

  int result = wanted;
  // Step 2.
  bool pulledBack = false;
  if (!options.FreeCaret && result > rowEnd && !(vertical && options.FreeRow)) {
    result = rowEnd;
    pulledBack = true;
  }
  // Steps 3 and 4.
  result = LeaveInside(attrs, result, step, options.InTab);
  // Step 5.
  const TColumnLayout layout = store.Layout();
  if (layout.WrapColumn > 0 && realRow && result >= rowEnd) {
    if (store.RowAttribute(row) == raWrapped) {
      result = std::max(rowEnd - 1, 0);
    } else if (result >= layout.WrapColumn) {
      result = std::max(rowEnd, layout.WrapColumn - 1);
    }
    result = LeaveInside(attrs, result, -1, options.InTab);
  }
  // Step 6.
  if (result > kMaxCaretColumn) {
    result = kMaxCaretColumn;
    if (attrs.Attr(result + 1) == kAttrTrail) {
      ++result;
    } else if (!options.InTab) {
      result = LeaveInside(attrs, result, -1, false);
    }
  }
  if (options.KeepCaret && (pulledBack || (vertical && result != wanted))) remembered = wanted;
  return result;
}

}  // namespace quillet
