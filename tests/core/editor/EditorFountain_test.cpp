// The highlighter seam: where web and mail addresses start and end, which
// link targets are mail addresses, and the link under a byte of a row; and
// the incremental parse of TEditorFountain: after any sequence of edits the
// parse state of every row equals a full parse of the same rows.
#include "core/editor/EditorFountain.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "EditorTestSupport.h"
#include "core/editor/FountainParser.h"

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
  EXPECT_EQ(LinkAt(parser, 0, text, 4), (TFountainLink{0, 4, 0, 10, "www.ab", false}));
  EXPECT_EQ(LinkAt(parser, 0, text, 15), (TFountainLink{0, 11, 0, 16, "a@b.c", true}));
  EXPECT_EQ(LinkAt(parser, 0, text, 10), std::nullopt);  // the byte after the address
  EXPECT_EQ(LinkAt(parser, 0, text, 18), std::nullopt);  // a token that is no address
  EXPECT_EQ(LinkAt(parser, 1, text, 4), std::nullopt);
}

using test::Cp;
using test::TFakeClient;

TEST(EditorFountainParse, AnEditThatLeavesTheEndStateReparsesOnlyItsRow) {
  TEditorScreenStrings store;
  TEditorFountain fountain;
  fountain.SetUrl(true);
  fountain.Brackets().Add("(*", "*)");
  fountain.Attach(&store);
  std::string text;
  for (int i = 0; i < 100; ++i) text += "line https://x.jp\r\n";
  store.SetText(text);
  store.Put(50, "changed");
  EXPECT_EQ(store.UpdateInfo().ReparseStart, 50);
  EXPECT_EQ(store.UpdateInfo().ReparsedRows, 1);
  // An edit re-cuts the line after a line it ends too: those two rows.
  store.UpdateRows(50, 1, "line\r\n");
  EXPECT_EQ(store.UpdateInfo().NewRowCount, 2);
  EXPECT_EQ(store.UpdateInfo().ReparsedRows, 2);
  // A bracket left open colours every row below it.
  store.UpdateRows(50, 1, "open (* here\r\n");
  EXPECT_EQ(store.UpdateInfo().ReparsedRows, 50);
  std::vector<TFountainToken> tokens;
  fountain.RowTokens(99, store.Get(99), tokens);
  EXPECT_EQ(tokens, (std::vector<TFountainToken>{{0, 17, TFountainStyle::Bracket, false, 0}}));
}

TEST(EditorFountainParse, RowsBelowTwiceTheScreenWaitUntilTheyArePainted) {
  TEditorScreenStrings store;
  TFakeClient view(store);
  view.Top = 10;
  view.Screen = 5;
  TEditorFountain fountain;
  fountain.Brackets().Add("(*", "*)");
  fountain.Attach(&store);
  std::string text;
  for (int i = 0; i < 100; ++i) text += "row\r\n";
  store.SetText(text);
  EXPECT_EQ(store.ParsedEnd(), 21);  // rows 0..20 parsed: 10 + 2 × 5
  store.UpdateRows(3, 1, "(*\r\n");
  EXPECT_EQ(store.ParsedEnd(), 21);
  EXPECT_EQ(store.Token(21), -2);
  std::vector<TFountainToken> tokens;
  fountain.RowTokens(80, store.Get(80), tokens);  // painted: parsed on the spot
  EXPECT_EQ(tokens, (std::vector<TFountainToken>{{0, 3, TFountainStyle::Bracket, false, 0}}));
  EXPECT_EQ(store.ParsedEnd(), 81);
}

// Random edits of every kind against a full parse of the same rows by a
// fresh scanner. QUILLET_FOUNTAIN_PROPERTY_RUNS sets the number of
// sequences (default 40).
class TParseSequence {
public:
  explicit TParseSequence(unsigned seed) : m_random(seed), m_view(m_store) {
    m_view.Focus = true;
    m_view.Screen = Pick(3) == 0 ? 0 : Between(2, 8);
    m_store.WrapOption().SetWrapByte(Between(20, 30));
    m_store.SetWordWrap(Pick(2) == 0);
    m_fountain.SetUrl(true);
    m_fountain.SetMail(true);
    m_fountain.SetCommenter("//");
    m_fountain.SetQuotation(Pick(2) ? "\"" : Cp("”"));
    m_fountain.SetControlCode(true);
    m_fountain.SetHexPrefix("0x");
    m_fountain.Brackets().Add("(*", "*)");
    m_fountain.Brackets().Add(Cp("「"), Cp("」"));
    m_fountain.ReserveWordList().SetText("diary\nx@y.jp\n");
    m_fountain.Attach(&m_store);
    m_store.SetText(RandomText(Between(0, 30)));
  }

  void Run(int steps) {
    for (int step = 0; step < steps && !::testing::Test::HasFailure(); ++step) {
      Step();
      Check(step % 4 == 3);
    }
  }

private:
  unsigned Pick(unsigned n) { return static_cast<unsigned>(m_random() % n); }
  int Between(int low, int high) { return low + static_cast<int>(Pick(static_cast<unsigned>(high - low + 1))); }

  std::string RandomText(int pieces) {
    static const std::vector<std::string> parts = {
        "(*", "*)", Cp("「"), Cp("」"), "\"", Cp("”"), "//", "@", ".", "http://", "www.", "#", "$", "#$1f",
        "12", "0x1F", " ", "\t", Cp("日記"), Cp("。"), "diary", "x@y.jp", "me@", "a.b", "\r\n", "\r\n", "\n",
        "\x82", "\x82\t", std::string(1, '\0'), "https://" + std::string(300, 'u'), std::string(280, 'm') + "@q.jp"};
    std::string text;
    for (int i = 0; i < pieces; ++i) text += parts[Pick(static_cast<unsigned>(parts.size()))];
    return text;
  }

  void Step() {
    const int rows = m_store.Count();
    switch (Pick(10)) {
      case 0: case 1: case 2: case 3: {  // replace, insert, delete, join and split lines
        const int index = Between(0, rows);
        const int count = index == rows ? 0 : Between(0, std::min(3, rows - index));
        m_store.UpdateRows(index, count, RandomText(Between(0, 4)));
        break;
      }
      case 4:
        if (Pick(2)) m_store.UndoObj().Undo();
        else m_store.UndoObj().Redo();
        break;
      case 5:
        if (Pick(2)) m_store.SetWordWrap(!m_store.WordWrap());
        else m_store.WrapOption().SetWrapByte(Between(20, 30));
        break;
      case 6:
        m_view.Top = Between(0, std::max(rows, 1));
        break;
      case 7: {  // painting parses what is shown
        for (int row = m_view.Top; row < std::min(rows, m_view.Top + std::max(m_view.Screen, 1)); ++row) {
          std::vector<TFountainToken> tokens;
          m_fountain.RowTokens(row, m_store.Get(row), tokens);
        }
        break;
      }
      case 8:
        if (rows > 0 && Pick(2)) m_store.Put(Between(0, rows - 1), RandomText(1).substr(0, 1) == "\r" ? "" : "(*x");
        else if (rows > 1) m_store.Delete(Between(0, rows - 1));
        break;
      default:
        m_store.UpdateRows(Between(0, rows), 0, RandomText(1));
        break;
    }
  }

  void Check(bool paintAll) {
    // Painting every row parses what was left for later.
    std::vector<std::vector<TFountainToken>> painted(static_cast<std::size_t>(paintAll ? m_store.Count() : 0));
    for (std::size_t row = 0; row < painted.size(); ++row)
      m_fountain.RowTokens(static_cast<int>(row), m_store.Get(static_cast<int>(row)), painted[row]);
    TFountainScanner full;
    full.SetRules(Rules());
    TFountainState state;
    std::vector<TFountainToken> expected;
    for (int row = 0; row < m_store.Count(); ++row) {
      const int token = m_store.Token(row);
      if (row >= m_store.ParsedEnd()) {
        ASSERT_EQ(token, -2) << "row " << row;
      }
      if (m_view.Screen == 0 || paintAll) {
        ASSERT_NE(token, -2) << "row " << row;
      }
      if (token != -2) {
        ASSERT_EQ(m_store.RowAttributeData(row), ToRowData(state, m_store, row)) << "row " << row;
      }
      expected.clear();
      state = full.ScanRow(&m_store, row, m_store.Get(row), state, &expected);
      if (paintAll) {
        ASSERT_EQ(painted[static_cast<std::size_t>(row)], expected) << "row " << row;
      }
    }
  }

  TFountainRules Rules() const {
    TFountainRules rules;
    rules.Url = rules.Mail = rules.ControlCode = true;
    rules.Commenter = m_fountain.Commenter();
    rules.Quotation = m_fountain.Quotation();
    rules.HexPrefix = m_fountain.HexPrefix();
    rules.Brackets = {{"(*", "*)"}, {Cp("「"), Cp("」")}};
    rules.Words = &m_fountain.ReserveWordList();
    return rules;
  }

  std::mt19937 m_random;
  TEditorScreenStrings m_store;
  TFakeClient m_view;
  TEditorFountain m_fountain;
};

TEST(EditorFountainParse, AfterAnyEditsEveryParsedRowEqualsAFullParse) {
  const char* runs = std::getenv("QUILLET_FOUNTAIN_PROPERTY_RUNS");
  const int count = runs ? std::atoi(runs) : 40;
  for (int run = 0; run < count && !::testing::Test::HasFailure(); ++run) {
    SCOPED_TRACE("sequence " + std::to_string(run));
    TParseSequence(static_cast<unsigned>(run) * 7919u + 1u).Run(80);
  }
}

}  // namespace
}  // namespace quillet
