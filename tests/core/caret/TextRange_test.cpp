// Points, ranges and the replace operation under every edit of the control.
#include "core/caret/TextRange.h"

#include <gtest/gtest.h>

#include "CaretTestSupport.h"

namespace quillet {
namespace {

using test::Sj;
using Pt = TTextPoint;

TEST(TextRange, TheEndOfAWrappedRowIsTheNextRowsStart) {
  TEditorScreenStrings store;
  store.WrapOption().SetWrapByte(20);
  store.SetWordWrap(true);
  store.SetText(std::string(25, 'a') + "\r\nb");
  EXPECT_EQ(Normalized(store, {0, 20}), (Pt{1, 0}));
  EXPECT_EQ(Normalized(store, {1, 5}), (Pt{1, 5}));   // a line end stays
  EXPECT_EQ(Normalized(store, {9, 3}), (Pt{3, 0}));   // past the text
  EXPECT_EQ(PrevPoint(store, {1, 0}), (Pt{0, 19}));   // the last character of row 0
  EXPECT_EQ(NextPoint(store, {0, 19}), (Pt{1, 0}));
}

TEST(TextRange, StepsOverCharactersAndLineEnds) {
  TEditorScreenStrings store;
  store.SetText(Sj("aあ\r\nい"));
  EXPECT_EQ(NextPoint(store, {0, 1}), (Pt{0, 3}));
  EXPECT_EQ(NextPoint(store, {0, 3}), (Pt{1, 0}));  // over CR LF
  EXPECT_EQ(PrevPoint(store, {1, 0}), (Pt{0, 3}));
  EXPECT_EQ(NextPoint(store, {1, 2}), (Pt{1, 2}));  // the text's end
  EXPECT_EQ(PrevPoint(store, {0, 0}), (Pt{0, 0}));
  EXPECT_EQ(TextEndPoint(store), (Pt{1, 2}));
  store.SetText("a\r\n");
  EXPECT_EQ(TextEndPoint(store), (Pt{1, 0}));  // after the final line end
}

TEST(TextRange, TextOfARangeHasItsLineEnds) {
  TEditorScreenStrings store;
  store.SetText("ab\r\ncd\r\n");
  EXPECT_EQ(TextOfRange(store, {{0, 1}, {1, 1}}), "b\r\nc");
  EXPECT_EQ(TextOfRange(store, {{0, 0}, {2, 0}}), "ab\r\ncd\r\n");
  EXPECT_EQ(TextOfRange(store, {{1, 2}, {1, 2}}), "");
}

TEST(TextRange, LineEndsBecomeCrLf) {
  const struct {
    const char* name;
    std::string in, out;
  } rows[] = {{"lf", "a\nb", "a\r\nb"},         {"cr", "a\rb", "a\r\nb"},   {"crlf", "a\r\nb", "a\r\nb"},
              {"lf cr is two", "a\n\rb", "a\r\n\r\nb"}, {"final", "a\n", "a\r\n"}, {"none", "ab", "ab"}};
  for (const auto& row : rows) EXPECT_EQ(NormalizeLineEnds(row.in), row.out) << row.name;
}

struct TReplaceRow {
  const char* name;
  std::string text;
  Pt from, to;
  std::string with;
  std::string expected;
  TEditorPosition after;
};

class ReplaceTable : public ::testing::TestWithParam<TReplaceRow> {};

TEST_P(ReplaceTable, OneUpdateRowsCallGivesTheText) {
  const TReplaceRow& row = GetParam();
  TEditorScreenStrings store;
  store.SetText(row.text);
  bool changed = false;
  const TEditorPosition after = ReplaceText(store, MakeRange(store, row.from, row.to), row.with, 0, &changed);
  EXPECT_TRUE(changed);
  EXPECT_EQ(store.Text(), row.expected);
  EXPECT_EQ(after, row.after);
  EXPECT_EQ(store.UndoObj().UndoList().size(), 1u);
  store.UndoObj().Undo();
  EXPECT_EQ(store.Text(), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTable,
    ::testing::Values(
        TReplaceRow{"join_lines", "abc\r\ndef", {0, 2}, {1, 1}, "", "abef", {0, 2, 0}},
        TReplaceRow{"delete_final_line_end", "ab\r\n", {0, 2}, {1, 0}, "", "ab", {0, 2, 0}},
        TReplaceRow{"append_after_final_line_end", "ab\r\n", {1, 0}, {1, 0}, "cd", "ab\r\ncd", {1, 2, 0}},
        TReplaceRow{"delete_a_whole_last_line", "ab\r\ncd", {1, 0}, {1, 2}, "", "ab\r\n", {1, 0, 0}},
        TReplaceRow{"replace_everything", "ab\r\ncd\r\n", {0, 0}, {2, 0}, "x", "x", {0, 1, 0}},
        TReplaceRow{"into_empty", "", {0, 0}, {0, 0}, "a\r\nb", "a\r\nb", {1, 1, 0}}),
    [](const ::testing::TestParamInfo<TReplaceRow>& param) { return param.param.name; });

TEST(TextRange, PaddingGoesBeforeTheText) {
  TEditorScreenStrings store;
  store.SetText("ab");
  const TEditorPosition after = ReplaceText(store, {{0, 2}, {0, 2}}, "x", 3);
  EXPECT_EQ(store.Text(), "ab   x");
  EXPECT_EQ(after, (TEditorPosition{0, 6, 0}));
}

TEST(TextRange, NothingToDoChangesNothing) {
  TEditorScreenStrings store;
  store.SetText("ab");
  bool changed = true;
  ReplaceText(store, {{0, 1}, {0, 1}}, "", 0, &changed);
  EXPECT_FALSE(changed);
  EXPECT_TRUE(store.UndoObj().UndoList().empty());
}

}  // namespace
}  // namespace quillet
