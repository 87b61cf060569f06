// The main window's search commands; see FindCommands.h.
#include "gui/search/FindCommands.h"

#include <QAction>

#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/search/SearchHistory.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/UMain.h"
#include "gui/search/FmFind.h"
#include "gui/search/FmReplace.h"

namespace quillet {

TFindCommands::TFindCommands(TFmMain& main) : QObject(&main), m_main(main) {
  setObjectName("FindCommands");
  connect(main.Action("ActFind"), &QAction::triggered, this, &TFindCommands::ShowFind);
  connect(main.Action("ActReplace"), &QAction::triggered, this, &TFindCommands::ShowReplace);
  connect(main.Action("ActFindNext"), &QAction::triggered, this, [this] { RepeatSearch(true); });
  connect(main.Action("ActFindPrev"), &QAction::triggered, this, [this] { RepeatSearch(false); });
  connect(&main, &TFmMain::CloseToolWindows, this, &TFindCommands::CloseWindows);
}

void TFindCommands::ShowFind(bool shown) {
  if (!shown) {
    if (m_find) m_find->reject();
    return;
  }
  if (m_replace) m_replace->reject();
  if (!m_find) m_find = new TFmFind(m_main);
  m_find->show();
  m_find->raise();
  m_find->activateWindow();
}

void TFindCommands::ShowReplace(bool shown) {
  if (!shown) {
    if (m_replace) m_replace->reject();
    return;
  }
  if (m_find) m_find->reject();
  if (!m_replace) m_replace = new TFmReplace(m_main);
  m_replace->show();
  m_replace->raise();
  m_replace->activateWindow();
}

void TFindCommands::CloseWindows() {
  if (m_find) m_find->reject();
  if (m_replace) m_replace->reject();
}

void TFindCommands::RepeatSearch(bool forward) {
  std::string text;
  const THistoryRead read = ReadFirstHistoryLine(m_main.OptionFolder() + "Find.txt", text);
  if (read == THistoryRead::Missing) return;
  if (read == THistoryRead::Unreadable) {
    m_main.ShowStatusMessage(QStringLiteral("履歴ファイル「Find.txt」を読み込めませんでした"));
    return;
  }
  // The settings file may have been changed by a window since start.
  const THIniFile ini(m_main.SettingsFile(), false);
  TMainEditorPort& editor = m_main.Editor();
  const bool found = !text.empty() && editor.Search(text, forward, keys::SearchByte.Read(ini));
  m_main.ShowStatusMessage(SearchReport(editor, found));
}

}  // namespace quillet
