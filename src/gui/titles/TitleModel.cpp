// The title list's rows (see TitleModel.h).
#include "gui/titles/TitleModel.h"

#include "core/base/CodePage.h"
#include "core/calendar/Holidays.h"
#include "gui/editor/EditorClipboard.h"

namespace quillet {
namespace {

constexpr int kSaturday = 6;
constexpr int kSunday = 7;

}  // namespace

TTitleModel::TTitleModel(QObject* parent) : QAbstractTableModel(parent) {}

int TTitleModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int TTitleModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TTitleModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TTitleRecord& record = Record(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return FromCp932(index.column() == 0 ? record.Caption : record.Title);
    case Qt::DecorationRole:
      if (index.column() != 0 || !m_mark || m_image.isNull()) return {};
      return record.Day == m_markDay ? m_icon : m_blank;
    case Qt::ForegroundRole:
      if (!m_emphasis) return {};
      if (IsSundayLike(record) && m_sunday.isValid()) return m_sunday;
      if (record.Weekday == kSaturday && m_saturday.isValid()) return m_saturday;
      return {};
    default:
      return {};
  }
}

QVariant TTitleModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == 0 ? QStringLiteral("日付") : QStringLiteral("タイトル");
}

bool TTitleModel::IsSundayLike(const TTitleRecord& record) const {
  return record.Weekday == kSunday || m_holidays.test(static_cast<std::size_t>(record.Day));
}

void TTitleModel::Clear(int year, int month) {
  beginResetModel();
  m_records.clear();
  m_holidays.reset();
  const auto names = HolidaysOfMonth(year, month);
  for (std::size_t day = 1; day < names.size(); ++day) m_holidays.set(day, !names[day].empty());
  endResetModel();
}

void TTitleModel::SetRecords(TTitleList records) {
  beginResetModel();
  m_records = std::move(records);
  endResetModel();
}

TTitleSyncChange TTitleModel::Synchronize(TTitleRecord record, bool dayEmpty) {
  const int listed = FindTitleRow(m_records, record.Day);
  TTitleList after = m_records;
  // Worked out on a copy first, so the view hears of the change before it
  // happens, as it must for inserts and removals.
  const TTitleSyncChange change = SynchronizeTitle(after, record, dayEmpty);
  switch (change.Kind) {
    case TTitleSync::None:
      break;
    case TTitleSync::Updated:
      m_records = std::move(after);
      ChangedRow(change.Row);
      break;
    case TTitleSync::Inserted:
      beginInsertRows({}, change.Row, change.Row);
      m_records = std::move(after);
      endInsertRows();
      break;
    case TTitleSync::Removed:
      beginRemoveRows({}, listed, listed);
      m_records = std::move(after);
      endRemoveRows();
      break;
  }
  return change;
}

void TTitleModel::SetTitle(int row, std::string title) {
  if (row < 0 || row >= rowCount()) return;
  m_records[static_cast<std::size_t>(row)].Title = std::move(title);
  ChangedRow(row);
}

void TTitleModel::Sort(TTitleSorter& sorter, TTitleColumn column) {
  emit layoutAboutToBeChanged();
  const QModelIndexList before = persistentIndexList();
  std::vector<int> days;
  for (const QModelIndex& index : before) days.push_back(Record(index.row()).Day);
  sorter.Sort(m_records, column);
  // The selection and the current row stay on the same days.
  QModelIndexList after;
  for (std::size_t i = 0; i < days.size(); ++i)
    after.push_back(index(FindTitleRow(m_records, days[i]), before[static_cast<qsizetype>(i)].column()));
  changePersistentIndexList(before, after);
  emit layoutChanged();
}

void TTitleModel::SetMark(int day, bool mark, const QPixmap& image) {
  const int old = FindTitleRow(m_records, m_markDay);
  m_markDay = day;
  m_mark = mark;
  if (image.cacheKey() != m_image.cacheKey()) {
    m_image = image;
    // The same picture on a selected row: the style would tint it with the
    // selection colour otherwise.
    m_icon = QIcon();
    m_icon.addPixmap(image, QIcon::Normal);
    m_icon.addPixmap(image, QIcon::Selected);
    QPixmap blank(image.size());
    blank.fill(Qt::transparent);
    m_blank = QIcon(blank);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
  }
  if (old >= 0) ChangedRow(old);
  if (const int row = FindTitleRow(m_records, day); row >= 0) ChangedRow(row);
}

void TTitleModel::SetWeekColors(bool emphasis, const QColor& saturday, const QColor& sunday) {
  m_emphasis = emphasis;
  m_saturday = saturday;
  m_sunday = sunday;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 1), {Qt::ForegroundRole});
}

void TTitleModel::ChangedRow(int row) { emit dataChanged(index(row, 0), index(row, 1)); }

}  // namespace quillet
