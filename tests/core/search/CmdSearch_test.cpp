// quillet-cli search, run as the real binary over a diary saved through the
// store (plain, number-key and word-key days), with the keys in the settings
// file: it must list exactly the items of TDiaryGrep for the same options.
// Then the diary grep against a plain reference on a generated diary whose
// lines hold pattern bytes inside double-byte characters.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>
#include <random>

#include "ReferenceMatcher.h"
#include "TestDiary.h"
#include "core/base/CodePage.h"
#include "core/crypto/USecurity.h"

namespace quillet {
namespace {

using test::Cp932;

class CliSearch : public testing::Test {
protected:
  CliSearch() {
    m_app = m_tmp / "app/";
    std::filesystem::create_directories(m_app + "Option/");
    test::WriteRaw(m_app + "Option/quillet.ini", "[Window]\r\nSavePath=" + m_diary.m_root.Path() +
                                                     "\r\nNumber=164\r\nWord=" + Scramble("secret") + "\r\n");
    m_diary.Save(2004, 12, 31, "one\r\nABC two\r\nthree", "");
    m_diary.Save(2005, 1, 1, "x\r\nfoo abc\r\n", "Foo", 1);
    m_diary.Save(2005, 1, 15, "abc\r\nabc\r\n", Cp932("日記 abc"), 2);
    m_diary.Save(2005, 2, 28, Cp932("l1\r\n日記\r\nfoo bar\r\n"), "nothing");
    m_diary.Save(2005, 3, 7, "", "ABC");
  }

  test::TRun Run(const std::string& args) const { return test::RunCli(m_tmp, m_app, "search " + args); }

  // The window's items for `text` over the year folders 2004 .. 2005, as the
  // command prints them.
  std::string Expected(const std::string& text, bool regExp, bool caseSensitive, bool encrypted = true,
                       bool titles = true) {
    TGrepOptions options{Cp932(text), 2004, 1, 2005, 12, caseSensitive, regExp, encrypted, titles, true, 3};
    TDiaryGrep grep(options, m_diary.m_settings, m_diary.Code);
    grep.Run();
    std::string out;
    for (const TGrepItem& item : grep.Items()) {
      char date[16];
      std::snprintf(date, sizeof date, "%04d-%02d-%02d", YearOf(item.Date), MonthOf(item.Date), DayOf(item.Date));
      std::string title;
      ToUtf8(item.Title, title);
      out.append(date).append("\t").append(GrepKindText(item.Kind)).append("\t" + item.Lines + "\t" + title + "\n");
    }
    return out;
  }

  test::TTempFolder m_tmp;
  test::TDiary m_diary;
  std::string m_app;
};

TEST_F(CliSearch, ListsTheWindowsItems) {
  struct TRow {
    const char* args;
    std::string expected;
  };
  const TRow rows[] = {
      {"abc", Expected("abc", false, false)},
      {"--case ABC", Expected("ABC", false, true)},
      {"--regex '^(a|f)[a-z]*'", Expected("^(a|f)[a-z]*", true, false)},
      {"--no-encrypted --no-titles 'abc \"foo b\"'", Expected("abc \"foo b\"", false, false, false, false)},
      {"'日記 l1'", Expected("日記 l1", false, false)},
  };
  for (const TRow& row : rows) {
    const test::TRun run = Run(row.args);
    EXPECT_EQ(run.status, 0) << row.args << run.err;
    EXPECT_EQ(run.out, row.expected) << row.args;
    EXPECT_NE(run.out.find('\n'), run.out.size() - 1) << row.args << ": more than one item expected";
  }
  EXPECT_EQ(Run("abc").out, "2004-12-31\t本文\t2\t\n2005-01-01\t本文\t2\tFoo\n2005-01-15\t本文 + タイトル\t1,2\t日記 abc\n"
                            "2005-03-07\tタイトル\t\tABC\n");
}

TEST_F(CliSearch, JsonRangeAndExitStatus) {
  const test::TRun json = Run("--json --from 2005-01 --to 2005-01 --no-titles 'foo 日記'");
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.out, "[\n  {\"date\": \"2005-01-01\", \"kind\": \"本文\", \"lines\": \"2\", \"title\": \"Foo\", "
                      "\"method\": \"number\", \"path\": \"" + m_diary.m_root.Path() + "2005/1/1.txt\"}\n]\n");
  EXPECT_EQ(Run("--json zzz").out, "[]\n");
  EXPECT_EQ(Run("zzz").status, 1);
  EXPECT_EQ(Run("--to 2003-05 abc").status, 2);  // ends before the first year folder begins
  const test::TRun period = Run("--from 2005-03 --to 2005-02 abc");
  EXPECT_EQ(period.status, 2);
  EXPECT_NE(period.err.find("検索期間が不正です"), std::string::npos) << period.err;
  EXPECT_EQ(Run("--from 2005-13 abc").status, 2);
  const test::TRun pattern = Run("--regex 'ab[c'");
  EXPECT_EQ(pattern.status, 2);
  EXPECT_NE(pattern.err.find("(position "), std::string::npos) << pattern.err;
  EXPECT_EQ(pattern.out, "");
}

// --- against a plain reference -------------------------------------------------------

// Whether `pattern` occurs in `line` starting at a character boundary.
bool ContainsAligned(const std::string& line, const std::string& pattern) {
  for (std::size_t i = 0; i < line.size(); i += CharLength(line, i)) {
    if (line.compare(i, pattern.size(), pattern) == 0) return true;
  }
  return false;
}

TEST(DiaryGrepReference, GeneratedDiaryWithTrapBytes) {
  // "\x88\x83" + "A" holds the bytes of ア (83 41) across a character
  // boundary; "\x93\xFA" is 日, whose trail byte starts no character.
  const std::vector<std::string> pieces = {"A", "a", " ", Cp932("ア"), "\x88\x83", Cp932("日"), "\x93", Cp932("記")};
  const std::vector<std::pair<std::string, bool>> searches = {
      {Cp932("ア"), false}, {Cp932("日A \"ア日\""), false}, {Cp932("ア[A-Z]+"), true}, {Cp932("^日|A$"), true}};
  std::mt19937 random(77);
  test::TDiary diary;
  std::map<TDate, std::pair<std::string, std::string>> days;  // body, title
  for (int n = 0; n < 60; ++n) {
    const TDate date = MakeDate(2010, 1 + n % 3, 1 + static_cast<int>(random() % 28));
    std::string body;
    std::string title;
    for (std::size_t i = random() % 40; i > 0; --i) {
      body += random() % 5 == 0 ? std::string("\r\n") : pieces[random() % pieces.size()];
    }
    for (std::size_t i = random() % 4; i > 0; --i) title += pieces[random() % pieces.size()];
    if (body.empty() && title.empty()) continue;
    days[date] = {body, title};
    diary.Save(YearOf(date), MonthOf(date), DayOf(date), body, title, static_cast<int>(random() % 3));
  }
  for (const auto& [text, regExp] : searches) {
    const std::vector<std::string> patterns = SplitGrepPatterns(text, false);
    const auto matches = [&](const std::string& line, const std::string& pattern, bool grepMode) {
      if (!regExp) return ContainsAligned(line, pattern);
      test::TReferenceMatcher reference(pattern, grepMode ? test::TReferenceMatcher::TMode::Grep
                                                          : test::TReferenceMatcher::TMode::String);
      std::size_t start = 0;
      std::size_t length = 0;
      return grepMode ? reference.LineMatches(line) : reference.Match(line, start, length);
    };
    std::vector<std::string> expected;
    for (const auto& [date, day] : days) {
      std::string lines;
      const auto add = [&](std::size_t l) { lines += (lines.empty() ? "" : ",") + std::to_string(l + 1); };
      const std::vector<std::string> split = test::SplitLines(day.first);
      // Regular expressions list the lines pattern by pattern, plain search
      // pattern by pattern inside each line.
      for (std::size_t outer = 0; outer < (regExp ? patterns.size() : split.size()); ++outer) {
        for (std::size_t inner = 0; inner < (regExp ? split.size() : patterns.size()); ++inner) {
          const std::size_t l = regExp ? inner : outer;
          if (matches(split[l], patterns[regExp ? outer : inner], true)) add(l);
        }
      }
      bool title = false;
      for (const std::string& pattern : patterns) title = title || matches(day.second, pattern, false);
      title = title && !day.second.empty();
      if (lines.empty() && !title) continue;
      const std::string kind = lines.empty() ? "T" : title ? "BT" : "B";
      expected.push_back(std::to_string(YearOf(date)) + "/" + std::to_string(MonthOf(date)) + "/" +
                         std::to_string(DayOf(date)) + " " + kind + " " + lines);
    }
    TGrepOptions options{text, 2010, 1, 2010, 12, true, regExp, true, true, false, 3};
    EXPECT_EQ(diary.Grep(options), expected) << text;
    EXPECT_FALSE(expected.empty()) << text;
  }
}

}  // namespace
}  // namespace quillet
