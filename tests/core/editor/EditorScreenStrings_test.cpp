// The row store: the editing primitive on its edge cases, rows and lines,
// marks and their carry rules, the word-wrap switch, caret places, and what
// the clients and the highlighter are told.
#include "core/editor/EditorScreenStrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "core/editor/WrapText.h"

namespace quillet {
namespace {

using test::Cp;
using test::Dump;
using test::TFakeClient;

using test::A;
struct TEditCase {
  const char* name;
  std::string text;  // initial text (wrapping off)
  int index;
  int count;
  std::string replacement;
  std::string rows;  // expected dump
};

class UpdateRowsUnwrapped : public ::testing::TestWithParam<TEditCase> {};

TEST_P(UpdateRowsUnwrapped, ReplacesRowsByText) {
  TEditorScreenStrings store;
  store.SetText(GetParam().text);
  EXPECT_TRUE(store.UpdateRows(GetParam().index, GetParam().count, GetParam().replacement));
  EXPECT_EQ(Dump(store), GetParam().rows);
}

// Edits of every kind on random text are checked against a plain model in
// EditorProperty_test.cpp; these rows keep the cases that once went wrong.
INSTANTIATE_TEST_SUITE_P(
    Edits, UpdateRowsUnwrapped,
    ::testing::Values(
        // Formerly a final lone CR was dropped and the line lost its end.
        TEditCase{"FinalLoneCrEndsTheLine", "a\r\nb\r\n", 1, 1, "x\r", "a|x|"},
        // Formerly text put after a raEof row made a second raEof row in
        // the middle of the store; it now continues that line.
        TEditCase{"AppendAfterEofJoinsTheLastLine", "a\r\nb", 2, 0, "c", "a|bc$"},
        TEditCase{"AppendLineAfterEof", "a\r\nb", 2, 0, "c\r\n", "a|bc|"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(UpdateRows, RangesOutsideTheStoreAreIgnored) {
  TEditorScreenStrings store;
  store.SetText("a\r\nb\r\n");
  EXPECT_FALSE(store.UpdateRows(-1, 1, "x"));
  EXPECT_FALSE(store.UpdateRows(2, 1, "x"));
  EXPECT_FALSE(store.UpdateRows(1, 2, "x"));
  EXPECT_FALSE(store.UpdateRows(3, 0, "x"));
  EXPECT_FALSE(store.UpdateRows(1, 0, ""));
  EXPECT_FALSE(store.UpdateRows(0, -1, "x"));
  EXPECT_FALSE(store.UpdateRows(1, 0x7FFFFFFF, "x"));
  EXPECT_EQ(Dump(store), "a|b|");
  EXPECT_FALSE(store.UndoObj().CanUndo());
}

TEST(UpdateRows, AViewOfTheStoreCanBeInsertedBack) {
  TEditorScreenStrings store;
  store.SetText(A(100) + "\r\nb\r\n");
  store.UpdateRows(1, 0, store.Get(0));
  EXPECT_EQ(store.Text(), A(100) + "\r\n" + A(100) + "b\r\n");
}

TEditorScreenStrings& Wrapped(TEditorScreenStrings& store, int wrap = 20) {
  store.WrapOption().SetWrapByte(wrap);
  store.SetWordWrap(true);
  return store;
}

TEST(UpdateRowsWrapped, ReCutsTheTouchedLineOnly) {
  TEditorScreenStrings store;
  Wrapped(store).SetText(A(30) + "\r\n" + A(25, 'b') + "\r\n");
  ASSERT_EQ(Dump(store), A(20) + "~" + A(10) + "|" + A(20, 'b') + "~" + A(5, 'b') + "|");
  // Type 'x' at the start of row 1 (a line's last row, so its line end is
  // part of the new text): the row before and the next line take part.
  store.UpdateRows(1, 1, "x" + A(10) + "\r\n");
  EXPECT_EQ(Dump(store), A(20) + "~x" + A(10) + "|" + A(20, 'b') + "~" + A(5, 'b') + "|");
  EXPECT_EQ(store.UpdateInfo(), (TEditorUpdateInfo{0, 4, 4, 0, true}));
  // Fill the line to 40 columns: it grows by a row (an empty one, since it
  // filled its last row exactly).
  store.UpdateRows(1, 1, A(20) + "\r\n");
  EXPECT_EQ(Dump(store), A(20) + "~" + A(20) + "~|" + A(20, 'b') + "~" + A(5, 'b') + "|");
  EXPECT_EQ(store.UpdateInfo(), (TEditorUpdateInfo{0, 4, 5, 0, true}));
  // Inside a wrapped row the edit stays within its own line.
  store.UpdateRows(3, 1, "c" + A(19, 'b'));
  EXPECT_EQ(Dump(store), A(20) + "~" + A(20) + "~|c" + A(19, 'b') + "~" + A(5, 'b') + "|");
  EXPECT_EQ(store.UpdateInfo(), (TEditorUpdateInfo{3, 2, 2, 0, true}));
}

// Formerly the new rows took raEof from the empty row after a last line that
// filled its row exactly, and the line end at the end of the new text was lost.
TEST(UpdateRowsWrapped, ALineEndBeforeAnEmptyEofRowIsKept) {
  TEditorScreenStrings store;
  Wrapped(store).SetText(A(30) + "\r\n" + A(20, 'b'));
  ASSERT_EQ(Dump(store), A(20) + "~" + A(10) + "|" + A(20, 'b') + "~$");
  store.UpdateRows(2, 1, "x\r\n");
  EXPECT_EQ(store.Text(), A(30) + "\r\nx\r\n");
  EXPECT_EQ(Dump(store), A(20) + "~" + A(10) + "|x|");
}

// Formerly text appended after an empty last row re-cut only that row, and
// the full row before it kept a break a fresh cut would not make.
TEST(UpdateRowsWrapped, AppendingAfterAnEmptyLastRowReCutsTheRowBefore) {
  TEditorScreenStrings store;
  Wrapped(store).WrapOption().SetLeading(true);
  store.SetText(A(19) + " ");  // fills its row: an empty raEof row follows
  ASSERT_EQ(store.Count(), 2);
  store.UpdateRows(2, 0, Cp("」") + "b");
  // The closing bracket may not begin a row: the blank goes with it.
  EXPECT_EQ(Dump(store), A(19) + "~ " + Cp("」") + "b$");
}

TEST(RowsOfLines, GetRowsTextJoinsWrappedRows) {
  TEditorScreenStrings store;
  Wrapped(store).SetText(A(45) + "\r\nb");
  EXPECT_EQ(store.FirstRowOfLine(2), 0);
  EXPECT_EQ(store.LastRowOfLine(0), 2);
  EXPECT_EQ(store.LastRowOfLine(3), 3);
  const auto line = store.GetRowsText(1, -1);
  EXPECT_EQ(line.Text, A(25) + "\r\n");
  EXPECT_EQ(line.RowCount, 2);
  EXPECT_EQ(line.LastAttribute, raCrlf);
  const auto all = store.GetRowsText(0, 4);
  EXPECT_EQ(all.Text, A(45) + "\r\nb");
  EXPECT_EQ(all.LastAttribute, raEof);
  EXPECT_EQ(store.GetRowsText(4, 1).LastAttribute, raInvalid);
  EXPECT_EQ(store.GetRowsText(0, 0).RowCount, 0);
  EXPECT_EQ(store.LinesCount(), 2);
  EXPECT_EQ(store.RowOfLineIndex(1), 3);
  EXPECT_EQ(store.RowOfLineIndex(-4), 0);
}

TEST(RowMarks, MarksZeroToNineAreUnique) {
  TEditorScreenStrings store;
  store.SetText("a\r\nb\r\nc\r\n");
  store.PutMark(0, 3);
  store.PutMark(2, 3);
  EXPECT_EQ(store.Marks(0), 0);
  EXPECT_EQ(store.Marks(2), 1 << 3);
  store.PutMark(0, 12);
  store.PutMark(1, 12);
  EXPECT_EQ(store.Marks(0), 1 << 12);
  EXPECT_EQ(store.Marks(1), 1 << 12);
  EXPECT_EQ(store.ListMarks(), (1 << 3) | (1 << 12));
  store.PutMark(1, 16);  // no such mark
  store.DeleteMark(0, 12);
  EXPECT_EQ(store.FirstRowWithMark(12), 1);
  EXPECT_EQ(store.FirstRowWithMark(5), -1);
  EXPECT_THROW(store.PutMark(3, 1), TEListError);
}

TEST(RowMarks, GotoMarkMovesTheActiveCaret) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  store.SetText("a\r\nb\r\nc\r\n");
  store.PutMark(2, 4);
  editor.Column = 1;
  EXPECT_TRUE(store.GotoMark(4));
  EXPECT_EQ(editor.Row, 2);
  EXPECT_EQ(editor.Column, 1);
  EXPECT_FALSE(store.GotoMark(5));
}

struct TCarryCase {
  const char* name;
  int index;
  int count;
  std::string replacement;
  int markedRow;    // of "a|b|c|d$"
  int expectedRow;  // -1: the mark is gone
};

class MarkCarry : public ::testing::TestWithParam<TCarryCase> {};

TEST_P(MarkCarry, FollowsItsRow) {
  TEditorScreenStrings store;
  store.SetText("a\r\nb\r\nc\r\nd");
  store.PutMark(GetParam().markedRow, 7);
  store.UpdateRows(GetParam().index, GetParam().count, GetParam().replacement);
  EXPECT_EQ(store.FirstRowWithMark(7), GetParam().expectedRow) << Dump(store);
  EXPECT_EQ(store.ListMarks() != 0, GetParam().expectedRow >= 0);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, MarkCarry,
    ::testing::Values(TCarryCase{"TypingOnTheRowKeepsIt", 1, 1, "bx\r\n", 1, 1},
                      TCarryCase{"DeletedRowGivesItToTheNext", 1, 1, "", 1, 1},
                      TCarryCase{"DeletedTailGivesItToTheLastRow", 2, 2, "", 3, 1},
                      TCarryCase{"JoinedLineKeepsItOnTheJoinedRow", 1, 1, "b", 2, 1},
                      TCarryCase{"DeletingEverythingDropsIt", 0, 4, "", 2, -1},
                      TCarryCase{"InsertedRowsPushItDown", 1, 0, "x\r\ny\r\n", 1, 3}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(WordWrapSwitch, JoinsAndReCutsLinesWithTheirMarks) {
  TEditorScreenStrings store;
  Wrapped(store).SetText(A(45) + "\r\n" + A(5, 'b'));
  ASSERT_EQ(Dump(store), A(20) + "~" + A(20) + "~" + A(5) + "|bbbbb$");
  store.PutMark(1, 2);
  store.PutMark(2, 11);
  store.SetWordWrap(false);
  EXPECT_EQ(Dump(store), A(45) + "|bbbbb$");
  EXPECT_EQ(store.Marks(0), (1 << 2) | (1 << 11));  // united
  store.SetWordWrap(true);
  EXPECT_EQ(Dump(store), A(20) + "~" + A(20) + "~" + A(5) + "|bbbbb$");
  EXPECT_EQ(store.Marks(0), (1 << 2) | (1 << 11));
  EXPECT_EQ(store.LinesCount(), 2);
}

TEST(WordWrapSwitch, WrapOptionChangesReCutOnlyWhenWrapping) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  store.SetText(A(45));
  store.WrapOption().SetWrapByte(20);
  EXPECT_EQ(store.Count(), 1);
  store.SetWordWrap(true);
  EXPECT_EQ(store.Count(), 3);
  const int reinitialized = editor.Reinitialized;
  store.WrapOption().SetWrapByte(30);
  EXPECT_EQ(Dump(store), A(30) + "~" + A(15) + "$");
  EXPECT_EQ(editor.Reinitialized, reinitialized + 1);
  store.WrapOption().SetWrapByte(30);  // same value: nothing to do
  EXPECT_EQ(editor.Reinitialized, reinitialized + 1);
  store.SetTabSpaceCount(5);
  EXPECT_EQ(store.TabSpaceCount(), 4);
}

TEST(CaretPlaces, RowsAndColumnsMapToPositionsAndBack) {
  TEditorScreenStrings store;
  Wrapped(store).SetText(A(30) + "\r\n" + Cp("日本") + "\tx\r\n");
  EXPECT_EQ(store.PositionOf(1, 3), (TEditorPosition{0, 23, 0}));
  EXPECT_EQ(store.RowColumnOf({0, 23, 0}), (TRowColumn{1, 3}));
  // The end of a wrapped row is the start of the next.
  EXPECT_EQ(store.RowColumnOf(store.PositionOf(0, 20)), (TRowColumn{1, 0}));
  // Inside a double-byte character and past the row end.
  EXPECT_EQ(store.PositionOf(2, 1), (TEditorPosition{1, 0, 1}));
  EXPECT_EQ(store.PositionOf(1, 14), (TEditorPosition{0, 30, 4}));
  EXPECT_EQ(store.RowColumnOf({0, 30, 4}), (TRowColumn{1, 14}));
  // After the final line end.
  EXPECT_EQ(store.PositionOf(3, 2), (TEditorPosition{2, 0, 2}));
  EXPECT_EQ(store.RowColumnOf({2, 0, 2}), (TRowColumn{3, 2}));
}

TEST(Clients, TheFocusedClientIsActiveElseTheOwner) {
  TEditorScreenStrings store;
  EXPECT_EQ(store.ActiveClient(), nullptr);
  TFakeClient owner(store);
  TFakeClient second(store);
  store.AttachClient(owner);  // twice: no effect
  EXPECT_EQ(store.Clients().size(), 2u);
  EXPECT_EQ(store.ActiveClient(), &owner);
  second.Focus = true;
  EXPECT_EQ(store.ActiveClient(), &second);
  store.DetachClient(owner);
  EXPECT_EQ(store.Owner(), &second);
}

TEST(Clients, AreToldOfEachChange) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  store.SetText("a\r\nb\r\n");
  EXPECT_EQ(editor.Reinitialized, 1);
  editor.Updates.clear();
  store.UpdateRows(1, 1, "c\r\n");
  ASSERT_EQ(editor.Updates.size(), 1u);
  EXPECT_EQ(editor.Updates[0], (TEditorUpdateInfo{1, 1, 1, 0, true}));
  store.UpdateRows(0, 1, "");
  EXPECT_EQ(editor.Updates.back(), (TEditorUpdateInfo{0, 1, 0, 0, true}));
}

class TRecordingParser : public TEditorRowParser {
public:
  TReparsed Reparse(int row) override {
    Rows.push_back(row);
    return {row, 2};
  }
  void ParseAll() override { ++FullPasses; }
  std::vector<int> Rows;
  int FullPasses = 0;
};

TEST(Highlighter, ParsesFromTheFirstChangedRow) {
  TEditorScreenStrings store;
  TRecordingParser parser;
  store.SetRowParser(&parser);
  store.SetText("a\r\nb\r\nc\r\n");
  EXPECT_EQ(parser.FullPasses, 1);
  store.UpdateRows(2, 1, "x\r\n");
  EXPECT_EQ(parser.Rows, std::vector<int>{2});
  EXPECT_EQ(store.UpdateInfo().ReparsedRows, 2);
  store.SetWordWrap(true);
  EXPECT_EQ(parser.FullPasses, 2);
  // The parse state of an edited row is reset to "not parsed".
  store.SetToken(0, 5);
  store.UpdateRows(0, 1, "y\r\n");
  EXPECT_EQ(store.Token(0), -2);
}

TEST(RawRows, EmptyTheUndoListsAndCarryMarks) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  store.SetText("a\r\nb\r\nc\r\n");
  store.UpdateRows(0, 1, "x\r\n");
  ASSERT_TRUE(store.UndoObj().CanUndo());
  store.Put(0, "y");
  EXPECT_FALSE(store.UndoObj().CanUndo());
  store.PutMark(1, 9);
  store.Delete(1);
  EXPECT_EQ(store.Marks(1), 1 << 9);
  EXPECT_EQ(Dump(store), "y|c|");
  editor.SetCaret(1, 1);
  store.Clear();
  EXPECT_EQ(store.Count(), 0);
  EXPECT_EQ(store.ListMarks(), 0);
  EXPECT_EQ(editor.Row, 0);
  EXPECT_EQ(editor.Column, 0);
}

TEST(WholeText, SettingItMovesCaretsToTheStart) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  store.SetText("a\r\nb");
  editor.SetCaret(1, 1);
  store.SetText("q\r\n");
  EXPECT_EQ(editor.Row, 0);
  EXPECT_EQ(editor.Column, 0);
}

TEST(Memory, RowsTakeLessThanThreeTimesTheText) {
  TEditorScreenStrings store;
  std::string text;
  for (int i = 0; i < 20000; ++i) text += Cp("今日は晴れ。") + A(i % 90) + "\r\n";
  Wrapped(store, 80).SetText(text);
  EXPECT_LT(store.MemoryBytes(), 3 * text.size());
  for (int i = 0; i < 2000; ++i) store.UpdateRows((i * 37) % store.Count(), 1, "edit\r\n");
  EXPECT_LT(store.MemoryBytes(), 3 * text.size());
}

}  // namespace
}  // namespace quillet

namespace quillet {
namespace {

// A text of several MiB is cut and stored a piece of lines at a time; the
// rows must be those of cutting the whole text at once, across piece ends
// that fall after CR LF, after a lone LF, next to a lone CR, inside long
// wrapped lines, with and without a line end at the very end.
TEST(SetTextInPieces, GivesTheRowsOfTheWholeText) {
  std::string text;
  unsigned state = 7;
  const char* ends[] = {"\r\n", "\n", "\r", "\r\n\r\n", "\n\n"};
  while (text.size() < 3'500'000) {
    state = state * 1103515245u + 12345u;
    const std::size_t length = (state >> 8) % 300;  // many lines longer than the width
    for (std::size_t i = 0; i < length; ++i) text += i % 11 == 10 ? ' ' : i % 37 == 0 ? '\t' : static_cast<char>('a' + i % 26);
    text += ends[(state >> 20) % std::size(ends)];
  }
  for (const bool wrap : {false, true}) {
    for (const std::string& whole : {text, text + "tail without a line end"}) {
      TEditorScreenStrings store;
      store.WrapOption().SetWrapByte(60);
      store.WrapOption().SetWordBreak(true);
      store.SetWordWrap(wrap);
      store.SetText(whole);
      std::vector<TRowSpan> spans;
      TRowCutter(store.WrapOption(), store.TabSpaceCount(), wrap).CutText(whole, spans);
      if (!EndsWithLineEnd(whole)) spans.back().Attribute = raEof;
      ASSERT_EQ(static_cast<std::size_t>(store.Count()), spans.size()) << "wrap " << wrap;
      for (std::size_t row = 0; row < spans.size(); ++row) {
        const int index = static_cast<int>(row);
        ASSERT_EQ(store.Get(index), std::string_view(whole).substr(spans[row].Offset, spans[row].Length))
            << "row " << row << " wrap " << wrap;
        ASSERT_EQ(store.RowAttribute(index), spans[row].Attribute) << "row " << row << " wrap " << wrap;
      }
    }
  }
}

}  // namespace
}  // namespace quillet
