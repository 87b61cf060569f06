// Line cutting; the rules and their order are described in WrapText.h.
#include "core/editor/WrapText.h"

#include <cstring>

namespace quillet {

TRowCutter::TRowCutter(const TEditorWrapOption& option, int tabWidth, bool wordWrap)
    : m_option(option), m_layout{ClampTabWidth(tabWidth), wordWrap ? option.WrapByte() : 0}, m_wordWrap(wordWrap) {}

int TRowCutter::BreakColumn() {
  const TEditorAttributeArray& a = m_array;
  const int wrap = m_layout.WrapColumn;
  const int count = a.Count();
  int column = wrap;

  bool guarded = false;
  if (a.Attr(column) == kAttrLead) {
    --column;
    guarded = true;
  }

  if (!guarded && m_option.WordBreak() && count > wrap) {
    const int limit = wrap / 3;
    while (a.Attr(column) == kAttrWord && column > limit) {
      --column;
      if (a.Attr(column) == kAttrLead) --column;
    }
  }

  if (m_option.FollowPunctuation()) {
    const TCharSet& punctuation = m_option.PunctuationSet();
    while (column < wrap + 2 && punctuation.Contains(a.CharAt(column + 1))) {
      column += a.Attr(column + 1) == kAttrLead ? 2 : 1;
    }
  }

  // The lookahead ends with the attribute string (W + 3 columns), as the
  // rows of diaries written on Windows were cut.
  if (m_option.Leading() && count > column) {
    const int limit = wrap / 5 * 4;
    const TCharSet& lead = m_option.LeadSet();
    const TCharSet& follow = m_option.FollowSet();
    while (column > limit && lead.Contains(a.CharAt(column))) column -= a.WidthBefore(column);
    if (count > column + 1 && follow.Contains(a.CharAt(column + 1))) {
      while (column > limit && (lead.Contains(a.CharAt(column)) || follow.Contains(a.CharAt(column + 1)))) {
        column -= a.WidthBefore(column);
      }
    }
  }
  return column;
}

void TRowCutter::CutLine(std::string_view text, std::size_t begin, std::size_t end, std::vector<TRowSpan>& rows) {
  const std::size_t length = end - begin;
  if (!m_wordWrap) {
    rows.push_back({begin, length, raCrlf});
    return;
  }
  const auto wrap = static_cast<std::size_t>(m_layout.WrapColumn);
  // Without tabs a row has at most as many columns as bytes.
  if (length < wrap && (length == 0 || std::memchr(text.data() + begin, '\t', length) == nullptr)) {
    rows.push_back({begin, length, raCrlf});
    return;
  }
  std::size_t pos = begin;
  bool cut = false;
  for (;;) {
    m_array.Build(text.substr(pos, end - pos), m_layout);
    if (m_array.Count() < m_layout.WrapColumn) break;
    const auto bytes = static_cast<std::size_t>(m_array.Bytes(BreakColumn()));
    rows.push_back({pos, bytes, raWrapped});
    cut = true;
    pos += bytes;
  }
  if (pos == end && cut) {
    if (m_option.FollowRetMark()) {
      rows.back().Attribute = raCrlf;
    } else {
      rows.push_back({pos, 0, raCrlf});
    }
  } else {
    rows.push_back({pos, end - pos, raCrlf});
  }
}

void TRowCutter::CutText(std::string_view text, std::vector<TRowSpan>& rows) {
  ForEachLine(text, [&](std::size_t begin, std::size_t end) { CutLine(text, begin, end, rows); });
}

}  // namespace quillet
