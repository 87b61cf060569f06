// TTaskObject: the task page of the side panel ("タスク"): a to-do list beside
// the diary, kept in Task.txt in the options folder (core/tasks/TaskFile.h
// has the file and the rules). The list shows each task's date ("yy/mm/dd")
// and title, coloured by priority and emphasised near its deadline; the
// page's own status bar shows the selected task's comment.
//
// Every change (new, edited, deleted, re-prioritised, sorted) is written to
// Task.txt at once, atomically, in list order, so that neither a crash nor a
// killed session loses the tasks of the run; releasing the page writes only
// what an earlier failed write left unsaved, and refuses (the page stays)
// while that still fails. A Task.txt that could not be read whole is kept as
// "Task.txt.bak" before the first write, and the status bars say so.
//
// The main window's task commands act on the page while it exists (their
// connections die with it): new (F10), edit (F11), delete, the priority
// radio group, and the three sorts, each flipping its own direction. The
// list's pop-up menu runs the same commands; Enter and a double click show
// the memo or open the editor ("DblClickStyle"), Delete deletes, and a click
// on a column header sorts by that column.
//
// User-interface thread only. The boxes it may open (the delete question,
// the memo, the editor) go through replaceable functions, so that tests
// never wait on a modal box.
#pragma once

#include <QAbstractTableModel>
#include <QMenu>
#include <QTableView>
#include <functional>

#include "core/app/PageKind.h"
#include "core/tasks/TaskFile.h"
#include "gui/app/PanelPage.h"

namespace quillet {

class TFmMain;
class TFmTaskEditor;
class THStatusBar;

// The tasks as rows of two columns, date and title, with each row's colour
// and weight on the day `today` gives.
class TTaskListModel : public QAbstractTableModel {
  Q_OBJECT

public:
  TTaskListModel(std::function<TDate()> today, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const std::vector<TTask>& Tasks() const { return m_tasks; }
  const TTask& At(int row) const { return m_tasks[static_cast<std::size_t>(row)]; }
  void SetTasks(std::vector<TTask> tasks);
  void Append(TTask task);
  void Replace(int row, TTask task);
  // Removes the rows given (any order, each once).
  void Remove(std::vector<int> rows);
  // Puts row order[i] at position i; selections and current rows follow
  // their tasks.
  void Reorder(const std::vector<std::size_t>& order);
  void SetSettings(const TTaskSettings& settings);

private:
  std::function<TDate()> m_today;
  std::vector<TTask> m_tasks;
  TTaskSettings m_settings;
};

// The list: Enter and Delete become signals, like the double click.
class TTaskListView : public QTableView {
  Q_OBJECT

public:
  explicit TTaskListView(QWidget* parent);

signals:
  void EnterPressed();
  void DeletePressed();

protected:
  void keyPressEvent(QKeyEvent* event) override;
};

// The list's pop-up menu: the items run the main window's task commands and
// show the priority command's check.
class TTaskPopup : public QMenu {
  Q_OBJECT

public:
  TTaskPopup(TFmMain& window, QWidget* parent);
};

class TTaskObject : public TPanelPage {
public:
  static constexpr TPageKind kKind = TPageKind::Task;

  // Builds the page and reads Task.txt.
  explicit TTaskObject(TFmMain& window);
  ~TTaskObject() override;

  void ReadSettings(const THIniFile& ini) override;
  bool Release() override;

  // Section "Task" applied to the list (also after the options dialog).
  void LoadTaskSettings(const THIniFile& ini);
  const TTaskSettings& Settings() const { return m_settings; }

  TTaskListModel& Model() const { return *m_model; }
  TTaskListView& View() const { return *m_view; }
  THStatusBar& StatusBar() const { return *m_status; }
  TTaskPopup& Popup() const { return *m_popup; }
  const std::string& FilePath() const { return m_file.Path(); }

  // The commands.
  void NewItem();
  void EditItem();
  void DeleteItems();
  void SetPriority(int priority);
  void Sort(TTaskSortKey key);
  // Enter or a double click on `row`: the memo or the editor.
  void RunDoubleClickAction(int row);
  // The first selected row in list order; -1 when none is.
  int FirstSelectedRow() const;
  std::vector<int> SelectedRows() const;

  // The boxes, replaceable: the delete question (true for OK), the memo box,
  // and running the editor (returns QDialog::Accepted or Rejected).
  void SetAsker(std::function<bool(const QString& text)> ask) { m_ask = std::move(ask); }
  void SetMemoShower(std::function<void(const QString& caption, const QString& memo)> show) {
    m_showMemo = std::move(show);
  }
  void SetEditorRunner(std::function<int(TFmTaskEditor& editor)> run) { m_runEditor = std::move(run); }

private:
  void EditRow(int row);
  // The task the selection is about: the current row when it is selected,
  // else the first selected row; -1 when none is.
  int SelectedTaskRow() const;
  // That task's comment in the page's status bar (empty without one).
  void ShowComment();
  void OnSelectionChanged();
  // Writes the list; says why in both status bars when it failed.
  bool Store();
  void Say(const QString& text);
  void SyncPriorityCheck();

  TFmMain& m_window;
  TTaskFile m_file;
  TTaskSettings m_settings;
  TTaskSortDirections m_directions;
  bool m_unsaved = false;  // the last write failed: the file lacks a change
  TTaskListModel* m_model;  // owned by the sheet
  TTaskListView* m_view;    // owned by the sheet
  THStatusBar* m_status;    // owned by the sheet
  TTaskPopup* m_popup;      // owned by the sheet
  std::function<bool(const QString&)> m_ask;
  std::function<void(const QString&, const QString&)> m_showMemo;
  std::function<int(TFmTaskEditor&)> m_runEditor;
};

}  // namespace quillet
