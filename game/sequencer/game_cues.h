// The sequencer's fixed words: the voice lines of a game's count-in and end, and the messages that
// announce an option group unlocked by the play count. Any thread: the
// functions only read constants (and draw from the shared generator).
#pragma once

#include <cstdint>
#include <string>

#include "game/core/system_data.h"

namespace SequencerCues {

// Where the play count is kept: the section システムデータ's.
using SystemData::PlayCountKey;
using SystemData::ReadPlayCount;
using SystemData::SettingsSection;
using SystemData::WritePlayCount;

// The count-in line: Random(2) chooses between the two.
std::string StartVoice();
// The end-of-game line for a game with Good + Bad > 0: the cheer at a Good
// ratio of 0.9 or more (in extended precision), otherwise Random(2) chooses.
std::string EndVoice(int32_t GoodCount, int32_t BadCount);

// The play count after one more completed game: it stops at the largest
// 32-bit value instead of wrapping.
int32_t RaisedPlayCount(int32_t PlayCount);

// The information box shown when the play count reaches an unlock value:
// caption and text in CP932, lines separated by CR LF. The text is empty for
// every other count.
std::string UnlockCaption();
std::string UnlockText(int32_t PlayCount);

}  // namespace SequencerCues
