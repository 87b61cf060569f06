// The title list page in the real main window: listing and following the
// open day, saves of the open day, renaming a title (found in Set.ini and
// the title box) and its failures, weekend and holiday colours, sorting, the
// column widths, and the worker through quick month changes over a
// generated twenty-year diary.
#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/MainWindowFixture.h"
#include "gui/titles/TitleModel.h"
#include "gui/titles/TitleView.h"
#include "gui/titles/UTitle.h"

using namespace quillet;

namespace {

std::string Cp932(const QString& text) {
  std::string bytes;
  FromUtf16(text.toStdU16String(), bytes);
  return bytes;
}

class TitlePageTest : public test::TMainWindowFixture {
protected:
  void ShowAtStart(const std::function<void(THIniFile&)>& more = {}) {
    Settings([&](THIniFile& ini) {
      ini.WriteBool("Title", "OnCreate", true);
      if (more) more(ini);
    });
  }
  static std::vector<int> Days(const TTitleObject& page) {
    std::vector<int> days;
    for (const TTitleRecord& r : page.Model().Records()) days.push_back(r.Day);
    return days;
  }
  static QString Status(const TTitleObject& page) { return page.PageStatusBar().SimpleText(); }
  static void Select(TTitleObject& page, int day) {
    page.View().selectRow(FindTitleRow(page.Model().Records(), day));
  }
};

TEST_F(TitlePageTest, ListsTheMonthAndFollowsTheOpenDay) {
  Write("2005/3/3.txt", "third\r\nline two");
  Write("2005/3/Set.ini", "[20]\r\nTitle=t20\r\n");
  ShowAtStart([](THIniFile& ini) { ini.WriteBool("Title", "OnlyExists", true); });
  TFmMain window(BaseEnv());
  auto* page = window.Page<TTitleObject>();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Sheet()->objectName(), "TitleSheet");
  EXPECT_EQ(Days(*page), (std::vector<int>{3, 20}));
  EXPECT_EQ(Status(*page), "2個のオブジェクト");
  for (const char* command : {"ActTitleMove", "ActTitleEditTitle", "ActTitleRefresh"})
    EXPECT_TRUE(window.Action(command)->isEnabled()) << command;

  // A click selects and shows the first line, Enter (as a double click)
  // opens the day, whose row gets the mark.
  TTitleView& view = page->View();
  QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, view.visualRect(page->Model().index(0, 1)).center());
  EXPECT_EQ(Status(*page), "third");
  EXPECT_EQ(window.CurrentDate(), MakeDate(2005, 3, 7));
  QTest::keyClick(&view, Qt::Key_Return);
  EXPECT_EQ(window.CurrentDate(), MakeDate(2005, 3, 3));
  EXPECT_EQ(view.SelectedRow(), 0);
  EXPECT_EQ(Status(*page), "third");
  EXPECT_FALSE(page->Model().data(page->Model().index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_EQ(page->Model().MarkDay(), 3);

  window.Action("ActNextMonth")->trigger();
  EXPECT_TRUE(Days(*page).empty());
  EXPECT_EQ(Status(*page), "0個のオブジェクト");
  window.Action("ActTitleHide")->trigger();
  EXPECT_EQ(window.Page<TTitleObject>(), nullptr);
  EXPECT_FALSE(window.Action("ActTitleMove")->isEnabled());
}

TEST_F(TitlePageTest, SavesOfTheOpenDayInsertUpdateAndRemoveItsRow) {
  Write("2005/3/3.txt", "third");
  Write("2005/3/20.txt", "twentieth");
  ShowAtStart([](THIniFile& ini) { ini.WriteBool("Title", "OnlyExists", true); });
  TFmMain window(BaseEnv());
  auto* page = window.Page<TTitleObject>();
  window.Editor().SetText("hello\r\nworld");
  window.Editor().SetModified(true);
  window.TitleEdit()->setText("T");
  ASSERT_TRUE(window.SaveEntry(false));
  EXPECT_EQ(Days(*page), (std::vector<int>{3, 7, 20}));
  EXPECT_EQ(page->Model().Record(1).Title + page->Model().Record(1).FirstLine, "Thello");
  window.Editor().SetText("");
  window.TitleEdit()->clear();
  window.Editor().SetModified(true);
  ASSERT_TRUE(window.SaveEntry(false));
  EXPECT_EQ(Days(*page), (std::vector<int>{3, 20}));
}

TEST_F(TitlePageTest, RenamingATitleWritesSetIniAndTheOpenDaysTitleBox) {
  Write("2005/3/20.txt", "twentieth");
  Write("2005/3/Set.ini", "[20]\r\nTitle=old\r\nUseCode=0\r\n[7]\r\nTitle=seven\r\n");
  ShowAtStart();
  TStartupEnv env = BaseEnv();
  QString answer = "新しい題";
  env.askText = [&](const QString& caption, const QString& prompt, const QString&, bool) {
    EXPECT_EQ(caption + "/" + prompt, "タイトル編集/新規タイトル");
    return std::optional<QString>(answer);
  };
  TFmMain window(env);
  auto* page = window.Page<TTitleObject>();
  ASSERT_EQ(page->Model().rowCount(), 31);

  // Another day: its Set.ini section only; the open day's title box stays.
  Select(*page, 20);
  window.Action("ActTitleEditTitle")->trigger();
  THIniFile ini(app + "2005/3/Set.ini", false);
  EXPECT_EQ(ini.ReadString("20", "Title", ""), Cp932(answer));
  EXPECT_EQ(ini.ReadString("20", "UseCode", ""), "0");
  EXPECT_EQ(window.TitleEdit()->text(), "seven");
  EXPECT_EQ(page->Model().data(page->Model().index(19, 1), Qt::DisplayRole).toString(), answer);
  EXPECT_FALSE(window.EntryModified());

  // The open day: Set.ini, the title box, and the entry counts as modified.
  answer = "七日";
  Select(*page, 7);
  for (QAction* item : page->Popup().actions())
    if (item->objectName() == "TitlePopEditTitle") item->trigger();
  EXPECT_EQ(THIniFile(app + "2005/3/Set.ini", false).ReadString("7", "Title", ""), Cp932(answer));
  EXPECT_EQ(window.TitleEdit()->text(), answer);
  EXPECT_TRUE(window.EntryModified());
  EXPECT_EQ(window.StatusBar().PanelText(spModified), "変更あり");

  // Failures: a character the code page cannot hold, a month without a
  // folder, an unreadable Set.ini; nothing written, each said.
  const std::string before = Read(app + "2005/3/Set.ini");
  answer = QString::fromUtf8("絵文字\xF0\x9F\x98\x80");
  window.Action("ActTitleEditTitle")->trigger();
  EXPECT_EQ(Read(app + "2005/3/Set.ini"), before);
  EXPECT_TRUE(window.StatusBar().PanelText(spMessage).contains(QString::fromUtf8("\xF0\x9F\x98\x80")));
  answer = "x";
  window.Action("ActNextYear")->trigger();
  ASSERT_EQ(window.CurrentDate(), MakeDate(2006, 3, 7));
  window.Action("ActTitleEditTitle")->trigger();
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), "対象ディレクトリを認識出来ませんでした");
  EXPECT_FALSE(std::filesystem::exists(app + "2006"));
  window.Action("ActTitleOpenDirectory")->trigger();
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), "対象ディレクトリを認識出来ませんでした");
  std::filesystem::create_directories(app + "2006/3/Set.ini");
  window.Action("ActTitleEditTitle")->trigger();
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), "編集に失敗しました");
  EXPECT_EQ(window.TitleEdit()->text(), "");
}

TEST_F(TitlePageTest, WeekendAndHolidayColoursSortingAndColumnWidths) {
  // March 2005: the 19th a Saturday, the 20th a Sunday and 春分の日, the 21st
  // its 振替休日 on a Monday.
  Write("2005/3/Set.ini", "[1]\r\nTitle=b\r\n[2]\r\nTitle=a\r\n[3]\r\nTitle=c\r\n");
  ShowAtStart([](THIniFile& ini) {
    ini.WriteString("Title", "SundayColor", "$0000FF00");
    ini.WriteBool("Title", "Sort", true);
  });
  // Two 16-pixel images, the first red on a white key colour.
  QImage bitmap(32, 16, QImage::Format_RGB32);
  bitmap.fill(Qt::blue);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) bitmap.setPixel(x, y, x % 13 < 3 || y % 13 < 3 ? qRgb(255, 255, 255) : qRgb(255, 0, 0));
  ASSERT_TRUE(bitmap.save(QString::fromStdString(app + "Option/Title.bmp"), "BMP"));
  TFmMain window(BaseEnv());
  auto* page = window.Page<TTitleObject>();
  const TTitleModel& model = page->Model();
  const QImage mark = page->StateImage().toImage();
  EXPECT_EQ(mark.size(), QSize(16, 16));
  EXPECT_EQ(mark.pixelColor(8, 8), QColor(255, 0, 0));
  EXPECT_EQ(mark.pixelColor(0, 8).alpha(), 0);  // the bottom-left pixel's colour is see-through
  const auto ink = [&](int day) { return model.data(model.index(day - 1, 0), Qt::ForegroundRole).value<QColor>(); };
  EXPECT_EQ(ink(19), QColor(0, 0, 0xFF));
  EXPECT_EQ(ink(20), QColor(0, 0xFF, 0));
  EXPECT_EQ(ink(21), QColor(0, 0xFF, 0));
  EXPECT_FALSE(ink(22).isValid());

  // The title column sorts up, then down; the selection stays on its day.
  const int selected = page->View().SelectedRow();
  emit page->View().horizontalHeader()->sectionClicked(1);
  EXPECT_EQ(model.Record(28).Title + model.Record(29).Title + model.Record(30).Title, "abc");
  EXPECT_EQ(model.Record(page->View().SelectedRow()).Day, selected + 1);
  page->RunAction(TTitleAction::SortTitle);
  EXPECT_EQ(model.Record(0).Title, "c");
  page->RunAction(TTitleAction::SortDate);
  EXPECT_EQ(model.Record(30).Day, 31);

  page->View().setColumnWidth(0, 123);
  window.Action("ActTitleHide")->trigger();
  EXPECT_EQ(THIniFile(Ini(), false).ReadInteger("Title", "DateColumn", 0), 123);
}

TEST_F(TitlePageTest, QuickMonthChangesOnTheWorkerNeverShowAnotherMonth) {
  // Twenty years; each month's titles name the month, so a row of another
  // month gives itself away.
  for (int year = 2000; year < 2020; ++year)
    for (int month = 1; month <= 12; ++month) {
      const std::string folder = std::to_string(year) + "/" + std::to_string(month) + "/";
      std::string ini;
      for (int day = 1; day <= 28; day += 3) {
        Write(folder + std::to_string(day) + ".txt", "body");
        ini.append("[").append(std::to_string(day)).append("]\r\nTitle=").append(folder).append("\r\n");
      }
      Write(folder + "Set.ini", ini);
    }
  ShowAtStart([](THIniFile& ini) {
    ini.WriteBool("Title", "MultiThread", true);
    ini.WriteBool("Title", "OnlyExists", true);
    ini.WriteInteger("Title", "ThreadPriority", 1);
  });
  TFmMain window(BaseEnv(MakeDate(2000, 1, 15)));
  auto* page = window.Page<TTitleObject>();
  ASSERT_TRUE(page->Collecting());
  EXPECT_EQ(Status(*page), "タイトル描写中...");
  const auto check = [&] {
    const TDate open = window.CurrentDate();
    const std::string folder = std::to_string(YearOf(open)) + "/" + std::to_string(MonthOf(open)) + "/";
    for (const TTitleRecord& r : page->Model().Records())
      if (r.Title != folder) return ::testing::AssertionFailure() << r.Title << " shown in " << folder;
    return ::testing::AssertionSuccess();
  };
  QAction* next = window.Action("ActNextMonth");
  for (int i = 0; i < 239; ++i) {
    next->trigger();
    if (i % 5 == 0) QTest::qWait(i % 2);
    ASSERT_TRUE(check()) << i;
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page->Collecting(); }, 5000));
  EXPECT_EQ(window.CurrentDate(), MakeDate(2019, 12, 15));
  EXPECT_TRUE(check());
  EXPECT_EQ(Days(*page), (std::vector<int>{1, 4, 7, 10, 13, 16, 19, 22, 25, 28}));
  EXPECT_EQ(Status(*page), "10個のオブジェクト");
}

}  // namespace
