#include "game/sequencer/game_cues.h"

#include <climits>

#include "game/core/random.h"
#include "game/core/translatable.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"

namespace SequencerCues {

namespace {

constexpr char kSection[] = "システムデータ";
constexpr char kPlayCountKey[] = "プレイ回数";
constexpr int32_t kDefaultPlayCount = 0;

constexpr const char* kStartVoices[] = {"wav\\HajimeC@08.wav", "wav\\IkuyoA@08.wav"};
constexpr const char* kEndVoices[] = {"wav\\SyuuryouC@08.wav", "wav\\kyaha.wav"};
constexpr char kCheerVoice[] = "wav\\uwa.wav";
constexpr int kVoiceChoices = 2;
// The Good ratio that earns the cheer; compared in extended precision, so 9
// of 10 is exactly enough.
constexpr long double kCheerRatio = 0.9L;

// The window translates the box when it shows it.
constexpr const char* kUnlockCaption = Translatable("隠し機能出現！");

struct TUnlock {
  int32_t PlayCount;
  const char* Text;  // UTF-8, lines separated by CR LF
};

constexpr TUnlock kUnlocks[] = {
    {1,
     Translatable("好きなMIDIファイルを使ってプレイできるようになったよ、お兄ちゃん！\r\n"
                  "[ファイル]メニューの[MIDIファイルを開く]でダイアログを表示して、MIDIファイルを選んでね。\r\n"
                  "ドラッグアンドドロップでもMIDIファイルを開けるよ。")},
    {4,
     Translatable("雨の落下スピードを変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[雨の落下スピード]から選んでね。")},
    {9,
     Translatable("雨の表示方法を変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[雨の表示方法]から選んでね。")},
    {16,
     Translatable("雨の落下位置を変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[雨の落下位置]から選んでね。")},
    {32,
     Translatable("プレイするチャンネルを変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[プレイするチャンネル]から選んでね。")},
    {64,
     Translatable("音楽の再生スピードを変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[音楽の再生スピード]から選んでね。")},
    {128,
     Translatable("バーの長さを変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[バーの長さ]から選んでね。")},
};

}  // namespace

std::string SettingsSection() { return Utf8ToCp932(kSection); }

std::string PlayCountKey() { return Utf8ToCp932(kPlayCountKey); }

int32_t ReadPlayCount(const std::string& SettingsFile) {
  return TIniFile(SettingsFile).ReadInteger(SettingsSection(), PlayCountKey(), kDefaultPlayCount);
}

bool WritePlayCount(const std::string& SettingsFile, int32_t PlayCount) {
  return TIniFile(SettingsFile).WriteInteger(SettingsSection(), PlayCountKey(), PlayCount);
}

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
