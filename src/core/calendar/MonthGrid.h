// The six-week grid of a month as the calendar page shows it, Sunday first.
//
// The grid always has 42 cells (6 rows of 7, columns Sunday .. Saturday), so
// the page keeps one height for every month. Cell 0 is the Sunday on or
// before the month's first day; the cells run over consecutive dates. The
// cells before the first day (LeadingCells, 0..6) and after the last day are
// trail days of the neighbouring months, shown but not the month's own.
#pragma once

#include <array>

#include "core/store/UDate.h"

namespace quillet {

enum class TCellKind { PrevMonth, ThisMonth, NextMonth };

struct TMonthCell {
  TDate Date;
  TCellKind Kind = TCellKind::ThisMonth;
};

inline constexpr int kGridColumns = 7;
inline constexpr int kGridRows = 6;
inline constexpr int kGridCells = kGridColumns * kGridRows;

struct TMonthGrid {
  // Row-major: cell (row, column) is Cells[row * kGridColumns + column];
  // column 0 is Sunday.
  std::array<TMonthCell, kGridCells> Cells;
  // Cells of the previous month before the first day: the first day's
  // weekday counted from Sunday = 0.
  int LeadingCells = 0;
};

// The grid of `month` (1..12) of `year`. Cells before year 1 or after 9999
// are still valid dates (year 0, year 10000); callers that open entries from
// cells check IsDiaryDate.
TMonthGrid MakeMonthGrid(int year, int month);

// The cell index (0..41) of `date` in the grid of its own month.
int CellOfDate(TDate date);

}  // namespace quillet
