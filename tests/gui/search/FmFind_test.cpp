// The find and replace windows and the repeat commands, driven through the
// real main window on a temporary program folder.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "core/app/HIniFile.h"
#include "core/app/TempFolder.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/UMain.h"
#include "gui/search/FmFind.h"
#include "gui/search/FmReplace.h"

using namespace quillet;
using quillet::test::ReadRaw;
using quillet::test::WriteRaw;

namespace {

class FindWindowTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  std::string app = dir.path().toStdString() + "/";
  std::unique_ptr<TFmMain> window;

  // A main window whose settings file holds `zeroBase`, with `text` open.
  void Open(const std::string& text, bool zeroBase = false) {
    QDir().mkpath(QString::fromStdString(app + "Option"));
    {
      THIniFile ini(app + "Option/quillet.ini", true);
      ini.WriteBool("Edit", "ZeroBase", zeroBase);
    }
    TStartupEnv env;
    env.appFolder = app;
    env.today = MakeDate(2005, 3, 7);
    env.reportError = [](const QString&) {};
    window = std::make_unique<TFmMain>(env);
    window->Editor().SetText(text);
  }
  QString Message() const { return window->StatusBar().PanelText(spMessage); }
  template <class T>
  T* Child(const char* name) const {
    return window->findChild<T*>(name);
  }
  // Types `text` into a box of the open window and presses `button`.
  void Press(const char* button, const QString& text = {}, const char* box = "FindBox") {
    if (!text.isNull()) Child<QComboBox>(box)->setEditText(text);
    Child<QPushButton>(button)->click();
  }
  std::pair<int, int> Caret() const { return {window->Editor().CaretRow(), window->Editor().CaretColumn()}; }
};

TEST_F(FindWindowTest, FindNextAndPreviousReportTheCaretAndWrapOnlyWhenAsked) {
  Open("abc\r\nxABC\r\n");
  window->Action("ActFind")->trigger();
  ASSERT_NE(Child<TFmFind>("FmFind"), nullptr);
  EXPECT_EQ(Child<TFmFind>("FmFind")->windowTitle(), "文字列検索");

  Child<QCheckBox>("FindByte")->setChecked(false);  // any case
  Press("NextButton", "abc");
  EXPECT_EQ(Message(), " 1行 4桁");
  QTest::keyClick(Child<QComboBox>("FindBox")->lineEdit(), Qt::Key_Return);  // the default button
  EXPECT_EQ(Message(), " 2行 5桁");
  Press("NextButton");  // at the end, no wrap-around: the caret stays
  EXPECT_EQ(Message(), "検索文字列は見つかりませんでした");
  EXPECT_EQ(Caret(), std::make_pair(1, 4));
  Child<QCheckBox>("FindRecursion")->setChecked(true);
  Press("NextButton");
  EXPECT_EQ(Message(), " 1行 4桁");
  Press("PrevButton");  // backwards from the top wraps to the last hit, caret at its start
  EXPECT_EQ(Message(), " 2行 2桁");
  Child<QCheckBox>("FindByte")->setChecked(true);
  Press("NextButton", "ABC");  // match case: the first hit in the second line
  EXPECT_EQ(Caret(), std::make_pair(1, 4));

  // Text code page 932 cannot hold is refused and never reaches the history.
  Press("NextButton", QString::fromUtf8("x\xF0\x9F\x98\x80"));
  EXPECT_TRUE(Message().contains(QString::fromUtf8("\xF0\x9F\x98\x80"))) << Message().toStdString();
  EXPECT_EQ(ReadRaw(app + "Option/Find.txt"), "ABC\r\nabc\r\n");
}

TEST_F(FindWindowTest, ARowCountedFromZeroIsReportedSo) {
  Open("abc\r\nabc", true);
  window->Action("ActFind")->trigger();
  Press("NextButton", "c");
  EXPECT_EQ(Message(), " 0行 4桁");
}

TEST_F(FindWindowTest, ReplaceAllCountsTheHitsAndOneUndoGivesTheTextBack) {
  const std::string text = "a-a-A\r\n\r\naa";
  Open(text);
  window->Action("ActReplace")->trigger();
  ASSERT_NE(Child<TFmReplace>("FmReplace"), nullptr);
  Child<QCheckBox>("FindByte")->setChecked(true);
  Child<QComboBox>("ReplaceBox")->setEditText("bb");
  Press("ReplaceAllButton", "a");
  EXPECT_EQ(Message(), " 4件置換しました");
  EXPECT_EQ(window->Editor().Text(), "bb-bb-A\r\n\r\nbbbb");
  window->Action("ActUndo")->trigger();
  EXPECT_EQ(window->Editor().Text(), text);
  EXPECT_EQ(ReadRaw(app + "Option/Replace.txt"), "bb\r\n");

  // Replace changes the selected hit only and does not search on. The
  // undo left the caret after the replaced span: the search wraps.
  Child<QCheckBox>("FindRecursion")->setChecked(true);
  Press("NextButton", "A");
  Press("ReplaceButton", "c", "ReplaceBox");
  EXPECT_EQ(window->Editor().Text(), "a-a-c\r\n\r\naa");
  EXPECT_EQ(window->Editor().SelectedText(), "");

  // A read-only text is left alone and not reported as replaced.
  window->Action("ActReadOnly")->setChecked(true);
  Press("ReplaceAllButton", "a");
  EXPECT_EQ(Message(), "閲覧モードのため置換できません");
  EXPECT_EQ(window->Editor().Text(), "a-a-c\r\n\r\naa");
}

TEST_F(FindWindowTest, RepeatCommandsUseTheFirstHistoryLineAndNothingWithoutOne) {
  Open("xabc abc");
  window->Action("ActFindNext")->trigger();  // no "Find.txt": nothing at all
  EXPECT_EQ(Message(), "");
  EXPECT_EQ(Caret(), std::make_pair(0, 0));

  WriteRaw(app + "Option/Find.txt", "ABC\r\nx\r\n");
  window->Action("ActFindNext")->trigger();  // "Byte" off: any case
  EXPECT_EQ(Message(), " 1行 5桁");
  {
    THIniFile ini(app + "Option/quillet.ini", true);
    ini.WriteBool("Search", "Byte", true);
  }
  window->Action("ActFindPrev")->trigger();  // read again: match case now
  EXPECT_EQ(Message(), "検索文字列は見つかりませんでした");
}

TEST_F(FindWindowTest, EachWindowClosesTheOtherAndWritesItsCheckBoxes) {
  Open("");
  window->Action("ActFind")->trigger();
  Child<QCheckBox>("FindRecursion")->setChecked(true);
  window->Action("ActReplace")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Child<TFmFind>("FmFind"), nullptr);
  EXPECT_FALSE(window->Action("ActFind")->isChecked());
  EXPECT_TRUE(window->Action("ActReplace")->isChecked());
  EXPECT_TRUE(Child<QCheckBox>("FindRecursion")->isChecked());  // read back from the settings

  window->Action("ActFind")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Child<TFmReplace>("FmReplace"), nullptr);
  EXPECT_FALSE(window->Action("ActReplace")->isChecked());
  Child<QPushButton>("ExitButton")->click();
  EXPECT_FALSE(window->Action("ActFind")->isChecked());
  const THIniFile ini(app + "Option/quillet.ini", false);
  EXPECT_EQ(ini.ReadString("Search", "Recursion", ""), "1");
  EXPECT_EQ(ini.ReadString("Search", "Byte", ""), "0");
}

}  // namespace
