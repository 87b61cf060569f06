// The worker thread of the grep and squeeze dialogs; see SearchWorker.h.
#include "gui/search/SearchWorker.h"

#include <QProgressBar>
#include <QThread>
#include <algorithm>
#include <climits>
#include <exception>

#include "gui/app/ThreadHandOff.h"

namespace quillet {

namespace {

QThread::Priority ThreadPriority(int priority) {
  // The stored priorities 0..6 are QThread's Idle .. TimeCritical in order.
  static constexpr QThread::Priority kPriorities[] = {
      QThread::IdlePriority,    QThread::LowestPriority,  QThread::LowPriority,         QThread::NormalPriority,
      QThread::HighPriority,    QThread::HighestPriority, QThread::TimeCriticalPriority,
  };
  return kPriorities[PriorityFromSetting(priority)];
}

// A progress bar counts in int; a diary of more than 2 TiB would overflow it.
int ProgressValue(std::int64_t units) { return static_cast<int>(std::clamp<std::int64_t>(units, 0, INT_MAX)); }

}  // namespace

TSearchWorker::TSearchWorker(QObject* owner, QObject* receiver, std::function<TSearchOutcome()> run,
                             std::function<void()> cancel)
    : QObject(owner),
      m_receiver(receiver),
      m_run(std::move(run)),
      m_cancel(std::move(cancel)),
      m_box(new TPostBox(this)) {}

TSearchWorker::~TSearchWorker() {
  // Reached early when the owner goes: the thread must end before the
  // functions it runs are destroyed. Its end is marked as seen here even when
  // it ended before Finish ran.
  if (!m_thread) return;
  if (m_thread->isRunning()) Cancel();
  m_thread->wait();
  HandOverAcquire(this);
}

bool TSearchWorker::Start(int priority) {
  m_thread = QThread::create([this] {
    // An exception leaving a thread would end the program; a search that
    // fails this way (memory) is reported as failed instead.
    try {
      m_outcome = m_run();
    } catch (const std::exception&) {
      m_failed = true;
    }
    HandOverRelease(this);
  });
  m_thread->setParent(this);
  connect(m_thread, &QThread::finished, this, &TSearchWorker::Finish, Qt::QueuedConnection);
  m_thread->start(ThreadPriority(priority));
  if (m_thread->isRunning() || m_thread->isFinished()) return true;
  m_detached = true;
  deleteLater();
  return false;
}

void TSearchWorker::Cancel() {
  if (m_cancel) m_cancel();
}

void TSearchWorker::Detach() { m_detached = true; }

void TSearchWorker::Post(std::function<void()> call) {
  // `this` outlives every queued call: it is deleted only after the thread
  // ended, and deleting it (with its box) drops the calls still queued.
  m_box->Post([this, call = std::move(call)] {
    if (Attached()) call();
  });
}

std::function<void(std::int64_t)> TSearchWorker::ProgressMaxTo(QProgressBar* bar) {
  return [this, bar](std::int64_t total) {
    // A maximum of 0 would turn the bar into a busy indicator.
    Post([bar, total] { bar->setMaximum(std::max(1, ProgressValue(total))); });
  };
}

std::function<void(std::int64_t)> TSearchWorker::ProgressTo(QProgressBar* bar) {
  return [this, bar](std::int64_t position) { Post([bar, position] { bar->setValue(ProgressValue(position)); }); };
}

void TSearchWorker::Finish() {
  m_thread->wait();
  HandOverAcquire(this);
  // Calls posted before the thread ended run before its end is handled.
  if (Attached() && OnFinished) OnFinished(m_outcome);
  emit Ended();
  deleteLater();
}

}  // namespace quillet
