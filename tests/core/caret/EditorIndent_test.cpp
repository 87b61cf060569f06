// The indent rules: white widths, indent texts, soft tabs, and the indents
// borrowed from earlier lines.
#include "core/caret/EditorIndent.h"

#include <gtest/gtest.h>

#include "CaretTestSupport.h"

namespace quillet {
namespace {

using test::Sj;

TEST(EditorIndent, LeadingWhiteCountsIdeographicSpacesAsTwoAndTabsToTheirStop) {
  const TColumnLayout four{4, 0};
  const struct {
    const char* name;
    std::string row;
    int bytes, columns;
  } rows[] = {
      {"spaces", "  x", 2, 2},
      {"ideographic space", Sj("　x"), 2, 2},
      {"tab", "\tx", 1, 4},
      {"space then tab", " \tx", 2, 4},
      {"all white", Sj(" 　"), 3, 3},
      {"no white", "x ", 0, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(LeadingWhiteBytes(row.row), row.bytes) << row.name;
    EXPECT_EQ(LeadingWhiteColumns(row.row, four), row.columns) << row.name;
  }
  // 0x88 0x81 is one character; the 0x81 0x40 across its trail byte is not
  // an ideographic space.
  EXPECT_EQ(LeadingWhiteBytes("\x88\x81\x40"), 0);
}

TEST(EditorIndent, IndentTextWithAndWithoutTabs) {
  EXPECT_EQ(IndentText(6, false, 4), "      ");
  EXPECT_EQ(IndentText(6, true, 4), "\t  ");
  EXPECT_EQ(IndentText(8, true, 4), "\t\t");
  EXPECT_EQ(IndentText(5, true, 5), "\t ");  // width 5 is 4
  EXPECT_EQ(IndentText(-1, true, 4), "");
}

TEST(EditorIndent, SoftTabStopsAtTheTabStopAndTheWrapColumn) {
  const struct {
    int column, tab, wrap, spaces;
  } rows[] = {{0, 4, 0, 4}, {1, 4, 0, 3}, {4, 4, 0, 4}, {17, 8, 20, 3}, {18, 8, 20, 2}, {19, 2, 20, 1}};
  for (const auto& row : rows) {
    EXPECT_EQ(SoftTabSpaces(row.column, {row.tab, row.wrap}), row.spaces) << row.column << "/" << row.tab;
    EXPECT_EQ(NextTabStop(row.column, {row.tab, row.wrap}), row.column + row.spaces);
  }
}

TEST(EditorIndent, PrevSpaceIndentSkipsBlankLines) {
  TEditorScreenStrings store;
  store.SetText("   a\r\n  \r\n\r\nb");
  EXPECT_EQ(PrevSpaceIndent(store, 3), 3);  // the white-only line is skipped
  EXPECT_EQ(PrevSpaceIndent(store, 0), 0);
}

TEST(EditorIndent, UnindentTargetIsTheNearestSmallerIndent) {
  TEditorScreenStrings store;
  store.SetText("a\r\n    b\r\n  c\r\n\r\n      d");
  EXPECT_EQ(UnindentTarget(store, 4, 6), 2);
  EXPECT_EQ(UnindentTarget(store, 4, 2), 0);
  EXPECT_EQ(UnindentTarget(store, 1, 4), 0);
}

}  // namespace
}  // namespace quillet
