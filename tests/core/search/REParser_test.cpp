// Tests of TREScanner and TREParser: every syntax error with its message
// and 1-based position, the escapes, and the shape of what is accepted
// (checked through the tree's leaves and the matcher, not the node layout).
// Expected messages are written in UTF-8 and converted by glibc's iconv.
#include "core/search/REParser.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

using test::Cp932;

struct TErrorRow {
  const char* name;
  std::string pattern;  // code page 932
  const char* message;  // UTF-8
  std::size_t position;
};

class ParserErrors : public ::testing::TestWithParam<TErrorRow> {};

TEST_P(ParserErrors, RaisesTheMessageAtItsPosition) {
  const TErrorRow& row = GetParam();
  TREParseTree tree;
  try {
    TREParser::Parse(row.pattern, tree);
    FAIL() << "no error for " << row.pattern;
  } catch (const ERegExpParser& error) {
    EXPECT_EQ(error.Message(), Cp932(row.message));
    EXPECT_EQ(error.Position(), row.position);
  }
}

const std::string kLead = "\x93";  // first byte of 日

INSTANTIATE_TEST_SUITE_P(
    Table, ParserErrors,
    ::testing::Values(
        TErrorRow{"StarFirst", "*a", "普通の文字、または左括弧\"(\"が必要です", 1},
        TErrorRow{"PlusAfterUnion", "a|+", "普通の文字、または左括弧\"(\"が必要です", 3},
        TErrorRow{"TwoPostfixOperators", "ab**", "普通の文字、または左括弧\"(\"が必要です", 4},
        TErrorRow{"QuestionThenStar", "a?*", "普通の文字、または左括弧\"(\"が必要です", 3},
        TErrorRow{"StrayClassEnd", "a]", "普通の文字、または左括弧\"(\"が必要です", 2},
        TErrorRow{"MissingRightParen", "(ab", "右(閉じ)括弧が必要です", 4},
        TErrorRow{"MissingRightParenNested", "((a)|b", "右(閉じ)括弧が必要です", 7},
        TErrorRow{"UnmatchedRightParen", "ab)c", "正規表現に余分な文字があります", 3},
        TErrorRow{"LoneRightParen", ")", "正規表現に余分な文字があります", 1},
        TErrorRow{"EmptyClass", "a[]", "不正なキャラクタクラス指定です。", 3},
        TErrorRow{"EmptyNegatedClass", "[^]", "不正なキャラクタクラス指定です。", 3},
        TErrorRow{"ReversedRange", "x[bz-a]", "不正なキャラクタ範囲です", 4},
        TErrorRow{"ReversedEscapedRange", "[\\x42-\\x41]", "不正なキャラクタ範囲です", 2},
        TErrorRow{"ClassNotClosed", "[abc", "右ブラケット\"]\"が必要です", 5},
        TErrorRow{"ClassEndingInDash", "[a-", "右ブラケット\"]\"が必要です", 4},
        TErrorRow{"LeadByteAtEnd", "ab" + kLead, "不正な２バイト文字コードです。", 3},
        TErrorRow{"LeadByteAtEndInClass", "[" + kLead, "不正な２バイト文字コードです。", 2},
        TErrorRow{"EscapedLeadByteAtEnd", "a\\" + kLead, "不正な２バイト文字コードです。", 3},
        TErrorRow{"BackslashAtEnd", "ab\\", "\"\\\"の次には文字が必要です。", 3},
        TErrorRow{"BackslashAtEndInClass", "[a\\", "\"\\\"の次には文字が必要です。", 3},
        TErrorRow{"HexWithoutDigit", "\\xg", "不正な１６進数コード表記です。", 3},
        TErrorRow{"HexAtEnd", "a\\x", "不正な１６進数コード表記です。", 4},
        TErrorRow{"SixSevens", "\\777777", "不正な８進数コード表記です。", 7},
        TErrorRow{"OctalJustPastLimit", "\\200000", "不正な８進数コード表記です。", 7},
        TErrorRow{"TooDeeplyNested", std::string(kREMaxNesting + 1, '(') + std::string(kREMaxNesting + 1, ')'),
                  "括弧の入れ子が深すぎます", kREMaxNesting + 1}),
    [](const auto& row) { return std::string(row.param.name); });

// What the scanner makes of one character or escape, through the tree.
TRELeaf OnlyLeaf(const std::string& pattern) {
  TREParseTree tree;
  TREParser::Parse(pattern, tree);
  tree.SplitLeaves({});
  EXPECT_EQ(tree.Leaves().size(), 1u) << pattern;
  return tree.Leaves().empty() ? TRELeaf{} : tree.Leaves().front();
}

struct TEscapeRow {
  const char* name;
  std::string pattern;
  TRECode lo;
  TRECode hi;
};

class Escapes : public ::testing::TestWithParam<TEscapeRow> {};

TEST_P(Escapes, GiveTheirCode) {
  const TEscapeRow& row = GetParam();
  const TRELeaf leaf = OnlyLeaf(row.pattern);
  EXPECT_EQ(leaf.Lo, row.lo);
  EXPECT_EQ(leaf.Hi, row.hi);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Escapes,
    ::testing::Values(TEscapeRow{"Backspace", "\\b", 8, 8}, TEscapeRow{"Return", "\\r", 13, 13},
                      TEscapeRow{"Newline", "\\n", 10, 10}, TEscapeRow{"Tab", "\\t", 9, 9},
                      TEscapeRow{"HexTwoDigits", "\\x41", 0x41, 0x41},
                      TEscapeRow{"HexUpperCase", "\\xFA", 0xFA, 0xFA},
                      TEscapeRow{"HexFourDigits", "\\x8140", 0x8140, 0x8140},
                      TEscapeRow{"Octal", "\\101", 65, 65}, TEscapeRow{"OctalZero", "\\0", 0, 0},
                      TEscapeRow{"OctalMaximum", "\\177777", 0xFFFF, 0xFFFF},
                      TEscapeRow{"EightIsNotOctal", "\\8", '8', '8'},
                      TEscapeRow{"EscapedMetacharacter", "\\*", '*', '*'},
                      // Former bug: the character after a backslash was read as
                      // another escape, so \\ swallowed what followed.
                      TEscapeRow{"EscapedBackslash", "\\\\", '\\', '\\'},
                      TEscapeRow{"EscapedDoubleByte", "\\\x93\xFA", 0x93FA, 0x93FA},
                      TEscapeRow{"DoubleByteWithBackslashTrail", "\x83\x5C", 0x835C, 0x835C},
                      TEscapeRow{"BraceIsOrdinary", "{", '{', '{'},
                      TEscapeRow{"RangeInClass", "[a-z]", 'a', 'z'},
                      TEscapeRow{"EscapedRangeEnds", "[\\x41-\\132]", 'A', 'Z'},
                      TEscapeRow{"EscapedBracketInClass", "[\\]]", ']', ']'}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Scanner, HexAndOctalNumbersStopAtTheFirstNonDigit) {
  TREScanner hex("\\x41424");
  EXPECT_EQ(hex.Next().Lo, 0x4142u);
  EXPECT_EQ(hex.Next().Lo, static_cast<TRECode>('4'));
  TREScanner octal("\\1234567");
  EXPECT_EQ(octal.Next().Lo, 0123456u);
  EXPECT_EQ(octal.Next().Lo, static_cast<TRECode>('7'));
  TREScanner shortOctal("\\18");
  EXPECT_EQ(shortOctal.Next().Lo, 1u);
  EXPECT_EQ(shortOctal.Next().Lo, static_cast<TRECode>('8'));
}

TEST(Parser, AcceptsEmptyAlternatives) {
  for (const char* pattern : {"", "a|", "|a", "(|a)", "()", "a||b", "(a|)*"}) {
    TREParseTree tree;
    EXPECT_NO_THROW(TREParser::Parse(pattern, tree)) << pattern;
  }
}

TEST(Parser, ClassesSplitIntoTheirCharacters) {
  const struct {
    const char* pattern;
    std::vector<std::pair<TRECode, TRECode>> leaves;
  } rows[] = {
      {"[a-]", {{'-', '-'}, {'a', 'a'}}},  // a dash before the class end is a character
      {"[a^]", {{'^', '^'}, {'a', 'a'}}},  // so is a caret inside
      // A negated class keeps only the ranges of any character outside its items.
      {"[^\\x05-\\x0b\\xFC40-\\xFFFF]", {{1, 4}, {12, 12}, {14, 0xFC3F}}},
  };
  for (const auto& row : rows) {
    TREParseTree tree;
    TREParser::Parse(row.pattern, tree);
    tree.SplitLeaves({});
    std::vector<std::pair<TRECode, TRECode>> leaves;
    for (const auto& leaf : tree.Leaves()) leaves.emplace_back(leaf.Lo, leaf.Hi);
    EXPECT_EQ(leaves, row.leaves) << row.pattern;
  }
}

TEST(Parser, LongPatternsDoNotRecurse) {
  // 200000 concatenated characters and a class of 50000 items build without
  // exhausting the stack.
  TREParseTree tree;
  EXPECT_NO_THROW(TREParser::Parse(std::string(200000, 'a'), tree));
  std::string items = "[";
  for (int i = 0; i < 50000; ++i) items += (i % 2 ? "a" : "b");
  items += "]";
  TREParseTree classTree;
  EXPECT_NO_THROW(TREParser::Parse(items, classTree));
}

}  // namespace
}  // namespace quillet
