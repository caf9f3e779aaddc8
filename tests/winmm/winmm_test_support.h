// Helpers of the winmm tests: the game's audio engine switched to offline
// rendering on the small SoundFont, before anything uses it.
#pragma once

#include "platform/audio/audio_engine.h"

inline void UseOfflineAudio() {
  TAudioEngineOptions options;
  options.deviceOutput = false;
  options.soundFontPaths = DefaultSoundFontPaths();
  options.soundFontPaths.insert(options.soundFontPaths.begin(), "/usr/share/sounds/sf2/TimGM6mb.sf2");
  TAudioEngine::SetGlobalOptions(options);
}
