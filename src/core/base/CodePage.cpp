// CodePage: tables read from glibc's CP932 converter once, and the
// conversions, case and width mappings that run on them.
//
// The decode tables hold, for every single byte and every lead/trail pair,
// the BMP character glibc gives (every CP932 character is in the BMP), or
// kNoChar. The encode table holds, for every BMP code point, the code to
// write, or kNoCode. It is the inverse of the decode tables, except that:
//  - where several codes decode to one character (the NEC-selected IBM
//    extensions in 0xED/0xEE copy the IBM extensions in 0xFA-0xFC; NEC row
//    13 repeats some symbols of row 2) glibc's encoder chooses, so that what
//    we write is what any other CP932 writer writes;
//  - the JIS twins glibc also accepts (WAVE DASH and the rest) are added as
//    one-way entries pointing at the code of their code page form.
// The tables live for the whole process (intentionally never freed, so no
// destructor races a late caller at exit).
#include "core/base/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace quillet {
namespace {

constexpr char16_t kNoChar = 0xFFFF;      // never decoded: U+FFFF is a non-character
constexpr TCharCode kNoCode = 0xFFFF;     // never a code: 0xFF is not a lead byte
constexpr char16_t kReplacement = 0xFFFD;

// 31 lead bytes 0x81-0x9F and 29 lead bytes 0xE0-0xFC.
constexpr std::size_t kLeadCount = 60;

constexpr std::size_t LeadIndex(unsigned char lead) noexcept {
  return lead <= 0x9F ? std::size_t{lead} - 0x81u : std::size_t{lead} - 0xE0u + 31u;
}

constexpr std::size_t PairIndex(TCharCode code) noexcept {
  return LeadIndex(static_cast<unsigned char>(code >> 8)) * 256u + (code & 0xFFu);
}

// The bytes that can complete a lead byte; glibc decodes no pair outside
// these, and display treats a pair inside them as one (bad) character.
constexpr bool IsTrailByte(unsigned char b) noexcept {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Full-width forms of the half-width katakana and punctuation 0xA1-0xDF, in
// byte order (｡｢｣､･ヲァィゥェォャュョッーアイウエオカ...ワン゛゜).
constexpr std::array<TCharCode, 63> kKatakanaFullWidth = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342,  // A1-A8
    0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B,  // A9-B0
    0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E,  // B1-B8
    0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,  // B9-C0
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C,  // C1-C8
    0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E,  // C9-D0
    0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,  // D1-D8
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,          // D9-DF
};
constexpr unsigned char kVoicedMark = 0xDE;      // ﾞ
constexpr unsigned char kSemiVoicedMark = 0xDF;  // ﾟ
constexpr TCharCode kKatakanaVu = 0x8394;        // ヴ, the one voiced form not next to its base

struct TTables {
  std::array<char16_t, 256> single{};
  std::array<char16_t, kLeadCount * 256> pair{};
  std::array<TCharCode, 0x10000> encode{};
  // Width: for a byte, its full-width code (0 when none) and the one
  // character it forms with a following ﾞ or ﾟ (0 when none); for a pair,
  // its half-width bytes packed first | second << 8 (0 when none).
  std::array<TCharCode, 256> fullWidth{};
  std::array<TCharCode, 256> voiced{};
  std::array<TCharCode, 256> semiVoiced{};
  std::array<std::uint16_t, kLeadCount * 256> halfWidth{};
};

[[noreturn]] void MissingConverter() {
  std::fputs("quillet: glibc has no CP932 converter (gconv modules missing)\n", stderr);
  std::abort();
}

// One character through iconv, as UTF-16LE so the byte order is ours to
// read. Returns the output bytes, or 0 when iconv refuses the input.
std::size_t Convert(iconv_t cd, const unsigned char* in, std::size_t inLength,
                    unsigned char (&out)[8]) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  // iconv's interface is not const-correct; it never writes the input.
  char* inPtr = const_cast<char*>(reinterpret_cast<const char*>(in));
  char* outPtr = reinterpret_cast<char*>(out);
  std::size_t inLeft = inLength;
  std::size_t outLeft = sizeof out;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
    return 0;
  }
  return sizeof out - outLeft;
}

char16_t DecodeWithIconv(iconv_t cd, const unsigned char* bytes, std::size_t length) {
  unsigned char out[8];
  if (Convert(cd, bytes, length, out) != 2) return kNoChar;
  return static_cast<char16_t>(out[0] | out[1] << 8);
}

TCharCode EncodeWithIconv(iconv_t cd, char16_t c) {
  const unsigned char in[2] = {static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>(c >> 8)};
  unsigned char out[8];
  switch (Convert(cd, in, 2, out)) {
    case 1: return out[0];
    case 2: return static_cast<TCharCode>(out[0] << 8 | out[1]);
    default: return kNoCode;
  }
}

void BuildConversion(TTables& t) {
  iconv_t decoder = iconv_open("UTF-16LE", "CP932");
  iconv_t encoder = iconv_open("CP932", "UTF-16LE");
  if (decoder == reinterpret_cast<iconv_t>(-1) || encoder == reinterpret_cast<iconv_t>(-1)) {
    MissingConverter();
  }

  t.encode.fill(kNoCode);
  std::vector<char16_t> shared;  // characters with more than one code
  auto addInverse = [&](char16_t c, TCharCode code) {
    if (t.encode[c] == kNoCode) {
      t.encode[c] = code;
    } else {
      shared.push_back(c);
    }
  };

  for (unsigned b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    t.single[b] = IsLeadByte(byte) ? kNoChar : DecodeWithIconv(decoder, &byte, 1);
    if (t.single[b] != kNoChar) addInverse(t.single[b], static_cast<TCharCode>(b));
  }
  t.pair.fill(kNoChar);
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
      const unsigned char bytes[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
      const auto code = static_cast<TCharCode>(lead << 8 | trail);
      const char16_t c = DecodeWithIconv(decoder, bytes, 2);
      t.pair[PairIndex(code)] = c;
      if (c != kNoChar) addInverse(c, code);
    }
  }
  for (const char16_t c : shared) {
    const TCharCode preferred = EncodeWithIconv(encoder, c);
    if (preferred != kNoCode) t.encode[c] = preferred;
  }

  // The JIS form first, then the code page character it stands for.
  static constexpr std::pair<char16_t, char16_t> kTwins[] = {
      {u'\u301C', u'\uFF5E'},  // WAVE DASH → FULLWIDTH TILDE
      {u'\u2016', u'\u2225'},  // DOUBLE VERTICAL LINE → PARALLEL TO
      {u'\u2212', u'\uFF0D'},  // MINUS SIGN → FULLWIDTH HYPHEN-MINUS
      {u'\u00AC', u'\uFFE2'},  // NOT SIGN → FULLWIDTH NOT SIGN
      {u'\u2014', u'\u2015'},  // EM DASH → HORIZONTAL BAR
      {u'\u00A2', u'\uFFE0'},  // CENT SIGN → FULLWIDTH CENT SIGN
      {u'\u00A3', u'\uFFE1'},  // POUND SIGN → FULLWIDTH POUND SIGN
      {u'\u00A5', u'\u005C'},  // YEN SIGN → the byte 0x5C (JIS-Roman)
      {u'\u203E', u'\u007E'},  // OVERLINE → the byte 0x7E (JIS-Roman)
  };
  for (const auto& [jis, own] : kTwins) t.encode[jis] = t.encode[own];

  iconv_close(decoder);
  iconv_close(encoder);
}

void BuildWidth(TTables& t) {
  // ASCII and the space, from the code page's own full-width forms, so that
  // every code reading as U+FF01-U+FF5E narrows, duplicates included.
  t.fullWidth[0x20] = kFullWidthSpace;
  t.halfWidth[PairIndex(kFullWidthSpace)] = 0x20;
  for (unsigned b = 0x21; b <= 0x7E; ++b) t.fullWidth[b] = t.encode[b + 0xFEE0u];
  for (std::size_t i = 0; i < t.pair.size(); ++i) {
    const char16_t c = t.pair[i];
    if (c >= 0xFF01 && c <= 0xFF5E) t.halfWidth[i] = static_cast<std::uint16_t>(c - 0xFEE0);
  }

  for (unsigned b = 0xA1; b <= 0xDF; ++b) {
    const TCharCode full = kKatakanaFullWidth[b - 0xA1];
    t.fullWidth[b] = full;
    t.halfWidth[PairIndex(full)] = static_cast<std::uint16_t>(b);
  }
  auto addCombined = [&](unsigned base, unsigned char mark, TCharCode full) {
    (mark == kVoicedMark ? t.voiced : t.semiVoiced)[base] = full;
    t.halfWidth[PairIndex(full)] = static_cast<std::uint16_t>(base | unsigned{mark} << 8);
  };
  // ｶ..ﾄ and ﾊ..ﾎ: in the full-width rows the voiced form follows its base,
  // and for ﾊ..ﾎ the semi-voiced form follows that.
  for (unsigned b = 0xB6; b <= 0xC4; ++b) addCombined(b, kVoicedMark, static_cast<TCharCode>(t.fullWidth[b] + 1));
  for (unsigned b = 0xCA; b <= 0xCE; ++b) {
    addCombined(b, kVoicedMark, static_cast<TCharCode>(t.fullWidth[b] + 1));
    addCombined(b, kSemiVoicedMark, static_cast<TCharCode>(t.fullWidth[b] + 2));
  }
  addCombined(0xB3, kVoicedMark, kKatakanaVu);  // ｳﾞ
}

const TTables& Tables() {
  static const TTables* const tables = [] {
    auto* t = new TTables();  // about 190 KB: too big for a thread's stack
    BuildConversion(*t);
    BuildWidth(*t);
    return t;
  }();
  return *tables;
}

// The character at byte offset i for display, and its length in bytes, by
// the rules in the header.
char16_t DecodeAt(const TTables& t, std::string_view s, std::size_t i, std::size_t& length) {
  const auto first = static_cast<unsigned char>(s[i]);
  length = 1;
  if (!IsLeadByte(first)) {
    const char16_t c = t.single[first];
    return c == kNoChar ? kReplacement : c;
  }
  if (i + 1 >= s.size() || !IsTrailByte(static_cast<unsigned char>(s[i + 1]))) return kReplacement;
  length = 2;
  const char16_t c = t.pair[PairIndex(CodeAt(s, i))];
  return c == kNoChar ? kReplacement : c;
}

void AppendUtf8(std::string& out, char16_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Reads one well-formed UTF-8 sequence at byte offset i: the code point and
// its length, or false for anything malformed (overlong forms, encoded
// surrogates, truncation, stray continuation bytes).
bool ReadUtf8(std::string_view s, std::size_t i, char32_t& c, std::size_t& length) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (b0 < 0x80) {
    c = b0;
    length = 1;
    return true;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    c = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    c = b0 & 0x0Fu;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    c = b0 & 0x07u;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return false;
  }
  if (s.size() - i < length) return false;
  for (std::size_t k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return false;
    c = c << 6 | (b & 0x3Fu);
  }
  return true;
}

template <typename TMap>
std::string MapChars(std::string_view s, TMap map) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) AppendCode(out, map(CodeAt(s, i)));
  return out;
}

}  // namespace

void AppendCode(std::string& out, TCharCode code) {
  if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

bool ToUtf16(std::string_view cp932, std::u16string& out) {
  const TTables& t = Tables();
  out.clear();
  out.reserve(cp932.size());
  bool clean = true;
  std::size_t length = 0;
  for (std::size_t i = 0; i < cp932.size(); i += length) {
    const char16_t c = DecodeAt(t, cp932, i, length);
    clean = clean && c != kReplacement;
    out.push_back(c);
  }
  return clean;
}

bool ToUtf8(std::string_view cp932, std::string& out) {
  const TTables& t = Tables();
  out.clear();
  out.reserve(cp932.size() + cp932.size() / 2);
  bool clean = true;
  std::size_t length = 0;
  for (std::size_t i = 0; i < cp932.size(); i += length) {
    const char16_t c = DecodeAt(t, cp932, i, length);
    clean = clean && c != kReplacement;
    AppendUtf8(out, c);
  }
  return clean;
}

bool FromUtf16(std::u16string_view text, std::string& out, std::size_t* badIndex) {
  const TTables& t = Tables();
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    // No code decodes to a surrogate, so the table refuses both halves of a
    // pair: every character beyond the BMP.
    const TCharCode code = t.encode[text[i]];
    if (code == kNoCode) {
      if (badIndex != nullptr) *badIndex = i;
      return false;
    }
    AppendCode(bytes, code);
  }
  out = std::move(bytes);
  return true;
}

bool FromUtf8(std::string_view text, std::string& out, std::size_t* badIndex) {
  const TTables& t = Tables();
  std::string bytes;
  bytes.reserve(text.size());
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); i += length) {
    char32_t c = 0;
    const TCharCode code = ReadUtf8(text, i, c, length) && c <= 0xFFFF ? t.encode[c] : kNoCode;
    if (code == kNoCode) {
      if (badIndex != nullptr) *badIndex = i;
      return false;
    }
    AppendCode(bytes, code);
  }
  out = std::move(bytes);
  return true;
}

TCharCode LowerChar(TCharCode code) noexcept {
  auto shift = [code](int delta) { return static_cast<TCharCode>(code + delta); };
  if (code >= 'A' && code <= 'Z') return shift(0x20);
  if (code >= 0x8260 && code <= 0x8279) return shift(0x21);  // Ａ-Ｚ
  if (code >= 0x839F && code <= 0x83B6) return shift(0x20);  // Α-Ω
  if (code >= 0x8440 && code <= 0x844E) return shift(0x30);  // А-Н
  if (code >= 0x844F && code <= 0x8460) return shift(0x31);  // О-Я, over the gap at 0x847F
  return code;
}

TCharCode UpperChar(TCharCode code) noexcept {
  auto shift = [code](int delta) { return static_cast<TCharCode>(code - delta); };
  if (code >= 'a' && code <= 'z') return shift(0x20);
  if (code >= 0x8281 && code <= 0x829A) return shift(0x21);  // ａ-ｚ
  if (code >= 0x83BF && code <= 0x83D6) return shift(0x20);  // α-ω
  if (code >= 0x8470 && code <= 0x847E) return shift(0x30);  // а-н
  if (code >= 0x8480 && code <= 0x8491) return shift(0x31);  // о-я
  return code;
}

std::string LowerCase(std::string_view cp932) { return MapChars(cp932, LowerChar); }

std::string UpperCase(std::string_view cp932) { return MapChars(cp932, UpperChar); }

void LowerCaseInPlace(std::string& cp932) {
  for (std::size_t i = 0; i < cp932.size(); i += CharLength(cp932, i)) {
    const auto byte = static_cast<unsigned char>(cp932[i]);
    if (byte < 0x80) {  // most of a diary: no table lookup
      if (byte >= 'A' && byte <= 'Z') cp932[i] = static_cast<char>(byte + ('a' - 'A'));
      continue;
    }
    const TCharCode code = CodeAt(cp932, i);
    const TCharCode lower = LowerChar(code);
    if (lower == code) continue;
    // A partner is always of the same width: one byte or a pair.
    if (lower > 0xFF) {
      cp932[i] = static_cast<char>(lower >> 8);
      cp932[i + 1] = static_cast<char>(lower & 0xFF);
    } else {
      cp932[i] = static_cast<char>(lower);
    }
  }
}

std::string ToHalfWidth(std::string_view cp932) {
  const TTables& t = Tables();
  std::string out;
  out.reserve(cp932.size());
  for (std::size_t i = 0; i < cp932.size(); i += CharLength(cp932, i)) {
    const TCharCode code = CodeAt(cp932, i);
    const std::uint16_t half = code > 0xFF ? t.halfWidth[PairIndex(code)] : 0;
    if (half == 0) {
      AppendCode(out, code);
    } else {
      out.push_back(static_cast<char>(half & 0xFF));
      if (half > 0xFF) out.push_back(static_cast<char>(half >> 8));
    }
  }
  return out;
}

std::string ToFullWidth(std::string_view cp932) {
  const TTables& t = Tables();
  std::string out;
  out.reserve(cp932.size() * 2);
  std::size_t step = 0;
  for (std::size_t i = 0; i < cp932.size(); i += step) {
    step = CharLength(cp932, i);
    const TCharCode code = CodeAt(cp932, i);
    if (code > 0xFF || t.fullWidth[code] == 0) {
      AppendCode(out, code);
      continue;
    }
    // A kana is a single byte, so a mark right after it is a character of
    // its own and never the trail byte of something else.
    const auto next = i + 1 < cp932.size() ? static_cast<unsigned char>(cp932[i + 1]) : 0;
    const TCharCode combined = next == kVoicedMark       ? t.voiced[code]
                               : next == kSemiVoicedMark ? t.semiVoiced[code]
                                                         : 0;
    if (combined != 0) {
      AppendCode(out, combined);
      step = 2;
    } else {
      AppendCode(out, t.fullWidth[code]);
    }
  }
  return out;
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    lines.push_back(bytes.substr(start, end - start));
    start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

}  // namespace quillet
