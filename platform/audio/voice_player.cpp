#include "platform/audio/voice_player.h"

#include <algorithm>

TVoicePlayer::~TVoicePlayer() {
  delete m_incoming.exchange(nullptr);
  delete m_current;
  FreeRetired();
}

void TVoicePlayer::Play(std::unique_ptr<TVoiceBuffer> buffer) {
  std::lock_guard lock(m_playMutex);
  FreeRetired();
  buffer->generation = ++m_nextGeneration;
  m_requested.store(buffer->generation, std::memory_order_release);
  Publish(buffer.release());
}

void TVoicePlayer::Stop() {
  std::lock_guard lock(m_playMutex);
  FreeRetired();
  auto silence = std::make_unique<TVoiceBuffer>();
  silence->generation = ++m_nextGeneration;
  m_requested.store(silence->generation, std::memory_order_release);
  Publish(silence.release());
}

bool TVoicePlayer::Playing() const {
  return m_finished.load(std::memory_order_acquire) != m_requested.load(std::memory_order_acquire);
}

void TVoicePlayer::Publish(TVoiceBuffer* buffer) {
  // A line the audio thread never picked up is simply replaced.
  delete m_incoming.exchange(buffer, std::memory_order_acq_rel);
}

void TVoicePlayer::FreeRetired() {
  for (auto& slot : m_retired) delete slot.exchange(nullptr, std::memory_order_acq_rel);
}

void TVoicePlayer::Retire(TVoiceBuffer* buffer) {
  if (buffer == nullptr) return;
  for (auto& slot : m_retired) {
    TVoiceBuffer* expected = nullptr;
    if (slot.compare_exchange_strong(expected, buffer, std::memory_order_acq_rel)) return;
  }
  // Every slot full: the playing side has not run for a long time. Keeping the
  // buffer is better than freeing memory on the audio thread.
}

void TVoicePlayer::MixInto(float* interleaved, size_t frames) {
  float gain = 1.0f;
  MixInto(interleaved, frames, gain, 1.0f, 0.0f);
}

void TVoicePlayer::MixInto(float* interleaved, size_t frames, float& gain, float target, float step) {
  if (TVoiceBuffer* incoming = m_incoming.exchange(nullptr, std::memory_order_acq_rel)) {
    Retire(m_current);
    m_current = incoming;
    m_position = 0;
  }
  if (m_current == nullptr) return;
  const size_t available = m_current->Frames() - m_position;
  const size_t count = std::min(frames, available);
  const float* source = m_current->samples.data() + 2 * m_position;
  if (gain == 1.0f && target == 1.0f) {
    for (size_t i = 0; i < 2 * count; ++i) interleaved[i] += source[i];
  } else {
    for (size_t f = 0; f < count; ++f) {
      gain += std::clamp(target - gain, -step, step);
      interleaved[2 * f] += source[2 * f] * gain;
      interleaved[2 * f + 1] += source[2 * f + 1] * gain;
    }
  }
  m_position += count;
  if (m_position >= m_current->Frames()) {
    m_finished.store(m_current->generation, std::memory_order_release);
    Retire(m_current);
    m_current = nullptr;
  }
}
