// The highlighter seam: where web and mail addresses start and end, which
// link targets are mail addresses, and the link under a byte of a row.
#include "core/editor/EditorFountain.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(EditorFountain, WebAddressesNeedTheirPrefixAndRunOverWebCharacters) {
  const struct {
    const char* text;
    std::size_t at;
    std::size_t length;
  } rows[] = {
      {"see https://example.org/a?b=1 now", 4, 25},
      {"http://x.jp/~u_1#top", 0, 20},
      {"ftp:host", 0, 8},
      {"www.example.com,", 0, 15},      // the comma is no web character
      {"Http://example.org", 0, 0},     // case counts
      {"wwwx.example.org", 0, 0},
      {"see http://x", 0, 0},           // only where the prefix is
      {"https://\x83\x40.jp", 0, 8},    // stops at a double-byte character
      {"http://a\r\nb", 0, 8},          // never past the row end
  };
  for (const auto& row : rows) EXPECT_EQ(WebAddressLength(row.text, row.at), row.length) << row.text;
}

TEST(EditorFountain, MailAddressesNeedAnAtSignAndThenAFullStop) {
  const struct {
    const char* text;
    std::size_t at;
    std::size_t length;
  } rows[] = {
      {"a@b", 0, 0},                   // no full stop after the at sign
      {"a@b.c", 0, 5},
      {"@b.c", 0, 0},                  // the at sign cannot start one
      {"x.y@b", 0, 0},                 // the full stop must follow the at sign
      {"<first.last@mail.example.jp>", 1, 26},
      {"a@b.c, d", 0, 6},              // the comma is a mail character
      {"a\x83\x40" "b.c", 0, 0},       // ァ's trail byte is "@" but not an at sign
      {"http://u@h.jp", 0, 0},         // ":" ends the scan before the at sign
  };
  for (const auto& row : rows) EXPECT_EQ(MailAddressLength(row.text, row.at), row.length) << row.text;
}

TEST(EditorFountain, OnlyAWholeMailAddressIsOpenedAsMail) {
  EXPECT_TRUE(IsMailAddress("someone@example.jp"));
  EXPECT_FALSE(IsMailAddress("https://user@example.jp/"));
  EXPECT_FALSE(IsMailAddress("www.example.jp"));
  EXPECT_FALSE(IsMailAddress("a@b.c d"));
  EXPECT_FALSE(IsMailAddress(""));
}

// Row 0 holds a web address at bytes 4..10, a mail address at 11..16 and a
// quoted string at 17..20.
class TFakeParser : public TFountainRowParser {
public:
  void RowTokens(int row, std::string_view, std::vector<TFountainToken>& tokens) override {
    if (row != 0) return;
    tokens.push_back({4, 10, TFountainStyle::Url});
    tokens.push_back({11, 16, TFountainStyle::Mail});
    tokens.push_back({17, 20, TFountainStyle::Str});
  }
};

TEST(EditorFountain, TheLinkUnderAByteKeepsItsBytes) {
  TFakeParser parser;
  const std::string_view text = "see www.ab a@b.c \"q\"";
  EXPECT_EQ(LinkAt(parser, 0, text, 4), (TFountainLink{0, 4, 10, "www.ab", false}));
  EXPECT_EQ(LinkAt(parser, 0, text, 15), (TFountainLink{0, 11, 16, "a@b.c", true}));
  EXPECT_EQ(LinkAt(parser, 0, text, 10), std::nullopt);  // the byte after the address
  EXPECT_EQ(LinkAt(parser, 0, text, 18), std::nullopt);  // a token that is no address
  EXPECT_EQ(LinkAt(parser, 1, text, 4), std::nullopt);
}

}  // namespace
}  // namespace quillet
