// TSearchRunDialog: what the grep and squeeze dialogs share. A search runs
// on a TSearchWorker; the dialog is idle (search and close buttons on) or
// running (only the stop button on, and Escape stops instead of closing).
// Stopping, a new search or the dialog's end detach the worker without
// waiting, so a detached worker never reaches the dialog. A regular
// expression is always case-sensitive: checking "BmReg" unchecks and
// disables "Ansi". Messages are the window caption. GUI thread.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <string_view>

#include "core/search/DiaryGrep.h"
#include "gui/search/SearchWorker.h"

class QCheckBox;
class QLayout;
class QProgressBar;
class QPushButton;

namespace quillet {

class TFmMain;

class TSearchRunDialog : public QDialog {
  Q_OBJECT

public:
  ~TSearchRunDialog() override;

  // The search button: checks, then starts a search.
  virtual void Execute() = 0;
  // The stop button: stops the running search without waiting and says so.
  void Quit();
  bool Running() const { return m_worker != nullptr; }
  // The search attached to the dialog, nullptr while idle.
  TSearchWorker* Worker() const { return m_worker; }

protected:
  // `stopped` is the caption after a stop (UTF-8).
  TSearchRunDialog(TFmMain& main, std::string_view stopped);

  // Once the subclass made its check boxes and progress bar: puts the
  // buttons prefix + "Execute", "Quit", "Exit" beside `left`, names the
  // 100 ms close timer `timerName`, wires the controls and goes idle.
  void FinishLayout(QLayout* left, const char* prefix, const char* timerName);
  void SetRunning(bool running);
  void StopWorker();

  // A worker for `runner` (a TDiaryGrep or TSqueeze, shared with the
  // worker's calls) with the progress bar as its progress and Finish as its
  // end; set any further callbacks of the runner, then Launch it.
  template <class TRunner>
  TSearchWorker* MakeWorker(const std::shared_ptr<TRunner>& runner) {
    auto* worker = new TSearchWorker(
        m_owner, this, [runner] { return runner->Run(); }, [runner] { runner->Cancel(); });
    runner->OnProgressMax = worker->ProgressMaxTo(m_progBar);
    runner->OnProgress = worker->ProgressTo(m_progBar);
    worker->OnFinished = [this, runner, worker](const TSearchOutcome& outcome) {
      Finish(outcome, runner->Items(), worker->Failed());
    };
    return worker;
  }
  // Enters the running state and starts `worker` at "Priority"; a thread
  // that cannot start is said and leaves the dialog idle.
  void Launch(TSearchWorker* worker);
  // The first step of Finish: the stale temporary file goes, the dialog is idle.
  void EndRun();
  // On the GUI thread once an attached search ended.
  virtual void Finish(const TSearchOutcome& outcome, TGrepList& items, bool failed) = 0;
  void Say(const QString& message) { setWindowTitle(message); }
  void keyPressEvent(QKeyEvent* event) override;

  TFmMain& m_main;
  QCheckBox* m_ansi = nullptr;
  QCheckBox* m_bmReg = nullptr;
  QCheckBox* m_progress = nullptr;
  QProgressBar* m_progBar = nullptr;
  QPushButton* m_execute = nullptr;
  QPushButton* m_quit = nullptr;
  QPushButton* m_exit = nullptr;
  QTimer m_timer;                    // closes the dialog after a finished search
  int m_priority = kNormalPriority;  // "Priority" has no control: kept as read
  QString m_pattern;                 // the running search's text, for its captions
  QPointer<TSearchWorker> m_worker;
  bool m_closing = false;

private:
  QObject* m_owner;  // the main window: workers outlive the dialog
  QString m_stopped;
};

}  // namespace quillet
