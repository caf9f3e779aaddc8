// The timing keys of the section "拡張設定": the offset in milliseconds and
// whether the game pauses when the window loses focus. Main thread (like
// TExtendedSettings, which holds the values); read at start-up and at Play.
#pragma once

#include "game/core/extended_settings.h"

// A value outside -200..200 ms, or not a number, gives 0 ms.
inline int ReadOffsetMs(const TExtendedSettings& settings) { return settings.Integer(kOffsetSetting); }

inline bool ReadPauseWhenInactive(const TExtendedSettings& settings) { return settings.Bool(kPauseWhenInactiveSetting); }
