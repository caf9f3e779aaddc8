// The stream clock against simulated devices: callbacks woken late by a busy
// machine, a device clock slower than the steady clock, a new stream's
// start-up pause, an underrun after which everything plays later, a late
// wake-up followed by the burst that refills the buffer, and a server that no
// longer takes the sound.
#include "platform/audio/stream_clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::int64_t kBufferNs = 5'333'333;  // 256 frames at 48 kHz
constexpr std::int64_t kMs = 1'000'000;
constexpr std::int64_t kMaxJitterNs = 2 * kMs;

// A device that plays buffer k at deviceLine + k buffers; the test says when
// each callback comes. Every error is where the clock placed the buffer minus
// where the device plays it.
class TSimulatedStream {
 public:
  // One callback at nowNs for the next buffer; returns the placement error.
  std::int64_t Callback(std::int64_t nowNs, std::int64_t deviceLineNs) {
    const std::int64_t placed = m_clock.Place(nowNs, m_renderedNs);
    // A buffer is never placed after the callback that renders it: a message
    // that has arrived by then is never taken for a late one.
    EXPECT_LE(placed, nowNs);
    EXPECT_FALSE(m_clock.Racing());
    EXPECT_FALSE(m_clock.Lost());
    const std::int64_t error = placed - (deviceLineNs + m_renderedNs);
    m_renderedNs += kBufferNs;
    return error;
  }
  std::int64_t Rendered() const { return m_renderedNs; }
  TStreamClock& Clock() { return m_clock; }

 private:
  TStreamClock m_clock;
  std::int64_t m_renderedNs = 0;
};

class StreamClockTest : public ::testing::Test {
 protected:
  std::int64_t Jitter() { return std::uniform_int_distribution<std::int64_t>(0, kMaxJitterNs)(m_random); }
  std::mt19937 m_random{20261209};
};

// Two buffers at once, 1.95 s of silence while the server settles, then 20 s
// of callbacks woken up to 2 ms late, on a device 100 ppm slower than the
// steady clock: the line sits on the earliest callbacks all along (behind the
// slower device by at most what it drifts in a settling time, 5 us).
TEST_F(StreamClockTest, FollowsTheEarliestCallbacksThroughStartUpJitterAndDrift) {
  TSimulatedStream stream;
  stream.Callback(0, 0);
  stream.Callback(40'000, 0);
  const std::int64_t line = 1'950 * kMs - 2 * kBufferNs;
  std::int64_t largest = 0;
  for (int k = 2; k < 3750; ++k) {
    const std::int64_t due = line + k * kBufferNs + k * kBufferNs / 10'000;
    const std::int64_t error = stream.Callback(due + Jitter(), line + k * kBufferNs / 10'000);
    ASSERT_GE(error, -TStreamClock::kSettleNs / 5'000) << "buffer " << k;
    ASSERT_LE(error, kMaxJitterNs) << "buffer " << k;
    largest = std::max(largest, error);
  }
  EXPECT_GT(largest, 0);
}

// The stream stops for 30 ms and then plays everything that much later: once
// the lateness has lasted the settling time, buffers are placed where the
// device plays them again, to within the jitter.
TEST_F(StreamClockTest, AStallThatDelaysTheStreamIsFollowedWithinTheSettlingTime) {
  TSimulatedStream stream;
  std::int64_t line = 0;
  for (int k = 0; k < 200; ++k) stream.Callback(k * kBufferNs + Jitter(), line);
  const int stalls = stream.Clock().Stalls();
  const std::int64_t stallEnd = 200 * kBufferNs + 30 * kMs;
  line += 30 * kMs;
  for (int k = 200; k < 600; ++k) {
    const std::int64_t now = line + k * kBufferNs + Jitter();
    const std::int64_t error = stream.Callback(now, line);
    EXPECT_GE(error, -30 * kMs);
    if (now > stallEnd + TStreamClock::kSettleNs + kBufferNs) {
      ASSERT_GE(error, 0) << "buffer " << k;
      ASSERT_LE(error, kMaxJitterNs) << "buffer " << k;
    }
  }
  EXPECT_GT(stream.Clock().Stalls(), stalls);
}

// A callback woken 9 ms late, with the buffer still playing, is followed by a
// burst that refills it: the line does not move for it.
TEST_F(StreamClockTest, ALateWakeUpThatTheBufferCoversDoesNotMoveTheLine) {
  TSimulatedStream stream;
  std::int64_t now = 0;
  for (int k = 0; k < 600; ++k) {
    now = std::max(now + 50'000, k * kBufferNs + (k % 100 == 50 ? 9 * kMs : Jitter()));
    const std::int64_t error = stream.Callback(now, 0);
    if (k > 0) {
      ASSERT_GE(error, 0) << "buffer " << k;
      ASSERT_LE(error, kMaxJitterNs) << "buffer " << k;
    }
  }
  EXPECT_EQ(stream.Clock().Stalls(), 0);
}

// Every write returns at once: within a second of audio the clock says so;
// and once it has raced again and again, the stream is lost. A new stream
// that fills a large buffer races once at most, which is not a loss.
TEST_F(StreamClockTest, AStreamAskingFasterThanADeviceIsRacingAndThenLost) {
  TStreamClock clock;
  std::int64_t now = 0;
  std::int64_t rendered = 0;
  int windows = 0;
  bool wasRacing = false;
  while (!clock.Lost()) {
    clock.Place(now, rendered);
    rendered += kBufferNs;
    // The engine sleeps a buffer's time for every buffer while it races.
    now += clock.Racing() ? kBufferNs : 10'000;
    if (clock.Racing() && !wasRacing) {
      ++windows;
      if (windows == 1) {
        EXPECT_GE(rendered, TStreamClock::kPaceWindowNs);
      }
    }
    wasRacing = clock.Racing();
    if (windows < TStreamClock::kLostAfterRacingWindows) {
      EXPECT_FALSE(clock.Lost());
    }
    ASSERT_LE(rendered, 10 * TStreamClock::kPaceWindowNs);
  }
  EXPECT_EQ(windows, TStreamClock::kLostAfterRacingWindows);
}

}  // namespace
