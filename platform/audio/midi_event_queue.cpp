#include "platform/audio/midi_event_queue.h"

#include <cstring>

TMidiEventQueue::TMidiEventQueue() : m_slots(std::make_unique<std::array<TQueuedMidiEvent, kCapacity>>()) {}

bool TMidiEventQueue::Push(const std::uint8_t* bytes, size_t length, std::int64_t startNs) {
  if (length == 0 || length > TQueuedMidiEvent::kMaxBytes) return false;
  std::lock_guard lock(m_producerMutex);
  const size_t tail = m_tail.load(std::memory_order_relaxed);
  const size_t next = (tail + 1) % kCapacity;
  if (next == m_head.load(std::memory_order_acquire)) return false;
  TQueuedMidiEvent& slot = (*m_slots)[tail];
  slot.startNs = startNs;
  slot.generation = m_resetRequested.load(std::memory_order_relaxed);
  slot.length = static_cast<std::uint16_t>(length);
  std::memcpy(slot.bytes.data(), bytes, length);
  m_tail.store(next, std::memory_order_release);
  return true;
}

std::uint32_t TMidiEventQueue::RequestReset() {
  std::lock_guard lock(m_producerMutex);
  return m_resetRequested.fetch_add(1, std::memory_order_acq_rel) + 1;
}

const TQueuedMidiEvent* TMidiEventQueue::Front() const {
  const size_t head = m_head.load(std::memory_order_relaxed);
  if (head == m_tail.load(std::memory_order_acquire)) return nullptr;
  return &(*m_slots)[head];
}

void TMidiEventQueue::Pop() {
  const size_t head = m_head.load(std::memory_order_relaxed);
  m_head.store((head + 1) % kCapacity, std::memory_order_release);
}
