// Japan's holidays: 1967-2018 date by date against Debian's python3-holidays,
// and a table from the law for what that reference lacks or gets wrong (the
// one-off days, 2019 onwards).
#include "core/calendar/Holidays.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

std::string Iso(TDate d) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", YearOf(d), MonthOf(d), DayOf(d));
  return text;
}

TEST(Holidays, AgreesWithPythonHolidays1967To2018) {
  std::string out;
  if (!RunCommand("/usr/bin/python3 -c 'import holidays\n"
                  "for d, n in sorted(holidays.Japan(years=range(1967, 2019)).items()): print(d, n)' 2>/dev/null",
                  out)) {
    GTEST_SKIP() << "python3-holidays is not installed";
  }
  std::map<std::string, std::string> reference;
  std::istringstream lines(out);
  for (std::string date, name; lines >> date >> name;) reference[date] = name;
  ASSERT_GT(reference.size(), 700u);
  std::map<std::string, std::string> ours;
  for (int year = 1967; year <= 2018; ++year) {
    for (const auto& [date, name] : HolidaysOfYear(year)) ours[Iso(date)] = name;
  }
  // The reference lacks the days of special laws; they are checked below.
  ours.erase("1989-02-24"), ours.erase("1990-11-12"), ours.erase("1993-06-09");
  // The reference lists its substitute days by hand and misses this one:
  // 1974-05-05 was a Sunday, so the rule of 1973 gives the Monday off.
  EXPECT_EQ(ours["1974-05-06"], "振替休日");
  ours.erase("1974-05-06");
  // Dates and names (the reference words them as the law does), one failure a date.
  for (const auto& [date, name] : reference) EXPECT_EQ(ours[date], name) << date;
  for (const auto& [date, name] : ours) EXPECT_TRUE(reference.count(date)) << date << " " << name;
}

TEST(Holidays, LawTable) {
  const struct {
    TDate date;
    const char* name;  // nullptr: an ordinary day
  } rows[] = {
      // Before the law, its first year, and the years without a formula.
      {MakeDate(1948, 5, 5), nullptr}, {MakeDate(1948, 9, 23), "秋分の日"}, {MakeDate(1949, 1, 1), "元日"},
      {MakeDate(1966, 2, 11), nullptr}, {MakeDate(1967, 2, 11), "建国記念の日"}, {MakeDate(2151, 1, 1), nullptr},
      {MakeDate(1947, 1, 1), nullptr},
      // Special laws.
      {MakeDate(1959, 4, 10), "皇太子明仁親王の結婚の儀"}, {MakeDate(1989, 2, 24), "昭和天皇の大喪の礼"},
      {MakeDate(1990, 11, 12), "即位礼正殿の儀"}, {MakeDate(1993, 6, 9), "皇太子徳仁親王の結婚の儀"},
      // 2019: the enthronement week; no 天皇誕生日.
      {MakeDate(2019, 4, 29), "昭和の日"}, {MakeDate(2019, 4, 30), "国民の休日"}, {MakeDate(2019, 5, 1), "天皇の即位の日"},
      {MakeDate(2019, 5, 2), "国民の休日"}, {MakeDate(2019, 5, 6), "振替休日"}, {MakeDate(2019, 8, 12), "振替休日"},
      {MakeDate(2019, 10, 14), "体育の日"}, {MakeDate(2019, 10, 22), "即位礼正殿の儀"}, {MakeDate(2019, 11, 4), "振替休日"},
      {MakeDate(2019, 12, 23), nullptr},
      // 2020 and 2021: days moved for the games, the regular days empty.
      {MakeDate(2020, 2, 24), "振替休日"}, {MakeDate(2020, 7, 20), nullptr}, {MakeDate(2020, 7, 23), "海の日"},
      {MakeDate(2020, 7, 24), "スポーツの日"}, {MakeDate(2020, 8, 10), "山の日"}, {MakeDate(2020, 8, 11), nullptr},
      {MakeDate(2020, 10, 12), nullptr}, {MakeDate(2021, 7, 19), nullptr}, {MakeDate(2021, 7, 22), "海の日"},
      {MakeDate(2021, 7, 23), "スポーツの日"}, {MakeDate(2021, 8, 8), "山の日"}, {MakeDate(2021, 8, 9), "振替休日"},
      {MakeDate(2021, 8, 11), nullptr}, {MakeDate(2021, 10, 11), nullptr}, {MakeDate(2022, 10, 10), "スポーツの日"},
      // Equinox days as the almanac published them.
      {MakeDate(2022, 3, 21), "春分の日"}, {MakeDate(2023, 9, 23), "秋分の日"}, {MakeDate(2024, 3, 20), "春分の日"},
      {MakeDate(2024, 9, 22), "秋分の日"}, {MakeDate(2025, 3, 20), "春分の日"}, {MakeDate(2027, 3, 21), "春分の日"},
      {MakeDate(2028, 9, 22), "秋分の日"},
      // Substitutes from 2007: the next day that is not a holiday.
      {MakeDate(2023, 1, 2), "振替休日"}, {MakeDate(2024, 8, 12), "振替休日"}, {MakeDate(2025, 2, 24), "振替休日"},
      {MakeDate(2026, 5, 6), "振替休日"}, {MakeDate(2027, 3, 22), "振替休日"},
      // September days between 敬老の日 and 秋分の日.
      {MakeDate(2026, 9, 21), "敬老の日"}, {MakeDate(2026, 9, 22), "国民の休日"}, {MakeDate(2032, 9, 21), "国民の休日"},
      {MakeDate(2032, 9, 22), "秋分の日"},
  };
  for (const auto& row : rows) {
    const auto name = JapaneseHoliday(row.date);
    EXPECT_EQ(name.value_or("-"), std::string_view(row.name ? row.name : "-")) << Iso(row.date);
  }
  // Whole years counted against the published calendars.
  EXPECT_EQ(HolidaysOfYear(2019).size(), 22u);
  EXPECT_EQ(HolidaysOfYear(2020).size(), 18u);
  EXPECT_EQ(HolidaysOfYear(2021).size(), 17u);
  EXPECT_TRUE(HolidaysOfYear(1947).empty());
}

}  // namespace
}  // namespace quillet
