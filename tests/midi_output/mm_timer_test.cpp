#include "midi/mm_timer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <atomic>
#include <mutex>
#include <stdexcept>

namespace {

TEST(MMTimerTest, StartsEnabledWithOneSecondAndNoTimer) {
  TMMTimer timer;
  EXPECT_TRUE(timer.Enabled);
  EXPECT_EQ(timer.Interval, 1000u);
  EXPECT_EQ(timer.TimerId, 0u);
  EXPECT_FALSE(timer.Busy);
  timer.Loaded();  // no handler: still nothing
  EXPECT_EQ(timer.TimerId, 0u);
}

TEST(MMTimerTest, EnablingWithoutHandlerStartsNothingAndRaisesNothing) {
  TMMTimer timer;
  timer.SetEnabled(false);
  EXPECT_NO_THROW(timer.SetEnabled(true));
  EXPECT_EQ(timer.TimerId, 0u);
}

TEST(MMTimerTest, ElapsedStartsAtZeroAndWrapsAround) {
  TMMTimer timer;
  DWORD now = 0xFFFFFFFFu - 15;  // 16 ms before the counter wraps to 0
  timer.SetTickSource([&] { return now; });
  EXPECT_EQ(timer.Elapsed(), 0u);
  EXPECT_TRUE(timer.Started);
  now = 16;  // 16 ms after it wrapped
  EXPECT_EQ(timer.Elapsed(), 32u);
  now += 5;
  EXPECT_EQ(timer.Elapsed(), 5u);
  EXPECT_EQ(timer.LastTick, now);
}

TEST(MMTimerTest, SettingEnabledAgainRestartsTheMeasurement) {
  TMMTimer timer;
  DWORD now = 1000;
  timer.SetTickSource([&] { return now; });
  timer.Elapsed();
  now = 1500;
  timer.SetEnabled(true);  // same value: only Started is cleared
  EXPECT_FALSE(timer.Started);
  EXPECT_EQ(timer.Elapsed(), 0u);
  now = 1507;
  EXPECT_EQ(timer.Elapsed(), 7u);
}

TEST(MMTimerTest, HandlerErrorIsCaughtReportedOnceAndBusyEndsFalse) {
  TMMTimer timer;
  int calls = 0;
  timer.OnTimer = [&](TMMTimer*) {
    ++calls;
    throw std::runtime_error("tick exploded");
  };
  testing::internal::CaptureStderr();
  EXPECT_NO_THROW(timer.DoTimer());
  EXPECT_NO_THROW(timer.DoTimer());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(timer.Busy);
  const size_t first = err.find("tick exploded");
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(err.find("tick exploded", first + 1), std::string::npos);
}

TEST(MMTimerTest, NonStandardErrorIsCaughtToo) {
  TMMTimer timer;
  timer.OnTimer = [](TMMTimer*) { throw 42; };
  testing::internal::CaptureStderr();
  EXPECT_NO_THROW(timer.DoTimer());
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(timer.Busy);
}

TEST(MMTimerTest, BusyDropsATickArrivingWhileTheHandlerRuns) {
  TMMTimer timer;
  int calls = 0;
  bool busyInside = false;
  timer.OnTimer = [&](TMMTimer* sender) {
    ++calls;
    busyInside = sender->Busy;
    sender->DoTimer();  // a tick arriving now is dropped, not nested
  };
  timer.DoTimer();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(busyInside);
  EXPECT_FALSE(timer.Busy);
}

TEST(MMTimerTest, DoTimerWithoutHandlerDoesNothing) {
  TMMTimer timer;
  timer.DoTimer();
  EXPECT_FALSE(timer.Busy);
}

TEST(MMTimerTest, RunsAndStopsFromInsideItsCallback) {
  TMMTimer timer;
  timer.SetEnabled(false);
  timer.SetInterval(1);
  std::mutex mutex;
  std::condition_variable changed;
  int calls = 0;
  int callsAfterRestart = 0;
  bool stopped = false;
  bool restarted = false;
  DWORD firstElapsed = 1;
  timer.OnTimer = [&](TMMTimer* sender) {
    const DWORD elapsed = sender->Elapsed();
    std::lock_guard lock(mutex);
    if (restarted) {
      ++callsAfterRestart;
    } else if (++calls == 1) {
      firstElapsed = elapsed;
    } else if (calls == 3) {
      sender->SetEnabled(false);  // the song ended inside the tick
      stopped = true;
    }
    changed.notify_all();
  };
  // Under load the third tick can come before SetEnabled has even stored the
  // id, so the id is only checked once the timer has stopped itself.
  timer.SetEnabled(true);
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return stopped; });
    EXPECT_EQ(timer.TimerId, 0u);
    EXPECT_FALSE(timer.Enabled);
    EXPECT_EQ(firstElapsed, 0u);  // the first tick after enabling gets 0
    restarted = true;
  }
  // Enabling again from this thread starts a new timer.
  timer.SetEnabled(true);
  {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return callsAfterRestart > 0; });
    EXPECT_EQ(calls, 3);
  }
  timer.SetEnabled(false);
  EXPECT_EQ(timer.TimerId, 0u);
}

TEST(MMTimerTest, DestructionWaitsForACallbackThatStoppedItsTimer) {
  std::mutex mutex;
  std::condition_variable changed;
  bool stopped = false;
  bool release = false;
  std::atomic<bool> finished{false};
  {
    TMMTimer timer;
    timer.SetEnabled(false);
    timer.SetInterval(1);
    timer.OnTimer = [&](TMMTimer* sender) {
      std::unique_lock lock(mutex);
      if (stopped) return;
      sender->SetEnabled(false);
      stopped = true;
      changed.notify_all();
      // Still busy after stopping, as the end of a song is.
      changed.wait(lock, [&] { return release; });
      finished = true;
    };
    timer.SetEnabled(true);
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return stopped; });
      release = true;
    }
    changed.notify_all();
  }  // the destructor must not return while the callback still runs
  EXPECT_TRUE(finished);
}

TEST(MMTimerTest, IntervalZeroStopsAndANewIntervalRestarts) {
  TMMTimer timer;
  timer.SetEnabled(false);
  timer.OnTimer = [](TMMTimer*) {};
  timer.SetInterval(5);
  timer.SetEnabled(true);
  const UINT first = timer.TimerId;
  ASSERT_NE(first, 0u);
  timer.SetInterval(7);
  EXPECT_NE(timer.TimerId, 0u);
  EXPECT_NE(timer.TimerId, first);
  timer.SetInterval(0);
  EXPECT_EQ(timer.TimerId, 0u);
}

TEST(MMTimerTest, DisablingFromTheOwnerWaitsForTheTickInProgress) {
  TMMTimer timer;
  timer.SetEnabled(false);
  timer.SetInterval(1);
  std::mutex mutex;
  std::condition_variable cv;
  bool entered = false;
  bool release = false;
  bool finished = false;
  timer.OnTimer = [&](TMMTimer*) {
    std::unique_lock lock(mutex);
    if (entered) return;
    entered = true;
    cv.notify_all();
    cv.wait(lock, [&] { return release; });
    finished = true;
  };
  timer.SetEnabled(true);
  {
    std::unique_lock lock(mutex);
    cv.wait(lock, [&] { return entered; });
    release = true;
  }
  cv.notify_all();
  timer.SetEnabled(false);
  std::lock_guard lock(mutex);
  EXPECT_TRUE(finished);
}

}  // namespace
