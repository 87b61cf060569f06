// TTitleObject: the title list page of the side panel ("タイトル", sheet
// "TitleSheet"). It lists the days of the open day's month with their titles
// (TTitleView over TTitleModel), collected on the spot or, with
// "MultiThread", by a TTitleThread; it rebuilds on every change of month and
// selects the open day within the month, follows the saves of the open day
// ("Synchronize"), edits a day's title in its month's Set.ini through the
// store (SaveDayTitle), sorts by a column, and runs the actions of section
// "Title" for a click, a double click or Enter, a selection and the
// context-menu key. Its own status bar shows the row count, "タイトル描写中..."
// while a collection runs, and the selected row's first line.
//
// The page exists between the show and hide commands; while it exists it
// owns the commands ActTitleMove, ActTitleEditTitle, ActTitleOpenFile,
// ActTitleOpenDirectory and ActTitleRefresh, which act on the selected row
// and which its pop-up menu shows.
//
// Stale lists: every refresh takes a new ticket and stops the collector it
// started before; a hand-over is shown only when it carries the current
// ticket and the listed month, so quick month changes never show a month
// that is no longer open. A save while a collection runs is applied to the
// collection when it arrives, since that may have read the day before the
// save.
//
// User-interface thread only.
#pragma once

#include <QPixmap>
#include <memory>
#include <optional>
#include <utility>

#include "core/app/PageKind.h"
#include "core/titles/TitleSettings.h"
#include "gui/app/PanelPage.h"

class QMenu;

namespace quillet {

class TFmMain;
class THStatusBar;
class TTitleModel;
class TTitleThread;
class TTitleView;
struct TTitleCollection;

// Messages of the title list (UTF-8).
inline constexpr const char* kMsgTitleDrawing = "タイトル描写中...";
inline constexpr const char* kMsgTitleCount = "個のオブジェクト";
inline constexpr const char* kMsgTitleMoveFailed = "移動に失敗しました";
inline constexpr const char* kMsgTitleEditFailed = "編集に失敗しました";
inline constexpr const char* kMsgTitleNoFolder = "対象ディレクトリを認識出来ませんでした";

class TTitleObject : public TPanelPage {
public:
  static constexpr TPageKind kKind = TPageKind::Title;

  explicit TTitleObject(TFmMain& window);
  ~TTitleObject() override;

  TTitleView& View() const { return *m_view; }
  TTitleModel& Model() const { return *m_model; }
  THStatusBar& PageStatusBar() const { return *m_statusBar; }
  QMenu& Popup() const { return *m_popup; }
  const TTitleSettings& Settings() const { return m_settings; }
  // True while a collector thread works for the list.
  bool Collecting() const { return m_thread != nullptr; }
  // The state image of the open day's row.
  const QPixmap& StateImage() const { return m_stateImage; }

  void ReadSettings(const THIniFile& ini) override;
  void WriteSettings(THIniFile& ini) const override;
  void OnDayLoaded(TDate date, bool otherMonth) override;
  void OnSaved(TDate date, const TSaveResult& result) override;
  bool Release() override;

  // Lists the month of the open day afresh.
  void Refresh();
  // Selects the open day's row when it is listed.
  void SelectDay();
  // Runs `action` on the selected row (Refresh and the sorts need none).
  void RunAction(TTitleAction action);

private:
  void ApplySettings();
  void LoadStateImage();
  void StartCollecting();
  void StopCollector();
  void Collected(unsigned long long ticket, const std::shared_ptr<TTitleCollection>& collection);
  void ShowCount();
  void ApplySave(TTitleRecord record, bool dayEmpty);
  void OnRowSelected(int row, bool byUser);
  void OnContextKey();
  void OnHeaderClicked(int section);
  TDate RowDate(int row) const;
  void Move(int row);
  void EditTitle(int row);
  void OpenFile(int row);
  void OpenDirectory(int row);
  void SortBy(TTitleColumn column);
  std::pair<int, int> ColumnWidths() const;

  TFmMain& m_window;
  TTitleSettings m_settings;
  TTitleModel* m_model;       // owned by the sheet
  TTitleView* m_view;         // owned by the sheet
  THStatusBar* m_statusBar;   // owned by the sheet
  QMenu* m_popup;             // owned by the sheet
  std::unique_ptr<TTitleThread> m_thread;
  unsigned long long m_ticket = 0;
  // The first day of the listed month; none before the first refresh.
  std::optional<TDate> m_listed;
  TTitleSorter m_sorter;
  // A save that came while a collection ran: the day and whether it is empty.
  std::optional<std::pair<TTitleRecord, bool>> m_pendingSave;
  QPixmap m_stateImage;
  // The widths last written to the settings file, so that a release right
  // after the close wrote them does not write them again.
  mutable std::pair<int, int> m_writtenColumns{-1, -1};
};

}  // namespace quillet
