// The month grid of every month 1900-2100 against Python's calendar module
// (weeks from Sunday), read from one run of python.
#include "core/calendar/MonthGrid.h"

#include <gtest/gtest.h>

#include <sstream>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

TEST(MonthGrid, AgreesWithPythonCalendar1900To2100) {
  std::string out;
  // One line a month: year, month, the number of weeks, then each date as y m d.
  ASSERT_TRUE(RunCommand("/usr/bin/python3 -c 'import calendar\n"
                         "c = calendar.Calendar(firstweekday=6)\n"
                         "for y in range(1900, 2101):\n"
                         " for m in range(1, 13):\n"
                         "  w = c.monthdatescalendar(y, m)\n"
                         "  print(y, m, len(w), *(f\"{d.year} {d.month} {d.day}\" for k in w for d in k))'",
                         out));
  std::istringstream lines(out);
  int months = 0;
  for (std::string line; std::getline(lines, line); ++months) {
    std::istringstream fields(line);
    int year = 0, month = 0, weeks = 0;
    fields >> year >> month >> weeks;
    const TMonthGrid grid = MakeMonthGrid(year, month);
    int leading = 0;
    for (int i = 0; i < kGridCells; ++i) {
      const TMonthCell& cell = grid.Cells[static_cast<std::size_t>(i)];
      if (i < weeks * kGridColumns) {  // python's weeks are a prefix of the grid
        int y = 0, m = 0, d = 0;
        fields >> y >> m >> d;
        ASSERT_EQ(cell.Date, MakeDate(y, m, d)) << line << " cell " << i;
        if (m != month && i < kGridColumns) ++leading;
      } else {  // the rest continues day by day
        ASSERT_EQ(cell.Date, AddDays(grid.Cells[static_cast<std::size_t>(i - 1)].Date, 1)) << line;
      }
      const TCellKind kind = MonthOf(cell.Date) == month ? TCellKind::ThisMonth
                             : i < kGridColumns         ? TCellKind::PrevMonth
                                                        : TCellKind::NextMonth;
      ASSERT_EQ(cell.Kind, kind) << line << " cell " << i;
      if (kind == TCellKind::ThisMonth) {
        ASSERT_EQ(CellOfDate(cell.Date), i) << line;
      }
    }
    ASSERT_EQ(grid.LeadingCells, leading) << line;
  }
  EXPECT_EQ(months, 201 * 12);
}

}  // namespace
}  // namespace quillet
