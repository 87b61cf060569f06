// The token procedures of one row; see FountainParser.h.
#include "core/editor/FountainParser.h"

#include <algorithm>

#include "core/base/CodePage.h"
#include "core/editor/ReserveWordList.h"
#include "core/editor/heFountain.h"

namespace quillet {
namespace {

constexpr int kNone = -1;
constexpr int kSymbol = static_cast<int>(TFountainStyle::Symbol);
constexpr int kInt = static_cast<int>(TFountainStyle::Int);
constexpr int kHex = static_cast<int>(TFountainStyle::Hex);
constexpr int kBracket = static_cast<int>(TFountainStyle::Bracket);
constexpr int kComment = static_cast<int>(TFountainStyle::Comment);
constexpr int kAnk = static_cast<int>(TFountainStyle::Ank);
constexpr int kDbcs = static_cast<int>(TFountainStyle::Dbcs);
constexpr int kUrl = static_cast<int>(TFountainStyle::Url);
constexpr int kMail = static_cast<int>(TFountainStyle::Mail);
constexpr int kFloat = static_cast<int>(TFountainStyle::Float);
constexpr int kStr = static_cast<int>(TFountainStyle::Str);
constexpr int kDecCode = static_cast<int>(TFountainStyle::DecCode);
constexpr int kHexCode = static_cast<int>(TFountainStyle::HexCode);

// Double-byte classes: runs of one class make one token.
constexpr int kDbcsSymbol = static_cast<int>(TFountainStyle::DbcsSymbol);
constexpr int kDbcsDigit = static_cast<int>(TFountainStyle::DbcsDigit);
constexpr int kDbcsLatin = static_cast<int>(TFountainStyle::DbcsLatin);
constexpr int kHiragana = static_cast<int>(TFountainStyle::Hiragana);
constexpr int kKatakana = static_cast<int>(TFountainStyle::Katakana);
constexpr int kGreekCyrillic = static_cast<int>(TFountainStyle::GreekCyrillic);
constexpr int kKanji = static_cast<int>(TFountainStyle::Kanji);

constexpr std::string_view kWebPrefixes[] = {"http:", "https:", "ftp:", "www."};

bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(int c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool IsLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsHalfKana(int c) { return c >= 0xA6 && c <= 0xDF; }
bool IsWordChar(int c) { return IsLetter(c) || IsDigit(c) || c == '_' || IsHalfKana(c); }
bool IsSymbolByte(int c) {
  return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x5E) || c == 0x60 ||
         (c >= 0x7B && c <= 0x7E) || (c >= 0xA1 && c <= 0xA5);
}
int FoldAscii(int c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// The class of a double-byte character (lead << 8 | trail).
int DbcsClass(unsigned code) {
  const unsigned lead = code >> 8;
  switch (code) {
    case 0x8152: case 0x8153: case 0x815B: return kKatakana;  // ヽ ヾ ー
    case 0x8154: case 0x8155: return kHiragana;               // ゝ ゞ
    case 0x8157: case 0x8158: case 0x8159: return kKanji;     // 仝 々 〆
    default: break;
  }
  if (lead == 0x81) return kDbcsSymbol;
  if (code >= 0x824F && code <= 0x8258) return kDbcsDigit;
  if ((code >= 0x8260 && code <= 0x8279) || (code >= 0x8281 && code <= 0x829A)) return kDbcsLatin;
  if (code >= 0x829F && code <= 0x82F1) return kHiragana;
  if (code >= 0x8340 && code <= 0x8396) return kKatakana;
  if ((code >= 0x839F && code <= 0x83D6) || (code >= 0x8440 && code <= 0x8491)) return kGreekCyrillic;
  if ((lead >= 0x88 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEA) || lead == 0xED || lead == 0xEE ||
      (lead >= 0xFA && lead <= 0xFC))
    return kKanji;
  return kDbcs;
}

bool IsDbcsKind(int kind) { return kind == kDbcs || (kind >= kDbcsSymbol && kind <= kKanji); }

}  // namespace

TRowAttributeData ToRowData(const TFountainState& state, const TRowAttributeStringList& rows, int row) {
  TRowAttributeData data;
  data.RowAttribute = rows.RowAttribute(row);
  data.PrevRowAttribute = row > 0 ? rows.RowAttribute(row - 1) : raCrlf;
  data.Token = state.Kind;
  data.Value1 = state.Bracket;
  // Read back as signed bytes: stored that way so a fresh record compares
  // equal to one read from the row.
  data.Value2 = static_cast<std::int8_t>(static_cast<std::uint8_t>(state.Count & 0xFF));
  data.Byte1 = static_cast<std::int8_t>(static_cast<std::uint8_t>(state.Count >> 8 & 0xFF));
  data.Value3 = (state.Ends ? 1 : 0) | (state.Reserved ? 2 : 0);
  return data;
}

TFountainState FromRowData(const TRowAttributeData& data) {
  TFountainState state;
  state.Kind = data.Token;
  state.Bracket = data.Value1;
  state.Count = (data.Value2 & 0xFF) | (data.Byte1 & 0xFF) << 8;
  state.Ends = (data.Value3 & 1) != 0;
  state.Reserved = (data.Value3 & 2) != 0;
  return state;
}

void TFountainScanner::SetRules(TFountainRules rules) {
  m_rules = std::move(rules);
  m_quote.clear();
  if (!m_rules.Quotation.empty()) m_quote = m_rules.Quotation.substr(0, CharLength(m_rules.Quotation, 0));
  m_special.fill(false);
  const auto mark = [&](std::string_view bytes) {
    if (!bytes.empty() && bytes.size() <= kFountainMaxString) {
      const auto first = static_cast<unsigned char>(bytes[0]);
      m_special[first] = true;
      m_special[static_cast<unsigned char>(FoldAscii(first))] = true;
      if (first >= 'A' && first <= 'Z') m_special[static_cast<std::size_t>(first - 'A' + 'a')] = true;
    }
  };
  for (const auto& [left, right] : m_rules.Brackets) mark(left);
  if (m_rules.Mail)
    for (int c = 0; c < 256; ++c) m_special[static_cast<std::size_t>(c)] |= IsMailStartChar(c);
  if (m_rules.Url) m_special['h'] = m_special['f'] = m_special['w'] = true;
  mark(m_rules.Commenter);
  mark(m_quote);
  if (m_rules.ControlCode) m_special['#'] = true;
  mark(m_rules.HexPrefix);
}

// --- The bytes a scan may read ---------------------------------------------------

void TFountainScanner::BeginRow(const TRowAttributeStringList* rows, int row, std::string_view text) {
  m_rows = rows;
  m_rowIndex = row;
  m_row = text;
  m_wrapped = rows != nullptr && row >= 0 && row + 1 < rows->Count() && rows->RowAttribute(row) == raWrapped;
  m_fetched = !m_wrapped;
  m_lineEnds = true;
  m_ahead.clear();
  m_aheadEnds.clear();
  m_mailFailedUntil = 0;
}

void TFountainScanner::Fetch() {
  m_fetched = true;
  if (!m_wrapped) return;
  const int count = m_rows->Count();
  // Empty wrapped rows cannot come from the cutter; a bound on the rows
  // keeps a damaged store from making this walk long.
  for (int r = m_rowIndex + 1, seen = 0; r < count && seen <= static_cast<int>(kFountainLookahead); ++r, ++seen) {
    const std::string_view row = m_rows->Get(r);
    // Whole characters only, so a character never straddles the window.
    std::size_t take = 0;
    while (take < row.size() && m_ahead.size() + take < kFountainLookahead) take += CharLength(row, take);
    m_ahead.append(row.substr(0, take));
    m_aheadEnds.push_back(m_ahead.size());
    if (take < row.size()) {
      m_lineEnds = false;
      return;
    }
    if (m_rows->RowAttribute(r) != raWrapped || r + 1 >= count) return;  // the line ends in the window
    if (m_ahead.size() >= kFountainLookahead) {
      m_lineEnds = false;
      return;
    }
  }
  m_lineEnds = false;
}

std::size_t TFountainScanner::CharLen(std::size_t i) {
  if (i < m_row.size()) return CharLength(m_row, i);
  if (!m_fetched) Fetch();
  const std::size_t j = i - m_row.size();
  if (j + 1 >= m_ahead.size() || !IsLeadByte(static_cast<unsigned char>(m_ahead[j]))) return 1;
  // A pair only within one row of the window.
  const auto end = std::upper_bound(m_aheadEnds.begin(), m_aheadEnds.end(), j);
  return end != m_aheadEnds.end() && j + 1 < *end ? 2 : 1;
}

unsigned TFountainScanner::Code(std::size_t i) {
  const auto first = static_cast<unsigned>(At(i));
  return CharLen(i) == 2 ? first << 8 | static_cast<unsigned>(At(i + 1)) : first;
}

bool TFountainScanner::MatchesAt(std::size_t i, std::string_view bytes) {
  std::size_t k = 0;
  while (k < bytes.size()) {
    const std::size_t length = CharLen(i + k);
    if (k + length > bytes.size()) return false;  // it would end inside a character
    for (std::size_t b = 0; b < length; ++b)
      if (At(i + k + b) != static_cast<unsigned char>(bytes[k + b])) return false;
    k += length;
  }
  return true;
}

bool TFountainScanner::MatchesCaseless(std::size_t i, std::string_view bytes) {
  std::size_t k = 0;
  while (k < bytes.size()) {
    const std::size_t length = CharLen(i + k);
    if (k + length > bytes.size()) return false;
    if (length == 1) {
      const int c = At(i + k);
      if (c < 0 || FoldAscii(c) != FoldAscii(static_cast<unsigned char>(bytes[k]))) return false;
    } else if (At(i + k) != static_cast<unsigned char>(bytes[k]) ||
               At(i + k + 1) != static_cast<unsigned char>(bytes[k + 1])) {
      return false;
    }
    k += length;
  }
  return true;
}

// --- Token procedures -----------------------------------------------------------

TFountainScanner::TExtent TFountainScanner::ClassRun(int kind, std::size_t from) {
  std::size_t i = from;
  for (;;) {
    if (i >= m_row.size() && i >= Available()) return {i, !m_lineEnds};
    const int c = At(i);
    bool in = false;
    switch (kind) {
      case kUrl: in = IsWebChar(c); break;
      case kMail: in = IsMailChar(c); break;
      case kInt: case kFloat: case kDecCode: in = IsDigit(c); break;
      case kHex: case kHexCode: in = IsHexDigit(c); break;
      case kAnk: in = IsWordChar(c) && CharLen(i) == 1; break;
      default: in = IsDbcsKind(kind) && kind != kDbcsSymbol && CharLen(i) == 2 && DbcsClass(Code(i)) == kind; break;
    }
    if (!in) return {i, false};
    i += CharLen(i);
  }
}

TFountainScanner::TExtent TFountainScanner::Region(int bracket, std::size_t from) {
  if (bracket < 0 || static_cast<std::size_t>(bracket) >= m_rules.Brackets.size()) return {from, false};
  const std::string& right = m_rules.Brackets[static_cast<std::size_t>(bracket)].second;
  if (right.empty()) return {from, false};
  // Too long to be seen whole within the window: it never closes the region.
  if (right.size() > kFountainMaxString) return {std::max(from, Available()), true};
  std::size_t i = from;
  for (;;) {
    if (i >= m_row.size() && i >= Available()) return {i, true};
    // The whole right bracket must be readable to tell; else go on from here.
    if (i + right.size() > m_row.size() && i + right.size() > Available() && !m_lineEnds) return {i, true};
    if (MatchesAt(i, right)) return {i + right.size(), false};
    i += CharLen(i);
  }
}

TFountainScanner::TExtent TFountainScanner::Quoted(std::size_t from) {
  std::size_t i = from;
  for (;;) {
    if (i >= m_row.size() && i >= Available()) return {i, !m_lineEnds};
    if (MatchesAt(i, m_quote)) {
      const std::size_t after = i + m_quote.size();
      // Whether it is doubled cannot be told at the window's edge: go on
      // from the quote itself in the next row.
      if (after >= m_row.size() && after >= Available() && !m_lineEnds) return {i, true};
      if (!MatchesAt(after, m_quote)) return {after, false};
      i = after + m_quote.size();
      continue;
    }
    i += CharLen(i);
  }
}

TFountainScanner::TExtent TFountainScanner::ToLineEnd() {
  if (!m_wrapped) return {m_row.size(), false};
  return {Available(), !m_lineEnds};
}

TFountainScanner::TExtent TFountainScanner::Continue(int kind, int bracket, std::size_t from) {
  switch (kind) {
    case kBracket: return Region(bracket, from);
    case kComment: return ToLineEnd();
    case kStr: return Quoted(from);
    case kSymbol: return {from, false};
    default: return ClassRun(kind, from);
  }
}

bool TFountainScanner::IsReserved(std::size_t first, std::size_t end) {
  if (m_rules.Words == nullptr || m_rules.Words->Empty() || end - first > kReserveWordMax) return false;
  m_word.clear();
  for (std::size_t i = first; i < end; ++i) m_word.push_back(static_cast<char>(At(i)));
  return m_rules.Words->Contains(m_word);
}

int TFountainScanner::NextToken(std::size_t at, TExtent& extent, int& bracket) {
  const int c = static_cast<unsigned char>(m_row[at]);
  if (m_special[static_cast<std::size_t>(c)]) {
    for (std::size_t item = 0; item < m_rules.Brackets.size(); ++item) {
      const std::string& left = m_rules.Brackets[item].first;
      if (left.empty() || left.size() > kFountainMaxString || !MatchesAt(at, left)) continue;
      bracket = static_cast<int>(item);
      extent = Region(bracket, at + left.size());
      return kBracket;
    }
    if (m_rules.Mail && at >= m_mailFailedUntil && IsMailStartChar(c)) {
      // The at sign and a full stop after it, within the run of mail
      // characters and the bytes that may be read.
      bool atSign = false;
      bool found = false;
      std::size_t i = at;
      for (int b = At(i); b >= 0 && IsMailChar(b); b = At(++i)) {
        if (b == '@') atSign = true;
        else if (b == '.' && atSign) found = true;
      }
      if (found) {
        extent = {i, At(i) < 0 && !m_lineEnds};
        return kMail;
      }
      // A later start in the run reads the same bytes up to the same place.
      m_mailFailedUntil = i;
    }
    if (m_rules.Url && (c == 'h' || c == 'f' || c == 'w')) {
      for (const std::string_view prefix : kWebPrefixes) {
        if (!MatchesAt(at, prefix)) continue;
        extent = ClassRun(kUrl, at + prefix.size());
        return kUrl;
      }
    }
    const std::string& commenter = m_rules.Commenter;
    if (!commenter.empty() && commenter.size() <= kFountainMaxString && MatchesAt(at, commenter)) {
      extent = ToLineEnd();
      return kComment;
    }
    if (!m_quote.empty() && MatchesAt(at, m_quote)) {
      extent = Quoted(at + m_quote.size());
      return kStr;
    }
    if (m_rules.ControlCode && c == '#') {
      const int next = At(at + 1);
      if (next == '$' && IsHexDigit(At(at + 2))) {
        extent = ClassRun(kHexCode, at + 2);
        return kHexCode;
      }
      if (IsDigit(next)) {
        extent = ClassRun(kDecCode, at + 1);
        return kDecCode;
      }
    }
    const std::string& prefix = m_rules.HexPrefix;
    if (!prefix.empty() && prefix.size() <= kFountainMaxString && MatchesCaseless(at, prefix) &&
        IsHexDigit(At(at + prefix.size()))) {
      extent = ClassRun(kHex, at + prefix.size());
      return kHex;
    }
  }

  if (CharLen(at) == 2) {
    // Full-width punctuation stands alone like ASCII punctuation, so "。「"
    // leaves "「" at a token start, where it may open a bracketed region.
    const int kind = DbcsClass(Code(at));
    extent = kind == kDbcsSymbol ? TExtent{at + 2, false} : ClassRun(kind, at + 2);
    return kind;
  }
  if (IsDigit(c)) {
    extent = ClassRun(kInt, at + 1);
    if (!extent.Open && At(extent.End) == '.' && IsDigit(At(extent.End + 1))) {
      extent = ClassRun(kFloat, extent.End + 2);
      return kFloat;
    }
    return kInt;
  }
  if (IsWordChar(c)) {
    extent = ClassRun(kAnk, at + 1);
    return kAnk;
  }
  if (IsSymbolByte(c)) {
    extent = {at + 1, false};
    return kSymbol;
  }
  // Blanks, controls and bytes of no character: no token.
  std::size_t end = at + 1;
  while (end < m_row.size()) {
    const int b = static_cast<unsigned char>(m_row[end]);
    if (IsWordChar(b) || IsSymbolByte(b) || IsLeadByte(static_cast<unsigned char>(b)) || m_special[static_cast<std::size_t>(b)])
      break;
    ++end;
  }
  extent = {end, false};
  return kNone;
}

TFountainState TFountainScanner::ScanRow(const TRowAttributeStringList* rows, int row, std::string_view text,
                                         const TFountainState& state, std::vector<TFountainToken>* tokens) {
  BeginRow(rows, row, text);
  const std::size_t n = text.size();
  TFountainState next;

  const auto emit = [&](std::size_t first, std::size_t end, int kind, bool reserved, int bracket) {
    end = std::min(end, n);
    if (tokens == nullptr || kind < 0 || end <= first) return;
    tokens->push_back({static_cast<int>(first), static_cast<int>(end), static_cast<TFountainStyle>(kind), reserved,
                       kind == kBracket ? bracket : -1});
  };
  // Whether the token reaches past this row; if so `next` says how it goes
  // on. At a line end only a bracketed region goes on.
  const auto handOn = [&](int kind, int bracket, bool reserved, const TExtent& extent) {
    if (!extent.Open && extent.End <= n) return false;
    if (!m_wrapped) {
      if (kind == kBracket && extent.Open) next = {kBracket, bracket, 0, false, false};
      return true;
    }
    next = {kind, bracket, static_cast<int>(std::max(extent.End, n) - n), !extent.Open, reserved};
    return true;
  };

  std::size_t pos = 0;
  if (state.Kind >= 0) {
    const auto count = static_cast<std::size_t>(std::max(state.Count, 0));
    TExtent extent{count, !state.Ends};
    if (!state.Ends && count < n) extent = Continue(state.Kind, state.Bracket, count);
    emit(0, extent.End, state.Kind, state.Reserved, state.Bracket);
    if (handOn(state.Kind, state.Bracket, state.Reserved, extent)) return next;
    pos = extent.End;
  }
  while (pos < n) {
    TExtent extent;
    int bracket = -1;
    const int kind = NextToken(pos, extent, bracket);
    const bool reserved = kind >= 0 && kind != kBracket && kind != kComment && !extent.Open && IsReserved(pos, extent.End);
    emit(pos, extent.End, kind, reserved, bracket);
    if (handOn(kind, bracket, reserved, extent)) return next;
    pos = extent.End;
  }
  return next;
}

}  // namespace quillet
