// The pop-up menus of the side-panel pages: items that run the main window's
// commands, so that a page's menu behaves as the main menu's items do.
#pragma once

#include <span>

class QMenu;

namespace quillet {

class TFmMain;

// One item: its object name, its caption (none for a separator) and the
// main window's command it runs (none for an item that only closes the menu,
// "キャンセル(&X)").
struct TPopItem {
  const char* name;
  const char* caption;
  const char* command;
};

// Adds `items` to `menu` in order; the first becomes the default item.
void FillPagePopup(QMenu& menu, TFmMain& window, std::span<const TPopItem> items);

}  // namespace quillet
