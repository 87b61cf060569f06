// TRowAttributeStringList: a TheStringList whose two attribute words carry
// the per-row state of the editor's rows, and the line structure and mark
// totals derived from it.
//
// Word 1: bits 0-1 row attribute, 2-3 previous row attribute, 4-7 the low
// four bits of the parse token, 8-15, 16-23, 24-31 three parser bytes.
// Word 2: bits 0-7 a fourth parser byte, 8-11 the high four bits of the
// parse token, 12-15 unused, 16-31 the row's 16 marks.
//
// The parse token is the highlighter's token kind open at the row start,
// stored as value + 2 in eight bits, so zeroed words read -2 ("not yet
// parsed"). Four bits (-2..13) cannot hold the kinds a wrapped row may open
// with (a web address is 21, a control code 28), so the token takes the
// place of what was a fifth parser byte; values outside -2..253 are refused
// rather than stored as another kind. Parser bytes read back as signed
// bytes, so -1 (no open bracket) survives the round trip.
//
// The list also knows a row from which on no row holds a parse state
// (ParsedEnd), so the highlighter can forget the states below a row
// without walking the rows that never had one.
//
// A logical line ends at every row that is not raWrapped, and at the last
// row. The list keeps the number of such rows and of rows holding each mark
// up to date through every insertion, deletion and word change, and caches
// the first row of each line from the top down to the lowest row changed
// since, so LineOfRow and RowOfLine cost O(log n) after an edit near the
// place last asked about, and O(n) once after an edit far above it.
// Not thread-safe (the cache is filled by const calls).
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <cstdint>
#include <string>
#include <vector>

#include "core/editor/RowSpan.h"
#include "core/editor/heStringList.h"

namespace quillet {

// A row's highlighter state, read and written at once (reset value as built).
struct TRowAttributeData {
  TRowAttribute RowAttribute = raCrlf;
  TRowAttribute PrevRowAttribute = raCrlf;
  std::int32_t Token = -1;
  std::int32_t Value1 = 0;  // the three parser values of word 1, stored as bytes
  std::int32_t Value2 = 0;
  std::int32_t Value3 = 0;
  std::int8_t Byte1 = 0;  // the parser byte of word 2
  std::string StateText;
  bool operator==(const TRowAttributeData&) const = default;
};

using TRowMarks = std::uint16_t;
inline constexpr int kRowMarkCount = 16;
inline constexpr int kUniqueRowMarks = 10;  // marks 0..9 stand on one row at most

class TRowAttributeStringList : public TheStringList {
public:
  // raInvalid for an index outside the list.
  TRowAttribute RowAttribute(int index) const;
  void SetRowAttribute(int index, TRowAttribute attribute);
  TRowAttribute PrevRowAttribute(int index) const;
  void SetPrevRowAttribute(int index, TRowAttribute attribute);
  // -2 (not parsed) .. kMaxToken; SetToken throws std::out_of_range for
  // any other value.
  static constexpr int kMaxToken = 253;
  int Token(int index) const;
  void SetToken(int index, int token);
  // Every row at or after this one is not parsed (Token -2); rows above it
  // may or may not be. Kept through insertions, deletions and word changes.
  int ParsedEnd() const noexcept { return m_parsedEnd; }
  // Marks every row from `from` on not parsed. Cost: the rows below `from`
  // that hold a state, up to ParsedEnd.
  void ForgetParseStates(int from);
  // Parser values 0..2 (word 1) and 3 (word 2), each a signed byte.
  int ParserValue(int index, int which) const;
  void SetParserValue(int index, int which, int value);
  TRowMarks Marks(int index) const;
  // Raw write of the mark bits (the row store applies the mark rules).
  void SetMarks(int index, TRowMarks marks);
  TRowAttributeData RowAttributeData(int index) const;
  void SetRowAttributeData(int index, const TRowAttributeData& data);

  // Rows that end a logical line by their attribute (not raWrapped).
  int LineEndRows() const noexcept { return m_lineEndRows; }
  // Logical lines: rows that are not raWrapped, plus one when the last row is.
  int LineCount() const noexcept;
  // 0-based line of a row (0..Count()-1); Count() gives LineCount().
  int LineOfRow(int row) const;
  // First row of a line (0..LineCount()-1); larger lines give Count().
  int RowOfLine(int line) const;
  // Rows holding mark m (0..15), and the marks held by any row.
  int RowsWithMark(int mark) const noexcept { return m_markRows[static_cast<std::size_t>(mark)]; }
  TRowMarks ListMarks() const noexcept;

  // Appends rows taken from `source` (stored once for all of them), with
  // their attributes and every other field zero. No notification.
  void AppendRows(std::string_view source, std::span<const TRowSpan> rows) { InsertRows(Count(), source, rows); }

  std::size_t MemoryBytes() const noexcept override {
    return TheStringList::MemoryBytes() + m_lineStarts.capacity() * sizeof(int);
  }

protected:
  void RowsInserted(int index, int count) override;
  void RowsRemoving(int index, int count) override;
  void WordsChanging(int index, std::uint32_t newWord1, std::uint32_t newWord2) override;
  // Rebuilds the totals and cache after the rows were replaced wholesale.
  void RecountRows();

private:
  void Tally(std::uint32_t word1, std::uint32_t word2, int sign);
  void Invalidate(int row) const;
  void Scan(int uptoRow) const;

  int m_lineEndRows = 0;
  int m_parsedEnd = 0;
  std::array<int, kRowMarkCount> m_markRows{};
  // Cache: rows [0, m_scanned) were examined; m_lineStarts holds 0 and the
  // row after each examined line end, in order.
  mutable std::vector<int> m_lineStarts{0};
  mutable int m_scanned = 0;
};

// The plain row list (no additions): the target of WrapText and the
// temporary rows of an edit.
class TEditorStringList : public TRowAttributeStringList {};

}  // namespace quillet
