// The editing keys and caret commands of the engine, checked on the text,
// the caret and the undo list of a real row store.
#include "core/caret/EditorEngine.h"

#include <gtest/gtest.h>

#include "CaretTestSupport.h"

namespace quillet {
namespace {

using test::Sj;
using test::TEngineFixture;
using P = std::pair<int, int>;

// --- Caret commands ----------------------------------------------------------

TEST(EngineMoves, NextLineCrossesLineEndsOnlyWhenOn) {
  TEngineFixture f("ab\r\ncd");
  f.Caret(1, 0);
  f.Engine.MoveCaret(TCaretCommand::Left, false);
  EXPECT_EQ(f.At(), P(0, 2));
  f.Engine.MoveCaret(TCaretCommand::Right, false);
  EXPECT_EQ(f.At(), P(1, 0));
  f.Engine.Caret().NextLine = false;
  f.Engine.MoveCaret(TCaretCommand::Left, false);
  EXPECT_EQ(f.At(), P(1, 0));
  f.Caret(0, 2);
  f.Engine.MoveCaret(TCaretCommand::Right, false);
  EXPECT_EQ(f.At(), P(0, 2));
}

TEST(EngineMoves, RowsOfOneWrappedLineAreCrossedWithoutNextLine) {
  TEngineFixture f(std::string(25, 'a'), 20);
  f.Engine.Caret().NextLine = false;
  f.Caret(0, 19);
  f.Engine.MoveCaret(TCaretCommand::Right, false);
  EXPECT_EQ(f.At(), P(1, 0));  // the end of row 0 is the start of row 1
  f.Engine.MoveCaret(TCaretCommand::Left, false);
  EXPECT_EQ(f.At(), P(0, 19));
}

TEST(EngineMoves, EndOfTextAndTheEmptyPlaceAfterIt) {
  TEngineFixture f("ab\r\ncd\r\n");
  f.Engine.MoveCaret(TCaretCommand::TextEnd, false);
  EXPECT_EQ(f.At(), P(2, 0));
  TEngineFixture g("ab\r\ncd");
  g.Engine.MoveCaret(TCaretCommand::TextEnd, false);
  EXPECT_EQ(g.At(), P(1, 2));
  g.Engine.MoveCaret(TCaretCommand::Down, false);
  EXPECT_EQ(g.At(), P(1, 2));
}

TEST(EngineMoves, WordMovesStopAtClassChanges) {
  // "foo.bar  日本語です" : foo | . | bar+blanks | 日本語 | です
  TEngineFixture f(Sj("foo.bar  日本語です"));
  std::vector<int> stops;
  for (int i = 0; i < 6; ++i) {
    f.Engine.MoveCaret(TCaretCommand::WordRight, false);
    stops.push_back(f.Engine.Column());
  }
  EXPECT_EQ(stops, (std::vector<int>{3, 4, 9, 15, 19, 19}));
  f.Engine.MoveCaret(TCaretCommand::WordLeft, false);
  EXPECT_EQ(f.Engine.Column(), 15);
  f.Engine.MoveCaret(TCaretCommand::WordLeft, false);
  EXPECT_EQ(f.Engine.Column(), 9);
  f.Engine.MoveCaret(TCaretCommand::WordLeft, false);
  EXPECT_EQ(f.Engine.Column(), 4);
}

TEST(EngineMoves, ShiftExtendsTheSelectionAndAPlainMoveDropsIt) {
  TEngineFixture f("abc\r\ndef");
  f.Caret(0, 1);
  f.Engine.MoveCaret(TCaretCommand::Right, true);
  f.Engine.MoveCaret(TCaretCommand::Down, true);
  EXPECT_EQ(f.Engine.SelectedText(), "bc\r\nde");
  f.Engine.MoveCaret(TCaretCommand::Left, false);
  EXPECT_FALSE(f.Engine.HasSelection());
}

// --- Typing ------------------------------------------------------------------------

TEST(EngineTyping, EachInsertIsOneUndoStepAndUndoPutsTheCaretBack) {
  TEngineFixture f("ab");
  f.Caret(0, 1);
  f.Engine.InsertText(Sj("日本"));
  EXPECT_EQ(f.Text(), Sj("a日本b"));
  EXPECT_EQ(f.At(), P(0, 5));
  EXPECT_TRUE(f.Engine.Modified());
  f.Engine.InsertText("x");
  EXPECT_EQ(f.Store.UndoObj().UndoList().size(), 2u);
  f.Engine.Undo();
  f.Engine.Undo();
  EXPECT_EQ(f.Text(), "ab");
  EXPECT_EQ(f.At(), P(0, 1));
  f.Engine.Redo();
  EXPECT_EQ(f.Text(), Sj("a日本b"));
}

TEST(EngineTyping, OverwriteReplacesCharactersButNeverALineEnd) {
  TEngineFixture f(Sj("aあc\r\nz"));
  f.Engine.SetOverwrite(true);
  f.Engine.InsertText("xy");  // "a" and "あ" go
  EXPECT_EQ(f.Text(), Sj("xyc\r\nz"));
  f.Engine.InsertText("1234");
  EXPECT_EQ(f.Text(), Sj("xy1234\r\nz"));
}

TEST(EngineTyping, FreeCaretPadsWithSpaces) {
  TEngineFixture f("ab");
  f.Engine.Caret().FreeCaret = true;
  f.Caret(0, 5);
  f.Engine.InsertText("x");
  EXPECT_EQ(f.Text(), "ab   x");
  EXPECT_EQ(f.At(), P(0, 6));
}

TEST(EngineTyping, ReadOnlyRefusesEveryEdit) {
  TEngineFixture f("ab");
  f.Engine.SetReadOnly(true);
  EXPECT_FALSE(f.Engine.InsertText("x"));
  EXPECT_FALSE(f.Engine.Enter(false));
  EXPECT_FALSE(f.Engine.BackSpace());
  f.Engine.SelectAll();
  EXPECT_FALSE(f.Engine.DeleteSelection());
  EXPECT_EQ(f.Text(), "ab");
  EXPECT_FALSE(f.Engine.Modified());
}

TEST(EngineTyping, PastedLineEndsBecomeCrLf) {
  TEngineFixture f("ab");
  f.Caret(0, 1);
  f.Engine.ReplaceSelection("1\n2\r3");
  EXPECT_EQ(f.Text(), "a1\r\n2\r\n3b");
  EXPECT_EQ(f.At(), P(2, 1));
}

// --- Enter ----------------------------------------------------------------------------

struct TEnterRow {
  const char* name;
  std::string text;
  int row, column;
  bool autoIndent, tabIndent, prevSpace, shift;
  std::string expected;
  P caret;
};

class EnterTable : public ::testing::TestWithParam<TEnterRow> {};

TEST_P(EnterTable, SplitsAndIndents) {
  const TEnterRow& r = GetParam();
  TEngineFixture f(r.text);
  f.Engine.SetTabSpaceCount(4);
  f.Engine.Caret().AutoIndent = r.autoIndent;
  f.Engine.Caret().TabIndent = r.tabIndent;
  f.Engine.Caret().PrevSpaceIndent = r.prevSpace;
  f.Caret(r.row, r.column);
  EXPECT_TRUE(f.Engine.Enter(r.shift));
  EXPECT_EQ(f.Text(), r.expected);
  EXPECT_EQ(f.At(), r.caret);
  EXPECT_EQ(f.Store.UndoObj().UndoList().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EnterTable,
    ::testing::Values(
        TEnterRow{"plain", "abcd", 0, 2, false, false, false, false, "ab\r\ncd", P(1, 0)},
        // One double-byte space of indent gives two columns of spaces.
        TEnterRow{"dbcs_space_indent", Sj("　x"), 0, 3, true, false, false, false, Sj("　x\r\n  "), P(1, 2)},
        TEnterRow{"tab_indent", "      x", 0, 7, true, true, false, false, "      x\r\n\t  ", P(1, 6)},
        TEnterRow{"caret_inside_white", "    x", 0, 2, true, false, false, false, "  \r\n    x", P(1, 2)},
        TEnterRow{"prev_space_indent", "  a\r\n\r\n", 1, 0, true, false, true, false, "  a\r\n\r\n  \r\n", P(2, 2)},
        TEnterRow{"prev_space_off", "  a\r\n\r\n", 1, 0, true, false, false, false, "  a\r\n\r\n\r\n", P(2, 0)},
        TEnterRow{"after_last_row", "ab\r\n", 1, 0, true, false, false, false, "ab\r\n\r\n", P(2, 0)},
        TEnterRow{"shift_enter_above", "  ab", 0, 3, true, false, false, true, "  \r\n  ab", P(0, 2)},
        TEnterRow{"shift_enter_plain", "ab\r\ncd", 1, 1, false, false, false, true, "ab\r\n\r\ncd", P(1, 0)}),
    [](const ::testing::TestParamInfo<TEnterRow>& param) { return param.param.name; });

TEST(EngineEnter, OverwriteOnlyMovesToTheNextRow) {
  TEngineFixture f("ab\r\ncd");
  f.Engine.SetOverwrite(true);
  f.Caret(0, 1);
  EXPECT_FALSE(f.Engine.Enter(false));
  EXPECT_EQ(f.Text(), "ab\r\ncd");
  EXPECT_EQ(f.At(), P(1, 0));
}

// --- Tab, Backspace, Delete -------------------------------------------------------------

TEST(EngineTab, SoftTabFillsToTheStopTheIndentRulesGive) {
  // Where the stop lies (the wrap column included) is the indent tests' part.
  TEngineFixture f(std::string(18, 'a'), 20);
  f.Engine.SetTabSpaceCount(8);
  f.Engine.Caret().SoftTab = true;
  f.Caret(0, 18);
  f.Engine.Tab();
  EXPECT_EQ(f.Text(), std::string(18, 'a') + "  ");  // W - 18, not 8 - 2
}

TEST(EngineTab, HardTabAndOverwriteJump) {
  TEngineFixture f("abcdefghij");
  f.Engine.SetTabSpaceCount(4);
  f.Caret(0, 1);
  f.Engine.Tab();
  EXPECT_EQ(f.Text(), "a\tbcdefghij");
  EXPECT_EQ(f.At(), P(0, 4));
  f.Engine.SetOverwrite(true);
  f.Engine.Tab();
  EXPECT_EQ(f.At(), P(0, 8));
  EXPECT_EQ(f.Text(), "a\tbcdefghij");
}

TEST(EngineBackSpace, UnindentGoesBackToTheIndentAbove) {
  TEngineFixture f("a\r\n  b\r\n\r\n      c");
  f.Engine.Caret().BackSpaceUnIndent = true;
  f.Caret(3, 6);
  f.Engine.BackSpace();
  EXPECT_EQ(f.Text(), "a\r\n  b\r\n\r\n  c");  // the blank row is skipped
  EXPECT_EQ(f.At(), P(3, 2));
  f.Engine.BackSpace();
  EXPECT_EQ(f.Text(), "a\r\n  b\r\n\r\nc");
  EXPECT_EQ(f.Store.UndoObj().UndoList().size(), 2u);
}

TEST(EngineBackSpace, UnindentPadsWhenItCutsATab) {
  TEngineFixture f("  b\r\n\tc");
  f.Engine.SetTabSpaceCount(4);
  f.Engine.Caret().BackSpaceUnIndent = true;
  f.Caret(1, 4);
  f.Engine.BackSpace();
  EXPECT_EQ(f.Text(), "  b\r\n  c");
}

TEST(EngineBackSpace, FreeSpaceOnlyMovesTheCaret) {
  TEngineFixture f("ab");
  f.Engine.Caret().FreeCaret = true;
  f.Caret(0, 5);
  EXPECT_FALSE(f.Engine.BackSpace());
  EXPECT_EQ(f.At(), P(0, 4));
  EXPECT_EQ(f.Text(), "ab");
}

TEST(EngineDelete, JoinsTheNextLineAndPadsFromFreeSpace) {
  TEngineFixture f("ab\r\ncd");
  f.Caret(0, 2);
  f.Engine.DeleteChar();
  EXPECT_EQ(f.Text(), "abcd");
  f.Engine.SetText("ab\r\ncd");
  f.Engine.Caret().FreeCaret = true;
  f.Caret(0, 4);
  f.Engine.DeleteChar();
  EXPECT_EQ(f.Text(), "ab  cd");
  f.Engine.MoveCaret(TCaretCommand::TextEnd, false);
  EXPECT_FALSE(f.Engine.DeleteChar());
}

TEST(EngineDelete, InsideATabsFillerTheTabGoes) {
  TEngineFixture f("a\tb");
  f.Engine.SetTabSpaceCount(8);
  f.Engine.Caret().InTab = true;
  f.Caret(0, 4);
  f.Engine.BackSpace();
  EXPECT_EQ(f.Text(), "ab");
}

// --- Selection edits -----------------------------------------------------------------------

TEST(EngineSelection, SelectAllAndTheFinalLineEnd) {
  TEngineFixture f("ab\r\ncd\r\n");
  f.Engine.SelectAll();
  EXPECT_EQ(f.Engine.SelectedText(), "ab\r\ncd\r\n");
  f.Engine.DeleteSelection();
  EXPECT_EQ(f.Text(), "");
  EXPECT_EQ(f.At(), P(0, 0));
}

TEST(EngineSelection, DoubleClickWordOnJapanese) {
  TEngineFixture f(Sj("今日はいい天気"));
  f.Caret(0, 6);  // in "はいい"
  f.Engine.SelectWord();
  EXPECT_EQ(f.Engine.SelectedText(), Sj("はいい"));
}

TEST(EngineSelection, MovingASelectionIsOneUndoStep) {
  TEngineFixture f("one two three");
  f.Engine.Select({0, 4}, {0, 8});  // "two "
  EXPECT_TRUE(f.Engine.MoveSelectionTo(0, 13, false));
  EXPECT_EQ(f.Text(), "one threetwo ");
  EXPECT_EQ(f.Engine.SelectedText(), "two ");
  EXPECT_EQ(f.Store.UndoObj().UndoList().size(), 1u);
  EXPECT_TRUE(f.Engine.MoveSelectionTo(0, 0, true));
  EXPECT_EQ(f.Text(), "two one threetwo ");
  EXPECT_FALSE(f.Engine.MoveSelectionTo(0, 1, false));  // onto itself
  f.Engine.Undo();
  f.Engine.Undo();
  EXPECT_EQ(f.Text(), "one two three");
  TEngineFixture g("ab\r\ncd\r\nef");  // across lines
  g.Engine.Select({0, 1}, {1, 1});      // "b\r\nc"
  EXPECT_TRUE(g.Engine.MoveSelectionTo(2, 2, false));
  EXPECT_EQ(g.Text(), "ad\r\nefb\r\nc");
  EXPECT_EQ(g.Engine.SelectedText(), "b\r\nc");
}

// --- Box selection ------------------------------------------------------------------------

TEST(EngineBox, CopyDeleteAndPasteAColumn) {
  TEngineFixture f(Sj("abcdef\r\nあいうえ\r\nxy"));
  f.Engine.SetSelectionMode(TSelectionMode::smBox);
  f.Caret(0, 1);
  f.Engine.MoveCaretTo(2, 4, true);
  // Columns 1..4: "bcd", "あい" (あ overlaps column 1, so it is taken whole), "y".
  EXPECT_EQ(f.Engine.SelectedText(), Sj("bcd\r\nあい\r\ny\r\n"));
  const std::string box = f.Engine.SelectedText();
  EXPECT_TRUE(f.Engine.DeleteSelection());
  EXPECT_EQ(f.Text(), Sj("aef\r\nうえ\r\nx"));
  EXPECT_EQ(f.Store.UndoObj().UndoList().size(), 1u);
  f.Caret(1, 0);
  EXPECT_TRUE(f.Engine.InsertBoxText(box));
  EXPECT_EQ(f.Text(), Sj("aef\r\nbcdうえ\r\nあいx\r\ny"));
  EXPECT_EQ(f.Store.UndoObj().UndoList().size(), 2u);
  f.Engine.Undo();
  EXPECT_EQ(f.Text(), Sj("aef\r\nうえ\r\nx"));
}

TEST(EngineBox, PastingPastShortRowsPadsThem) {
  TEngineFixture f("abcdef\r\nab\r\n");
  f.Caret(0, 4);
  f.Engine.InsertBoxText("1\r\n2\r\n3\r\n");
  EXPECT_EQ(f.Text(), "abcd1ef\r\nab  2\r\n    3\r\n");
}

// Replacing a box takes two calls of the primitive (the box out, the text
// in); they used to be two undo steps, and one Ctrl+Z showed the text with
// the box deleted, which the user never saw.
TEST(EngineBox, ReplacingABoxIsOneUndoStep) {
  const std::string before = "abcd\r\nefgh\r\nxy";
  const struct {
    const char* name;
    bool (*edit)(TEditorEngine&);
    const char* after;
  } rows[] = {
      {"typed", [](TEditorEngine& e) { return e.InsertText("X"); }, "aXd\r\neh\r\nxy"},
      {"pasted", [](TEditorEngine& e) { return e.ReplaceSelection("Z"); }, "aZd\r\neh\r\nxy"},
      {"box pasted", [](TEditorEngine& e) { return e.InsertBoxText("12\r\n34\r\n"); }, "a12d\r\ne34h\r\nxy"},
  };
  for (const auto& row : rows) {
    TEngineFixture f(before);
    f.Engine.SetSelectionMode(TSelectionMode::smBox);
    f.Caret(0, 1);
    f.Engine.MoveCaretTo(1, 3, true);  // "bc" over "fg"
    ASSERT_TRUE(row.edit(f.Engine)) << row.name;
    EXPECT_EQ(f.Text(), row.after) << row.name;
    EXPECT_TRUE(f.Engine.Undo()) << row.name;
    EXPECT_EQ(f.Text(), before) << row.name;
    EXPECT_FALSE(f.Engine.CanUndo()) << row.name;
    EXPECT_TRUE(f.Engine.Redo()) << row.name;
    EXPECT_EQ(f.Text(), row.after) << row.name;
    EXPECT_FALSE(f.Engine.CanRedo()) << row.name;
    EXPECT_TRUE(f.Engine.Undo()) << row.name;
    EXPECT_EQ(f.Text(), before) << row.name;
  }
}

// --- Search -----------------------------------------------------------------------------

TEST(EngineSearch, FindsForwardThenBackwardAndSelects) {
  TEngineFixture f("abc abc\r\nABC");
  EXPECT_TRUE(f.Engine.Search("abc", true, true));
  EXPECT_EQ(f.At(), P(0, 3));
  EXPECT_TRUE(f.Engine.Search("abc", true, true));
  EXPECT_EQ(f.At(), P(0, 7));
  EXPECT_FALSE(f.Engine.Search("abc", true, true));  // "ABC" differs in case
  EXPECT_EQ(f.At(), P(0, 7));                        // and the caret stays
  EXPECT_TRUE(f.Engine.Search("abc", true, false));
  EXPECT_EQ(f.At(), P(1, 3));
  EXPECT_TRUE(f.Engine.Search("abc", false, false));
  EXPECT_EQ(f.At(), P(0, 4));
  EXPECT_EQ(f.Engine.SelectedText(), "abc");
}

}  // namespace
}  // namespace quillet
