// Tests of TGrep: which scan a pattern gets, line records and numbering,
// the line head and tail, double-byte characters never matched from their
// second byte, cancel; every scan against the backtracking reference on
// generated files; and GNU grep on real Japanese text (the Japanese manual
// pages in tests/data/search, converted to code page 932 with CR LF by
// glibc's iconv; GNU grep reads the UTF-8 text).
#include "core/search/Grep.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "../app/TempFolder.h"
#include "ReferenceMatcher.h"

namespace quillet {
namespace {

using test::Cp932;
using TLines = std::vector<std::pair<std::size_t, std::string>>;

TLines GrepFile(TGrep& grep, const std::string& path) {
  TLines lines;
  grep.OnMatch = [&](TGrep& sender, const TGrepLine& line) {
    EXPECT_EQ(&sender, &grep);
    lines.emplace_back(line.LineNumber, std::string(line.Text));
  };
  grep.Grep(path);
  return lines;
}

TLines GrepText(const std::string& pattern, const std::string& text) {
  test::TTempFolder folder;
  test::WriteRaw(folder / "f.txt", text);
  TGrep grep;
  grep.SetRegExp(pattern);
  return GrepFile(grep, folder / "f.txt");
}

TLines ReferenceGrep(const std::string& pattern, const std::string& text) {
  test::TReferenceMatcher reference(pattern, test::TReferenceMatcher::TMode::Grep);
  TLines lines;
  const auto all = test::SplitLines(text);
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (reference.LineMatches(all[i])) lines.emplace_back(i + 1, all[i]);
  }
  return lines;
}

std::string BlowUpPattern() {
  std::string pattern = "(a|b)*a";
  for (int i = 0; i < 14; ++i) pattern += "(a|b)";
  return pattern;
}

struct TScanRow {
  const char* name;
  std::string pattern;
  TGrep::TScan scan;
};

// Each scan once; the rows of RequiredLiteral below all take the table scan.
class ScanChoice : public ::testing::TestWithParam<TScanRow> {};

TEST_P(ScanChoice, FollowsThePattern) {
  TGrep grep;
  grep.SetRegExp(GetParam().pattern);
  EXPECT_EQ(grep.ScanKind(), GetParam().scan);
}

INSTANTIATE_TEST_SUITE_P(Table, ScanChoice,
                         ::testing::Values(TScanRow{"Literal", "abc", TGrep::TScan::Literal},
                                           TScanRow{"SameAlternatives", "ab|ab", TGrep::TScan::Literal},
                                           TScanRow{"LineTailLiteral", "abc$", TGrep::TScan::ByteTable},
                                           TScanRow{"LoneLeadByte", "\\x93", TGrep::TScan::ByteTable},
                                           TScanRow{"InnerLineFeed", "a\\nb", TGrep::TScan::ByteTable},
                                           TScanRow{"EmptyPattern", "", TGrep::TScan::EveryLine},
                                           TScanRow{"LineHeadAlone", "^", TGrep::TScan::EveryLine},
                                           TScanRow{"PastTheStateCap", BlowUpPattern(), TGrep::TScan::CharacterWalk}),
                         [](const auto& row) { return std::string(row.param.name); });

struct TRequiredRow {
  const char* name;
  std::string pattern;
  std::string literal;
};

class RequiredLiteral : public ::testing::TestWithParam<TRequiredRow> {};

TEST_P(RequiredLiteral, IsWhatEveryMatchContains) {
  TGrep grep;
  grep.SetRegExp(GetParam().pattern);
  EXPECT_EQ(grep.ScanKind(), TGrep::TScan::ByteTable);
  EXPECT_EQ(grep.ScanLiteral(), GetParam().literal);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RequiredLiteral,
    ::testing::Values(TRequiredRow{"Katakana", "[\x83\x40-\x83\x96]*\x83\x6a\x83\x85\x81\x5b\x83\x58[a-z]*",
                                   "\x83\x6a\x83\x85\x81\x5b\x83\x58"},
                      TRequiredRow{"CommonPrefixOfAlternatives", "a(bc|bd)e", "ab"},
                      // Former bug: a literal refused for the literal scan (it
                      // holds the line feed of $) left its first bytes behind.
                      TRequiredRow{"RefusedLiteralLeavesNothing", "a$", ""},
                      TRequiredRow{"CommonSuffixOfAlternatives", "(xyz|wyz)+q", "yz"},
                      TRequiredRow{"LineHeadBreaksTheLiteral", "^abc", "abc"},
                      TRequiredRow{"NothingRequired", "ab|cd", ""},
                      TRequiredRow{"OptionalPartBreaks", "abc?d", "ab"},
                      TRequiredRow{"SingleByteIsNotWorthIt", "a[bc]", ""},
                      TRequiredRow{"LineFeedIsNeverPartOfIt", "ab\\ncd", "ab"},
                      // で (hiragana) is in nearly every line of Japanese text.
                      TRequiredRow{"KanjiBeforeHiragana", "(a|b)\x82\xC5[0-9]+\x8E\x9E", "\x8E\x9E"}),
    [](const auto& row) { return std::string(row.param.name); });

// Without one required literal, one of a few may be: each is searched for.
TEST(RequiredLiterals, OneOfAFew) {
  const std::string tokyo = "\x93\x8C\x8B\x9E", osaka = "\x91\xE5\x8D\xE3";  // 東京, 大阪
  const std::pair<std::string, std::vector<std::string>> rows[] = {
      {tokyo + "|" + osaka + "|" + tokyo, {tokyo, osaka}},
      {"(" + tokyo + "|" + osaka + ")\x82\xC9", {tokyo, osaka}},  // に is common
      {tokyo + "|c", {}},                                         // one byte would stop at every line
  };
  for (const auto& [pattern, literals] : rows) {
    TGrep grep;
    grep.SetRegExp(pattern);
    EXPECT_EQ(grep.ScanLiterals(), literals) << pattern;
  }
}

struct TGrepRow {
  const char* name;
  std::string pattern;
  std::string text;
  TLines expected;
};

class GrepTable : public ::testing::TestWithParam<TGrepRow> {};

TEST_P(GrepTable, ReportsTheseLines) {
  EXPECT_EQ(GrepText(GetParam().pattern, GetParam().text), GetParam().expected);
}

const std::string kA = "\x83\x41";   // ア
const std::string kSo = "\x83\x5C";  // ソ

// Line heads and tails, empty lines, line ends and characters never matched
// from their second byte are checked against the reference below, on
// generated patterns and files; these rows are what its pieces leave out.
INSTANTIATE_TEST_SUITE_P(
    Table, GrepTable,
    ::testing::Values(
        TGrepRow{"LiteralDoubleByteAfterLeadRun",
                 "\x82\xA0",  // あ after bytes that are all in the lead range
                 "\x88\x9F\x82\xA0\r\n\x88\x82\xA0\r\n",
                 {{1, "\x88\x9F\x82\xA0"}}},
        TGrepRow{"CarriageReturnNeverMatches", "a\\rb", "a\rb\r\n", {}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Grep, NumbersLinesAcrossBlocks) {
  std::string text;
  TLines expected;
  for (std::size_t line = 1; line <= 30000; ++line) {
    const bool hit = line % 997 == 0;
    const std::string body = (hit ? "hit " : "line ") + std::to_string(line) + std::string(line % 13, '.');
    text += body + "\r\n";
    if (hit) expected.emplace_back(line, body);
  }
  EXPECT_EQ(GrepText("hit", text), expected);
  EXPECT_EQ(GrepText("h[i]t", text), expected);
  EXPECT_EQ(GrepText(BlowUpPattern() + "|hit", text), expected);
}

TEST(Grep, CancelStopsBeforeTheNextLine) {
  test::TTempFolder folder;
  test::WriteRaw(folder / "f.txt", "a1\r\na2\r\na3\r\n");
  TGrep grep;
  grep.SetRegExp("a");
  int reported = 0;
  grep.OnMatch = [&](TGrep& sender, const TGrepLine&) {
    ++reported;
    sender.Cancel = true;
  };
  EXPECT_THROW(grep.Grep(folder / "f.txt"), EGrepCancel);
  EXPECT_EQ(reported, 1);
}

// --- against the reference ---------------------------------------------------

const std::vector<std::string> kPieces = {"a", "b", "A", "\\", "^", "$", kA, kSo, "\x93\xFA", "\x93",
                                          "\x88\x9F", "\r\n", "\n", "\r"};
const std::vector<std::string> kAtoms = {"a", "b", "A", "\\\\", kA, kSo, "\x93\xFA", ".", "[ab]", "[^a]",
                                         "[A-Z]", "[\x83\x40-\x83\x96]", "\\n", "\\x93", "^", "$", "\\x9F"};

TEST(AgainstReference, GrepLinesAgreeOnGeneratedPatternsAndFiles) {
  std::mt19937 random(1206);
  test::TTempFolder folder;
  const std::string path = folder / "f.txt";
  int scans[4] = {};
  int literalSets = 0;
  std::size_t reported = 0;
  std::size_t lines = 0;
  for (int p = 0; p < 400; ++p) {
    // Every fourth pattern requires one of two literals (scanned for as a set).
    const std::string pattern = (p % 4 == 0 ? "(" + kA + "|\x93\xFA)" : "") + test::RandomPattern(random, kAtoms);
    TGrep grep;
    grep.SetRegExp(pattern);
    ++scans[static_cast<int>(grep.ScanKind())];
    literalSets += grep.ScanLiterals().size() > 1 ? 1 : 0;
    for (int t = 0; t < 6; ++t) {
      std::string text;
      const std::size_t pieces = random() % 60;
      for (std::size_t i = 0; i < pieces; ++i) text += kPieces[random() % kPieces.size()];
      test::WriteRaw(path, text);
      const TLines expected = ReferenceGrep(pattern, text);
      ASSERT_EQ(GrepFile(grep, path), expected) << "pattern '" << pattern << "' text '" << text << "'";
      reported += expected.size();
      lines += test::SplitLines(text).size();
    }
  }
  EXPECT_GT(scans[static_cast<int>(TGrep::TScan::Literal)], 20);
  EXPECT_GT(scans[static_cast<int>(TGrep::TScan::ByteTable)], 100);
  EXPECT_GT(scans[static_cast<int>(TGrep::TScan::EveryLine)], 20);
  EXPECT_GT(literalSets, 10);
  EXPECT_GT(reported, lines / 10);
  EXPECT_LT(reported, lines - lines / 10);
}

// Former bug: the flush copied the set of the state being built from the
// cache it had just emptied (found by AddressSanitizer on this test).
TEST(AgainstReference, CharacterWalkPastTheStateCap) {
  std::mt19937 random(5);
  const std::string pattern = BlowUpPattern();
  TGrep grep;
  grep.SetRegExp(pattern);
  ASSERT_EQ(grep.ScanKind(), TGrep::TScan::CharacterWalk);
  std::string text;
  for (int line = 0; line < 300; ++line) {
    const std::size_t length = random() % 40;
    for (std::size_t i = 0; i < length; ++i) text += "ab"[random() % 3 == 0 ? 0 : 1];
    text += "\r\n";
  }
  test::TTempFolder folder;
  test::WriteRaw(folder / "f.txt", text);
  const TLines expected = ReferenceGrep(pattern, text);
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(GrepFile(grep, folder / "f.txt"), expected);
}

// Former fault: the automaton's cache was sized by its leaves (one per
// distinct character), so 1,200 kanji words walked character by character
// and flushed at nearly every line. Lines also hold words behind a lead byte
// (a match there would start on a trail byte) and words cut after a lead.
TEST(AgainstReference, LongAlternationOfWords) {
  std::mt19937 random(31);
  std::string pattern;
  std::string text;
  for (int w = 0; w < 1200; ++w) {
    std::string word;
    for (std::size_t k = 2 + random() % 2; k > 0; --k) {
      word += {static_cast<char>(0x89 + random() % 15), static_cast<char>(0x80 + random() % 0x7D)};
    }
    pattern += (w ? "|" : "") + word;
    if (w % 100 == 0) {
      text += "a" + word + "\r\n\x93" + word + "\r\n" + word.substr(1) + "\r\n" + word.substr(0, 3) + "\r\n";
    }
  }
  TGrep grep;
  grep.SetRegExp(pattern);
  EXPECT_EQ(grep.ScanKind(), TGrep::TScan::ByteTable);
  const TLines expected = ReferenceGrep(pattern, text);
  EXPECT_GE(expected.size(), 12u);
  EXPECT_EQ(GrepText(pattern, text), expected);
}

// --- against GNU grep ------------------------------------------------------------

struct TGnuRow {
  const char* name;
  const char* pattern;  // UTF-8; the same meaning in both engines
  bool perl;            // GNU grep -P: its C.UTF-8 -E refuses non-ASCII ranges
};

// Ranges of kanji are left out: a range runs in code order, and code page
// 932 orders kanji by reading (JIS) where Unicode orders them by radical, so
// [一-龥] names different sets in the two engines. Hiragana and katakana keep
// one order in both.
class AgainstGnuGrep : public ::testing::TestWithParam<TGnuRow> {
protected:
  static void SetUpTestSuite() {
    s_folder = new test::TTempFolder;
    const std::string source = std::string(QUILLET_TEST_DATA) + "/search/manpages-ja-sample.txt";
    s_utf8 = source;
    s_cp932 = *s_folder / "sample-cp932.txt";
    const auto converted = test::Iconv("CP932", "UTF-8", test::ReadRaw(source));
    s_ready = converted && !converted->empty();
    std::string crlf;
    for (const char c : converted.value_or("")) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    test::WriteRaw(s_cp932, crlf);
  }
  static void TearDownTestSuite() {
    delete s_folder;
    s_folder = nullptr;
  }
  static test::TTempFolder* s_folder;
  static std::string s_utf8;
  static std::string s_cp932;
  static bool s_ready;
};

test::TTempFolder* AgainstGnuGrep::s_folder = nullptr;
std::string AgainstGnuGrep::s_utf8;
std::string AgainstGnuGrep::s_cp932;
bool AgainstGnuGrep::s_ready = false;

TEST_P(AgainstGnuGrep, SameLineNumbers) {
  ASSERT_TRUE(s_ready) << "iconv could not convert the sample";
  const TGnuRow& row = GetParam();
  std::string gnu;
  const std::string command = std::string("LC_ALL=C.UTF-8 grep -n ") + (row.perl ? "-P" : "-E") + " -e '" +
                              row.pattern + "' '" + s_utf8 + "' | cut -d: -f1";
  test::RunCommand(command, gnu);
  std::vector<std::size_t> expected;
  std::istringstream numbers(gnu);
  for (std::size_t n; numbers >> n;) expected.push_back(n);
  ASSERT_FALSE(expected.empty()) << "GNU grep found nothing for " << row.pattern << "; the row tests nothing";

  TGrep grep;
  grep.SetRegExp(Cp932(row.pattern));
  std::vector<std::size_t> ours;
  grep.OnMatch = [&](TGrep&, const TGrepLine& line) { ours.push_back(line.LineNumber); };
  grep.Grep(s_cp932);
  EXPECT_EQ(ours, expected) << row.pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AgainstGnuGrep,
    ::testing::Values(TGnuRow{"Literal", "ファイル", false}, TGnuRow{"LongLiteral", "ディレクトリ", false},
                      TGnuRow{"LineHeadAndEscape", "^\\.SH", false}, TGnuRow{"LineTail", "ます。$", false},
                      TGnuRow{"EmptyLines", "^$", false},
                      TGnuRow{"Alternation", "(ファイル|ディレクトリ)を", false},
                      TGnuRow{"AlternationInside", "表示(する|しない)", false},
                      TGnuRow{"DotStar", "オプション.*指定", false}, TGnuRow{"Question", "ファイル名?を", false},
                      TGnuRow{"AsciiClassPlus", "--[a-z]+-[a-z]+", false},
                      TGnuRow{"NegatedAsciiClass", "^[^ -~]+$", false},
                      TGnuRow{"ClassOfKanji", "[作者]", false}, TGnuRow{"LongVowelPlus", "ー+ド", false},
                      TGnuRow{"EveryLine", ".*", false}, TGnuRow{"AnyTwoBetween", "ロ..ル", false},
                      TGnuRow{"ConcatenatedAlternations", "(日|時)(付|刻)", false},
                      TGnuRow{"DigitsThenKanji", "[0-9]+ 個", false},
                      TGnuRow{"HiraganaRange", "[ぁ-ん]+する", true},
                      TGnuRow{"KatakanaRangeStar", "^[ァ-ヶー]*$", true},
                      TGnuRow{"KatakanaRangeThree", "[ア-ン][ア-ン][ア-ン]", true},
                      // Former bug: the range spans the line feed, which the
                      // grep took for a member, and every line matched.
                      TGnuRow{"ClassRangeOverLineFeed", "[\\t- ]", true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DifferenceFromByteGrep, NoBackslashInsideSo) {
  // GNU grep in the C locale reads code page 932 bytes one by one and finds
  // the backslash that is the second byte of ソ; we never match from inside
  // a character. Kept on purpose.
  test::TTempFolder folder;
  test::WriteRaw(folder / "so.txt", kSo + "\r\n");
  std::string count;
  test::RunCommand("LC_ALL=C grep -c '\\\\' '" + folder / "so.txt" + "'", count);
  EXPECT_EQ(count, "1\n");
  EXPECT_TRUE(GrepText("\\\\", kSo + "\r\n").empty());
}

}  // namespace
}  // namespace quillet
