// The one-use menu bar behind Alt; see MenuBarRecall.h.
#include "gui/app/MenuBarRecall.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace quillet {

TMenuBarRecall::TMenuBarRecall(QMainWindow* window, QAction* showMenu, std::function<void(bool)> showMenus)
    : QObject(window), m_window(window), m_bar(window->menuBar()), m_showMenu(showMenu),
      m_showMenus(std::move(showMenus)) {
  qApp->installEventFilter(this);
  // A menu closing may only be the move to the next one: look once the
  // event loop has settled.
  for (QMenu* menu : m_bar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
    connect(menu, &QMenu::aboutToHide, this, [this] { QTimer::singleShot(0, this, &TMenuBarRecall::CheckEnd); });
}

TMenuBarRecall::~TMenuBarRecall() { qApp->removeEventFilter(this); }

bool TMenuBarRecall::OwnWidget(QObject* object) const {
  const auto* widget = qobject_cast<QWidget*>(object);
  return widget && widget->window() == m_window;
}

bool TMenuBarRecall::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      // A key event reaches the filter once for each widget it propagates
      // to; the state below takes repeats in its stride.
      const auto* key = static_cast<QKeyEvent*>(event);
      const bool alone = key->key() == Qt::Key_Alt && (key->modifiers() & ~Qt::AltModifier) == 0;
      if (!key->isAutoRepeat()) m_altAlone = alone && OwnWidget(watched);
      break;
    }
    case QEvent::KeyRelease: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Alt && m_altAlone && OwnWidget(watched)) {
        m_altAlone = false;
        if (!m_showMenu->isChecked() && !m_recalled) Recall();
      }
      break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
      m_altAlone = false;
      break;
    case QEvent::FocusOut:
      // Escape out of the bar's keyboard mode ends the use.
      if (m_recalled && watched == m_bar) QTimer::singleShot(0, this, &TMenuBarRecall::CheckEnd);
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void TMenuBarRecall::Recall() {
  QMenuBar* bar = m_bar;
  if (!bar) return;
  m_recalled = true;
  m_showMenus(true);
  bar->setVisible(true);
  // The bar needs its place before a menu can drop from it.
  if (QLayout* layout = m_window->layout()) layout->activate();
  for (QAction* action : bar->actions()) {
    if (action->isVisible() && QMenu::menuInAction(action)) {
      bar->setActiveAction(action);
      break;
    }
  }
}

void TMenuBarRecall::CheckEnd() {
  if (!m_recalled) return;
  if (m_showMenu->isChecked()) {
    m_recalled = false;  // kept for good through the toggle
    return;
  }
  QMenuBar* bar = m_bar;
  if (!bar) return;
  if (QApplication::activePopupWidget() || (bar->activeAction() && bar->hasFocus())) return;
  m_recalled = false;
  m_showMenus(false);
  bar->setVisible(false);
}

}  // namespace quillet
