// The main window's side of the options dialog: opening it, and taking up
// what it wrote with the readers of the start-up sequence.
#include "core/app/SettingsKeys.h"
#include "core/store/EntryStore.h"
#include "gui/app/Commands.h"
#include "gui/app/UMain.h"
#include "gui/options/FmOption.h"
#include "gui/calendar/UCalendar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/tasks/UTask.h"
#include "gui/titles/UTitle.h"
#include "gui/viewer/UViewer.h"

namespace quillet {

void TFmMain::ShowOptions() {
  // Made on demand and released when closed.
  TFmOption dialog(*this, this);
  if (m_env.runOptionDialog)
    m_env.runOptionDialog(dialog);
  else
    dialog.exec();
}

bool TFmMain::ApplyOptions(const THIniFile& ini) {
  // The key state, status panel 2 and the history length, as at start: an
  // empty key word is the login name here too, so that the days written
  // under it still open after an apply as they do after a restart.
  LoadEncryptionSettings(ini);
  m_checkTimeStamp = keys::CheckTimeStump.Read(ini);

  bool ok = true;
  const TStoreSettings store = ReadStoreSettings(ini, m_env.appFolder);
  const bool moved = store.SavePath != m_store.SavePath || store.SaveStyle != m_store.SaveStyle ||
                     store.SaveExt != m_store.SaveExt;
  if (!moved) {
    m_store.SaveReadOnly = store.SaveReadOnly;
  } else if (SaveEntry(false)) {
    // The open entry is kept where it was read, then the day is read from
    // where the diary now lies; the pages re-read the month.
    m_store = store;
    LoadEntry(true);
    if (!m_store.MissingSavePath.empty())
      ShowStatusMessage(QString::fromUtf8(kMsgSavePathMissing) + QString::fromStdString(m_store.MissingSavePath));
  } else {
    // The text is only in the editor: it must not be read back from, or
    // saved to, another place than the one it came from.
    m_store.SaveReadOnly = store.SaveReadOnly;
    ok = false;
  }
  // The shortcuts just chosen take effect now, whatever "LoadMenu" says
  // about the next start.
  m_commands->LoadShortCuts(ini);
  // The editor and the pages take their settings with the readers of the
  // start, whatever the start-up switches say about the next start.
  m_editor->LoadSettings(ini);
  // The wrap column applies at once while "指定行折り返し" is on.
  m_wrapByte = keys::WrapByte.Read(ini);
  if (WrapOrder() == TWrapMode::ByteWrap) m_editor->SetWrapMode(TWrapMode::ByteWrap, m_wrapByte);
  m_editor->LoadReserveWords(OptionFolder());
  if (auto* calendar = Page<TCalendarObject>()) calendar->LoadCalendarSettings(ini);
  if (auto* tasks = Page<TTaskObject>()) tasks->LoadTaskSettings(ini);
  if (auto* viewer = Page<TViewerObject>()) viewer->LoadViewerSettings(ini);
  if (auto* titles = Page<TTitleObject>()) titles->ReadSettings(ini);
  return ok;
}

}  // namespace quillet
