// TRecordsDatabase: the play records in one SQLite file (WAL journal, every
// write in one transaction, the schema migrated on opening) and the queries
// behind the result screen, the recent songs and the records window.
// One thread at a time (the game's main thread); the object owns its
// connection. Every failure throws ERecordsError.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "records/game_record.h"
#include "records/presence_locks.h"
#include "records/sqlite_connection.h"

class TRecordsDatabase {
 public:
  static constexpr int kDefaultBusyTimeoutMs = 250;
  static constexpr char kFileExtension[] = ".sqlite";

  // Where the records of a settings file lie: the same name with the
  // extension ".sqlite" ("pluvionaut.ini" -> "pluvionaut.sqlite").
  static std::string PathBesideSettings(const std::string& settingsFile);
  // The present moment in ISO 8601 UTC, to the second.
  static std::string NowIso8601();

  // Opens or creates the file and brings its schema to the newest version.
  explicit TRecordsDatabase(const std::string& path, int busyTimeoutMs = kDefaultBusyTimeoutMs);
  // Folds the journal back into the file (a failure leaves it for the next opening).
  ~TRecordsDatabase();
  TRecordsDatabase(const TRecordsDatabase&) = delete;
  TRecordsDatabase& operator=(const TRecordsDatabase&) = delete;

  int SchemaVersion();
  const std::string& Path() const { return m_connection.Path(); }
  // The connection itself, for the tables of other parts (the song library);
  // same thread rule as the object.
  TSqliteConnection& Connection() { return m_connection; }
  // Caps the file at pages database pages: a full disk, for tests.
  void LimitPages(int64_t pages);

  // Stores one game and updates its song's summary, in one transaction;
  // gives the row id.
  int64_t AddGame(const TGameRecord& game);

  // The song's summary; empty when it was never played.
  std::optional<TSongSummary> Song(const std::string& songSha256);
  // Every song, most recently played first.
  std::vector<TSongSummary> Songs();
  // The games of one song, newest (last stored) first.
  std::vector<TGameRecord> GamesOfSong(const std::string& songSha256);
  // Up to maxCount songs, most recently played first, whose last path is
  // still a file; songs in skipSha256 are left out.
  std::vector<TSongSummary> RecentSongs(size_t maxCount, const std::vector<std::string>& skipSha256 = {});
  int64_t GameCount();
  // Whether other programs see the records in use whatever else this
  // process opens and closes (see TPresenceLocks).
  bool HoldsPresenceLocks() const { return m_presence.HoldsDatabase() && m_presence.HoldsIndex(); }

 private:
  TSqliteConnection m_connection;
  // Destroyed before the connection: its closing may then fold the journal away.
  TPresenceLocks m_presence;
};
