// TViewerObject: the image list page of the side panel ("ビューア"): the
// pictures of the open day as thumbnails with their file names. Pictures are
// copied into the day picture folder (SavePath/2005/3/7/ for 7 March 2005);
// Image.dat there keeps their order and one-line comments
// (core/viewer/DayPictures.h has the files and the rules). The thumbnails
// of the open day live in Cache.dat in the options folder, made by the load
// thread (ViewThread.h) or by an add, and the list draws each from its
// record's cache offset.
//
// Every change of the list (add, delete, edit) sets the modified flag: the
// main window shows "変更あり" and the open entry counts as modified, so the
// next save stores the list (BeforeSave) together with the entry. A store
// waits for a running load first, so a line not yet read is never dropped.
// Lines whose file exists but cannot be shown (no plug-in for it on this
// machine, a damaged file) stay in Image.dat; lines whose file is gone leave
// it at the next store.
//
// The main window's image commands act on the page while it exists (their
// connections die with it): edit (F2), preview, open folder, add, delete,
// select all, properties; the list's pop-up menu runs the same commands,
// Enter runs "EnterAction" and a double click previews. Files dropped on the
// page are added.
//
// User-interface thread only. The boxes it may open (the file chooser, the
// delete question, the editor, the properties) go through replaceable
// functions, so that tests never wait on a modal box.
#pragma once

#include <QListWidget>
#include <QMenu>
#include <functional>
#include <memory>
#include <optional>

#include "core/app/PageKind.h"
#include "core/viewer/ThumbCache.h"
#include "core/viewer/ViewerSettings.h"
#include "gui/app/PanelPage.h"
#include "gui/viewer/ViewThread.h"

namespace quillet {

class TFmMain;
class TFmViewEditor;
class THStatusBar;

// The list: large icons, several selectable, Enter a signal of its own.
// Dropped files are not taken here: the main window routes them to the page.
class TViewList : public QListWidget {
  Q_OBJECT

public:
  explicit TViewList(QWidget* parent);

signals:
  void EnterPressed();

protected:
  void keyPressEvent(QKeyEvent* event) override;
};

class TViewerObject : public TPanelPage {
public:
  static constexpr TPageKind kKind = TPageKind::Viewer;

  // Builds the page and creates Cache.dat (a cache that cannot be made
  // throws: the page is not shown).
  explicit TViewerObject(TFmMain& window);
  ~TViewerObject() override;

  void ReadSettings(const THIniFile& ini) override;
  void OnDayLoaded(TDate date, bool otherMonth) override;
  void BeforeSave(TDate date) override;
  bool Modified() const override { return m_modified; }
  bool Release() override;

  // Section "Viewer" applied to the list (also after the options dialog).
  void LoadViewerSettings(const THIniFile& ini);
  const TViewerSettings& Settings() const { return m_settings; }

  // Stops the running load, clears the list and Cache.dat and loads `date`.
  void SwitchDay(TDate date);
  // Writes Image.dat (or removes the emptied folder) when the list was
  // modified; false when that failed (the flag then stays set).
  bool StoreList();
  // Waits for the running load and takes what it still has to hand over.
  void FinishLoad();
  bool Loading() const;

  // The commands.
  void Append();
  // Adds the pictures among `paths` (files; others are passed over).
  void AddPictures(const QStringList& paths);
  void DeleteItems();
  void EditItem();
  void Preview();
  void OpenDirectory();
  void SelectAll();
  void ShowProperties();
  void RunEnterAction();

  TViewList& List() const { return *m_list; }
  THStatusBar& StatusBar() const { return *m_status; }
  QMenu& Popup() const { return *m_popup; }
  const std::vector<TViewItem>& Items() const { return m_items; }
  TThumbCache& Cache() { return m_cache; }
  TDate Date() const { return m_date; }
  std::vector<int> SelectedRows() const;

  // The boxes, replaceable: choosing files to add, the delete question (true
  // for OK), running the editor (QDialog::Accepted or Rejected) and showing
  // the properties of a file.
  void SetFileChooser(std::function<QStringList(const QString& filter)> choose) { m_chooseFiles = std::move(choose); }
  void SetAsker(std::function<bool(const QString& text)> ask) { m_ask = std::move(ask); }
  void SetEditorRunner(std::function<int(TFmViewEditor& editor)> run) { m_runEditor = std::move(run); }
  void SetPropertiesShower(std::function<void(const TViewItem& item)> show) { m_showProperties = std::move(show); }

private:
  void StartLoad();
  void StopLoad();
  void AddItem(const TViewItem& item);
  void ReplaceItem(int row, const TViewItem& item);
  QIcon IconOf(const TViewItem& item);
  void OnSelectionChanged();
  void ShowCount();
  void SetModified();
  QString Caption(const TViewItem& item) const;
  int FirstSelectedRow() const;

  TFmMain& m_window;
  TViewerSettings m_settings;
  TThumbCache m_cache;
  TDate m_date;
  bool m_modified = false;
  bool m_loadQueued = false;  // a first load waits for the event loop
  std::vector<TViewItem> m_items;     // row i of the list is m_items[i]
  std::vector<TImageDatLine> m_kept;  // lines shown nowhere but kept in Image.dat
  std::unique_ptr<TPostBox> m_receiver;  // the running load's hand-overs go here
  std::unique_ptr<TViewThread> m_thread;
  TViewList* m_list;     // owned by the sheet
  THStatusBar* m_status;  // owned by the sheet
  QMenu* m_popup;        // owned by the sheet
  std::function<QStringList(const QString&)> m_chooseFiles;
  std::function<bool(const QString&)> m_ask;
  std::function<int(TFmViewEditor&)> m_runEditor;
  std::function<void(const TViewItem&)> m_showProperties;
};

}  // namespace quillet
