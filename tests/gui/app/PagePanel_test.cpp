// The side panel's pages through the real main window, with fake pages that
// log what the window tells them: "OnCreate" kept for pages this build does
// not have, the day and save notifications, the close order, the page
// commands and their enabling, and the panel's width and active page across
// a restart.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/store/EntryStore.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/PageRegistry.h"
#include "gui/app/PanelPage.h"
#include "gui/app/UMain.h"
#include "MainWindowFixture.h"

using namespace quillet;

namespace {

using TLog = std::vector<std::string>;

std::string Name(TPageKind kind) { return std::string(PageKindInfo(kind).name); }

std::string Iso(TDate date) {
  return QString::asprintf("%04d-%02d-%02d", YearOf(date), MonthOf(date), DayOf(date)).toStdString();
}

class TFakePage : public TPanelPage {
public:
  TFakePage(TPageKind kind, TLog& log)
      : TPanelPage(kind, QString::fromStdString(Name(kind) + "Sheet"), QString::fromStdString(Name(kind))),
        m_log(log) {}

  void ReadSettings(const THIniFile&) override { Log("read"); }
  void WriteSettings(THIniFile&) const override { Log("write"); }
  void OnDayLoaded(TDate date, bool otherMonth) override {
    Log("day " + Iso(date) + (otherMonth ? " other month" : ""));
  }
  void BeforeSave(TDate date) override { Log("before save " + Iso(date)); }
  bool Modified() const override { return modified; }
  void OnSaved(TDate date, const TSaveResult& result) override {
    Log("saved " + Iso(date) + (result.Marked ? " marked" : ""));
  }
  bool Release() override {
    Log("release" + (onRelease ? " " + onRelease() : std::string()));
    return releaseOk;
  }

  bool modified = false;
  bool releaseOk = true;
  std::function<std::string()> onRelease;  // what the page finds on disk then

private:
  void Log(const std::string& what) const { m_log.push_back(Name(Kind()) + ": " + what); }
  TLog& m_log;
};

// The typed lookup needs a class per kind.
class TFakeCalendar : public TFakePage {
public:
  static constexpr TPageKind kKind = TPageKind::Calendar;
  using TFakePage::TFakePage;
};

const TPageKind kAllKinds[] = {TPageKind::Calendar, TPageKind::Task, TPageKind::Viewer, TPageKind::Title};

class PagePanelTest : public test::TMainWindowFixture {
protected:
  TLog log;
  std::vector<TPageKind> built;  // the kinds this "build" has
  bool failCreate = false;

  TStartupEnv Env() {
    TStartupEnv env = BaseEnv();
    env.registerPages = [this](TPageRegistry& registry) {
      for (TPageKind kind : built)
        registry.Add(kind, [this, kind](TFmMain&) -> std::unique_ptr<TPanelPage> {
          if (failCreate) throw std::runtime_error("no page today");
          if (kind == TPageKind::Calendar) return std::make_unique<TFakeCalendar>(kind, log);
          return std::make_unique<TFakePage>(kind, log);
        });
    };
    return env;
  }
  static TFakePage* Fake(const TFmMain& window, TPageKind kind) {
    return dynamic_cast<TFakePage*>(window.FindPage(kind));
  }
  static QAction* Command(const TFmMain& window, TPageKind kind, const char* verb) {
    return window.Action(QString::fromStdString("Act" + Name(kind) + verb));
  }
  static QAction* Pop(const TFmMain& window, TPageKind kind) {
    return window.Action(QString::fromStdString("ActPop" + Name(kind)));
  }
  static QStringList Tabs(const TFmMain& window) {
    QStringList tabs;
    for (int i = 0; i < window.ObjectPCtrl()->count(); ++i) tabs << window.ObjectPCtrl()->tabText(i);
    return tabs;
  }
};

TEST_F(PagePanelTest, OnCreateOfPagesNotBuiltIsKeptAndBuiltOnesFollowTheirPage) {
  // A settings file from a build with every page; this one has tasks only.
  Settings([](THIniFile& ini) {
    ini.WriteBool("Calendar", "OnCreate", true);
    ini.WriteString("Calendar", "FrameColor", "clRed");
    ini.WriteBool("Task", "OnCreate", true);
    ini.WriteBool("Title", "OnCreate", false);
  });
  built = {TPageKind::Task};
  {
    TFmMain window(Env());
    ASSERT_NE(Fake(window, TPageKind::Task), nullptr);
    EXPECT_EQ(window.FindPage(TPageKind::Calendar), nullptr);
    window.close();
  }
  {
    const THIniFile ini(Ini(), false);
    EXPECT_EQ(ini.ReadString("Calendar", "OnCreate", ""), "1");  // formerly wiped to 0 at every close
    EXPECT_EQ(ini.ReadString("Calendar", "FrameColor", ""), "clRed");
    EXPECT_EQ(ini.ReadString("Title", "OnCreate", ""), "0");
    EXPECT_FALSE(ini.ValueExists("Viewer", "OnCreate"));
    EXPECT_EQ(ini.ReadString("Task", "OnCreate", ""), "1");
  }
  {
    TFmMain window(Env());
    Command(window, TPageKind::Task, "Hide")->trigger();
    window.close();
  }
  const THIniFile ini(Ini(), false);
  EXPECT_EQ(ini.ReadString("Task", "OnCreate", ""), "0");
  EXPECT_EQ(ini.ReadString("Calendar", "OnCreate", ""), "1");
}

TEST_F(PagePanelTest, APageFollowsTheDaysAndOnlyTheSavesThatActed) {
  Settings([](THIniFile& ini) { ini.WriteBool("Calendar", "OnCreate", true); });
  built = {TPageKind::Calendar};
  TFmMain window(Env());
  TFakePage* page = Fake(window, TPageKind::Calendar);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(log, (TLog{"Calendar: read", "Calendar: day 2005-03-07"}));

  log.clear();
  ASSERT_TRUE(window.ChangeDay(MakeDate(2005, 3, 8)));  // nothing typed: nothing written
  std::string text;
  ASSERT_TRUE(FromUtf8("雨", text));
  window.Editor().ReplaceSelection(text);
  ASSERT_TRUE(window.ChangeDay(MakeDate(2005, 4, 1)));
  page->modified = true;  // a change the page holds makes the entry count as modified
  ASSERT_TRUE(window.ChangeDay(MakeDate(2005, 3, 31)));
  page->modified = false;
  EXPECT_EQ(log, (TLog{"Calendar: before save 2005-03-07", "Calendar: day 2005-03-08",
                       "Calendar: before save 2005-03-08", "Calendar: saved 2005-03-08 marked",
                       "Calendar: day 2005-04-01 other month", "Calendar: before save 2005-04-01",
                       "Calendar: saved 2005-04-01", "Calendar: day 2005-03-31 other month"}));
}

TEST_F(PagePanelTest, CloseWritesSettingsSavesTheEntryThenReleasesThePagesInOrder) {
  Settings([](THIniFile& ini) {
    ini.WriteBool("Title", "OnCreate", true);
    ini.WriteBool("Calendar", "OnCreate", true);
  });
  built = {TPageKind::Title, TPageKind::Calendar};
  {
    TFmMain window(Env());
    for (TPageKind kind : {TPageKind::Calendar, TPageKind::Title})
      Fake(window, kind)->onRelease = [this] {
        QFile entry(QString::fromStdString(app + "2005/3/7.txt"));
        return entry.open(QIODevice::ReadOnly) ? "entry " + entry.readAll().toStdString() : std::string("no entry");
      };
    window.Editor().ReplaceSelection("abc");
    log.clear();
    window.close();
  }
  EXPECT_EQ(log, (TLog{"Calendar: write", "Title: write", "Calendar: before save 2005-03-07",
                       "Title: before save 2005-03-07", "Calendar: saved 2005-03-07 marked",
                       "Title: saved 2005-03-07 marked", "Calendar: release entry abc", "Title: release entry abc"}));
}

TEST_F(PagePanelTest, PageCommandsWithZeroOneAndFourPagesBuilt) {
  const std::vector<TPageKind> rows[] = {{}, {TPageKind::Viewer}, {kAllKinds, kAllKinds + 4}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.size());
    built = row;
    TFmMain window(Env());
    window.ShowMain();
    auto isBuilt = [&](TPageKind kind) { return std::find(row.begin(), row.end(), kind) != row.end(); };
    auto expectState = [&](TPageKind kind, bool exists) {
      SCOPED_TRACE(Name(kind));
      EXPECT_EQ(window.FindPage(kind) != nullptr, exists);
      EXPECT_EQ(Command(window, kind, "Show")->isEnabled(), isBuilt(kind) && !exists);
      EXPECT_EQ(Command(window, kind, "Activate")->isEnabled(), exists);
      EXPECT_EQ(Command(window, kind, "Hide")->isEnabled(), exists);
      EXPECT_EQ(Pop(window, kind)->isEnabled(), isBuilt(kind));
      EXPECT_EQ(Pop(window, kind)->isChecked(), exists);
    };
    for (TPageKind kind : kAllKinds) expectState(kind, false);
    EXPECT_FALSE(window.ObjectPanel()->isVisible());

    // Shown in reverse order, the tabs still stand in kind order.
    for (auto kind = row.rbegin(); kind != row.rend(); ++kind) {
      Command(window, *kind, "Show")->trigger();
      expectState(*kind, true);
      EXPECT_EQ(window.ObjectPCtrl()->currentWidget(), window.FindPage(*kind)->Sheet());
    }
    QStringList names;
    for (TPageKind kind : row) names << QString::fromStdString(Name(kind));
    EXPECT_EQ(Tabs(window), names);
    EXPECT_EQ(window.ObjectPanel()->isVisible(), !row.empty());
    EXPECT_EQ(window.Action("ActCalendarBoldDays")->isEnabled(), isBuilt(TPageKind::Calendar));
    EXPECT_EQ(window.Page<TFakeCalendar>() != nullptr, isBuilt(TPageKind::Calendar));
    if (!row.empty()) {
      Command(window, row.front(), "Activate")->trigger();
      EXPECT_EQ(window.ObjectPCtrl()->currentWidget(), window.FindPage(row.front())->Sheet());
    }

    // The panel's pop-up toggles hide what exists; the panel goes with the last page.
    for (TPageKind kind : row) {
      Pop(window, kind)->trigger();
      expectState(kind, false);
    }
    EXPECT_FALSE(window.ObjectPanel()->isVisible());
    EXPECT_TRUE(window.Page<TFakeCalendar>() == nullptr);
  }
}

TEST_F(PagePanelTest, FailedShowAndHideSayWhyAndKeepWhatExists) {
  built = {TPageKind::Task};
  TFmMain window(Env());
  failCreate = true;
  Command(window, TPageKind::Task, "Show")->trigger();
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), "生成に失敗しました");
  EXPECT_EQ(window.FindPage(TPageKind::Task), nullptr);
  EXPECT_TRUE(Command(window, TPageKind::Task, "Show")->isEnabled());

  failCreate = false;
  Pop(window, TPageKind::Task)->trigger();
  TFakePage* page = Fake(window, TPageKind::Task);
  ASSERT_NE(page, nullptr);
  page->releaseOk = false;  // its file cannot be written: it must stay
  Command(window, TPageKind::Task, "Hide")->trigger();
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), "破棄に失敗しました");
  EXPECT_EQ(window.FindPage(TPageKind::Task), page);
  EXPECT_TRUE(Command(window, TPageKind::Task, "Hide")->isEnabled());
  EXPECT_TRUE(Pop(window, TPageKind::Task)->isChecked());
  EXPECT_EQ(Tabs(window), QStringList{"Task"});
}

TEST_F(PagePanelTest, PanelWidthAndLastTabRoundTrip) {
  // "LastTab" names a kind, not a tab position: with tasks and titles shown,
  // 1 is the task page although the title list is the second tab.
  Settings([](THIniFile& ini) {
    ini.WriteBool("Task", "OnCreate", true);
    ini.WriteBool("Title", "OnCreate", true);
    ini.WriteInteger("Window", "PanelWidth", 240);
    ini.WriteInteger("Window", "LastTab", 1);
  });
  built = {TPageKind::Task, TPageKind::Title};
  {
    TFmMain window(Env());
    window.ShowMain();
    QApplication::processEvents();
    EXPECT_EQ(window.ObjectPCtrl()->currentWidget(), window.FindPage(TPageKind::Task)->Sheet());
    EXPECT_EQ(window.ObjectPanel()->width(), 240);
    // Hiding every page and showing one again keeps the width.
    Command(window, TPageKind::Task, "Hide")->trigger();
    Command(window, TPageKind::Title, "Hide")->trigger();
    Command(window, TPageKind::Title, "Show")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(window.ObjectPanel()->width(), 240);
    window.close();
  }
  const THIniFile ini(Ini(), false);
  EXPECT_EQ(ini.ReadInteger("Window", "LastTab", -1), 3);  // the title list, now tab 0
  EXPECT_EQ(ini.ReadInteger("Window", "PanelWidth", 0), 240);
}

}  // namespace
