// The start-up sequence of the main window and the settings written when it
// closes. The order of the steps is fixed: later steps rely on what earlier
// ones set (the store settings before the entry load, the pages before
// "LastTab"). Steps whose subsystem is not built yet are hooks that do
// nothing.
#include <QAction>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <cstdlib>
#include <exception>
#include <sys/stat.h>

#include "core/app/AppFolder.h"
#include "core/app/SettingsKeys.h"
#include "core/base/CodePage.h"
#include "core/store/EntryStore.h"
#include "core/viewer/SPI.h"
#include "gui/app/Commands.h"
#include "gui/app/CoolBar.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/PagePanel.h"
#include "gui/app/SmallDialogs.h"
#include "gui/app/ToolImages.h"
#include "gui/app/UMain.h"
#include "gui/search/FmResult.h"

namespace quillet {

TFmMain::TFmMain(TStartupEnv env, QWidget* parent) : QMainWindow(parent), m_env(std::move(env)) {
  // Creating the main window: shell flags and the two mask lists first.
  m_externalEditPending = false;
  m_imageMasks = QStringList{"*.bmp"};
  m_maskSplitter.clear();
  try {
    m_spis = std::make_unique<TSPIs>();
  } catch (const ESPIDupCreateSPIs&) {
    // A second window in one process (tests) reads no plug-ins: their
    // manager is one per program.
  }
  m_saveOnClose = true;
  m_stampCheckPending = false;
  if (!m_env.reportError) m_env.reportError = [](const QString& text) { ShowMessage(nullptr, "Quillet", text); };
  if (!m_env.askText)
    m_env.askText = [this](const QString& caption, const QString& prompt, const QString& text, bool password) {
      return AskText(isVisible() ? this : nullptr, caption, prompt, text, password);
    };
  if (!m_env.askYesNo) m_env.askYesNo = [this](const QString& text) { return AskYesNo(this, "Quillet", text); };
  if (!m_env.clock) m_env.clock = [] { return LocalDateTime(); };
  CreateWidgets();
  TPageRegistry pages;
  if (m_env.registerPages)
    m_env.registerPages(pages);
  else
    RegisterPages(pages);
  m_pages = std::make_unique<TPagePanel>(*this, std::move(pages), [this] { UpdatePanelVisibility(); });
  LoadSettings();
}

TFmMain::~TFmMain() { RunCloseSequence(); }

void TFmMain::LoadSettings() {
  // One guard around the whole sequence: whatever was set before a failure
  // stays, and the window still opens.
  try {
    RunStartupSequence();
  } catch (const std::exception&) {
    m_startupFailed = true;
  } catch (...) {
    m_startupFailed = true;
  }
  if (m_startupFailed) m_env.reportError("Application Initialize Error");
}

void TFmMain::RunStartupSequence() {
  // Program-wide state.
  Step(1);
  m_checkTimeStamp = false;
  m_currentDate = m_env.today;
  m_currentFileName.clear();
  // Store settings take their defaults.
  Step(2);
  m_store = TStoreSettings{};
  m_store.SavePath = m_env.appFolder;
  // The options folder; a fresh folder gets a moment before it is used.
  Step(3);
  if (!FolderExists(OptionFolder())) {
    EnsureFolder(OptionFolder());
    QThread::msleep(10);
  }
  // No placeholder panel caption may show.
  Step(4);
  m_statusBar->ClearAll();
  // The settings file, read only: this sequence never writes it.
  Step(5);
  const THIniFile ini(SettingsFile(), false);
  // Encryption, history length, time-stamp watch.
  Step(6);
  LoadEncryptionSettings(ini);
  m_checkTimeStamp = keys::CheckTimeStump.Read(ini);
  // Store settings.
  Step(7);
  m_store = ReadStoreSettings(ini, m_env.appFolder);
  // Image list settings.
  Step(8);
  LoadViewerSettings(ini);
  // Late-night rule.
  Step(9);
  m_currentDate = LateNightDate(m_env.today, m_env.hour, keys::WakeUp.Read(ini));
  // Image plug-ins.
  Step(10);
  LoadPluginSettings(ini);
  // Wrap column and title box width.
  Step(11);
  m_wrapByte = keys::WrapByte.Read(ini);
  SetTitleWidth(keys::TitleWidth.Read(ini));
  // Window state and bounds.
  Step(12);
  LoadWindowState(ini);
  // Wrap mode, view toggles, side panel.
  Step(14);
  SetWrapOrder(WrapModeOf(keys::WrapOrder.Read(ini)));
  LoadToggles(ini);
  SetPanelWidth(keys::PanelWidth.Read(ini));
  SetPanelAlign(keys::PanelAlign.Read(ini));
  const bool multiRowTabs = keys::TabStyle.Read(ini);
  Action("ActTabStyle")->setChecked(multiRowTabs);
  // Qt has no tab rows; the nearest is to show every tab without scroll arrows.
  m_objectPCtrl->setUsesScrollButtons(!multiRowTabs);
  // Editor font.
  Step(17);
  m_editorFont = keys::ReadEditorFont(ini);
  m_editor->SetEditorFont(m_editorFont);
  // Shortcut keys and editor settings.
  Step(18);
  if (keys::LoadMenu.Read(ini)) m_commands->LoadShortCuts(ini);
  if (keys::LoadEditor.Read(ini)) LoadEditorSettings(ini);
  // The highlighter's reserved words.
  if (keys::LoadReserve.Read(ini)) m_editor->LoadReserveWords(OptionFolder());
  // Pages, then the panel.
  Step(19);
  CreatePages(ini);
  UpdatePanelVisibility();
  // Start-up password.
  Step(24);
  // A refused session reads no entry: the diary stays closed.
  if (!AskStartupPassword(ini)) return;
  // Active page.
  Step(25);
  ActivateLastTab(ini);
  // Band layout.
  Step(26);
  if (keys::LoadCoolBar.Read(ini)) m_coolBar->Load(ini, QString::fromStdString(OptionFolder()), *m_toolImages);
  SyncBarCommands();
  // The entry of the current date.
  Step(27);
  LoadEntry();
  if (!m_store.MissingSavePath.empty()) {
    // Saves now go below the program folder; the user must know why the
    // diary looks empty.
    ShowStatusMessage(QString::fromUtf8(kMsgSavePathMissing) + QString::fromStdString(m_store.MissingSavePath));
  }
  // The settings file object is released here.
  Step(28);
}

void TFmMain::LoadEncryptionSettings(const THIniFile& ini) {
  // The program's one key state, read by the store and the search workers.
  m_code = ReadCode(ini, true, LoginName());
  m_statusBar->SetPanelText(spEncrypt, m_code.EnCrypt ? QString::fromUtf8(kMsgEncryptionOn) : QString());
  m_history = keys::ReadHistory(ini);
}

void TFmMain::LoadViewerSettings(const THIniFile& ini) {
  const std::string defaultCache = m_env.appFolder + "Cache/";
  m_cachePath = NormalizeSavePath(PathFromSetting(keys::CachePath.Read(ini, PathToSetting(defaultCache))), true,
                                  defaultCache);
  m_saveCache = keys::SaveCache.Read(ini);
  // "ShowInformation" shows the plug-in information item and its separator.
  m_showInformation = keys::ShowInformation.Read(ini);
  for (const char* item : {"MenuHelpSep1", "MenuPluginInformation"})
    m_commands->MenuItem(QString::fromLatin1(item))->setVisible(m_showInformation);
}

void TFmMain::LoadPluginSettings(const THIniFile& ini) {
  if (!m_spis) return;
  QMenu* information = m_commands->MenuItem("MenuPluginInformation")->menu();
  // Each plug-in loaded adds its masks to the picture masks and, when
  // "ShowInformation" is set, an item with its description.
  m_spis->OnSearch = [this, information](const TSPI& spi) {
    // Only import plug-ins decode pictures; an archive's masks name no picture.
    if (spi.Kind() == TSPIKind::In) {
      for (const std::string& part : spi.MaskParts()) m_maskSplitter << QString::fromStdString(part);
      m_imageMasks << m_maskSplitter;
      m_maskSplitter.clear();
    }
    if (m_showInformation) {
      QStringList masks;
      for (const std::string& mask : spi.Masks()) masks << QString::fromStdString(mask);
      QAction* item = information->addAction(QString::fromStdString(spi.Description()));
      const QString text = QStringLiteral("%1\n\n%2\n%3\n%4")
                               .arg(QString::fromStdString(spi.Description()), QString::fromStdString(spi.FileName()),
                                    QString::fromStdString(spi.APIVersion()),
                                    masks.join(' '));
      connect(item, &QAction::triggered, this, [this, text] { ShowMessage(this, "Quillet", text); });
    }
    return true;
  };
  LoadStartupPlugins(*m_spis, ReadSPIStartSettings(ini, m_env.appFolder));
  m_spis->OnSearch = nullptr;
}

std::vector<std::string> TFmMain::ImageMaskList() const {
  std::vector<std::string> masks;
  for (const QString& mask : m_imageMasks) masks.push_back(mask.toStdString());
  return masks;
}

void TFmMain::ShowModifiedMark() { m_statusBar->SetPanelText(spModified, "変更あり"); }

void TFmMain::LoadWindowState(const THIniFile& ini) {
  const int state = keys::State.Read(ini);
  m_startState = (state == 1 || state == 2) ? static_cast<TWindowState>(state) : TWindowState::Normal;
  if (m_startState == TWindowState::Maximized) return;  // a maximised window keeps its bounds
  const TBounds current{y(), x(), width(), height()};
  TBounds bounds = current;
  if (keys::SaveWndPos.Read(ini))
    bounds = ini.ReadBounds(keys::kWindow, current);
  else if (keys::CommandWndPos.Read(ini))
    bounds = ini.ReadBounds(keys::kWindow, current, keys::kPositionSuffix);
  // A window larger than the screen (stored on a larger screen or at a
  // smaller scale factor) would open with its edges and bars out of reach:
  // it is fitted to the available area of the screen it opens on.
  const QScreen* screen = QGuiApplication::screenAt(QPoint(bounds.left, bounds.top));
  if (!screen) screen = this->screen();
  if (screen) {
    const QRect available = screen->availableGeometry();
    if (bounds.width > available.width()) {
      bounds.width = available.width();
      bounds.left = available.left();
    }
    if (bounds.height > available.height()) {
      bounds.height = available.height();
      bounds.top = available.top();
    }
  }
  if (bounds.width > 0 && bounds.height > 0) resize(bounds.width, bounds.height);
  move(bounds.left, bounds.top);
}

void TFmMain::LoadToggles(const THIniFile& ini) {
  // Set each toggle so that its checked state and its effect agree even when
  // the stored value equals the action's initial state.
  const struct {
    const char* command;
    const TFlagKey& key;
  } toggles[] = {{"ActShowMenu", keys::ShowMenu},
                 {"ActMenuSimplify", keys::MenuSimplify},
                 {"ActHint", keys::ShowHint},
                 {"ActShowStatusBar", keys::ShowStatusBar}};
  for (const auto& toggle : toggles) {
    QAction* action = Action(toggle.command);
    const bool on = toggle.key.Read(ini);
    action->setChecked(!on);
    action->setChecked(on);
  }
}

void TFmMain::LoadEditorSettings(const THIniFile& ini) { m_editor->LoadSettings(ini); }

void TFmMain::CreatePages(const THIniFile& ini) {
  // The calendar's marking command and zoom are read whether or not the page
  // is built, since they are written back at close.
  Action("ActCalendarBoldDays")->setChecked(keys::BoldDays.Read(ini));
  setProperty("calendarRatio", keys::ReadRatio(ini));
  Action(QStringLiteral("ActCalendarRatio%1").arg(keys::ReadRatio(ini) + 1))->setChecked(true);
  m_pages->CreateAtStart(ini);
}

bool TFmMain::AskStartupPassword(const THIniFile& ini) {
  if (!keys::Entry.Read(ini)) return true;
  const std::string stored = keys::EntryText.Read(ini);
  const std::optional<QString> typed =
      m_env.askText("パスワード照合", "パスワードを入力して下さい", QString(), true);
  bool accepted = false;
  if (typed) {
    std::string bytes;
    accepted = FromUtf16(typed->toStdU16String(), bytes) && CheckStartupPassword(bytes, stored);
    if (!accepted) m_env.reportError("パスワードが不正な為、Quilletを終了します");
  }
  if (accepted) return true;
  // The window is never shown and the program ends before its event loop
  // (RunQuillet). Closing a window that was never shown would not end the
  // loop, and a hidden process would hand the diary to the next start without
  // a password. The close sequence of a refused session writes nothing.
  m_startupRefused = true;
  m_saveOnClose = false;
  return false;
}

void TFmMain::ActivateLastTab(const THIniFile& ini) {
  if (PageExists()) m_pages->ActivateLastTab(keys::LastTab.Read(ini));
}

void TFmMain::ReleasePages() { m_pages->ReleaseAll(!m_startupRefused); }

void TFmMain::SaveSettings() {
  // Nothing is written when the options folder cannot be made.
  if (!EnsureFolder(OptionFolder())) return;
  THIniFile ini(SettingsFile(), true);
  const TWindowState state = isMaximized()   ? TWindowState::Maximized
                             : isMinimized() ? TWindowState::Minimized
                                             : TWindowState::Normal;
  keys::State.Write(ini, static_cast<int>(state));
  const QRect normal = (state == TWindowState::Normal) ? QRect(pos(), size()) : normalGeometry();
  ini.WriteBounds(keys::kWindow, TBounds{normal.top(), normal.left(), normal.width(), normal.height()});
  keys::WrapOrder.Write(ini, static_cast<int>(WrapOrder()));
  ini.WriteChecked(keys::kWindow, keys::ShowMenu.key, Action("ActShowMenu")->isChecked());
  ini.WriteChecked(keys::kWindow, keys::MenuSimplify.key, Action("ActMenuSimplify")->isChecked());
  ini.WriteChecked(keys::kWindow, keys::ShowHint.key, Action("ActHint")->isChecked());
  ini.WriteChecked(keys::kWindow, keys::ShowStatusBar.key, Action("ActShowStatusBar")->isChecked());
  keys::PanelWidth.Write(ini, PanelWidth());
  keys::PanelAlign.Write(ini, PanelAtRight());
  keys::TabStyle.Write(ini, Action("ActTabStyle")->isChecked());
  keys::WriteEditorFont(ini, m_editorFont);
  keys::BoldDays.Write(ini, Action("ActCalendarBoldDays")->isChecked());
  keys::Ratio.Write(ini, property("calendarRatio").toInt());
  // "LastTab", "OnCreate" of the pages this build has, their sections.
  m_pages->WriteSettings(ini);
  m_coolBar->Save(ini);
  keys::TitleWidth.Write(ini, TitleWidth());
  ini.UpdateFile();
}

void TFmMain::CommitData() {
  SaveSettings();
  if (m_saveOnClose) SaveEntry(false);
}

void TFmMain::RunCloseSequence() {
  if (m_closed) return;
  m_closed = true;
  // A refused start-up never got past the password: the settings stay as the
  // user left them, like the diary.
  if (!m_startupRefused) SaveSettings();
  if (m_saveOnClose) SaveEntry(false);
  emit CloseToolWindows();
  if (TFmResult* result = ExistingResultWindow()) result->close();  // writes its settings
  ReleasePages();
}

}  // namespace quillet
