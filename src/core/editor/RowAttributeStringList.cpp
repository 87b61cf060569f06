// TRowAttributeStringList; see RowAttributeStringList.h.
#include "core/editor/RowAttributeStringList.h"

#include <algorithm>
#include <stdexcept>

namespace quillet {
namespace {

constexpr std::uint32_t kAttributeMask = 0x3;
constexpr std::uint32_t kPrevShift = 2;
constexpr std::uint32_t kTokenShift = 4;       // low nibble, word 1
constexpr std::uint32_t kTokenHighShift = 8;   // high nibble, word 2
constexpr std::uint32_t kTokenHighMask = 0xFu << kTokenHighShift;
constexpr std::uint32_t kMarkShift = 16;

TRowAttribute AttributeOf(std::uint32_t word1) { return static_cast<TRowAttribute>(word1 & kAttributeMask); }

// Bit position of parser value `which` (0..3) and the word that holds it.
std::uint32_t ValueShift(int which) { return which < 3 ? 8 + 8 * static_cast<std::uint32_t>(which) : 0; }

// The stored token (value + 2) of a row's words; 0 means not parsed.
std::uint32_t StoredToken(std::uint32_t word1, std::uint32_t word2) {
  return (word1 >> kTokenShift & 0xF) | (word2 & kTokenHighMask) >> (kTokenHighShift - 4);
}

// The words with the token replaced.
void PutToken(std::uint32_t& word1, std::uint32_t& word2, int token) {
  if (token < -2 || token > TRowAttributeStringList::kMaxToken) throw std::out_of_range("parse token out of range");
  const auto stored = static_cast<std::uint32_t>(token + 2);
  word1 = (word1 & ~(0xFu << kTokenShift)) | (stored & 0xF) << kTokenShift;
  word2 = (word2 & ~kTokenHighMask) | (stored >> 4) << kTokenHighShift;
}

}  // namespace

TRowAttribute TRowAttributeStringList::RowAttribute(int index) const {
  if (index < 0 || index >= TheStringList::Count()) return raInvalid;
  return AttributeOf(Word1(index));
}

void TRowAttributeStringList::SetRowAttribute(int index, TRowAttribute attribute) {
  CheckIndex(index);
  SetWords(index, (Word1(index) & ~kAttributeMask) | (attribute & kAttributeMask), Word2(index));
}

TRowAttribute TRowAttributeStringList::PrevRowAttribute(int index) const {
  CheckIndex(index);
  return static_cast<TRowAttribute>(Word1(index) >> kPrevShift & kAttributeMask);
}

void TRowAttributeStringList::SetPrevRowAttribute(int index, TRowAttribute attribute) {
  CheckIndex(index);
  const std::uint32_t word1 =
      (Word1(index) & ~(kAttributeMask << kPrevShift)) | (attribute & kAttributeMask) << kPrevShift;
  SetWords(index, word1, Word2(index));
}

int TRowAttributeStringList::Token(int index) const {
  CheckIndex(index);
  return static_cast<int>(StoredToken(Word1(index), Word2(index))) - 2;
}

void TRowAttributeStringList::SetToken(int index, int token) {
  CheckIndex(index);
  std::uint32_t word1 = Word1(index);
  std::uint32_t word2 = Word2(index);
  PutToken(word1, word2, token);
  SetWords(index, word1, word2);
}

void TRowAttributeStringList::ForgetParseStates(int from) {
  from = std::max(from, 0);
  for (int row = from; row < m_parsedEnd; ++row) {
    if (StoredToken(Word1(row), Word2(row)) != 0) SetToken(row, -2);
  }
  m_parsedEnd = std::min(m_parsedEnd, from);
}

int TRowAttributeStringList::ParserValue(int index, int which) const {
  CheckIndex(index);
  const std::uint32_t word = which < 3 ? Word1(index) : Word2(index);
  return static_cast<std::int8_t>(static_cast<std::uint8_t>(word >> ValueShift(which)));
}

void TRowAttributeStringList::SetParserValue(int index, int which, int value) {
  CheckIndex(index);
  const std::uint32_t shift = ValueShift(which);
  const std::uint32_t bits = static_cast<std::uint32_t>(value) & 0xFF;
  std::uint32_t word1 = Word1(index);
  std::uint32_t word2 = Word2(index);
  std::uint32_t& word = which < 3 ? word1 : word2;
  word = (word & ~(0xFFu << shift)) | bits << shift;
  SetWords(index, word1, word2);
}

TRowMarks TRowAttributeStringList::Marks(int index) const {
  CheckIndex(index);
  return static_cast<TRowMarks>(Word2(index) >> kMarkShift);
}

void TRowAttributeStringList::SetMarks(int index, TRowMarks marks) {
  CheckIndex(index);
  SetWords(index, Word1(index), (Word2(index) & 0xFFFF) | std::uint32_t{marks} << kMarkShift);
}

TRowAttributeData TRowAttributeStringList::RowAttributeData(int index) const {
  CheckIndex(index);
  TRowAttributeData data;
  data.RowAttribute = RowAttribute(index);
  data.PrevRowAttribute = PrevRowAttribute(index);
  data.Token = Token(index);
  data.Value1 = ParserValue(index, 0);
  data.Value2 = ParserValue(index, 1);
  data.Value3 = ParserValue(index, 2);
  data.Byte1 = static_cast<std::int8_t>(ParserValue(index, 3));
  data.StateText = std::string(ParseStateText(index));
  return data;
}

void TRowAttributeStringList::SetRowAttributeData(int index, const TRowAttributeData& data) {
  CheckIndex(index);
  const auto byte = [](std::int32_t value, std::uint32_t shift) {
    return (static_cast<std::uint32_t>(value) & 0xFF) << shift;
  };
  std::uint32_t word1 = (data.RowAttribute & kAttributeMask) | (data.PrevRowAttribute & kAttributeMask) << kPrevShift |
                        byte(data.Value1, 8) | byte(data.Value2, 16) | byte(data.Value3, 24);
  std::uint32_t word2 = (Word2(index) & 0xFFFF0000u) | byte(data.Byte1, 0);
  PutToken(word1, word2, data.Token);
  SetWords(index, word1, word2);
  // Storing a state text may compact the byte arena; the highlighter
  // writes states while the painter holds a view of a row, so an unchanged
  // (in practice always empty) text is not stored again.
  if (ParseStateText(index) != data.StateText) PutParseStateText(index, data.StateText);
}

int TRowAttributeStringList::LineCount() const noexcept {
  const int rows = TheStringList::Count();
  if (rows == 0) return 0;
  return m_lineEndRows + (AttributeOf(Word1(rows - 1)) == raWrapped ? 1 : 0);
}

TRowMarks TRowAttributeStringList::ListMarks() const noexcept {
  TRowMarks marks = 0;
  for (int mark = 0; mark < kRowMarkCount; ++mark) {
    if (m_markRows[static_cast<std::size_t>(mark)] > 0) marks = static_cast<TRowMarks>(marks | 1u << mark);
  }
  return marks;
}

void TRowAttributeStringList::Tally(std::uint32_t word1, std::uint32_t word2, int sign) {
  if (AttributeOf(word1) != raWrapped) m_lineEndRows += sign;
  for (std::uint32_t marks = word2 >> kMarkShift; marks != 0; marks &= marks - 1) {
    m_markRows[static_cast<std::size_t>(__builtin_ctz(marks))] += sign;
  }
}

void TRowAttributeStringList::Invalidate(int row) const {
  if (m_scanned <= row) return;
  m_scanned = row;
  m_lineStarts.erase(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), row), m_lineStarts.end());
}

void TRowAttributeStringList::Scan(int uptoRow) const {
  const int rows = TheStringList::Count();
  uptoRow = std::min(uptoRow, rows);
  for (; m_scanned < uptoRow; ++m_scanned) {
    if (AttributeOf(Word1(m_scanned)) != raWrapped) m_lineStarts.push_back(m_scanned + 1);
  }
}

int TRowAttributeStringList::LineOfRow(int row) const {
  const int rows = TheStringList::Count();
  if (row >= rows) return LineCount();
  if (row <= 0) return 0;
  Scan(row);
  return static_cast<int>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), row) - m_lineStarts.begin()) - 1;
}

int TRowAttributeStringList::RowOfLine(int line) const {
  const int rows = TheStringList::Count();
  if (line <= 0) return 0;
  const auto wanted = static_cast<std::size_t>(line);
  while (m_lineStarts.size() <= wanted && m_scanned < rows) Scan(m_scanned + 1);
  if (m_lineStarts.size() <= wanted) return rows;
  return std::min(m_lineStarts[wanted], rows);
}

void TRowAttributeStringList::RowsInserted(int index, int count) {
  if (index < m_parsedEnd) m_parsedEnd += count;
  for (int i = index; i < index + count; ++i) {
    Tally(Word1(i), Word2(i), +1);
    if (StoredToken(Word1(i), Word2(i)) != 0) m_parsedEnd = std::max(m_parsedEnd, i + 1);
  }
  Invalidate(index);
}

void TRowAttributeStringList::RowsRemoving(int index, int count) {
  for (int i = index; i < index + count; ++i) Tally(Word1(i), Word2(i), -1);
  if (index + count <= m_parsedEnd) m_parsedEnd -= count;
  else if (index < m_parsedEnd) m_parsedEnd = index;
  Invalidate(index);
}

void TRowAttributeStringList::WordsChanging(int index, std::uint32_t newWord1, std::uint32_t newWord2) {
  const std::uint32_t oldWord1 = Word1(index);
  Tally(oldWord1, Word2(index), -1);
  Tally(newWord1, newWord2, +1);
  if (AttributeOf(oldWord1) != AttributeOf(newWord1)) Invalidate(index);
  if (StoredToken(newWord1, newWord2) != 0) m_parsedEnd = std::max(m_parsedEnd, index + 1);
}

void TRowAttributeStringList::RecountRows() {
  m_lineEndRows = 0;
  m_markRows.fill(0);
  m_parsedEnd = 0;
  const int rows = TheStringList::Count();
  for (int i = 0; i < rows; ++i) {
    Tally(Word1(i), Word2(i), +1);
    if (StoredToken(Word1(i), Word2(i)) != 0) m_parsedEnd = i + 1;
  }
  // The whole line index at once, so the first edit after a text was set
  // finds its line without walking the rows above it.
  Invalidate(0);
  m_lineStarts.reserve(static_cast<std::size_t>(m_lineEndRows) + 1);
  Scan(rows);
}

}  // namespace quillet
