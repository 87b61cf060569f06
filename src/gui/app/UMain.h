// TFmMain: the main window. It owns the commands, the three tool bars, the
// editor area, the side panel with its page control and the status bar, and
// the program-wide state of the shell (the open date and entry file, the
// store settings). The start-up sequence and the settings written at close
// live in USystem.cpp; the window's layout and commands in UMain.cpp.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app/HIniFile.h"
#include "core/app/PageKind.h"
#include "core/crypto/USecurity.h"
#include "core/store/UDate.h"

class QAction;
class QLineEdit;
class QSplitter;
class QTabWidget;
class QToolBar;

namespace quillet {

class TCommands;
class THStatusBar;
class TMainEditorPort;
class TPagePanel;
class TPageRegistry;
class TPanelPage;
struct TTextKey;
class TToolImages;
class TSPIs;
class TCoolBar;
class TFmResult;
class TFmOption;
enum class TWrapMode : int;

// What the start-up sequence takes from outside, so that tests can fix the
// program folder and the clock.
struct TStartupEnv {
  std::string appFolder;  // with one trailing "/"
  TDate today;            // local date at start
  int hour = 12;          // local hour at start, 0..23
  // Shows a start-up problem or a refusal to the user; by default a message box.
  std::function<void(const QString&)> reportError;
  // Asks for one line of text (nothing when cancelled); by default an input
  // box, with hidden echo when `password`.
  std::function<std::optional<QString>(const QString& caption, const QString& prompt, const QString& text,
                                       bool password)>
      askText;
  // Asks a yes/no question; by default a message box.
  std::function<bool(const QString& text)> askYesNo;
  // The local date and time when a command asks for it later (today's
  // date, the date stamps); by default the system clock's.
  std::function<TDateTime()> clock;
  // Called with the number of each start-up step (1..28) before it runs;
  // lets tests follow the order and inject a failure.
  std::function<void(int)> stepObserver;
  // Registers the side-panel pages that can be built; by default every page
  // of the program (RegisterPages). Tests register fake pages.
  std::function<void(TPageRegistry&)> registerPages;
  // Runs the options dialog; by default modally (exec). Tests drive it.
  std::function<void(TFmOption&)> runOptionDialog;
};

// The window state at start, numbered as the settings file stores it ("State").
enum class TWindowState : int { Normal = 0, Minimized = 1, Maximized = 2 };

// Status bar panels of the main window.
enum TMainPanel : int {
  spMessage = 0, spModified = 1, spEncrypt = 2, spEncrypted = 3, spReadOnly = 4, spLast = 5
};

class TFmMain : public QMainWindow {
  Q_OBJECT

public:
  // Builds the window and runs the start-up sequence; does not show it.
  explicit TFmMain(TStartupEnv env, QWidget* parent = nullptr);
  ~TFmMain() override;

  // Shows the window in the state read at start (normal, minimised, maximised).
  void ShowMain();
  // Restores the window when minimised and raises it: the hand-over of a
  // second start.
  void BringToFront();
  // The close sequence (settings written, entry saved unless closed without
  // saving). Runs once; later calls do nothing. Called by closeEvent and on
  // the end of the session or a termination signal.
  void RunCloseSequence();
  // Writes the settings and saves the open entry without closing: the end of
  // the desktop session asks for this and may still be cancelled.
  void CommitData();

  TCommands& Commands() const { return *m_commands; }
  THStatusBar& StatusBar() const { return *m_statusBar; }
  QAction* Action(const QString& commandName) const;
  QToolBar* EditorBar() const { return m_editorBar; }
  QToolBar* DateBar() const { return m_dateBar; }
  QToolBar* TitleBar() const { return m_titleBar; }
  QLineEdit* TitleEdit() const { return m_titleEdit; }
  QWidget* ObjectPanel() const { return m_objectPanel; }
  QTabWidget* ObjectPCtrl() const { return m_objectPCtrl; }
  TCoolBar& CoolBar() const { return *m_coolBar; }
  TToolImages& ToolImages() const { return *m_toolImages; }

  TDate CurrentDate() const { return m_currentDate; }
  // The local date and time by the window's clock (fixed in tests): today's
  // date for the date commands, the stamps and the task page.
  TDateTime Now() const;
  const std::string& CurrentFileName() const { return m_currentFileName; }
  TMainEditorPort& Editor() const { return *m_editor; }
  // True when the start-up password was refused or cancelled: the window is
  // never shown, its close writes nothing, and the program ends at once.
  bool StartupRefused() const { return m_startupRefused; }

  // The day hub: saves the open entry (unforced) and, when that worked, opens
  // `date`. False when the save failed and the day stayed.
  bool ChangeDay(TDate date);
  // Reads the entry of the current date into the editor and the title box.
  // `otherMonth`: the previous open day lay in another month (the pages are
  // told so before the entry is read).
  void LoadEntry(bool otherMonth = false);
  // Writes the open entry; unforced, nothing is written when nothing changed.
  // False when the body could not be written (the day must not change).
  bool SaveEntry(bool force);
  void ClearModified();
  bool EntryModified() const;
  // The time-stamp watch, run when the program loses and regains the focus.
  void OnApplicationDeactivated();
  void OnApplicationActivated();
  // The open entry's file was handed to an outside program.
  void SetExternalEditPending() { m_externalEditPending = true; }
  // Opens `target` with the outside tool of the settings key `tool` (read
  // afresh), else the desktop's handler; a failure is said in the status bar.
  void OpenWithTool(const TTextKey& tool, const QString& target);
  // The link under the mouse (code page 932 bytes, as the highlighter found
  // it): the captions of the link pop-up menu.
  void SetLinkTarget(const std::string& link);
  // A web address with "ToolBrowser", a mail address as "MailTo:" + the
  // address with "ToolMailer"; the desktop's handler when the tool is not
  // set. `link` is code page 932.
  void OpenLink(const std::string& link, bool mail);
  QMenu* LinkMenu() const { return m_linkMenu; }
  const TStoreSettings& StoreSettings() const { return m_store; }
  // The key state passed to the store; search workers copy it when they start.
  const TCode& Code() const { return m_code; }
  // The grep's result window, made on first use and freed when it closes
  // (FmResultHost.cpp); ExistingResultWindow is nullptr while there is none.
  TFmResult* ResultWindow();
  TFmResult* ExistingResultWindow() const;
  const std::string& AppFolder() const { return m_env.appFolder; }
  std::string OptionFolder() const;
  std::string SettingsFile() const;
  // True when the start-up sequence raised and the window opened partly set up.
  bool StartupFailed() const { return m_startupFailed; }
  // Window state read at start.
  TWindowState StartState() const { return m_startState; }
  bool PanelAtRight() const;
  int PanelWidth() const;
  int TitleWidth() const;
  bool PageExists() const;
  // The side panel's page of `kind`; nullptr while it does not exist, so
  // every caller tests for it. Page<TCalendarObject>() gives it typed.
  TPanelPage* FindPage(TPageKind kind) const;
  template <class TPage>
  TPage* Page() const {
    return dynamic_cast<TPage*>(FindPage(TPage::kKind));
  }

  // The pop-up menu of the tool bar area and the status bar; it carries the
  // item that shows a hidden menu bar again.
  QMenu* createPopupMenu() override;

  // Asks for one line of text with the window's input box, offering `text`;
  // nothing when cancelled.
  std::optional<QString> AskForText(const QString& caption, const QString& prompt, const QString& text);
  // The title box takes `title` as if it had been typed: the entry counts as
  // modified ("変更あり") and the next save writes it.
  void SetEditedTitle(const QString& title);
  // Shows a transient message in the message panel.
  void ShowStatusMessage(const QString& text);
  // Shows "変更あり": a page changed something the next save keeps.
  void ShowModifiedMark();
  // The image plug-ins loaded at start; nullptr when none could be.
  const TSPIs* Plugins() const { return m_spis.get(); }
  // The picture masks ("*.bmp" and every plug-in's "*.jpg"...).
  std::vector<std::string> ImageMaskList() const;
  // Opens the options dialog "各種設定" (the command ActOption).
  void ShowOptions();
  // Takes up the settings the options dialog wrote, without a restart: the
  // key state and status panel 2, the time-stamp watch, the store settings
  // (a changed diary folder, file-name style or extension saves the open
  // entry first and opens the current day from the new place; when that save
  // fails the old store settings stay and false is returned) and the image
  // list page's settings when the page exists. The readers are those of the
  // start-up.
  bool ApplyOptions(const THIniFile& ini);
  // Entries a search box keeps (|"History"|).
  int History() const { return m_history; }

signals:
  // The close sequence closes the modeless tool windows (find, replace).
  void CloseToolWindows();

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  // Window construction (UMain.cpp).
  void CreateWidgets();
  void CreateToolBars();
  void ConnectCommands();
  void ApplyToolImages();
  void SetPanelAlign(bool right);
  void SetPanelWidth(int width);
  void SetTitleWidth(int width);
  void UpdatePanelVisibility();
  void SyncBarCommands();
  void SetWrapOrder(TWrapMode order);
  TWrapMode WrapOrder() const;

  // Start-up and close (USystem.cpp).
  void LoadSettings();
  void RunStartupSequence();
  void Step(int number) const {
    if (m_env.stepObserver) m_env.stepObserver(number);
  }
  void SaveSettings();
  void LoadEncryptionSettings(const THIniFile& ini);
  void LoadViewerSettings(const THIniFile& ini);
  void LoadPluginSettings(const THIniFile& ini);
  void LoadWindowState(const THIniFile& ini);
  void LoadToggles(const THIniFile& ini);
  void LoadEditorSettings(const THIniFile& ini);
  void CreatePages(const THIniFile& ini);
  bool AskStartupPassword(const THIniFile& ini);
  void ActivateLastTab(const THIniFile& ini);
  void ReleasePages();

  // Entry commands (UCommands.cpp).
  void ConnectEntryCommands();
  void StepDays(int offset);
  void AskDate();
  void TransformSelection(const std::function<std::string(std::string_view)>& transform);
  void InsertDateStamp(int index);
  void SaveAs();
  void ShowAbout();
  void ReloadEntry();
  void OnEditorModifiedChanged(bool modified);

  TStartupEnv m_env;

  // Program-wide state of the shell.
  TDate m_currentDate;
  std::string m_currentFileName;
  // The open day's file exists but could not be read: the store sets it
  // aside before a save replaces it.
  bool m_loadFailed = false;
  std::time_t m_lastFileTime = 0;
  bool m_checkTimeStamp = false;
  bool m_saveOnClose = true;
  bool m_externalEditPending = false;
  bool m_stampCheckPending = false;
  TStoreSettings m_store;
  // The key state of this window, passed to every store call; a search
  // worker takes a copy when it starts.
  TCode m_code;
  QStringList m_imageMasks;   // "*.bmp" plus the plug-ins' masks
  QStringList m_maskSplitter; // one plug-in's mask text split at ";"
  std::string m_cachePath;
  bool m_saveCache = true;
  bool m_showInformation = false;
  bool m_titleModified = false;
  bool m_startupRefused = false;
  std::string m_linkTarget;  // code page 932
  int m_history = 20;
  int m_wrapByte = 80;
  TFontSpec m_editorFont;
  TWindowState m_startState = TWindowState::Normal;
  bool m_startupFailed = false;
  bool m_closed = false;

  // Before the pages, whose load threads decode with the plug-ins: members
  // are destroyed in reverse order.
  std::unique_ptr<TSPIs> m_spis;
  std::unique_ptr<TCommands> m_commands;
  std::unique_ptr<TToolImages> m_toolImages;
  std::unique_ptr<TCoolBar> m_coolBar;
  // Members go before the window's children (the base class deletes
  // those), so each page deletes its own sheet.
  std::unique_ptr<TPagePanel> m_pages;
  THStatusBar* m_statusBar = nullptr;
  QToolBar* m_editorBar = nullptr;
  QToolBar* m_dateBar = nullptr;
  QToolBar* m_titleBar = nullptr;
  QLineEdit* m_titleEdit = nullptr;
  QWidget* m_titleSplitter = nullptr;
  QSplitter* m_splitterMain = nullptr;
  TMainEditorPort* m_editor = nullptr;
  QMenu* m_linkMenu = nullptr;
  QWidget* m_objectPanel = nullptr;
  QTabWidget* m_objectPCtrl = nullptr;
  QPointer<TFmResult> m_resultWindow;
};

}  // namespace quillet
