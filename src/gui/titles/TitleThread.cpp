// The title collector's thread (see TitleThread.h).
#include "gui/titles/TitleThread.h"

#include <exception>

#include "core/search/DiaryGrep.h"
#include "gui/app/ThreadHandOff.h"

namespace quillet {

TTitleThread::TTitleThread(const TStoreSettings& settings, TDate month, bool onlyExists, QObject* receiver,
                           TDone done)
    : m_collector(settings, month, onlyExists), m_box(new TPostBox(receiver)), m_done(std::move(done)) {}

TTitleThread::~TTitleThread() {
  Terminate();
  wait();
  HandOverAcquire(this);
  // A hand-over still queued runs before the box goes; this may be called
  // from within one.
  m_box->deleteLater();
}

void TTitleThread::Start(int priority) {
  // The stored priorities 0..6 are QThread's Idle .. TimeCritical in order.
  start(static_cast<QThread::Priority>(PriorityFromSetting(priority)));
}

void TTitleThread::run() {
  struct TEnd {
    const TTitleThread* Thread;
    ~TEnd() { HandOverRelease(Thread); }
  } end{this};
  std::shared_ptr<TTitleCollection> collection;
  try {
    collection = std::make_shared<TTitleCollection>(m_collector.Run());
  } catch (const std::exception&) {
    // Out of memory: an exception leaving the thread would end the program.
    // The page hears of it as a collection that is missing.
  }
  if (collection && collection->Terminated) return;
  m_box->Post([done = m_done, collection] { done(collection); });
}

}  // namespace quillet
