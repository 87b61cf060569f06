// The main window's grep and squeeze commands; see GrepCommands.h.
#include "gui/search/GrepCommands.h"

#include <QAction>

#include "gui/app/UMain.h"
#include "gui/search/FmResult.h"

namespace quillet {

TGrepCommands::TGrepCommands(TFmMain& main) : QObject(&main), m_main(main) {
  setObjectName("GrepCommands");
  connect(main.Action("ActGrep"), &QAction::triggered, this, &TGrepCommands::ShowGrep);
  connect(&main, &TFmMain::CloseToolWindows, this, &TGrepCommands::CloseWindows);
}

void TGrepCommands::HookResultWindow(TFmResult& result) {
  result.SetNewSearchHook([this] {
    if (!m_grep) ShowGrep(true);
  });
  result.SetSqueezeHook([this] {
    if (m_grep) m_grep->reject();
    ShowSqueeze();
  });
}

void TGrepCommands::ShowGrep(bool shown) {
  if (!shown) {
    if (m_grep) m_grep->reject();
    return;
  }
  if (!m_grep) m_grep = new TFmGrep(m_main);
  m_main.Action("ActGrep")->setChecked(true);
  m_grep->show();
  m_grep->raise();
  m_grep->activateWindow();
}

void TGrepCommands::ShowSqueeze() {
  if (!m_squeeze) m_squeeze = new TFmSqueeze(m_main);
  m_squeeze->show();
  m_squeeze->raise();
  m_squeeze->activateWindow();
}

void TGrepCommands::CloseWindows() {
  if (m_grep) m_grep->reject();
  if (m_squeeze) m_squeeze->reject();
}

}  // namespace quillet
