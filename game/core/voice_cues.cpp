#include "game/core/voice_cues.h"

#include <mutex>

#include "game/core/random.h"
#include "platform/winmm/mmsystem.h"

namespace {

constexpr const char* kGreetingVoices[] = {
    "wav\\OniichanA@08.wav",
    "wav\\kyoumoyoroshiku.wav",
    "wav\\Mattetandayo.wav",
    "wav\\Arigatou.wav",
};
constexpr int kGreetingVoiceCount = 4;

// Tests may attach an output from any thread while the window plays lines.
std::mutex g_outputMutex;

bool PlayThroughMultimedia(const std::string& name) { return sndPlaySoundA(name.c_str(), SND_ASYNC) != FALSE; }

TVoiceLineOutput g_output = PlayThroughMultimedia;

}  // namespace

std::string GreetingVoice(bool voiceOn, int playCount) {
  if (!voiceOn) return {};
  const int v = playCount <= 0 ? 0 : Random(kGreetingVoiceCount);
  return kGreetingVoices[v];
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
