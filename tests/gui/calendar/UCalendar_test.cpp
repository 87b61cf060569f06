// The calendar page in the real main window: it follows the open day, marks
// the days whose entry file has content (also after saves), opens a day on a
// click, keeps the open day when its save fails, zooms, reads its settings
// section, and hands the day's file and folder to the outside tools.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <filesystem>

#include "core/store/EntryStore.h"
#include "gui/app/Commands.h"
#include "gui/app/MainEditorPort.h"
#include "gui/calendar/HCalendar.h"
#include "gui/calendar/UCalendar.h"
#include "gui/app/MainWindowFixture.h"

using namespace quillet;

namespace {

class CalendarPageTest : public test::TMainWindowFixture {
protected:
  void ShowAtStart(const std::function<void(THIniFile&)>& more = {}) {
    Settings([&](THIniFile& ini) {
      ini.WriteBool("Calendar", "OnCreate", true);
      if (more) more(ini);
    });
  }
  static void Click(THCalendar& c, TDate date) {
    const TDate first = MakeDate(YearOf(c.Current()), MonthOf(c.Current()), 1);
    const int index = static_cast<int>((std::chrono::sys_days(date) - std::chrono::sys_days(first)).count()) +
                      (WeekdayMonday1(first) % 7);
    QTest::mouseClick(&c, Qt::LeftButton, Qt::NoModifier, c.CellRect(index / 7, index % 7).center());
  }
  static void Type(TFmMain& window, const std::string& text) {
    window.Editor().SetText(text);
    window.Editor().SetModified(true);
  }
  // Waits up to five seconds for a file an outside tool writes.
  static std::string WaitFor(const std::string& path) {
    QElapsedTimer timer;
    timer.start();
    while (!std::filesystem::exists(path) && timer.elapsed() < 5000) QTest::qWait(20);
    QTest::qWait(50);
    return Read(path);
  }
};

TEST_F(CalendarPageTest, FollowsTheOpenDayAndMarksDaysWithText) {
  Write("2005/3/1.txt", "x");
  Write("2005/3/2.txt", "");  // an empty file is no entry
  Write("2005/4/9.txt", "y");
  ShowAtStart();
  TFmMain window(BaseEnv());
  auto* page = window.Page<TCalendarObject>();
  ASSERT_NE(page, nullptr);
  THCalendar& c = page->Calendar();
  EXPECT_EQ(c.Current(), MakeDate(2005, 3, 7));
  EXPECT_TRUE(c.BoldDay(1));
  EXPECT_FALSE(c.BoldDay(2));

  // A grey day of April opens it, and April's marks are shown.
  Click(c, MakeDate(2005, 4, 2));
  EXPECT_EQ(window.CurrentDate(), MakeDate(2005, 4, 2));
  EXPECT_EQ(c.Current(), MakeDate(2005, 4, 2));
  EXPECT_TRUE(c.BoldDay(9));
  EXPECT_FALSE(c.BoldDay(1));
  // The menu's date commands move the calendar too.
  window.Action("ActPrevMonth")->trigger();
  EXPECT_EQ(c.Current(), MakeDate(2005, 3, 2));
  EXPECT_TRUE(c.BoldDay(1));

  // A save marks its day at once; emptying it takes the mark away, also
  // with the marking command off.
  Type(window, "text");
  ASSERT_TRUE(window.SaveEntry(false));
  EXPECT_TRUE(c.BoldDay(2));
  window.Action("ActCalendarBoldDays")->trigger();
  EXPECT_FALSE(c.BoldDay(1));
  window.Action("ActCalendarBoldDays")->trigger();
  EXPECT_TRUE(c.BoldDay(1));
  window.Action("ActCalendarBoldDays")->trigger();
  Type(window, "text");
  ASSERT_TRUE(window.SaveEntry(false));
  EXPECT_TRUE(c.BoldDay(2));
  Type(window, "");
  ASSERT_TRUE(window.SaveEntry(false));
  EXPECT_FALSE(c.BoldDay(2));
}

TEST_F(CalendarPageTest, AFailedSaveKeepsTheCalendarOnTheOpenDay) {
  ShowAtStart();
  TFmMain window(BaseEnv());
  THCalendar& c = window.Page<TCalendarObject>()->Calendar();
  // A file where the year folder should be: the month folder cannot be made.
  Write("2005", "");
  Type(window, "keep me");
  for (const TDate other : {MakeDate(2005, 3, 20), MakeDate(2005, 4, 1)}) {
    Click(c, other);
    QTest::qWait(10);
    EXPECT_EQ(window.CurrentDate(), MakeDate(2005, 3, 7));
    EXPECT_EQ(c.Current(), MakeDate(2005, 3, 7));
  }
  EXPECT_EQ(window.Editor().Text(), "keep me");
}

TEST_F(CalendarPageTest, CommandsEnableWithThePageAndZoomSetsTheSize) {
  TFmMain window(BaseEnv());
  QAction* ratioMenu = window.Commands().MenuItem("MenuCalendarRatio");
  EXPECT_FALSE(ratioMenu->isEnabled());
  EXPECT_FALSE(window.Action("ActCalendarBoldDays")->isEnabled());
  EXPECT_TRUE(window.Action("ActCalendarRatio1")->isChecked());
  window.Action("ActCalendarShow")->trigger();
  auto* page = window.Page<TCalendarObject>();
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(ratioMenu->isEnabled());
  EXPECT_FALSE(window.Action("ActCalendarShow")->isEnabled());
  EXPECT_EQ(page->Calendar().size(), QSize(175, 160));
  window.Action("ActCalendarRatio3")->trigger();  // "3倍(&C)"
  EXPECT_EQ(page->Calendar().size(), QSize(245, 224));
  window.Action("ActCalendarHide")->trigger();
  EXPECT_EQ(window.Page<TCalendarObject>(), nullptr);
  EXPECT_TRUE(window.Action("ActCalendarShow")->isEnabled());
  window.RunCloseSequence();
  THIniFile ini(Ini(), false);
  EXPECT_EQ(ini.ReadInteger("Calendar", "Ratio", -1), 2);
  EXPECT_FALSE(ini.ReadBool("Calendar", "OnCreate", true));

  // The next start builds the page at that zoom.
  ShowAtStart();
  TFmMain second(BaseEnv());
  EXPECT_TRUE(second.Action("ActCalendarRatio3")->isChecked());
  EXPECT_EQ(second.Page<TCalendarObject>()->Calendar().size(), QSize(245, 224));
}

TEST_F(CalendarPageTest, SettingsSectionShapesTheControl) {
  ShowAtStart([](THIniFile& ini) {
    ini.WriteInteger("Calendar", "TitleStyle", 5);
    ini.WriteInteger("Calendar", "WeekStyle", 1);
    ini.WriteInteger("Calendar", "SelectStyle", 1);
    ini.WriteBool("Calendar", "FrameVisible", false);
    ini.WriteBool("Calendar", "WeekVisible", false);
    ini.WriteBool("Calendar", "Holiday", false);
    ini.WriteString("Calendar", "FrameColor", "clRed");
    ini.WriteString("Calendar", "SunFontColor", "$00FF0000");
    ini.WriteString("Calendar", "SunFontSize", "14");
  });
  TFmMain window(BaseEnv());
  const THCalendar& c = window.Page<TCalendarObject>()->Calendar();
  const THProperty& p = c.HProperty();
  EXPECT_EQ(p.TitleArrangement, TTitleArrangement::taLeft);
  EXPECT_EQ(p.SelectType, TSelectType::stFrame);
  EXPECT_FALSE(p.Frame);
  EXPECT_FALSE(p.GridLines);
  EXPECT_FALSE(p.Holiday);
  EXPECT_TRUE(p.Title);
  EXPECT_EQ(c.WeekLabel(0), "Sun");
  EXPECT_EQ(c.HColors().GridLinesColor, clRed);
  EXPECT_EQ(c.HFonts().SunFont.Color, clBlue);
  EXPECT_EQ(c.HFonts().SunFont.Font.pointSize(), 14);
  EXPECT_EQ(c.HFonts().SatFont.Color, clSkyBlue);  // untouched keys keep the defaults
  EXPECT_EQ(c.size(), QSize(175, 140));
}

TEST_F(CalendarPageTest, TheDayAndItsFolderGoToTheOutsideTools) {
  const std::string log = app + "tool.log";
  Write("tool", "#!/bin/sh\nprintf '%s' \"$1\" > '" + log + "'\n");
  std::filesystem::permissions(app + "tool", std::filesystem::perms::owner_all);
  ShowAtStart([&](THIniFile& ini) {
    ini.WriteString("Window", "ToolEditor", app + "tool");
    ini.WriteString("Window", "ToolFiler", app + "tool");
  });
  TFmMain window(BaseEnv());
  auto* page = window.Page<TCalendarObject>();
  // A day without an entry: its file is created empty for the editor.
  QTest::mouseDClick(&page->Calendar(), Qt::LeftButton, Qt::NoModifier, page->Calendar().CellRect(1, 1).center());
  EXPECT_EQ(WaitFor(log), app + "2005/3/7.txt");
  EXPECT_EQ(Read(app + "2005/3/7.txt"), "");
  std::filesystem::remove(log);
  for (QAction* action : page->Popup().actions())
    if (action->objectName() == "CalPopOpenDir") action->trigger();
  EXPECT_EQ(WaitFor(log), app + "2005/3/");
}

}  // namespace
