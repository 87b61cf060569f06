// Box selections: which bytes a box takes from a row, its text, and taking
// it out and putting it in as single undo steps.
#include "core/caret/EditorSelection.h"
#include "core/caret/EditorWords.h"

#include <gtest/gtest.h>

#include "CaretTestSupport.h"

namespace quillet {
namespace {

using test::Sj;

TEST(BoxRowBytes, CharactersCutByAnEdgeAreTakenWhole) {
  const TColumnLayout four{4, 0};
  const struct {
    const char* name;
    std::string row;
    int left, right;
    std::pair<int, int> bytes;
  } rows[] = {
      {"ascii", "abcdef", 1, 3, {1, 3}},
      {"full-width cut on the left", Sj("あいう"), 1, 4, {0, 4}},
      {"full-width cut on the right", Sj("あいう"), 2, 3, {2, 4}},
      {"tab spanning the box", "a\tb", 2, 3, {1, 2}},
      {"past the row end", "ab", 3, 6, {2, 2}},
      {"reaching past the end", "abc", 1, 9, {1, 3}},
  };
  for (const auto& row : rows) EXPECT_EQ(BoxRowBytes(row.row, four, row.left, row.right), row.bytes) << row.name;
}

TEST(EditorBox, TextDeleteAndInsertAreSingleSteps) {
  TEditorScreenStrings store;
  store.SetText("abcd\r\nef\r\nghij");
  const TBoxRect box{0, 2, 1, 3};
  EXPECT_EQ(BoxText(store, box), "bc\r\nf\r\nhi\r\n");
  EXPECT_TRUE(DeleteBox(store, box));
  EXPECT_EQ(store.Text(), "ad\r\ne\r\ngj");
  EXPECT_EQ(store.UndoObj().UndoList().size(), 1u);
  EXPECT_TRUE(InsertBox(store, 0, 1, BoxLines("bc\r\nf\r\nhi\r\n")));
  EXPECT_EQ(store.Text(), "abcd\r\nef\r\nghij");
  EXPECT_EQ(store.UndoObj().UndoList().size(), 2u);
}

TEST(EditorBox, InsertingBelowTheTextKeepsItsEnding) {
  TEditorScreenStrings store;
  store.SetText("ab");  // no final line end
  EXPECT_TRUE(InsertBox(store, 0, 3, {"1", "2"}));
  EXPECT_EQ(store.Text(), "ab 1\r\n   2");
  store.SetText("ab\r\n");
  EXPECT_TRUE(InsertBox(store, 1, 1, {"1", "2"}));  // at the place after the text
  EXPECT_EQ(store.Text(), "ab\r\n 1\r\n 2\r\n");
  TEditorScreenStrings empty;
  EXPECT_TRUE(InsertBox(empty, 0, 0, {"x", "y"}));
  EXPECT_EQ(empty.Text(), "x\r\ny");
}

TEST(EditorBox, ABoxOfNothingDeletesNothing) {
  TEditorScreenStrings store;
  store.SetText("ab\r\ncd");
  EXPECT_FALSE(DeleteBox(store, {0, 1, 5, 7}));
  EXPECT_FALSE(DeleteBox(store, {0, 1, 1, 1}));
  EXPECT_TRUE(store.UndoObj().UndoList().empty());
}

TEST(EditorWords, ClassesOfCharacters) {
  const struct {
    const char* name;
    std::string ch;
    TCharClass cls;
  } rows[] = {
      {"letter", "a", TCharClass::Word},          {"underscore", "_", TCharClass::Word},
      {"digit", "7", TCharClass::Word},           {"half-width kana", "\xB1", TCharClass::Word},
      {"period", ".", TCharClass::Delimiter},     {"half-width comma", "\xA4", TCharClass::Delimiter},
      {"space", " ", TCharClass::Blank},          {"ideographic space", Sj("　"), TCharClass::Blank},
      {"hiragana", Sj("あ"), TCharClass::Hiragana}, {"katakana", Sj("ア"), TCharClass::Katakana},
      {"long vowel", Sj("ー"), TCharClass::Katakana}, {"kanji", Sj("漢"), TCharClass::Kanji},
      {"repeat mark", Sj("々"), TCharClass::Kanji}, {"full-width letter", Sj("Ａ"), TCharClass::FullWidthLetter},
      {"ideographic full stop", Sj("。"), TCharClass::Symbol},
  };
  for (const auto& row : rows) EXPECT_EQ(ClassOfChar(row.ch), row.cls) << row.name;
}

}  // namespace
}  // namespace quillet
