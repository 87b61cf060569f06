// Tests of TAWKStr.Match and the pattern cache: the edge cases of the
// engine in a table, and the matcher run against a plain backtracking
// reference (ReferenceMatcher.h) on generated patterns and texts over a small
// alphabet that mixes ASCII with double-byte characters whose trail bytes
// are ASCII ("ア" ends in 'A', "ソ" in a backslash).
#include "core/search/bmRegExp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ReferenceMatcher.h"

namespace quillet {
namespace {

constexpr const char* kA = "\x83\x41";   // ア
constexpr const char* kSo = "\x83\x5C";  // ソ
constexpr const char* kNichi = "\x93\xFA";  // 日

struct TMatchRow {
  const char* name;
  std::string pattern;
  std::string text;
  std::size_t start;  // 1-based, 0 = no match
  std::size_t length;
  TMatchCORE_LineSeparator separator = TMatchCORE_LineSeparator::mcls_CRLF;
};

class MatchTable : public ::testing::TestWithParam<TMatchRow> {};

TEST_P(MatchTable, FindsTheLeftmostLongestMatch) {
  const TMatchRow& row = GetParam();
  TAWKStr awk;
  awk.SetLineSeparator(row.separator);
  awk.SetRegExp(row.pattern);
  std::size_t start = 99;
  std::size_t length = 99;
  const bool found = awk.Match(row.text, start, length);
  EXPECT_EQ(found, row.start != 0);
  EXPECT_EQ(start, row.start);
  EXPECT_EQ(length, row.length);
}

// Operators, double-byte characters, the line head and tail in both
// line-end modes and the dot and negated classes at line ends are checked
// against the reference below, on generated patterns over an alphabet that
// holds them all; these rows are what that alphabet leaves out.
INSTANTIATE_TEST_SUITE_P(
    Table, MatchTable,
    ::testing::Values(
        TMatchRow{"ClassWithTrailingDash", "[a-]+", "x-a-y", 2, 3},
        TMatchRow{"HexEscape", "\\x41", "zA", 2, 1},
        TMatchRow{"OctalEscape", "\\101", "zA", 2, 1},
        TMatchRow{"AssertionCodeIsNotALineHead", "\\xFFFDa", "a", 0, 0},
        // Former bug: the text went on past a NUL byte, so "b" was found in
        // "a\0b" and "a$" was not; code 0 ends the text.
        TMatchRow{"NulEndsTheText", "b", std::string("a\0b", 3), 0, 0},
        TMatchRow{"LineTailAtANulByte", "a$", std::string("a\0b", 3), 1, 1},
        TMatchRow{"EscapedNulNeverMatches", std::string("a\\0b"), std::string("xa\0b", 4), 0, 0}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Cache, KeepsThePreviousPatternAfterASyntaxError) {
  TAWKStr awk;
  awk.SetRegExp("b+");
  EXPECT_THROW(awk.SetRegExp("a**"), ERegExpParser);
  EXPECT_EQ(awk.RegExp(), "b+");
  std::size_t start = 0;
  std::size_t length = 0;
  EXPECT_TRUE(awk.Match("abbc", start, length));
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(awk.CachedPatterns().size(), 2u);
}

// --- against the reference ---------------------------------------------------

const std::vector<std::string> kTextAlphabet = {"a", "b", "A", "\\", "^", "$", "\n", "\r", kA, kSo, kNichi, "\x93"};
const std::vector<std::string> kAtoms = {"a",     "b",        "A",     "\\\\",   kA,     kSo,    kNichi, ".",
                                         "[ab]",  "[^a]",     "[A-Z]", "[\x83\x40-\x83\x96]", "\\n", "\\x93", "^",
                                         "$",     "[^\\n\\r]", "\\^"};

std::string RandomText(std::mt19937& random, std::size_t maxLength) {
  std::string text;
  const std::size_t length = std::uniform_int_distribution<std::size_t>(0, maxLength)(random);
  for (std::size_t i = 0; i < length; ++i) {
    text += kTextAlphabet[std::uniform_int_distribution<std::size_t>(0, kTextAlphabet.size() - 1)(random)];
  }
  return text;
}

TEST(AgainstReference, MatchAgreesOnGeneratedPatternsAndTexts) {
  std::mt19937 random(20261206);
  int compared = 0;
  int matched = 0;
  for (int p = 0; p < 600; ++p) {
    const std::string pattern = test::RandomPattern(random, kAtoms);
    for (const auto separator : {TMatchCORE_LineSeparator::mcls_CRLF, TMatchCORE_LineSeparator::mcls_LF}) {
      TAWKStr awk;
      awk.SetLineSeparator(separator);
      awk.SetRegExp(pattern);
      test::TReferenceMatcher reference(pattern, test::TReferenceMatcher::TMode::String,
                                        separator == TMatchCORE_LineSeparator::mcls_CRLF ? kRECarriageReturn
                                                                                         : kRELineFeed);
      for (int t = 0; t < 25; ++t) {
        const std::string text = RandomText(random, 12);
        std::size_t start = 0;
        std::size_t length = 0;
        std::size_t refStart = 0;
        std::size_t refLength = 0;
        const bool found = awk.Match(text, start, length);
        const bool refFound = reference.Match(text, refStart, refLength);
        ASSERT_EQ(found, refFound) << "pattern '" << pattern << "' text '" << text << "'";
        if (found) {
          ASSERT_EQ(start, refStart + 1) << "pattern '" << pattern << "' text '" << text << "'";
          ASSERT_EQ(length, refLength) << "pattern '" << pattern << "' text '" << text << "'";
          ++matched;
        }
        ++compared;
      }
    }
  }
  // The generator must exercise both outcomes.
  EXPECT_GT(matched, compared / 10);
  EXPECT_LT(matched, compared - compared / 10);
}

TEST(AgainstReference, PatternPastTheStateCapStillMatchesCorrectly) {
  // Reversed, this pattern needs a state for every combination of the last
  // 14 characters: the lazy automaton flushes and goes on.
  std::string pattern = "a(a|b)";
  for (int i = 0; i < 13; ++i) pattern += "(a|b)";
  pattern += "(a|b)*";
  TAWKStr awk;
  awk.SetRegExp(pattern);
  test::TReferenceMatcher reference(pattern, test::TReferenceMatcher::TMode::String);
  std::mt19937 random(7);
  for (int t = 0; t < 200; ++t) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += (random() % 3 == 0 ? 'a' : 'b');
    std::size_t start = 0, length = 0, refStart = 0, refLength = 0;
    const bool found = awk.Match(text, start, length);
    ASSERT_EQ(found, reference.Match(text, refStart, refLength)) << text;
    if (found) {
      EXPECT_EQ(start, refStart + 1) << text;
      EXPECT_EQ(length, refLength) << text;
    }
  }
}

TEST(Linearity, LongTextWithoutMatchFinishes) {
  // A start-by-start matcher needs quadratic time here (every start runs to
  // the end of the text before failing): some 10^12 steps, which would never
  // finish. The two-pass matcher makes two walks over the text.
  TAWKStr awk;
  awk.SetRegExp("a*b");
  const std::string text(2000000, 'a');
  std::size_t start = 0;
  std::size_t length = 0;
  EXPECT_FALSE(awk.Match(text, start, length));
  EXPECT_TRUE(awk.Match(text + "b", start, length));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(length, text.size() + 1);
}

}  // namespace
}  // namespace quillet
