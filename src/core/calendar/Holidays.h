// Japan's national holidays, computed from the holiday law as amended.
//
// A year's holidays come in three layers, each built on the one before:
//  1. The named holidays (国民の祝日): fixed days with the years they apply,
//     the Monday holidays (the n-th Monday of a month, from 2000 and 2003),
//     the spring and autumn equinox days, the one-off days set by special
//     laws (imperial weddings, a funeral, enthronements), and the days moved
//     for 2020 and 2021 by the special measures law of the games.
//  2. 振替休日: from 1973-04-12 a named holiday on a Sunday gives the next
//     Monday off; from 2007 the next day that is not a named holiday.
//  3. 国民の休日: from 1985-12-27 a day that is not itself a holiday and lies
//     between two named holidays (until 2006 not on a Sunday, nor on a
//     振替休日). This gives 5/4 in 1988-2006, 2019-04-30 and 2019-05-02, and
//     the September days when 敬老の日 falls two days before 秋分の日.
//
// The law took effect on 1948-07-20; earlier dates have no holiday. The
// equinox days come from the usual approximation formula, whose constants are
// published for 1900-2150 only, so dates after 2150 have no holiday either
// (a real equinox day is only fixed by the yearly almanac, February of the
// year before). Names are UTF-8 string literals with static storage.
#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/store/UDate.h"

namespace quillet {

// The years this unit knows: holidays exist in kFirstHolidayYear (from
// 1948-07-20) .. kLastHolidayYear.
inline constexpr int kFirstHolidayYear = 1948;
inline constexpr int kLastHolidayYear = 2150;

// The name of the holiday on `date` ("元日", "振替休日", "国民の休日", ...), or
// nothing for an ordinary day or a date outside the years above. Costs one
// HolidaysOfYear of the date's year; any thread.
std::optional<std::string_view> JapaneseHoliday(TDate date);

// Every holiday of `year` in date order, one entry per date; empty outside
// kFirstHolidayYear..kLastHolidayYear. Pure; any thread.
std::vector<std::pair<TDate, std::string_view>> HolidaysOfYear(int year);

// The holiday name of each day 1..31 of `month` of `year`, empty for an
// ordinary day (index 0 is unused): what a month view looks up per cell.
std::array<std::string_view, 32> HolidaysOfMonth(int year, int month);

// The day of March (spring) or September (autumn) of the equinox day of
// `year`, by the approximation formula; 0 outside 1900..2150.
int SpringEquinoxDay(int year);
int AutumnEquinoxDay(int year);

}  // namespace quillet
