// Text points, ranges and the replace operation; see TextRange.h.
#include "core/caret/TextRange.h"

#include <algorithm>

namespace quillet {
namespace {

constexpr std::string_view kCrLf = "\r\n";

int RowLength(const TEditorScreenStrings& store, int row) { return static_cast<int>(store.Get(row).size()); }

// Start of the last character that begins before `byte`.
int BoundaryBefore(std::string_view row, int byte) {
  int previous = 0;
  for (std::size_t p = 0; p < row.size() && static_cast<int>(p) < byte;) {
    previous = static_cast<int>(p);
    p += EditorCharLength(row, p);
  }
  return previous;
}

}  // namespace

TTextPoint Normalized(const TEditorScreenStrings& store, TTextPoint point) {
  const int rows = store.Count();
  if (point.Row < 0) return {0, 0};
  if (point.Row >= rows) return {rows, 0};
  point.Byte = std::clamp(point.Byte, 0, RowLength(store, point.Row));
  while (point.Row + 1 < rows && point.Byte == RowLength(store, point.Row) &&
         store.RowAttribute(point.Row) == raWrapped) {
    ++point.Row;
    point.Byte = 0;
  }
  return point;
}

TTextPoint PointOfColumn(const TEditorScreenStrings& store, int row, int column) {
  if (row < 0) return {0, 0};
  if (row >= store.Count()) return {store.Count(), 0};
  const TRowOffset offset = ColumnToByte(store.Get(row), column, store.Layout());
  return Normalized(store, {row, offset.Byte});
}

int ColumnOfPoint(const TEditorScreenStrings& store, TTextPoint point) {
  if (point.Row < 0 || point.Row >= store.Count()) return 0;
  return ByteToColumn(store.Get(point.Row), point.Byte, store.Layout());
}

TEditorPosition PositionOfPoint(const TEditorScreenStrings& store, TTextPoint point) {
  point = Normalized(store, point);
  TEditorPosition position = store.PositionOf(point.Row, ColumnOfPoint(store, point));
  position.Extra = 0;
  return position;
}

TTextPoint PointOfPosition(const TEditorScreenStrings& store, const TEditorPosition& position) {
  TEditorPosition exact = position;
  exact.Extra = 0;
  const TRowColumn place = store.RowColumnOf(exact);
  return PointOfColumn(store, place.Row, place.Column);
}

TTextRange MakeRange(const TEditorScreenStrings& store, TTextPoint a, TTextPoint b) {
  a = Normalized(store, a);
  b = Normalized(store, b);
  if (b < a) std::swap(a, b);
  return {a, b};
}

TTextPoint NextPoint(const TEditorScreenStrings& store, TTextPoint point) {
  point = Normalized(store, point);
  const int rows = store.Count();
  if (point.Row >= rows) return point;
  const std::string_view row = store.Get(point.Row);
  if (point.Byte < static_cast<int>(row.size())) {
    point.Byte += static_cast<int>(EditorCharLength(row, static_cast<std::size_t>(point.Byte)));
    return Normalized(store, point);
  }
  if (store.RowAttribute(point.Row) == raCrlf) return {point.Row + 1, 0};
  return point;  // the end of a text without a final line end
}

TTextPoint PrevPoint(const TEditorScreenStrings& store, TTextPoint point) {
  point = Normalized(store, point);
  if (point.Byte > 0) return {point.Row, BoundaryBefore(store.Get(point.Row), point.Byte)};
  if (point.Row == 0) return point;
  const int above = point.Row - 1;
  const int length = RowLength(store, above);
  if (store.RowAttribute(above) == raWrapped) return {above, BoundaryBefore(store.Get(above), length)};
  return {above, length};
}

TTextPoint TextEndPoint(const TEditorScreenStrings& store) {
  const int rows = store.Count();
  if (rows == 0 || store.RowAttribute(rows - 1) == raCrlf) return {rows, 0};
  return {rows - 1, RowLength(store, rows - 1)};
}

std::string TextOfRange(const TEditorScreenStrings& store, const TTextRange& range) {
  std::string text;
  if (range.Empty()) return text;
  const int rows = store.Count();
  const TTextPoint s = range.Start;
  const TTextPoint e = range.End;
  if (s.Row >= rows) return text;
  if (s.Row == e.Row) {
    const std::string_view row = store.Get(s.Row);
    return std::string(row.substr(static_cast<std::size_t>(s.Byte), static_cast<std::size_t>(e.Byte - s.Byte)));
  }
  for (int r = s.Row; r <= std::min(e.Row, rows - 1); ++r) {
    const std::string_view row = store.Get(r);
    const std::size_t from = r == s.Row ? static_cast<std::size_t>(s.Byte) : 0;
    if (r == e.Row) {
      text += row.substr(from, static_cast<std::size_t>(e.Byte) - from);
    } else {
      text += row.substr(from);
      if (store.RowAttribute(r) == raCrlf) text += kCrLf;
    }
  }
  return text;
}

std::string NormalizeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += kCrLf;
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += kCrLf;
    } else {
      out += c;
    }
  }
  return out;
}

TEditorPosition AdvancePosition(TEditorPosition position, std::string_view text) {
  position.Extra = 0;
  const std::size_t lastEnd = text.rfind(kCrLf);
  if (lastEnd == std::string_view::npos) {
    position.Byte += static_cast<int>(text.size());
  } else {
    position.Line += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    position.Byte = static_cast<int>(text.size() - lastEnd - kCrLf.size());
  }
  return position;
}

TEditorPosition ReplaceText(TEditorScreenStrings& store, const TTextRange& range, std::string_view text, int padding,
                            bool* changed) {
  if (changed) *changed = false;
  std::string inserted(static_cast<std::size_t>(std::max(padding, 0)), ' ');
  inserted += NormalizeLineEnds(text);
  const TEditorPosition start = PositionOfPoint(store, range.Start);
  if (range.Empty() && inserted.empty()) return start;

  const TEditorPosition after = AdvancePosition(start, inserted);

  const int rows = store.Count();
  const TTextPoint s = range.Start;
  const TTextPoint e = range.End;
  bool done = false;
  if (s.Row >= rows) {
    done = store.UpdateRows(rows, 0, inserted);
  } else {
    std::string replacement(store.Get(s.Row).substr(0, static_cast<std::size_t>(s.Byte)));
    replacement += inserted;
    int count = rows - s.Row;
    if (e.Row < rows) {
      count = e.Row - s.Row + 1;
      replacement += store.Get(e.Row).substr(static_cast<std::size_t>(e.Byte));
      if (store.RowAttribute(e.Row) == raCrlf) replacement += kCrLf;
    }
    done = store.UpdateRows(s.Row, count, replacement);
  }
  if (changed) *changed = done;
  return done ? after : start;
}

}  // namespace quillet
