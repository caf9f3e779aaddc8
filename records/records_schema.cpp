#include "records/records_schema.h"

#include <string>

namespace RecordsSchema {

namespace {

// Version 1: one row per game with every option in force.
constexpr char kVersion1[] = R"sql(
CREATE TABLE games (
  id INTEGER PRIMARY KEY,
  song_sha256 TEXT NOT NULL,
  played_at TEXT NOT NULL,
  path TEXT NOT NULL,
  file_name TEXT NOT NULL,
  title TEXT NOT NULL,
  end_time_ms INTEGER NOT NULL,
  good INTEGER NOT NULL,
  bad INTEGER NOT NULL,
  max_combo INTEGER NOT NULL,
  rain_speed INTEGER NOT NULL,
  hidden INTEGER NOT NULL,
  sudden INTEGER NOT NULL,
  lane_mode TEXT NOT NULL,
  channels TEXT NOT NULL,
  music_speed REAL NOT NULL,
  bar_half_width INTEGER NOT NULL,
  offset_ms INTEGER NOT NULL
);
)sql";

// Version 2: a summary per song (kept up to date with every game, so the
// window lists a thousand songs without adding up ten thousand games) and
// the index the games of one song are read by.
constexpr char kVersion2[] = R"sql(
CREATE TABLE songs (
  song_sha256 TEXT PRIMARY KEY,
  title TEXT NOT NULL,
  file_name TEXT NOT NULL,
  path TEXT NOT NULL,
  games INTEGER NOT NULL,
  best_good INTEGER NOT NULL,
  best_bad INTEGER NOT NULL,
  best_max_combo INTEGER NOT NULL,
  last_played_at TEXT NOT NULL,
  last_game_id INTEGER NOT NULL
) WITHOUT ROWID;
CREATE INDEX games_by_song ON games (song_sha256);
INSERT INTO songs
  SELECT g.song_sha256, g.title, g.file_name, g.path,
         (SELECT COUNT(*) FROM games c WHERE c.song_sha256 = g.song_sha256),
         (SELECT b.good FROM games b WHERE b.song_sha256 = g.song_sha256
            ORDER BY CAST(b.good AS REAL) / MAX(b.good + b.bad, 1) DESC, b.id LIMIT 1),
         (SELECT b.bad FROM games b WHERE b.song_sha256 = g.song_sha256
            ORDER BY CAST(b.good AS REAL) / MAX(b.good + b.bad, 1) DESC, b.id LIMIT 1),
         (SELECT MAX(m.max_combo) FROM games m WHERE m.song_sha256 = g.song_sha256),
         g.played_at, g.id
  FROM games g
  WHERE g.id = (SELECT l.id FROM games l WHERE l.song_sha256 = g.song_sha256 ORDER BY l.played_at DESC, l.id DESC LIMIT 1);
)sql";

// Version 3: the input that moved the bar most in each game ("mouse",
// "keyboard" or "gamepad"); every game before it was played with the mouse.
constexpr char kVersion3[] = R"sql(
ALTER TABLE games ADD COLUMN bar_input TEXT NOT NULL DEFAULT 'mouse';
)sql";

// Version 4: practice games, kept beside the others with the part of the
// song they played (ms) and their practice speed; the games before were
// none of them practice games.
constexpr char kVersion4[] = R"sql(
ALTER TABLE games ADD COLUMN practice INTEGER NOT NULL DEFAULT 0;
ALTER TABLE games ADD COLUMN practice_from_ms INTEGER NOT NULL DEFAULT 0;
ALTER TABLE games ADD COLUMN practice_to_ms INTEGER NOT NULL DEFAULT 0;
ALTER TABLE games ADD COLUMN practice_speed REAL NOT NULL DEFAULT 1.0;
)sql";

// Version 5: the song library, one row per file found in the song folders
// (its path as the file system spells it), with the size and mtime that
// tell a refresh whether to read it again, its identity (the games' key)
// and what the song-select window shows of it; error is set (and the facts
// left at zero) for a file the game cannot play. channels lists
// "channel:first program:notes" of the channels with notes ("10:-1:80",
// program -1 when none was set).
constexpr char kVersion5[] = R"sql(
CREATE TABLE library (
  path TEXT PRIMARY KEY,
  size INTEGER NOT NULL,
  mtime_ns INTEGER NOT NULL,
  song_sha256 TEXT NOT NULL,
  title TEXT NOT NULL,
  length_ms INTEGER NOT NULL,
  notes INTEGER NOT NULL,
  channels TEXT NOT NULL,
  bpm_min REAL NOT NULL,
  bpm_max REAL NOT NULL,
  lane_min INTEGER NOT NULL,
  lane_max INTEGER NOT NULL,
  peak_nps INTEGER NOT NULL,
  difficulty REAL NOT NULL,
  error TEXT
) WITHOUT ROWID;
CREATE INDEX library_by_song ON library (song_sha256);
)sql";

constexpr const char* kSteps[kNewestVersion] = {kVersion1, kVersion2, kVersion3, kVersion4, kVersion5};

void SetVersion(TSqliteConnection& connection, int version) {
  connection.Execute("PRAGMA user_version = " + std::to_string(version));
}

}  // namespace

int Version(TSqliteConnection& connection) {
  return static_cast<int>(connection.QueryInteger("PRAGMA user_version"));
}

void Migrate(TSqliteConnection& connection) {
  int version = Version(connection);
  if (version > kNewestVersion) {
    throw ERecordsError(TRecordsFailure::NewerSchema, "records " + connection.Path() + " are of version " +
                                                          std::to_string(version) + ", newer than this game's " +
                                                          std::to_string(kNewestVersion));
  }
  while (version < kNewestVersion) {
    TSqliteTransaction step(connection);
    // Read again under the write lock: another copy of the game may have
    // migrated the file in the meantime.
    version = Version(connection);
    if (version >= kNewestVersion) break;
    connection.Execute(kSteps[version]);
    SetVersion(connection, version + 1);
    step.Commit();
    ++version;
  }
}

void CreateVersion1(TSqliteConnection& connection) {
  TSqliteTransaction step(connection);
  connection.Execute(kVersion1);
  SetVersion(connection, 1);
  step.Commit();
}

}  // namespace RecordsSchema
