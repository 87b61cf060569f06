// Hand-overs from worker threads to the GUI thread that ThreadSanitizer can
// check.
//
// Qt passes a queued call and the end of a thread (QThread::wait) under its
// own locks. When Qt is not built with the sanitizer, as with the system's
// Qt, those locks are invisible to it: every value a worker hands over would
// be reported as a race, and a real race would drown among them. So the
// data of a queued call goes through a lock the sanitizer sees (TPostBox),
// and the end of a thread is marked twice: released by the thread as its
// last step, acquired by the thread that waited for it, on the same key.
// Outside a sanitizer build the marks are nothing.
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace quillet {

// Marks everything the calling thread did so far as seen by a later
// HandOverAcquire on `key` (the end of a thread's work, before its wait()).
void HandOverRelease(const void* key) noexcept;
// Marks what was released on `key` as seen by the calling thread (after the
// wait() for the thread that released it).
void HandOverAcquire(const void* key) noexcept;

// TPostBox: queued calls into the thread the box lives in, run in the
// order they were posted, as QMetaObject::invokeMethod(box, call,
// Qt::QueuedConnection) would run them. The calls wait in a queue of the
// box under a lock of the standard library, which the sanitizer sees; the
// event that wakes the box carries no data. Calls still queued when the box
// is deleted are dropped.
class TPostBox final : public QObject {
  Q_OBJECT

public:
  explicit TPostBox(QObject* parent = nullptr) : QObject(parent) {}
  ~TPostBox() override;

  // Any thread: runs `call` later on the box's thread.
  void Post(std::function<void()> call);

public slots:
  // The box's thread: runs the calls queued so far now. A call may delete
  // the box; the calls after it are then dropped.
  void RunQueued();

private:
  std::mutex m_mutex;
  std::deque<std::function<void()>> m_calls;
};

}  // namespace quillet
