#include "platform/audio/audio_engine.h"

#include <algorithm>
#include <thread>

#include "platform/kernel/thread_priority.h"

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// Offsets beyond an hour are clamped so that the frame arithmetic never overflows.
constexpr std::int64_t kMaxOffsetNs = 3600 * kNsPerSecond;
// How long a reset waits for the audio thread before giving up on a stalled device.
constexpr auto kResetWaitLimit = std::chrono::milliseconds(250);
constexpr auto kResetPollInterval = std::chrono::milliseconds(1);

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

std::int64_t NearestBlock(std::int64_t frame) {
  const std::int64_t block = TSynthesizer::kBlockFrames;
  return FloorDiv(frame + block / 2, block) * block;
}

std::int64_t BlockAtOrAfter(std::int64_t frame) {
  const std::int64_t block = TSynthesizer::kBlockFrames;
  return FloorDiv(frame + block - 1, block) * block;
}

std::int64_t SteadyNs(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

TAudioEngineOptions& GlobalOptionsStore() {
  static TAudioEngineOptions options;
  return options;
}

std::chrono::nanoseconds FramesDuration(std::int64_t frames, unsigned rate) {
  return std::chrono::nanoseconds(frames * kNsPerSecond / rate);
}

std::chrono::nanoseconds DelayFor(unsigned bufferFrames, unsigned rate) {
  return TAudioEngine::kTimerStep + FramesDuration(bufferFrames, rate) + TAudioEngine::kSchedulingMargin +
         FramesDuration(TAudioEngine::kLimiterLookAheadFrames, rate);
}

// A volume change glides over this many frames (about 5 ms), whatever the
// buffer sizes, so that it does not click and offline renders match the stream.
constexpr float kVolumeRampFrames = 256.0f;
constexpr float kVolumeStep = 1.0f / kVolumeRampFrames;

// Multiplies frames of interleaved stereo by gain, which moves towards target
// by at most kVolumeStep a frame.
void ApplyVolume(float* interleaved, size_t frames, float& gain, float target) {
  if (gain == 1.0f && target == 1.0f) return;
  for (size_t f = 0; f < frames; ++f) {
    gain += std::clamp(target - gain, -kVolumeStep, kVolumeStep);
    interleaved[2 * f] *= gain;
    interleaved[2 * f + 1] *= gain;
  }
}

}  // namespace

TAudioEngine::TAudioEngine(TAudioEngineOptions options) : m_options(std::move(options)) {
  const TStreamSettings requested = TAudioStream::RequestedSettings();
  m_sampleRate.store(requested.sampleRate);
  m_schedulingDelayNs.store(DelayFor(requested.bufferFrames, requested.sampleRate).count());
  m_lookAheadNs.store(FramesDuration(kLimiterLookAheadFrames, requested.sampleRate).count());
}

void TAudioEngine::SetMusicVolume(float volume) {
  m_musicVolume.store(std::clamp(volume, 0.0f, 1.0f), std::memory_order_relaxed);
}

void TAudioEngine::SetVoiceVolume(float volume) {
  m_voiceVolume.store(std::clamp(volume, 0.0f, 1.0f), std::memory_order_relaxed);
}

TAudioEngine::~TAudioEngine() {
  // The callback uses every other member: the stream goes first.
  if (m_stream) m_stream->Close();
}

TAudioEngine& TAudioEngine::Global() {
  static TAudioEngine engine(GlobalOptionsStore());
  return engine;
}

void TAudioEngine::SetGlobalOptions(TAudioEngineOptions options) { GlobalOptionsStore() = std::move(options); }

TAudioEngineOptions TAudioEngine::GlobalOptions() { return GlobalOptionsStore(); }

void TAudioEngine::EnsureOutput() {
  std::lock_guard lock(m_controlMutex);
  if (m_outputTried) return;
  m_outputTried = true;
  if (!m_options.deviceOutput) {
    m_streamAbsentReason = "device output is switched off";
    return;
  }
  OpenStreamLocked(m_options.outputDeviceName);
}

bool TAudioEngine::OpenStreamLocked(const std::string& deviceName) {
  m_outputFellBack = false;
  auto stream = std::make_unique<TAudioStream>();
  std::string reason;
  auto render = [this](float* out, unsigned frames) { StreamCallback(out, frames); };
  // The rate is known only once the device has accepted a setting; nothing is
  // rendered before the stream's first callback, which reads it after this.
  bool opened = stream->Open(render, reason, deviceName);
  if (!opened && !deviceName.empty()) {
    opened = stream->Open(render, reason, std::string());
    m_outputFellBack = opened;
  }
  if (!opened) {
    m_streamAbsentReason = reason.empty() ? "no audio output device" : reason;
    return false;
  }
  m_streamAbsentReason.clear();
  m_sampleRate.store(stream->Settings().sampleRate);
  m_lookAheadNs.store(FramesDuration(kLimiterLookAheadFrames, stream->Settings().sampleRate).count());
  m_baseDelayNs = DelayFor(stream->Settings().bufferFrames, stream->Settings().sampleRate).count();
  m_schedulingDelayNs.store(m_baseDelayNs + m_extraDelayNs);
  m_stream = std::move(stream);
  m_streamRunning.store(true, std::memory_order_release);
  return true;
}

bool TAudioEngine::OutputFailed() const {
  std::lock_guard lock(m_controlMutex);
  return m_outputTried && m_options.deviceOutput && !m_stream;
}

bool TAudioEngine::OutputFellBack() const {
  std::lock_guard lock(m_controlMutex);
  return m_outputFellBack;
}

bool TAudioEngine::ReopenOutput(const std::string& deviceName) {
  std::lock_guard lock(m_controlMutex);
  m_outputTried = true;
  m_options.outputDeviceName = deviceName;
  if (!m_options.deviceOutput) return false;
  if (m_stream) {
    m_stream->Close();
    m_stream.reset();
  }
  m_streamRunning.store(false, std::memory_order_release);
  m_streamLost.store(false, std::memory_order_relaxed);
  m_streamClock.Reset();
  m_streamStalls.store(0, std::memory_order_relaxed);
  m_callbackPriorityAsked = false;
  const unsigned oldRate = m_sampleRate.load();
  const bool opened = OpenStreamLocked(deviceName);
  if (opened && m_synthOwner && m_sampleRate.load() != oldRate) {
    // The synthesizer renders at the rate it was made for: a device with
    // another rate gets one made anew, swapped in as ReplaceSynthesizer does.
    auto remade = TSynthesizer::Create({m_synthOwner->SoundFontPath()}, m_sampleRate.load());
    if (remade) {
      m_synth.store(remade.get(), std::memory_order_seq_cst);
      while (m_synthInUse.load(std::memory_order_seq_cst) == m_synthOwner.get()) std::this_thread::yield();
      m_synthOwner = std::move(remade);
    }
  }
  return opened;
}

bool TAudioEngine::StreamRunning() const { return m_streamRunning.load(std::memory_order_acquire); }

TStreamSettings TAudioEngine::StreamSettings() const {
  std::lock_guard lock(m_controlMutex);
  return m_stream ? m_stream->Settings() : TAudioStream::RequestedSettings();
}

std::string TAudioEngine::StreamAbsentReason() const {
  std::lock_guard lock(m_controlMutex);
  return m_streamAbsentReason;
}

unsigned TAudioEngine::SampleRate() const {
  std::lock_guard lock(m_controlMutex);
  return m_sampleRate.load();
}

bool TAudioEngine::OpenSynthesizer() {
  EnsureOutput();
  std::lock_guard lock(m_controlMutex);
  if (m_synthOwner) return true;
  m_synthOwner = TSynthesizer::Create(m_options.soundFontPaths, m_sampleRate.load());
  if (!m_synthOwner) return false;
  m_synth.store(m_synthOwner.get(), std::memory_order_release);
  return true;
}

std::string TAudioEngine::SoundFontPath() const {
  std::lock_guard lock(m_controlMutex);
  return m_synthOwner ? m_synthOwner->SoundFontPath() : std::string();
}

std::unique_ptr<TSynthesizer> TAudioEngine::ReplaceSynthesizer(std::unique_ptr<TSynthesizer> synth) {
  if (!synth) return synth;
  std::lock_guard lock(m_controlMutex);
  std::lock_guard render(m_renderMutex);  // no offline render or reset meanwhile
  TSynthesizer* old = m_synthOwner.get();
  m_synth.store(synth.get(), std::memory_order_seq_cst);
  // A block that began with the old synthesizer finishes with it: at most one
  // buffer's rendering time.
  if (old != nullptr) {
    while (m_synthInUse.load(std::memory_order_seq_cst) == old) std::this_thread::yield();
  }
  std::swap(m_synthOwner, synth);
  m_synthTried = true;
  return synth;
}

TSynthesizer* TAudioEngine::AcquireSynth() {
  // Published before use and checked again, so that ReplaceSynthesizer either
  // sees this block using the old one or this block sees the new one.
  TSynthesizer* synth = m_synth.load(std::memory_order_seq_cst);
  for (;;) {
    m_synthInUse.store(synth, std::memory_order_seq_cst);
    TSynthesizer* again = m_synth.load(std::memory_order_seq_cst);
    if (again == synth) return synth;
    synth = again;
  }
}

void TAudioEngine::ReleaseSynth() { m_synthInUse.store(nullptr, std::memory_order_seq_cst); }

bool TAudioEngine::SendMidi(const std::uint8_t* bytes, size_t length, TClock::time_point due) {
  if (!SynthesizerReady()) return false;
  const std::int64_t startNs = SteadyNs(due) + m_schedulingDelayNs.load(std::memory_order_relaxed) -
                               m_lookAheadNs.load(std::memory_order_relaxed);
  return m_queue.Push(bytes, length, startNs);
}

void TAudioEngine::AdaptDelayToLateness() {
  const std::int64_t late = m_latenessSeenNs.exchange(0, std::memory_order_relaxed);
  if (late <= 0 || !StreamRunning()) return;
  std::lock_guard lock(m_controlMutex);
  const std::int64_t step = std::chrono::nanoseconds(kExtraDelayStep).count();
  m_extraDelayNs = std::min<std::int64_t>(m_extraDelayNs + late + step, std::chrono::nanoseconds(kMaxExtraDelay).count());
  m_schedulingDelayNs.store(m_baseDelayNs + m_extraDelayNs);
}

void TAudioEngine::ResetSynthesizer() {
  if (!SynthesizerReady()) return;
  // Between games: a new delay does not move notes of a song already playing.
  AdaptDelayToLateness();
  const std::uint32_t generation = m_queue.RequestReset();
  if (StreamRunning()) {
    const auto giveUp = TClock::now() + kResetWaitLimit;
    while (m_resetAcknowledged.load(std::memory_order_acquire) < generation && TClock::now() < giveUp) {
      std::this_thread::sleep_for(kResetPollInterval);
    }
    return;
  }
  std::lock_guard lock(m_renderMutex);
  ApplyResetIfRequested(m_synth.load(std::memory_order_acquire));
}

void TAudioEngine::ApplyResetIfRequested(TSynthesizer* synth) {
  const std::uint32_t requested = m_queue.ResetRequested();
  if (requested == m_resetApplied) return;
  while (const TQueuedMidiEvent* event = m_queue.Front()) {
    if (event->generation >= requested) break;
    m_queue.Pop();
  }
  if (synth != nullptr) synth->ReleaseAndResetControllers();
  m_resetApplied = requested;
  m_resetAcknowledged.store(requested, std::memory_order_release);
}

std::int64_t TAudioEngine::FramesToNs(std::uint64_t frames) const {
  const std::uint64_t rate = m_sampleRate.load(std::memory_order_relaxed);
  return static_cast<std::int64_t>((frames / rate) * kNsPerSecond + (frames % rate) * kNsPerSecond / rate);
}

void TAudioEngine::RenderBlock(float* interleaved, size_t frames, std::int64_t bufferStartNs) {
  TSynthesizer* synth = AcquireSynth();
  ApplyResetIfRequested(synth);
  const std::int64_t base = static_cast<std::int64_t>(m_renderedFrames.load(std::memory_order_relaxed));
  const std::int64_t end = base + static_cast<std::int64_t>(frames);
  const std::int64_t rate = m_sampleRate.load(std::memory_order_relaxed);
  std::int64_t position = base;  // absolute frame number of the next frame to render
  while (position < end) {
    std::int64_t until = end;
    // Messages take effect at the synthesizer's block boundaries: each one at
    // the boundary nearest to its frame, or the next one if that has passed.
    while (const TQueuedMidiEvent* event = m_queue.Front()) {
      const std::int64_t offsetNs = std::clamp(event->startNs - bufferStartNs, -kMaxOffsetNs, kMaxOffsetNs);
      const std::int64_t frame = base + FloorDiv(offsetNs * rate + kNsPerSecond / 2, kNsPerSecond);
      std::int64_t boundary = NearestBlock(frame);
      if (boundary < position) {
        if (m_streamRunning.load(std::memory_order_relaxed) && frame < position) {
          const std::int64_t lateNs = (position - frame) * kNsPerSecond / rate;
          if (lateNs > m_latenessSeenNs.load(std::memory_order_relaxed)) {
            m_latenessSeenNs.store(lateNs, std::memory_order_relaxed);
          }
        }
        boundary = BlockAtOrAfter(position);
      }
      if (boundary > position) {
        until = std::min(end, boundary);
        break;
      }
      if (synth != nullptr) synth->Apply(event->bytes.data(), event->length);
      m_queue.Pop();
    }
    float* segment = interleaved + 2 * (position - base);
    const size_t count = static_cast<size_t>(until - position);
    if (synth != nullptr) {
      synth->Render(segment, count);
    } else {
      std::fill(segment, segment + 2 * count, 0.0f);
    }
    position = until;
  }
  if (m_limiterRate != static_cast<unsigned>(rate)) {
    // The release time counts in frames of the stream's rate.
    m_musicLimiter.Reset(static_cast<unsigned>(rate));
    m_outputLimiter.Reset(static_cast<unsigned>(rate));
    m_limiterRate = static_cast<unsigned>(rate);
  }
  ApplyVolume(interleaved, frames, m_musicGain, m_musicVolume.load(std::memory_order_relaxed));
  m_musicLimiter.Process(interleaved, frames);
  m_voice.MixInto(interleaved, frames, m_voiceGain, m_voiceVolume.load(std::memory_order_relaxed), kVolumeStep);
  m_outputLimiter.Process(interleaved, frames);
  ReleaseSynth();
  m_renderedFrames.store(static_cast<std::uint64_t>(end), std::memory_order_release);
}

void TAudioEngine::StreamCallback(float* interleaved, unsigned frames) {
  if (!m_callbackPriorityAsked) {
    m_callbackPriorityAsked = true;
    RaiseCurrentThreadPriority(kAudioThreadPriority);
  }
  const std::int64_t rendered = FramesToNs(m_renderedFrames.load(std::memory_order_relaxed));
  RenderBlock(interleaved, frames, m_streamClock.Place(SteadyNs(TClock::now()), rendered));
  m_streamStalls.store(m_streamClock.Stalls(), std::memory_order_relaxed);
  if (m_streamClock.Lost()) m_streamLost.store(true, std::memory_order_relaxed);
  if (m_streamClock.Racing()) {
    // Nobody takes the sound any more: render at the pace of a device, not as fast as possible.
    std::this_thread::sleep_for(std::chrono::nanoseconds(FramesToNs(frames)));
  }
}

bool TAudioEngine::RenderOffline(float* interleaved, size_t frames, TClock::time_point renderClock) {
  if (StreamRunning()) return false;
  std::lock_guard lock(m_renderMutex);
  RenderBlock(interleaved, frames, SteadyNs(renderClock));
  return true;
}
