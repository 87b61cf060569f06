// RECode: the character model of the regular-expression engine.
//
// A character is a code: a single byte is its own value (0..0xFF); a lead
// byte of code page 932 (0x81-0x9F, 0xE0-0xFC) and the byte after it form
// one character lead << 8 | trail. Text is always read forward from a known
// character boundary, so a trail byte is never taken for a character.
//
// One rule differs from plain pairing: a lead byte followed by a carriage
// return, a line feed or the end of the text stands alone. A broken
// character at the end of a line must not swallow the line break, or the
// lines after it would merge and every later line number would shift. The
// same rule reads patterns and texts, so a pattern can name such a lone lead
// byte (\x81) and find it.
//
// Codes above 0xFFFF never occur in text. The string matcher uses two of
// them for its line-head and line-tail assertions, so that no character of
// a pattern (not even \xFFFD) can be mistaken for an assertion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/base/CodePage.h"

namespace quillet {

using TRECode = std::uint32_t;

inline constexpr TRECode kREMaxTextCode = 0xFFFF;
inline constexpr TRECode kRELineFeed = 10;
inline constexpr TRECode kRECarriageReturn = 13;
// The assertion codes of the string matcher (TAWKStr).
inline constexpr TRECode kREStringLineHead = 0x10000;
inline constexpr TRECode kREStringLineTail = 0x10001;
// The highest code "." accepts: the last double-byte character of the code
// page; it also bounds negated classes.
inline constexpr TRECode kREAnyMax = 0xFCFC;

// Bytes of the character at byte offset i (< s.size()): 2 for a lead byte
// followed by a byte other than CR and LF, else 1.
constexpr std::size_t RECharLength(std::string_view s, std::size_t i) noexcept {
  if (!IsLeadByte(static_cast<unsigned char>(s[i])) || i + 1 >= s.size()) return 1;
  const char next = s[i + 1];
  return next == '\n' || next == '\r' ? 1 : 2;
}

// The code of the character at byte offset i (< s.size()).
constexpr TRECode RECodeAt(std::string_view s, std::size_t i) noexcept {
  const auto first = static_cast<unsigned char>(s[i]);
  if (RECharLength(s, i) == 1) return first;
  return TRECode{first} << 8 | static_cast<unsigned char>(s[i + 1]);
}

// Whether some text holds a character with this code, i.e. whether the code
// can ever match: a byte that is not a lead byte (a lead byte alone occurs
// only before CR, LF or the end), or a lead byte with a trail other than CR
// and LF.
constexpr bool IsTextCode(TRECode code) noexcept {
  if (code < 0x100) return true;
  if (code > kREMaxTextCode) return false;
  const auto trail = code & 0xFFu;
  return IsLeadByte(static_cast<unsigned char>(code >> 8)) && trail != '\n' && trail != '\r';
}

// The one or two bytes of a code (<= 0xFFFF).
inline void AppendRECode(std::string& out, TRECode code) {
  if (code >= 0x100) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

}  // namespace quillet
