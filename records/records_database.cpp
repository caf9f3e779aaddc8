#include "records/records_database.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "records/records_schema.h"

namespace {

constexpr char kChannelOn = '1';
constexpr char kChannelOff = '0';

std::string ChannelText(const std::array<bool, kRecordChannelCount>& channels) {
  std::string text;
  for (bool on : channels) text.push_back(on ? kChannelOn : kChannelOff);
  return text;
}

std::array<bool, kRecordChannelCount> ChannelsFromText(const std::string& text) {
  std::array<bool, kRecordChannelCount> channels{};
  for (size_t i = 0; i < channels.size() && i < text.size(); ++i) channels[i] = text[i] == kChannelOn;
  return channels;
}

constexpr char kSongColumns[] =
    "song_sha256, title, file_name, path, games, best_good, best_bad, best_max_combo, last_played_at";

TSongSummary SongFromRow(const TSqliteStatement& row) {
  TSongSummary song;
  song.SongSha256 = row.Text(0);
  song.Title = row.Text(1);
  song.FileName = row.Text(2);
  song.Path = row.Text(3);
  song.Games = row.Integer(4);
  song.BestGood = static_cast<int32_t>(row.Integer(5));
  song.BestBad = static_cast<int32_t>(row.Integer(6));
  song.BestMaxCombo = static_cast<int32_t>(row.Integer(7));
  song.LastPlayedAt = row.Text(8);
  return song;
}

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string TRecordsDatabase::PathBesideSettings(const std::string& settingsFile) {
  std::filesystem::path path(settingsFile);
  path.replace_extension(kFileExtension);
  return path.string();
}

std::string TRecordsDatabase::NowIso8601() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

TRecordsDatabase::TRecordsDatabase(const std::string& path, int busyTimeoutMs) : m_connection(path, busyTimeoutMs) {
  // WAL: a game killed while it writes leaves the last committed game
  // intact, and readers never wait for the writer. NORMAL syncing is safe
  // in WAL mode (a power cut may lose the last game, never the file).
  const std::string mode = m_connection.QueryText("PRAGMA journal_mode = WAL");
  if (mode != "wal") {
    throw ERecordsError(TRecordsFailure::Other, "records " + path + ": the journal cannot be switched to WAL");
  }
  m_connection.Execute("PRAGMA synchronous = NORMAL");
  // The journal is folded back into the file when the records close, not
  // after some game: a checkpoint syncs the disk, which may take tens of
  // milliseconds, and a game's write should never cost that. A session
  // adds a few kilobytes per game to the journal.
  m_connection.Execute("PRAGMA wal_autocheckpoint = 0");
  RecordsSchema::Migrate(m_connection);
  const std::string unheld = m_presence.Hold(path);
  if (!unheld.empty()) std::fprintf(stderr, "Records without presence locks: %s\n", unheld.c_str());
}

TRecordsDatabase::~TRecordsDatabase() {
  try {
    m_connection.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
  } catch (const ERecordsError&) {
    // Another connection still reads: the next opening folds the journal in.
  }
}

int TRecordsDatabase::SchemaVersion() { return RecordsSchema::Version(m_connection); }

void TRecordsDatabase::LimitPages(int64_t pages) {
  m_connection.QueryInteger("PRAGMA max_page_count = " + std::to_string(pages));
}

int64_t TRecordsDatabase::AddGame(const TGameRecord& game) {
  TSqliteTransaction transaction(m_connection);
  TSqliteStatement insert(m_connection,
                          "INSERT INTO games (song_sha256, played_at, path, file_name, title, end_time_ms, good, bad, "
                          "max_combo, rain_speed, hidden, sudden, lane_mode, channels, music_speed, bar_half_width, "
                          "offset_ms, bar_input, practice, practice_from_ms, practice_to_ms, practice_speed) VALUES (?1, ?2, "
                          "?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22)");
  const TGameOptions& o = game.Options;
  insert.Bind(1, game.SongSha256).Bind(2, game.PlayedAt).Bind(3, game.Path).Bind(4, game.FileName);
  insert.Bind(5, game.Title).Bind(6, int64_t{game.EndTimeMs}).Bind(7, int64_t{game.Good}).Bind(8, int64_t{game.Bad});
  insert.Bind(9, int64_t{game.MaxCombo}).Bind(10, int64_t{o.RainSpeed}).Bind(11, int64_t{o.Hidden});
  insert.Bind(12, int64_t{o.Sudden}).Bind(13, o.LaneMode).Bind(14, ChannelText(o.Channels));
  insert.Bind(15, o.MusicSpeed).Bind(16, int64_t{o.BarHalfWidth}).Bind(17, int64_t{o.OffsetMs});
  insert.Bind(18, game.BarInput);
  insert.Bind(19, int64_t{game.Practice}).Bind(20, int64_t{game.PracticeFromMs}).Bind(21, int64_t{game.PracticeToMs});
  insert.Bind(22, game.PracticeSpeed);
  insert.Run();
  const int64_t id = m_connection.LastInsertRowId();
  const std::optional<TSongSummary> before = Song(game.SongSha256);
  if (game.Practice) {
    // A practice game changes no best and no game count; a song only
    // practised so far is listed with no games.
    if (!before) {
      TSqliteStatement song(m_connection,
                            "INSERT INTO songs (song_sha256, title, file_name, path, games, best_good, best_bad, "
                            "best_max_combo, last_played_at, last_game_id) VALUES (?1, ?2, ?3, ?4, 0, 0, 0, 0, ?5, ?6)");
      song.Bind(1, game.SongSha256).Bind(2, game.Title).Bind(3, game.FileName).Bind(4, game.Path);
      song.Bind(5, game.PlayedAt).Bind(6, id);
      song.Run();
    }
    transaction.Commit();
    return id;
  }

  // The song's summary: the newest name and path, one more game, the best
  // ratio (the first game that reached it keeps it) and the best combo.
  int64_t bestGood = game.Good, bestBad = game.Bad, bestCombo = game.MaxCombo, games = 1;
  if (before) {
    games = before->Games + 1;
    if (!BetterRatio(game.Good, game.Bad, before->BestGood, before->BestBad)) {
      bestGood = before->BestGood;
      bestBad = before->BestBad;
    }
    bestCombo = std::max<int64_t>(bestCombo, before->BestMaxCombo);
  }
  TSqliteStatement song(m_connection,
                        "INSERT OR REPLACE INTO songs (song_sha256, title, file_name, path, games, best_good, best_bad, "
                        "best_max_combo, last_played_at, last_game_id) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
  song.Bind(1, game.SongSha256).Bind(2, game.Title).Bind(3, game.FileName).Bind(4, game.Path).Bind(5, games);
  song.Bind(6, bestGood).Bind(7, bestBad).Bind(8, bestCombo).Bind(9, game.PlayedAt).Bind(10, id);
  song.Run();
  transaction.Commit();
  return id;
}

std::optional<TSongSummary> TRecordsDatabase::Song(const std::string& songSha256) {
  TSqliteStatement query(m_connection, std::string("SELECT ") + kSongColumns + " FROM songs WHERE song_sha256 = ?1");
  query.Bind(1, songSha256);
  if (!query.Step()) return std::nullopt;
  return SongFromRow(query);
}

std::vector<TSongSummary> TRecordsDatabase::Songs() {
  TSqliteStatement query(m_connection,
                         std::string("SELECT ") + kSongColumns + " FROM songs ORDER BY last_game_id DESC");
  std::vector<TSongSummary> songs;
  while (query.Step()) songs.push_back(SongFromRow(query));
  return songs;
}

std::vector<TGameRecord> TRecordsDatabase::GamesOfSong(const std::string& songSha256) {
  TSqliteStatement query(m_connection,
                         "SELECT id, song_sha256, played_at, path, file_name, title, end_time_ms, good, bad, max_combo, "
                         "rain_speed, hidden, sudden, lane_mode, channels, music_speed, bar_half_width, offset_ms, bar_input, "
                         "practice, practice_from_ms, practice_to_ms, practice_speed FROM games WHERE song_sha256 = ?1 "
                         "ORDER BY id DESC");
  query.Bind(1, songSha256);
  std::vector<TGameRecord> games;
  while (query.Step()) {
    TGameRecord game;
    game.Id = query.Integer(0);
    game.SongSha256 = query.Text(1);
    game.PlayedAt = query.Text(2);
    game.Path = query.Text(3);
    game.FileName = query.Text(4);
    game.Title = query.Text(5);
    game.EndTimeMs = static_cast<int32_t>(query.Integer(6));
    game.Good = static_cast<int32_t>(query.Integer(7));
    game.Bad = static_cast<int32_t>(query.Integer(8));
    game.MaxCombo = static_cast<int32_t>(query.Integer(9));
    TGameOptions& o = game.Options;
    o.RainSpeed = static_cast<int32_t>(query.Integer(10));
    o.Hidden = query.Integer(11) != 0;
    o.Sudden = query.Integer(12) != 0;
    o.LaneMode = query.Text(13);
    o.Channels = ChannelsFromText(query.Text(14));
    o.MusicSpeed = query.Real(15);
    o.BarHalfWidth = static_cast<int32_t>(query.Integer(16));
    o.OffsetMs = static_cast<int32_t>(query.Integer(17));
    game.BarInput = query.Text(18);
    game.Practice = query.Integer(19) != 0;
    game.PracticeFromMs = static_cast<int32_t>(query.Integer(20));
    game.PracticeToMs = static_cast<int32_t>(query.Integer(21));
    game.PracticeSpeed = query.Real(22);
    games.push_back(std::move(game));
  }
  return games;
}

std::vector<TSongSummary> TRecordsDatabase::RecentSongs(size_t maxCount, const std::vector<std::string>& skipSha256) {
  TSqliteStatement query(m_connection,
                         std::string("SELECT ") + kSongColumns + " FROM songs ORDER BY last_game_id DESC");
  std::vector<TSongSummary> songs;
  while (songs.size() < maxCount && query.Step()) {
    TSongSummary song = SongFromRow(query);
    if (std::find(skipSha256.begin(), skipSha256.end(), song.SongSha256) != skipSha256.end()) continue;
    if (IsFile(song.Path)) songs.push_back(std::move(song));
  }
  return songs;
}

int64_t TRecordsDatabase::GameCount() { return m_connection.QueryInteger("SELECT COUNT(*) FROM games"); }
