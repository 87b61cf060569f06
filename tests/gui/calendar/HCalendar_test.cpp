// The painted month calendar offscreen: its size for every zoom and header
// choice, what a click at a point chooses (days, trail days, the selected
// day, header rows), hot tracking, and what the pixels show (the selection's
// fill and outline, bold marks, holidays in the Sunday colour).
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QHelpEvent>
#include <gtest/gtest.h>

#include <vector>

#include "gui/calendar/HCalendar.h"

using namespace quillet;

namespace {

// The centre of the cell of week row `row`, column `column`.
QPoint Centre(const THCalendar& c, int row, int column) { return c.CellRect(row, column).center(); }

void MoveMouse(THCalendar& c, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, QPointF(at), c.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&c, &move);
}

std::vector<TDate> Clicks(THCalendar& c, std::initializer_list<QPoint> points) {
  std::vector<TDate> moves;
  QObject::connect(&c, &THCalendar::MoveDate, &c, [&moves](TDate d) { moves.push_back(d); });
  for (QPoint p : points) QTest::mouseClick(&c, Qt::LeftButton, Qt::NoModifier, p);
  QObject::disconnect(&c, &THCalendar::MoveDate, &c, nullptr);
  return moves;
}

// Pixels of `rect` whose colour is close to `color` (text is antialiased).
int PixelsNear(const QImage& image, const QRect& rect, const QColor& color) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor p = image.pixelColor(x, y);
      if (std::abs(p.red() - color.red()) + std::abs(p.green() - color.green()) +
              std::abs(p.blue() - color.blue()) < 60)
        ++count;
    }
  return count;
}

QImage Shot(THCalendar& c) { return c.grab().toImage(); }

}  // namespace

TEST(HCalendar, SizeFollowsRatioAndHeaderRows) {
  THCalendar c;
  EXPECT_EQ(c.size(), QSize(175, 160));
  c.SetRatio(7);  // "3倍"
  EXPECT_EQ(c.size(), QSize(245, 224));
  for (int bad : {0, -3}) {
    c.SetRatio(bad);
    EXPECT_EQ(c.size(), QSize(245, 224)) << bad;
  }
  THProperty p = c.HProperty();
  p.Title = false;
  p.Week = false;
  c.SetHProperty(p);
  EXPECT_EQ(c.size(), QSize(245, 168));
  // Without header rows the top row of the control is the first week.
  c.SetCurrent(MakeDate(2009, 2, 10));
  EXPECT_EQ(c.DateAt({3, 3}), MakeDate(2009, 2, 1));
}

TEST(HCalendar, ClicksChooseDays) {
  THCalendar c;
  c.SetCurrent(MakeDate(2005, 3, 7));  // March 2005 begins on a Tuesday
  EXPECT_EQ(c.DateAt(Centre(c, 0, 0)), MakeDate(2005, 2, 27));
  EXPECT_EQ(c.DateAt(Centre(c, 5, 6)), MakeDate(2005, 4, 9));
  EXPECT_FALSE(c.DateAt({10, 10}).has_value()) << "the title row is no day";

  // A day of the month, then the selected day again: both are reported.
  EXPECT_EQ(Clicks(c, {Centre(c, 2, 4), Centre(c, 2, 4)}),
            (std::vector<TDate>{MakeDate(2005, 3, 17), MakeDate(2005, 3, 17)}));
  EXPECT_EQ(c.Current(), MakeDate(2005, 3, 17));
  // A grey day of the next month switches the month, reported once.
  EXPECT_EQ(Clicks(c, {Centre(c, 4, 5)}), std::vector<TDate>{MakeDate(2005, 4, 1)});
  EXPECT_EQ(c.Current(), MakeDate(2005, 4, 1));
  QSignalSpy doubles(&c, &THCalendar::DoubleClicked);
  QTest::mouseDClick(&c, Qt::LeftButton, Qt::NoModifier, Centre(c, 1, 1));
  EXPECT_EQ(doubles.count(), 1);

  // Without the selection, or with MoveByClick off, clicks choose nothing.
  THProperty p = c.HProperty();
  p.Select = false;
  c.SetHProperty(p);
  EXPECT_TRUE(Clicks(c, {Centre(c, 3, 3)}).empty());
  p.Select = true;
  c.SetHProperty(p);
  c.SetMoveByClick(false);
  EXPECT_TRUE(Clicks(c, {Centre(c, 3, 3)}).empty());
}

TEST(HCalendar, SetCurrentReportsBeforeItStores) {
  THCalendar c;
  c.SetCurrent(MakeDate(2009, 2, 1));
  TDate seenInside{};
  QObject::connect(&c, &THCalendar::MoveDate, &c, [&](TDate) { seenInside = c.Current(); });
  c.SetCurrent(MakeDate(2009, 3, 5));
  EXPECT_EQ(seenInside, MakeDate(2009, 2, 1));
  EXPECT_EQ(c.Current(), MakeDate(2009, 3, 5));
}

TEST(HCalendar, HotTrackingTakesTheMiddleThirdOfADayOfTheMonth) {
  THCalendar c;
  c.SetCurrent(MakeDate(2009, 2, 1));  // begins on a Sunday: rows 4 and 5 are March
  const QRect inner = c.InnerRect(1, 3);
  MoveMouse(c, inner.center());
  EXPECT_EQ(c.HotDate(), MakeDate(2009, 2, 11));
  EXPECT_EQ(c.cursor().shape(), Qt::PointingHandCursor);
  MoveMouse(c, inner.topLeft());  // the same cell, outside its middle third
  EXPECT_FALSE(c.HotDate().has_value());
  EXPECT_EQ(c.cursor().shape(), Qt::ArrowCursor);
  MoveMouse(c, c.InnerRect(4, 2).center());  // a March day
  EXPECT_FALSE(c.HotDate().has_value());
  c.SetHotTrack(false);
  MoveMouse(c, inner.center());
  EXPECT_FALSE(c.HotDate().has_value());
}

TEST(HCalendar, BoldMarksAndDrawDayIgnoreDaysOutsideTheMonth) {
  THCalendar c;
  c.SetCurrent(MakeDate(2005, 4, 7));
  for (int day : {0, 32, -1}) c.SetBoldDay(day, true);
  for (int day = 1; day <= 31; ++day) EXPECT_FALSE(c.BoldDay(day)) << day;
  c.SetBoldDay(31, true);  // kept, though April never shows it
  EXPECT_TRUE(c.BoldDay(31));
  c.DrawDay(31);  // nothing to draw in a 30-day month; must not touch a cell
  c.ClearBoldDays();
  EXPECT_FALSE(c.BoldDay(31));
}

TEST(HCalendar, PixelsShowSelectionBoldAndHolidays) {
  THCalendar c;
  c.resize(c.size());
  THColors colors = c.HColors();
  colors.Color = clWhite;
  colors.SelectColor = 0x555555;
  c.SetHColors(colors);
  c.SetCurrent(MakeDate(2021, 7, 1));  // Thursday; 22 and 23 July are moved holidays
  const QColor select(0x55, 0x55, 0x55);
  const QColor red(255, 0, 0);

  QImage image = Shot(c);
  const QRect selected = c.SelectedCellRect();
  EXPECT_EQ(image.pixelColor(selected.topLeft()), select);
  EXPECT_EQ(image.pixelColor(selected.bottomRight()), select);
  // 22 July (Thursday) in the Sunday colour, 21 July (Wednesday) not.
  EXPECT_GT(PixelsNear(image, c.InnerRect(3, 4), red), 3);
  EXPECT_EQ(PixelsNear(image, c.InnerRect(3, 3), red), 0);

  // Without the holiday switch 22 July is an ordinary Thursday.
  THProperty p = c.HProperty();
  p.Holiday = false;
  p.SelectType = TSelectType::stFrame;
  c.SetHProperty(p);
  image = Shot(c);
  EXPECT_EQ(PixelsNear(image, c.InnerRect(3, 4), red), 0);
  // An outline: the edge in the selection colour, the inside the background.
  EXPECT_EQ(image.pixelColor(selected.topLeft()), select);
  EXPECT_EQ(image.pixelColor(selected.topLeft() + QPoint(1, 1)), QColor(Qt::white));

  // The tool tip names the holiday, with the holiday switch on.
  p.Holiday = true;
  c.SetHProperty(p);
  const QPoint at = c.CellRect(3, 4).center();
  QHelpEvent help(QEvent::ToolTip, at, c.mapToGlobal(at));
  QApplication::sendEvent(&c, &help);
  EXPECT_EQ(QToolTip::text(), "海の日");

  // A bold number has more ink than the same number plain.
  const QRect day14 = c.InnerRect(2, 3);
  const int plain = PixelsNear(image, day14, QColor(Qt::black));
  c.SetBoldDay(14, true);
  EXPECT_GT(PixelsNear(Shot(c), day14, QColor(Qt::black)), plain);
}
