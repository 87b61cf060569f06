// TREScanner: a hand-written scanner over bytes; see the header for the
// token set and the escapes. It never looks more than two bytes ahead.
#include "core/search/REScanner.h"

namespace quillet {

namespace {

std::string WhatText(std::string_view message, std::size_t position) {
  std::string utf8;
  ToUtf8(message, utf8);
  return utf8 + " (position " + std::to_string(position) + ")";
}

int HexValue(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

ERegExpParser::ERegExpParser(std::string_view message, std::size_t position)
    : std::runtime_error(WhatText(message, position)), m_message(message), m_position(position) {}

TREToken TREScanner::Next() {
  TREToken token;
  token.Position = m_pos + 1;
  if (m_pos >= m_pattern.size()) return token;
  auto simple = [&](TRETokenKind kind) {
    ++m_pos;
    token.Kind = kind;
    return token;
  };
  switch (m_pattern[m_pos]) {
    case '|': return simple(TRETokenKind::Union);
    case '(': return simple(TRETokenKind::LeftParen);
    case ')': return simple(TRETokenKind::RightParen);
    case '*': return simple(TRETokenKind::Star);
    case '+': return simple(TRETokenKind::Plus);
    case '?': return simple(TRETokenKind::Question);
    case ']': return simple(TRETokenKind::ClassEnd);
    case '.': return simple(TRETokenKind::Any);
    case '^': return simple(TRETokenKind::LineHead);
    case '$': return simple(TRETokenKind::LineTail);
    case '[':
      if (m_pos + 1 < m_pattern.size() && m_pattern[m_pos + 1] == '^') {
        m_pos += 2;
        token.Kind = TRETokenKind::NegClassStart;
        return token;
      }
      return simple(TRETokenKind::ClassStart);
    default: break;
  }
  token.Kind = TRETokenKind::Char;
  token.Lo = token.Hi = ReadCharacter();
  return token;
}

TREToken TREScanner::NextInClass() {
  TREToken token;
  token.Position = m_pos + 1;
  if (m_pos >= m_pattern.size()) return token;
  if (m_pattern[m_pos] == ']') {
    ++m_pos;
    token.Kind = TRETokenKind::ClassEnd;
    return token;
  }
  token.Kind = TRETokenKind::Char;
  token.Lo = token.Hi = ReadCharacter();
  // "c1-c2" is a range unless the "-" is the last thing before "]" (or the
  // pattern ends there, which the parser reports as a missing "]").
  if (m_pos + 1 < m_pattern.size() && m_pattern[m_pos] == '-' && m_pattern[m_pos + 1] != ']') {
    ++m_pos;
    token.Hi = ReadCharacter();
  }
  return token;
}

TRECode TREScanner::ReadCharacter() {
  const std::size_t start = m_pos;
  const auto byte = static_cast<unsigned char>(m_pattern[start]);
  if (byte == '\\') {
    ++m_pos;
    return ReadEscape();
  }
  if (IsLeadByte(byte) && start + 1 >= m_pattern.size()) throw ERegExpParser(remsg::kBadDoubleByte, start + 1);
  const TRECode code = RECodeAt(m_pattern, start);
  m_pos += RECharLength(m_pattern, start);
  return code;
}

TRECode TREScanner::ReadEscape() {
  if (m_pos >= m_pattern.size()) throw ERegExpParser(remsg::kBackslashAtEnd, m_pos);  // the backslash itself
  const char c = m_pattern[m_pos];
  switch (c) {
    case 'b': ++m_pos; return 8;
    case 'r': ++m_pos; return 13;
    case 'n': ++m_pos; return 10;
    case 't': ++m_pos; return 9;
    case 'x': {
      ++m_pos;
      TRECode value = 0;
      int digits = 0;
      while (digits < 4 && m_pos < m_pattern.size()) {
        const int digit = HexValue(m_pattern[m_pos]);
        if (digit < 0) break;
        value = value * 16 + static_cast<TRECode>(digit);
        ++digits;
        ++m_pos;
      }
      if (digits == 0) throw ERegExpParser(remsg::kBadHex, m_pos + 1);
      return value;
    }
    default: break;
  }
  if (c >= '0' && c <= '7') {
    TRECode value = 0;
    for (int digits = 0; digits < 6 && m_pos < m_pattern.size(); ++digits) {
      const char d = m_pattern[m_pos];
      if (d < '0' || d > '7') break;
      value = value * 8 + static_cast<TRECode>(d - '0');
      if (value > 0xFFFF) throw ERegExpParser(remsg::kBadOctal, m_pos + 1);
      ++m_pos;
    }
    return value;
  }
  // Anything else, a double-byte character or a second backslash included,
  // stands for itself.
  const std::size_t start = m_pos;
  if (IsLeadByte(static_cast<unsigned char>(c)) && start + 1 >= m_pattern.size()) {
    throw ERegExpParser(remsg::kBadDoubleByte, start + 1);
  }
  m_pos += RECharLength(m_pattern, start);
  return RECodeAt(m_pattern, start);
}

}  // namespace quillet
