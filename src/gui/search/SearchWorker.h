// TSearchWorker: runs one grep or squeeze (TDiaryGrep::Run, TSqueeze::Run)
// on a thread of its own and brings its reports back to the GUI thread.
//
// The dialog that starts a search must never be reached from the worker
// thread, and may close while the search still runs. So the worker reaches
// it only through Post, which queues the call to the GUI thread and runs it
// there only while the worker is still attached to its receiver (a guarded
// pointer to the dialog). Detach (the cancel of the dialog, its close, a new
// search) cuts that link: nothing the worker does afterwards, its finish
// included, touches the dialog. There are no blocking hand-overs, so the
// GUI thread may wait for a worker without a deadlock.
//
// Lifetime: the worker is a child of a long-lived owner (the main window),
// not of the dialog, and deletes itself on the GUI thread once its thread
// has ended. Deleting it earlier (the owner going away at program exit)
// cancels the search and waits for the thread, which the cancel makes
// return within one block of text; so no thread outlives the program.
//
// GUI thread, except Post, which the worker thread calls.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

#include "core/search/DiaryGrep.h"

class QProgressBar;
class QThread;

namespace quillet {

class TPostBox;

class TSearchWorker : public QObject {
  Q_OBJECT

public:
  // `run` is called once on the worker thread; `cancel` from the GUI thread
  // and must make `run` return soon. `receiver` is the dialog the posted
  // calls and `onFinished` belong to.
  TSearchWorker(QObject* owner, QObject* receiver, std::function<TSearchOutcome()> run,
                std::function<void()> cancel);
  ~TSearchWorker() override;

  // Runs on the GUI thread once `run` returned, while still attached;
  // see Failed.
  std::function<void(const TSearchOutcome&)> OnFinished;

  // Starts the thread at `priority` 0 (idle) .. 6 (time-critical); other
  // values give normal. False when the thread could not be started (the
  // worker then deletes itself later and never calls OnFinished).
  bool Start(int priority);
  // Asks `run` to stop; does not wait.
  void Cancel();
  // Forgets the receiver: no posted call and no OnFinished runs any more.
  void Detach();
  bool Attached() const { return !m_detached && m_receiver; }

  // Any thread: runs `call` on the GUI thread later, if still attached.
  void Post(std::function<void()> call);

  // Callbacks for a runner's OnProgressMax and OnProgress (worker thread)
  // that move `bar`, a control of the receiver, on the GUI thread.
  std::function<void(std::int64_t)> ProgressMaxTo(QProgressBar* bar);
  std::function<void(std::int64_t)> ProgressTo(QProgressBar* bar);

  // True when `run` ended by an exception instead of returning.
  bool Failed() const { return m_failed; }

signals:
  // GUI thread, after `run` returned, attached or not; the worker is
  // deleted later.
  void Ended();

private:
  void Finish();

  QPointer<QObject> m_receiver;
  std::function<TSearchOutcome()> m_run;
  std::function<void()> m_cancel;
  TSearchOutcome m_outcome;  // written by the thread, read after it ended
  TPostBox* m_box;  // child: the queue of posted calls
  QThread* m_thread = nullptr;
  bool m_detached = false;
  bool m_failed = false;
};

}  // namespace quillet
