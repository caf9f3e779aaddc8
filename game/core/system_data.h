// The section "システムデータ" of the settings file as the designed game keeps
// it: its name, the play count (read by the sequencer when it is made and by
// the window without one, written by the sequencer after every game), and the
// play counts at which the hidden parts of the game appear, with the menu
// item each one shows and the box that announces it. Any thread: the
// functions read constants or the file.
#pragma once

#include <cstdint>
#include <string>

#include "game/core/translatable.h"

class TIniFile;

namespace SystemData {

// Section and key of the play count, CP932 as in the file.
const std::string& SettingsSection();
const std::string& PlayCountKey();

// The play count stored in the settings file; 0 when the file, the key or a
// number is missing.
int32_t ReadPlayCount(const TIniFile& ini);
int32_t ReadPlayCount(const std::string& settingsFile);
// Writes the play count at once (the file is replaced atomically); false
// when the file could not be written.
bool WritePlayCount(const std::string& settingsFile, int32_t playCount);

}  // namespace SystemData

// Play counts at which the hidden parts of the menu appear.
inline constexpr int kOpenUnlockCount = 1;
inline constexpr int kRainSpeedUnlockCount = 4;
inline constexpr int kRainEffectUnlockCount = 9;
inline constexpr int kRainPositionUnlockCount = 16;
inline constexpr int kPlayChannelUnlockCount = 32;
inline constexpr int kPlaySpeedUnlockCount = 64;
inline constexpr int kBarLengthUnlockCount = 128;

// One hidden part: the play count that shows it, the menu item (its design
// name) that appears, and the box's text (UTF-8, lines separated by CR LF;
// the window translates it when it shows it).
struct TUnlock {
  int32_t PlayCount;
  const char* MenuItem;
  const char* Text;
};

inline constexpr TUnlock kUnlocks[] = {
    {kOpenUnlockCount, "Open",
     Translatable("好きなMIDIファイルを使ってプレイできるようになったよ、お兄ちゃん！\r\n"
                  "[ファイル]メニューの[MIDIファイルを開く]でダイアログを表示して、MIDIファイルを選んでね。\r\n"
                  "ドラッグアンドドロップでもMIDIファイルを開けるよ。")},
    {kRainSpeedUnlockCount, "rainspeedOption",
     Translatable("雨の落下スピードを変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[雨の落下スピード]から選んでね。")},
    {kRainEffectUnlockCount, "raineffectOption",
     Translatable("雨の表示方法を変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[雨の表示方法]から選んでね。")},
    {kRainPositionUnlockCount, "rainpositionOption",
     Translatable("雨の落下位置を変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[雨の落下位置]から選んでね。")},
    {kPlayChannelUnlockCount, "playchOption",
     Translatable("プレイするチャンネルを変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[プレイするチャンネル]から選んでね。")},
    {kPlaySpeedUnlockCount, "playspeedOption",
     Translatable("音楽の再生スピードを変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[音楽の再生スピード]から選んでね。")},
    {kBarLengthUnlockCount, "barlengthOption",
     Translatable("バーの長さを変えられるようになったよ、お兄ちゃん！\r\n"
                  "[オプション]メニューの[バーの長さ]から選んでね。")},
};
