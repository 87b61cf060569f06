// TFindCommands: the main window's search commands over its open entry.
// `ActFind` and `ActReplace` toggle their window (created when checked,
// closed when unchecked; the window unchecks the command when it closes
// itself), and the two windows never stand open together. `ActFindNext` and
// `ActFindPrev` repeat the last search without a window: the first line of
// "Find.txt" (nothing at all before the first search), match case from
// "Byte" of section "Search" read at each use, no wrap-around.
// The main window's close sequence closes the windows (so their settings
// are written). Owned by the main window; GUI thread.
#pragma once

#include <QObject>
#include <QPointer>

#include "gui/search/FmFind.h"
#include "gui/search/FmReplace.h"

namespace quillet {

class TFmMain;

class TFindCommands : public QObject {
  Q_OBJECT

public:
  explicit TFindCommands(TFmMain& main);

  // The repeat commands: forwards (`ActFindNext`) or backwards.
  void RepeatSearch(bool forward);

private:
  void ShowFind(bool shown);
  void ShowReplace(bool shown);
  void CloseWindows();

  TFmMain& m_main;
  QPointer<TFmFind> m_find;
  QPointer<TFmReplace> m_replace;
};

}  // namespace quillet
