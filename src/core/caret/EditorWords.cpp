// Word classes and word moves; see EditorWords.h.
#include "core/caret/EditorWords.h"

#include <vector>

namespace quillet {
namespace {

// One logical line joined from its rows, with the character starts.
struct TLineText {
  int FirstRow = 0;
  int LastRow = 0;
  std::string Text;
  std::vector<int> Starts;  // byte offset of each character, then Text.size()

  TLineText(const TEditorScreenStrings& store, int row) {
    FirstRow = store.FirstRowOfLine(row);
    LastRow = store.LastRowOfLine(FirstRow);
    for (int r = FirstRow; r <= LastRow; ++r) Text += store.Get(r);
    for (std::size_t p = 0; p < Text.size(); p += EditorCharLength(Text, p)) Starts.push_back(static_cast<int>(p));
    Starts.push_back(static_cast<int>(Text.size()));
  }
  int Length() const { return static_cast<int>(Text.size()); }
  // Index of the character starting at or before `offset`.
  std::size_t IndexAt(int offset) const {
    std::size_t i = 0;
    while (i + 1 < Starts.size() && Starts[i + 1] <= offset) ++i;
    return i;
  }
  TCharClass ClassAt(std::size_t index) const {
    const auto from = static_cast<std::size_t>(Starts[index]);
    const auto to = static_cast<std::size_t>(Starts[index + 1]);
    return ClassOfChar(std::string_view(Text).substr(from, to - from));
  }
  std::size_t Chars() const { return Starts.size() - 1; }
  int OffsetOf(const TEditorScreenStrings& store, TTextPoint point) const {
    int offset = 0;
    for (int r = FirstRow; r < point.Row; ++r) offset += static_cast<int>(store.Get(r).size());
    return offset + point.Byte;
  }
  TTextPoint PointAt(const TEditorScreenStrings& store, int offset) const {
    int row = FirstRow;
    while (row < LastRow && offset >= static_cast<int>(store.Get(row).size())) {
      offset -= static_cast<int>(store.Get(row).size());
      ++row;
    }
    return Normalized(store, {row, offset});
  }
};

}  // namespace

TCharClass ClassOfChar(std::string_view ch) {
  if (ch.empty()) return TCharClass::Blank;
  const auto first = static_cast<unsigned char>(ch[0]);
  if (ch.size() == 1) {
    if (first == ' ' || first == '\t') return TCharClass::Blank;
    return IsDelimiter(first) ? TCharClass::Delimiter : TCharClass::Word;
  }
  const unsigned code = first << 8 | static_cast<unsigned char>(ch[1]);
  if (code == kFullWidthSpace) return TCharClass::Blank;
  if (code >= 0x829F && code <= 0x82F1) return TCharClass::Hiragana;
  if ((code >= 0x8340 && code <= 0x8396) || code == 0x815B) return TCharClass::Katakana;
  if ((code >= 0x824F && code <= 0x829A) || (code >= 0x839F && code <= 0x84BE)) return TCharClass::FullWidthLetter;
  if (code >= 0x889F || code == 0x8158) return TCharClass::Kanji;
  return TCharClass::Symbol;
}

TTextRange WordAt(const TEditorScreenStrings& store, TTextPoint point) {
  point = Normalized(store, point);
  if (point.Row >= store.Count()) return {point, point};
  const TLineText line(store, point.Row);
  if (line.Chars() == 0) return {point, point};
  const int offset = line.OffsetOf(store, point);
  std::size_t index = line.IndexAt(offset);
  if (offset >= line.Length()) index = line.Chars() - 1;
  const TCharClass cls = line.ClassAt(index);
  std::size_t from = index;
  std::size_t to = index + 1;
  while (from > 0 && line.ClassAt(from - 1) == cls) --from;
  while (to < line.Chars() && line.ClassAt(to) == cls) ++to;
  return {line.PointAt(store, line.Starts[from]), line.PointAt(store, line.Starts[to])};
}

TTextPoint NextWordPoint(const TEditorScreenStrings& store, TTextPoint point) {
  point = Normalized(store, point);
  if (point.Row >= store.Count()) return point;
  const TLineText line(store, point.Row);
  const int offset = line.OffsetOf(store, point);
  if (offset >= line.Length()) return NextPoint(store, point);
  std::size_t index = line.IndexAt(offset);
  const TCharClass cls = line.ClassAt(index);
  while (index < line.Chars() && line.ClassAt(index) == cls) ++index;
  while (index < line.Chars() && line.ClassAt(index) == TCharClass::Blank) ++index;
  return line.PointAt(store, line.Starts[index]);
}

TTextPoint PrevWordPoint(const TEditorScreenStrings& store, TTextPoint point) {
  point = Normalized(store, point);
  if (point.Row >= store.Count()) return PrevPoint(store, point);
  const TLineText line(store, point.Row);
  const int offset = line.OffsetOf(store, point);
  if (offset == 0) return PrevPoint(store, point);
  std::size_t index = line.IndexAt(offset);  // characters before `index` lie before the caret
  if (line.Starts[index] < offset) ++index;
  while (index > 0 && line.ClassAt(index - 1) == TCharClass::Blank) --index;
  if (index > 0) {
    const TCharClass cls = line.ClassAt(index - 1);
    while (index > 0 && line.ClassAt(index - 1) == cls) --index;
  }
  return line.PointAt(store, line.Starts[index]);
}

}  // namespace quillet
