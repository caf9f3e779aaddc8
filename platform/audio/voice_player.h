// Plays one voice line at a time, mixed into the audio stream. Play and Stop:
// any one thread at a time (callers of sndPlaySoundA); MixInto: the audio
// thread only, which never allocates, frees or locks. The player owns every
// buffer handed to it and frees retired ones on the playing side.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// A decoded voice line: interleaved stereo float at the stream's rate.
struct TVoiceBuffer {
  std::vector<float> samples;
  size_t Frames() const { return samples.size() / 2; }
  std::uint32_t generation = 0;
};

class TVoicePlayer {
 public:
  TVoicePlayer() = default;
  ~TVoicePlayer();
  TVoicePlayer(const TVoicePlayer&) = delete;
  TVoicePlayer& operator=(const TVoicePlayer&) = delete;

  // Replaces the line playing (if any) with buffer, from its start.
  void Play(std::unique_ptr<TVoiceBuffer> buffer);
  // Stops the line playing.
  void Stop();
  // True from Play until the mixing side has played the line to its end or
  // replaced it.
  bool Playing() const;

  // Audio thread: adds the current line into frames of interleaved stereo at
  // the level gain, which moves towards target by at most step a frame (and is
  // left where it got to).
  void MixInto(float* interleaved, size_t frames);
  void MixInto(float* interleaved, size_t frames, float& gain, float target, float step);

 private:
  static constexpr size_t kRetiredCapacity = 16;

  void Publish(TVoiceBuffer* buffer);
  void FreeRetired();
  void Retire(TVoiceBuffer* buffer);

  std::mutex m_playMutex;  // serialises the playing side only
  std::uint32_t m_nextGeneration = 0;
  std::atomic<std::uint32_t> m_requested{0};
  std::atomic<std::uint32_t> m_finished{0};
  std::atomic<TVoiceBuffer*> m_incoming{nullptr};
  // Audio-thread state.
  TVoiceBuffer* m_current = nullptr;
  size_t m_position = 0;
  // Buffers the audio thread is done with, freed by the playing side.
  std::atomic<TVoiceBuffer*> m_retired[kRetiredCapacity] = {};
};
