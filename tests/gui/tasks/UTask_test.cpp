// The task page in the real main window: its keys and commands, the editor,
// sorting and deleting, each change in Task.txt at once and the list back
// after a restart; the row look; a damaged file kept aside; a write that
// fails and keeps the page until it works.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/app/HColor.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainWindowFixture.h"
#include "gui/tasks/FmTaskEditor.h"
#include "gui/tasks/UTask.h"
#include "support/IconvText.h"

using namespace quillet;

namespace {

const std::string kHead = "Task File Version 1.0.0\r\n";

class TaskPageTest : public test::TMainWindowFixture {
protected:
  std::string TaskFile() const { return app + "Option/Task.txt"; }
  void Start(const std::string& lines = "", const std::function<void(THIniFile&)>& more = {}) {
    Settings([&](THIniFile& ini) {
      ini.WriteBool("Task", "OnCreate", true);
      if (more) more(ini);
    });
    if (!lines.empty()) std::ofstream(TaskFile(), std::ios::binary) << kHead + lines;
  }
  static TTaskObject& Page(TFmMain& window) {
    auto* page = window.Page<TTaskObject>();
    EXPECT_NE(page, nullptr);
    return *page;
  }
  static void Select(TTaskObject& page, int row) {
    page.View().selectionModel()->setCurrentIndex(page.Model().index(row, 0),
                                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  static std::vector<std::string> Titles(const TTaskObject& page) {
    std::vector<std::string> titles;
    for (const TTask& task : page.Model().Tasks()) titles.push_back(TitleCaption(task));
    return titles;
  }
  static QString Message(const TFmMain& window) { return window.StatusBar().PanelText(spMessage); }
};

TEST_F(TaskPageTest, EditSortDeleteAndRestart) {
  Start();
  {
    TFmMain window(BaseEnv());
    TTaskObject& page = Page(window);
    window.ShowMain();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // F10 appends a task for today, selected; each change is on disk at once.
    QTest::keyClick(&window, Qt::Key_F10);
    QTest::keyClick(&window, Qt::Key_F10);
    EXPECT_EQ(Read(TaskFile()), kHead + "|2005/03/07|0|1||NewTask|\r\n|2005/03/07|0|1||NewTask|\r\n");
    EXPECT_EQ(page.FirstSelectedRow(), 1);

    // F11 edits the selected task through the dialog's own fields.
    page.SetEditorRunner([](TFmTaskEditor& editor) {
      editor.TitleEdit()->setText("Alpha");
      editor.DateEdit()->setText("05/03/05");
      editor.MemoEdit()->setPlainText("one\ntwo");
      editor.CommentEdit()->setText(QStringLiteral("牛乳"));
      editor.PriorityBox()->setCurrentIndex(kPriorityHigh);
      editor.accept();
      return editor.result();
    });
    QTest::keyClick(&window, Qt::Key_F11);
    EXPECT_EQ(Message(window), "編集完了");
    EXPECT_EQ(page.StatusBar().SimpleText(), "牛乳");
    EXPECT_EQ(Read(TaskFile()), kHead + "|2005/03/07|0|1||NewTask|\r\n" + test::IconvToCp932("牛乳") +
                                    "|2005/03/05|0|2|one\\ntwo|Alpha|\r\n");
    EXPECT_TRUE(window.Action("ActTaskPriorityHigh")->isChecked());

    // Sorting by date twice: ascending, then descending; the file follows.
    window.Action("ActTaskDateSort")->trigger();
    EXPECT_EQ(Titles(page), (std::vector<std::string>{"Alpha", "NewTask"}));
    QHeaderView* header = page.View().horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(Titles(page), (std::vector<std::string>{"NewTask", "Alpha"}));
    EXPECT_EQ(TTaskFile(TaskFile()).Load(MakeDate(2005, 3, 7)).Tasks, page.Model().Tasks());

    // The popup's priority item on the selected task (still "Alpha").
    page.Popup().findChild<QAction*>("TaskPopPriorityLow")->trigger();
    EXPECT_EQ(page.Model().At(1).Priority, kPriorityLow);
    EXPECT_EQ(Message(window), "優先度を設定しました");
    window.Action("ActTaskNewItem")->trigger();
  }
  // Restarted: the same list; deleting with "Ask" asks first.
  Settings([](THIniFile& ini) { ini.WriteBool("Task", "Ask", true); });
  TFmMain window(BaseEnv());
  TTaskObject& page = Page(window);
  EXPECT_EQ(Titles(page), (std::vector<std::string>{"NewTask", "Alpha", "NewTask"}));
  QStringList asked;
  bool answer = false;
  page.SetAsker([&](const QString& text) {
    asked << text;
    return answer;
  });
  Select(page, 1);
  QTest::keyClick(&page.View(), Qt::Key_Delete);
  EXPECT_EQ(page.Model().rowCount(), 3);
  answer = true;
  page.View().selectAll();
  window.Action("ActTaskDelete")->trigger();
  EXPECT_EQ(asked, (QStringList{"\"Alpha\"を削除しますか？", "これらのタスクを削除しますか？"}));
  EXPECT_EQ(Message(window), " 3個のタスクを削除しました");
  EXPECT_FALSE(std::filesystem::exists(TaskFile()));
}

TEST_F(TaskPageTest, DoubleClickEnterLookAndPopup) {
  Start("memo|2005/03/08|1|2|a\\nb|soon|\r\n|2005/03/06|1|0||late|\r\n|1995/03/06|1|0||old|\r\n",
        [](THIniFile& ini) { ini.WriteString("Task", "TrailColor", "clBlue"); });
  TFmMain window(BaseEnv());
  TTaskObject& page = Page(window);
  const auto look = [&](int row) {
    const QModelIndex index = page.Model().index(row, 1);
    return std::pair(page.Model().data(index, Qt::ForegroundRole).value<QColor>(),
                     page.Model().data(index, Qt::FontRole).value<QFont>().bold());
  };
  EXPECT_EQ(look(0), std::pair(QColor(255, 0, 0), true));
  EXPECT_EQ(look(1), std::pair(QColor(0, 0, 255), true));
  EXPECT_FALSE(look(2).second);
  EXPECT_EQ(page.Model().data(page.Model().index(2, 0), Qt::DisplayRole).toString(), "95/03/06");

  QStringList shown;
  page.SetMemoShower([&](const QString& caption, const QString& memo) { shown << caption + ":" + memo; });
  int edits = 0;
  page.SetEditorRunner([&](TFmTaskEditor&) {
    ++edits;
    return static_cast<int>(QDialog::Rejected);
  });
  Select(page, 0);
  QTest::keyClick(&page.View(), Qt::Key_Return);
  page.RunDoubleClickAction(1);  // no memo: nothing to show
  EXPECT_EQ(shown, QStringList{"soon:a\nb"});
  Settings([](THIniFile& ini) { ini.WriteInteger("Task", "DblClickStyle", 1); });
  page.LoadTaskSettings(THIniFile(Ini(), false));
  QTest::keyClick(&page.View(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(edits, 1);
  EXPECT_EQ(Read(TaskFile()).substr(0, kHead.size() + 4), kHead + "memo");  // a cancelled edit writes nothing

  QStringList items;
  for (QAction* action : page.Popup().actions()) items << action->objectName();
  EXPECT_EQ(items, (QStringList{"TaskPopNewItem", "TaskPopEdit", "TaskPopDelete", "TaskPopPriority", "TaskPopSort"}));
  window.Action("ActTaskHide")->trigger();
  EXPECT_FALSE(window.Action("ActTaskDelete")->isEnabled());
  EXPECT_FALSE(window.Action("ActTaskPriorityHigh")->isEnabled());
}

TEST_F(TaskPageTest, ADamagedFileIsKeptAsideBeforeTheFirstWrite) {
  const std::string damaged = "c1|2005/03/07|0|1||good|\r\n|abc|0|1||bad|\r\nfive|2005/03/07|0|1|x|\r\n";
  Start(damaged);
  TFmMain window(BaseEnv());
  TTaskObject& page = Page(window);
  EXPECT_EQ(Titles(page), (std::vector<std::string>{"good", "bad"}));
  EXPECT_EQ(page.StatusBar().SimpleText(), "読み込めない行があります: Task.txt の 3, 4 行目");
  page.StatusBar().SetDefaultInterval(20);
  window.Action("ActTaskNewItem")->trigger();
  EXPECT_EQ(page.StatusBar().SimpleText(), "読み込めないファイルを退避しました: Task.txt.bak");
  EXPECT_EQ(Read(TaskFile() + ".bak"), kHead + damaged);
  // When the message goes, the selected task's comment is back.
  Select(page, 0);
  QTest::qWait(60);
  EXPECT_EQ(page.StatusBar().SimpleText(), "c1");
  EXPECT_EQ(TTaskFile(TaskFile()).Load(MakeDate(2005, 3, 7)).Tasks.size(), 3u);
}

TEST_F(TaskPageTest, AFailedWriteKeepsThePageUntilItWorks) {
  Start("|2005/03/07|0|1||kept|\r\n");
  TFmMain window(BaseEnv());
  TTaskObject& page = Page(window);
  // A folder where the file should be: no rename can replace it, root or not.
  std::filesystem::remove(TaskFile());
  std::filesystem::create_directory(TaskFile());
  window.Action("ActTaskNewItem")->trigger();
  EXPECT_EQ(Message(window), "保存に失敗しました: Task.txt");
  window.Action("ActTaskHide")->trigger();
  EXPECT_EQ(window.Page<TTaskObject>(), &page);
  EXPECT_EQ(Message(window), "破棄に失敗しました");
  std::filesystem::remove(TaskFile());
  window.Action("ActTaskHide")->trigger();
  EXPECT_EQ(window.Page<TTaskObject>(), nullptr);
  EXPECT_EQ(Read(TaskFile()), kHead + "|2005/03/07|0|1||kept|\r\n|2005/03/07|0|1||NewTask|\r\n");
}

}  // namespace
