// The title list's own operations (see TitleList.h).
#include "core/titles/TitleList.h"

#include <algorithm>

namespace quillet {

int FindTitleRow(const TTitleList& list, int day) {
  for (std::size_t row = 0; row < list.size(); ++row)
    if (list[row].Day == day) return static_cast<int>(row);
  return -1;
}

TTitleSyncChange SynchronizeTitle(TTitleList& list, TTitleRecord record, bool dayEmpty) {
  TTitleSyncChange change;
  change.Row = FindTitleRow(list, record.Day);
  if (change.Row >= 0) {
    TTitleRecord& row = list[static_cast<std::size_t>(change.Row)];
    if (dayEmpty) {
      list.erase(list.begin() + change.Row);
      change.Kind = TTitleSync::Removed;
    } else {
      row.Title = std::move(record.Title);
      row.FirstLine = std::move(record.FirstLine);
      change.Kind = TTitleSync::Updated;
    }
    return change;
  }
  if (dayEmpty) return change;
  const auto later = std::find_if(list.begin(), list.end(), [&](const TTitleRecord& r) { return r.Day > record.Day; });
  change.Row = static_cast<int>(later - list.begin());
  list.insert(later, std::move(record));
  change.Kind = TTitleSync::Inserted;
  return change;
}

void TTitleSorter::Sort(TTitleList& list, TTitleColumn column) {
  bool& ascending = m_ascending[static_cast<std::size_t>(column)];
  const auto before = [&](const TTitleRecord& a, const TTitleRecord& b) {
    if (column == TTitleColumn::Date) return ascending ? a.Day < b.Day : b.Day < a.Day;
    return ascending ? a.Title < b.Title : b.Title < a.Title;
  };
  std::stable_sort(list.begin(), list.end(), before);
  ascending = !ascending;
}

TTitleAction TitleActionOf(int stored) noexcept {
  return stored >= 0 && stored <= 7 ? static_cast<TTitleAction>(stored) : TTitleAction::None;
}

}  // namespace quillet
