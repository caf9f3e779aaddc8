// The library table on a real SQLite file (the scanner's tests cover the
// refresh stamps and drops): the player's figures joined from the songs
// table, the facts and errors kept, a failed batch that leaves no row.
#include "library/library_store.h"

#include "library_fixture.h"
#include "records/records_database.h"

namespace {

TLibraryRow Row(const std::string& path, const std::string& sha256, double difficulty) {
  TLibraryRow row;
  row.Path = path;
  row.SongSha256 = sha256;
  row.Facts.Channels = {{1, 0, 200}, {10, -1, 100}};
  row.Facts.Difficulty = difficulty;
  return row;
}

TEST_F(LibraryTest, RowsCarryTheGamesOfTheirSong) {
  TRecordsDatabase records(dbPath);
  TLibraryStore store(records);
  TLibraryRow broken = Row("/broken\xFF.mid", "", 0);  // bytes as the file system has them
  broken.Error = "not a Standard MIDI File";
  store.Put({Row("/a.mid", "aa", 3.25), Row("/copy of a.mid", "aa", 4.5), broken});
  TGameRecord game;
  game.SongSha256 = "aa";
  game.PlayedAt = "2026-12-09T10:00:00Z";
  game.Good = 90;
  records.AddGame(game);
  game.SongSha256 = "";  // an error row's empty identity meets no song, even this one
  records.AddGame(game);
  const std::vector<TLibraryRow> rows = store.Rows();  // in path order
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].Games, 1);
  EXPECT_EQ(rows[0].BestGood, 90);
  EXPECT_EQ(rows[0].LastPlayedAt, "2026-12-09T10:00:00Z");
  ASSERT_EQ(rows[0].Facts.Channels.size(), 2u);
  EXPECT_EQ(rows[0].Facts.Channels[1].FirstProgram, -1);
  EXPECT_EQ(rows[0].Facts.Channels[1].Notes, 100);
  EXPECT_FALSE(rows[0].Error.has_value());
  EXPECT_EQ(rows[1].Path, "/broken\xFF.mid");
  EXPECT_EQ(rows[1].Error, "not a Standard MIDI File");
  EXPECT_EQ(rows[1].Games, 0);
  EXPECT_EQ(rows[2].Games, 1);  // the same song under another name
  EXPECT_EQ(store.DifficultyOf("aa"), 4.5);  // the highest of its paths
  EXPECT_LT(store.DifficultyOf("bb"), 0);
}

TEST_F(LibraryTest, APutThatFailsLeavesNoneOfItsRows) {
  TRecordsDatabase records(dbPath);
  TLibraryStore store(records);
  store.Put({Row("/kept.mid", "k", 1)});
  records.LimitPages(records.Connection().QueryInteger("PRAGMA page_count"));  // a full disk
  std::vector<TLibraryRow> many;
  for (int i = 0; i < 500; ++i) many.push_back(Row("/full/" + std::to_string(i) + ".mid", "f", 1));
  EXPECT_THROW(store.Put(many), ERecordsError);
  EXPECT_EQ(store.Paths(), std::vector<std::string>{"/kept.mid"});
}

}  // namespace
