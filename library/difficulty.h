// The song's difficulty figure: how hard the drops are to catch with the
// bar, from the game's own mechanic (a chord is caught when the bar covers
// any of its drops as they land). Pure computation; any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>

// One raining note-on: when it lands (ms of song time at music speed 1) and
// its note number (0..127), which is its lane before mirroring.
struct TDrop {
  int32_t TimeMs = 0;
  int32_t Note = 0;
};

// The options that change the figure.
struct TDifficultyOptions {
  double MusicSpeed = 1.0;    // tempo factor
  int32_t BarHalfWidth = 15;  // pixels; a huge value is the infinite bar
  bool Mirror = false;        // lane = 127 - note
};

// The figure (0 for no drops, about 1..2 for the tutorial song, above 5 for
// a dense piano piece). drops in time order.
double SongDifficulty(std::span<const TDrop> drops, const TDifficultyOptions& options = {});

// The figure as shown: one decimal ("3.4").
std::string DifficultyText(double difficulty);
