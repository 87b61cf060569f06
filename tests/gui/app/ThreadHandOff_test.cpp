// Tests of TPostBox: calls posted from other threads run on the box's
// thread in the order posted, a call may delete the box, and calls still
// queued when the box goes are dropped (and destroyed) without running.
// Under ThreadSanitizer these also check that the hand-over is seen.
#include "gui/app/ThreadHandOff.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace quillet {
namespace {

void RunPosted() { QCoreApplication::sendPostedEvents(); }

TEST(PostBox, CallsFromSeveralThreadsRunOnTheBoxThreadInOrderPerThread) {
  TPostBox box;
  std::vector<std::pair<int, int>> seen;  // (thread, index)
  bool elsewhere = false;
  std::vector<std::unique_ptr<QThread>> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back(QThread::create([&box, &seen, &elsewhere, t] {
      for (int i = 0; i < 200; ++i) {
        // A payload built on the worker, read on the box's thread.
        auto text = std::make_shared<std::string>(std::to_string(i));
        box.Post([&seen, &elsewhere, t, text] {
          elsewhere |= QThread::currentThread() != QCoreApplication::instance()->thread();
          seen.emplace_back(t, std::stoi(*text));
        });
      }
    }));
    threads.back()->start();
  }
  for (auto& thread : threads) thread->wait();
  RunPosted();
  EXPECT_FALSE(elsewhere);
  ASSERT_EQ(seen.size(), 600u);
  std::vector<int> next(3, 0);
  for (const auto& [t, i] : seen) EXPECT_EQ(i, next[static_cast<std::size_t>(t)]++);
}

TEST(PostBox, RunQueuedRunsWhatIsQueuedAtOnceAndOnlyOnce) {
  TPostBox box;
  int runs = 0;
  std::unique_ptr<QThread> thread(QThread::create([&] {
    box.Post([&runs] { ++runs; });
    box.Post([&runs] { ++runs; });
  }));
  thread->start();
  thread->wait();
  box.RunQueued();
  EXPECT_EQ(runs, 2);
  RunPosted();  // the wake-ups find nothing left
  EXPECT_EQ(runs, 2);
}

TEST(PostBox, ACallMayDeleteTheBoxAndTheRestIsDroppedUnrun) {
  auto* box = new TPostBox;
  auto guard = std::make_shared<int>(0);
  int runs = 0;
  box->Post([&] {
    ++runs;
    delete box;
  });
  box->Post([&runs, guard] { ++runs; });
  box->RunQueued();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(guard.use_count(), 1);  // the dropped call was destroyed
  RunPosted();                      // the wake-ups of a deleted box go with it
  EXPECT_EQ(runs, 1);
}

TEST(PostBox, CallsQueuedWhenTheBoxGoesAreDropped) {
  auto parent = std::make_unique<QObject>();
  auto* box = new TPostBox(parent.get());
  auto guard = std::make_shared<int>(0);
  bool ran = false;
  std::unique_ptr<QThread> thread(QThread::create([&] { box->Post([&ran, guard] { ran = true; }); }));
  thread->start();
  thread->wait();
  parent.reset();  // takes the box with it
  RunPosted();
  EXPECT_FALSE(ran);
  EXPECT_EQ(guard.use_count(), 1);
}

}  // namespace
}  // namespace quillet
