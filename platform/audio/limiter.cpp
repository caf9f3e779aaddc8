#include "platform/audio/limiter.h"

#include <algorithm>
#include <cmath>

// Why the ceiling holds: the gain put out with frame n - L (L the look-ahead)
// is the mean of the envelope over frames n - L .. n. The envelope of each of
// those frames is at most the smallest gain any frame of its own window
// k - L .. k requires, and every such window contains frame n - L; so the
// mean is at most the gain frame n - L requires.

TLimiter::TLimiter(float ceiling, size_t lookAheadFrames, double releaseSeconds)
    : m_ceiling(ceiling), m_lookAhead(std::min(lookAheadFrames, kMaxLookAheadFrames)), m_releaseSeconds(releaseSeconds) {
  Reset(48000);
}

void TLimiter::Reset(unsigned sampleRate) {
  const double frames = std::max(1.0, m_releaseSeconds * std::max(1u, sampleRate));
  m_releaseStep = static_cast<float>(1.0 - std::exp(-1.0 / frames));
  m_delay.fill(0.0f);
  m_required.fill(1.0f);
  m_envelope.fill(1.0f);
  m_position = 0;
  m_gain = 1.0f;
  m_lastGain = 1.0f;
}

void TLimiter::Process(float* interleaved, size_t frames) {
  const size_t window = m_lookAhead + 1;
  for (size_t f = 0; f < frames; ++f) {
    float* frame = interleaved + 2 * f;
    const float peak = std::max(std::fabs(frame[0]), std::fabs(frame[1]));
    const size_t slot = m_position;
    m_required[slot] = peak > m_ceiling ? m_ceiling / peak : 1.0f;
    float smallest = 1.0f;
    for (size_t i = 0; i < window; ++i) smallest = std::min(smallest, m_required[i]);
    m_gain = std::min(smallest, m_gain + (1.0f - m_gain) * m_releaseStep);
    m_envelope[slot] = m_gain;
    float sum = 0.0f;
    for (size_t i = 0; i < window; ++i) sum += m_envelope[i];
    const float gain = sum / static_cast<float>(window);
    // The frame leaving the delay line is the oldest one of the window.
    const size_t oldest = (slot + 1) % window;
    const float left = window == 1 ? frame[0] : m_delay[2 * oldest];
    const float right = window == 1 ? frame[1] : m_delay[2 * oldest + 1];
    m_delay[2 * slot] = frame[0];
    m_delay[2 * slot + 1] = frame[1];
    frame[0] = left * gain;
    frame[1] = right * gain;
    m_lastGain = gain;
    m_position = (slot + 1) % window;
  }
}
