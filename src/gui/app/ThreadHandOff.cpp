// Marked hand-overs between threads; see ThreadHandOff.h.
#include "gui/app/ThreadHandOff.h"

#include <QPointer>

#if defined(__SANITIZE_THREAD__)
#define QUILLET_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QUILLET_TSAN 1
#endif
#endif

#ifdef QUILLET_TSAN
#include <sanitizer/tsan_interface.h>
#endif

namespace quillet {

void HandOverRelease([[maybe_unused]] const void* key) noexcept {
#ifdef QUILLET_TSAN
  __tsan_release(const_cast<void*>(key));
#endif
}

void HandOverAcquire([[maybe_unused]] const void* key) noexcept {
#ifdef QUILLET_TSAN
  __tsan_acquire(const_cast<void*>(key));
#endif
}

TPostBox::~TPostBox() {
  // Taken under the lock: the last calls were queued by another thread.
  std::deque<std::function<void()>> dropped;
  const std::lock_guard lock(m_mutex);
  dropped.swap(m_calls);
}

void TPostBox::Post(std::function<void()> call) {
  // The wake-up is posted under the lock too: the destructor takes it first,
  // so the box cannot go while a worker is still posting to it.
  const std::lock_guard lock(m_mutex);
  m_calls.push_back(std::move(call));
  // By name, so that Qt makes the wake-up event itself.
  QMetaObject::invokeMethod(this, "RunQueued", Qt::QueuedConnection);
}

void TPostBox::RunQueued() {
  const QPointer<TPostBox> alive(this);
  while (alive) {
    std::function<void()> call;
    {
      const std::lock_guard lock(m_mutex);
      if (m_calls.empty()) return;
      call = std::move(m_calls.front());
      m_calls.pop_front();
    }
    if (call) call();
  }
}

}  // namespace quillet
