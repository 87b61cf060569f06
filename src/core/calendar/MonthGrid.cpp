// The six-week grid of a month; the layout is described in MonthGrid.h.
#include "core/calendar/MonthGrid.h"

namespace quillet {

TMonthGrid MakeMonthGrid(int year, int month) {
  TMonthGrid grid;
  const TDate first = MakeDate(year, month, 1);
  // WeekdayMonday1 gives Sunday = 7; the grid counts Sunday as column 0.
  grid.LeadingCells = WeekdayMonday1(first) % 7;
  const int daysInMonth = DaysInMonth(year, month);
  for (int i = 0; i < kGridCells; ++i) {
    const int dayNumber = i - grid.LeadingCells + 1;  // 1-based day in `month`
    TMonthCell& cell = grid.Cells[static_cast<std::size_t>(i)];
    cell.Date = AddDays(first, dayNumber - 1);
    cell.Kind = dayNumber < 1 ? TCellKind::PrevMonth
                : dayNumber > daysInMonth ? TCellKind::NextMonth
                                          : TCellKind::ThisMonth;
  }
  return grid;
}

int CellOfDate(TDate date) {
  const int leading = WeekdayMonday1(MakeDate(YearOf(date), MonthOf(date), 1)) % 7;
  return leading + DayOf(date) - 1;
}

}  // namespace quillet
