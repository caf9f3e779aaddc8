// Renders a Standard MIDI File offline through the sequencer's output side
// and the game's built-in synthesizer into interleaved stereo float: the
// listen check of the synthesizer and the song renderer. Main thread only.
#pragma once

#include <string>
#include <vector>

struct TRenderedSong {
  std::vector<float> samples;  // interleaved stereo
  unsigned sampleRate = 0;
  double renderSeconds = 0.0;  // time spent in the synthesizer
};

// Renders at most maxSeconds of the song (plus a second of release). Throws
// the reader's error for an unreadable file; false when no SoundFont loads.
bool RenderSong(const std::string& path, double maxSeconds, TRenderedSong& result);
