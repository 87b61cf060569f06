// Tests of TRE_NFA and TRE_DFA: plain-literal detection, the shape of the
// transitions (sorted, disjoint), the state cap with its flushing cache, and
// the size guards of the automaton builder.
#include "core/search/REDFA.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/search/bmRegExp.h"

namespace quillet {
namespace {

struct TLiteralRow {
  const char* name;
  std::string pattern;
  std::vector<TRECode> literal;  // empty: not a literal
};

class Literal : public ::testing::TestWithParam<TLiteralRow> {};

TEST_P(Literal, IsDetectedFromTheStartState) {
  TCompiledExpression compiled(GetParam().pattern, kREStringLineHead, kREStringLineTail);
  EXPECT_EQ(compiled.IsLiteral(), !GetParam().literal.empty());
  if (compiled.IsLiteral()) {
    EXPECT_EQ(compiled.LiteralCodes(), GetParam().literal);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Literal,
    ::testing::Values(TLiteralRow{"Plain", "abc", {'a', 'b', 'c'}},
                      TLiteralRow{"DoubleByte", "\x93\xFA\x8B\x4C", {0x93FA, 0x8B4C}},
                      TLiteralRow{"Grouped", "a(b)c", {'a', 'b', 'c'}},
                      TLiteralRow{"OneCharacterClass", "[a]b", {'a', 'b'}},
                      TLiteralRow{"SameAlternatives", "ab|ab", {'a', 'b'}},
                      TLiteralRow{"Escapes", "\\x41\\t", {'A', 9}},
                      TLiteralRow{"Alternatives", "a|b", {}}, TLiteralRow{"Star", "ab*", {}},
                      TLiteralRow{"Optional", "ab?", {}}, TLiteralRow{"Empty", "", {}},
                      TLiteralRow{"Class", "[ab]", {}}, TLiteralRow{"PrefixOfAnother", "ab|abc", {}},
                      TLiteralRow{"LineHead", "^a", {}}, TLiteralRow{"LineTail", "a$", {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Literal, GrepLineFeedAssertionsArePartOfTheLiteral) {
  TCompiledExpression compiled("^ab$", kRELineFeed, kRELineFeed);
  ASSERT_TRUE(compiled.IsLiteral());
  EXPECT_EQ(compiled.LiteralCodes(), (std::vector<TRECode>{10, 'a', 'b', 10}));
}

std::string BlowUp(int width) {
  std::string pattern = "(a|b)*a";
  for (int i = 0; i < width; ++i) pattern += "(a|b)";
  return pattern;
}

TEST(StateCap, SmallPatternsFitAndBigOnesStopAtTheCap) {
  TCompiledExpression small(BlowUp(6), kRELineFeed, kRELineFeed);
  TRE_DFA fits(small.Nfa(), TRE_DFA::TMode::Anchored);
  EXPECT_TRUE(fits.Explore());
  EXPECT_TRUE(fits.Complete());
  EXPECT_EQ(fits.StateCount(), 128u);  // one state per last 7 characters

  TCompiledExpression big(BlowUp(16), kRELineFeed, kRELineFeed);
  TRE_DFA capped(big.Nfa(), TRE_DFA::TMode::Anchored);
  EXPECT_FALSE(capped.Explore());
  EXPECT_FALSE(capped.Complete());
  EXPECT_LE(capped.StateCount(), capped.StateCap());
}

TEST(StateCap, FlushingKeepsAnswersAndPinnedStates) {
  // Walk a long text through a capped automaton and through one that needs
  // no flush for the same language restricted to a window: the accept
  // answers must agree with the pattern's meaning (an 'a' 17 characters back).
  TCompiledExpression big(BlowUp(16), kRELineFeed, kRELineFeed);
  TRE_DFA dfa(big.Nfa(), TRE_DFA::TMode::Anchored);
  const int pin = dfa.Pin(dfa.Step(TRE_DFA::Start(), 'b'));
  std::mt19937 random(11);
  std::string text;
  int state = TRE_DFA::Start();
  for (int i = 0; i < 60000; ++i) {
    const char c = random() % 2 ? 'a' : 'b';
    text += c;
    state = dfa.Step(state, static_cast<TRECode>(c));
    ASSERT_NE(state, TRE_DFA::kDead);
    const bool expected = text.size() >= 17 && text[text.size() - 17] == 'a';
    ASSERT_EQ(dfa.Accepts(state), expected) << "after " << text.size() << " characters";
  }
  EXPECT_GT(dfa.Flushes(), 0u);
  EXPECT_LE(dfa.StateCount(), dfa.StateCap());
  // The pinned state still is "one b read".
  EXPECT_FALSE(dfa.Accepts(dfa.Pinned(pin)));
  EXPECT_EQ(dfa.Step(dfa.Pinned(pin), 'x'), TRE_DFA::kDead);
}

TEST(AutomatonSize, NestedPlusesStayLinear) {
  std::string pattern = "a";
  for (int i = 0; i < 40; ++i) pattern = "(" + pattern + ")+";
  TCompiledExpression compiled(pattern, kREStringLineHead, kREStringLineTail);
  EXPECT_LT(compiled.Nfa().StateCount(), 200);
}

TEST(AutomatonSize, DoublingCopiesAreRefused) {
  // With a line head inside, x+ keeps two copies of x (the first may match at
  // a line head, the others only the character ^): 2^30 copies are refused
  // with an error instead of exhausting memory.
  std::string pattern = "^a";
  for (int i = 0; i < 30; ++i) pattern = "(" + pattern + ")+";
  try {
    TCompiledExpression compiled(pattern, kREStringLineHead, kREStringLineTail);
    FAIL() << "no error";
  } catch (const ERegExpParser& error) {
    EXPECT_EQ(error.Message(), remsg::kTooComplex);
  }
}

}  // namespace
}  // namespace quillet
