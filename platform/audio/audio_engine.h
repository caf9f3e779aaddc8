// The one audio output of the game: the General MIDI synthesizer and the voice
// player mixed into one stream, or rendered offline into a buffer when there
// is no device (tests, the song renderer). MIDI messages are sent from any
// thread with the moment they were due; each is applied at the matching
// sample, one fixed scheduling delay later, so the timer step and the buffer
// size add constant latency but no jitter. The music goes through a peak
// limiter (any look-ahead it has is part of the scheduling delay), the voice
// line is mixed in after it and a last limiter guards the sum; music and voice
// have their own volumes. The engine owns the synthesizer, the voice player,
// the message queue, the limiters and the stream.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio/audio_stream.h"
#include "platform/audio/limiter.h"
#include "platform/audio/midi_event_queue.h"
#include "platform/audio/stream_clock.h"
#include "platform/audio/synthesizer.h"
#include "platform/audio/voice_player.h"

struct TAudioEngineOptions {
  // Open the sound device when sound is first needed. Off for tests and
  // offline renderers, which drive RenderOffline themselves.
  bool deviceOutput = true;
  std::vector<std::string> soundFontPaths = DefaultSoundFontPaths();
  // The output device by its RtAudio name; empty, or a name no device has: the default.
  std::string outputDeviceName;
};

class TAudioEngine {
 public:
  using TClock = std::chrono::steady_clock;

  // The sequencer's timer step, covered by the scheduling delay.
  static constexpr std::chrono::microseconds kTimerStep{5000};
  // Room for a late timer callback and for the audio callback's own jitter.
  static constexpr std::chrono::microseconds kSchedulingMargin{1500};
  // The music limiter's look-ahead. None: a look-ahead delays every message by
  // its length, and a message that is already late must sound at once. With
  // the gain staged below the ceiling the limiter acts only on dense passages,
  // where an instant attack is not heard. The scheduling accounts for any
  // look-ahead set here: messages are applied that much earlier.
  static constexpr size_t kLimiterLookAheadFrames = 0;
  // The largest sample the music may reach (-1 dBFS) and the sum with the voice (-0.5 dBFS).
  static constexpr float kMusicCeiling = 0.891f;
  static constexpr float kOutputCeiling = 0.944f;
  static constexpr double kLimiterReleaseSeconds = 0.2;
  // Where messages are seen to arrive late (the threads have no real-time
  // scheduling, say), the delay grows between games by the lateness seen and
  // this step, up to kMaxExtraDelay above the computed one.
  static constexpr std::chrono::microseconds kExtraDelayStep{500};
  static constexpr std::chrono::microseconds kMaxExtraDelay{10000};
  // The audio callback's thread asks for this real-time priority (above the timer's).
  static constexpr int kAudioThreadPriority = 20;

  explicit TAudioEngine(TAudioEngineOptions options = {});
  ~TAudioEngine();
  TAudioEngine(const TAudioEngine&) = delete;
  TAudioEngine& operator=(const TAudioEngine&) = delete;

  // The game's engine, built with the options set by SetGlobalOptions (or the defaults).
  static TAudioEngine& Global();
  // Options for Global; effective only before its first use.
  static void SetGlobalOptions(TAudioEngineOptions options);
  static TAudioEngineOptions GlobalOptions();

  // Opens the device now when allowed (otherwise on first need). Main thread.
  void EnsureOutput();
  bool StreamRunning() const;
  // The settings of the running stream, or those a stream would be opened with.
  TStreamSettings StreamSettings() const;
  // Why there is no stream (empty when it runs or was not tried).
  std::string StreamAbsentReason() const;
  // True once a stream was tried and none could be opened on any device.
  bool OutputFailed() const;
  // True when the stream runs on the default device because the named one
  // could not be opened.
  bool OutputFellBack() const;
  // True once the running stream's server has stopped taking the sound (it
  // went away or restarted): nothing will be heard until ReopenOutput.
  bool StreamLost() const { return m_streamLost.load(std::memory_order_relaxed); }
  // Closes the stream and opens it again on the device of that name (empty:
  // the default), falling back to the default when that one cannot be
  // opened. Main thread, while no game runs: queued messages are dropped.
  // False when no device could be opened at all.
  bool ReopenOutput(const std::string& deviceName);
  unsigned SampleRate() const;

  // ---- synthesizer ----
  // Loads the SoundFont once (main thread). False when none loads.
  bool OpenSynthesizer();
  bool SynthesizerReady() const { return m_synth.load(std::memory_order_acquire) != nullptr; }
  std::string SoundFontPath() const;
  // Puts a synthesizer loaded elsewhere (at SampleRate()) in place of the one
  // in use, once the audio thread has left it; returns the old one, for the
  // caller to free where it does not hold up the main thread. Main thread,
  // while no game runs. A null synth changes nothing and is returned.
  std::unique_ptr<TSynthesizer> ReplaceSynthesizer(std::unique_ptr<TSynthesizer> synth);
  // Queues a complete message (channel message or F0 ... F7) due at due.
  // False when the synthesizer is not open or the message was refused.
  bool SendMidi(const std::uint8_t* bytes, size_t length, TClock::time_point due);
  // Drops every queued message, releases every sounding note and resets the
  // controllers; returns once the synthesizer has done so.
  void ResetSynthesizer();
  // The latest a message has arrived after its sample so far (stream only;
  // cleared when the delay adapts to it at a reset).
  std::chrono::nanoseconds LatenessSeen() const {
    return std::chrono::nanoseconds(m_latenessSeenNs.load(std::memory_order_relaxed));
  }
  // Due time to sample offset: the delay from a message's due time to the
  // moment it is applied.
  std::chrono::nanoseconds SchedulingDelay() const {
    return std::chrono::nanoseconds(m_schedulingDelayNs.load(std::memory_order_relaxed));
  }

  // ---- voice ----
  TVoicePlayer& Voice() { return m_voice; }

  // ---- volumes (any thread; they glide to the new value within about 5 ms) ----
  // 0 (silent) to 1 (full, the default); values outside are clamped.
  void SetMusicVolume(float volume);
  void SetVoiceVolume(float volume);
  float MusicVolume() const { return m_musicVolume.load(std::memory_order_relaxed); }
  float VoiceVolume() const { return m_voiceVolume.load(std::memory_order_relaxed); }

  // ---- offline ----
  // Renders frames of interleaved stereo whose first sample is at renderClock
  // (a virtual steady-clock moment); messages are applied at the samples their
  // due times (plus the delay) fall on. False, with the buffer untouched,
  // while a device stream runs.
  bool RenderOffline(float* interleaved, size_t frames, TClock::time_point renderClock);
  // Frames rendered so far (stream or offline): the synthesizer's block grid
  // is counted from the first of them.
  std::uint64_t RenderedFrames() const { return m_renderedFrames.load(std::memory_order_acquire); }
  // How often the stream has stalled since it opened (the sound server or the
  // machine stopped taking its sound for a while), its start-up pause included.
  int StreamStalls() const { return m_streamStalls.load(std::memory_order_relaxed); }

 private:
  void RenderBlock(float* interleaved, size_t frames, std::int64_t bufferStartNs);
  // The synthesizer for one block, marked as in use until ReleaseSynth.
  TSynthesizer* AcquireSynth();
  void ReleaseSynth();
  bool OpenStreamLocked(const std::string& deviceName);
  void StreamCallback(float* interleaved, unsigned frames);
  void ApplyResetIfRequested(TSynthesizer* synth);
  void AdaptDelayToLateness();
  std::int64_t FramesToNs(std::uint64_t frames) const;

  TAudioEngineOptions m_options;
  // Set once the device has accepted a rate, before the synthesizer exists.
  std::atomic<unsigned> m_sampleRate{TAudioStream::kPreferredRate};
  std::atomic<std::int64_t> m_schedulingDelayNs{0};
  std::int64_t m_baseDelayNs = 0;   // the delay the stream's settings give (control mutex)
  std::int64_t m_extraDelayNs = 0;  // added for the lateness seen (control mutex)
  std::atomic<std::int64_t> m_latenessSeenNs{0};
  // How much earlier than its output sample a message is applied: the limiter's look-ahead.
  std::atomic<std::int64_t> m_lookAheadNs{0};
  std::atomic<float> m_musicVolume{1.0f};
  std::atomic<float> m_voiceVolume{1.0f};

  mutable std::mutex m_controlMutex;  // main-thread state: stream, synthesizer loading
  std::unique_ptr<TAudioStream> m_stream;
  bool m_outputTried = false;
  std::string m_streamAbsentReason;
  std::unique_ptr<TSynthesizer> m_synthOwner;
  bool m_synthTried = false;
  std::atomic<TSynthesizer*> m_synth{nullptr};
  // The synthesizer a block is being rendered with (null between blocks).
  std::atomic<TSynthesizer*> m_synthInUse{nullptr};
  bool m_outputFellBack = false;
  std::atomic<bool> m_streamRunning{false};
  std::atomic<bool> m_streamLost{false};

  TMidiEventQueue m_queue;
  TVoicePlayer m_voice;

  // Consumer state (audio thread, or the offline renderer under m_renderMutex).
  std::mutex m_renderMutex;
  std::uint32_t m_resetApplied = 0;
  std::atomic<std::uint32_t> m_resetAcknowledged{0};
  std::atomic<std::uint64_t> m_renderedFrames{0};
  std::atomic<int> m_streamStalls{0};
  TLimiter m_musicLimiter{kMusicCeiling, kLimiterLookAheadFrames, kLimiterReleaseSeconds};
  TLimiter m_outputLimiter{kOutputCeiling, 0, kLimiterReleaseSeconds};
  unsigned m_limiterRate = 0;  // the rate the limiters were last set for
  float m_musicGain = 1.0f;  // the volumes as applied to the last frame
  float m_voiceGain = 1.0f;
  bool m_callbackPriorityAsked = false;
  TStreamClock m_streamClock;
};
