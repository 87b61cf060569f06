// TMenuBarRecall: a press of Alt alone brings a hidden menu bar back for one
// use, as desktop programs on Linux do. The bar appears with its first menu
// open and hides again once its menus are closed, unless the user chose
// "表示(&V)" from it to keep it. Alt held for a chord (Alt+F4, Alt+Tab) or
// with a click in between recalls nothing; a shown menu bar is left alone.
//
// The menu toggle (ActShowMenu) stays the truth: a recall never checks it,
// so the hidden state is what the settings keep.
// Watches the application's key events for the window's own widgets; GUI
// thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QMainWindow;
class QMenuBar;

namespace quillet {

class TMenuBarRecall : public QObject {
  Q_OBJECT

public:
  // `showMenu` is the menu toggle; `showMenus` makes the top-level menu
  // items visible or not. Neither is owned; both outlive this object, which
  // is a child of `window`.
  TMenuBarRecall(QMainWindow* window, QAction* showMenu, std::function<void(bool)> showMenus);
  ~TMenuBarRecall() override;

  // True while a hidden menu bar is shown for one use.
  bool Recalled() const { return m_recalled; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  bool OwnWidget(QObject* object) const;
  void Recall();
  // Hides the bar again when no menu of it is open any more.
  void CheckEnd();

  QMainWindow* m_window;
  // Kept apart: the filter may still see events while the window is torn
  // down, when asking the window for its bar is no longer safe.
  QPointer<QMenuBar> m_bar;
  QAction* m_showMenu;
  std::function<void(bool)> m_showMenus;
  bool m_altAlone = false;
  bool m_recalled = false;
};

}  // namespace quillet
