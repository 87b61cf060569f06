// TGrepCommands: the main window's side of the grep and squeeze dialogs.
// "ActGrep" toggles the grep dialog (made when checked, closed when
// unchecked; the dialog unchecks the command when it closes itself). The
// result window's "新規検索" opens the grep dialog unless it is open, and its
// "絞込検索" closes the grep dialog and shows the squeeze dialog. The main
// window's close sequence closes both, so their settings are written and
// their searches stopped. Owned by the main window; GUI thread.
#pragma once

#include <QObject>
#include <QPointer>

#include "gui/search/FmGrep.h"
#include "gui/search/FmSqueeze.h"

namespace quillet {

class TFmMain;
class TFmResult;

class TGrepCommands : public QObject {
  Q_OBJECT

public:
  explicit TGrepCommands(TFmMain& main);

  // Sets the result window's hooks; the main window calls it for each new
  // result window.
  void HookResultWindow(TFmResult& result);

  TFmGrep* Grep() const { return m_grep; }
  TFmSqueeze* Squeeze() const { return m_squeeze; }

private:
  void ShowGrep(bool shown);
  void ShowSqueeze();
  void CloseWindows();

  TFmMain& m_main;
  QPointer<TFmGrep> m_grep;
  QPointer<TFmSqueeze> m_squeeze;
};

}  // namespace quillet
