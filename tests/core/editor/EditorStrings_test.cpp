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

// Reading and writing the whole text (every line end, NUL bytes) and Put,
// Insert, Delete and Add on random text, wrapped and not, with indices
// outside the lines, are checked against a plain model in
// EditorProperty_test.cpp.
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
