// TGameRecorder: the game's side of the records. It knows the loaded song
// (identity, path, title), takes the options when a game starts, writes the
// finished game when the sequencer hands it over, and serves the queries of
// the recent-songs menu and the records window. When the database cannot
// be opened or a write fails, recording switches off for the rest of the
// session and says so once through its switched-off callback (the window
// shows the box); the game goes on untouched. Main thread only; it owns its
// database connection.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "records/game_record.h"

class TRecordsDatabase;
struct TSongFacts;

class TGameRecorder {
 public:
  // How many songs the recent-songs menu lists.
  static constexpr size_t kRecentSongCount = 8;

  // Opens (or creates) the records at databasePath. A failure leaves
  // recording off and is reported at once: switchedOff runs once, when
  // recording switches off, whenever that is.
  explicit TGameRecorder(const std::string& databasePath, std::function<void()> switchedOff = {});
  ~TGameRecorder();
  TGameRecorder(const TGameRecorder&) = delete;
  TGameRecorder& operator=(const TGameRecorder&) = delete;

  bool Recording() const { return m_database != nullptr; }

  // The song now loaded: its file (read again for its identity), the
  // trimmed title (UTF-8). tutorial marks the tutorial song, which is kept
  // in the records but not offered among the recent songs. With its facts
  // (FactsOfSong of the loaded song) the file's row of the song library is
  // written too, so that the records know its difficulty.
  void SetSong(const std::string& path, const std::string& title, bool tutorial, const TSongFacts* facts = nullptr);
  // No song is loaded any more (a failed open).
  void ClearSong();
  const std::string& SongSha256() const { return m_song.SongSha256; }

  // A game of the loaded song starts with these options; gives the song's
  // summary before it (empty for a first game or without records).
  std::optional<TSongSummary> BeginGame(const TGameOptions& options, int32_t endTimeMs);
  // The game begun last has ended with at least one judged drop: its row is
  // written, with the input that moved the bar most (kBarInputMouse...).
  // Without a begun game (or records) nothing happens.
  void GameEnded(int32_t good, int32_t bad, int32_t maxCombo, const std::string& barInput = kBarInputMouse);
  // The game begun last is a practice game that played fromMs .. toMs at
  // speed (a tempo factor): it is kept as one, never a best.
  void MarkPractice(int32_t fromMs, int32_t toMs, double speed);

  // The queries behind the menu and the window; empty without records.
  std::vector<TSongSummary> RecentSongs();
  std::vector<TSongSummary> Songs();
  std::vector<TGameRecord> GamesOfSong(const std::string& songSha256);
  // The difficulty the song library keeps for a song (at the designed
  // options); < 0 when it has none or without records.
  double LibraryDifficulty(const std::string& songSha256);

  // The box the window shows when recording switches off (source texts for Tr).
  static const char* SwitchedOffText();
  static const char* SwitchedOffCaption();

 private:
  // Writes the loaded song's row of the song library.
  void PutLibraryRow(const TSongFacts& facts);
  // Closes the records and says so once.
  void SwitchOff(const std::string& reason);

  std::function<void()> m_switchedOff;
  std::unique_ptr<TRecordsDatabase> m_database;
  std::string m_failure;
  TGameRecord m_song;                  // identity, path, names of the loaded song
  bool m_songKnown = false;
  std::string m_tutorialSha256;
  std::optional<TGameRecord> m_running;  // the game begun last, until it ends
};
