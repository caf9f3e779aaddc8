// The timing keys of the section "拡張設定": the offset in milliseconds and
// whether the game pauses when the window loses focus. Main thread (like
// TExtendedSettings, which holds the values); read at start-up and at Play.
#pragma once

#include "game/core/extended_settings.h"
#include "game/core/offset_calibration.h"

inline constexpr char kOffsetKey[] = "オフセット";
inline constexpr char kPauseWhenInactiveKey[] = "非アクティブ時に一時停止";
// The designed game plays on when the window goes to the background.
inline constexpr bool kPauseWhenInactiveDefault = false;

inline int ReadOffsetMs(const TExtendedSettings& settings) {
  return settings.Integer(kOffsetKey, kOffsetDefaultMs, kOffsetMinMs, kOffsetMaxMs);
}

inline bool ReadPauseWhenInactive(const TExtendedSettings& settings) {
  return settings.Bool(kPauseWhenInactiveKey, kPauseWhenInactiveDefault);
}
