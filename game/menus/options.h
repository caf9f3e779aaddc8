// What a game takes from the option menus when Play is chosen: music speed,
// fall speed, raining channels, bar length, voice and the drop lanes, and the
// ALL ON / ALL OFF channel commands. Main thread only (the menus are Qt
// objects); the lane rules themselves are in game/core/lanes.h.
#pragma once

#include <array>
#include <optional>

#include "game/core/lanes.h"
#include "game/core/option_values.h"
#include "game/menus/main_menu.h"

using TChannelFlags = std::array<bool, kChannelCount>;

// Music speed factor of the checked playspeed item; empty when none is
// checked (the sequencer keeps its speed).
std::optional<double> MusicSpeedOption(const TMainMenu& menu);

// Pixels per quarter note: 100 times the checked rainspeed item's factor;
// 100 when none is checked.
int RainSpeedOption(const TMainMenu& menu);

// Half length of the bar in pixels: 15 times the checked barlength item's
// factor (whole pixels: the halved bar is 7); the infinite bar is
// 2147483646; 15 when none is checked.
int BarHalfWidthOption(const TMainMenu& menu);

// Entry c - 1 set when playch<c> is checked.
TChannelFlags RainChannelsOption(const TMainMenu& menu);

// MIRROR before RANDOM before S-RANDOM; NORMAL (or none) gives Normal.
TLaneMode LaneModeOption(const TMainMenu& menu);

// ALL ON / ALL OFF: every channel item checked / unchecked.
void SetAllChannels(TMainMenu& menu, bool on);
