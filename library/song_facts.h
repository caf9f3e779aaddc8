// What the song library knows of one Standard MIDI File: read with the
// game's own song loader (so a file listed as playable also plays), its
// title, length, raining notes per channel, tempo range, lane range, peak
// density and difficulty. Pure computation; any thread (one song per call).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "library/difficulty.h"

class TMidiSong;

struct TChannelFacts {
  int32_t Channel = 1;        // 1..16
  int32_t FirstProgram = -1;  // the GM program (0..127) in force at its first note; -1: none set
  int32_t Notes = 0;          // its raining note-ons
};

struct TSongFacts {
  std::string Title;          // track 0's name, UTF-8, blanks trimmed
  int32_t LengthMs = 0;       // the song's length (the loader's EndTime)
  int32_t Notes = 0;          // raining note-ons of all channels
  std::vector<TChannelFacts> Channels;  // the channels that have notes, ascending
  double BpmMin = 0.0;        // 120 for a song without tempo items
  double BpmMax = 0.0;
  int32_t LaneMin = 0;        // note numbers of the note-ons (0 and 0 without notes)
  int32_t LaneMax = 0;
  int32_t PeakNps = 0;        // most note-ons in one second
  double Difficulty = 0.0;    // at the designed options (every channel, x1, bar 1.0)
};

// The facts of a loaded song.
TSongFacts FactsOfSong(const TMidiSong& song);
// Loads the bytes with the song loader and gives their facts; throws
// EMidiError (the loader's message) for a file the game cannot play.
TSongFacts ReadSongFacts(const uint8_t* data, size_t size, const std::string& sourceName);

// The raining note-ons of the channels switched on (entry c - 1: channel c), in time order.
std::vector<TDrop> SongDrops(const TMidiSong& song, const std::array<bool, 16>& channels);
// Where the windowMs that holds the most drops starts (ms; 0 without drops).
int32_t DensestStartMs(const std::vector<TDrop>& drops, int32_t windowMs);
