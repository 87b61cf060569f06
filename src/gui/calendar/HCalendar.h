// THCalendar: a painted month calendar, Sunday first.
//
// One month is drawn as seven columns and six week rows, optionally topped by
// a title row ("2005年3月") and a weekday row. The free cells show the days of
// the neighbouring months (trail days); one day is selected (`Current`, whose
// month is always the month shown); chosen days print in bold; the day under
// the mouse is hot-tracked; a click reports the chosen day through MoveDate.
//
// The whole size follows from one zoom factor: a column is 5 × Ratio pixels
// wide, a row 4 × Ratio high, so Ratio 5 with both header rows gives
// 175 × 160. Rows are laid out, from the top: title (when shown), weekday row
// (when shown), then the six week rows of the day area.
//
// Painting is state-driven: every paint draws the whole state (the month, the
// marks, the selection, the hot day) clipped to what needs it, so a cell
// redrawn alone always looks as a full paint would draw it. Japan's national
// holidays are drawn like Sundays unless THProperty::Holiday is off, and the
// tool tip of a holiday cell gives its name.
#pragma once

#include <QFont>
#include <QWidget>
#include <array>
#include <bitset>
#include <optional>
#include <string_view>

#include "core/app/HColor.h"
#include "core/store/UDate.h"

class QMenu;

namespace quillet {

// Colours of the areas, in the stored format's encoding (system colours
// resolve through the widget's palette when drawn).
struct THColors {
  TColorRef Color = clWindow;           // background of the control and the day cells
  TColorRef FrameColor = clSilver;      // outer frame
  TColorRef GridLinesColor = clSilver;  // grid lines
  TColorRef HotTrackColor = clHotLight; // number of the hot day
  TColorRef SelectColor = 0x555555;     // fill or outline of the selected day
  TColorRef TitleColor = clWindow;      // background of the title row
  TColorRef WeekColor = 0x555555;       // background of the weekday row
};

// A font with its text colour.
struct THFont {
  QFont Font;
  TColorRef Color = clWindowText;
};

// The nine fonts. Each starts as the application's default font in its own
// colour.
struct THFonts {
  THFont AtSelFont{{}, clWindow};       // the selected day
  THFont SatFont{{}, clSkyBlue};        // Saturday numbers
  THFont StrFont{{}, clWindowText};     // Monday .. Friday numbers
  THFont SunFont{{}, clRed};            // Sunday and holiday numbers
  THFont TitleFont{{}, clWindowText};   // title row
  THFont TrailFont{{}, clGray};         // days of the neighbouring months
  THFont WeekSatFont{{}, clWindow};     // Saturday label of the weekday row
  THFont WeekStrFont{{}, clWindow};     // Monday .. Friday labels
  THFont WeekSunFont{{}, clWindow};     // Sunday label
};

enum class TSelectType { stFill, stFrame };
enum class TTitleArrangement { taLeft, taRight };

// Visibility and style switches. Title, Trail and Week change the size.
struct THProperty {
  bool Frame = true;
  bool GridLines = true;
  bool Select = true;  // show the selected day and let clicks select
  TSelectType SelectType = TSelectType::stFill;
  bool Title = true;
  TTitleArrangement TitleArrangement = TTitleArrangement::taRight;
  bool Trail = true;
  bool Week = true;
  bool Holiday = true;  // national holidays in the Sunday font
};

class THCalendar : public QWidget {
  Q_OBJECT

public:
  // Today selected, Ratio 5, every default above.
  explicit THCalendar(QWidget* parent = nullptr);

  TDate Current() const { return m_current; }
  // A different date: MoveDate(date) is emitted first, then the date is
  // stored and the control repainted. The same date does nothing.
  void SetCurrent(TDate date);

  int Ratio() const { return m_ratio; }
  // Ignored unless it differs and is at least 1; resizes the control.
  void SetRatio(int ratio);
  int ColWidth() const { return m_colWidth; }
  int RowHeight() const { return m_rowHeight; }

  bool HotTrack() const { return m_hotTrack; }
  void SetHotTrack(bool on);
  Qt::CursorShape HotCursor() const { return m_hotCursor; }
  void SetHotCursor(Qt::CursorShape shape);
  bool MoveByClick() const { return m_moveByClick; }
  void SetMoveByClick(bool on) { m_moveByClick = on; }

  const THColors& HColors() const { return m_colors; }
  void SetHColors(const THColors& colors);
  const THFonts& HFonts() const { return m_fonts; }
  void SetHFonts(const THFonts& fonts);
  const THProperty& HProperty() const { return m_property; }
  // Resizes when Title, Trail or Week changed, else repaints.
  void SetHProperty(const THProperty& property);

  // Weekday label of index 0 (Sunday) .. 6 (Saturday); other indices are
  // ignored.
  QString WeekLabel(int index) const;
  void SetWeekLabel(int index, const QString& text);

  // Bold mark of day 1..31; other days are ignored.
  bool BoldDay(int day) const;
  void SetBoldDay(int day, bool bold);
  void ClearBoldDays();

  // Between BeginUpdate and EndUpdate repaint requests are dropped; EndUpdate
  // repaints once. Calls do not nest.
  void BeginUpdate() { m_painting = false; }
  void EndUpdate();

  // Redraws the number of one day of the shown month (after a save changed
  // its mark). Days outside the month do nothing.
  void DrawDay(int day);

  // Geometry, in control coordinates (right and bottom exclusive).
  int HeaderRows() const;
  // The whole grid: (0, 0, 7 × ColWidth, RowHeight × (6 + HeaderRows)).
  QRect GridRect() const;
  // Cell of week row 0..5 and column 0 (Sunday) .. 6, and its inner
  // rectangle: left and top in by one pixel, and in the Saturday column and
  // the last week row also the right or bottom, so frame and grid lines stay
  // untouched when a cell is filled.
  QRect CellRect(int row, int column) const;
  QRect InnerRect(int row, int column) const;
  // The date drawn at a point of the day area (cells before the 1st or after
  // the last day give dates of the neighbouring months); nothing outside the
  // day area.
  std::optional<TDate> DateAt(QPoint point) const;
  // The inner rectangle of the selected day's cell.
  QRect SelectedCellRect() const;
  // The hot day, while one is drawn hot.
  std::optional<TDate> HotDate() const;

  // The menu shown on a right click; not owned.
  void SetPopupMenu(QMenu* menu) { m_popup = menu; }

signals:
  // A newly chosen date: from SetCurrent before the date is stored, and from
  // a click on a day of the shown month (also the selected one) after it.
  void MoveDate(TDate toDate);
  void DoubleClicked();

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool event(QEvent* event) override;

private:
  void AdjustBounds();
  // A repaint request of the whole control (taking away the hot look) or of
  // one rectangle; dropped while painting is off.
  void Invalidate();
  void Invalidate(const QRect& rect);
  int LeadingCells() const;
  // Week row and column of a day of the shown month.
  QPoint CellOfDay(int day) const;
  const THFont& DayFont(TDate date, int column) const;
  void DrawNumber(QPainter& painter, const QRect& cell, int number, const THFont& font, bool bold, bool underline,
                  TColorRef colorOverride = clNone) const;
  void TrackHotCell(QPoint point);
  // The holiday name of each day (1..31) of the shown month, empty for an
  // ordinary day; computed once per month.
  const std::array<std::string_view, 32>& MonthHolidays() const;

  TDate m_current;
  int m_ratio = 5;
  int m_colWidth = 25;
  int m_rowHeight = 20;
  std::bitset<32> m_bold;
  bool m_painting = true;
  bool m_hotTrack = true;
  Qt::CursorShape m_hotCursor = Qt::PointingHandCursor;
  bool m_moveByClick = true;
  bool m_hot = false;
  TDate m_hotDate;
  QRect m_hotRect;
  THColors m_colors;
  THFonts m_fonts;
  THProperty m_property;
  std::array<QString, 7> m_weekLabels;
  QMenu* m_popup = nullptr;
  mutable int m_holidayMonth = -1;  // year * 12 + month - 1 of the cache
  mutable std::array<std::string_view, 32> m_holidays{};
};

}  // namespace quillet
