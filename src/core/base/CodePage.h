// CodePage: the one place that knows code page 932 (Shift_JIS with the NEC
// and IBM extensions), the encoding of every byte Quillet stores.
//
// A character is one byte, or two when the first is a lead byte (0x81-0x9F,
// 0xE0-0xFC) and another byte follows. Callers step through text with
// CharLength so that they never split a double-byte character, and never
// treat a trail byte as a character of its own: the trail byte of "ア"
// (0x83 0x41) is an 'A', that of "ソ" (0x83 0x5C) a backslash.
//
// Conversion to Unicode is for display and never fails: bytes without a
// character show as U+FFFD. Conversion from Unicode is for input and refuses
// whatever the code page cannot hold, rather than writing "?" into an entry.
// The mapping is glibc's "CP932" (never its "SHIFT_JIS", which lacks the NEC
// and IBM extensions), read once into tables on first use; iconv is never
// called per conversion.
//
// Every function may be called from any thread. The first conversion builds
// the tables (a few milliseconds); later calls only read them. If glibc has
// no CP932 converter the installation is broken and the first call aborts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// One character of code page 932 as a number: a single byte as itself, a
// double-byte character as lead << 8 | trail (so always >= 0x8100).
using TCharCode = std::uint16_t;

inline constexpr TCharCode kFullWidthSpace = 0x8140;  // "　", U+3000

constexpr bool IsLeadByte(unsigned char b) noexcept {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bytes of the character that starts at byte offset i: 2 when s[i] is a lead
// byte and a byte follows it (whatever that byte is, as the editor counts
// columns), else 1. Also 1 when i is past the end, so a loop stepping by it
// always ends.
constexpr std::size_t CharLength(std::string_view s, std::size_t i) noexcept {
  return i + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
}

// The character that starts at byte offset i (< s.size()), stepped as
// CharLength does.
constexpr TCharCode CodeAt(std::string_view s, std::size_t i) noexcept {
  const auto first = static_cast<unsigned char>(s[i]);
  if (CharLength(s, i) == 1) return first;
  return static_cast<TCharCode>(first << 8 | static_cast<unsigned char>(s[i + 1]));
}

// Appends the one or two bytes of code.
void AppendCode(std::string& out, TCharCode code);

// Whether an ideographic space starts at byte offset i, which must be a
// character boundary (the trail byte 0x81 of another character followed by
// 0x40 is not a space).
constexpr bool IsFullWidthSpace(std::string_view s, std::size_t i) noexcept {
  return i + 1 < s.size() && CodeAt(s, i) == kFullWidthSpace;
}

// --- Display: code page 932 to Unicode --------------------------------------
//
// Replaces out with the text. Every byte sequence converts; the result is
// false when some bytes had no character and were shown as U+FFFD:
//  - the single bytes 0x80, 0xA0 and 0xFD-0xFF: one U+FFFD each;
//  - a lead byte and a trail byte (0x40-0x7E, 0x80-0xFC) that together name
//    no character (e.g. 0x85 0x40): one U+FFFD for both bytes;
//  - a lead byte followed by any other byte, or by nothing: U+FFFD for the
//    lead byte alone, and the next byte is read as a character of its own.
//    (CharLength still pairs them for editing; display keeps a following
//    CR, tab or ASCII byte visible rather than hiding it behind a mark.)
// The user-defined area 0xF040-0xF9FC reads as U+E000-U+E757, as in glibc.
// Cost: linear in the input, no allocation beyond out.
bool ToUtf16(std::string_view cp932, std::u16string& out);
bool ToUtf8(std::string_view cp932, std::string& out);

// --- Input: Unicode to code page 932 ----------------------------------------
//
// On success replaces out with the bytes and returns true. When a character
// cannot be held (a character outside the code page, any surrogate, so every
// emoji, or malformed UTF-8) returns false, leaves out unchanged, and sets
// *badIndex (when given) to the offset of the first such character: in
// UTF-16 code units for FromUtf16, in bytes for FromUtf8.
//
// Characters that several byte codes decode to get the code glibc's CP932
// encoder gives (0x8754 for "Ⅰ", 0xFA40 for "ⅰ", 0x81E0 for "≒"). The JIS
// forms that Linux input methods produce are taken as their code page twins,
// as glibc does: U+301C → 0x8160, U+2016 → 0x8161, U+2212 → 0x817C,
// U+00AC → 0x81CA, U+2014 → 0x815C, U+00A2 → 0x8191, U+00A3 → 0x8192, and
// the JIS-Roman yen sign and overline U+00A5 → 0x5C, U+203E → 0x7E, which is
// how Windows shows those bytes. NUL and control characters
// U+0000-U+007F are their own bytes; U+0080-U+009F are refused.
bool FromUtf16(std::u16string_view text, std::string& out, std::size_t* badIndex = nullptr);
bool FromUtf8(std::string_view text, std::string& out, std::size_t* badIndex = nullptr);

// --- Case ---------------------------------------------------------------------
//
// Letters that have a case partner within the code page: ASCII, full-width
// Latin (Ａ 0x8260 ↔ ａ 0x8281), Greek (Α 0x839F ↔ α 0x83BF) and Cyrillic
// (А 0x8440 ↔ а 0x8470, with the gap at 0x847F). Roman numerals (Ⅰ/ⅰ) are
// numbers to a diary writer and keep their form. Everything else, and
// every trail byte, is left as it is. The strings keep their length.
TCharCode LowerChar(TCharCode code) noexcept;
TCharCode UpperChar(TCharCode code) noexcept;
std::string LowerCase(std::string_view cp932);
// LowerCase where the text lies, without a new string: for the search's
// reused line buffers.
void LowerCaseInPlace(std::string& cp932);
std::string UpperCase(std::string_view cp932);

// --- Width ----------------------------------------------------------------------
//
// The Japanese width mapping, following Unicode's <wide>/<narrow> pairs as
// they exist in the code page:
//  - space 0x20 ↔ "　" 0x8140; ASCII 0x21-0x7E ↔ U+FF01-U+FF5E, so "\" ↔ "＼"
//    0x815F, "~" ↔ "～" 0x8160 (glibc reads 0x8160 as U+FF5E), and "'" "\""
//    ↔ "＇" "＂" 0xFA56 0xFA57 (IBM extensions; the NEC-selected copies
//    0xEEFC 0xEEFB also narrow);
//  - half-width katakana and punctuation 0xA1-0xDF ↔ full-width ("｡" ↔
//    "。", "ｰ" ↔ "ー", "ﾞ" ↔ "゛" 0x814A, "ﾟ" ↔ "゜" 0x814B);
//  - a half-width kana followed by ﾞ or ﾟ ↔ one voiced character where the
//    code page has one (ｶﾞ ↔ ガ, ﾊﾟ ↔ パ, ｳﾞ ↔ ヴ); "ﾜﾞ" widens to "ワ゛".
// Characters without a partner stay: hiragana, ヮヰヱヵヶ, kanji, controls,
// "￥" and "￣" (their narrow forms ¥ and ¯ have no byte of their own here).
// ToFullWidth's result is at most twice as long as its input.
std::string ToHalfWidth(std::string_view cp932);
std::string ToFullWidth(std::string_view cp932);

// The lines of a stored text file, ended by CR LF, LF or CR (a missing last
// line end too), without their ends. CR and LF are never trail bytes, so
// they end a line wherever they stand. Views into `bytes`.
std::vector<std::string_view> SplitLines(std::string_view bytes);

}  // namespace quillet
