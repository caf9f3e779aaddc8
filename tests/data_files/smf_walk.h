// A minimal Standard MIDI File walker for checking the files our tools
// write: chunks, delta times, running status, meta and SysEx lengths, and
// the milliseconds of each event under the tempo map. Test code; throws
// std::runtime_error on anything malformed and never reads past the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct WalkedEvent {
  std::uint32_t tick = 0;
  int track = 0;
  std::uint8_t status = 0;        // 0xFF for meta, 0xF0/0xF7 for SysEx
  std::uint8_t metaType = 0;      // meta events only
  std::vector<std::uint8_t> data; // channel data bytes, or the meta/SysEx body
  double ms = 0.0;                // filled by WalkSmf from the tempo map
};

struct WalkedSmf {
  int format = 0;
  int trackCount = 0;
  int division = 0;
  std::vector<WalkedEvent> events;  // sorted by tick, then track
  std::vector<bool> trackEnded;     // each track closed by end-of-track
  double endMs = 0.0;               // time of the last event
};

WalkedSmf WalkSmf(const std::vector<std::uint8_t>& bytes);
