// The diary grep over small diaries saved by the store itself (plain,
// number-key and word-key days): which entries and lines it lists, the
// start checks and pattern splitting, failures that skip a day, cancel
// inside a file and from another thread, and GNU grep -rn over the same
// diary as the reference for the line numbers.
#include "core/search/DiaryGrep.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <future>
#include <map>
#include <sstream>
#include <thread>

#include "TestDiary.h"

namespace quillet {
namespace {

using test::Cp932;
using test::TDiary;

TGrepOptions Options(const std::string& text, int fromYear = 2004, int fromMonth = 12, int toYear = 2005,
                     int toMonth = 3) {
  TGrepOptions options;
  options.PatternText = text;
  options.FromYear = fromYear;
  options.FromMonth = fromMonth;
  options.ToYear = toYear;
  options.ToMonth = toMonth;
  return options;
}

struct TFindRow {
  const char* name;
  TGrepOptions options;
  std::vector<std::string> expected;
};

TGrepOptions With(TGrepOptions options, bool ansi, bool bmReg, bool code = true, bool title = true) {
  options.CaseSensitive = ansi;
  options.RegExp = bmReg;
  options.SearchEncrypted = code;
  options.SearchTitles = title;
  return options;
}

class Finds : public testing::TestWithParam<TFindRow> {};

TEST_P(Finds, TheDesignedItems) {
  TDiary diary;
  diary.Save(2004, 12, 31, "one\r\nABC two\r\nthree", "");
  diary.Save(2005, 1, 1, "x\r\nfoo abc\r\n", "Foo", 1);
  diary.Save(2005, 1, 15, "abc\r\nabc\r\n", "abc day", 2);
  diary.Save(2005, 2, 28, "l1\r\nl2\r\nl3\r\nfoo bar\r\n", "nothing");
  diary.Save(2005, 3, 7, "", "ABC");
  diary.Save(2005, 4, 1, "abc", "abc");  // outside every range below
  EXPECT_EQ(diary.Grep(GetParam().options), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Finds,
    testing::Values(
        // Lowered body lines and titles; both ciphers decrypted; a title hit
        // upgrades the kind of an item with body hits.
        TFindRow{"CaseFolded", Options("abc"), {"2004/12/31 B 2", "2005/1/1 B 2", "2005/1/15 BT 1,2", "2005/3/7 T "}},
        TFindRow{"CaseSensitive", With(Options("abc"), true, false), {"2005/1/1 B 2", "2005/1/15 BT 1,2"}},
        TFindRow{"EncryptedSkippedTitleKept", With(Options("abc"), false, false, false),
                 {"2004/12/31 B 2", "2005/1/15 T ", "2005/3/7 T "}},
        TFindRow{"TitlesOff", With(Options("abc"), false, false, true, false),
                 {"2004/12/31 B 2", "2005/1/1 B 2", "2005/1/15 B 1,2"}},
        TFindRow{"TwoPatternsOneLine", Options("foo bar"), {"2005/1/1 BT 2", "2005/2/28 B 4,4"}},
        TFindRow{"QuotedBlank", Options("\"foo bar\""), {"2005/2/28 B 4"}},
        TFindRow{"RegExpsCaseSensitive", With(Options("foo bar"), false, true), {"2005/1/1 B 2", "2005/2/28 B 4,4"}},
        TFindRow{"RegExpPatternByPattern", With(Options("l3 ^l[12]$"), false, true), {"2005/2/28 B 3,1,2"}},
        TFindRow{"TwoMonthsAcrossTheYear", Options("abc", 2004, 12, 2005, 1),
                 {"2004/12/31 B 2", "2005/1/1 B 2", "2005/1/15 BT 1,2"}},
        TFindRow{"OneMonth", Options("l2", 2005, 2, 2005, 2), {"2005/2/28 B 2"}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(GrepStart, ChecksTextAndPeriod) {
  const std::string enter(kMsgEnterSearchText);
  const std::string period(kMsgBadPeriod);
  struct TRow {
    TGrepOptions options;
    std::string message;
  } rows[] = {
      {Options("\"\"\"\""), enter},          {Options("   "), enter},
      {Options("a", 2005, 3, 2005, 2), period}, {Options("a", 2005, 1, 2004, 12), period},
      {Options("a", 2005, 13, 2006, 1), period}, {Options("a", 0, 1, 2005, 1), period},
      {Options("a", 2004, 12, 2005, 1), ""},   {Options("\"a\"", 2005, 3, 2005, 3), ""},
  };
  for (const auto& row : rows) EXPECT_EQ(ValidateGrepStart(row.options), row.message) << row.options.PatternText;
}

TEST(GrepPatterns, SplitByBlanksOutsideQuotesThenLowered) {
  EXPECT_EQ(SplitGrepPatterns(Cp932("朝 \"日 記\""), false), (std::vector<std::string>{Cp932("朝"), Cp932("日 記")}));
  EXPECT_EQ(SplitGrepPatterns("a\"b c\"d  \"\" e", false), (std::vector<std::string>{"ab cd", "e"}));
  EXPECT_EQ(SplitGrepPatterns(Cp932("ABC Ａｂ ソ"), true), (std::vector<std::string>{"abc", Cp932("ａｂ"), Cp932("ソ")}));
}

TEST(GrepSettings, DefaultsAndPriorityRange) {
  test::TTempFolder folder;
  THIniFile ini(folder / "q.ini", false);
  const TGrepOptions defaults = ReadGrepOptions(ini, 2026, 5);
  EXPECT_EQ(defaults.FromYear * 100 + defaults.FromMonth, 202605);
  EXPECT_EQ(defaults.ToYear * 100 + defaults.ToMonth, 202605);
  EXPECT_TRUE(!defaults.CaseSensitive && !defaults.RegExp && defaults.SearchEncrypted && defaults.SearchTitles);
  for (const auto& [stored, used] : std::vector<std::pair<int, int>>{{0, 0}, {6, 6}, {7, 3}, {-1, 3}}) {
    ini.WriteInteger("Grep", "Priority", stored);
    EXPECT_EQ(ReadGrepOptions(ini, 2026, 5).Priority, used);
  }
}

TEST(DiaryGrepWalk, SaveStylesAndOnlyRealDays) {
  for (const int style : {1, 2}) {
    TDiary diary;
    diary.m_settings.SaveStyle = style;
    const std::string path = diary.Save(2005, 3, 7, "hit", "");
    diary.Save(2005, 2, 28, "hit", "");
    // A stray file on an impossible date is not an entry.
    test::WriteRaw(diary.m_root / "2005/2/" + EntryFileName(diary.m_settings, 2005, 2, 30), "hit");
    TDiaryGrep grep(Options("hit", 2005, 2, 2005, 3), diary.m_settings, diary.Code);
    grep.Run();
    ASSERT_EQ(TDiary::Rows(grep.Items()), (std::vector<std::string>{"2005/2/28 B 1", "2005/3/7 B 1"})) << style;
    EXPECT_EQ(grep.Items()[1].Path, path);
  }
}

// The month folder is listed once; what the listing cannot tell is asked
// of the file: a link is followed, a named pipe is no entry (and must not
// block the open), and a folder that can be entered but not listed is
// searched by name.
TEST(DiaryGrepWalk, LinksPipesAndUnlistableFolders) {
  TDiary diary;
  diary.Save(2005, 1, 1, "abc", "");
  diary.Save(2005, 1, 3, std::string(70000, 'x') + "\r\nabc", "");  // past the first read
  const std::string month = diary.m_root / "2005/1/";
  std::filesystem::create_symlink(month + "1.txt", month + "2.txt");
  ASSERT_EQ(::mkfifo((month + "4.txt").c_str(), 0600), 0);
  const std::vector<std::string> expected{"2005/1/1 B 1", "2005/1/2 B 1", "2005/1/3 B 2"};
  EXPECT_EQ(diary.Grep(Options("abc", 2005, 1, 2005, 1)), expected);
  ASSERT_EQ(::chmod(month.c_str(), 0311), 0);
  EXPECT_TRUE(test::AsOrdinaryUser(diary.m_root.Path(), [&] {
    return diary.Grep(Options("abc", 2005, 1, 2005, 1)) == expected;
  }));
  ::chmod(month.c_str(), 0755);
}

TEST(DiaryGrepWalk, ProgressCountsKilobytesOfEveryFile) {
  TDiary diary;
  diary.Save(2005, 1, 31, std::string(2049, 'x'), "");  // 3 units
  diary.Save(2005, 2, 1, "y", "", 2);                    // 1 unit
  TDiaryGrep grep(Options("z", 2005, 1, 2005, 2), diary.m_settings, diary.Code);
  std::vector<std::int64_t> seen;
  std::vector<std::string> status;
  grep.OnProgressMax = [&](std::int64_t total) { seen.push_back(-total); };
  grep.OnProgress = [&](std::int64_t position) { seen.push_back(position); };
  grep.OnStatus = [&](std::string_view text) { status.emplace_back(text); };
  grep.Run();
  EXPECT_EQ(seen, (std::vector<std::int64_t>{-4, 3, 4}));
  EXPECT_EQ(status, (std::vector<std::string>{std::string(kMsgEstimating), std::string(kMsgSearching)}));
}

TEST(DiaryGrepFailures, SyntaxErrorSkipsTheDayAndIsReported) {
  TDiary diary;
  diary.Save(2005, 1, 1, "a(b", "a(b");
  TSearchOutcome outcome;
  EXPECT_TRUE(diary.Grep(With(Options("a( b"), false, true), &outcome).empty());
  EXPECT_NE(outcome.RegExpError.find("(position"), std::string::npos) << outcome.RegExpError;
  EXPECT_EQ(diary.Grep(With(Options("a\\(b"), false, true), &outcome), (std::vector<std::string>{"2005/1/1 BT 1"}));
  EXPECT_TRUE(outcome.RegExpError.empty());
}

// Former fault: an entry that does not decrypt (a changed key word) hid its
// title hit; now only its body is left out, and it is named in the outcome.
TEST(DiaryGrepFailures, UndecryptableBodyStillHasItsTitle) {
  TDiary diary;
  const std::string path = diary.Save(2005, 1, 15, "abc", "abc", 2);
  diary.Code.Word = "changed";
  TSearchOutcome outcome;
  EXPECT_EQ(diary.Grep(Options("abc"), &outcome), (std::vector<std::string>{"2005/1/15 T "}));
  EXPECT_EQ(outcome.Unreadable, (std::vector<std::string>{path}));
}

TEST(DiaryGrepFailures, UnreadableFileAndSetIniAreSkipped) {
  TDiary diary;
  const std::string hidden = diary.Save(2005, 1, 1, "abc", "abc");
  diary.Save(2005, 1, 2, "abc", "");
  diary.Save(2005, 2, 1, "abc", "");
  ASSERT_EQ(::chmod(hidden.c_str(), 0), 0);
  ASSERT_EQ(::chmod((diary.m_root / "2005/2/Set.ini").c_str(), 0), 0);
  EXPECT_TRUE(test::AsOrdinaryUser(diary.m_root.Path(), [&] {
    TSearchOutcome outcome;
    const auto rows = diary.Grep(Options("abc", 2005, 1, 2005, 2), &outcome);
    const std::vector<std::string> unreadable{hidden, diary.m_root / "2005/2/Set.ini"};
    return rows == std::vector<std::string>{"2005/1/1 T ", "2005/1/2 B 1"} && outcome.Unreadable == unreadable;
  }));
}

TEST(DiaryGrepFailures, StaleTemporaryFileIsRemoved) {
  test::TTempFolder app;
  test::WriteRaw(app / "Grep.~tmp", "decrypted text");
  EXPECT_TRUE(RemoveStaleGrepTemp(app.Path()));
  EXPECT_TRUE(RemoveStaleGrepTemp(app.Path()));
  EXPECT_TRUE(test::Listing(app.Path()).empty());
}

// A cancel set while a long body is searched stops it before its end, in
// each scan: plain and regular expression, from a file and from memory.
TEST(DiaryGrepCancel, StopsInsideALongBody) {
  TDiary diary;
  std::string body = "needle\r\n";
  for (int i = 0; i < 300000; ++i) body += "hay hay hay\r\n";
  body += "needle\r\n";
  const std::string plain = diary.Save(2005, 1, 1, body, "");
  const std::string xored = diary.Save(2005, 1, 2, body, "", 1);
  for (const bool regExp : {false, true}) {
    for (const auto& [path, method] : {std::pair{plain, TEntryMethod::Plain}, std::pair{xored, TEntryMethod::Number}}) {
      TEntrySearch search({"needle"}, regExp, true, diary.Code);
      std::vector<std::size_t> hits;
      EXPECT_THROW(search.SearchBody(path, body.size(), method, 164, [&](std::size_t line) {
        hits.push_back(line);
        search.Cancel();
        return true;
      }), EGrepCancel);
      EXPECT_EQ(hits, std::vector<std::size_t>{1}) << regExp << path;
    }
  }
}

// The runner on a worker thread, cancelled from this one (run under TSan
// by `make tsan`).
TEST(DiaryGrepCancel, FromAnotherThread) {
  TDiary diary;
  for (int day = 1; day <= 28; ++day) diary.Save(2005, 2, day, "abc", "", day % 3);
  TDiaryGrep grep(Options("abc", 2005, 1, 2005, 3), diary.m_settings, diary.Code);
  std::promise<void> searching;
  std::promise<void> cancelled;
  grep.OnStatus = [&](std::string_view status) {
    if (status != kMsgSearching) return;
    searching.set_value();
    cancelled.get_future().wait();
  };
  auto outcome = std::async(std::launch::async, [&] { return grep.Run(); });
  searching.get_future().wait();
  grep.Cancel();
  cancelled.set_value();
  EXPECT_TRUE(outcome.get().Cancelled);
  EXPECT_TRUE(grep.Items().empty());
}

// GNU grep -rn over the UTF-8 form of a diary gives the same lines; a third
// of the days are number-key and a third word-key entries, and day 1 is
// longer than a block of the in-memory grep.
TEST(DiaryGrepReference, SameLinesAsGnuGrep) {
  TDiary diary;
  test::TTempFolder utf8;
  std::istringstream sample(test::ReadRaw(std::string(QUILLET_TEST_DATA) + "/search/manpages-ja-sample.txt"));
  std::string line;
  for (int day = 1; day <= 28 && sample; ++day) {
    std::string text;
    for (int n = 0; n < (day == 1 ? 4000 : 120) && std::getline(sample, line); ++n) text += line + "\n";
    std::string crlf;
    for (const char c : Cp932(text)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    diary.Save(2005, 2, day, crlf, "", day % 3);
    test::WriteRaw(utf8 / std::to_string(day), text);
  }
  for (const char* pattern : {"ファイル", "^\\.SH", "(ファイル|ディレクトリ)を", "オプション.*指定", "ます。$"}) {
    std::string gnu;
    test::RunCommand("cd '" + utf8.Path() + "' && LC_ALL=C.UTF-8 grep -rn -E -e '" + pattern + "' . | cut -d: -f1,2",
                     gnu);
    std::map<int, std::string> expected;
    std::istringstream out(gnu);
    for (std::string hit; std::getline(out, hit);) {
      const auto colon = hit.find(':');
      std::string& lines = expected[std::stoi(hit.substr(2, colon - 2))];
      lines += (lines.empty() ? "" : ",") + hit.substr(colon + 1);
    }
    ASSERT_FALSE(expected.empty()) << pattern;
    TDiaryGrep grep(With(Options(Cp932(pattern), 2005, 2, 2005, 2), false, true), diary.m_settings, diary.Code);
    grep.Run();
    std::map<int, std::string> ours;
    for (const TGrepItem& item : grep.Items()) ours[DayOf(item.Date)] = item.Lines;
    EXPECT_EQ(ours, expected) << pattern;
  }
}

}  // namespace
}  // namespace quillet
