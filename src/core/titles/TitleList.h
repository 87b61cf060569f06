// What the title list does with its records besides collecting them:
// following a save of the open day, sorting by a column, and the actions
// that the page's click, double click, selection and context-menu key run.
//
// Sorting: each column keeps its own direction, ascending at first, which
// flips after every sort by that column. The date column sorts by day
// number, so 2日 comes before 10日 (its caption text would put 10日 first);
// the title column by the title's code page 932 bytes, which orders kana
// in their table order. Both sorts are stable: rows with equal titles stay
// in the order they had.
#pragma once

#include <array>

#include "core/titles/TitleCollector.h"

namespace quillet {

// The row of `day`, or -1 when the day is not listed.
int FindTitleRow(const TTitleList& list, int day);

enum class TTitleSync { None, Inserted, Updated, Removed };

struct TTitleSyncChange {
  TTitleSync Kind = TTitleSync::None;
  int Row = -1;  // the row inserted, updated or removed
};

// Follows a save of the open day: `record` is the day as the editor and the
// title box now hold it, `dayEmpty` true when the editor text and the title
// are both empty. A listed day is removed when empty, else takes the
// record's title and first line; an unlisted day that is not empty is
// inserted before the first row of a later day, else at the end.
TTitleSyncChange SynchronizeTitle(TTitleList& list, TTitleRecord record, bool dayEmpty);

enum class TTitleColumn { Date = 0, Title = 1 };

class TTitleSorter {
public:
  // Sorts `list` by `column` in that column's direction, then flips it.
  void Sort(TTitleList& list, TTitleColumn column);
  bool Ascending(TTitleColumn column) const { return m_ascending[static_cast<std::size_t>(column)]; }

private:
  std::array<bool, 2> m_ascending{true, true};
};

// The values of the four action settings.
enum class TTitleAction {
  None = 0,
  Move = 1,           // open the row's day
  EditTitle = 2,      // edit the row's title
  OpenFile = 3,       // the row's entry file in the outside editor
  OpenDirectory = 4,  // the row's month folder in the outside file manager
  Refresh = 5,
  SortDate = 6,
  SortTitle = 7,
};

// A stored action; anything outside 0..7 does nothing.
TTitleAction TitleActionOf(int stored) noexcept;

}  // namespace quillet
