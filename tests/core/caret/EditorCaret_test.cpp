// The caret placement rules: row clamp, the six column steps and the
// remembered column, on rows of ASCII, double-byte text and tabs.
#include "core/caret/EditorCaret.h"

#include <gtest/gtest.h>

#include "CaretTestSupport.h"

namespace quillet {
namespace {

using test::Sj;

TEST(CaretRow, PlaceAfterTheLastRowNeedsAFinalLineEnd) {
  TEditorScreenStrings store;
  store.SetText("ab\r\ncd");
  EXPECT_EQ(MaxCaretRow(store), 1);  // raEof: the caret cannot go below it
  store.SetText("ab\r\ncd\r\n");
  EXPECT_EQ(MaxCaretRow(store), 2);  // the empty place after the line end
  store.SetText("");
  EXPECT_EQ(MaxCaretRow(store), 0);
}

struct TAdjustRow {
  const char* name;
  std::string text;
  int wrap;  // 0: wrapping off
  int row;
  int column;
  TCaretTravel travel;
  bool freeCaret;
  bool inTab;
  int expected;
};

class AdjustTable : public ::testing::TestWithParam<TAdjustRow> {};

TEST_P(AdjustTable, GivesTheLegalColumn) {
  const TAdjustRow& row = GetParam();
  TEditorScreenStrings store;
  store.SetTabSpaceCount(4);
  if (row.wrap > 0) {
    store.WrapOption().SetWrapByte(row.wrap);
    store.SetWordWrap(true);
  }
  store.SetText(row.text);
  TEditorCaret options;
  options.FreeCaret = row.freeCaret;
  options.InTab = row.inTab;
  int remembered = -1;
  EXPECT_EQ(AdjustCaretColumn(store, options, row.row, row.column, row.travel, remembered), row.expected) << row.name;
}

const auto B = TCaretTravel::Backward;
const auto F = TCaretTravel::Forward;
const auto V = TCaretTravel::Vertical;

INSTANTIATE_TEST_SUITE_P(
    Steps, AdjustTable,
    ::testing::Values(
        TAdjustRow{"past the end pulled back", "abc", 0, 0, 9, B, false, false, 3},
        TAdjustRow{"free caret stays past the end", "abc", 0, 0, 9, B, true, false, 9},
        TAdjustRow{"second byte left backwards", Sj("あい"), 0, 0, 3, B, false, false, 2},
        TAdjustRow{"second byte left forwards", Sj("あい"), 0, 0, 3, F, false, false, 4},
        TAdjustRow{"vertical leaves a second byte backwards", Sj("あい"), 0, 0, 1, V, false, false, 0},
        TAdjustRow{"tab filler left backwards", "\tx", 0, 0, 2, B, false, false, 0},
        TAdjustRow{"tab filler left forwards", "\tx", 0, 0, 2, F, false, false, 4},
        TAdjustRow{"InTab may stand in the filler", "\tx", 0, 0, 2, F, false, true, 2},
        TAdjustRow{"the place after the last row is empty", "ab\r\n", 0, 1, 5, B, false, false, 0},
        // W = 20: the row of 20 columns wraps; its end is the next row's start.
        TAdjustRow{"wrapped row end is end - 1", std::string(25, 'a'), 20, 0, 20, B, false, false, 19},
        TAdjustRow{"wrapped row end before a double-byte char", Sj("ああああああああああいいいい"), 20, 0, 20, B,
                   false, false, 18},
        TAdjustRow{"free caret on a line's last row stops at W - 1", "abc", 20, 0, 40, B, true, false, 19},
        TAdjustRow{"free caret below W stays", "abc", 20, 0, 10, B, true, false, 10},
        TAdjustRow{"1000-column limit", std::string(1200, 'x'), 0, 0, 1100, B, false, false, 1000},
        TAdjustRow{"the limit never splits a double-byte char", "x" + [] {
                     std::string s;
                     for (int i = 0; i < 600; ++i) s += "\x82\xA0";  // あ
                     return s;
                   }(), 0, 0, 1100, B, false, false, 1001}),
    [](const ::testing::TestParamInfo<TAdjustRow>& param) {
      std::string name = param.param.name;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

TEST(CaretRemembered, VerticalMovesReturnToTheWantedColumn) {
  // Down from column 20 over a 5-column row to a 30-column row ends at
  // column 20 while KeepCaret is on; column 3 of "abcdef" falls on a second
  // byte in "あいう", and the row below still gets column 3 back.
  const std::string longShortLong = std::string(25, 'a') + "\r\nabcde\r\n" + std::string(30, 'b');
  const auto D = TCaretCommand::Down;
  const struct {
    const char* name;
    std::string text;
    bool keepCaret;
    int column;
    std::vector<TCaretCommand> moves;
    std::vector<std::pair<int, int>> stops;
  } rows[] = {
      {"KeepCaret", longShortLong, true, 20, {D, D}, {{1, 5}, {2, 20}}},
      {"without KeepCaret", longShortLong, false, 20, {D, D}, {{1, 5}, {2, 5}}},
      {"double-byte row", "abcdef\r\n" + Sj("あいう") + "\r\nabcdef", true, 3, {D, D}, {{1, 2}, {2, 3}}},
      {"a horizontal move forgets it", longShortLong, true, 20, {D, TCaretCommand::Left, D}, {{1, 5}, {1, 4}, {2, 4}}},
  };
  for (const auto& row : rows) {
    test::TEngineFixture f(row.text);
    f.Engine.Caret().KeepCaret = row.keepCaret;
    f.Caret(0, row.column);
    for (std::size_t n = 0; n < row.moves.size(); ++n) {
      f.Engine.MoveCaret(row.moves[n], false);
      EXPECT_EQ(f.At(), row.stops[n]) << row.name << " move " << n;
    }
  }
}

TEST(CaretRemembered, FreeRowKeepsTheColumnWhileMovingVertically) {
  test::TEngineFixture f(std::string(25, 'a') + "\r\nabc\r\n");
  f.Engine.Caret().FreeRow = true;
  f.Caret(0, 20);
  f.Engine.MoveCaret(TCaretCommand::Down, false);
  EXPECT_EQ(f.At(), std::make_pair(1, 20));
  // Any other placement pulls it back to the row end.
  f.Engine.SetColumn(f.Engine.Column());
  EXPECT_EQ(f.At(), std::make_pair(1, 3));
}

}  // namespace
}  // namespace quillet
