// The queue that carries MIDI messages from the sending threads (timer, main)
// to the audio thread. Senders are serialised by a mutex (they are not
// real-time); the one consumer, the audio callback or an offline render, pops
// without locking or allocating. The queue owns its fixed storage.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

// One message with the moment it must start, in steady-clock nanoseconds.
struct TQueuedMidiEvent {
  static constexpr size_t kMaxBytes = 512;  // longer system-exclusive messages are refused

  std::int64_t startNs = 0;
  std::uint32_t generation = 0;  // the reset generation it was sent in
  std::uint16_t length = 0;
  std::array<std::uint8_t, kMaxBytes> bytes{};
};

class TMidiEventQueue {
 public:
  static constexpr size_t kCapacity = 1024;  // about five seconds of a dense song

  TMidiEventQueue();

  // Producer side (any thread but the consumer). False when the message is too
  // long or the queue is full; the message is then dropped.
  bool Push(const std::uint8_t* bytes, size_t length, std::int64_t startNs);
  // Starts a new reset generation: the consumer drops every message sent
  // before and silences the synthesizer. Returns the new generation.
  std::uint32_t RequestReset();

  // Consumer side (one thread at a time).
  const TQueuedMidiEvent* Front() const;  // nullptr when empty
  void Pop();
  std::uint32_t ResetRequested() const { return m_resetRequested.load(std::memory_order_acquire); }

 private:
  std::unique_ptr<std::array<TQueuedMidiEvent, kCapacity>> m_slots;
  std::atomic<size_t> m_head{0};  // next slot to read, written by the consumer
  std::atomic<size_t> m_tail{0};  // next slot to write, written by the producer
  std::mutex m_producerMutex;
  std::atomic<std::uint32_t> m_resetRequested{0};
};
