// The result window on the offscreen platform: deleting rows, previews of
// encrypted and vanished entries, the file commands and their failures, the
// hooks, the settings, and F9 through the real main window.
#include "gui/search/FmResult.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

#include "core/app/TempFolder.h"
#include "core/crypto/USecurity.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/UMain.h"
#include "gui/editor/HEditor.h"

using namespace quillet;
using test::Cp932;

namespace {

class ResultTest : public ::testing::Test {
protected:
  test::TTempFolder dir;
  std::vector<TDate> moves;
  int saveAsks = 0;
  QString saveName;

  TResultHost Host() {
    TResultHost host;
    host.settingsFile = dir / "Option/quillet.ini";
    host.store = [this] {
      TStoreSettings store;
      store.SavePath = dir.Path();
      return store;
    };
    host.code = [] { return TCode{164, "himitsu", true, true}; };
    host.moveToDate = [this](TDate date) {
      moves.push_back(date);
      return true;
    };
    host.askSaveName = [this](const QString&) {
      ++saveAsks;
      return saveName;
    };
    return host;
  }
  TGrepItem Entry(int day, const std::string& body, TEntryMethod method = TEntryMethod::Plain) {
    TGrepItem item;
    item.Date = MakeDate(2005, 3, day);
    item.Path = dir / (std::to_string(day) + ".txt");
    item.Method = method;
    item.Lines = "1";
    if (method == TEntryMethod::Word)
      EXPECT_TRUE(WriteWordKey(body, item.Path, "himitsu"));
    else
      test::WriteRaw(item.Path, body);
    return item;
  }
  static QString Message(const TFmResult& window) { return window.StatusBar().PanelText(0); }
};

TEST_F(ResultTest, DeleteKeyRemovesTheSelectedRowsAndRenumbers) {
  TFmResult window(Host());
  TGrepList items;
  for (int day = 1; day <= 5; ++day) items.push_back(Entry(day, "x"));
  window.Load(items);
  EXPECT_EQ(Message(window), " 5個検出しました");
  QTableView* list = window.ResultLV();
  list->selectionModel()->select(list->model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  list->selectionModel()->select(list->model()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(Message(window), " 2個のアイテムを削除しました");
  ASSERT_EQ(list->model()->rowCount(), 3);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(list->model()->index(row, 0).data().toString(), QString::number(row + 1));
  EXPECT_EQ(window.Items()[1].Date, MakeDate(2005, 3, 3));

  window.ShowStatusMessage("before");
  list->clearSelection();
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(Message(window), "before");
  EXPECT_EQ(list->model()->rowCount(), 3);
}

TEST_F(ResultTest, PreviewDecryptsAndAVanishedFileDisablesTheFileCommands) {
  TFmResult window(Host());
  const std::string body = Cp932("秘密の一行目\r\n二行目");
  TGrepItem secret = Entry(7, body, TEntryMethod::Word);
  secret.Kind = TGrepKind::Title;
  secret.Lines.clear();
  secret.Title = Cp932("雨");
  TGrepItem gone = Entry(8, "soon gone");
  window.Load({secret, gone});

  window.ShowPreview(0);
  EXPECT_TRUE(window.PreviewShown());
  EXPECT_EQ(window.ResultEdit()->Lines().Text(), body);
  EXPECT_EQ(window.BandLabel()->text(), "雨 (暗号文章)");  // a title-only hit lists no lines

  // The hint is the first line of the text as the preview shows it, not of
  // the cipher bytes.
  std::filesystem::create_directories(dir / "Option");
  THIniFile(dir / "Option/quillet.ini", true).WriteInteger("Result", "HoverTime", 100);
  window.show();
  QTableView* list = window.ResultLV();
  // From elsewhere, with no tip left from before: a move onto the point
  // where the pointer already is would send no event.
  QToolTip::hideText();
  QTest::mouseMove(list->viewport(), QPoint(1, 1));
  QTest::mouseMove(list->viewport(), list->visualRect(list->model()->index(0, 1)).center());
  EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::text() == "秘密の一行目"; }, 4000)) << QToolTip::text().toStdString();

  // Deleted while previewed, then previewed again: the commands do nothing.
  window.ShowPreview(1);
  std::remove(gone.Path.c_str());
  window.ShowStatusMessage("before");
  for (int round = 0; round < 2; ++round) {
    for (const char* name : {"RActOpen", "RActOpenDir", "RActSaveAs", "RActClipboard", "RActMove"})
      window.Action(name)->trigger();
    window.ShowPreview(1);
  }
  EXPECT_TRUE(moves.empty());
  EXPECT_EQ(saveAsks, 0);
  EXPECT_EQ(Message(window), "before");
  EXPECT_FALSE(window.PreviewShown());
  EXPECT_EQ(window.BandLabel()->text(), "Non Title");
}

TEST_F(ResultTest, FileCommandsReportTheirFailures) {
  TResultHost host = Host();
  host.code = [] { return TCode{164, "wrong", true, true}; };
  TFmResult wrongKey(host);
  wrongKey.Load({Entry(7, "text", TEntryMethod::Word)});
  wrongKey.ShowPreview(0);
  EXPECT_EQ(Message(wrongKey), "ファイルの読み込みに失敗しました");

  TFmResult window(Host());
  const TGrepItem item = Entry(9, "line\r\n");
  window.Load({item});
  window.ShowPreview(0);
  saveName = QString::fromStdString(dir / "copy.txt");
  window.Action("RActSaveAs")->trigger();
  EXPECT_EQ(test::ReadRaw(dir / "copy.txt"), "line\r\n");
  // Onto a folder that does not exist, and onto the entry itself.
  for (const std::string& target : {dir / "none/copy.txt", item.Path}) {
    window.ShowStatusMessage("before");
    saveName = QString::fromStdString(target);
    window.Action("RActSaveAs")->trigger();
    EXPECT_EQ(Message(window), "保存に失敗しました") << target;
  }
  EXPECT_EQ(test::ReadRaw(item.Path), "line\r\n");

  // A tool that exists but cannot be started (no execute permission).
  test::WriteRaw(dir / "tool", "not a program");
  ASSERT_TRUE(std::filesystem::create_directories(dir / "Option"));
  {
    THIniFile ini(dir / "Option/quillet.ini", true);
    ini.WriteString("Window", "ToolEditor", dir / "tool");
  }
  window.Action("RActOpen")->trigger();
  EXPECT_EQ(Message(window), "\" " + QString::fromStdString(item.Path) + " \"を開けませんでした");
}

TEST_F(ResultTest, NewSearchAndSqueezeDoTheirListPartBeforeTheHook) {
  TFmResult window(Host());
  int newSearches = 0, squeezes = 0;
  window.SetNewSearchHook([&] { ++newSearches; });
  window.SetSqueezeHook([&] { ++squeezes; });
  window.Load({Entry(1, "a")});
  window.ShowPreview(0);
  window.Action("RActNewSearch")->trigger();
  EXPECT_EQ(newSearches, 1);
  EXPECT_TRUE(window.Items().empty());
  EXPECT_FALSE(window.CurrentRecord().has_value());
  EXPECT_TRUE(window.ResultEdit()->Lines().Text().empty());
  window.Action("RActSqueeze")->trigger();
  EXPECT_EQ(squeezes, 0);
  EXPECT_EQ(Message(window), "絞込み対象が存在しません");
}

TEST_F(ResultTest, SettingsAreWrittenOnCloseOnlyWhenTheyWereRead) {
  {
    TFmResult unseen(Host());
    unseen.close();
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "Option/quillet.ini"));
  {
    TFmResult window(Host());
    window.show();
    window.Action("RActCloseOnMove")->trigger();
    window.Action("RActOddColoring")->trigger();
    window.Action("RActGridLines")->trigger();
    window.close();
  }
  TFmResult again(Host());
  again.show();
  EXPECT_FALSE(again.Action("RActCloseOnMove")->isChecked());
  EXPECT_TRUE(again.Action("RActOddColoring")->isChecked());
  EXPECT_FALSE(again.ResultLV()->showGrid());
  EXPECT_EQ(again.Settings().Coloring, 1);
}

TEST(ResultInMainWindow, F9MovesTheMainWindowToTheDateAndCloses) {
  test::TTempFolder dir;
  TStartupEnv env;
  env.appFolder = dir.Path();
  env.today = MakeDate(2005, 3, 7);
  env.clock = [&] { return TDateTime{env.today}; };
  env.reportError = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
  env.askYesNo = [](const QString&) { return true; };
  env.askText = [](const QString&, const QString&, const QString&, bool) { return std::optional<QString>(); };
  auto owner = std::make_unique<TFmMain>(env);
  TFmMain& main = *owner;
  ASSERT_TRUE(std::filesystem::create_directories(dir / "2005/3"));
  TGrepItem item;
  item.Date = MakeDate(2005, 3, 1);
  item.Path = dir / "2005/3/1.txt";
  test::WriteRaw(item.Path, "found\r\n");

  QPointer<TFmResult> result = main.ResultWindow();
  EXPECT_EQ(main.ResultWindow(), result.data());  // one window
  result->Load({item});
  result->show();
  result->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(result));
  result->ResultLV()->setFocus();
  QTest::mouseClick(result->ResultLV()->viewport(), Qt::LeftButton, {},
                    result->ResultLV()->visualRect(result->ResultLV()->model()->index(0, 1)).center());
  QTest::keyClick(result, Qt::Key_F9);
  EXPECT_EQ(main.CurrentDate(), MakeDate(2005, 3, 1));
  EXPECT_EQ(main.Editor().Text(), "found\r\n");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(result.isNull());
  EXPECT_EQ(main.ExistingResultWindow(), nullptr);

  // A result window still open when the main window closes writes its settings.
  main.ResultWindow()->show();
  main.ResultWindow()->Action("RActGridLines")->trigger();
  owner.reset();
  EXPECT_FALSE(THIniFile(dir / "Option/quillet.ini", false).ReadBool("Result", "GridLines", true));
}

}  // namespace
