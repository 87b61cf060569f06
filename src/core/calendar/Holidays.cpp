// Japan's national holidays; the rules are listed in Holidays.h.
#include "core/calendar/Holidays.h"

#include <algorithm>
#include <cmath>

namespace quillet {
namespace {

using THolidayList = std::vector<std::pair<TDate, std::string_view>>;

// Integer division rounding towards minus infinity.
int FloorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// floor(base + 0.242194 (y - 1980) - floor((y - 1980) / 4)): the equinox
// drifts by about 0.242194 days a year and jumps back one day after each leap
// day. The published form for 1900-1979 truncates (y - 1983) / 4 towards
// zero, which equals floor((y - 1980) / 4) for those years.
int EquinoxDay(int year, double base) {
  const int offset = year - 1980;
  return static_cast<int>(std::floor(base + 0.242194 * offset - FloorDiv(offset, 4)));
}

// The n-th (1-based) Monday of the month.
TDate NthMonday(int year, int month, int n) {
  const int firstWeekday = WeekdayMonday1(MakeDate(year, month, 1));
  const int firstMonday = 1 + (8 - firstWeekday) % 7;
  return MakeDate(year, month, firstMonday + 7 * (n - 1));
}

// A fixed day of the law in force from `first` to `last` (years, inclusive).
struct TFixedDay {
  int month;
  int day;
  int first;
  int last;
  std::string_view name;
};

constexpr int kForever = 9999;

constexpr TFixedDay kFixedDays[] = {
    {1, 1, 1949, kForever, "元日"},
    {1, 15, 1949, 1999, "成人の日"},
    {2, 11, 1967, kForever, "建国記念の日"},
    {2, 23, 2020, kForever, "天皇誕生日"},
    {4, 29, 1949, 1988, "天皇誕生日"},
    {4, 29, 1989, 2006, "みどりの日"},
    {4, 29, 2007, kForever, "昭和の日"},
    {5, 3, 1949, kForever, "憲法記念日"},
    {5, 4, 2007, kForever, "みどりの日"},
    {5, 5, 1949, kForever, "こどもの日"},
    {7, 20, 1996, 2002, "海の日"},
    {8, 11, 2016, kForever, "山の日"},
    {9, 15, 1966, 2002, "敬老の日"},
    {10, 10, 1966, 1999, "体育の日"},
    {11, 3, 1948, kForever, "文化の日"},
    {11, 23, 1948, kForever, "勤労感謝の日"},
    {12, 23, 1989, 2018, "天皇誕生日"},
};

// The Monday holidays: the n-th Monday of a month from `first` to `last`.
struct TMondayHoliday {
  int month;
  int n;
  int first;
  int last;
  std::string_view name;
};

constexpr TMondayHoliday kMondayHolidays[] = {
    {1, 2, 2000, kForever, "成人の日"},
    {7, 3, 2003, kForever, "海の日"},
    {9, 3, 2003, kForever, "敬老の日"},
    {10, 2, 2000, 2019, "体育の日"},
    {10, 2, 2020, kForever, "スポーツの日"},
};

// Single days set by special laws, and the days the games law moved in 2020
// and 2021 (in those two years the regular 海の日, スポーツの日 and 山の日 do
// not apply).
struct TOneDay {
  int year;
  int month;
  int day;
  std::string_view name;
};

constexpr TOneDay kOneDays[] = {
    {1959, 4, 10, "皇太子明仁親王の結婚の儀"},
    {1989, 2, 24, "昭和天皇の大喪の礼"},
    {1990, 11, 12, "即位礼正殿の儀"},
    {1993, 6, 9, "皇太子徳仁親王の結婚の儀"},
    {2019, 5, 1, "天皇の即位の日"},
    {2019, 10, 22, "即位礼正殿の儀"},
    {2020, 7, 23, "海の日"},
    {2020, 7, 24, "スポーツの日"},
    {2020, 8, 10, "山の日"},
    {2021, 7, 22, "海の日"},
    {2021, 7, 23, "スポーツの日"},
    {2021, 8, 8, "山の日"},
};

bool IsMovedByGames(int year, std::string_view name) {
  return (year == 2020 || year == 2021) && (name == "海の日" || name == "スポーツの日" || name == "山の日");
}

// Layer 1: the named holidays (国民の祝日) of the year, sorted.
THolidayList NamedHolidays(int year) {
  THolidayList list;
  for (const TFixedDay& f : kFixedDays) {
    if (year >= f.first && year <= f.last && !IsMovedByGames(year, f.name)) {
      list.emplace_back(MakeDate(year, f.month, f.day), f.name);
    }
  }
  for (const TMondayHoliday& m : kMondayHolidays) {
    if (year >= m.first && year <= m.last && !IsMovedByGames(year, m.name)) {
      list.emplace_back(NthMonday(year, m.month, m.n), m.name);
    }
  }
  list.emplace_back(MakeDate(year, 3, SpringEquinoxDay(year)), "春分の日");
  list.emplace_back(MakeDate(year, 9, AutumnEquinoxDay(year)), "秋分の日");
  for (const TOneDay& o : kOneDays) {
    if (o.year == year) list.emplace_back(MakeDate(o.year, o.month, o.day), o.name);
  }
  // The law took effect on 1948-07-20: nothing before it was a holiday.
  const TDate effective = MakeDate(1948, 7, 20);
  std::erase_if(list, [&](const auto& h) { return h.first < effective; });
  std::sort(list.begin(), list.end());
  return list;
}

// The lists hold about twenty days: a linear scan is cheaper than a lookup
// structure.
bool Contains(const THolidayList& list, TDate date) {
  return std::any_of(list.begin(), list.end(), [&](const auto& h) { return h.first == date; });
}

}  // namespace

int SpringEquinoxDay(int year) {
  if (year < 1900 || year > 2150) return 0;
  if (year < 1980) return EquinoxDay(year, 20.8357);
  if (year < 2100) return EquinoxDay(year, 20.8431);
  return EquinoxDay(year, 21.8510);
}

int AutumnEquinoxDay(int year) {
  if (year < 1900 || year > 2150) return 0;
  if (year < 1980) return EquinoxDay(year, 23.2588);
  if (year < 2100) return EquinoxDay(year, 23.2488);
  return EquinoxDay(year, 24.2488);
}

std::vector<std::pair<TDate, std::string_view>> HolidaysOfYear(int year) {
  if (year < kFirstHolidayYear || year > kLastHolidayYear) return {};
  const THolidayList named = NamedHolidays(year);
  THolidayList result = named;

  // Layer 2: 振替休日. No named holiday falls on 12/31, so the substitute
  // stays in the year.
  THolidayList substitutes;
  for (const auto& [date, name] : named) {
    if (date < MakeDate(1973, 4, 12) || WeekdayMonday1(date) != 7) continue;
    TDate next = AddDays(date, 1);
    if (year >= 2007) {
      while (Contains(named, next)) next = AddDays(next, 1);
    } else if (Contains(named, next)) {
      continue;  // until 2006 only the Monday itself could be the substitute
    }
    substitutes.emplace_back(next, "振替休日");
  }
  std::sort(substitutes.begin(), substitutes.end());
  result.insert(result.end(), substitutes.begin(), substitutes.end());

  // Layer 3: 国民の休日, a day squeezed between two named holidays. Until
  // 2006 the law left out Sundays and substitute days.
  for (std::size_t i = 0; i + 1 < named.size(); ++i) {
    const TDate between = AddDays(named[i].first, 1);
    if (AddDays(between, 1) != named[i + 1].first || between < MakeDate(1985, 12, 27)) continue;
    if (Contains(substitutes, between)) continue;
    if (year < 2007 && WeekdayMonday1(between) == 7) continue;
    result.emplace_back(between, "国民の休日");
  }
  std::sort(result.begin(), result.end());
  return result;
}

std::optional<std::string_view> JapaneseHoliday(TDate date) {
  for (const auto& [day, name] : HolidaysOfYear(YearOf(date))) {
    if (day == date) return name;
  }
  return std::nullopt;
}

std::array<std::string_view, 32> HolidaysOfMonth(int year, int month) {
  std::array<std::string_view, 32> names{};
  for (const auto& [date, name] : HolidaysOfYear(year))
    if (MonthOf(date) == month) names[static_cast<std::size_t>(DayOf(date))] = name;
  return names;
}

}  // namespace quillet
