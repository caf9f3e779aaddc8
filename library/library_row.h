// One file of the song library as the records database keeps it (table
// library), and the player's own figures of its song (table songs), read
// together for the song-select window. Plain values; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "library/song_facts.h"

struct TLibraryRow {
  std::string Path;           // bytes of the file name as the file system has it (UTF-8 normally)
  int64_t Size = 0;           // bytes
  int64_t MtimeNs = 0;        // modification time, ns since the epoch
  std::string SongSha256;     // 64 hex digits of the file's bytes (the identity of games); empty on error
  TSongFacts Facts;           // empty facts when Error is set
  std::optional<std::string> Error;  // the reader's message (UTF-8) when the file cannot be played
  // From the songs table (the player's games), by SongSha256:
  int64_t Games = 0;
  int32_t BestGood = 0;
  int32_t BestBad = 0;
  int32_t BestMaxCombo = 0;
  std::string LastPlayedAt;   // ISO 8601 UTC, empty when never played
};
