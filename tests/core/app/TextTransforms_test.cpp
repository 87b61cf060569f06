// Trims, line-end removal and date stamps of the main window's text commands.
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

TEST(TextTransforms, SixDateStampsOfSeventhMarch2005) {
  std::tm when{};
  when.tm_year = 105;
  when.tm_mon = 2;
  when.tm_mday = 7;
  when.tm_hour = 9;
  when.tm_min = 5;
  when.tm_sec = 3;
  const char* expected[] = {
      "05/03/07",
      "2005/03/07",
      "2005\x94\x4e" "03\x8c\x8e" "07\x93\xfa",
      "05/03/07 09:05:03",
      "2005/03/07 09:05:03",
      "2005\x94\x4e" "03\x8c\x8e" "07\x93\xfa" " 09:05:03",
  };
  for (std::size_t i = 0; i < std::size(kDateStampPatterns); ++i)
    EXPECT_EQ(FormatDateStamp(kDateStampPatterns[i], when), expected[i]) << i;
  // The hour runs 0..23, and an unclosed quote copies the rest.
  when.tm_hour = 23;
  EXPECT_EQ(FormatDateStamp("hh\"x", when), "23x");
}

}  // namespace
