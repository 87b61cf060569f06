// Tests of CodePage against references we did not write: glibc's iconv
// "CP932" (the library, over every code of the code page and every BMP
// character, and the `iconv` command on a page of prose), glibc's
// towlower/towupper in C.UTF-8 for case, and Unicode's character data
// (<wide>/<narrow> pairs, voiced kana decompositions) through perl's
// Unicode::UCD for width. Expected Japanese text is written in UTF-8 and
// turned into code page 932 by iconv, never by the code under test.
#include "core/base/CodePage.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <wctype.h>

#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

using test::Cp932;
using test::Iconv;

std::string Utf16Le(std::u16string_view s) {
  std::string bytes;
  for (const char16_t c : s) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

std::optional<char16_t> Decode(std::string_view cp932) {
  const auto out = Iconv("UTF-16LE", "CP932", cp932);
  if (!out || out->size() != 2) return std::nullopt;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>((*out)[i]); };
  return static_cast<char16_t>(byte(0) | byte(1) << 8);
}

std::optional<std::string> Encode(char16_t c) { return Iconv("CP932", "UTF-16LE", Utf16Le({&c, 1})); }

std::string Code(TCharCode code) {
  std::string s;
  AppendCode(s, code);
  return s;
}

// Every code iconv reads as a character, with that character.
const std::vector<std::pair<TCharCode, char16_t>>& AllCodes() {
  static const auto codes = [] {
    std::vector<std::pair<TCharCode, char16_t>> all;
    for (unsigned code = 0; code <= 0xFCFC; ++code) {
      const auto first = static_cast<unsigned char>(code > 0xFF ? code >> 8 : code);
      if (IsLeadByte(first) != (code > 0xFF)) continue;
      if (const auto c = Decode(Code(static_cast<TCharCode>(code)))) all.emplace_back(code, *c);
    }
    return all;
  }();
  return codes;
}

// ---- Stepping ---------------------------------------------------------------

TEST(CodePageStepping, LeadBytesAreTheBytesThatStartPairs) {
  std::string neither;
  for (unsigned b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    const bool alone = Decode(std::string(1, static_cast<char>(b))).has_value();
    bool starts = false;
    for (unsigned t = 0x40; t <= 0xFC && !starts; ++t) {
      starts = Decode(std::string{static_cast<char>(b), static_cast<char>(t)}).has_value();
    }
    EXPECT_FALSE(alone && IsLeadByte(byte)) << std::hex << b;
    EXPECT_TRUE(!starts || IsLeadByte(byte)) << std::hex << b;
    if (!alone && !IsLeadByte(byte)) neither.push_back(static_cast<char>(b));
  }
  EXPECT_EQ(neither, "\x80\xA0\xFD\xFE\xFF");
}

TEST(CodePageStepping, CharLengthNeverSplitsAPair) {
  const std::vector<std::pair<std::string, std::vector<std::size_t>>> rows = {
      {"ab", {1, 1}},          {Cp932("アA"), {2, 1}},       {Cp932("ソ\\"), {2, 1}},  // trail bytes 'A' and '\'
      {"a\x82", {1, 1}},       {"\x82\n", {2}},           {Cp932("ｶﾞ"), {1, 1}},
      {"\x80\xA0\xFD", {1, 1, 1}},
  };
  for (const auto& [text, expected] : rows) {
    std::vector<std::size_t> lengths;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) lengths.push_back(CharLength(text, i));
    EXPECT_EQ(lengths, expected) << text;
  }
  EXPECT_EQ(CharLength("a", 5), 1u);
  EXPECT_EQ(CodeAt(Cp932("ア"), 0), 0x8341);
  const std::string space = Cp932("a　＝@");  // ＝ is 81 81, so 81 40 follows at offset 4
  EXPECT_TRUE(IsFullWidthSpace(space, 1));
  EXPECT_FALSE(IsFullWidthSpace(space, 3));
  EXPECT_FALSE(IsFullWidthSpace("\x81", 0));
}

// ---- Display ----------------------------------------------------------------

TEST(CodePageDecode, EverySequenceAsIconvOrAReplacementMark) {
  auto check = [](const std::string& bytes, const std::u16string& expected) {
    std::u16string text;
    std::string utf8;
    const bool clean = expected.find(u'\uFFFD') == std::u16string::npos;
    EXPECT_EQ(ToUtf16(bytes, text), clean);
    EXPECT_EQ(ToUtf8(bytes, utf8), clean);
    EXPECT_EQ(text, expected) << std::hex << CodeAt(bytes, 0);
    EXPECT_EQ(utf8, Iconv("UTF-8", "UTF-16LE", Utf16Le(expected)));
  };
  for (unsigned b = 0; b < 256; ++b) {
    const std::string lead(1, static_cast<char>(b));
    if (!IsLeadByte(static_cast<unsigned char>(b))) {
      check(lead, {Decode(lead).value_or(u'\uFFFD')});
      continue;
    }
    for (unsigned t = 0; t < 256; ++t) {
      const std::string trail(1, static_cast<char>(t));
      const bool inRange = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
      if (const auto c = Decode(lead + trail)) {
        check(lead + trail, {*c});
      } else {
        const char16_t next = Decode(trail).value_or(u'\uFFFD');
        check(lead + trail, inRange ? u"\uFFFD" : std::u16string{u'\uFFFD', next});
      }
    }
  }
}

// Single bytes and pairs are checked one by one above; these are bad bytes
// among others.
TEST(CodePageDecode, BadBytesInText) {
  const std::vector<std::pair<std::string, std::u16string>> rows = {
      {"\x82\xA0\x82", u"あ\uFFFD"},                                      // lead byte at the end
      {"\x82\r\n", u"\uFFFD\r\n"},                                        // the line end stays visible
      {std::string("\0\t\x1B\x7F", 4), std::u16string(u"\0\t\u001B\u007F", 4)},
  };
  for (const auto& [bytes, expected] : rows) {
    std::u16string text;
    ToUtf16(bytes, text);
    EXPECT_EQ(text, expected);
  }
}

// ---- Input ------------------------------------------------------------------

TEST(CodePageEncode, EveryBmpCharacterAsIconv) {
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    const auto c = static_cast<char16_t>(u);
    const auto expected = Encode(c);
    std::string out16 = "kept";
    std::string out8 = "kept";
    std::size_t bad = 99;
    ASSERT_EQ(FromUtf16({&c, 1}, out16, &bad), expected.has_value()) << std::hex << u;
    ASSERT_EQ(FromUtf8(*Iconv("UTF-8", "UTF-16LE", Utf16Le({&c, 1})), out8, &bad), expected.has_value());
    ASSERT_EQ(out16, expected.value_or("kept")) << std::hex << u;
    ASSERT_EQ(out8, expected.value_or("kept")) << std::hex << u;
    if (!expected) {
      ASSERT_EQ(bad, 0u);
    }
  }
}

TEST(CodePageEncode, RefusesWhatTheCodePageCannotHold) {
  const std::vector<std::pair<std::string, std::size_t>> characters = {
      {"日記😀です", 6}, {"𠮷野家", 0}, {"丂", 0},         {"♡", 0},
      {"café", 3},       {"한", 0},     {"a\u0085", 1},    {"\uFFFD", 0},
  };
  const std::vector<std::pair<std::string, std::size_t>> malformed = {
      {"あ\xE3\x81", 3}, {"\xC0\xAF", 0}, {"\xED\xA0\x80", 0}, {"a\x80", 1},
  };
  for (const auto& rows : {characters, malformed}) {
    for (const auto& [utf8, badByte] : rows) {
      std::string out = "kept";
      std::size_t bad = 99;
      EXPECT_FALSE(FromUtf8(utf8, out, &bad)) << utf8;
      EXPECT_EQ(out, "kept");
      EXPECT_EQ(bad, badByte) << utf8;
      EXPECT_FALSE(Iconv("CP932", "UTF-8", utf8)) << utf8;
    }
  }
  const std::vector<std::pair<std::u16string, std::size_t>> surrogates = {
      {u"日記\U0001F600", 2},
      {std::u16string(u"a") + char16_t{0xD83D}, 1},
      {std::u16string(1, char16_t{0xDE00}), 0},
  };
  for (const auto& [text, badUnit] : surrogates) {
    std::string out = "kept";
    std::size_t bad = 99;
    EXPECT_FALSE(FromUtf16(text, out, &bad));
    EXPECT_EQ(bad, badUnit);
    EXPECT_EQ(out, "kept");
  }
}

TEST(CodePageRoundTrip, ProseMatchesTheIconvCommand) {
  const std::string path = QUILLET_TEST_DATA "/codepage/prose-utf8.txt";
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path;
  const std::string utf8{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::string encoded;
  std::string decoded;
  ASSERT_TRUE(test::RunCommand("iconv -f UTF-8 -t CP932 '" + path + "'", encoded));
  ASSERT_TRUE(test::RunCommand("iconv -f UTF-8 -t CP932 '" + path + "' | iconv -f CP932 -t UTF-8", decoded));

  std::string bytes;
  std::string back;
  ASSERT_TRUE(FromUtf8(utf8, bytes));
  EXPECT_EQ(bytes, encoded);
  EXPECT_TRUE(ToUtf8(bytes, back));
  EXPECT_EQ(back, decoded);
}

// ---- Case -------------------------------------------------------------------

// Single codes are checked one by one below; these are the cases of a code
// in running text.
TEST(CodePageCase, ALeadByteTakesTheNextByteWithIt) {
  // Even a newline; a lead byte at the end stands alone.
  EXPECT_EQ(LowerCase("\x83\x41Z\x82\nZ\x83"), "\x83\x41z\x82\nz\x83");
  EXPECT_EQ(UpperCase("\x83\x61z\x82\x9A"), "\x83\x61Z\x82\x79");
  EXPECT_EQ(UpperCase("\x84\x7F"), "\x84\x7F");  // the gap in the Cyrillic row is no letter
}

TEST(CodePageCase, EveryCodeAsGlibcWhereThePairIsInTheCodePage) {
  const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (utf8 == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  std::u16string leftAlone;
  for (const auto& [code, c] : AllCodes()) {
    const bool covered = c < 0x80 || (c >= 0x0391 && c <= 0x03C9) || (c >= 0x0401 && c <= 0x0451) ||
                         (c >= 0xFF21 && c <= 0xFF5A);
    for (const bool lower : {true, false}) {
      const auto other = static_cast<char16_t>(lower ? towlower_l(c, utf8) : towupper_l(c, utf8));
      const auto mapped = other != c ? Encode(other) : std::nullopt;
      const std::string expected = covered && mapped ? *mapped : Code(code);
      if (!covered && mapped) leftAlone.push_back(c);
      ASSERT_EQ(Code(lower ? LowerChar(code) : UpperChar(code)), expected) << std::hex << code;
      ASSERT_EQ(lower ? LowerCase(Code(code)) : UpperCase(Code(code)), expected) << std::hex << code;
    }
  }
  freelocale(utf8);
  // Only the Roman numerals, of both the NEC and the IBM rows, are left alone.
  EXPECT_EQ(leftAlone.size(), 40u);
  for (const char16_t c : leftAlone) EXPECT_TRUE(c >= 0x2160 && c <= 0x217F) << std::hex << int{c};
}

// ---- Width ------------------------------------------------------------------

// Every code is checked against Unicode's width pairs below; these bytes are
// no character of the code page, and stay.
TEST(CodePageWidth, ControlsAndBytesOutsideTheCodePageStay) {
  const std::string controls("\0\t\r\n\x7F\x80\xA0\xFD", 8);
  EXPECT_EQ(ToFullWidth(controls), controls);
  EXPECT_EQ(ToHalfWidth(controls), controls);
}

TEST(CodePageWidth, TrailBytesThatLookLikeAsciiOrKanaStay) {
  EXPECT_EQ(ToFullWidth(Cp932("ソ\\アA")), Cp932("ソ＼アＡ"));  // ソ is 83 5C, ア 83 41
  EXPECT_EQ(ToHalfWidth(Cp932("ソ")), Cp932("ｿ"));
  EXPECT_EQ(ToFullWidth("\x83\xB6\xDE"), Cp932("Ω゛"));  // Ω's trail byte is ｶ's: no ガ
  EXPECT_EQ(ToFullWidth("a\x82"), Cp932("ａ") + "\x82");
}

TEST(CodePageWidth, HalfThenFullGivesBackTheText) {
  std::string text;
  for (unsigned b = 0x20; b <= 0x7E; ++b) text.push_back(static_cast<char>(b));
  for (unsigned b = 0xA1; b <= 0xDF; ++b) {
    const auto kana = static_cast<char>(b);
    text += {kana, kana, '\xDE', kana, '\xDF'};
  }
  const std::string full = ToFullWidth(text);
  EXPECT_LE(full.size(), 2 * text.size());
  EXPECT_EQ(ToHalfWidth(full), text);
}

TEST(CodePageWidth, EveryCodeAsUnicodeWidthPairs) {
  // Unicode gives <wide> and <narrow> decompositions only to U+3000 and the
  // Halfwidth and Fullwidth Forms; the voiced kana are in U+3000-U+30FF.
  std::string facts;
  if (!test::RunCommand(
              "perl -MUnicode::UCD=charinfo -e 'for $c (0x3000..0x30FF, 0xFF00..0xFFEF) {"
          " $i = charinfo($c) or next; $d = $i->{decomposition};"
          " print \"$i->{code} $d\\n\" if $d =~ /^(<wide>|<narrow>) [0-9A-F]+$|^[0-9A-F]+ 309[9A]$/ }'",
          facts)) {
    GTEST_SKIP() << "perl with Unicode::UCD is not available";
  }

  std::multimap<char16_t, TCharCode> codesOf;
  for (const auto& [code, c] : AllCodes()) codesOf.emplace(c, code);
  auto single = [&](char16_t c) {  // the byte of a one-byte character, or ""
    const auto it = codesOf.find(c);
    return it != codesOf.end() && it->second <= 0xFF ? Code(it->second) : std::string();
  };
  // The combining marks have no code; the spacing ones stand in for them.
  const std::map<char16_t, std::string> marks = {{u'\u3099', Cp932("゛")}, {u'\u309A', Cp932("゜")}};
  std::map<std::string, std::string> expectedFull;  // half-width bytes → full-width bytes
  std::map<std::string, std::string> expectedHalf;  // the reverse, for every code of a character
  std::map<char16_t, std::string> narrowOf;         // full-width character → half-width bytes
  std::vector<std::pair<char16_t, std::u16string>> voiced;
  std::istringstream lines(facts);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    unsigned self = 0;
    unsigned part = 0;
    std::string tag;
    fields >> std::hex >> self >> tag >> part;
    const auto c = static_cast<char16_t>(self);
    const auto other = static_cast<char16_t>(part);
    if (tag == "<wide>" && !single(other).empty() && Encode(c)) {
      expectedFull[single(other)] = *Encode(c);
      for (auto [it, end] = codesOf.equal_range(c); it != end; ++it) expectedHalf[Code(it->second)] = single(other);
    } else if (tag == "<narrow>" && !single(c).empty()) {
      const std::string full = marks.count(other) ? marks.at(other) : Encode(other).value_or("");
      ASSERT_FALSE(full.empty()) << line;
      expectedFull[single(c)] = full;
      expectedHalf[full] = single(c);
      narrowOf[other] = single(c);
    } else if (tag[0] != '<' && Encode(c)) {  // canonical: base and combining mark
      voiced.emplace_back(c, std::u16string{static_cast<char16_t>(std::stoul(tag, nullptr, 16)), other});
    }
  }
  std::size_t combined = 0;
  for (const auto& [c, parts] : voiced) {
    if (!narrowOf.count(parts[0])) continue;  // hiragana, ヽ: no half-width base
    expectedFull[narrowOf[parts[0]] + narrowOf[parts[1]]] = *Encode(c);
    expectedHalf[*Encode(c)] = narrowOf[parts[0]] + narrowOf[parts[1]];
    ++combined;
  }
  EXPECT_EQ(combined, 26u);  // 15 + 5 voiced, 5 semi-voiced, and ヴ

  auto expected = [](const std::map<std::string, std::string>& table, const std::string& key) {
    return table.count(key) ? table.at(key) : key;
  };
  for (const auto& [code, c] : AllCodes()) {
    const std::string bytes = Code(code);
    ASSERT_EQ(code <= 0xFF ? ToFullWidth(bytes) : ToHalfWidth(bytes),
              expected(code <= 0xFF ? expectedFull : expectedHalf, bytes))
        << std::hex << code;
    if (code < 0xA1 || code > 0xDF) continue;
    for (const std::string mark : {"\xDE", "\xDF"}) {  // a kana and a mark: one character, else two
      const auto together = expectedFull.find(bytes + mark);
      const std::string apart = expectedFull[bytes] + expectedFull[mark];
      ASSERT_EQ(ToFullWidth(bytes + mark), together != expectedFull.end() ? together->second : apart)
          << std::hex << code;
    }
  }
}

}  // namespace
}  // namespace quillet
