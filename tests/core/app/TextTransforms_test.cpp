// Trims and line-end removal of the main window's text commands.
#include "core/app/TextTransforms.h"

#include <gtest/gtest.h>

using namespace quillet;

namespace {

TEST(TextTransforms, TrimsBothSidesOfEveryLineAndKeepsLineEnds) {
  const struct {
    const char* name;
    std::string in;
    TTrimSide side;
    std::string out;
  } rows[] = {
      {"empty", "", TTrimSide::Left, ""},
      {"left blanks", " \t\x81\x40" "a b \r\n  c", TTrimSide::Left, "a b \r\nc"},
      {"right blanks", "a \x81\x40\t\r\nb  \nc\x81\x40", TTrimSide::Right, "a\r\nb\nc"},
      {"all blank line", "   \r\n\x81\x40", TTrimSide::Right, "\r\n"},
      // The trail byte of ソ (0x83 0x5C) is no blank, and ＝ (0x81 0x81)
      // followed by "@" holds no full-width space (0x81 0x40).
      {"trail bytes", "\x83\x5C \r\n\x81\x81\x40", TTrimSide::Right, "\x83\x5C\r\n\x81\x81\x40"},
      // A lead byte before a line end (damaged text) must not hide the line end.
      {"lead byte before CR", "a\x81\r\n b", TTrimSide::Left, "a\x81\r\nb"},
      {"final line end kept", "a \r\n", TTrimSide::Right, "a\r\n"},
  };
  for (const auto& row : rows) EXPECT_EQ(TrimLines(row.in, row.side), row.out) << row.name;
}

TEST(TextTransforms, RemoveLineEndsJoinsOnlyCrLfPairs) {
  EXPECT_EQ(RemoveLineEnds("a\r\nb"), "ab");
  EXPECT_EQ(RemoveLineEnds("a\r\n\r\nb\r\n"), "ab");
  EXPECT_EQ(RemoveLineEnds("a\rb\nc"), "a\rb\nc");
}

}  // namespace
