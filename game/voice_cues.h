// Which voice line the character says at start-up, at the start and the end
// of a game and when the window closes. The choices draw from the
// application's generator; any thread (the end-of-game line is chosen on the
// timer thread). Names are the game's Windows-style relative names.
#pragma once

#include <functional>
#include <string>

inline constexpr char kFarewellVoice[] = "wav\\KaerunoA@08.wav";
inline constexpr int kFarewellWaitMs = 6000;

// Start-up greeting: none when the voice is off; the first line while the
// play count is 0 or less, else one of four at random.
std::string GreetingVoice(bool voiceOn, int playCount);

// Count-in of a game (voice on): one of two at random.
std::string CountInVoice();

// End of a game with at least one judged drop (voice on): a cheer for 90 %
// Good or better, else one of two lines at random.
std::string EndOfGameVoice(int goodCount, int badCount);

// Plays a voice line asynchronously (a new line replaces one still playing)
// and says whether it started (a missing file plays nothing). The output is
// the multimedia layer's sndPlaySoundA unless another one is attached (tests
// attach a recorder); an empty output plays nothing.
using TVoiceLineOutput = std::function<bool(const std::string&)>;
bool PlayVoiceLine(const std::string& name);
void SetVoiceLineOutput(TVoiceLineOutput output);
// Back to sndPlaySoundA.
void ResetVoiceLineOutput();
