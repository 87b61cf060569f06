// TFmResult: the result window of the diary grep. It lists the hits (one row
// per entry, produced on demand by a model over the window's TResultList),
// previews the selected entry (decrypted when stored encrypted), and offers
// the commands on the hits: jump to the day, open the file or its folder,
// copy or save the previewed text, sort, delete rows, cancel a squeeze.
//
// The window knows the main window only through TResultHost, so tests build
// it alone and the main window connects it with a few lines. The grep and
// the squeeze hand it lists through Load and read its list through Items();
// "新規検索" and "絞込検索" end in hooks that the grep and squeeze dialogs set.
//
// Settings, section "Result", are read on the first show and written when
// the window closes (never when it was not shown, so an unseen window cannot
// put its defaults over the user's settings).
//
// The file commands (save as, clipboard, open, open folder, move to the
// date) act only while the preview is shown and its file still exists.
//
// GUI thread only.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/crypto/USecurity.h"
#include "core/search/ResultList.h"
#include "core/store/UDate.h"

class QAction;
class QLabel;
class QSplitter;
class QTableView;

namespace quillet {

class TEditor;
class THStatusBar;
class TResultModel;

struct TResultHost {
  std::string settingsFile;  // section "Result"; the tools of section "Window"
  // The diary folder (the file-name column) and the key state (previews of
  // word-key entries), asked for each time since the options may change them.
  std::function<TStoreSettings()> store;
  std::function<TCode()> code;
  // Opens the day in the main window (saving the open entry first, as every
  // change of day does). False when the day did not change.
  std::function<bool(TDate)> moveToDate;
  // The file name for "名前を付けて保存", starting in `folder`; empty when
  // cancelled. By default a save dialog.
  std::function<QString(const QString& folder)> askSaveName;
};

class TFmResult : public QMainWindow {
  Q_OBJECT

public:
  // A stay-on-top window of its own (above `parent` when given).
  explicit TFmResult(TResultHost host, QWidget* parent = nullptr);
  ~TFmResult() override;

  // Replaces the list with a copy of `items`, redraws, and shows
  // " N個検出しました". The preview keeps its entry.
  void Load(const TGrepList& items);
  // The list as shown, in its current order, with its squeeze marks.
  const TGrepList& Items() const;
  // Hooks run after the list part of "新規検索" (list and preview emptied)
  // and of "絞込検索" (not run with an empty list). May be empty.
  void SetNewSearchHook(std::function<void()> hook) { m_newSearchHook = std::move(hook); }
  void SetSqueezeHook(std::function<void()> hook) { m_squeezeHook = std::move(hook); }

  // Shows row `row` (0-based) in the preview and makes its item the current
  // record; a row whose file is gone hides the preview.
  void ShowPreview(int row);
  const std::optional<TGrepItem>& CurrentRecord() const { return m_current; }
  bool PreviewShown() const;
  // Deletes the selected rows (nothing when none is selected).
  void DeleteSelected();

  void ShowStatusMessage(const QString& text);
  THStatusBar& StatusBar() const { return *m_statusBar; }
  QTableView* ResultLV() const { return m_list; }
  TEditor* ResultEdit() const { return m_edit; }
  QLabel* BandLabel() const { return m_band; }
  // The action of a command name ("RActMove"); nullptr when unknown.
  QAction* Action(const QString& name) const { return m_actions.value(name); }
  const TResultSettings& Settings() const { return m_settings; }

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CreateActions();
  void CreateMenus();
  void CreateWidgets();
  void ConnectActions();
  void ReadSettings();
  void WriteSettings();
  void ApplySettings();
  void ApplyColumns();
  // Repaint: the rows changed (the model is reset, the selection goes).
  // Redraw: only their look changed (colours, font, marks).
  void Repaint();
  void Redraw();
  void ClearPreview();
  // The current record when the file commands may act on it, else nullptr.
  const TGrepItem* FileTarget() const;
  void SaveAs();
  void CopyPreviewToClipboard();
  void OpenTarget(bool folder);
  void MoveToDate();
  void NewSearch();
  void Squeeze();
  void PickColor(TColorRef& color);
  void PickFont();
  void UpdateHint(int row);
  void ShowHint();

  TResultHost m_host;
  TResultList m_results;
  TResultSettings m_settings;
  bool m_settingsLoaded = false;
  std::optional<TGrepItem> m_current;
  std::function<void()> m_newSearchHook;
  std::function<void()> m_squeezeHook;
  QHash<QString, QAction*> m_actions;

  std::unique_ptr<TResultModel> m_model;
  QTableView* m_list = nullptr;
  QSplitter* m_splitter = nullptr;
  QLabel* m_band = nullptr;
  TEditor* m_edit = nullptr;
  THStatusBar* m_statusBar = nullptr;
  QTimer m_hintTimer;
  int m_hintRow = -1;
};

}  // namespace quillet
