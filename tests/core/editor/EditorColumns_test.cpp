// The column model: attribute strings, tab filler, damaged double-byte
// text, caret columns as bytes, and the boundary-aware character sets.
#include "core/editor/EditorColumns.h"

#include <gtest/gtest.h>

#include <string>

#include "EditorTestSupport.h"

namespace quillet {
namespace {

using test::Cp;

std::string Attributes(std::string_view row, TColumnLayout layout, int limit = 0) {
  TEditorAttributeArray array;
  array.Build(row, layout, limit);
  std::string out;
  for (int c = 1; c <= array.Count() + 1; ++c) out += array.Attr(c);
  return out;
}

struct TAttrCase {
  const char* name;
  std::string row;
  TColumnLayout layout;
  std::string expected;  // with the terminating '0'
};

class AttributeString : public ::testing::TestWithParam<TAttrCase> {};

TEST_P(AttributeString, IsBuiltLeftToRight) {
  EXPECT_EQ(Attributes(GetParam().row, GetParam().layout), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AttributeString,
    ::testing::Values(
        TAttrCase{"WordAndDelimiters", "ab_9 -x", {2, 0}, "1111221" "0"},
        TAttrCase{"DoubleByte", Cp("あa"), {2, 0}, "451" "0"},
        TAttrCase{"HalfWidthPunctuationDelimitsKanaDoesNot", "\xA1\xA5\xA6\xDF", {2, 0}, "2211" "0"},
        TAttrCase{"HighSingleBytes", std::string("\x80\xA0\xFD\xFE\xFF", 5), {2, 0}, "22222" "0"},
        TAttrCase{"TabToNextStop", "a\tb", {4, 0}, "12331" "0"},
        TAttrCase{"TabOnStopHasNoFiller", "abc\td", {4, 0}, "11121" "0"},
        // The filler stops at the wrap column: tab at column 19 of W = 20.
        TAttrCase{"TabLimitedByWrapColumn", std::string(18, 'a') + "\tb", {8, 20},
                  std::string(18, '1') + "231" "0"},
        // Damaged text: a lead byte pairs only with a trail byte.
        TAttrCase{"LeadByteBeforeTabStandsAlone", "\x82\tx", {4, 0}, "12331" "0"},
        TAttrCase{"LeadByteBeforeNulStandsAlone", std::string("\x82\0x", 3), {2, 0}, "121" "0"},
        TAttrCase{"LeadByteAtRowEndStandsAlone", "a\x82", {2, 0}, "11" "0"},
        TAttrCase{"LeadByteBeforeBlankStandsAlone", "\x88 ", {2, 0}, "12" "0"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(AttributeString, StopsAtTheLimitButCompletesADoubleByteCharacter) {
  const std::string row = std::string(22, 'a') + Cp("あいう");
  TEditorAttributeArray array;
  array.Build(row, {2, 20});  // W + 3 = 23 columns
  EXPECT_EQ(array.Count(), 24);
  EXPECT_TRUE(array.Truncated());
  EXPECT_EQ(array.Attr(23), kAttrLead);
  EXPECT_EQ(array.Attr(24), kAttrTrail);
  EXPECT_EQ(array.Attr(25), kAttrEnd);
}

TEST(AttributeString, UnwrappedRowsStopAtAThousandColumns) {
  TEditorAttributeArray array;
  array.Build(std::string(1500, 'x'), {2, 0});
  EXPECT_EQ(array.Count(), kMaxUnwrappedColumns);
  EXPECT_TRUE(array.Truncated());
}

TEST(AttributeCursor, ReadsCharactersAndSourceBytes) {
  const std::string row = "a" + Cp("「") + "\tz";
  TEditorAttributeArray array;
  array.Build(row, {4, 0});  // a 「 tab(col 4, no filler) z
  ASSERT_EQ(Attributes(row, {4, 0}), "14521" "0");
  EXPECT_EQ(array.CharAt(2), Cp("「"));
  EXPECT_EQ(array.CharAt(3), Cp("「"));
  EXPECT_EQ(array.CharAt(4), "\t");
  EXPECT_EQ(array.CharAt(6), "");
  EXPECT_EQ(array.Bytes(1), 1);
  EXPECT_EQ(array.Bytes(2), 2);  // the lead byte alone
  EXPECT_EQ(array.Bytes(3), 3);
  EXPECT_EQ(array.Bytes(5), 5);
  array.SetColumn(1);
  EXPECT_EQ(array.NextChar(), Cp("「"));
  array.Prev();
  EXPECT_EQ(array.Column(), 1);  // not below column 1
  for (int i = 0; i < 10; ++i) array.Next();
  EXPECT_EQ(array.Column(), 6);  // stops on the terminator
  EXPECT_EQ(array.Char(), "");
}

TEST(DelimiterSet, MatchesTheWordCharacterClasses) {
  std::string words;
  for (int b = 0; b < 256; ++b) {
    if (!IsDelimiter(static_cast<unsigned char>(b)) && b < 0x80) words += static_cast<char>(b);
  }
  EXPECT_EQ(words, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz");
  for (int b = 0xA6; b <= 0xDF; ++b) EXPECT_FALSE(IsDelimiter(static_cast<unsigned char>(b))) << b;
  for (int b : {0x7F, 0x80, 0xA0, 0xA1, 0xA5, 0xFD, 0xFF}) EXPECT_TRUE(IsDelimiter(static_cast<unsigned char>(b))) << b;
}

TEST(TabWidth, ClampsToEvenTwoToEight) {
  EXPECT_EQ(ClampTabWidth(0), 2);
  EXPECT_EQ(ClampTabWidth(3), 2);
  EXPECT_EQ(ClampTabWidth(5), 4);
  EXPECT_EQ(ClampTabWidth(8), 8);
  EXPECT_EQ(ClampTabWidth(9), 8);
}

struct TColumnCase {
  const char* name;
  int column;
  TRowOffset expected;
};

class CaretColumn : public ::testing::TestWithParam<TColumnCase> {};

// Row: "a" 「(2 columns) tab(columns 4-8 with T = 8) "z".
TEST_P(CaretColumn, MapsToTheBoundaryBeforeIt) {
  const std::string row = "a" + Cp("「") + "\tz";
  EXPECT_EQ(ColumnToByte(row, GetParam().column, {8, 0}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Row, CaretColumn,
                         ::testing::Values(TColumnCase{"Start", 0, {0, 0}}, TColumnCase{"AfterA", 1, {1, 0}},
                                           TColumnCase{"InsideDoubleByte", 2, {1, 1}},
                                           TColumnCase{"BeforeTab", 3, {3, 0}},
                                           TColumnCase{"InsideTabFiller", 5, {3, 2}},
                                           TColumnCase{"AfterTab", 8, {4, 0}}, TColumnCase{"RowEnd", 9, {5, 0}},
                                           TColumnCase{"PastRowEnd", 12, {5, 3}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CaretColumn, BytesMapBackToTheirColumns) {
  const std::string row = "a" + Cp("「") + "\tz";
  EXPECT_EQ(ByteToColumn(row, 0, {8, 0}), 0);
  EXPECT_EQ(ByteToColumn(row, 3, {8, 0}), 3);
  EXPECT_EQ(ByteToColumn(row, 4, {8, 0}), 8);
  EXPECT_EQ(ByteToColumn(row, 99, {8, 0}), 9);
  EXPECT_EQ(RowColumns(row, {8, 0}), 9);
  EXPECT_EQ(RowColumns(row, {8, 20}), 9);
}

TEST(CharSet, TestsWholeCharactersAtBoundaries) {
  // "ソ" is 83 5C: its trail byte is a backslash, which the set must not see
  // as a character of its own; "\x83" alone is not "ソ" either.
  const TCharSet set(Cp("ソ、") + "!");
  EXPECT_TRUE(set.Contains(Cp("ソ")));
  EXPECT_TRUE(set.Contains(Cp("、")));
  EXPECT_TRUE(set.Contains("!"));
  EXPECT_FALSE(set.Contains("\\"));
  EXPECT_FALSE(set.Contains(Cp("ア")));
  EXPECT_FALSE(set.Contains(""));
  EXPECT_FALSE(set.Contains("!!"));
  // A pair whose bytes straddle two characters of the set is not in it:
  // "、!" is 81 41 21, and 41 21 is no character of the set.
  EXPECT_FALSE(set.Contains("\x41\x21"));
}

}  // namespace
}  // namespace quillet
