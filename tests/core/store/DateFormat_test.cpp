// Dates as text: the stamps of the edit commands, the path and caption
// patterns, and the parser behind the date box and the command line.
#include "core/store/DateFormat.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(DateFormat, SixDateStampsOfSeventhMarch2005) {
  TDateTime when{MakeDate(2005, 3, 7), 9, 5, 3};
  const char* expected[] = {
      "05/03/07",
      "2005/03/07",
      "2005\x94\x4e" "03\x8c\x8e" "07\x93\xfa",
      "05/03/07 09:05:03",
      "2005/03/07 09:05:03",
      "2005\x94\x4e" "03\x8c\x8e" "07\x93\xfa" " 09:05:03",
  };
  for (std::size_t i = 0; i < std::size(kDateStampPatterns); ++i)
    EXPECT_EQ(FormatDateTime(kDateStampPatterns[i], when), expected[i]) << i;
  // The hour runs 0..23, and an unclosed quote copies the rest.
  when.Hour = 23;
  EXPECT_EQ(FormatDateTime("hh\"x", when), "23x");
}

TEST(DateFormat, PatternLettersAndCopiedText) {
  const struct {
    const char* pattern;
    TDate date;
    const char* text;
  } rows[] = {
      {"yy/mm/dd a\\b", MakeDate(2005, 3, 7), "05/03/07 a\\b"},
      {"yyyy/m/d", MakeDate(987, 11, 23), "0987/11/23"},
      {"yyyy/m/m-d", MakeDate(2006, 1, 1), "2006/1/1-1"},
      {"\"yyyy\"yyyy", MakeDate(2005, 3, 7), "yyyy2005"},
      // ヅ is 0x83 0x64: its trail byte is the letter "d" and must stay.
      {"\x83\x64" "d", MakeDate(2005, 3, 7), "\x83\x64" "7"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatDatePattern(row.pattern, row.date), row.text) << row.pattern;
}

TEST(DateFormat, ParsesOnlyWhatThePatternSpellsAndRealDates) {
  const std::optional<TDate> none;
  const struct {
    const char* text;
    std::string_view pattern;
    std::optional<TDate> date;
  } rows[] = {
      {"2005/03/07", kShortDateInput, MakeDate(2005, 3, 7)},
      {"2005/3/7", kShortDateInput, MakeDate(2005, 3, 7)},
      {"2004/2/29", kShortDateInput, MakeDate(2004, 2, 29)},
      {"2005/2/29", kShortDateInput, none},    // no such day
      {"2005/13/1", kShortDateInput, none},
      {"2005/0/1", kShortDateInput, none},
      {"05/3/7", kShortDateInput, none},       // the year keeps four digits
      {"2005/003/7", kShortDateInput, none},
      {"2005/3/7x", kShortDateInput, none},    // nothing may follow
      {"2005-3-7", kShortDateInput, none},
      {" 2005/3/7", kShortDateInput, none},    // the caller trims
      {"", kShortDateInput, none},
      {"0000/1/1", kShortDateInput, MakeDate(0, 1, 1)},  // a date, out of the diary's range
      {"2005-03-07", kIsoDatePattern, MakeDate(2005, 3, 7)},
      {"2005-3-07", kIsoDatePattern, none},    // the command line wants two digits
      {"2005-03-7", kIsoDatePattern, none},
      {"2005/03/07", kIsoDatePattern, none},
      {"2005-03-07", "yy-mm-dd", none},        // a two-digit year names no date
  };
  for (const auto& row : rows) EXPECT_EQ(ParseDatePattern(row.text, row.pattern), row.date) << row.text;
}

// Whatever the caption or the command line writes, the date box and the
// command line read back as the same day.
TEST(DateFormat, EveryWrittenDateReadsBack) {
  for (const TDate start : {MakeDate(1, 1, 1), MakeDate(1999, 12, 1), MakeDate(9999, 11, 1)}) {
    for (TDate d = start; d != AddDays(start, 400) && IsDiaryDate(d); d = AddDays(d, 1)) {
      ASSERT_EQ(ParseDatePattern(FormatDatePattern(kShortDatePattern, d), kShortDateInput), d);
      ASSERT_EQ(ParseDatePattern(FormatDatePattern("yyyy/m/d", d), kShortDateInput), d);
      ASSERT_EQ(ParseDatePattern(FormatDatePattern(kIsoDatePattern, d), kIsoDatePattern), d);
    }
  }
}

}  // namespace
}  // namespace quillet
