#include "game/sequencer/game_cues.h"

#include <climits>

#include "game/core/random.h"
#include "game/core/system_data.h"
#include "game/core/translatable.h"
#include "platform/kernel/cp932.h"

namespace SequencerCues {

namespace {


constexpr const char* kStartVoices[] = {"wav\\HajimeC@08.wav", "wav\\IkuyoA@08.wav"};
constexpr const char* kEndVoices[] = {"wav\\SyuuryouC@08.wav", "wav\\kyaha.wav"};
constexpr char kCheerVoice[] = "wav\\uwa.wav";
constexpr int kVoiceChoices = 2;
// The Good ratio that earns the cheer; compared in extended precision, so 9
// of 10 is exactly enough.
constexpr long double kCheerRatio = 0.9L;

// The window translates the box when it shows it.
constexpr const char* kUnlockCaption = Translatable("隠し機能出現！");

}  // namespace

std::string StartVoice() { return kStartVoices[Random(kVoiceChoices)]; }

std::string EndVoice(int32_t GoodCount, int32_t BadCount) {
  const long double total = static_cast<long double>(GoodCount) + static_cast<long double>(BadCount);
  if (static_cast<long double>(GoodCount) / total >= kCheerRatio) return kCheerVoice;
  return kEndVoices[Random(kVoiceChoices)];
}

int32_t RaisedPlayCount(int32_t PlayCount) { return PlayCount == INT32_MAX ? PlayCount : PlayCount + 1; }

std::string UnlockCaption() { return Utf8ToCp932(kUnlockCaption); }

std::string UnlockText(int32_t PlayCount) {
  for (const TUnlock& unlock : kUnlocks) {
    if (unlock.PlayCount == PlayCount) return Utf8ToCp932(unlock.Text);
  }
  return {};
}

}  // namespace SequencerCues
