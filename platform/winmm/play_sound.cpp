// sndPlaySoundA: voice lines decoded with libsndfile and played through the
// audio engine's voice player.
#include "platform/winmm/play_sound.h"

#include <atomic>
#include <thread>

#include "platform/audio/audio_engine.h"
#include "platform/audio/voice_decoder.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/winmm/mmsystem.h"

namespace {

constexpr auto kSyncPollInterval = std::chrono::milliseconds(10);
// A synchronous line waits at most its length plus this for a stalled device.
constexpr auto kSyncGrace = std::chrono::seconds(1);

std::mutex g_recorderMutex;
TPlayedSoundRecorder* g_recorder = nullptr;

void RecordCall(LPCSTR name, UINT flags) {
  std::lock_guard lock(g_recorderMutex);
  if (g_recorder != nullptr) g_recorder->Record({name != nullptr ? name : "", flags});
}

}  // namespace

TPlayedSoundRecorder::TPlayedSoundRecorder() {
  std::lock_guard lock(g_recorderMutex);
  g_recorder = this;
}

TPlayedSoundRecorder::~TPlayedSoundRecorder() {
  std::lock_guard lock(g_recorderMutex);
  if (g_recorder == this) g_recorder = nullptr;
}

std::vector<TPlayedSound> TPlayedSoundRecorder::Calls() const {
  std::lock_guard lock(m_mutex);
  return m_calls;
}

std::vector<std::string> TPlayedSoundRecorder::Names() const {
  std::vector<std::string> names;
  for (const TPlayedSound& call : Calls()) names.push_back(call.Name);
  return names;
}

void TPlayedSoundRecorder::Record(TPlayedSound call) {
  std::lock_guard lock(m_mutex);
  m_calls.push_back(std::move(call));
}

BOOL sndPlaySoundA(LPCSTR pszSound, UINT fuSound) {
  RecordCall(pszSound, fuSound);
  TAudioEngine& engine = TAudioEngine::Global();
  if (pszSound == nullptr) {
    engine.Voice().Stop();
    return TRUE;
  }
  if (fuSound & (SND_MEMORY | SND_LOOP)) return FALSE;
  engine.EnsureOutput();
  if ((fuSound & SND_NOSTOP) && engine.Voice().Playing()) return FALSE;
  // Converted to UTF-8 first: a CP932 trail byte may be 0x5C, the backslash.
  const std::string path = TranslatePath(Cp932ToUtf8(pszSound));
  auto buffer = DecodeVoiceFile(path, engine.SampleRate());
  if (!buffer) return FALSE;
  const auto length = std::chrono::milliseconds(buffer->Frames() * 1000 / engine.SampleRate());
  engine.Voice().Play(std::move(buffer));
  if (!(fuSound & SND_ASYNC) && engine.StreamRunning()) {
    const auto giveUp = std::chrono::steady_clock::now() + length + kSyncGrace;
    while (engine.Voice().Playing() && std::chrono::steady_clock::now() < giveUp) {
      std::this_thread::sleep_for(kSyncPollInterval);
    }
  }
  return TRUE;
}
