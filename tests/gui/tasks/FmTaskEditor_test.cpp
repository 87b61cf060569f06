// The task editor: what OK refuses and what it replaces (with the user's
// consent), the date field, the memo's wheel and file loading, and the edit
// menu acting on the field that had the focus.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <fstream>

#include "gui/tasks/FmTaskEditor.h"
#include "support/IconvText.h"

using namespace quillet;

namespace {

class TaskEditorTest : public testing::Test {
protected:
  TaskEditorTest() : editor(nullptr, [] { return TDateTime{MakeDate(2005, 3, 7), 9, 5, 3}; }) {
    editor.SetReporter([this](const QString& text) { reports << text; });
    editor.SetAsker([this](const QString& text) {
      asked << text;
      return agree;
    });
    TTask task = NewTask(MakeDate(1950, 1, 2));
    task.Memo = "a\r\nb";
    editor.SetTask(task);
  }
  TFmTaskEditor editor;
  QStringList reports;
  QStringList asked;
  bool agree = false;
};

TEST_F(TaskEditorTest, OkAcceptsOnlyWhatTheFileStores) {
  const struct {
    const char* name;
    QString title, date, memo;
    bool agree;
    bool accepted;
    int reports, asked;
  } rows[] = {
      {"emoji_refused", QStringLiteral("\U0001F600"), "50/01/02", "m", false, false, 1, 0},
      {"bad_date_refused", "t", "2005/02/30", "m", false, false, 1, 0},
      {"bar_declined", "a|b", "50/01/02", "m", false, false, 0, 1},
      {"bar_replaced", "a|b", "50/01/02", "c:\\new", true, true, 0, 1},
      {"plain", "t", "50/01/02", "x\ny", false, true, 0, 0},
  };
  for (const auto& row : rows) {
    reports.clear();
    asked.clear();
    agree = row.agree;
    editor.setResult(QDialog::Rejected);
    editor.TitleEdit()->setText(row.title);
    editor.DateEdit()->setText(row.date);
    editor.MemoEdit()->setPlainText(row.memo);
    editor.accept();
    EXPECT_EQ(editor.result() == QDialog::Accepted, row.accepted) << row.name;
    EXPECT_EQ(reports.size(), row.reports) << row.name;
    EXPECT_EQ(asked.size(), row.asked) << row.name;
  }
  // The date left as shown keeps its century; the replacements are the
  // full-width twins, and the memo's lines end in CR LF.
  EXPECT_EQ(editor.Task().Date, MakeDate(1950, 1, 2));
  EXPECT_EQ(editor.Task().Memo, "x\r\ny");
  editor.TitleEdit()->setText("a|b");
  editor.MemoEdit()->setPlainText("c:\\new");
  agree = true;
  editor.accept();
  EXPECT_EQ(editor.Task().Title, test::IconvToCp932("a｜b"));
  EXPECT_EQ(editor.Task().Memo, test::IconvToCp932("c:＼new"));
}

TEST_F(TaskEditorTest, WheelScrollsALineOrAPage) {
  editor.resize(300, 300);
  editor.show();
  QStringList lines;
  for (int i = 0; i < 200; ++i) lines << QString::number(i);
  editor.MemoEdit()->setPlainText(lines.join('\n'));
  QScrollBar* bar = editor.MemoEdit()->verticalScrollBar();
  ASSERT_GT(bar->pageStep(), 1);
  QWidget* viewport = editor.MemoEdit()->viewport();
  for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
    bar->setValue(0);
    QWheelEvent wheel(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_EQ(bar->value(), modifiers.testFlag(Qt::ControlModifier) ? bar->pageStep() : 1);
  }
}

TEST_F(TaskEditorTest, EditMenuActsOnTheLastFocusedField) {
  editor.show();
  editor.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
  editor.CommentEdit()->setFocus();
  QApplication::processEvents();
  editor.CommentEdit()->setText("abc");
  editor.CommentEdit()->setSelection(1, 1);
  editor.findChild<QAction*>("TaskEditDateTime")->trigger();
  EXPECT_EQ(editor.CommentEdit()->text(), "a2005/03/07 9:05:03c");
  editor.CommentEdit()->selectAll();
  editor.findChild<QAction*>("TaskEditCut")->trigger();
  EXPECT_EQ(editor.CommentEdit()->text(), "");
  EXPECT_EQ(QApplication::clipboard()->text(), "a2005/03/07 9:05:03c");
}

TEST_F(TaskEditorTest, OpenLoadsUtf8OrCodePage932) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/memo.txt";
  for (const std::string& bytes : {std::string("日本\r\n語"), test::IconvToCp932("日本\r\n語")}) {
    std::ofstream(path, std::ios::binary) << bytes;
    ASSERT_TRUE(editor.LoadMemoFile(QString::fromStdString(path)));
    EXPECT_EQ(editor.MemoEdit()->toPlainText(), "日本\n語");
  }
  EXPECT_FALSE(editor.LoadMemoFile(dir.path() + "/missing.txt"));
  EXPECT_EQ(reports.size(), 1);
  EXPECT_EQ(editor.MemoEdit()->toPlainText(), "日本\n語");
}

}  // namespace
