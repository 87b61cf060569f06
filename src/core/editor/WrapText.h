// WrapText: splitting text into logical lines, and cutting a line into
// display rows by the Japanese line-break rules.
//
// Splitting: a line ends at LF or at CR; after it one CR and then one LF are
// skipped, so CR LF, LF and CR each end one line, while LF CR ends two. A
// final line end gives no empty last line and an empty text gives no lines.
// Every other byte, NUL included, belongs to a line: text after a NUL byte is
// kept, so a damaged entry loses nothing when it is saved again.
//
// Cutting (wrapping on, W = WrapByte; attribute strings per EditorColumns.h):
//  1. A line of fewer than W columns is one row.
//  2. The cursor goes to column W; while it is not at the terminator the break
//     column is chosen in this order:
//     a. double-byte guard: on a '4' step back one column (and skip b);
//     b. word break (WordBreak, line longer than W): while the column is '1'
//        and above W div 3, step back (twice when landing on '4'), so a row
//        ends after a delimiter, a tab or a double-byte character;
//     c. hanging punctuation (FollowPunctuation): while the column is below
//        W + 2 and the next character is in PunctuationStr, step over it, so
//        a row can reach W + 3 columns;
//     d. bracket rules (Leading, line longer than the column): while above
//        (W div 5) * 4 and the character at the column is in LeadStr, step
//        back before it; then, when the line has more than column + 1
//        columns and the next character is in FollowStr, step back one
//        character at a time while above that limit and (the character is in
//        LeadStr or the next one is in FollowStr);
//     e. the columns up to the break become a raWrapped row, tab stops count
//        from the new row start, and the cursor goes to column W again.
//  3. When nothing is left (the line filled its last row exactly), the last
//     row becomes raCrlf with FollowRetMark, else an empty raCrlf row
//     follows; otherwise the rest is the last row, raCrlf.
// Each row is cut only from its own start and the bytes after it, so cutting
// from any row boundary of a line gives the same rows as cutting the line.
// Cost: O(bytes + rows × W); a line shorter than W bytes without a tab is
// taken whole after one scan for a tab.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "core/editor/EditorColumns.h"
#include "core/editor/EditorWrapOption.h"
#include "core/editor/RowSpan.h"

namespace quillet {

// Calls lineFn(begin, end) with the byte range of each line of `text`.
template <class TLineFn>
void ForEachLine(std::string_view text, TLineFn&& lineFn) {
  const std::size_t n = text.size();
  std::size_t p = 0;
  while (p < n) {
    std::size_t q = p;
    while (q < n && text[q] != '\r' && text[q] != '\n') ++q;
    lineFn(p, q);
    if (q < n && text[q] == '\r') ++q;
    if (q < n && text[q] == '\n') ++q;
    p = q;
  }
}

// Whether `text` ends with a line end (its last byte is CR or LF).
constexpr bool EndsWithLineEnd(std::string_view text) noexcept {
  return !text.empty() && (text.back() == '\r' || text.back() == '\n');
}

class TRowCutter {
public:
  // Reads `option` (which must outlive the cutter) at construction; with
  // `wordWrap` false every line is one row.
  TRowCutter(const TEditorWrapOption& option, int tabWidth, bool wordWrap);

  // Appends the rows of text[begin, end), one line without line ends.
  void CutLine(std::string_view text, std::size_t begin, std::size_t end, std::vector<TRowSpan>& rows);
  // Splits `text` into lines and appends the rows of each.
  void CutText(std::string_view text, std::vector<TRowSpan>& rows);

  const TColumnLayout& Layout() const { return m_layout; }

private:
  // Break column of the row starting the built attribute string.
  int BreakColumn();

  const TEditorWrapOption& m_option;
  TColumnLayout m_layout;
  bool m_wordWrap;
  TEditorAttributeArray m_array;
};

}  // namespace quillet
