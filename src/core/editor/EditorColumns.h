// EditorColumns: how the bytes of a row become display columns, the one
// column model shared by line cutting, the caret and the painter.
//
// A column is one half-width cell. A single-byte character takes one column;
// a double-byte character (a lead byte followed by a trail byte) takes two; a
// tab takes one column plus filler columns up to the next tab stop, and with
// wrapping on never past the wrap column. For the cutting rules each column
// gets one attribute character:
//   '1' single-byte word character, '2' single-byte delimiter (tab included),
//   '3' tab filler, '4' first and '5' second byte of a double-byte character,
//   '0' the terminator after the last column.
//
// Damaged text: a lead byte pairs only with a following trail byte
// (0x40-0x7E, 0x80-0xFC). A lead byte before a tab, a NUL, a control or a
// blank, or at the end of a row, is a character of one column on its own, as
// the display shows it (one replacement mark, then the next byte), so a tab or
// a line end after it is never swallowed. Rows never hold CR or LF; line
// splitting looks at bytes before any pairing, so a line end after a lead byte
// always ends the line.
//
// Everything here is pure and may be called from any thread.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/base/CodePage.h"

namespace quillet {

constexpr bool IsTrailByte(unsigned char b) noexcept {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Bytes of the character at byte offset i of a row: 2 for a lead byte followed
// by a trail byte, else 1 (also past the end, so a stepping loop always ends).
constexpr std::size_t EditorCharLength(std::string_view s, std::size_t i) noexcept {
  return i + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[i])) &&
                 IsTrailByte(static_cast<unsigned char>(s[i + 1]))
             ? 2
             : 1;
}

// The word delimiters: controls and blanks 0x00-0x20, ASCII punctuation except
// the underscore, 0x7F, 0x80, the half-width ideographic punctuation
// 0xA0-0xA5 and 0xFD-0xFF. Digits, letters, '_' and half-width katakana
// 0xA6-0xDF are word characters.
constexpr bool IsDelimiter(unsigned char b) noexcept {
  return b <= 0x2F || (b >= 0x3A && b <= 0x40) || (b >= 0x5B && b <= 0x5E) || b == 0x60 ||
         (b >= 0x7B && b <= 0x80) || (b >= 0xA0 && b <= 0xA5) || b >= 0xFD;
}

// Tab width as the setter stores it: 2..8, rounded down to even (0 gives 2).
constexpr int ClampTabWidth(int n) noexcept { return std::clamp(n, 2, 8) & ~1; }

// Columns built for a row when wrapping is off; the caret stops there too.
inline constexpr int kMaxUnwrappedColumns = 1000;

// What column positions depend on besides the bytes.
struct TColumnLayout {
  int TabWidth = 2;    // columns per tab stop, 2..8
  int WrapColumn = 0;  // W when wrapping is on, 0 when off
  bool operator==(const TColumnLayout&) const = default;
};

inline constexpr char kAttrWord = '1';
inline constexpr char kAttrDelimiter = '2';
inline constexpr char kAttrTabFill = '3';
inline constexpr char kAttrLead = '4';
inline constexpr char kAttrTrail = '5';
inline constexpr char kAttrEnd = '0';

// The attribute string of one row and a cursor over it (columns 1-based).
// Build is linear in the columns built; the buffers are kept between calls,
// so reusing one object allocates nothing after the first long row.
class TEditorAttributeArray {
public:
  // Builds from the first byte of `row` (a tab stop counts from there). Stops
  // once `limit` columns are built (a double-byte character is completed, so
  // one more column may follow) or at the row end. Without a limit: W + 3
  // with wrapping on, 1000 with it off. The cursor goes to column 1.
  void Build(std::string_view row, const TColumnLayout& layout, int limit = 0);

  // Columns built.
  int Count() const noexcept { return m_count; }
  // Whether bytes of the row remain beyond the built columns.
  bool Truncated() const noexcept { return m_truncated; }
  // Attribute at a 1-based column; '0' outside 1..Count.
  char Attr(int column) const noexcept {
    return column >= 1 && column <= m_count ? m_attr[static_cast<std::size_t>(column)] : kAttrEnd;
  }
  // Source bytes up to and including the column (tab filler adds none);
  // 0 for column 0, the built byte count past the end.
  int Bytes(int column) const noexcept {
    if (column <= 0) return 0;
    return m_bytes[static_cast<std::size_t>(std::min(column, m_count))];
  }
  // The character at a column: both bytes for '4' and '5', else the one byte
  // that ends at the column (the tab itself for filler); empty outside.
  std::string_view CharAt(int column) const noexcept;
  // Columns of the character that ends at `column`: 2 for '5', else 1.
  int WidthBefore(int column) const noexcept { return Attr(column) == kAttrTrail ? 2 : 1; }

  // The cursor of the cutting rules.
  int Column() const noexcept { return m_column; }
  void SetColumn(int column) noexcept { m_column = std::clamp(column, 1, m_count + 1); }
  void Next() noexcept {
    if (m_column <= m_count) ++m_column;
  }
  void Prev() noexcept {
    if (m_column > 1) --m_column;
  }
  std::string_view Char() const noexcept { return CharAt(m_column); }
  std::string_view NextChar() const noexcept { return CharAt(m_column + 1); }

private:
  std::string_view m_row;
  std::vector<char> m_attr;  // [1..m_count], then '0'
  std::vector<int> m_bytes;  // [0..m_count]
  int m_count = 0;
  int m_column = 1;
  bool m_truncated = false;
};

// Columns the whole row takes (tabs expanded as above).
int RowColumns(std::string_view row, const TColumnLayout& layout);

// A caret column (0-based: the caret stands before 1-based column col + 1)
// as a byte offset into the row: the offset of the last character boundary
// at or before the column, and the columns the caret stands past it (inside
// a tab's filler, between the bytes of a double-byte character, or past the
// row end). ByteToColumn is the inverse for a boundary offset. Linear in the
// row.
struct TRowOffset {
  int Byte = 0;
  int Extra = 0;
  bool operator==(const TRowOffset&) const = default;
};
TRowOffset ColumnToByte(std::string_view row, int column, const TColumnLayout& layout);
int ByteToColumn(std::string_view row, int byte, const TColumnLayout& layout);

// A set of characters given as a string (FollowStr, LeadStr,
// PunctuationStr), tested with respect to character boundaries: the set text
// is walked character by character, and a character of one or two bytes
// matches when its bytes stand at one of those boundaries. So "ア" (83 41)
// matches a set holding "ア", never one where 0x83 is the trail byte of
// another character followed by an 'A'. An empty character matches nothing.
// Contains is a table look-up for single bytes and a binary search for pairs.
class TCharSet {
public:
  TCharSet() = default;
  explicit TCharSet(std::string_view chars);
  bool Contains(std::string_view ch) const noexcept;

private:
  std::uint64_t m_single[4] = {0, 0, 0, 0};
  std::vector<std::uint16_t> m_pairs;  // sorted lead << 8 | trail
};

}  // namespace quillet
