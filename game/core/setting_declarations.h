// Every setting of the section "拡張設定", declared once: its key (UTF-8), its
// default and, for numbers, its range. Readers take the declaration
// (TExtendedSettings' overloads), writers its key, so that no key, default
// or range is written out twice. The section "システムデータ" is declared in
// system_data.h and option_values.h. Header only; any thread.
#pragma once

#include "game/core/offset_calibration.h"

struct TIntegerSetting {
  const char* Key;
  int Default;
  int Min;  // a stored value outside [Min, Max] gives Default
  int Max;
};

struct TBoolSetting {
  const char* Key;
  bool Default;
};

struct TStringSetting {
  const char* Key;
  const char* Default;
};

// Sound.
inline constexpr int kFullVolumePercent = 100;
inline constexpr char kMusicVolumeKey[] = "音楽の音量";
inline constexpr char kVoiceVolumeKey[] = "ボイスの音量";
inline constexpr char kSoundFontKey[] = "サウンドフォント";   // a file; empty: the usual ones
inline constexpr char kMidiOutputKey[] = "MIDI出力";          // a port's name; empty: the built-in synthesizer
inline constexpr char kAudioOutputKey[] = "オーディオ出力";   // a device's name; empty: the default
inline constexpr TIntegerSetting kMusicVolumeSetting{kMusicVolumeKey, kFullVolumePercent, 0, kFullVolumePercent};
inline constexpr TIntegerSetting kVoiceVolumeSetting{kVoiceVolumeKey, kFullVolumePercent, 0, kFullVolumePercent};
inline constexpr TStringSetting kSoundFontSetting{kSoundFontKey, ""};
inline constexpr TStringSetting kMidiOutputSetting{kMidiOutputKey, ""};
inline constexpr TStringSetting kAudioOutputSetting{kAudioOutputKey, ""};

// View.
inline constexpr char kWindowScaleKey[] = "ウィンドウ倍率";  // "1", "2", "3" or "fit"
inline constexpr char kFullScreenKey[] = "フルスクリーン";
inline constexpr char kSmoothScalingKey[] = "なめらかに拡大";
inline constexpr TStringSetting kWindowScaleSetting{kWindowScaleKey, "1"};
inline constexpr TBoolSetting kFullScreenSetting{kFullScreenKey, false};
inline constexpr TBoolSetting kSmoothScalingSetting{kSmoothScalingKey, false};

// Timing.
inline constexpr char kOffsetKey[] = "オフセット";  // ms, sound minus sight
inline constexpr char kPauseWhenInactiveKey[] = "非アクティブ時に一時停止";
inline constexpr TIntegerSetting kOffsetSetting{kOffsetKey, kOffsetDefaultMs, kOffsetMinMs, kOffsetMaxMs};
// The designed game plays on when the window goes to the background.
inline constexpr TBoolSetting kPauseWhenInactiveSetting{kPauseWhenInactiveKey, false};

// Language.
inline constexpr char kLanguageKey[] = "言語";
inline constexpr char kJapaneseCode[] = "ja";
inline constexpr char kEnglishCode[] = "en";
inline constexpr TStringSetting kLanguageSetting{kLanguageKey, kJapaneseCode};

// Keyboard and gamepad. Keys are Qt's portable key names, several joined by
// "; " (QKeySequence's list form).
inline constexpr char kLeftKeyKey[] = "左キー";
inline constexpr char kRightKeyKey[] = "右キー";
inline constexpr char kDashKeyKey[] = "ダッシュキー";
inline constexpr char kPauseKeyKey[] = "一時停止キー";
inline constexpr char kPadDeadZoneKey[] = "パッドの遊び";  // a fraction of the stick's travel
inline constexpr TStringSetting kLeftKeySetting{kLeftKeyKey, "Left; Z"};
inline constexpr TStringSetting kRightKeySetting{kRightKeyKey, "Right; X"};
inline constexpr TStringSetting kDashKeySetting{kDashKeyKey, "Shift"};
inline constexpr TStringSetting kPauseKeySetting{kPauseKeyKey, "Esc; Space"};
inline constexpr TStringSetting kPadDeadZoneSetting{kPadDeadZoneKey, "0.15"};
inline constexpr double kPadDeadZoneDefault = 0.15;
inline constexpr double kPadDeadZoneMin = 0.05;
inline constexpr double kPadDeadZoneMax = 0.50;

// Practice.
inline constexpr char kPracticeModeKey[] = "練習モード";
// The designed game has no practice games.
inline constexpr TBoolSetting kPracticeModeSetting{kPracticeModeKey, false};

// The song library. The folders it scans: several, joined by "|", with "%",
// "|" and line breaks inside a folder's name written as %XX (see
// game/library/song_library.h); absent: the music folder.
inline constexpr char kSongFoldersKey[] = "曲フォルダ";
// The song-select window: its size ("760x560") and column widths in pixels
// ("220,160,60,..."); empty: the window's own.
inline constexpr char kLibraryWindowSizeKey[] = "曲ライブラリの大きさ";
inline constexpr char kLibraryColumnWidthsKey[] = "曲ライブラリの列幅";
inline constexpr TStringSetting kLibraryWindowSizeSetting{kLibraryWindowSizeKey, ""};
inline constexpr TStringSetting kLibraryColumnWidthsSetting{kLibraryColumnWidthsKey, ""};
