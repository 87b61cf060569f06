// TFmTaskEditor: the dialog "タスク編集" that edits one task: title, date
// ("yy/mm/dd"), memo, priority, comment and the deadline flag, with a small
// menu to load a text file into the memo, to save or close, and to edit the
// field that last had the focus (cut, copy, paste, select all, and the
// current date and time in place of its selection).
//
// The dialog works on a copy: Task() is the edited task once it was
// accepted, and the caller copies it into its list. OK (or
// "保存して閉じる(&S)") accepts only a task that the task file stores as it
// is; otherwise it says why and stays open with every field as typed:
//  - a character code page 932 cannot hold, or a date it cannot read,
//    is refused;
//  - a "|" in any field, or a backslash followed by "n" in the memo, which
//    the file cannot hold, is replaced by its full-width twin ("｜", "＼")
//    when the user agrees, and otherwise refused.
// A date field left as it was shown keeps the task's date, so a two-digit
// year never moves a task to another century.
//
// User-interface thread. The question, the report and the file dialog go
// through replaceable functions, so that tests never wait on a modal box.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <functional>

#include "core/store/UDate.h"
#include "core/tasks/TaskFile.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QMenuBar;

namespace quillet {

// The memo: the mouse wheel scrolls by one line a notch, or by one page
// while Ctrl is held (rather than zooming).
class TTaskMemo : public QPlainTextEdit {
  Q_OBJECT

public:
  explicit TTaskMemo(QWidget* parent = nullptr);

protected:
  void wheelEvent(QWheelEvent* event) override;

private:
  int m_wheel = 0;  // angle not yet scrolled, in eighths of a degree
};

class TFmTaskEditor : public QDialog {
  Q_OBJECT

public:
  // `clock` gives the current date and time ("日付と時刻(&T)", and the
  // century of a two-digit year).
  TFmTaskEditor(QWidget* parent, std::function<TDateTime()> clock);
  ~TFmTaskEditor() override;

  // Fills the fields from `task`.
  void SetTask(const TTask& task);
  // The task as accepted (the one given to SetTask before that).
  const TTask& Task() const { return m_task; }

  // Replaces the message box that says why OK was refused.
  void SetReporter(std::function<void(const QString&)> report) { m_report = std::move(report); }
  // Replaces the yes/no box that offers the full-width replacements.
  void SetAsker(std::function<bool(const QString&)> ask) { m_ask = std::move(ask); }
  // Replaces the file dialog of "開く(&O)"; an empty name cancels.
  void SetFileChooser(std::function<QString()> choose) { m_choose = std::move(choose); }

  QLineEdit* TitleEdit() const { return m_title; }
  QLineEdit* DateEdit() const { return m_date; }
  TTaskMemo* MemoEdit() const { return m_memo; }
  QComboBox* PriorityBox() const { return m_priority; }
  QLineEdit* CommentEdit() const { return m_comment; }
  QCheckBox* LimitCheck() const { return m_limit; }

  // Replaces the memo with the text file at `path`: UTF-8 when its bytes
  // are valid UTF-8, else code page 932 as the program stores text. False,
  // said through the reporter, when it cannot be read.
  bool LoadMemoFile(const QString& path);
  // The field that last had the focus (title, date, memo or comment).
  QWidget* EditTarget() const { return m_target; }

  void accept() override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  enum class TEditOp { Cut, Copy, Paste, SelectAll, DateTime };
  void BuildMenu(QMenuBar* bar);
  void Edit(TEditOp op);
  // The fields as a task; false with `problem` set when one cannot be read.
  bool Collect(TTask& task, QString& problem) const;

  std::function<TDateTime()> m_clock;
  std::function<void(const QString&)> m_report;
  std::function<bool(const QString&)> m_ask;
  std::function<QString()> m_choose;
  TTask m_task;
  QString m_shownDate;  // the date field's text as SetTask put it
  QLineEdit* m_title;
  QLineEdit* m_date;
  TTaskMemo* m_memo;
  QComboBox* m_priority;
  QLineEdit* m_comment;
  QCheckBox* m_limit;
  QWidget* m_target;
};

}  // namespace quillet
