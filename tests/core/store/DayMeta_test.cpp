// A day's section of Set.ini: defaults, the key number rule, the method, and
// the renewal time against the system's `date`.
#include "core/store/DayMeta.h"

#include <gtest/gtest.h>

#include "../app/TempFolder.h"
#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"

namespace quillet {
namespace {

using namespace quillet::test;

TEST(DayMetaRead, ReadsTheDaysOwnSection) {
  const TTempFolder tmp;
  WriteRaw(tmp / "Set.ini",
           "[6]\r\nTitle=other day\r\n"
           "[7]\r\nTitle=\x93\xFA\x8B\x4C\r\nReNewalTime=2005/03/07 21:15:03\r\nUseCode=1\r\nMethod=0\r\nCodeKey=300\r\n");
  const TDayMeta meta = ReadDayMeta(tmp.Path(), 7);
  EXPECT_TRUE(meta.SectionExists);
  EXPECT_EQ(meta.Title, "\x93\xFA\x8B\x4C");
  EXPECT_EQ(meta.ReNewalTime, "2005/03/07 21:15:03");
  EXPECT_EQ(meta.EntryMethod(), TEntryMethod::Number);
  EXPECT_EQ(meta.KeyNumber(164), 300);
  EXPECT_EQ(ReadDayMeta(tmp.Path(), 6).Title, "other day");
  EXPECT_FALSE(ReadDayMeta(tmp.Path(), 17).SectionExists);  // "17" is not "7"
}

TEST(DayMetaRead, SetIniAsPeopleAndOtherProgramsWriteIt) {
  // A comment after "]" once dropped the section, so day 7's flags landed in
  // day 6; a byte-order mark lost the first section. A title keeps its
  // blanks; flags and times are read without them.
  const TTempFolder tmp;
  WriteRaw(tmp / "Set.ini",
           "\xEF\xBB\xBF[6]\r\nTitle=six\r\n"
           "[7] ; moved from the old pc\r\nTitle =  spaced title \r\nUseCode = 1\r\nMethod =1 \r\n"
           "ReNewalTime = 2005/03/07 21:15:03 \r\n");
  const TDayMeta six = ReadDayMeta(tmp.Path(), 6);
  EXPECT_EQ(six.Title, "six");
  EXPECT_EQ(six.EntryMethod(), TEntryMethod::Plain);
  const TDayMeta seven = ReadDayMeta(tmp.Path(), 7);
  EXPECT_EQ(seven.Title, "  spaced title ");
  EXPECT_EQ(seven.EntryMethod(), TEntryMethod::Word);
  EXPECT_EQ(seven.ReNewalTime, "2005/03/07 21:15:03");
}

TEST(DayMetaRead, AnUnreadableFileIsSaidSo) {
  const TTempFolder tmp;
  EnsureFolder(tmp / "Set.ini");  // unreadable whoever runs the test
  EXPECT_TRUE(ReadDayMeta(tmp.Path(), 7).Unreadable);
  EXPECT_FALSE(ReadDayMeta(tmp / "none/", 7).Unreadable);
}

TEST(DayMetaRead, ACodeKeyThatIsNotANumberCountsAsAbsent) {
  const TTempFolder tmp;
  WriteRaw(tmp / "Set.ini", "[7]\r\nUseCode=1\r\nCodeKey=abc\r\n");
  EXPECT_EQ(ReadDayMeta(tmp.Path(), 7).KeyNumber(164), 164);
}

struct TMethodRow {
  const char* name;
  bool useCode;
  bool method;
  TEntryMethod expected;
  std::string_view text;
};

const TMethodRow kMethodRows[] = {
    {"plain", false, false, TEntryMethod::Plain, "plain"},
    {"plain_even_with_method_set", false, true, TEntryMethod::Plain, "plain"},
    {"number", true, false, TEntryMethod::Number, "number"},
    {"word", true, true, TEntryMethod::Word, "word"},
};

class DayMetaMethod : public testing::TestWithParam<TMethodRow> {};

TEST_P(DayMetaMethod, FollowsTheFlags) {
  TDayMeta meta;
  meta.UseCode = GetParam().useCode;
  meta.Method = GetParam().method;
  EXPECT_EQ(meta.EntryMethod(), GetParam().expected);
  EXPECT_EQ(MethodName(meta.EntryMethod()), GetParam().text);
  EXPECT_EQ(static_cast<int>(TEntryMethod::Word), 2);  // the numbering the search results use
}

INSTANTIATE_TEST_SUITE_P(Flags, DayMetaMethod, testing::ValuesIn(kMethodRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(DayMetaTime, MatchesTheSystemDateInLocalTime) {
  for (const std::time_t when : {std::time_t{1110197703}, std::time_t{1110165303}, std::time_t{0}}) {
    std::string expected;
    ASSERT_TRUE(RunCommand("date -d @" + std::to_string(when) + " '+%Y/%m/%d %-H:%M:%S'", expected));
    while (!expected.empty() && expected.back() == '\n') expected.pop_back();
    EXPECT_EQ(FormatRenewalTime(when), expected);
  }
}

}  // namespace
}  // namespace quillet
