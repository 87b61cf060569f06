// Tests of the plain search: matches only on character boundaries, and
// EscapeRegExp checked against the plain search itself (an escaped literal
// through the regular-expression matcher finds what FindPlain finds).
#include "core/search/PlainSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/search/bmRegExp.h"

namespace quillet {
namespace {

struct TRow {
  const char* name;
  std::string text;
  std::string pattern;
  std::size_t from;
  std::size_t expected;
};

class FindPlainTable : public ::testing::TestWithParam<TRow> {};

TEST_P(FindPlainTable, FindsOnlyWholeCharacters) {
  EXPECT_EQ(FindPlain(GetParam().text, GetParam().pattern, GetParam().from), GetParam().expected);
}

constexpr std::size_t kNone = std::string_view::npos;

INSTANTIATE_TEST_SUITE_P(
    Table, FindPlainTable,
    ::testing::Values(TRow{"Ascii", "hello world", "world", 0, 6}, TRow{"Missing", "hello", "x", 0, kNone},
                      TRow{"EmptyPattern", "abc", "", 1, 1}, TRow{"FromOffset", "abcabc", "abc", 1, 3},
                      TRow{"TrailByteIsNotAscii", "\x83\x41", "A", 0, kNone},
                      TRow{"AsciiAfterDoubleByte", "\x83\x41" "A", "A", 0, 2},
                      TRow{"NotAcrossCharacters", "\x82\xA0\x82\xA2", "\xA0\x82", 0, kNone},
                      TRow{"LeadRunPairsFromTheLineStart", "\x88\x9F\x82\xA0", "\x9F\x82", 0, kNone},
                      TRow{"PatternEndingInsideACharacter", "\x93\xFA", "\x93", 0, kNone},
                      TRow{"LoneLeadBeforeLineEnd", "a\x93\r\n", "\x93\r", 0, 1},
                      TRow{"FromPastTheEnd", "abc", "a", 4, kNone}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(EscapeRegExp, EscapedLiteralsMatchWhatThePlainSearchFinds) {
  const char* pieces[] = {"a", "\\", "|", "(", ")", "*", "+", "?", "[", "]", ".", "^", "$", "{",
                          "\x83\x5C", "\x83\x41", "\x93\xFA", "x"};
  std::mt19937 random(17);
  for (int round = 0; round < 2000; ++round) {
    std::string literal;
    std::string text;
    for (std::size_t k = 1 + random() % 4; k > 0; --k) literal += pieces[random() % std::size(pieces)];
    for (std::size_t k = random() % 12; k > 0; --k) text += pieces[random() % std::size(pieces)];
    if (random() % 2) text.insert(random() % 2 ? 0 : text.size(), literal);
    TAWKStr awk;
    awk.SetRegExp(EscapeRegExp(literal));
    std::size_t start = 0;
    std::size_t length = 0;
    const std::size_t plain = FindPlain(text, literal);
    ASSERT_EQ(awk.Match(text, start, length), plain != kNone) << literal << " in " << text;
    if (plain != kNone) {
      EXPECT_EQ(start, plain + 1);
      EXPECT_EQ(length, literal.size());
    }
  }
}

}  // namespace
}  // namespace quillet
