#include "platform/audio/midi_event_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(MidiEventQueueTest, RefusesEmptyAndOverlongMessages) {
  TMidiEventQueue queue;
  std::vector<std::uint8_t> big(TQueuedMidiEvent::kMaxBytes + 1, 0xF0);
  EXPECT_FALSE(queue.Push(big.data(), 0, 0));
  EXPECT_FALSE(queue.Push(big.data(), big.size(), 0));
  EXPECT_TRUE(queue.Push(big.data(), TQueuedMidiEvent::kMaxBytes, 0));
  ASSERT_NE(queue.Front(), nullptr);
  EXPECT_EQ(queue.Front()->length, TQueuedMidiEvent::kMaxBytes);
}

TEST(MidiEventQueueTest, RefusesWhenFullAndKeepsOrder) {
  TMidiEventQueue queue;
  size_t pushed = 0;
  for (size_t i = 0; i < TMidiEventQueue::kCapacity + 5; ++i) {
    const std::uint8_t msg[] = {0x90, static_cast<std::uint8_t>(i & 0x7F), 1};
    if (queue.Push(msg, 3, static_cast<std::int64_t>(i))) ++pushed;
  }
  EXPECT_EQ(pushed, TMidiEventQueue::kCapacity - 1);
  for (size_t i = 0; i < pushed; ++i) {
    ASSERT_NE(queue.Front(), nullptr);
    EXPECT_EQ(queue.Front()->startNs, static_cast<std::int64_t>(i));
    queue.Pop();
  }
  EXPECT_EQ(queue.Front(), nullptr);
}

TEST(MidiEventQueueTest, ResetStartsANewGeneration) {
  TMidiEventQueue queue;
  const std::uint8_t msg[] = {0x80, 1, 2};
  queue.Push(msg, 3, 0);
  EXPECT_EQ(queue.RequestReset(), 1u);
  queue.Push(msg, 3, 0);
  EXPECT_EQ(queue.Front()->generation, 0u);
  queue.Pop();
  EXPECT_EQ(queue.Front()->generation, 1u);
  EXPECT_EQ(queue.ResetRequested(), 1u);
}

TEST(MidiEventQueueTest, ConcurrentProducersAndConsumerLoseNothing) {
  TMidiEventQueue queue;
  constexpr int kProducers = 2;
  constexpr int kEach = 20000;
  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&queue, p] {
      for (int i = 0; i < kEach; ++i) {
        const std::uint8_t msg[] = {static_cast<std::uint8_t>(0x90 + p), static_cast<std::uint8_t>(i & 0x7F), 1};
        while (!queue.Push(msg, 3, i)) std::this_thread::yield();
      }
    });
  }
  int received[kProducers] = {};
  std::int64_t last[kProducers] = {-1, -1};
  bool ordered = true;
  while (received[0] + received[1] < kProducers * kEach) {
    if (const TQueuedMidiEvent* e = queue.Front()) {
      const int p = e->bytes[0] - 0x90;
      ordered = ordered && e->startNs == last[p] + 1;
      last[p] = e->startNs;
      ++received[p];
      queue.Pop();
    } else {
      std::this_thread::yield();
    }
  }
  for (auto& t : producers) t.join();
  EXPECT_TRUE(ordered);
  EXPECT_EQ(received[0], kEach);
  EXPECT_EQ(received[1], kEach);
}

}  // namespace
