// The editor's search primitive; see EditorSearch.h.
#include "core/caret/EditorSearch.h"

#include <algorithm>
#include <vector>

namespace quillet {
namespace {

TCharCode CodeOf(std::string_view s, std::size_t p, std::size_t length) {
  const auto first = static_cast<unsigned char>(s[p]);
  if (length == 1) return first;
  return static_cast<TCharCode>(first << 8 | static_cast<unsigned char>(s[p + 1]));
}

struct TPatternChar {
  TCharCode Code;
  std::size_t Length;
};

class TMatcher {
public:
  TMatcher(std::string_view pattern, bool matchCase) : m_matchCase(matchCase) {
    for (std::size_t p = 0; p < pattern.size();) {
      const std::size_t n = EditorCharLength(pattern, p);
      m_chars.push_back({Fold(CodeOf(pattern, p, n)), n});
      p += n;
    }
  }
  // Bytes of the match starting at boundary p of `line`, or 0.
  std::size_t MatchAt(std::string_view line, std::size_t p) const {
    const std::size_t start = p;
    for (const TPatternChar& ch : m_chars) {
      if (p >= line.size()) return 0;
      const std::size_t n = EditorCharLength(line, p);
      if (n != ch.Length || Fold(CodeOf(line, p, n)) != ch.Code) return 0;
      p += n;
    }
    return p - start;
  }

private:
  TCharCode Fold(TCharCode code) const { return m_matchCase ? code : LowerChar(code); }

  bool m_matchCase;
  std::vector<TPatternChar> m_chars;
};

// A logical line: its rows and their bytes joined.
struct TLine {
  int FirstRow = 0;
  int LastRow = 0;
  std::string Text;
};

TLine LineAt(const TEditorScreenStrings& store, int row) {
  TLine line;
  line.FirstRow = store.FirstRowOfLine(row);
  line.LastRow = store.LastRowOfLine(line.FirstRow);
  for (int r = line.FirstRow; r <= line.LastRow; ++r) line.Text += store.Get(r);
  return line;
}

TTextPoint PointIn(const TEditorScreenStrings& store, const TLine& line, std::size_t offset) {
  int row = line.FirstRow;
  auto left = static_cast<int>(offset);
  while (row < line.LastRow && left >= static_cast<int>(store.Get(row).size())) {
    left -= static_cast<int>(store.Get(row).size());
    ++row;
  }
  return Normalized(store, {row, left});
}

std::size_t OffsetIn(const TEditorScreenStrings& store, const TLine& line, TTextPoint point) {
  std::size_t offset = 0;
  for (int r = line.FirstRow; r < point.Row; ++r) offset += store.Get(r).size();
  return offset + static_cast<std::size_t>(point.Byte);
}

}  // namespace

std::optional<TTextRange> SearchText(const TEditorScreenStrings& store, std::string_view pattern, TTextPoint from,
                                     bool forward, bool matchCase) {
  if (pattern.empty() || pattern.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
  const int rows = store.Count();
  if (rows == 0) return std::nullopt;
  const TMatcher matcher(pattern, matchCase);
  from = Normalized(store, from);

  if (forward) {
    if (from.Row >= rows) return std::nullopt;
    for (int row = from.Row; row < rows;) {
      const TLine line = LineAt(store, row);
      const std::size_t begin = row == from.Row ? OffsetIn(store, line, from) : 0;
      for (std::size_t p = 0; p < line.Text.size(); p += EditorCharLength(line.Text, p)) {
        if (p < begin) continue;
        if (const std::size_t n = matcher.MatchAt(line.Text, p))
          return TTextRange{PointIn(store, line, p), PointIn(store, line, p + n)};
      }
      row = line.LastRow + 1;
    }
    return std::nullopt;
  }

  bool first = true;
  for (int row = std::min(from.Row, rows - 1); row >= 0; first = false) {
    const TLine line = LineAt(store, row);
    const std::size_t limit = first && from.Row < rows ? OffsetIn(store, line, from) : line.Text.size() + 1;
    std::optional<TTextRange> last;
    for (std::size_t p = 0; p < line.Text.size() && p < limit; p += EditorCharLength(line.Text, p)) {
      if (const std::size_t n = matcher.MatchAt(line.Text, p))
        last = TTextRange{PointIn(store, line, p), PointIn(store, line, p + n)};
    }
    if (last) return last;
    row = line.FirstRow - 1;
  }
  return std::nullopt;
}

}  // namespace quillet
