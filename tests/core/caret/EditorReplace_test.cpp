// Replace all against a plain model: the search-and-replace loop one hit at
// a time (search on from the caret after each replacement), on random text
// with double-byte characters, line ends and wrapped rows. Replace all must
// give the same text and count, and one undo must give the text back.
#include <random>

#include "core/caret/CaretTestSupport.h"
#include "core/caret/EditorReplace.h"

using namespace quillet;
using namespace quillet::test;

namespace {

TEST(EditorReplace, MatchesTheHitByHitLoopAndUndoesInOneStep) {
  const std::string pieces[] = {"a", "A", "b", Sj("ア"), Sj("ａ"), "\r\n"};
  const std::string patterns[] = {"a", "A", "aa", Sj("ア") + "a", Sj("Ａ")};
  const std::string replacements[] = {"", "a", "aa", Sj("イ"), "x\r\ny"};
  std::mt19937 random(7);
  auto pick = [&random](const auto& list) { return list[random() % std::size(list)]; };
  for (int run = 0; run < 300; ++run) {
    std::string text;
    for (int n = static_cast<int>(random() % 24); n > 0; --n) text += pick(pieces);
    const std::string pattern = pick(patterns);
    const std::string replacement = pick(replacements);
    const bool matchCase = random() % 2 == 0;
    const int wrap = random() % 2 == 0 ? 0 : 4;
    SCOPED_TRACE(testing::Message() << "run " << run << " text \"" << text << "\" pattern \"" << pattern << "\"");

    TEngineFixture model(text, wrap);
    int expected = 0;
    model.Caret(0, 0);
    while (model.Engine.Search(pattern, true, matchCase)) {
      model.Engine.ReplaceSelection(replacement);
      ++expected;
    }

    TEngineFixture editor(text, wrap);
    editor.Caret(1, 1);
    EXPECT_EQ(ReplaceAllText(editor.Engine, pattern, replacement, matchCase), expected);
    EXPECT_EQ(editor.Text(), model.Text());
    if (expected > 0) {
      EXPECT_EQ(editor.At(), model.At());  // after the last replacement
      EXPECT_TRUE(editor.Engine.Undo());
      EXPECT_EQ(editor.Text(), text);
    }
  }
}

TEST(EditorReplace, AReadOnlyTextIsRefusedUnchanged) {
  TEngineFixture editor("abc abc");
  editor.Engine.SetReadOnly(true);
  EXPECT_EQ(ReplaceAllText(editor.Engine, "b", "x", true), std::nullopt);
  EXPECT_EQ(ReplaceAllText(editor.Engine, "z", "x", true), 0);
  EXPECT_EQ(editor.Text(), "abc abc");
}

}  // namespace
