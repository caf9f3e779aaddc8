// The rows of the records: one finished game with the options in force, one
// song's summary, one recent song. Plain values; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// How the drops were placed on their lanes, as stored.
inline constexpr char kLaneModeNormal[] = "NORMAL";
inline constexpr char kLaneModeMirror[] = "MIRROR";
inline constexpr char kLaneModeRandom[] = "RANDOM";
inline constexpr char kLaneModeSRandom[] = "S-RANDOM";

inline constexpr int kRecordChannelCount = 16;

// The input that moved the bar most in a game, as stored.
inline constexpr char kBarInputMouse[] = "mouse";
inline constexpr char kBarInputKeyboard[] = "keyboard";
inline constexpr char kBarInputGamepad[] = "gamepad";

// The options of one game.
struct TGameOptions {
  int32_t RainSpeed = 100;      // pixels per quarter note (100 = option 1.0)
  bool Hidden = false;
  bool Sudden = false;
  std::string LaneMode = kLaneModeNormal;
  std::array<bool, kRecordChannelCount> Channels{};  // entry c - 1: channel c rains
  double MusicSpeed = 1.0;      // tempo factor
  int32_t BarHalfWidth = 15;    // pixels
  int32_t OffsetMs = 0;         // judgement offset; 0 when the game has none
};

struct TGameRecord {
  int64_t Id = 0;               // assigned when stored
  std::string SongSha256;       // 64 hexadecimal digits of the file's bytes
  std::string PlayedAt;         // ISO 8601 UTC, "2026-12-08T08:47:06Z"
  std::string Path;             // UTF-8
  std::string FileName;         // without its folder, UTF-8
  std::string Title;            // track 0's name, UTF-8
  int32_t EndTimeMs = 0;        // the song's length
  int32_t Good = 0;
  int32_t Bad = 0;
  int32_t MaxCombo = 0;
  TGameOptions Options;
  std::string BarInput = kBarInputMouse;  // kBarInputMouse, ...Keyboard or ...Gamepad
  // A practice game: never a best, never counted among the song's games.
  bool Practice = false;
  int32_t PracticeFromMs = 0;   // the part of the song it played
  int32_t PracticeToMs = 0;
  double PracticeSpeed = 1.0;   // its practice speed (a tempo factor)
};

// A song as the records window lists it: the last name and path it was
// played under, how often, and its bests.
struct TSongSummary {
  std::string SongSha256;
  std::string Title;
  std::string FileName;
  std::string Path;
  int64_t Games = 0;
  int32_t BestGood = 0;         // the game with the best Good ratio
  int32_t BestBad = 0;
  int32_t BestMaxCombo = 0;
  std::string LastPlayedAt;

  // The best Good percentage (0..100), 0 for a song without judged drops.
  double BestPercent() const;
};

// Good x 100 / (Good + Bad); 0 when nothing was judged.
double GoodPercent(int64_t good, int64_t bad);
// True when good1 / (good1 + bad1) > good2 / (good2 + bad2), compared exactly.
bool BetterRatio(int64_t good1, int64_t bad1, int64_t good2, int64_t bad2);
