#include "game/voice_cues.h"

#include "game/random.h"

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
