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
#include <fcntl.h>
#include <unistd.h>

#include "core/app/AppFolder.h"
#include "core/base/CodePage.h"
#include "core/store/EntryStore.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/UMain.h"

namespace quillet {

namespace {

QString FromCp932(const std::string& bytes) {
  std::u16string text;
  ToUtf16(bytes, text);
  return QString::fromStdU16String(text);
}

std::time_t FileStamp(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  return info.exists() ? info.lastModified().toSecsSinceEpoch() : 0;
}

// Renames `path` to the first free "<path>.bak", "<path>.bak1", ...; true when
// the file is out of the way (or already gone).
bool KeepUnreadFile(const std::string& path) {
  const QString from = QString::fromStdString(path);
  if (!QFile::exists(from)) return true;
  for (int n = 0; n < 1000; ++n) {
    const QString to = from + ".bak" + (n ? QString::number(n) : QString());
    if (!QFile::exists(to)) return QFile::rename(from, to);
  }
  return false;
}

}  // namespace

void TFmMain::ClearModified() {
  m_editor->SetModified(false);
  m_titleModified = false;
  m_statusBar->SetPanelText(spModified, QString());
}

bool TFmMain::EntryModified() const { return m_editor->Modified() || m_titleModified; }

void TFmMain::OnEditorModifiedChanged(bool modified) {
  if (modified) m_statusBar->SetPanelText(spModified, "変更あり");
}

void TFmMain::LoadEntry() {
  setWindowTitle(QString::asprintf("%04d/%02d/%02d", YearOf(m_currentDate), MonthOf(m_currentDate),
                                   DayOf(m_currentDate)) +
                 " - Quillet");
  m_editor->SetText(std::string());
  {
    const QSignalBlocker block(m_titleEdit);
    m_titleEdit->clear();
  }
  ClearModified();
  m_currentFileName.clear();
  m_statusBar->SetPanelText(spMessage, QString());
  m_statusBar->SetPanelText(spEncrypted, QString());
  // The image list switches to the new day here when it exists.

  const TLoadedDay day = LoadDay(m_store, Code, m_currentDate);
  if (!day.RootMissing) {
    {
      const QSignalBlocker block(m_titleEdit);
      m_titleEdit->setText(FromCp932(day.Meta.Title));
    }
    if (day.Encrypted) m_statusBar->SetPanelText(spEncrypted, QString::fromUtf8(kMsgEncryptedText));
    if (day.FileExists) {
      m_editor->SetText(day.Body);
      m_currentFileName = day.Path;
    }
    m_unreadFile = day.ReadFailed ? day.Path : std::string();
    const std::string message = day.StatusMessage();
    if (!message.empty()) ShowStatusMessage(QString::fromStdString(message));
  }
  if (!m_editor->IsEmpty()) m_editor->GoToStart();
  ClearModified();
}

bool TFmMain::SaveEntry(bool force) {
  // The image list stores its list for the day here when it exists.
  TSaveRequest request;
  request.Date = m_currentDate;
  request.Body = m_editor->Text();
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
  if (!m_unreadFile.empty() && (force || request.Modified)) {
    // The day's file could not be read, so the editor never held its text.
    // Keep that file aside before anything replaces it.
    if (!KeepUnreadFile(m_unreadFile)) {
      ShowStatusMessage("保存に失敗しました");
      return false;
    }
    m_unreadFile.clear();
  }
  const TSaveResult result = SaveDay(m_store, m_env.appFolder, Code, request);
  for (const std::string& message : result.Messages) ShowStatusMessage(QString::fromStdString(message));
  if (result.Acted && result.Ok) {
    ClearModified();
    if (!result.FileDeleted) m_currentFileName = EntryPath(m_store, m_currentDate);
  }
  // After a failed write the marks stay set: the text is still only in the
  // editor, and the next unforced save must try again.
  // The calendar marks the day and the title list refreshes it here when
  // they exist.
  return result.Ok;
}

bool TFmMain::ChangeDay(TDate date) {
  if (!SaveEntry(false)) return false;
  // otherMonth decides whether the title list is rebuilt, once it exists.
  [[maybe_unused]] const bool otherMonth = IsOtherMonth(date, m_currentDate);
  m_currentDate = date;
  LoadEntry();
  return true;
}

void TFmMain::ReloadEntryFrom(const std::string& path) {
  const TDayMeta meta = ReadDayMeta(EntryFolder(m_store, m_currentDate), DayOf(m_currentDate));
  std::string body;
  // A failing reload keeps what the editor has.
  if (!ReadEntryBody(path, meta.EntryMethod(), meta.KeyNumber(Code.Number), Code.Word, body)) return;
  m_editor->SetText(body);
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
    // Keep what the editor held before the outside program may change it.
    // Appending never endangers the records already there.
    // The log holds diary text, so it is private to its owner like the entries.
    const int fd = ::open((m_env.appFolder + "Log.txt").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
      const std::string record = m_editor->Text() + "\r\n";
      for (std::size_t done = 0; done < record.size();) {
        const ssize_t n = ::write(fd, record.data() + done, record.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      ::close(fd);
    }
    m_externalEditPending = false;
    const std::string path = EntryPath(m_store, m_currentDate);
    if (QFile::exists(QString::fromStdString(path))) {
      if (FileStamp(path) != m_lastFileTime) ReloadEntryFrom(path);
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
    ReloadEntryFrom(m_currentFileName);
  m_lastFileTime = stamp;
}

}  // namespace quillet
