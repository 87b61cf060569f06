// Links in the entry, through the real main window: a click opens a web
// address with "ToolBrowser" and a mail address as "MailTo:" + address with
// "ToolMailer" (the tools are a script of the test that records its
// argument), single or double click as "ClickableType" says; over a link the
// editor's pop-up menu is the link menu with the address in its captions,
// and the mouse cursor is a hand. An address that wrapping cut opens whole.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gui/app/MainWindowFixture.h"
#include "gui/app/MainEditorPort.h"
#include "gui/editor/EditorSE.h"
#include "support/IconvText.h"

using namespace quillet;

namespace {

class LinkCommandsTest : public test::TMainWindowFixture {
protected:
  std::string log;

  // The tools record their argument; more settings from `more`.
  void ToolsAndSettings(const std::function<void(THIniFile&)>& more = {}) {
    log = app + "tool.log";
    std::filesystem::create_directories(app + "Option");
    std::ofstream(app + "tool") << "#!/bin/sh\nprintf '%s' \"$1\" > '" + log + "'\n";
    std::filesystem::permissions(app + "tool", std::filesystem::perms::owner_all);
    Settings([&](THIniFile& ini) {
      ini.WriteString("Window", "ToolBrowser", app + "tool");
      ini.WriteString("Window", "ToolMailer", app + "tool");
      if (more) more(ini);
    });
  }
  // What the tool got, waiting up to five seconds for it; then forgotten.
  std::string Opened() {
    QElapsedTimer timer;
    timer.start();
    while (!std::filesystem::exists(log) && timer.elapsed() < 5000) QTest::qWait(20);
    QTest::qWait(50);
    std::string got = Read(log);
    std::filesystem::remove(log);
    return got;
  }
  static TEditorSE& Control(TFmMain& window) { return *qobject_cast<TEditorSE*>(window.Editor().Widget()); }
  // The middle of a cell, in the editor's viewport.
  static QPoint Cell(TEditorSE& editor, int row, int column) {
    const TEditorLayout& layout = editor.Layout();
    return QPoint(qRound(layout.ColumnX(column, editor.TopCol()) + layout.CellWidth() / 2),
                  layout.RowY(row, editor.TopRow()) + layout.RowHeight() / 2);
  }
  static void Show(TFmMain& window) {
    window.show();
    window.activateWindow();
    QApplication::processEvents();
  }
};

TEST_F(LinkCommandsTest, ADoubleClickOpensTheAddressWithItsTool) {
  ToolsAndSettings();
  TFmMain window(BaseEnv());
  Show(window);
  window.Editor().SetText(test::IconvToCp932("見て https://example.jp/a?b=1 と me@example.jp。"));
  TEditorSE& editor = Control(window);
  QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, Cell(editor, 0, 8));
  QTest::qWait(100);
  EXPECT_FALSE(std::filesystem::exists(log));  // a single click only moves the caret
  QTest::mouseDClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, Cell(editor, 0, 8));
  EXPECT_EQ(Opened(), "https://example.jp/a?b=1");
  QTest::mouseDClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, Cell(editor, 0, 34));
  EXPECT_EQ(Opened(), "MailTo:me@example.jp");
}

TEST_F(LinkCommandsTest, WithSingleClickAWrappedAddressOpensWholeFromItsSecondRow) {
  ToolsAndSettings([](THIniFile& ini) {
    ini.WriteBool("Edit", "ClickableType", true);
    ini.WriteInteger("Window", "WrapOrder", 2);
    ini.WriteInteger("Edit", "WrapByte", 20);
  });
  TFmMain window(BaseEnv());
  Show(window);
  window.Editor().SetText("see https://example.jp/a/long/path/to/a/page");
  TEditorSE& editor = Control(window);
  ASSERT_GE(editor.Store().Count(), 2);
  QTest::mouseClick(editor.viewport(), Qt::LeftButton, Qt::NoModifier, Cell(editor, 1, 3));
  EXPECT_EQ(Opened(), "https://example.jp/a/long/path/to/a/page");
}

TEST_F(LinkCommandsTest, OverALinkThePopUpMenuIsTheLinkMenuAndTheCursorAHand) {
  ToolsAndSettings();
  TFmMain window(BaseEnv());
  Show(window);
  window.Editor().SetText("mail me@example.jp now");
  TEditorSE& editor = Control(window);
  QTest::mouseMove(editor.viewport(), Cell(editor, 0, 8));
  QTest::mouseMove(editor.viewport(), Cell(editor, 0, 9));
  EXPECT_EQ(editor.viewport()->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(editor.contextMenuPolicy(), Qt::CustomContextMenu);
  QMenu* menu = window.LinkMenu();
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8("\"me@example.jp\" を開く"));
  EXPECT_EQ(menu->actions()[1]->text(), QString::fromUtf8("\"me@example.jp\" をコピー"));
  QContextMenuEvent event(QContextMenuEvent::Mouse, Cell(editor, 0, 9), editor.viewport()->mapToGlobal(Cell(editor, 0, 9)));
  QApplication::sendEvent(editor.viewport(), &event);
  EXPECT_TRUE(menu->isVisible());
  menu->hide();
  menu->actions()[1]->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "me@example.jp");
  menu->actions()[0]->trigger();
  EXPECT_EQ(Opened(), "MailTo:me@example.jp");

  QTest::mouseMove(editor.viewport(), Cell(editor, 0, 20));
  EXPECT_NE(editor.viewport()->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(editor.contextMenuPolicy(), Qt::ActionsContextMenu);
}

}  // namespace
