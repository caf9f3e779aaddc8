#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <thread>

#include "platform/winmm/mmsystem.h"

namespace {

void CALLBACK_Nothing(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

TEST(TimeEventTest, InvalidRequestsStartNothing) {
  EXPECT_EQ(timeSetEvent(5, 5, nullptr, 0, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(0, 0, CALLBACK_Nothing, 0, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(5, 5, CALLBACK_Nothing, 0, 0x0100 /* TIME_CALLBACK_EVENT_SET */), 0u);
  EXPECT_EQ(timeKillEvent(0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(timeKillEvent(123456), MMSYSERR_INVALPARAM);
}

struct TCounting {
  std::atomic<int> calls{0};
  std::latch enough{5};
  std::atomic<UINT> seenId{0};
};

void CountCalls(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* c = reinterpret_cast<TCounting*>(user);
  c->seenId = id;
  if (c->calls.fetch_add(1) < 5) c->enough.count_down();
}

TEST(TimeEventTest, PeriodicTimerCallsRepeatedlyWithItsIdAndUserValue) {
  TCounting counting;
  const UINT id = timeSetEvent(1, 1, CountCalls, reinterpret_cast<DWORD_PTR>(&counting), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  counting.enough.wait();
  EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  const int afterKill = counting.calls.load();
  EXPECT_GE(afterKill, 5);
  EXPECT_EQ(counting.seenId.load(), id);
  // Killed means no callback afterwards (the thread was joined).
  EXPECT_EQ(counting.calls.load(), afterKill);
  EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

struct TBlocking {
  std::mutex mutex;
  std::condition_variable cv;
  bool entered = false;
  bool release = false;
  std::atomic<bool> finished{false};
};

void BlockInCallback(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* b = reinterpret_cast<TBlocking*>(user);
  std::unique_lock lock(b->mutex);
  if (b->entered) return;  // only the first call blocks
  b->entered = true;
  b->cv.notify_all();
  b->cv.wait(lock, [&] { return b->release; });
  b->finished = true;
}

TEST(TimeEventTest, KillFromAnotherThreadWaitsForTheCallbackInProgress) {
  TBlocking blocking;
  const UINT id = timeSetEvent(1, 1, BlockInCallback, reinterpret_cast<DWORD_PTR>(&blocking), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  {
    std::unique_lock lock(blocking.mutex);
    blocking.cv.wait(lock, [&] { return blocking.entered; });
  }
  std::atomic<bool> killReturned{false};
  bool finishedWhenKillReturned = false;
  std::thread killer([&] {
    timeKillEvent(id);
    finishedWhenKillReturned = blocking.finished.load();
    killReturned = true;
  });
  {
    std::lock_guard lock(blocking.mutex);
    blocking.release = true;
  }
  blocking.cv.notify_all();
  killer.join();
  EXPECT_TRUE(killReturned);
  EXPECT_TRUE(finishedWhenKillReturned);
}

struct TSelfKilling {
  std::atomic<UINT> id{0};
  std::atomic<int> calls{0};
  std::atomic<MMRESULT> result{0xFFFF};
  std::latch done{1};
  std::latch idKnown{1};
};

void KillItself(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* s = reinterpret_cast<TSelfKilling*>(user);
  s->idKnown.wait();
  if (s->calls.fetch_add(1) == 0) {
    s->result = timeKillEvent(id);
    s->done.count_down();
  }
}

TEST(TimeEventTest, KillFromInsideTheCallbackStopsWithoutWaitingForItself) {
  TSelfKilling self;
  self.id = timeSetEvent(1, 1, KillItself, reinterpret_cast<DWORD_PTR>(&self), TIME_PERIODIC);
  ASSERT_NE(self.id.load(), 0u);
  self.idKnown.count_down();
  self.done.wait();
  EXPECT_EQ(self.result.load(), TIMERR_NOERROR);
  EXPECT_EQ(timeKillEvent(self.id), MMSYSERR_INVALPARAM);  // already gone
}

TEST(TimeEventTest, OneShotFiresOnce) {
  TCounting counting;
  const UINT id = timeSetEvent(1, 1, CountCalls, reinterpret_cast<DWORD_PTR>(&counting), TIME_ONESHOT);
  ASSERT_NE(id, 0u);
  while (counting.calls.load() == 0) std::this_thread::yield();
  timeKillEvent(id);  // either still listed or already gone: both are fine
  EXPECT_EQ(counting.calls.load(), 1);
}

}  // namespace
