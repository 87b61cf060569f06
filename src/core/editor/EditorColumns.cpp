// Column model of the editor rows; see EditorColumns.h.
#include "core/editor/EditorColumns.h"

namespace quillet {
namespace {

unsigned char Byte(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Filler columns after a tab standing at 1-based column `tabColumn`: up to the
// next tab stop, and with wrapping on not past the wrap column. The second
// bound counts columns modulo W as the stored rows always have.
int TabFill(int tabColumn, const TColumnLayout& layout) {
  const int tab = ClampTabWidth(layout.TabWidth);
  int fill = tab - ((tabColumn - 1) % tab + 1);
  if (layout.WrapColumn > 0) {
    const int wrap = layout.WrapColumn;
    fill = std::min(fill, wrap - ((tabColumn - 1) % wrap + 1));
  }
  return fill;
}

// Columns of the character at byte p when `used` columns precede it, and its
// byte length.
int CharColumns(std::string_view row, std::size_t p, int used, const TColumnLayout& layout,
                std::size_t& length) {
  length = EditorCharLength(row, p);
  if (length == 2) return 2;
  if (row[p] == '\t') return 1 + TabFill(used + 1, layout);
  return 1;
}

}  // namespace

void TEditorAttributeArray::Build(std::string_view row, const TColumnLayout& layout, int limit) {
  if (limit <= 0) limit = layout.WrapColumn > 0 ? layout.WrapColumn + 3 : kMaxUnwrappedColumns;
  const auto need = static_cast<std::size_t>(limit) + 3;
  if (m_attr.size() < need) {
    m_attr.resize(need);
    m_bytes.resize(need);
  }
  m_row = row;
  m_bytes[0] = 0;
  int count = 0;
  std::size_t p = 0;
  const std::size_t n = row.size();
  const auto put = [&](char attr, std::size_t bytes) {
    ++count;
    m_attr[static_cast<std::size_t>(count)] = attr;
    m_bytes[static_cast<std::size_t>(count)] = static_cast<int>(bytes);
  };
  while (p < n && count < limit) {
    const unsigned char b = Byte(row, p);
    if (b == '\t') {
      put(kAttrDelimiter, p + 1);
      const int fill = TabFill(count, layout);
      for (int k = 0; k < fill && count < limit; ++k) put(kAttrTabFill, p + 1);
      ++p;
    } else if (EditorCharLength(row, p) == 2) {
      put(kAttrLead, p + 1);
      put(kAttrTrail, p + 2);
      p += 2;
    } else {
      put(IsDelimiter(b) ? kAttrDelimiter : kAttrWord, p + 1);
      ++p;
    }
  }
  m_count = count;
  m_truncated = p < n;
  m_attr[static_cast<std::size_t>(count) + 1] = kAttrEnd;
  m_column = 1;
}

std::string_view TEditorAttributeArray::CharAt(int column) const noexcept {
  const char attr = Attr(column);
  if (attr == kAttrEnd) return {};
  const auto end = static_cast<std::size_t>(m_bytes[static_cast<std::size_t>(column)]);
  if (attr == kAttrLead) return m_row.substr(end - 1, 2);
  if (attr == kAttrTrail) return m_row.substr(end - 2, 2);
  return m_row.substr(end - 1, 1);
}

int RowColumns(std::string_view row, const TColumnLayout& layout) {
  int columns = 0;
  for (std::size_t p = 0, length = 0; p < row.size(); p += length) {
    columns += CharColumns(row, p, columns, layout, length);
  }
  return columns;
}

TRowOffset ColumnToByte(std::string_view row, int column, const TColumnLayout& layout) {
  column = std::max(column, 0);
  int used = 0;
  std::size_t p = 0;
  while (p < row.size()) {
    std::size_t length = 0;
    const int width = CharColumns(row, p, used, layout, length);
    if (used + width > column) break;
    used += width;
    p += length;
  }
  return {static_cast<int>(p), column - used};
}

int ByteToColumn(std::string_view row, int byte, const TColumnLayout& layout) {
  int used = 0;
  const auto end = static_cast<std::size_t>(std::clamp(byte, 0, static_cast<int>(row.size())));
  for (std::size_t p = 0, length = 0; p < end; p += length) {
    used += CharColumns(row, p, used, layout, length);
  }
  return used;
}

TCharSet::TCharSet(std::string_view chars) {
  for (std::size_t p = 0; p < chars.size();) {
    const unsigned char first = Byte(chars, p);
    m_single[first >> 6] |= std::uint64_t{1} << (first & 63);
    const std::size_t length = EditorCharLength(chars, p);
    if (length == 2) m_pairs.push_back(static_cast<std::uint16_t>(first << 8 | Byte(chars, p + 1)));
    p += length;
  }
  std::sort(m_pairs.begin(), m_pairs.end());
  m_pairs.erase(std::unique(m_pairs.begin(), m_pairs.end()), m_pairs.end());
}

bool TCharSet::Contains(std::string_view ch) const noexcept {
  if (ch.size() == 1) {
    const unsigned char b = Byte(ch, 0);
    return (m_single[b >> 6] >> (b & 63) & 1) != 0;
  }
  if (ch.size() != 2) return false;
  const auto code = static_cast<std::uint16_t>(Byte(ch, 0) << 8 | Byte(ch, 1));
  return std::binary_search(m_pairs.begin(), m_pairs.end(), code);
}

}  // namespace quillet
