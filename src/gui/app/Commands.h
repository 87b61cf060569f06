// The main window's commands: every named action with its caption, designed
// shortcut and tool image, and the main menu built from them with the item
// names that the "ShortCut" section and the simplified menus refer to.
//
// An action's object name is its command name ("ActSave"); the menu item that
// shows it is found by its item name ("MenuSave"). Submenus and separators
// have item names too, so that the simplified menus can hide them by name.
// The checked state of a toggle lives in its action and nowhere else.
#pragma once

#include <QHash>
#include <QList>
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QMenuBar;
class QObject;

namespace quillet {

class THIniFile;

class TCommands {
public:
  // Creates every action (owned by `owner`) and the main menu in `menuBar`.
  TCommands(QObject* owner, QMenuBar* menuBar);

  // The action of a command name ("ActSave"); never null. Command names are
  // written in code, so an unknown one is a typo: the program stops with a
  // message naming it, in every build, and any test that builds the window
  // finds it.
  QAction* Action(const QString& commandName) const;
  // The menu item of an item name ("MenuSave", "MenuTranslation",
  // "MenuEditSep4"): for a submenu its menuAction(). nullptr when unknown.
  QAction* MenuItem(const QString& itemName) const;
  // Leaf items of the main menu (commands, not submenus or separators), in
  // menu order, with their item names.
  const QList<QPair<QString, QAction*>>& LeafItems() const { return m_leafItems; }
  const QList<QAction*>& TopLevelMenus() const { return m_topMenus; }

  // The 23 items that the simplified menus hide. Only the menu entries go:
  // the commands stay enabled, with their tool buttons and shortcuts.
  static const QStringList& SimplifiedItems();
  void ApplyMenuSimplify(bool simplified);
  void ApplyShowMenu(bool shown);

  // Section "ShortCut": every leaf item takes the shortcut stored under its
  // item name, keeping the designed one when the key is missing. A stored
  // text that does not parse as a key sequence also keeps the designed one.
  void LoadShortCuts(const THIniFile& ini);

  // Tool image index of a command, -1 when it has no tool button.
  int ImageIndex(const QString& commandName) const { return m_images.value(commandName, -1); }

private:
  struct TBuilder;
  QHash<QString, QAction*> m_actions;
  QHash<QString, QAction*> m_items;
  QHash<QString, int> m_images;
  QHash<QMenu*, QList<QAction*>> m_designed;  // every menu's items as built
  QList<QPair<QString, QAction*>> m_leafItems;
  QList<QAction*> m_topMenus;
};

}  // namespace quillet
