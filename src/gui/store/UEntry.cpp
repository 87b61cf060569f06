// The main window's side of an entry: LoadEntry and SaveEntry move the text
// between the editor, the title box and the store, and keep the caption, the
// modified marks and the status panels in step. Every rule of what is written
// when lives in the store (LoadDay, SaveDay); this file only wires it to the
// window.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include "core/app/AppFolder.h"
#include "core/base/CodePage.h"
#include "core/store/DateFormat.h"
#include "core/store/EntryStore.h"
#include "gui/editor/EditorClipboard.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/PagePanel.h"
#include "gui/app/UMain.h"

namespace quillet {

namespace {

std::time_t FileStamp(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  return info.exists() ? info.lastModified().toSecsSinceEpoch() : 0;
}

}  // namespace

void TFmMain::ClearModified() {
  m_editor->SetModified(false);
  m_titleModified = false;
  m_statusBar->SetPanelText(spModified, QString());
}

bool TFmMain::EntryModified() const { return m_editor->Modified() || m_titleModified || m_pages->Modified(); }

void TFmMain::OnEditorModifiedChanged(bool modified) {
  if (modified) m_statusBar->SetPanelText(spModified, "変更あり");
}

void TFmMain::LoadEntry(bool otherMonth) {
  setWindowTitle(QString::fromStdString(FormatDatePattern(kShortDatePattern, m_currentDate)) + " - Quillet");
  m_editor->SetText(std::string());
  {
    const QSignalBlocker block(m_titleEdit);
    m_titleEdit->clear();
  }
  ClearModified();
  m_currentFileName.clear();
  m_statusBar->SetPanelText(spMessage, QString());
  m_statusBar->SetPanelText(spEncrypted, QString());
  // The pages follow the open date before its entry is read: the calendar
  // shows it, the title list rebuilds or selects, the image list switches.
  m_pages->OnDayLoaded(m_currentDate, otherMonth);

  m_loadFailed = false;
  const TLoadedDay day = LoadDay(m_store, m_code, m_currentDate);
  if (!day.RootMissing) {
    {
      const QSignalBlocker block(m_titleEdit);
      m_titleEdit->setText(FromCp932(day.Meta.Title));
    }
    if (day.Encrypted) m_statusBar->SetPanelText(spEncrypted, QString::fromUtf8(kMsgEncryptedText));
    m_loadFailed = day.ReadFailed && day.FileExists;
    if (day.FileExists) {
      try {
        m_editor->SetText(day.Body);
      } catch (const std::bad_alloc&) {
        // The text does not fit in memory twice over; the day stays empty
        // and its file is kept aside before a save replaces it.
        m_editor->SetText(std::string());
        m_loadFailed = true;
        ShowStatusMessage(QString::fromUtf8(kMsgReadFailed));
      }
      m_currentFileName = day.Path;
    }
    const std::string message = day.StatusMessage();
    if (!message.empty()) ShowStatusMessage(QString::fromStdString(message));
  }
  if (!m_editor->IsEmpty()) m_editor->GoToStart();
  ClearModified();
}

bool TFmMain::SaveEntry(bool force) {
  // Pages keep their part of the day first (the image list its Image.dat).
  m_pages->BeforeSave(m_currentDate);
  TSaveRequest request;
  request.Date = m_currentDate;
  try {
    request.Body = m_editor->Text();
  } catch (const std::bad_alloc&) {
    ShowStatusMessage(QString::fromUtf8(kMsgSaveFailed));
    return false;
  }
  std::string title;
  if (!FromUtf16(m_titleEdit->text().toStdU16String(), title)) {
    // A title the code page cannot hold is refused as typed input is; the
    // entry is not written until it is mended, so nothing is lost.
    ShowStatusMessage("タイトルに保存できない文字があります");
    return false;
  }
  request.Title = title;
  request.Force = force;
  request.Modified = EntryModified();
  // The editor never held the text of a file that could not be read.
  request.SetAsideOld = m_loadFailed;
  const TSaveResult result = SaveDay(m_store, m_env.appFolder, m_code, request);
  for (const std::string& message : result.Messages) ShowStatusMessage(QString::fromStdString(message));
  if (result.Acted && result.Ok) {
    ClearModified();
    // The day is now stored the way the settings say; the panel must not
    // wait for the next load to tell.
    m_statusBar->SetPanelText(spEncrypted, result.Encrypted ? QString::fromUtf8(kMsgEncryptedText) : QString());
    m_loadFailed = false;
    if (!result.FileDeleted) m_currentFileName = EntryPath(m_store, m_currentDate);
  }
  // After a failed write the marks stay set: the text is still only in the
  // editor, and the next unforced save must try again.
  // The calendar marks the day and the title list refreshes its row; only
  // after a save that wrote or deleted something.
  if (result.Acted && result.Ok) m_pages->OnSaved(m_currentDate, result);
  return result.Ok;
}

bool TFmMain::ChangeDay(TDate date) {
  // Text still being composed belongs to this day: it goes in before the
  // save, and the input method cannot carry it into the next day's entry.
  m_editor->CommitComposition();
  if (!SaveEntry(false)) return false;
  const bool otherMonth = IsOtherMonth(date, m_currentDate);
  m_currentDate = date;
  LoadEntry(otherMonth);
  return true;
}

void TFmMain::ReloadEntry() {
  const TLoadedDay day = LoadDay(m_store, m_code, m_currentDate);
  // A failing reload keeps what the editor has.
  if (day.RootMissing || day.ReadFailed || !day.FileExists) return;
  m_editor->SetText(day.Body);
  m_editor->GoToStart();
  ClearModified();
}

void TFmMain::OnApplicationDeactivated() {
  if (!m_currentFileName.empty() && QFile::exists(QString::fromStdString(m_currentFileName))) {
    m_lastFileTime = FileStamp(m_currentFileName);
    m_stampCheckPending = true;
  } else {
    m_lastFileTime = std::time(nullptr);
  }
}

void TFmMain::OnApplicationActivated() {
  if (m_externalEditPending) {
    // Keep what the editor held before the outside program may change it:
    // in the log, or encrypted beside the entry when the entry is encrypted.
    m_externalEditPending = false;
    std::string keptAt;
    if (!KeepTextBeforeReload(m_store, m_code, m_currentDate, m_editor->Text(), m_env.appFolder + "Log.txt",
                              keptAt)) {
      // Nowhere to keep it: the editor keeps it instead of reloading.
      ShowStatusMessage(QString::fromUtf8(kMsgSaveFailed));
      return;
    }
    const std::string path = EntryPath(m_store, m_currentDate);
    if (QFile::exists(QString::fromStdString(path))) {
      if (FileStamp(path) != m_lastFileTime) ReloadEntry();
    } else {
      m_editor->SetText(std::string());
    }
    return;
  }
  if (!m_checkTimeStamp || !m_stampCheckPending) return;
  m_stampCheckPending = false;
  if (m_currentFileName.empty() || !QFile::exists(QString::fromStdString(m_currentFileName))) return;
  const std::time_t stamp = FileStamp(m_currentFileName);
  if (stamp != m_lastFileTime &&
      m_env.askYesNo("ファイルのタイムスタンプが変更されています\r\nファイルを読み直しますか？"))
    ReloadEntry();
  m_lastFileTime = stamp;
}

}  // namespace quillet
