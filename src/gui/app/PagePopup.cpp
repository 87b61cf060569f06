// The pages' pop-up menus (see PagePopup.h).
#include "gui/app/PagePopup.h"

#include <QAction>
#include <QMenu>

#include "gui/app/UMain.h"

namespace quillet {

void FillPagePopup(QMenu& menu, TFmMain& window, std::span<const TPopItem> items) {
  for (const TPopItem& item : items) {
    if (!item.caption) {
      menu.addSeparator()->setObjectName(item.name);
      continue;
    }
    QAction* action = menu.addAction(QString::fromUtf8(item.caption));
    action->setObjectName(item.name);
    if (item.command) {
      QAction* command = window.Action(QString::fromLatin1(item.command));
      QObject::connect(action, &QAction::triggered, command, &QAction::trigger);
    }
  }
  if (!menu.actions().isEmpty()) menu.setDefaultAction(menu.actions().front());
}

}  // namespace quillet
