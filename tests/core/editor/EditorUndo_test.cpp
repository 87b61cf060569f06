// Undo and redo: the list limits, the caret stamps, and records that survive
// the rows being cut anew. One step per edit, the redo rules and undo after
// re-cuts on random text are checked against a plain model in
// EditorProperty_test.cpp.
#include "core/editor/EditorUndo.h"

#include <gtest/gtest.h>

#include <string>

#include "EditorTestSupport.h"
#include "core/editor/EditorScreenStrings.h"

namespace quillet {
namespace {

using test::Dump;
using test::TFakeClient;

using test::A;
TEST(UndoLimit, TheOldestRecordGoesBeyondTheMaximum) {
  TEditorScreenStrings store;
  store.SetText("x\r\n");
  for (int i = 0; i < 65; ++i) store.UpdateRows(0, 1, std::to_string(i) + "\r\n");
  const TUndoDataList& list = store.UndoObj().UndoList();
  ASSERT_EQ(list.size(), 64u);
  EXPECT_EQ(list.front().OldText, "0\r\n");  // the record that replaced "x" is gone
  while (store.UndoObj().Undo()) {
  }
  EXPECT_EQ(store.Text(), "0\r\n");
}

TEST(UndoLimit, IsAtLeast64) {
  TEditorScreenStrings store;
  store.UndoObj().SetUndoListMax(10);
  EXPECT_EQ(store.UndoObj().UndoListMax(), 64);
  store.UndoObj().SetUndoListMax(256);
  EXPECT_EQ(store.UndoObj().UndoListMax(), 256);
  store.SetText("x\r\n");
  for (int i = 0; i < 100; ++i) store.UpdateRows(0, 1, "y\r\n");
  store.UndoObj().SetUndoListMax(64);
  EXPECT_EQ(store.UndoObj().UndoList().size(), 64u);
}

TEST(UndoCaret, GoesBackToWhereItWasBeforeTheEdit) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  store.SetText("abc\r\ndef\r\n");
  editor.SetCaret(1, 1);
  store.UpdateRows(1, 1, "dXef\r\n");
  editor.SetCaret(1, 2);  // the control moved it after typing
  store.UndoObj().Undo();
  EXPECT_EQ(editor.Row, 1);
  EXPECT_EQ(editor.Column, 1);
  EXPECT_EQ(editor.HideDepth, 0);
  EXPECT_EQ(editor.MaxHideDepth, 1);
  store.UndoObj().Redo();  // back to the caret from just before the undo
  EXPECT_EQ(editor.Row, 1);
  EXPECT_EQ(editor.Column, 2);
}

TEST(UndoCaret, BelongsToTheFocusedEditor) {
  TEditorScreenStrings store;
  TFakeClient owner(store);
  TFakeClient other(store);
  store.SetText("abc\r\n");
  other.Focus = true;
  other.SetCaret(0, 3);
  owner.SetCaret(0, 1);
  store.UpdateRows(0, 1, "abcd\r\n");
  other.SetCaret(0, 0);
  store.UndoObj().Undo();
  EXPECT_EQ(other.Column, 3);
  EXPECT_EQ(owner.Column, 1);
}

// Formerly records held row numbers: after the wrap column changed (a window
// resize in "wrap at the window edge") undo replaced the wrong rows.
TEST(UndoAcrossReCut, SurvivesWrapColumnAndWrapSwitchChanges) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  store.WrapOption().SetWrapByte(20);
  store.SetWordWrap(true);
  const std::string original = A(50) + "\r\n" + A(30, 'b') + "\r\nccc";
  store.SetText(original);
  editor.SetCaret(4, 5);  // the "b" line's second row
  store.UpdateRows(4, 1, "XX" + A(10, 'b') + "\r\n");
  const std::string edited = store.Text();
  store.WrapOption().SetWrapByte(23);
  store.SetWordWrap(false);
  store.UpdateRows(2, 1, "ccc!");
  store.SetWordWrap(true);
  store.WrapOption().SetWrapByte(31);
  ASSERT_TRUE(store.UndoObj().Undo());
  EXPECT_EQ(store.Text(), edited);
  ASSERT_TRUE(store.UndoObj().Undo());
  EXPECT_EQ(store.Text(), original);
  // The caret is back at the same character: "b" number 25 of its line.
  EXPECT_EQ(store.PositionOf(editor.Row, editor.Column), (TEditorPosition{1, 25, 0}));
  EXPECT_EQ(editor.Row, 2);
  EXPECT_EQ(editor.Column, 25);
  ASSERT_TRUE(store.UndoObj().Redo());
  EXPECT_EQ(store.Text(), edited);
}

TEST(UndoMarks, FollowTheTextBack) {
  TEditorScreenStrings store;
  store.SetText("a\r\nb\r\nc\r\n");
  store.PutMark(1, 6);
  store.UpdateRows(1, 0, "x\r\ny\r\n");
  EXPECT_EQ(store.FirstRowWithMark(6), 3);
  store.UndoObj().Undo();
  EXPECT_EQ(store.FirstRowWithMark(6), 1);
  EXPECT_EQ(Dump(store), "a|b|c|");
}

TEST(UndoRecords, ARecordThatNoLongerFitsEmptiesTheLists) {
  TEditorScreenStrings store;
  store.SetText("a\r\nb\r\nc\r\n");
  store.UpdateRows(2, 1, "C\r\n");
  // A raw row operation would empty the lists; a record made by hand that
  // points past the text must not damage it either.
  TUndoData& bogus = store.UndoObj().NewRecord();
  bogus.StartLine = 9;
  bogus.NewLineCount = 1;
  bogus.LastRowAttribute = raCrlf;
  bogus.OldText = "zzz\r\n";
  EXPECT_FALSE(store.UndoObj().Undo());
  EXPECT_EQ(store.Text(), "a\r\nb\r\nC\r\n");
  EXPECT_FALSE(store.UndoObj().CanUndo());
}

}  // namespace
}  // namespace quillet
