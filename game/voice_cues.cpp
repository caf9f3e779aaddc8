#include "game/voice_cues.h"

#include <mutex>

#include "game/random.h"
#include "platform/winmm/mmsystem.h"

namespace {

constexpr const char* kGreetingVoices[] = {
    "wav\\OniichanA@08.wav",
    "wav\\kyoumoyoroshiku.wav",
    "wav\\Mattetandayo.wav",
    "wav\\Arigatou.wav",
};
constexpr int kGreetingVoiceCount = 4;
constexpr const char* kCountInVoices[] = {"wav\\HajimeC@08.wav", "wav\\IkuyoA@08.wav"};
constexpr const char* kCheerVoice = "wav\\uwa.wav";
constexpr const char* kEndVoices[] = {"wav\\SyuuryouC@08.wav", "wav\\kyaha.wav"};
constexpr long double kCheerRatio = 0.9L;

// The end-of-game line is played from the timer thread, the others from the
// window's thread.
std::mutex g_outputMutex;

bool PlayThroughMultimedia(const std::string& name) { return sndPlaySoundA(name.c_str(), SND_ASYNC) != FALSE; }

TVoiceLineOutput g_output = PlayThroughMultimedia;

}  // namespace

std::string GreetingVoice(bool voiceOn, int playCount) {
  if (!voiceOn) return {};
  const int v = playCount <= 0 ? 0 : Random(kGreetingVoiceCount);
  return kGreetingVoices[v];
}

std::string CountInVoice() { return kCountInVoices[Random(2)]; }

std::string EndOfGameVoice(int goodCount, int badCount) {
  const long double total = static_cast<long double>(goodCount) + static_cast<long double>(badCount);
  if (total > 0 && static_cast<long double>(goodCount) / total >= kCheerRatio) return kCheerVoice;
  return kEndVoices[Random(2)];
}

bool PlayVoiceLine(const std::string& name) {
  TVoiceLineOutput output;
  {
    std::lock_guard<std::mutex> lock(g_outputMutex);
    output = g_output;
  }
  return output ? output(name) : false;
}

void SetVoiceLineOutput(TVoiceLineOutput output) {
  std::lock_guard<std::mutex> lock(g_outputMutex);
  g_output = std::move(output);
}

void ResetVoiceLineOutput() { SetVoiceLineOutput(PlayThroughMultimedia); }
