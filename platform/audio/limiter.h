// A peak limiter for the mix: no sample leaves it above its ceiling. It looks
// ahead a fixed number of frames (the signal is delayed by that much) so that
// the gain is already down when a peak arrives, ramps down over the look-ahead
// and recovers with a release time. With no look-ahead it reacts at once.
// Audio thread only (or one offline renderer); fixed storage, no allocation.
#pragma once

#include <array>
#include <cstddef>

class TLimiter {
 public:
  static constexpr size_t kMaxLookAheadFrames = 64;

  // ceiling: the largest magnitude let through (linear, below 1 for headroom).
  TLimiter(float ceiling, size_t lookAheadFrames, double releaseSeconds);

  // Sets the rate the release time is counted at and starts afresh (silence
  // in the delay line, no gain reduction).
  void Reset(unsigned sampleRate);
  // Limits frames of interleaved stereo in place; the output is the input of
  // LookAheadFrames() frames earlier.
  void Process(float* interleaved, size_t frames);

  size_t LookAheadFrames() const { return m_lookAhead; }
  // The gain applied to the last frame put out (1 when nothing is limited).
  float CurrentGain() const { return m_lastGain; }

 private:
  static constexpr size_t kWindow = kMaxLookAheadFrames + 1;

  float m_ceiling;
  size_t m_lookAhead;
  double m_releaseSeconds;
  float m_releaseStep = 0.0f;  // share of the way back to 1 the gain moves per frame
  std::array<float, 2 * kWindow> m_delay{};
  std::array<float, kWindow> m_required{};  // the gain each frame in the window needs
  std::array<float, kWindow> m_envelope{};  // the released gain of each frame in the window
  size_t m_position = 0;
  float m_gain = 1.0f;
  float m_lastGain = 1.0f;
};
