// The highlighter's token procedures, line by line: tables of lines with the
// tokens they must give (addresses beside Japanese text and full-width
// punctuation, comments, quotes, control codes, hexadecimal numbers,
// brackets across lines, reserved words in any ASCII case), the same tokens
// whatever the wrap column, an address joined over the rows wrapping cut it
// into, and the address extents of a generated corpus against GNU grep.
#include "core/editor/FountainParser.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "EditorTestSupport.h"
#include "core/app/TempFolder.h"

namespace quillet {
namespace {

using test::Cp;

struct TLineToken {
  int First;  // bytes of the logical line
  int Second;
  TFountainToken Token;
};

// The tokens of every logical line: a token cut by wrapping is joined again.
std::vector<std::vector<TLineToken>> LineTokens(TEditorFountain& fountain, TEditorScreenStrings& store) {
  std::vector<std::vector<TLineToken>> lines(1);
  int offset = 0;
  for (int row = 0; row < store.Count(); ++row) {
    std::vector<TFountainToken> tokens;
    fountain.RowTokens(row, store.Get(row), tokens);
    auto& line = lines.back();
    for (const TFountainToken& token : tokens) {
      const bool joins = token.First == 0 && !line.empty() && line.back().Second == offset &&
                         line.back().Token.Style == token.Style && row > 0 &&
                         store.RowAttribute(row - 1) == raWrapped;
      if (joins) line.back().Second = offset + token.Second;
      else line.push_back({offset + token.First, offset + token.Second, token});
    }
    offset += static_cast<int>(store.Get(row).size());
    if (store.RowAttribute(row) != raWrapped) {
      lines.emplace_back();
      offset = 0;
    }
  }
  if (lines.back().empty() && lines.size() > 1) lines.pop_back();
  return lines;
}

// "U[...]" per address, comment, string, number, code and bracket, and
// "R" + class for a reserved word; lines joined by '|'.
std::string Dump(TEditorFountain& fountain, TEditorScreenStrings& store) {
  std::string out;
  const auto lines = LineTokens(fountain, store);
  std::vector<std::string> texts;
  for (int line = 0; line < store.LinesCount(); ++line) {
    std::string text;
    for (int row = store.RowOfLineIndex(line); row < store.Count(); ++row) {
      text += store.Get(row);
      if (store.RowAttribute(row) != raWrapped) break;
    }
    texts.push_back(text);
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += '|';
    std::string row;
    for (const TLineToken& t : lines[i]) {
      std::string code;
      switch (static_cast<int>(t.Token.Style)) {
        case 21: code = "U"; break;
        case 22: code = "M"; break;
        case 7: code = "C"; break;
        case 26: code = "S"; break;
        case 27: case 28: code = "K"; break;
        case 4: code = "H"; break;
        case 3: code = "N"; break;
        case 23: code = "F"; break;
        case 6: code = "B" + std::to_string(t.Token.Bracket); break;
        case 11: code = "A"; break;
        case 1: code = "Y"; break;
        default: code = "D"; break;
      }
      if (t.Token.Reserved) code = "R" + code;
      else if (code == "A" || code == "Y" || code == "D") continue;
      if (!row.empty()) row += ' ';
      row += code + "[" + texts[i].substr(static_cast<std::size_t>(t.First), static_cast<std::size_t>(t.Second - t.First)) + "]";
    }
    out += row;
  }
  return out;
}

// Every rule on: "＃" comments, '"' quotes, control codes, "0x" numbers,
// two bracket items and three reserved words.
void SetAllRules(TEditorFountain& fountain) {
  fountain.SetUrl(true);
  fountain.SetMail(true);
  fountain.SetCommenter(Cp("＃"));
  fountain.SetQuotation("\"");
  fountain.SetControlCode(true);
  fountain.SetHexPrefix("0x");
  fountain.Brackets().Add("(*", "*)");
  fountain.Brackets().Add(Cp("「"), Cp("」"));
  fountain.ReserveWordList().SetText(Cp("Diary\r\n日記\r\ntodo\r\n"));
}

struct TCase {
  const char* text;  // UTF-8, lines end in CR LF
  const char* tokens;
};

void CheckCases(const std::vector<TCase>& cases) {
  for (const TCase& c : cases) {
    for (const int wrap : {0, 20}) {
      TEditorScreenStrings store;
      TEditorFountain fountain;
      SetAllRules(fountain);
      if (wrap > 0) {
        store.WrapOption().SetWrapByte(wrap);
        store.SetWordWrap(true);
      }
      fountain.Attach(&store);
      store.SetText(Cp(c.text));
      EXPECT_EQ(Dump(fountain, store), Cp(c.tokens)) << c.text << " wrapped at " << wrap;
    }
  }
}

TEST(FountainParser, AddressesAndTokensInALine) {
  CheckCases({
      {"メモ：https://example.jp/a?b=1、次", "U[https://example.jp/a?b=1]"},
      {"（https://x.jp）と（www.x.jp）、ftp:host。", "U[https://x.jp] U[www.x.jp] U[ftp:host]"},
      {"Http://x.jp wwwx.jp", ""},  // case counts; only the four prefixes
      {"連絡は a@b.c まで、山田x_y@mail.example.jpです", "M[a@b.c] M[x_y@mail.example.jp]"},
      {"a@b と @b.c と x.y@b", ""},
      {"www.a@b.jp", "M[www.a@b.jp]"},       // the mail address is tried first
      {"http://u@h.jp", "U[http://u]"},      // ':' ends the mail run before its at sign
      {"ァ@b.c", ""},                        // the trail byte of ァ is "@" but no at sign
      {"\t\x01 https://x", "U[https://x]"},
      {"＃ 今日は https://x.jp", "C[＃ 今日は https://x.jp]"},
      {"見て＃メモ", "C[＃メモ]"},
      {"\"a\"\"b\" c \"d", "S[\"a\"\"b\"] S[\"d]"},
      {"#123 #$1F #$ # #x", "K[#123] K[#$1F]"},
      {"0x1F 0XAb 0xZ", "H[0x1F] H[0XAb] N[0]"},
      {"3.14 42 1. ４２", "F[3.14] N[42] N[1]"},
      {"a(*b*)c「引用」です。「再び」", "B0[(*b*)] B1[「引用」] B1[「再び」]"},
      {"my diary DIARY diaryx 日記を書く 日記帳", "RA[diary] RA[DIARY] RD[日記]"},
      {"ToDo: ＴＯＤＯ", "RA[ToDo]"},  // ASCII case only
  });
}

TEST(FountainParser, RegionsGoOnOverLineEndsAndOthersStop) {
  CheckCases({
      {"a(*b\r\nc*)d\r\ne", "B0[(*b]|B0[c*)]|"},
      {"「一\r\n二\r\n三」四「", "B1[「一]|B1[二]|B1[三」] B1[「]"},
      {"\"ab\r\ncd\"", "S[\"ab]|S[\"]"},
      {"＃x\r\ny", "C[＃x]|"},
      {"https://a.jp\r\nb.jp", "U[https://a.jp]|"},
  });
}

TEST(FountainParser, LongTokensAreWholeOverManyWrappedRows) {
  // Longer than the window a row reads past its end: the rest goes on by
  // the character class.
  const std::string url = "https://example.jp/" + test::A(600, 'q');
  const std::string comment = "＃" + test::A(700, 'c');
  CheckCases({
      {("見て " + url + " 。").c_str(), ("U[" + url + "]").c_str()},
      {comment.c_str(), ("C[" + comment + "]").c_str()},
      {("\"" + test::A(400, 's') + "\"\"" + test::A(30) + "\"x").c_str(),
       ("S[\"" + test::A(400, 's') + "\"\"" + test::A(30) + "\"]").c_str()},
  });
}

TEST(FountainParser, AnAddressCutByWrappingOpensWhole) {
  TEditorScreenStrings store;
  store.WrapOption().SetWrapByte(20);
  store.SetWordWrap(true);
  TEditorFountain fountain;
  fountain.SetUrl(true);
  fountain.SetMail(true);
  fountain.Attach(&store);
  const std::string url = "https://example.jp/path/to/a/page?x=1";
  store.SetText(Cp("日記：" + url + " と me@example.jp"));
  ASSERT_GE(store.Count(), 3);
  const std::optional<TFountainLink> link = LinkAt(fountain, 1, store.Get(1), 3);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->Text, url);
  EXPECT_EQ(link->Row, 0);
  EXPECT_FALSE(link->Mail);
  int row = 0;
  while (row < store.Count() && store.Get(row).find('@') == std::string_view::npos) ++row;
  ASSERT_LT(row, store.Count());
  const auto at = static_cast<int>(store.Get(row).find('@'));
  const std::optional<TFountainLink> mail = LinkAt(fountain, row, store.Get(row), at);
  ASSERT_TRUE(mail);
  EXPECT_EQ(mail->Text, "me@example.jp");
  EXPECT_TRUE(mail->Mail);
}

TEST(FountainParser, BadBytesNeverReadOutOfTheRow) {
  TEditorFountain fountain;
  SetAllRules(fountain);
  const std::string rows[] = {std::string("\x81"), std::string("a\x81", 2), std::string("\0\0@\0.", 5),
                              std::string("\xFF\xFD\x80\xA0#$"), std::string("0x"), std::string("\"\x81")};
  for (const std::string& row : rows) {
    std::vector<TFountainToken> tokens;
    fountain.RowTokens(0, row, tokens);
    for (const TFountainToken& t : tokens) {
      EXPECT_LE(0, t.First);
      EXPECT_LT(t.First, t.Second);
      EXPECT_LE(t.Second, static_cast<int>(row.size()));
    }
  }
}

TEST(FountainBrackets, AFifteenthItemIsRefused) {
  TFountainBracketCollection brackets;
  for (int i = 0; i < 14; ++i) brackets.Add("<", ">");
  try {
    brackets.Add();
    FAIL() << "a 15th item was taken";
  } catch (const EFountainBracketCollection& error) {
    EXPECT_STREQ(error.what(), "TFountainBracketCollection\r\nYou can not add item over 14");
  }
  EXPECT_EQ(brackets.Count(), 14);
}

TEST(ReserveWords, CaseIsFoldedForSingleByteLettersOnly) {
  TReserveWordList words;
  words.SetText(Cp("abc\nャ\rＡＢＣ\r\n\r\n") + std::string("x\0y\n", 4) + std::string(300, 'L'));
  EXPECT_TRUE(words.Contains("ABC"));
  EXPECT_TRUE(words.Contains("aBc"));
  EXPECT_FALSE(words.Contains(Cp("ア")));    // 0x83 0x41 against 0x83 0x61
  EXPECT_TRUE(words.Contains(Cp("ャ")));
  EXPECT_FALSE(words.Contains(Cp("ａｂｃ")));  // full-width letters keep their case
  EXPECT_TRUE(words.Contains("x"));          // cut at the NUL
  EXPECT_TRUE(words.Contains(std::string(255, 'l')));  // cut at 255 bytes
  EXPECT_EQ(words.Count(), 5);
}

TEST(ReserveWords, TheWordFileIsOptionalAndAnUnreadableOneLeavesTheListEmpty) {
  test::TTempFolder folder;
  TReserveWordList words;
  words.Add("old");
  EXPECT_TRUE(words.LoadFromFile(folder / "Reserve.txt"));
  EXPECT_TRUE(words.Empty());
  test::WriteRaw(folder / "Reserve.txt", Cp("Quillet\r\n日記\r\n"));
  EXPECT_TRUE(words.LoadFromFile(folder / "Reserve.txt"));
  EXPECT_TRUE(words.Contains("quillet"));
  EXPECT_FALSE(words.LoadFromFile(folder.Path()));  // a folder
  // A huge file of line ends and bytes: only its first kReserveFileMax bytes.
  std::string huge(kReserveFileMax + 4096, '\n');
  for (std::size_t i = 0; i < huge.size(); i += 2) huge[i] = i % 4 ? '\x81' : '\xFF';
  test::WriteRaw(folder / "huge.txt", huge);
  EXPECT_TRUE(words.LoadFromFile(folder / "huge.txt"));
  EXPECT_EQ(static_cast<std::size_t>(words.Count()), kReserveFileMax / 2);
  ::chmod((folder / "Reserve.txt").c_str(), 0);
  EXPECT_TRUE(test::AsOrdinaryUser(folder.Path(), [&] {
    TReserveWordList mine;
    return !mine.LoadFromFile(folder / "Reserve.txt") && mine.Empty();
  }));
}

// Address extents against GNU grep over random lines: the addresses stand
// after an ASCII separator, since grep, reading bytes, would also start one
// inside the trail byte of a character before it.
TEST(FountainParser, AddressExtentsAgreeWithGnuGrep) {
  std::mt19937 random(20240607);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const std::string japanese[] = {Cp("今日は"), Cp("雨。"), Cp("「メモ」"), Cp("ソース"), Cp("表示")};
  const std::string web = "abcxyz0123-._~/?=&%#+:";
  const std::string mail = "abcxyz0123-._!$%&*,/;=?^~";
  const std::string separators[] = {" ", "(", ")", "<", ">", "\""};
  std::string corpus;
  for (int line = 0; line < 300; ++line) {
    for (int part = pick(6); part >= 0; --part) {
      corpus += japanese[pick(5)];
      corpus += separators[pick(6)];
      const int kind = pick(3);
      if (kind == 0) {
        const char* prefixes[] = {"http:", "https://", "ftp:", "www."};
        corpus += prefixes[pick(4)];
        for (int n = pick(70); n > 0; --n) corpus += web[static_cast<std::size_t>(pick(static_cast<int>(web.size())))];
      } else if (kind == 1) {
        corpus += "me";
        for (int n = pick(12); n > 0; --n) corpus += mail[static_cast<std::size_t>(pick(static_cast<int>(mail.size())))];
        corpus += "@ex";
        for (int n = pick(20); n > 0; --n) corpus += mail[static_cast<std::size_t>(pick(static_cast<int>(mail.size())))];
        corpus += ".jp";
      }
      corpus += separators[pick(6)];
    }
    corpus += "\n";
  }
  test::TTempFolder folder;
  test::WriteRaw(folder / "corpus.txt", corpus);
  const std::string webRe = "(https?:|ftp:|www\\.)[-#%&+./0-9:=?A-Z_a-z~]*";
  const std::string mailChars = "[-!$%&*,./0-9;=?A-Z^_a-z~@]";
  const std::string mailRe = "[-!$%&*,./0-9;=?A-Z^_a-z~]" + mailChars + "*@" + mailChars + "*\\." + mailChars + "*";
  std::string grepOut;
  ASSERT_TRUE(test::RunCommand("LC_ALL=C grep -n -o -b -E '" + webRe + "|" + mailRe + "' " + folder / "corpus.txt",
                               grepOut));

  for (const int wrap : {0, 20}) {
    TEditorScreenStrings store;
    if (wrap > 0) {
      store.WrapOption().SetWrapByte(wrap);
      store.SetWordWrap(true);
    }
    TEditorFountain fountain;
    fountain.SetUrl(true);
    fountain.SetMail(true);
    fountain.Attach(&store);
    store.SetText(corpus);
    std::ostringstream ours;
    std::size_t lineStart = 0;
    const auto lines = LineTokens(fountain, store);
    for (std::size_t line = 0; line < lines.size(); ++line) {
      const std::size_t lineEnd = corpus.find('\n', lineStart);
      for (const TLineToken& t : lines[line]) {
        if (t.Token.Style != TFountainStyle::Url && t.Token.Style != TFountainStyle::Mail) continue;
        ours << line + 1 << ':' << lineStart + static_cast<std::size_t>(t.First) << ':'
             << corpus.substr(lineStart + static_cast<std::size_t>(t.First), static_cast<std::size_t>(t.Second - t.First))
             << '\n';
      }
      lineStart = lineEnd + 1;
    }
    EXPECT_EQ(ours.str(), grepOut) << "wrapped at " << wrap;
  }
}

}  // namespace
}  // namespace quillet
