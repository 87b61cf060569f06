// The Lines view: reading and writing the whole text, logical-line
// operations with wrapping off and on, loading a file, Assign, and the
// update bracket.
#include "core/editor/EditorStrings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../app/TempFolder.h"
#include "EditorTestSupport.h"

namespace quillet {
namespace {

using test::Cp;
using test::Dump;
using test::TFakeClient;

std::string A(int n, char c = 'a') { return std::string(static_cast<std::size_t>(n), c); }

std::vector<std::string> All(const TEditorStrings& lines) {
  std::vector<std::string> out;
  for (int i = 0; i < lines.Count(); ++i) out.push_back(lines.Get(i));
  return out;
}

using V = std::vector<std::string>;

struct TTextCase {
  const char* name;
  std::string text;
  std::string rows;
  std::string readBack;
};

class LinesText : public ::testing::TestWithParam<TTextCase> {};

TEST_P(LinesText, SplitsIntoRowsAndJoinsWithCrLf) {
  TEditorScreenStrings store;
  TEditorStrings lines(store);
  lines.SetText(GetParam().text);
  EXPECT_EQ(Dump(store), GetParam().rows);
  EXPECT_EQ(lines.Text(), GetParam().readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LinesText,
    ::testing::Values(TTextCase{"CrLfThenText", "a\r\nb", "a|b$", "a\r\nb"},
                      TTextCase{"FinalCrLf", "a\r\n", "a|", "a\r\n"},
                      TTextCase{"LoneCrBetween", "a\rb", "a|b$", "a\r\nb"},
                      TTextCase{"FinalLoneCr", "a\r", "a|", "a\r\n"},
                      TTextCase{"FinalLoneLf", "a\n", "a|", "a\r\n"},
                      TTextCase{"Empty", "", "", ""},
                      // Formerly the text stopped at a NUL byte and its tail was
                      // lost when the entry was saved again.
                      TTextCase{"NulAndWhatFollowsAreKept", std::string("a\0b\r\nc", 6), std::string("a\0b|c$", 6),
                                std::string("a\0b\r\nc", 6)}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LinesCount, CountsLogicalLinesNeverRows) {
  TEditorScreenStrings store;
  TEditorStrings lines(store);
  store.WrapOption().SetWrapByte(20);
  store.SetWordWrap(true);
  lines.SetText(A(45) + "\r\n" + A(20, 'b') + "\r\nc");
  EXPECT_EQ(store.Count(), 6);  // 3 rows, 2 (a full row and an empty one), 1
  EXPECT_EQ(lines.Count(), 3);
  EXPECT_EQ(All(lines), (V{A(45), A(20, 'b'), "c"}));
  store.SetWordWrap(false);
  EXPECT_EQ(lines.Count(), 3);
  EXPECT_EQ(All(lines), (V{A(45), A(20, 'b'), "c"}));
}

class LinesEdits : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    m_store.WrapOption().SetWrapByte(20);
    m_store.SetWordWrap(GetParam());
  }
  TEditorScreenStrings m_store;
  TEditorStrings m_lines{m_store};
};

TEST_P(LinesEdits, PutKeepsTheLineEnd) {
  m_lines.SetText(A(30) + "\r\nb\r\nc");
  m_lines.Put(0, "x");
  m_lines.Put(2, A(25, 'y'));
  EXPECT_EQ(m_lines.Text(), "x\r\nb\r\n" + A(25, 'y'));
  m_lines.Put(1, "p\r\nq");
  EXPECT_EQ(All(m_lines), (V{"x", "p", "q", A(25, 'y')}));
}

TEST_P(LinesEdits, InsertAddsALineBefore) {
  m_lines.SetText("a\r\nb");
  m_lines.Insert(0, A(30));
  m_lines.Insert(2, "m");
  EXPECT_EQ(All(m_lines), (V{A(30), "a", "m", "b"}));
  m_lines.Insert(4, "z");  // index = Count appends
  EXPECT_EQ(m_lines.Text(), A(30) + "\r\na\r\nm\r\nb\r\nz");
}

TEST_P(LinesEdits, AddAfterATextWithoutLineEndKeepsItWithout) {
  m_lines.SetText("a\r\n" + A(25, 'b'));
  EXPECT_EQ(m_lines.Add("c"), 2);
  EXPECT_EQ(m_lines.Text(), "a\r\n" + A(25, 'b') + "\r\nc");
  EXPECT_EQ(m_store.RowAttribute(m_store.Count() - 1), raEof);
  m_lines.Clear();
  EXPECT_EQ(m_lines.Add("first"), 0);
  EXPECT_EQ(m_lines.Add("second"), 1);
  EXPECT_EQ(m_lines.Text(), "first\r\nsecond\r\n");
}

TEST_P(LinesEdits, DeleteRemovesTheWholeLine) {
  m_lines.SetText("a\r\n" + A(45, 'b') + "\r\nc");
  m_lines.Delete(1);
  EXPECT_EQ(m_lines.Text(), "a\r\nc");
  m_lines.Delete(1);  // the last line of two: one row is left
  EXPECT_EQ(m_lines.Text(), "a\r\n");
  EXPECT_EQ(m_store.Count(), 1);
  m_lines.Delete(0);
  EXPECT_EQ(m_store.Count(), 0);
}

TEST_P(LinesEdits, IndicesOutsideTheLinesAreListIndexErrors) {
  m_lines.SetText("a\r\nb");
  EXPECT_THROW((void)m_lines.Get(2), TEListError);
  EXPECT_THROW(m_lines.Put(-1, "x"), TEListError);
  EXPECT_THROW(m_lines.Delete(2), TEListError);
  EXPECT_THROW(m_lines.Insert(3, "x"), TEListError);
  EXPECT_EQ(m_lines.Text(), "a\r\nb");
}

TEST_P(LinesEdits, EachEditIsOneUndoStep) {
  m_lines.SetText("a\r\nb\r\n");
  m_lines.Put(0, "x");
  m_lines.Add("c");
  m_lines.Delete(1);
  EXPECT_EQ(m_store.UndoObj().UndoList().size(), 3u);
  while (m_store.UndoObj().Undo()) {
  }
  EXPECT_EQ(m_lines.Text(), "a\r\nb\r\n");
}

INSTANTIATE_TEST_SUITE_P(Wrapping, LinesEdits, ::testing::Bool(),
                         [](const auto& row) { return std::string(row.param ? "On" : "Off"); });

TEST(LinesFile, LoadsTheBytesAsText) {
  test::TTempFolder folder;
  const std::string text = Cp("日記\r\n本文") + std::string("\0x", 2);
  test::WriteRaw(folder / "7.txt", text);
  TEditorScreenStrings store;
  TEditorStrings lines(store);
  lines.LoadFromFile(folder / "7.txt");
  EXPECT_EQ(lines.Text(), text);
}

TEST(LinesFile, AMissingFileIsAnErrorAndKeepsTheText) {
  test::TTempFolder folder;
  TEditorScreenStrings store;
  TEditorStrings lines(store);
  lines.SetText("keep\r\n");
  try {
    lines.LoadFromFile(folder / "missing.txt");
    FAIL() << "no error";
  } catch (const TEditorFileError& error) {
    EXPECT_STREQ(error.what(), "ファイルの読み込みに失敗しました");
    EXPECT_EQ(error.Path(), folder / "missing.txt");
  }
  EXPECT_THROW(lines.LoadFromFile(folder.Path()), TEditorFileError);  // a folder
  EXPECT_EQ(lines.Text(), "keep\r\n");
}

TEST(LinesAssign, TakesTheTextAndPutsTheCaretAfterIt) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  TEditorStrings lines(store);
  TheStringList source;
  source.Add("one");
  source.Add("two");
  lines.Assign(source);
  EXPECT_EQ(lines.Text(), "one\r\ntwo\r\n");
  EXPECT_EQ(editor.Row, 2);
  EXPECT_EQ(editor.Column, 0);

  TEditorScreenStrings otherStore;
  TEditorStrings other(otherStore);
  other.SetText("x\r\ny");
  lines.Assign(other);
  EXPECT_EQ(lines.Text(), "x\r\ny");
  EXPECT_EQ(editor.Row, 1);  // the setter keeps it on the raEof row
}

TEST(LinesUpdate, StopsRepaintingUntilTheLastEnd) {
  TEditorScreenStrings store;
  TFakeClient editor(store);
  TEditorStrings lines(store);
  int changes = 0;
  store.SetOnChange([&] { ++changes; });
  lines.BeginUpdate();
  lines.BeginUpdate();
  lines.Add("a");
  lines.Add("b");
  lines.EndUpdate();
  EXPECT_EQ(editor.Redraw, std::vector<bool>{false});
  const int reinitialized = editor.Reinitialized;
  lines.EndUpdate();
  EXPECT_EQ(editor.Redraw, (std::vector<bool>{false, true}));
  EXPECT_EQ(editor.Reinitialized, reinitialized + 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(lines.UpdateCount(), 0);
}

}  // namespace
}  // namespace quillet
