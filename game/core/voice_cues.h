// Which voice line the character says at start-up and when the window
// closes, and the output that plays them. The greeting draws from the
// application's generator; any thread. Names are the game's Windows-style
// relative names.
#pragma once

#include <functional>
#include <string>

inline constexpr char kFarewellVoice[] = "wav\\KaerunoA@08.wav";
inline constexpr int kFarewellWaitMs = 6000;

// Start-up greeting: none when the voice is off; the first line while the
// play count is 0 or less, else one of four at random.
std::string GreetingVoice(bool voiceOn, int playCount);

// The count-in and end-of-game lines are the sequencer's (SequencerCues in
// game/sequencer/game_cues.h): it plays them on its own.

// Plays a voice line asynchronously (a new line replaces one still playing)
// and says whether it started (a missing file plays nothing). The output is
// the multimedia layer's sndPlaySoundA unless another one is attached (tests
// attach a recorder); an empty output plays nothing.
using TVoiceLineOutput = std::function<bool(const std::string&)>;
bool PlayVoiceLine(const std::string& name);
void SetVoiceLineOutput(TVoiceLineOutput output);
// Back to sndPlaySoundA.
void ResetVoiceLineOutput();
