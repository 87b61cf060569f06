#include "gui/calendar/HCalendar.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "core/calendar/Holidays.h"
#include "core/calendar/MonthGrid.h"
#include "gui/editor/EditorColors.h"

namespace quillet {

namespace {

// Integer division rounding towards minus infinity, so that points left of
// or above the grid never land in column or row 1.
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Half of n rounded up, also for negative n (a text wider than its cell).
int CeilHalf(int n) { return n >= 0 ? (n + 1) / 2 : -(-n / 2); }

}  // namespace

THCalendar::THCalendar(QWidget* parent)
    : QWidget(parent),
      m_current(Today()),
      m_weekLabels{QStringLiteral("日"), QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"),
                   QStringLiteral("木"), QStringLiteral("金"), QStringLiteral("土")} {
  setMouseTracking(true);
  AdjustBounds();
}

void THCalendar::SetCurrent(TDate date) {
  if (date == m_current || !date.ok()) return;
  emit MoveDate(date);
  m_current = date;
  Invalidate();
}

void THCalendar::SetRatio(int ratio) {
  if (ratio == m_ratio || ratio < 1) return;
  m_ratio = ratio;
  m_colWidth = 5 * ratio;
  m_rowHeight = 4 * ratio;
  AdjustBounds();
}

void THCalendar::SetHotTrack(bool on) {
  if (on == m_hotTrack) return;
  m_hotTrack = on;
  Invalidate();
}

void THCalendar::SetHotCursor(Qt::CursorShape shape) {
  if (shape == m_hotCursor) return;
  m_hotCursor = shape;
  Invalidate();
}

void THCalendar::SetHColors(const THColors& colors) {
  m_colors = colors;
  Invalidate();
}

void THCalendar::SetHFonts(const THFonts& fonts) {
  m_fonts = fonts;
  Invalidate();
}

void THCalendar::SetHProperty(const THProperty& property) {
  const bool resize = property.Title != m_property.Title || property.Trail != m_property.Trail ||
                      property.Week != m_property.Week;
  m_property = property;
  if (resize)
    AdjustBounds();
  else
    Invalidate();
}

QString THCalendar::WeekLabel(int index) const {
  return index >= 0 && index < 7 ? m_weekLabels[static_cast<std::size_t>(index)] : QString();
}

void THCalendar::SetWeekLabel(int index, const QString& text) {
  if (index < 0 || index >= 7) return;
  m_weekLabels[static_cast<std::size_t>(index)] = text;
  Invalidate();
}

bool THCalendar::BoldDay(int day) const { return day >= 1 && day <= 31 && m_bold.test(static_cast<std::size_t>(day)); }

void THCalendar::SetBoldDay(int day, bool bold) {
  if (day < 1 || day > 31 || BoldDay(day) == bold) return;
  m_bold.set(static_cast<std::size_t>(day), bold);
  Invalidate();
}

void THCalendar::ClearBoldDays() {
  m_bold.reset();
  Invalidate();
}

void THCalendar::EndUpdate() {
  m_painting = true;
  Invalidate();
}

void THCalendar::DrawDay(int day) {
  if (day < 1 || day > DaysInMonth(YearOf(m_current), MonthOf(m_current))) return;
  const QPoint cell = CellOfDay(day);
  Invalidate(CellRect(cell.y(), cell.x()));
}

int THCalendar::HeaderRows() const { return (m_property.Title ? 1 : 0) + (m_property.Week ? 1 : 0); }

QRect THCalendar::GridRect() const { return {0, 0, 7 * m_colWidth, m_rowHeight * (6 + HeaderRows())}; }

QRect THCalendar::CellRect(int row, int column) const {
  const int top = HeaderRows() * m_rowHeight;
  return {column * m_colWidth, top + row * m_rowHeight, m_colWidth, m_rowHeight};
}

QRect THCalendar::InnerRect(int row, int column) const {
  QRect r = CellRect(row, column).adjusted(1, 1, 0, 0);
  if (column == 6) r.setRight(r.right() - 1);
  if (row == 5) r.setBottom(r.bottom() - 1);
  return r;
}

std::optional<TDate> THCalendar::DateAt(QPoint point) const {
  const int top = HeaderRows() * m_rowHeight;
  if (point.y() < top || point.x() < 0) return std::nullopt;
  // Counted from the top left cell as the grid shows them; a point below or
  // right of the grid continues the count, as the rows and columns would.
  const int column = std::min(FloorDiv(point.x(), m_colWidth), 7);
  const int row = std::min(FloorDiv(point.y() - top, m_rowHeight), 6);
  return AddDays(MakeDate(YearOf(m_current), MonthOf(m_current), 1), row * 7 + column - LeadingCells());
}

QRect THCalendar::SelectedCellRect() const {
  const QPoint cell = CellOfDay(DayOf(m_current));
  return InnerRect(cell.y(), cell.x());
}

std::optional<TDate> THCalendar::HotDate() const {
  if (!m_hot) return std::nullopt;
  return m_hotDate;
}

void THCalendar::AdjustBounds() {
  setFixedSize(GridRect().size());
  Invalidate();
}

void THCalendar::Invalidate() {
  if (!m_painting) return;
  m_hot = false;  // a full paint draws the hot day as an ordinary one
  update();
}

void THCalendar::Invalidate(const QRect& rect) {
  if (m_painting) update(rect);
}

int THCalendar::LeadingCells() const { return MakeMonthGrid(YearOf(m_current), MonthOf(m_current)).LeadingCells; }

QPoint THCalendar::CellOfDay(int day) const {
  const int index = day - 1 + LeadingCells();
  return {index % 7, index / 7};
}

const std::array<std::string_view, 32>& THCalendar::MonthHolidays() const {
  const int year = YearOf(m_current);
  const int month = MonthOf(m_current);
  if (m_holidayMonth != year * 12 + month - 1) {
    m_holidays = HolidaysOfMonth(year, month);
    m_holidayMonth = year * 12 + month - 1;
  }
  return m_holidays;
}

const THFont& THCalendar::DayFont(TDate date, int column) const {
  if (column == 0) return m_fonts.SunFont;
  if (m_property.Holiday && !IsOtherMonth(date, m_current) &&
      !MonthHolidays()[static_cast<std::size_t>(DayOf(date))].empty())
    return m_fonts.SunFont;
  return column == 6 ? m_fonts.SatFont : m_fonts.StrFont;
}

// Numbers and labels are centred in their cell: x rounds the free space up,
// y down, from the cell's top left corner.
void THCalendar::DrawNumber(QPainter& painter, const QRect& cell, int number, const THFont& font, bool bold,
                            bool underline, TColorRef colorOverride) const {
  QFont f = font.Font;
  if (bold) f.setBold(true);
  if (underline) f.setUnderline(true);
  painter.setFont(f);
  painter.setPen(ToQColor(colorOverride != clNone ? colorOverride : font.Color, palette()));
  const QFontMetrics metrics(f);
  const QString text = QString::number(number);
  const int width = metrics.horizontalAdvance(text);
  const int x = cell.left() + CeilHalf(m_colWidth - width);
  const int y = cell.top() + (m_rowHeight - metrics.height()) / 2;
  painter.drawText(x, y + metrics.ascent(), text);
}

void THCalendar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPalette& pal = palette();
  const QColor background = ToQColor(m_colors.Color, pal);
  painter.fillRect(rect(), background);

  const QRect grid = GridRect();
  const int top = HeaderRows() * m_rowHeight;
  if (m_property.Frame) {
    painter.setPen(ToQColor(m_colors.FrameColor, pal));
    painter.drawRect(grid.adjusted(0, 0, -1, -1));
  }
  if (m_property.GridLines) {
    painter.setPen(ToQColor(m_colors.GridLinesColor, pal));
    for (int i = 1; i <= 6; ++i) painter.drawLine(i * m_colWidth, top, i * m_colWidth, grid.bottom());
    // Without trail days the last row has no line above it of its own.
    const int lines = m_property.Trail ? 5 : 4;
    for (int i = 0; i <= lines; ++i) painter.drawLine(0, top + i * m_rowHeight, grid.right(), top + i * m_rowHeight);
  }

  int headerRow = 0;
  if (m_property.Title) {
    painter.fillRect(QRect(0, 0, width(), m_rowHeight), ToQColor(m_colors.TitleColor, pal));
    const QString text = QStringLiteral("%1年%2月").arg(YearOf(m_current)).arg(MonthOf(m_current));
    const QFontMetrics metrics(m_fonts.TitleFont.Font);
    const int textWidth = metrics.horizontalAdvance(text);
    const int x = m_property.TitleArrangement == TTitleArrangement::taLeft ? 5 : width() - textWidth - 5;
    const int y = m_rowHeight - metrics.height() - 1;
    painter.setFont(m_fonts.TitleFont.Font);
    painter.setPen(ToQColor(m_fonts.TitleFont.Color, pal));
    painter.drawText(x, y + metrics.ascent(), text);
    ++headerRow;
  }
  if (m_property.Week) {
    const int y0 = headerRow * m_rowHeight;
    painter.fillRect(QRect(0, y0, width(), m_rowHeight), ToQColor(m_colors.WeekColor, pal));
    for (int column = 0; column < 7; ++column) {
      const THFont& font = column == 0 ? m_fonts.WeekSunFont : column == 6 ? m_fonts.WeekSatFont : m_fonts.WeekStrFont;
      const QFontMetrics metrics(font.Font);
      const QString& label = m_weekLabels[static_cast<std::size_t>(column)];
      const int x = column * m_colWidth + CeilHalf(m_colWidth - metrics.horizontalAdvance(label));
      const int y = y0 + (m_rowHeight - metrics.height()) / 2;
      painter.setFont(font.Font);
      painter.setPen(ToQColor(font.Color, pal));
      painter.drawText(x, y + metrics.ascent(), label);
    }
  }

  const TMonthGrid monthGrid = MakeMonthGrid(YearOf(m_current), MonthOf(m_current));
  for (int index = 0; index < kGridCells; ++index) {
    const TMonthCell& cell = monthGrid.Cells[static_cast<std::size_t>(index)];
    const int row = index / 7;
    const int column = index % 7;
    const int day = DayOf(cell.Date);
    if (cell.Kind != TCellKind::ThisMonth) {
      if (m_property.Trail) DrawNumber(painter, CellRect(row, column), day, m_fonts.TrailFont, false, false);
      continue;
    }
    DrawNumber(painter, CellRect(row, column), day, DayFont(cell.Date, column), BoldDay(day), false);
  }

  const QPoint selected = CellOfDay(DayOf(m_current));
  if (m_property.Select) {
    const QRect r = SelectedCellRect();
    if (m_property.SelectType == TSelectType::stFill) {
      painter.fillRect(r, ToQColor(m_colors.SelectColor, pal));
    } else {
      painter.fillRect(r, background);
      painter.setPen(ToQColor(m_colors.SelectColor, pal));
      painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
    DrawNumber(painter, CellRect(selected.y(), selected.x()), DayOf(m_current), m_fonts.AtSelFont,
               BoldDay(DayOf(m_current)), false);
  }
  if (m_hot && m_hotDate != m_current) {
    painter.fillRect(m_hotRect, background);
    const int index = DayOf(m_hotDate) - 1 + LeadingCells();
    DrawNumber(painter, CellRect(index / 7, index % 7), DayOf(m_hotDate), DayFont(m_hotDate, index % 7),
               BoldDay(DayOf(m_hotDate)), true, m_colors.HotTrackColor);
  }
}

void THCalendar::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton || !m_moveByClick || !m_property.Select) return;
  const std::optional<TDate> date = DateAt(event->position().toPoint());
  if (!date || !IsDiaryDate(*date)) return;
  if (MonthOf(*date) != MonthOf(m_current) || YearOf(*date) != YearOf(m_current)) {
    SetCurrent(*date);
    return;
  }
  // A day of the shown month, the selected one included: it is chosen again.
  const QRect old = SelectedCellRect();
  m_current = *date;
  emit MoveDate(*date);
  Invalidate(old);
  Invalidate(SelectedCellRect());
}

void THCalendar::mouseDoubleClickEvent(QMouseEvent* event) {
  // Only the double click: its second press does not choose the day again.
  if (event->button() == Qt::LeftButton) emit DoubleClicked();
}

void THCalendar::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  TrackHotCell(event->position().toPoint());
}

void THCalendar::TrackHotCell(QPoint point) {
  if (m_hot) {
    m_hot = false;
    Invalidate(m_hotRect);
  }
  setCursor(Qt::ArrowCursor);
  if (!m_hotTrack) return;
  const std::optional<TDate> date = DateAt(point);
  if (!date || IsOtherMonth(*date, m_current)) return;
  const QPoint cell = CellOfDay(DayOf(*date));
  const QRect r = InnerRect(cell.y(), cell.x());
  // Only the middle third of the cell is hot, so that moving across the grid
  // does not flicker every cell it passes.
  const int a = m_colWidth / 3;
  const int b = m_rowHeight / 3;
  if (point.x() < r.left() + a || point.x() > r.left() + 2 * a || point.y() < r.top() + b ||
      point.y() > r.top() + 2 * b)
    return;
  m_hot = true;
  m_hotDate = *date;
  m_hotRect = r;
  setCursor(m_hotCursor);
  if (*date != m_current) Invalidate(r);
}

void THCalendar::contextMenuEvent(QContextMenuEvent* event) {
  if (m_popup) {
    m_popup->exec(event->globalPos());
    event->accept();
  } else {
    QWidget::contextMenuEvent(event);
  }
}

bool THCalendar::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const std::optional<TDate> date = DateAt(help->pos());
    std::string_view name;
    if (date && m_property.Holiday && !IsOtherMonth(*date, m_current))
      name = MonthHolidays()[static_cast<std::size_t>(DayOf(*date))];
    if (name.empty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), this);
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace quillet
