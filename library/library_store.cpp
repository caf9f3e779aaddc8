#include "library/library_store.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "records/records_database.h"
#include "records/sqlite_connection.h"

namespace {

constexpr char kRowColumns[] =
    "l.path, l.size, l.mtime_ns, l.song_sha256, l.title, l.length_ms, l.notes, l.channels, l.bpm_min, l.bpm_max, "
    "l.lane_min, l.lane_max, l.peak_nps, l.difficulty, l.error, "
    "COALESCE(s.games, 0), COALESCE(s.best_good, 0), COALESCE(s.best_bad, 0), COALESCE(s.best_max_combo, 0), "
    "COALESCE(s.last_played_at, '')";

// "channel:first program:notes" per channel with notes, space-separated
// ("1:0:532 10:-1:80").
std::string ChannelsText(const std::vector<TChannelFacts>& channels) {
  std::string text;
  for (const TChannelFacts& channel : channels) {
    if (!text.empty()) text.push_back(' ');
    text += std::to_string(channel.Channel) + ':' + std::to_string(channel.FirstProgram) + ':' +
            std::to_string(channel.Notes);
  }
  return text;
}

std::vector<TChannelFacts> ChannelsFromText(const std::string& text) {
  std::vector<TChannelFacts> channels;
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    TChannelFacts channel;
    int channelNumber = 0, program = -1, notes = 0;
    if (std::sscanf(word.c_str(), "%d:%d:%d", &channelNumber, &program, &notes) < 2) continue;
    channel.Channel = channelNumber;
    channel.FirstProgram = program;
    channel.Notes = notes;
    channels.push_back(channel);
  }
  return channels;
}

TLibraryRow RowFromQuery(const TSqliteStatement& query) {
  TLibraryRow row;
  row.Path = query.Text(0);
  row.Size = query.Integer(1);
  row.MtimeNs = query.Integer(2);
  row.SongSha256 = query.Text(3);
  row.Facts.Title = query.Text(4);
  row.Facts.LengthMs = static_cast<int32_t>(query.Integer(5));
  row.Facts.Notes = static_cast<int32_t>(query.Integer(6));
  row.Facts.Channels = ChannelsFromText(query.Text(7));
  row.Facts.BpmMin = query.Real(8);
  row.Facts.BpmMax = query.Real(9);
  row.Facts.LaneMin = static_cast<int32_t>(query.Integer(10));
  row.Facts.LaneMax = static_cast<int32_t>(query.Integer(11));
  row.Facts.PeakNps = static_cast<int32_t>(query.Integer(12));
  row.Facts.Difficulty = query.Real(13);
  if (!query.IsNull(14)) row.Error = query.Text(14);
  row.Games = query.Integer(15);
  row.BestGood = static_cast<int32_t>(query.Integer(16));
  row.BestBad = static_cast<int32_t>(query.Integer(17));
  row.BestMaxCombo = static_cast<int32_t>(query.Integer(18));
  row.LastPlayedAt = query.Text(19);
  return row;
}

}  // namespace

TLibraryStore::TLibraryStore(TRecordsDatabase& database) : m_database(database) {}

std::vector<TLibraryRow> TLibraryStore::Rows() {
  // An error row has no identity: the empty key must not meet a song.
  TSqliteStatement query(m_database.Connection(),
                         std::string("SELECT ") + kRowColumns +
                             " FROM library l LEFT JOIN songs s ON s.song_sha256 = l.song_sha256 AND l.song_sha256 <> ''"
                             " ORDER BY l.path");
  std::vector<TLibraryRow> rows;
  while (query.Step()) rows.push_back(RowFromQuery(query));
  return rows;
}

bool TLibraryStore::Stamp(const std::string& path, int64_t& size, int64_t& mtimeNs) {
  TSqliteStatement query(m_database.Connection(), "SELECT size, mtime_ns FROM library WHERE path = ?1");
  query.Bind(1, path);
  if (!query.Step()) return false;
  size = query.Integer(0);
  mtimeNs = query.Integer(1);
  return true;
}

void TLibraryStore::Put(const std::vector<TLibraryRow>& rows) {
  if (rows.empty()) return;
  TSqliteConnection& connection = m_database.Connection();
  TSqliteTransaction transaction(connection);
  TSqliteStatement insert(connection,
                          "INSERT OR REPLACE INTO library (path, size, mtime_ns, song_sha256, title, length_ms, notes, "
                          "channels, bpm_min, bpm_max, lane_min, lane_max, peak_nps, difficulty, error) VALUES (?1, ?2, "
                          "?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)");
  for (const TLibraryRow& row : rows) {
    const TSongFacts& f = row.Facts;
    insert.Bind(1, row.Path).Bind(2, row.Size).Bind(3, row.MtimeNs).Bind(4, row.SongSha256).Bind(5, f.Title);
    insert.Bind(6, int64_t{f.LengthMs}).Bind(7, int64_t{f.Notes}).Bind(8, ChannelsText(f.Channels));
    insert.Bind(9, f.BpmMin).Bind(10, f.BpmMax).Bind(11, int64_t{f.LaneMin}).Bind(12, int64_t{f.LaneMax});
    insert.Bind(13, int64_t{f.PeakNps}).Bind(14, f.Difficulty);
    if (row.Error) {
      insert.Bind(15, *row.Error);
    } else {
      insert.BindNull(15);
    }
    insert.Run();
    insert.Reset();
  }
  transaction.Commit();
}

void TLibraryStore::Remove(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  TSqliteConnection& connection = m_database.Connection();
  TSqliteTransaction transaction(connection);
  TSqliteStatement remove(connection, "DELETE FROM library WHERE path = ?1");
  for (const std::string& path : paths) {
    remove.Bind(1, path);
    remove.Run();
    remove.Reset();
  }
  transaction.Commit();
}

std::vector<std::string> TLibraryStore::Paths() {
  TSqliteStatement query(m_database.Connection(), "SELECT path FROM library ORDER BY path");
  std::vector<std::string> paths;
  while (query.Step()) paths.push_back(query.Text(0));
  return paths;
}

double TLibraryStore::DifficultyOf(const std::string& songSha256) {
  TSqliteStatement query(m_database.Connection(),
                         "SELECT MAX(difficulty) FROM library WHERE song_sha256 = ?1 AND error IS NULL");
  query.Bind(1, songSha256);
  if (!query.Step() || query.IsNull(0)) return -1.0;
  return query.Real(0);
}
