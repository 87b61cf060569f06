// The main window on a temporary program folder: start-up order and rules,
// the commands and menus, the toggles that persist, and the settings written
// by the close sequence.
#include <QAction>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QHash>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/app/HIniFile.h"
#include "core/store/UDate.h"
#include "gui/app/Commands.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/UMain.h"
#include "MainWindowFixture.h"

using namespace quillet;

namespace {

class MainWindowTest : public test::TMainWindowFixture {
protected:
  TStartupEnv Env(TDate today = MakeDate(2005, 3, 7), int hour = 12) { return BaseEnv(today, hour); }
};

// The item names of the entries the menus show, depth first.
QStringList ShownEntries(const QList<QAction*>& items) {
  QStringList names;
  for (QAction* item : items) {
    if (!item->isVisible()) continue;
    // Commands carry their item name apart from their command name.
    const QString itemName = item->property("menuItemName").toString();
    names << (itemName.isEmpty() ? item->objectName() : itemName);
    if (QMenu* menu = QMenu::menuInAction(item)) names << ShownEntries(menu->actions());
  }
  return names;
}

void ShowActive(TFmMain& window) {
  window.ShowMain();
  window.activateWindow();
  QApplication::processEvents();
}

TEST_F(MainWindowTest, FirstStartCreatesOptionFolderAndCloseWritesExitKeys) {
  {
    TFmMain window(Env());
    EXPECT_TRUE(QDir(QString::fromStdString(app + "Option")).exists());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Ini())));  // start-up never writes
    EXPECT_EQ(window.windowTitle(), "2005/03/07 - Quillet");
    window.close();
  }
  const THIniFile ini(Ini(), false);
  for (const char* key : {"State", "Top", "Left", "Width", "Height", "WrapOrder", "ShowMenu",
                          "MenuSimplify", "ShowHint", "ShowStatusBar", "PanelWidth", "PanelAlign",
                          "TabStyle", "TitleWidth", "CoolHeight", "CoolBarID0", "CoolBarWidth2",
                          "CoolBarBreak1", "CoolBarVisible2"})
    EXPECT_TRUE(ini.ValueExists("Window", key)) << key;
  EXPECT_FALSE(ini.ValueExists("Window", "LastTab"));  // no page exists
  EXPECT_EQ(ini.ReadString("Edit", "FontName", ""), "FixedSys");
  EXPECT_EQ(ini.ReadInteger("Edit", "FontSize", 0), 9);
  EXPECT_EQ(ini.ReadString("Calendar", "BoldDays", ""), "1");
  EXPECT_EQ(ini.ReadInteger("Window", "PanelWidth", 0), 185);
  EXPECT_EQ(ini.ReadInteger("Window", "TitleWidth", 0), 150);
  EXPECT_EQ(ini.ReadInteger("Window", "WrapOrder", -1), 1);
  // Options keys are the options dialog's to write.
  EXPECT_FALSE(ini.ValueExists("Window", "SavePath"));
  EXPECT_FALSE(ini.ValueExists("Window", "WakeUp"));
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MainWindowTest, LateNightRuleMovesTheCaptionToYesterday) {
  struct {
    int wakeUp, hour;
    TDate today;
    const char* caption;
  } rows[] = {
      {5, 4, MakeDate(2005, 3, 7), "2005/03/06 - Quillet"},   // before the wake-up hour: yesterday
      {5, 5, MakeDate(2005, 3, 7), "2005/03/07 - Quillet"},   // at the wake-up hour: today
      {20, 14, MakeDate(2005, 3, 7), "2005/03/07 - Quillet"}, // only before 13:00
      {0, 0, MakeDate(2005, 3, 7), "2005/03/07 - Quillet"},   // the default never moves the day
      {3, 1, MakeDate(2006, 1, 1), "2005/12/31 - Quillet"},   // across a year boundary
  };
  for (const auto& row : rows) {
    Settings([&](THIniFile& ini) { ini.WriteInteger("Window", "WakeUp", row.wakeUp); });
    TFmMain window(Env(row.today, row.hour));
    EXPECT_EQ(window.windowTitle(), row.caption) << row.wakeUp << " " << row.hour;
  }
}

TEST_F(MainWindowTest, StartupStepsRunInOrderAndAFailureStillOpensTheWindow) {
  std::vector<int> steps;
  TStartupEnv env = Env();
  env.stepObserver = [&](int step) { steps.push_back(step); };
  { TFmMain window(env); }
  ASSERT_FALSE(steps.empty());
  EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
  EXPECT_EQ(steps.front(), 1);
  EXPECT_EQ(steps.back(), 28);

  env.stepObserver = [](int step) {
    if (step == 14) throw std::runtime_error("broken");
  };
  TFmMain window(env);
  EXPECT_TRUE(window.StartupFailed());
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages.front(), "Application Initialize Error");
  // What ran before the failure stays: the options folder exists.
  EXPECT_TRUE(QDir(QString::fromStdString(app + "Option")).exists());
}

// A designed shortcut that does not parse is silently no shortcut, and two
// actions on one key make Qt report it ambiguous and run neither.
TEST_F(MainWindowTest, EveryShortcutParsesAndNoTwoActionsShareOne) {
  TFmMain window(Env());
  QHash<QKeySequence, QString> owner;
  for (QAction* action : window.findChildren<QAction*>()) {
    const QString designed = action->property("designedShortCut").toString();
    const QKeySequence parsed(designed, QKeySequence::PortableText);
    EXPECT_TRUE(designed.isEmpty() || (parsed.count() == 1 && parsed[0].key() != Qt::Key_unknown))
        << designed.toStdString();
    if (action->shortcut().isEmpty()) continue;
    const QString other = owner.value(action->shortcut());
    EXPECT_TRUE(other.isEmpty()) << action->shortcut().toString().toStdString() << " taken by "
                                 << other.toStdString() << " and " << action->objectName().toStdString();
    owner.insert(action->shortcut(), action->objectName());
  }
  EXPECT_GE(owner.size(), 15);  // the designed keys were all seen
}

TEST_F(MainWindowTest, ShortCutSectionOverridesTheDesignedKeys) {
  Settings([](THIniFile& ini) {
    ini.WriteString("ShortCut", "MenuSave", "F5");
    ini.WriteString("ShortCut", "MenuUndo", "");            // removed
    ini.WriteString("ShortCut", "MenuRedo", "NoSuchKey+");  // unreadable: designed key kept
  });
  TFmMain window(Env());
  EXPECT_EQ(window.Action("ActSave")->shortcut(), QKeySequence("F5"));
  EXPECT_TRUE(window.Action("ActUndo")->shortcut().isEmpty());
  EXPECT_EQ(window.Action("ActRedo")->shortcut(), QKeySequence("Ctrl+Y"));

  Settings([](THIniFile& ini) { ini.WriteBool("Boot", "LoadMenu", false); });
  TFmMain second(Env());
  EXPECT_EQ(second.Action("ActSave")->shortcut(), QKeySequence("Ctrl+S"));
}

TEST_F(MainWindowTest, SimplifiedMenusHideTheListedEntriesButNotTheirCommands) {
  TFmMain window(Env());
  ShowActive(window);
  TCommands& commands = window.Commands();
  const QStringList designed = ShownEntries(window.menuBar()->actions());
  EXPECT_EQ(TCommands::SimplifiedItems().size(), 23);
  window.Action("ActMenuSimplify")->setChecked(true);
  const QStringList simplified = ShownEntries(window.menuBar()->actions());
  for (const QString& name : TCommands::SimplifiedItems()) {
    ASSERT_NE(commands.MenuItem(name), nullptr) << name.toStdString();
    EXPECT_FALSE(simplified.contains(name)) << name.toStdString();
  }
  // The way back stays.
  EXPECT_TRUE(simplified.contains("MenuShowMenu"));
  EXPECT_TRUE(simplified.contains("MenuMenuSimplify"));
  // Hiding the entries once hid the commands too: their tool buttons went
  // and Ctrl+B stopped working.
  for (const char* name : {"ActBoxSelect", "ActGrep", "ActPrevMonth", "ActNextMonth"}) {
    QAction* action = window.Action(name);
    QToolBar* bar = window.EditorBar()->actions().contains(action) ? window.EditorBar() : window.DateBar();
    ASSERT_NE(bar->widgetForAction(action), nullptr) << name;
    EXPECT_TRUE(bar->widgetForAction(action)->isVisible()) << name;
  }
  QTest::keyClick(&window, Qt::Key_B, Qt::ControlModifier);
  EXPECT_TRUE(window.Action("ActBoxSelect")->isChecked());
  // Back in their places.
  window.Action("ActMenuSimplify")->setChecked(false);
  EXPECT_EQ(ShownEntries(window.menuBar()->actions()), designed);
}

TEST_F(MainWindowTest, ViewTogglesPersistAcrossARestart) {
  // Each toggle once triggered, and its checked state after the restart
  // (ActShowMenu hides the menu bar).
  const std::pair<const char*, bool> toggles[] = {{"ActShowMenu", false}, {"ActMenuSimplify", true},
                                                  {"ActHint", false},     {"ActShowStatusBar", false},
                                                  {"ActPanelLeft", true}, {"ActByteWrap", true},
                                                  {"ActTabStyle", true}};
  {
    TFmMain window(Env());
    window.ShowMain();
    for (const auto& [name, checked] : toggles) window.Action(name)->trigger();
    window.close();
  }
  TFmMain window(Env());
  window.ShowMain();
  for (const auto& [name, checked] : toggles) EXPECT_EQ(window.Action(name)->isChecked(), checked) << name;
  for (QAction* menu : window.Commands().TopLevelMenus()) EXPECT_FALSE(menu->isVisible());
  EXPECT_FALSE(QMenu::menuInAction(window.Commands().MenuItem("MenuSearch"))
                   ->actions()
                   .contains(window.Commands().MenuItem("MenuGrep")));
  EXPECT_FALSE(window.StatusBar().isVisible());
  EXPECT_FALSE(window.PanelAtRight());
  // The hidden menu bar comes back through the tool bar area's pop-up menu.
  std::unique_ptr<QMenu> popup(window.createPopupMenu());
  ASSERT_TRUE(popup->actions().contains(window.Action("ActPopShowMenu")));
  window.Action("ActPopShowMenu")->trigger();
  EXPECT_TRUE(window.Action("ActShowMenu")->isChecked());
  for (QAction* menu : window.Commands().TopLevelMenus()) EXPECT_TRUE(menu->isVisible());
}

// A hidden menu bar comes back by Alt alone, for one use, and for good
// through the editor's and the tool bar area's pop-up menus.
TEST_F(MainWindowTest, AHiddenMenuBarComesBackByItsShortcutAltAloneAndThePopUpMenus) {
  Settings([](THIniFile& ini) {
    ini.WriteBool("Window", "ShowMenu", false);
    ini.WriteString("ShortCut", "MenuShowMenu", "Ctrl+M");
  });
  TFmMain window(Env());
  ShowActive(window);
  QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier);  // the shortcut the settings gave
  EXPECT_TRUE(window.menuBar()->isVisible());
  QTest::keyClick(&window, Qt::Key_M, Qt::ControlModifier);
  EXPECT_FALSE(window.menuBar()->isVisible());
  auto* editor = qobject_cast<QAbstractScrollArea*>(window.Editor().Widget());
  ASSERT_NE(editor, nullptr);
  editor->setFocus();
  // Alt in a chord (here the layout switch Alt+Shift) recalls nothing.
  QTest::keyClick(editor, Qt::Key_Shift, Qt::AltModifier);
  EXPECT_FALSE(window.menuBar()->isVisible());
  QTest::keyClick(editor, Qt::Key_Alt);
  EXPECT_TRUE(window.menuBar()->isVisible());
  QWidget* popup = QApplication::activePopupWidget();
  ASSERT_NE(popup, nullptr);
  popup->close();
  QApplication::processEvents();
  EXPECT_FALSE(window.menuBar()->isVisible());
  EXPECT_FALSE(window.Action("ActShowMenu")->isChecked());  // what the settings keep

  // Each pop-up menu's toggle is reached by its access key: M in the
  // editor's menu (V pastes there), V in the tool bar area's.
  QStringList offered;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* action : menu->actions()) offered << action->objectName();
    QTest::keyClick(menu, Qt::Key_M);
  });
  const QPoint at(20, 20);
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor->viewport()->mapToGlobal(at));
  QApplication::sendEvent(editor->viewport(), &event);
  EXPECT_TRUE(offered.contains("ActPaste"));
  EXPECT_TRUE(window.Action("ActShowMenu")->isChecked());
  EXPECT_TRUE(window.menuBar()->isVisible());

  std::unique_ptr<QMenu> barMenu(window.createPopupMenu());
  EXPECT_EQ(barMenu->actions().front()->text(), "メニュー(&V)");
  barMenu->popup(window.mapToGlobal(QPoint(10, 10)));
  QTest::keyClick(barMenu.get(), Qt::Key_V);
  EXPECT_FALSE(window.Action("ActShowMenu")->isChecked());
}

TEST_F(MainWindowTest, ToolTipsLeaveOutTheAccessKey) {
  TFmMain window(Env());
  const QRegularExpression accessKey(R"(\(&?[A-Za-z0-9]\))");
  for (QToolBar* bar : {window.EditorBar(), window.DateBar()})
    for (QAction* action : bar->actions()) {
      if (!action->text().isEmpty()) {
        EXPECT_FALSE(action->toolTip().contains(accessKey)) << action->toolTip().toStdString();
      }
    }
  EXPECT_EQ(window.Action("ActNextOne")->toolTip(), "一日後");
}

TEST_F(MainWindowTest, EditorAndTitleBoxRefuseACharacterInTheSameWords) {
  TFmMain window(Env());
  const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
  QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, emoji);
  QApplication::sendEvent(window.TitleEdit(), &typed);
  const QString fromTitle = window.StatusBar().PanelText(spMessage);
  EXPECT_TRUE(window.TitleEdit()->text().isEmpty());
  QApplication::sendEvent(window.Editor().Widget(), &typed);
  EXPECT_TRUE(fromTitle.contains(emoji)) << fromTitle.toStdString();
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), fromTitle);
}

TEST_F(MainWindowTest, StatusPanelsStartEmptyButForEncryption) {
  {
    TFmMain window(Env());
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(window.StatusBar().PanelText(i).isEmpty()) << i;
  }
  Settings([](THIniFile& ini) { ini.WriteBool("Window", "EnCrypt", true); });
  TFmMain window(Env());
  EXPECT_EQ(window.StatusBar().PanelText(spEncrypt), "暗号化");
  window.Action("ActReadOnly")->trigger();
  EXPECT_EQ(window.StatusBar().PanelText(spReadOnly), "閲覧");
  window.Action("ActReadOnly")->trigger();
  EXPECT_TRUE(window.StatusBar().PanelText(spReadOnly).isEmpty());
  window.Action("ActTabStyle")->trigger();
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), "変更は再起動後に反映されます");
  // A save with encryption on marks the entry at once, not at the next load.
  EXPECT_TRUE(window.StatusBar().PanelText(spEncrypted).isEmpty());
  window.Editor().ReplaceSelection("abc");
  window.Action("ActSave")->trigger();
  EXPECT_EQ(window.StatusBar().PanelText(spEncrypted), "暗号文章");
}

TEST_F(MainWindowTest, WindowStateAndBounds) {
  Settings([](THIniFile& ini) { ini.WriteInteger("Window", "TitleWidth", 222); });
  struct {
    int state;  // the first row writes none
    TWindowState expected;
  } rows[] = {{0, TWindowState::Normal}, {2, TWindowState::Maximized}, {1, TWindowState::Minimized},
              {7, TWindowState::Normal}, {-1, TWindowState::Normal}};
  for (const auto& row : rows) {
    Settings([&](THIniFile& ini) {
      if (row.state != 0) ini.WriteInteger("Window", "State", row.state);
      ini.WriteBounds("Window", TBounds{50, 60, 700, 500});
    });
    TFmMain window(Env());
    EXPECT_EQ(window.StartState(), row.expected) << row.state;
    // A maximised window does not take the stored bounds.
    EXPECT_EQ(window.size() == QSize(700, 500), row.expected != TWindowState::Maximized) << row.state;
    if (row.state != 0) continue;
    EXPECT_EQ(window.pos(), QPoint(60, 50));
    EXPECT_EQ(window.TitleWidth(), 222);
  }
  // With "SaveWndPos" off and "CommandWndPos" on the fixed bounds apply.
  Settings([](THIniFile& ini) {
    ini.WriteInteger("Window", "State", 0);
    ini.WriteBool("Window", "SaveWndPos", false);
    ini.WriteBool("Window", "CommandWndPos", true);
    ini.WriteInteger("Window", "WidthPosition", 640);
    ini.WriteInteger("Window", "HeightPosition", 480);
  });
  {
    TFmMain window(Env());
    EXPECT_EQ(window.size(), QSize(640, 480));
  }
  // Bounds stored on a larger screen (or at a smaller scale factor) are
  // fitted to this one, whose bars would otherwise be out of reach.
  Settings([](THIniFile& ini) {
    ini.WriteBool("Window", "SaveWndPos", true);
    ini.WriteBounds("Window", TBounds{0, 0, 5080, 3440});
  });
  TFmMain window(Env());
  const QRect available = window.screen()->availableGeometry();
  EXPECT_LE(window.width(), available.width());
  EXPECT_LE(window.height(), available.height());
}

TEST_F(MainWindowTest, BringToFrontRestoresAMinimisedWindow) {
  TFmMain window(Env());
  window.showMinimized();
  QApplication::processEvents();
  window.BringToFront();
  QApplication::processEvents();
  EXPECT_FALSE(window.isMinimized());
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
