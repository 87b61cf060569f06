// TTitleModel: the title list's rows for its view. It owns the record list
// (TTitleList) and draws every cell from it by row index on demand, as a
// virtual list view does: column 0 the caption with the state image on the
// open day's row, column 1 the title. It also knows the listed month's
// national holidays, so that the colour of a row follows its weekday and
// the calendar's holidays alike.
//
// Changes go through the operations below, which tell the view exactly what
// changed (rows inserted, removed or changed, the order). User-interface
// thread only.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <bitset>

#include "core/titles/TitleList.h"

namespace quillet {

class TTitleModel : public QAbstractTableModel {
  Q_OBJECT

public:
  explicit TTitleModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const TTitleList& Records() const { return m_records; }
  const TTitleRecord& Record(int row) const { return m_records[static_cast<std::size_t>(row)]; }

  // Empties the list and makes `year`/`month` the listed month.
  void Clear(int year, int month);
  // The collected rows of the listed month.
  void SetRecords(TTitleList records);
  TTitleSyncChange Synchronize(TTitleRecord record, bool dayEmpty);
  void SetTitle(int row, std::string title);
  void Sort(TTitleSorter& sorter, TTitleColumn column);

  // The open day, whose row shows `image` while `mark` is set; rows without
  // it keep an empty space of the same size, so captions stay aligned.
  void SetMark(int day, bool mark, const QPixmap& image);
  int MarkDay() const { return m_markDay; }
  // Text colours of weekend and holiday rows; invalid colours (or `emphasis`
  // off) leave those rows in the list's text colour.
  void SetWeekColors(bool emphasis, const QColor& saturday, const QColor& sunday);
  // Sundays and national holidays read as Sundays.
  bool IsSundayLike(const TTitleRecord& record) const;

private:
  void ChangedRow(int row);

  TTitleList m_records;
  std::bitset<32> m_holidays;
  int m_markDay = 0;
  bool m_mark = true;
  QPixmap m_image;
  QIcon m_icon;   // m_image in every mode
  QIcon m_blank;  // as large, see-through
  bool m_emphasis = true;
  QColor m_saturday;
  QColor m_sunday;
};

}  // namespace quillet
