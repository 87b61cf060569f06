// The grep and squeeze dialogs through the real main window: hits reach the
// result window, the captions of nothing found, a stop, a dialog or a main
// window closed while the worker runs, and the squeeze over the result list.
#include "gui/search/FmGrep.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "../app/MainWindowFixture.h"
#include "core/app/TempFolder.h"
#include "core/store/EntryStore.h"
#include "gui/app/HStatusBar.h"
#include "gui/search/FmResult.h"
#include "gui/search/FmSqueeze.h"
#include "gui/search/SearchWorker.h"

using namespace quillet;

namespace {

class GrepTest : public test::TMainWindowFixture {
protected:
  std::unique_ptr<TFmMain> main;

  void SetUp() override {
    TMainWindowFixture::SetUp();
    main = std::make_unique<TFmMain>(BaseEnv());
  }
  void Day(int month, int day, const std::string& body, const std::string& title = {}) {
    TStoreSettings store = main->StoreSettings();
    TCode code = main->Code();
    TSaveRequest request{MakeDate(2005, month, day), test::Cp932(body), test::Cp932(title), true, true, {}, false};
    ASSERT_TRUE(SaveDay(store, app, code, request).Ok);
  }
  TFmGrep* Grep() const { return main->findChild<TFmGrep*>("FmGrep"); }
  template <class T>
  T* Child(QWidget* in, const char* name) const {
    return in->findChild<T*>(name);
  }
  // Opens the dialog, fills it and presses "検索"; the search runs on.
  TFmGrep* Start(const QString& text, int fromMonth = 3, int toMonth = 3, bool regExp = false) {
    if (!Grep()) main->Action("ActGrep")->trigger();
    TFmGrep* grep = Grep();
    Child<QComboBox>(grep, "GrepWordBox")->setEditText(text);
    Child<QSpinBox>(grep, "GrepFYear")->setValue(2005);
    Child<QComboBox>(grep, "GrepFMonth")->setCurrentIndex(fromMonth - 1);
    Child<QSpinBox>(grep, "GrepTYear")->setValue(2005);
    Child<QComboBox>(grep, "GrepTMonth")->setCurrentIndex(toMonth - 1);
    Child<QCheckBox>(grep, "GrepBmReg")->setChecked(regExp);
    Child<QPushButton>(grep, "GrepExecute")->click();
    return grep;
  }
  // Waits until every search, attached or not, has ended and gone.
  bool AllEnded() const {
    return QTest::qWaitFor([&] { return !main->findChild<TSearchWorker*>(); }, 20000);
  }
};

TEST_F(GrepTest, HitsFillTheResultWindowAndTheDialogCloses) {
  Day(3, 1, "朝の散歩\r\n雨\r\n");
  Day(3, 2, "夜\r\n", "朝ごはん");
  QPointer<TFmGrep> grep = Start("zzz");
  // A second search (the button is disabled meanwhile) stops the first,
  // whose finish then says nothing.
  Child<QComboBox>(grep, "GrepWordBox")->setEditText("朝");
  grep->Execute();
  EXPECT_TRUE(main->Action("ActGrep")->isChecked());
  EXPECT_FALSE(Child<QPushButton>(grep, "GrepExecute")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(grep, "GrepQuit")->isEnabled());
  ASSERT_TRUE(AllEnded());

  TFmResult* result = main->ExistingResultWindow();
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->windowTitle(), "\"朝 \"の検索結果");
  ASSERT_EQ(result->Items().size(), 2u);
  EXPECT_EQ(result->Items()[1].Kind, TGrepKind::Title);
  EXPECT_TRUE(QTest::qWaitFor([&] { return grep.isNull(); }, 2000));  // CloseTimer
  EXPECT_FALSE(main->Action("ActGrep")->isChecked());
  EXPECT_EQ(Read(app + "Option/Grep.txt"), test::Cp932("朝\r\nzzz\r\n"));
  EXPECT_EQ(THIniFile(Ini(), false).ReadInteger("Grep", "FromMonth", 0), 3);
}

TEST_F(GrepTest, CaptionsSayWhyNothingWasListed) {
  Day(3, 1, "朝\r\n");
  const struct {
    const char* name;
    QString text;
    int toMonth;
    bool regExp;
    QString caption;
  } rows[] = {
      {"not found", "zzz", 3, false, "\"zzz\" は検出されませんでした"},
      {"period backwards", "朝", 2, false, "検索期間が不正です"},
      {"only quotes", "\"\"", 3, false, "検索文字列を入力して下さい"},
      {"bad expression", "朝(", 3, true, "正規表現が不正です: "},
  };
  for (const auto& row : rows) {
    TFmGrep* grep = Start(row.text, 3, row.toMonth, row.regExp);
    ASSERT_TRUE(AllEnded());
    EXPECT_TRUE(grep->windowTitle().startsWith(row.caption)) << row.name << ": " << grep->windowTitle().toStdString();
    EXPECT_TRUE(Child<QPushButton>(grep, "GrepExecute")->isEnabled()) << row.name;
  }
  EXPECT_EQ(main->ExistingResultWindow(), nullptr);
}

TEST_F(GrepTest, StopAndCloseLeaveNoWorkerBehind) {
  // Enough text that the search is still running when it is stopped.
  const std::string line(1000, 'a');
  std::string body;
  for (int i = 0; i < 50; ++i) body += line + "\r\n";
  for (int month = 1; month <= 12; ++month)
    for (int day = 1; day <= 28; ++day) {
      std::filesystem::create_directories(app + "2005/" + std::to_string(month));
      test::WriteRaw(app + "2005/" + std::to_string(month) + "/" + std::to_string(day) + ".txt", body + "b\r\n");
    }
  QPointer<TFmGrep> grep = Start("b", 1, 12);
  QTest::keyClick(grep, Qt::Key_Escape);  // the stop button while it runs
  EXPECT_EQ(grep->windowTitle(), "検索を中止しました");
  EXPECT_TRUE(grep->isVisible());
  EXPECT_TRUE(Child<QPushButton>(grep, "GrepExecute")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(grep, "GrepQuit")->isEnabled());
  ASSERT_TRUE(AllEnded());
  EXPECT_EQ(grep->windowTitle(), "検索を中止しました");  // a stopped search found nothing yet
  EXPECT_EQ(main->ExistingResultWindow(), nullptr);

  // Closing the dialog stops the search; its end finds no dialog to report to.
  Start("b", 1, 12);
  ASSERT_NE(grep->Worker(), nullptr);
  main->Action("ActGrep")->trigger();  // unchecked: closes the dialog
  EXPECT_FALSE(main->Action("ActGrep")->isChecked());
  ASSERT_TRUE(AllEnded());
  EXPECT_TRUE(grep.isNull());
  EXPECT_EQ(main->ExistingResultWindow(), nullptr);

  // The main window going away waits for a search still running.
  Start("b", 1, 12);
  main.reset();
}

TEST_F(GrepTest, SqueezeMarksTheMatchingRowsOrStops) {
  Day(3, 1, "朝の散歩\r\n");
  Day(3, 2, "朝の雨\r\n");
  Day(3, 3, "朝の散歩\r\n");
  Start("朝");
  ASSERT_TRUE(AllEnded());
  TFmResult* result = main->ExistingResultWindow();
  result->Action("RActSqueeze")->trigger();
  auto* squeeze = main->findChild<TFmSqueeze*>("FmSqueeze");
  ASSERT_NE(squeeze, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Grep(); }, 2000));  // the squeeze closes the grep

  Child<QComboBox>(squeeze, "SqueezeBox")->setEditText("散歩");
  Child<QPushButton>(squeeze, "SqueezeExecute")->click();
  Child<QPushButton>(squeeze, "SqueezeQuit")->click();
  EXPECT_EQ(squeeze->windowTitle(), "中止しました");
  EXPECT_EQ(CountMarked(result->Items()), 0u);

  Child<QPushButton>(squeeze, "SqueezeExecute")->click();
  QPointer<TFmSqueeze> guard(squeeze);
  ASSERT_TRUE(AllEnded());
  EXPECT_EQ(result->windowTitle(), "\" 散歩 \"の絞込み結果");
  EXPECT_EQ(result->StatusBar().PanelText(0), " 2個絞り込みました");
  ASSERT_EQ(result->Items().size(), 3u);
  EXPECT_EQ(result->Items()[0].Date, MakeDate(2005, 3, 1));
  EXPECT_EQ(result->Items()[1].Date, MakeDate(2005, 3, 3));
  EXPECT_EQ(result->Items()[2].SqueezeMark, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return guard.isNull(); }, 2000));  // SqueezeTimer
  // The squeeze never adds to the grep's history.
  EXPECT_EQ(Read(app + "Option/Grep.txt"), test::Cp932("朝\r\n"));

  // A pattern that never compiles is said, and the marks stay as they were.
  result->Action("RActSqueeze")->trigger();
  guard = main->findChild<TFmSqueeze*>("FmSqueeze");
  Child<QCheckBox>(guard, "SqueezeBmReg")->setChecked(true);
  Child<QComboBox>(guard, "SqueezeBox")->setEditText("散歩(");
  Child<QPushButton>(guard, "SqueezeExecute")->click();
  ASSERT_TRUE(AllEnded());
  EXPECT_TRUE(guard->windowTitle().startsWith("正規表現が不正です: "));
  EXPECT_EQ(CountMarked(result->Items()), 2u);

  // The main window's close closes a squeeze dialog whose search still runs.
  Child<QPushButton>(guard, "SqueezeExecute")->click();
  main->close();
  ASSERT_TRUE(AllEnded());
  EXPECT_TRUE(guard.isNull());
  EXPECT_EQ(THIniFile(Ini(), false).ReadBool("Squeeze", "Progress", false), true);
}

}  // namespace
