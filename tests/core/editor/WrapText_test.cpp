// Splitting text into lines and cutting lines into rows by the line-break
// rules, each rule on its own and in order, and a cut resumed from any row
// boundary on random Japanese text. That every cut joins back to its line,
// keeps to the wrap column and never splits a character is checked after
// every edit in EditorProperty_test.cpp.
#include "core/editor/WrapText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EditorTestSupport.h"

namespace quillet {
namespace {

using test::Cp;

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  ForEachLine(text, [&](std::size_t b, std::size_t e) { lines.emplace_back(text.substr(b, e - b)); });
  return lines;
}

struct TSplitCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
};

class SplitLines : public ::testing::TestWithParam<TSplitCase> {};

TEST_P(SplitLines, EndsLinesAtCrLfLfAndCr) { EXPECT_EQ(Lines(GetParam().text), GetParam().lines); }

using V = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Texts, SplitLines,
    ::testing::Values(TSplitCase{"CrLfBetween", "a\r\nb", V{"a", "b"}}, TSplitCase{"FinalCrLf", "a\r\n", V{"a"}},
                      TSplitCase{"LoneCr", "a\rb", V{"a", "b"}}, TSplitCase{"LoneLf", "a\nb", V{"a", "b"}},
                      TSplitCase{"LfCrIsTwoLineEnds", "a\n\rb", V{"a", "", "b"}},
                      TSplitCase{"CrCrLf", "a\r\r\nb", V{"a", "", "b"}}, TSplitCase{"Empty", "", V{}},
                      TSplitCase{"OnlyLineEnd", "\r\n", V{""}},
                      // Formerly text stopped at the first NUL and was lost on the next save.
                      TSplitCase{"NulIsKept", std::string("a\0b\r\nc", 6), V{std::string("a\0b", 3), "c"}},
                      TSplitCase{"LeadByteBeforeCrDoesNotSwallowIt", "a\x82\r\nb", V{"a\x82", "b"}}),
    [](const auto& row) { return std::string(row.param.name); });

// Rows of one line cut with the given rules (tab width 8), as a dump.
std::string Cut(std::string_view text, const TEditorWrapOption& option, int tab = 8) {
  std::vector<TRowSpan> rows;
  TRowCutter(option, tab, true).CutLine(text, 0, text.size(), rows);
  std::string out;
  for (const TRowSpan& row : rows) {
    out += text.substr(row.Offset, row.Length);
    out += "|~$?"[row.Attribute];
  }
  return out;
}

TEditorWrapOption Rules(bool wordBreak, bool punctuation, bool leading, bool followRet = false) {
  TEditorWrapOption option;
  option.SetWrapByte(20);
  option.SetWordBreak(wordBreak);
  option.SetFollowPunctuation(punctuation);
  option.SetLeading(leading);
  option.SetFollowRetMark(followRet);
  return option;
}

std::string A(int n) { return std::string(static_cast<std::size_t>(n), 'a'); }

struct TCutCase {
  const char* name;
  TEditorWrapOption option;
  std::string line;
  std::string expected;
};

class CutLine : public ::testing::TestWithParam<TCutCase> {};

TEST_P(CutLine, FollowsTheRulesInOrder) { EXPECT_EQ(Cut(GetParam().line, GetParam().option), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    W20, CutLine,
    ::testing::Values(
        TCutCase{"ShortLineIsOneRow", Rules(true, true, true), A(19), A(19) + "|"},
        TCutCase{"PlainCutAtW", Rules(false, false, false), A(25), A(20) + "~" + A(5) + "|"},
        // The step back stops at W div 3 = 6 when no delimiter comes first.
        TCutCase{"WordBreakLimit", Rules(true, false, false), A(25), A(6) + "~" + A(19) + "|"},
        TCutCase{"WordBreakAfterDelimiter", Rules(true, false, false), "hello world foo barbaz",
                 "hello world foo ~barbaz|"},
        // A line of exactly W columns is not longer than W: no word break.
        TCutCase{"WordBreakOnlyForLongerLines", Rules(true, false, false), A(20), A(20) + "~|"},
        TCutCase{"WordBreakStopsAfterDoubleByte", Rules(true, false, false), A(10) + Cp("あ") + A(10),
                 A(10) + Cp("あ") + "~" + A(10) + "|"},
        // A double-byte character on column W moves whole; the row has W - 1 columns.
        TCutCase{"DoubleByteGuard", Rules(false, false, false), A(19) + Cp("あ") + "b",
                 A(19) + "~" + Cp("あ") + "b|"},
        TCutCase{"GuardSkipsWordBreak", Rules(true, false, false), A(19) + Cp("あ") + "b",
                 A(19) + "~" + Cp("あ") + "b|"},
        TCutCase{"HangingPunctuation", Rules(false, true, false), A(20) + Cp("。") + "b",
                 A(20) + Cp("。") + "~b|"},
        TCutCase{"NoHangingWithoutTheRule", Rules(false, false, false), A(20) + Cp("。") + "b",
                 A(20) + "~" + Cp("。") + "b|"},
        // Half-width "." then "。" hang to W + 3 columns.
        TCutCase{"HangingUpToWPlus3", Rules(false, true, false), A(20) + "." + Cp("。") + "b",
                 A(20) + "." + Cp("。") + "~b|"},
        TCutCase{"HangingStopsAtWPlus2", Rules(false, true, false), A(20) + ".." + Cp("。") + "b",
                 A(20) + "..~" + Cp("。") + "b|"},
        TCutCase{"OpeningBracketMovesDown", Rules(false, false, true), A(18) + Cp("「") + "bbbbb",
                 A(18) + "~" + Cp("「") + "bbbbb|"},
        TCutCase{"ClosingBracketNotAtRowStart", Rules(false, false, true), A(20) + Cp("」") + "b",
                 A(19) + "~a" + Cp("」") + "b|"},
        // The step back stops at (W div 5) * 4 = 16 columns.
        TCutCase{"BracketLimit", Rules(false, false, true), Cp("「「「「「「「「「「」」") + "b",
                 Cp("「「「「「「「「") + "~" + Cp("「「」」") + "b|"},
        TCutCase{"FinalClosingBracketIsNotPulled", Rules(false, false, true), A(20) + ")",
                 A(20) + "~)|"},
        TCutCase{"ExactFillAddsEmptyRow", Rules(false, false, false), A(20), A(20) + "~|"},
        TCutCase{"ExactFillWithFollowRetMark", Rules(false, false, false, true), A(20), A(20) + "|"},
        TCutCase{"TabStopsAtTheWrapColumn", Rules(false, false, false), A(17) + "\tb", A(17) + "\t~b|"},
        TCutCase{"TabStopsCountFromTheRowStart", Rules(false, false, false), A(20) + "b\tc",
                 A(20) + "~b\tc|"},
        TCutCase{"EmptyLine", Rules(true, true, true), "", "|"}),
    [](const auto& row) { return std::string(row.param.name); });

// Random Japanese-looking lines: kana, kanji, punctuation, brackets, ASCII
// words, blanks and tabs.
std::string RandomLine(std::mt19937& random) {
  static const std::vector<std::string> pieces = {
      Cp("あ"), Cp("日記"), Cp("「"), Cp("」"), Cp("。"), Cp("、"), Cp("ー"), Cp("ソ"), Cp("（"),
      Cp("）"), "word", "a",     " ",      "\t",     ".",      ",",      "(",      "\xB1",   "x_y"};
  std::string line;
  const int n = std::uniform_int_distribution<int>(0, 120)(random);
  for (int i = 0; i < n; ++i) line += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
  return line;
}

// Each row depends only on the bytes from its own start: cutting from any
// row boundary gives the remaining rows. The row store relies on this when it
// re-cuts only from the row before an edit, and when undo re-cuts old text.
TEST(CutLineProperties, CuttingFromARowBoundaryGivesTheSameRows) {
  std::mt19937 random(7);
  for (int round = 0; round < 1000; ++round) {
    TEditorWrapOption option;
    option.SetWrapByte(20 + static_cast<int>(random() % 30));
    option.SetWordBreak(random() % 2);
    option.SetFollowPunctuation(random() % 2);
    option.SetLeading(random() % 2);
    const std::string line = RandomLine(random) + RandomLine(random);
    TRowCutter cutter(option, 4, true);
    std::vector<TRowSpan> rows;
    cutter.CutLine(line, 0, line.size(), rows);
    for (std::size_t i = 1; i < rows.size(); ++i) {
      std::vector<TRowSpan> rest;
      cutter.CutLine(line, rows[i].Offset, line.size(), rest);
      ASSERT_EQ(rest, std::vector<TRowSpan>(rows.begin() + static_cast<std::ptrdiff_t>(i), rows.end()))
          << line << " from row " << i;
    }
  }
}

}  // namespace
}  // namespace quillet
