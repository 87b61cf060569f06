// Builds the main window's actions and menus from one table-like sequence, so
// that the menu order, the item names and the designed shortcuts are all read
// in one place.
#include "gui/app/Commands.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <utility>

#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"

namespace quillet {

namespace {

// Tool image indices in the order of the tool bars' buttons.
enum : int {
  kImgSave, kImgOption, kImgExit, kImgUndo, kImgRedo, kImgCut, kImgCopy, kImgPaste,
  kImgBoxSelect, kImgFind, kImgReplace, kImgGrep, kImgNonWrap, kImgWordWrap, kImgByteWrap,
  kImgPrevMonth, kImgPrevSeven, kImgPrevThree, kImgPrevOne, kImgNextOne, kImgNextThree,
  kImgNextSeven, kImgNextMonth, kImgToday
};

// A tool tip names the command; the access key "(&F)" belongs to the menu
// ("一日後(&F)" would read "一日後(F)" on a tool button).
QString ToolTipOf(QString caption) {
  static const QRegularExpression accessKey(QStringLiteral("\\(&?[A-Za-z0-9]\\)$"));
  caption.remove(accessKey);
  return caption.remove(QLatin1Char('&'));
}

}  // namespace

struct TCommands::TBuilder {
  TCommands& self;
  QObject* owner;
  QList<QMenu*> stack;
  QMenuBar* bar;

  QMenu* Current() const { return stack.isEmpty() ? nullptr : stack.last(); }

  void Menu(const QString& itemName, const QString& caption) {
    QMenu* menu = nullptr;
    if (stack.isEmpty()) {
      menu = bar->addMenu(caption);
      self.m_topMenus.append(menu->menuAction());
    } else {
      menu = Current()->addMenu(caption);
    }
    menu->setObjectName(itemName);
    menu->menuAction()->setObjectName(itemName);
    self.m_items.insert(itemName, menu->menuAction());
    stack.append(menu);
  }
  void End() {
    self.m_designed.insert(Current(), Current()->actions());
    stack.removeLast();
  }

  void Sep(const QString& itemName) {
    QAction* sep = Current()->addSeparator();
    sep->setObjectName(itemName);
    self.m_items.insert(itemName, sep);
  }

  // A command shown as a menu item. `image` is the tool image index or -1.
  QAction* Cmd(const QString& itemName, const QString& commandName, const QString& caption,
               const QString& shortcut = {}, int image = -1) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(commandName);
    action->setToolTip(ToolTipOf(caption));
    if (!shortcut.isEmpty()) action->setShortcut(QKeySequence(shortcut, QKeySequence::PortableText));
    action->setProperty("designedShortCut", shortcut);
    action->setProperty("menuItemName", itemName);
    Current()->addAction(action);
    self.m_actions.insert(commandName, action);
    self.m_items.insert(itemName, action);
    self.m_leafItems.append({itemName, action});
    if (image >= 0) self.m_images.insert(commandName, image);
    return action;
  }
  QAction* Toggle(const QString& itemName, const QString& commandName, const QString& caption,
                  const QString& shortcut = {}, int image = -1) {
    QAction* action = Cmd(itemName, commandName, caption, shortcut, image);
    action->setCheckable(true);
    return action;
  }
};

TCommands::TCommands(QObject* owner, QMenuBar* menuBar) {
  TBuilder b{*this, owner, {}, menuBar};
  const QString none;

  b.Menu("MenuFile", "ファイル(&F)");
  b.Cmd("MenuSave", "ActSave", "上書保存(&S)", "Ctrl+S", kImgSave);
  b.Cmd("MenuSaveAs", "ActSaveAs", "名前を付けて保存(&A)");
  b.Sep("MenuFileSep1");
  b.Cmd("MenuOption", "ActOption", "設定(&O)", none, kImgOption);
  b.Sep("MenuFileSep2");
  b.Cmd("MenuClose", "ActClose", "保存せず終了(&C)");
  b.Cmd("MenuExit", "ActExit", "終了(&X)", none, kImgExit);
  b.End();

  b.Menu("MenuEdit", "編集(&E)");
  b.Cmd("MenuUndo", "ActUndo", "元に戻す(&U)", "Ctrl+Z", kImgUndo);
  b.Cmd("MenuRedo", "ActRedo", "やり直す(&R)", "Ctrl+Y", kImgRedo);
  b.Sep("MenuEditSep1");
  b.Cmd("MenuCut", "ActCut", "切り取り(&X)", "Ctrl+X", kImgCut);
  b.Cmd("MenuCopy", "ActCopy", "コピー(&C)", "Ctrl+C", kImgCopy);
  b.Cmd("MenuPaste", "ActPaste", "貼り付け(&V)", "Ctrl+V", kImgPaste);
  b.Sep("MenuEditSep2");
  b.Cmd("MenuSelectAll", "ActSelectAll", "全てを選択(&A)", "Ctrl+A");
  b.Sep("MenuEditSep3");
  b.Menu("MenuTranslation", "変換(&T)");
  b.Cmd("MenuLowerCase", "ActLowerCase", "大文字→小文字(&L)");
  b.Cmd("MenuUpperCase", "ActUpperCase", "小文字→大文字(&U)");
  b.Cmd("MenuSingleByte", "ActSingleByte", "全角→半角(&S)");
  b.Cmd("MenuMultiByte", "ActMultiByte", "半角→全角(&M)");
  b.End();
  b.Menu("MenuPlastic", "整形(&P)");
  b.Cmd("MenuTrimLeft", "ActTrimLeft", "行頭空白削除(&L)");
  b.Cmd("MenuTrimRight", "ActTrimRight", "行末空白削除(&R)");
  b.Cmd("MenuTrimRet", "ActTrimRet", "改行削除(&R)");
  b.End();
  b.Sep("MenuEditSep4");
  b.Toggle("MenuBoxSelect", "ActBoxSelect", "矩形選択(&B)", "Ctrl+B", kImgBoxSelect);
  b.Toggle("MenuReadOnly", "ActReadOnly", "書込み禁止(&W)");
  b.End();

  b.Menu("MenuSearch", "検索(&S)");
  b.Toggle("MenuFind", "ActFind", "文字列検索(&F)", "Ctrl+F", kImgFind);
  b.Cmd("MenuFindNext", "ActFindNext", "次を検索(&N)", "Ctrl+F3");
  b.Cmd("MenuFindPrev", "ActFindPrev", "前を検索(&P)", "Shift+Ctrl+F3");
  b.Sep("MenuSearchSep1");
  b.Toggle("MenuReplace", "ActReplace", "文字列置換(&R)", "Ctrl+H", kImgReplace);
  b.Sep("MenuSearchSep2");
  b.Toggle("MenuGrep", "ActGrep", "ファイルから検索(&G)", none, kImgGrep);
  b.End();

  b.Menu("MenuDate", "日付(&D)");
  b.Cmd("MenuPrevYear", "ActPrevYear", "一年前(&A)");
  b.Cmd("MenuPrevMonth", "ActPrevMonth", "一ヶ月前(&B)", none, kImgPrevMonth);
  b.Cmd("MenuPrevSeven", "ActPrevSeven", "七日前(&C)", none, kImgPrevSeven);
  b.Cmd("MenuPrevThree", "ActPrevThree", "三日前(&D)", none, kImgPrevThree);
  b.Cmd("MenuPrevOne", "ActPrevOne", "一日前(&E)", none, kImgPrevOne);
  b.Sep("MenuDateSep1");
  b.Cmd("MenuNextOne", "ActNextOne", "一日後(&F)", none, kImgNextOne);
  b.Cmd("MenuNextThree", "ActNextThree", "三日後(&G)", none, kImgNextThree);
  b.Cmd("MenuNextSeven", "ActNextSeven", "七日後(&H)", none, kImgNextSeven);
  b.Cmd("MenuNextMonth", "ActNextMonth", "一ヵ月後(&I)", none, kImgNextMonth);
  b.Cmd("MenuNextYear", "ActNextYear", "一年後(&J)");
  b.Sep("MenuDateSep2");
  b.Cmd("MenuToday", "ActToday", "今日(&T)", none, kImgToday);
  b.Cmd("MenuCommandDate", "ActCommandDate", "指定日付(&M)");
  b.Sep("MenuDateSep3");
  b.Menu("MenuDateStamp", "日付の挿入(&S)");
  b.Cmd("MenuDateOne", "ActDateOne", "\"yy/mm/dd\"(&A)");
  b.Cmd("MenuDateTwo", "ActDateTwo", "\"yyyy/mm/dd\"(&B)");
  b.Cmd("MenuDateThree", "ActDateThree", "\"yy年mm月dd日\"(&C)");
  b.Cmd("MenuDateFour", "ActDateFour", "\"yy/mm/dd hh:nn:ss\"(&D)");
  b.Cmd("MenuDateFive", "ActDateFive", "\"yyyy/mm/dd hh:nn:ss\"(&E)");
  b.Cmd("MenuDateSix", "ActDateSix", "\"yyyy年mm月dd日 hh:nn:ss\"(&F)");
  b.End();
  b.End();

  b.Menu("MenuShow", "表示(&V)");
  b.Menu("MenuWrapOption", "折り返し(&W)");
  QAction* nonWrap = b.Toggle("MenuNonWrap", "ActNonWrap", "折り返さない(&N)", none, kImgNonWrap);
  QAction* wordWrap = b.Toggle("MenuWordWrap", "ActWordWrap", "右端折り返し(&W)", none, kImgWordWrap);
  QAction* byteWrap = b.Toggle("MenuByteWrap", "ActByteWrap", "指定行折り返し(&B)", none, kImgByteWrap);
  b.End();
  b.Sep("MenuShowSep1");
  b.Menu("MenuMenuOption", "メニュー(&M)");
  b.Toggle("MenuShowMenu", "ActShowMenu", "表示(&V)");
  b.Toggle("MenuMenuSimplify", "ActMenuSimplify", "簡略化(&S)");
  b.End();
  b.Menu("MenuMenuCoolBarOption", "クールバー(&C)");
  b.Toggle("MenuEditorBar", "ActEditorBar", "エディタバー(&E)");
  b.Toggle("MenuDateBar", "ActDateBar", "日付バー(&D)");
  b.Toggle("MenuTitleBar", "ActTitleBar", "タイトルバー(&T)");
  b.Sep("MenuCoolBarSep1");
  b.Toggle("MenuHint", "ActHint", "ヒント(&H)");
  b.End();
  b.Toggle("MenuShowStatusBar", "ActShowStatusBar", "ステータスバー(&S)");
  b.Sep("MenuShowSep2");
  b.Cmd("MenuFont", "ActFont", "フォント(&F)");
  b.Sep("MenuShowSep3");
  b.Toggle("MenuTopMost", "ActTopMost", "常に最上位(&A)");
  b.Menu("MenuPanel", "パネル(&P)");
  QAction* right = b.Toggle("MenuPanelRight", "ActPanelRight", "右端(&R)");
  QAction* left = b.Toggle("MenuPanelLeft", "ActPanelLeft", "左端(&L)");
  b.End();
  b.Sep("MenuShowSep4");
  b.Toggle("MenuTabStyle", "ActTabStyle", "多段タブ(&T)");
  b.End();

  b.Menu("MenuObject", "オブジェクト(&O)");
  b.Menu("MenuCalendar", "カレンダー(&C)");
  b.Cmd("MenuCalendarShow", "ActCalendarShow", "表示(&V)");
  b.Cmd("MenuCalendarActivate", "ActCalendarActivate", "前面化(&A)");
  b.Cmd("MenuCalendarHide", "ActCalendarHide", "非表示(&H)");
  b.Sep("MenuCalendarSep1");
  // The zoom: item N gives the calendar Ratio N + 4, exactly one checked.
  b.Menu("MenuCalendarRatio", "描写倍率(&R)");
  auto* ratioGroup = new QActionGroup(owner);
  const char* const ratios[] = {"1倍(&A)", "2倍(&B)", "3倍(&C)", "4倍(&D)", "5倍(&E)"};
  for (int tag = 0; tag < 5; ++tag) {
    QAction* item = b.Toggle(QStringLiteral("MenuCalendarRatio%1").arg(tag + 1),
                             QStringLiteral("ActCalendarRatio%1").arg(tag + 1), QString::fromUtf8(ratios[tag]));
    item->setData(tag);
    ratioGroup->addAction(item);
  }
  b.End();
  b.Toggle("MenuCalendarBoldDays", "ActCalendarBoldDays", "本文存在日付を太字化(&B)");
  b.End();
  b.Menu("MenuTask", "タスク管理(&M)");
  b.Cmd("MenuTaskShow", "ActTaskShow", "表示(&V)");
  b.Cmd("MenuTaskActivate", "ActTaskActivate", "前面化(&A)");
  b.Cmd("MenuTaskHide", "ActTaskHide", "非表示(&H)");
  b.Sep("MenuTaskSep1");
  b.Cmd("MenuTaskNewItem", "ActTaskNewItem", "新規タスク(&N)", "F10");
  b.Cmd("MenuTaskEdit", "ActTaskEdit", "タスク編集(&E)", "F11");
  // The page's other commands in the order of its pop-up menu; as menu
  // items they can take a shortcut from "ShortCut" like the two above.
  b.Cmd("MenuTaskDelete", "ActTaskDelete", "タスク削除(&D)");
  b.Menu("MenuTaskPriority", "優先度(&P)");
  // Priority 0, 1, 2 in this order; at most one checked (none while the
  // selected task has another number).
  auto* priorityGroup = new QActionGroup(owner);
  priorityGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  const char* const priorities[][2] = {{"Low", "低い(&L)"}, {"Normal", "通常(&N)"}, {"High", "高い(&H)"}};
  for (const auto& priority : priorities) {
    const QString stem = QStringLiteral("TaskPriority") + QLatin1String(priority[0]);
    priorityGroup->addAction(b.Toggle("Menu" + stem, "Act" + stem, QString::fromUtf8(priority[1])));
  }
  b.End();
  b.Menu("MenuTaskSort", "ソート(&S)");
  b.Cmd("MenuTaskDateSort", "ActTaskDateSort", "日付ソート(&D)");
  b.Cmd("MenuTaskTitleSort", "ActTaskTitleSort", "タイトルソート(&T)");
  b.Cmd("MenuTaskPrioritySort", "ActTaskPrioritySort", "優先度ソート(&P)");
  b.End();
  b.End();
  b.Menu("MenuViewer", "画像ビューア(&V)");
  b.Cmd("MenuViewerShow", "ActViewerShow", "表示(&V)");
  b.Cmd("MenuViewerActivate", "ActViewerActivate", "前面化(&A)");
  b.Cmd("MenuViewerHide", "ActViewerHide", "非表示(&H)");
  b.Sep("MenuViewerSep1");
  b.Cmd("MenuViewerEdit", "ActViewerEdit", "画像編集", "F2");
  // The image list's other commands, in the order of its pop-up menu; they
  // act on the selected pictures of the open day.
  b.Cmd("MenuViewerPreview", "ActViewerPreview", "閲覧(&P)");
  b.Cmd("MenuViewerOpenDirectory", "ActViewerOpenDirectory", "保存先を開く(&F)");
  b.Cmd("MenuViewerAppend", "ActViewerAppend", "画像追加(&A)");
  b.Cmd("MenuViewerDelete", "ActViewerDelete", "画像削除(&D)");
  b.Cmd("MenuViewerSelectAll", "ActViewerSelectAll", "全てを選択(&L)");
  b.Cmd("MenuViewerProperty", "ActViewerProperty", "プロパティ(&R)");
  b.End();
  b.Menu("MenuTitle", "タイトル一覧(&T)");
  b.Cmd("MenuTitleShow", "ActTitleShow", "表示(&V)");
  b.Cmd("MenuTitleActivate", "ActTitleActivate", "前面化(&A)");
  b.Cmd("MenuTitleHide", "ActTitleHide", "非表示(&H)");
  // The title list's pop-up commands, acting on its selected row.
  b.Sep("MenuTitleSep1");
  b.Cmd("MenuTitleMove", "ActTitleMove", "移動(&M)");
  b.Cmd("MenuTitleEditTitle", "ActTitleEditTitle", "タイトル編集(&E)");
  b.Cmd("MenuTitleOpenFile", "ActTitleOpenFile", "開く(&O)");
  b.Cmd("MenuTitleOpenDirectory", "ActTitleOpenDirectory", "保存先を開く(&F)");
  b.Cmd("MenuTitleRefresh", "ActTitleRefresh", "再描写(&R)");
  b.End();
  b.End();

  b.Menu("MenuHelp", "ヘルプ(&H)");
  b.Cmd("MenuAbout", "ActAbout", "バージョン情報(&V)");
  // One item per loaded image plug-in goes below this submenu when
  // "ShowInformation" is set; the submenu and its separator are hidden
  // otherwise.
  b.Sep("MenuHelpSep1");
  b.Menu("MenuPluginInformation", "プラグイン情報(&P)");
  b.End();
  b.End();

  // Radio groups: exactly one wrap mode, one panel edge.
  auto* wrapGroup = new QActionGroup(owner);
  for (QAction* a : {nonWrap, wordWrap, byteWrap}) wrapGroup->addAction(a);
  auto* panelGroup = new QActionGroup(owner);
  panelGroup->addAction(right);
  panelGroup->addAction(left);

  // The page toggles of the side panel's pop-up menu are not menu items.
  const char* pops[][2] = {{"ActPopCalendar", "カレンダー(&C)"},
                           {"ActPopTask", "タスク管理(&M)"},
                           {"ActPopViewer", "画像ビューア(&V)"},
                           {"ActPopTitle", "タイトル一覧(&T)"}};
  for (const auto& pop : pops) {
    auto* action = new QAction(QString::fromUtf8(pop[1]), owner);
    action->setObjectName(QString::fromLatin1(pop[0]));
    action->setCheckable(true);
    m_actions.insert(action->objectName(), action);
  }
  // The pop-up menus' way back to a hidden menu bar is the same toggle as
  // ActShowMenu, whose caption "表示(&V)" says nothing outside its submenu.
  // The tool bar area and status bar read as the window menu item
  // "メニュー(&V)"; the editor's menu, where V pastes, as the submenu
  // "メニュー(&M)".
  QAction* showMenu = Action("ActShowMenu");
  for (const auto& [name, caption] : {std::pair{"ActPopShowMenu", "メニュー(&V)"}, {"ActEditShowMenu", "メニュー(&M)"}}) {
    auto* mirror = new QAction(QString::fromUtf8(caption), owner);
    mirror->setObjectName(QString::fromLatin1(name));
    mirror->setCheckable(true);
    mirror->setChecked(showMenu->isChecked());
    QObject::connect(showMenu, &QAction::toggled, mirror, &QAction::setChecked);
    QObject::connect(mirror, &QAction::triggered, showMenu, &QAction::setChecked);
    m_actions.insert(mirror->objectName(), mirror);
  }
}

QAction* TCommands::Action(const QString& commandName) const {
  QAction* action = m_actions.value(commandName);
  // A null action would only make connect() warn and leave the command dead.
  if (!action) qFatal("Quillet: no command named \"%s\"", qPrintable(commandName));
  return action;
}

QAction* TCommands::MenuItem(const QString& itemName) const { return m_items.value(itemName); }

const QStringList& TCommands::SimplifiedItems() {
  static const QStringList items{
      "MenuSaveAs",        "MenuClose",     "MenuTranslation",       "MenuPlastic",
      "MenuEditSep4",      "MenuBoxSelect", "MenuFindNext",          "MenuFindPrev",
      "MenuSearchSep2",    "MenuGrep",      "MenuPrevYear",          "MenuPrevMonth",
      "MenuNextMonth",     "MenuNextYear",  "MenuWrapOption",        "MenuShowSep1",
      "MenuMenuCoolBarOption", "MenuShowStatusBar", "MenuShowSep3",  "MenuTopMost",
      "MenuPanel",         "MenuShowSep4",  "MenuTabStyle"};
  return items;
}

void TCommands::ApplyMenuSimplify(bool simplified) {
  // Submenus and separators are objects of the menu alone and are hidden. A
  // command's action also drives its tool button and its shortcut, which
  // must keep working, so it is taken out of its menu instead.
  QSet<QAction*> commands;
  for (const auto& item : m_leafItems) commands.insert(item.second);
  QSet<QAction*> leftOut;
  for (const QString& name : SimplifiedItems()) {
    QAction* item = MenuItem(name);
    if (!item) continue;
    if (commands.contains(item))
      leftOut.insert(item);
    else
      item->setVisible(!simplified);
  }
  for (auto it = m_designed.cbegin(); it != m_designed.cend(); ++it) {
    const QList<QAction*>& designed = it.value();
    if (std::none_of(designed.begin(), designed.end(), [&](QAction* a) { return leftOut.contains(a); })) continue;
    QMenu* menu = it.key();
    // Rebuilt in the designed order, so that showing again puts each item
    // back in its place.
    for (QAction* action : menu->actions()) menu->removeAction(action);
    for (QAction* action : designed)
      if (!simplified || !leftOut.contains(action)) menu->addAction(action);
  }
}

void TCommands::ApplyShowMenu(bool shown) {
  for (QAction* menu : m_topMenus) menu->setVisible(shown);
}

void TCommands::LoadShortCuts(const THIniFile& ini) {
  for (const auto& [itemName, action] : m_leafItems) {
    const std::string key = itemName.toStdString();
    if (!ini.ValueExists(keys::kShortCut, key)) continue;
    const std::string text = ini.ReadShortCut(keys::kShortCut, key, "");
    const QKeySequence seq(QString::fromStdString(text), QKeySequence::PortableText);
    // An empty value removes the shortcut; an unreadable one keeps the design's.
    if (text.empty())
      action->setShortcut(QKeySequence());
    else if (!seq.isEmpty() && seq[0].key() != Qt::Key_unknown)
      action->setShortcut(seq);
  }
}

}  // namespace quillet
