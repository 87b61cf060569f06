// TTitleThread: the title collector (TTitleCollector) on a thread of its
// own, at a priority of the settings, handing its collection back to the
// user-interface thread.
//
// The hand-over is queued, never blocking: the page stops a running
// collector and waits for it on every refresh, and a worker blocked on a
// hand-over to that same waiting thread would never end. So `done` runs on
// the receiver's thread after the worker has finished; a collection that
// was terminated is not handed over, and a hand-over still queued when the
// receiver goes is dropped with it; a collection that failed (out of
// memory) is handed over as nullptr. The page tells a late hand-over of an
// earlier refresh by its ticket.
//
// Lifetime: owned by the page; deleting it terminates the collection and
// waits for the thread, which ends within one day's files.
#pragma once

#include <QThread>
#include <functional>
#include <memory>

#include "core/titles/TitleCollector.h"

namespace quillet {

class TPostBox;

class TTitleThread : public QThread {
  Q_OBJECT

public:
  using TDone = std::function<void(std::shared_ptr<TTitleCollection>)>;

  // Collects the month of `month` with a copy of `settings`; `done` runs on
  // the thread of `receiver`, which must outlive this object.
  TTitleThread(const TStoreSettings& settings, TDate month, bool onlyExists, QObject* receiver, TDone done);
  ~TTitleThread() override;

  // Starts at `priority` 0 (idle) .. 6 (time-critical); others give normal.
  void Start(int priority);
  // Any thread: asks the collection to stop; does not wait.
  void Terminate() noexcept { m_collector.Terminate(); }

protected:
  void run() override;

private:
  TTitleCollector m_collector;
  TPostBox* m_box;  // a child of the receiver, which outlives this object
  TDone m_done;
};

}  // namespace quillet
