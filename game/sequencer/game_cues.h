// The sequencer's fixed words: where the play count is kept in the settings
// file, the voice lines of a game's count-in and end, and the messages that
// announce an option group unlocked by the play count. Any thread: the
// functions only read constants (and draw from the shared generator).
#pragma once

#include <cstdint>
#include <string>

namespace SequencerCues {

// Section and key of the play count, CP932 as in the file.
std::string SettingsSection();
std::string PlayCountKey();

// The play count stored in the settings file; 0 when the file, the key or a
// number is missing.
int32_t ReadPlayCount(const std::string& SettingsFile);
// Writes the play count at once (the file is replaced atomically); false
// when the file could not be written.
bool WritePlayCount(const std::string& SettingsFile, int32_t PlayCount);

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
