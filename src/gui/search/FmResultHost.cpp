// The main window's side of the result window: it makes the window on first
// use and connects it to the store settings, the key state and the day hub.
#include "gui/app/UMain.h"
#include "gui/search/FmResult.h"
#include "gui/search/GrepCommands.h"

namespace quillet {

TFmResult* TFmMain::ResultWindow() {
  if (m_resultWindow) return m_resultWindow;
  TResultHost host;
  host.settingsFile = SettingsFile();
  host.store = [this] { return m_store; };
  host.code = [this] { return m_code; };
  // A change of day saves the open entry first; a failed save keeps the day.
  host.moveToDate = [this](TDate date) { return ChangeDay(date); };
  m_resultWindow = new TFmResult(std::move(host), this);
  m_resultWindow->setAttribute(Qt::WA_DeleteOnClose);
  // "新規検索" and "絞込検索" open the grep and squeeze dialogs.
  if (auto* grep = findChild<TGrepCommands*>("GrepCommands", Qt::FindDirectChildrenOnly))
    grep->HookResultWindow(*m_resultWindow);
  return m_resultWindow;
}

TFmResult* TFmMain::ExistingResultWindow() const { return m_resultWindow; }

}  // namespace quillet
