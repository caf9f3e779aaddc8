// The library table on a real SQLite file: rows round trip with their facts
// or error, the player's figures joined from the songs table, refresh stamps
// and the drop of rows.
#include "library/library_store.h"

#include "library_fixture.h"
#include "records/records_database.h"

namespace {

TLibraryRow Row(const std::string& path, const std::string& sha256, double difficulty) {
  TLibraryRow row;
  row.Path = path;
  row.Size = 1234;
  row.MtimeNs = 1765300000123456789;
  row.SongSha256 = sha256;
  row.Facts.Title = "\xE3\x81\x82\xE3\x82\x81";  // あめ
  row.Facts.LengthMs = 61000;
  row.Facts.Notes = 300;
  row.Facts.Channels = {{1, 0, 200}, {10, -1, 100}};
  row.Facts.BpmMin = 90.5;
  row.Facts.BpmMax = 140;
  row.Facts.LaneMin = 35;
  row.Facts.LaneMax = 96;
  row.Facts.PeakNps = 12;
  row.Facts.Difficulty = difficulty;
  return row;
}

TEST_F(LibraryTest, RowsRoundTripWithTheGamesOfTheirSong) {
  const std::string sha(64, 'a');
  {
    TRecordsDatabase records(dbPath);
    TLibraryStore store(records);
    TLibraryRow broken;
    broken.Path = (songs / "broken\xFF.mid").string();  // bytes as the file system has them
    broken.Size = 10;
    broken.Error = "not a Standard MIDI File";
    store.Put({Row((songs / "a.mid").string(), sha, 3.25), Row((songs / "copy of a.mid").string(), sha, 4.5), broken});
    TGameRecord game;
    game.SongSha256 = sha;
    game.PlayedAt = "2026-12-09T10:00:00Z";
    game.Path = (songs / "a.mid").string();
    game.FileName = "a.mid";
    game.Good = 90;
    game.Bad = 10;
    game.MaxCombo = 44;
    game.Options.Channels.fill(true);
    records.AddGame(game);
    // An error row's empty identity meets no song, even one stored with it.
    game.SongSha256 = "";
    records.AddGame(game);
  }
  TRecordsDatabase reopened(dbPath);
  TLibraryStore store(reopened);
  const std::vector<TLibraryRow> rows = store.Rows();
  ASSERT_EQ(rows.size(), 3u);
  const TLibraryRow& a = rows[0];
  const TLibraryRow expected = Row((songs / "a.mid").string(), sha, 3.25);
  EXPECT_EQ(a.Path, expected.Path);
  EXPECT_EQ(a.MtimeNs, expected.MtimeNs);
  EXPECT_EQ(a.Facts.Title, expected.Facts.Title);
  EXPECT_EQ(a.Facts.BpmMin, 90.5);
  ASSERT_EQ(a.Facts.Channels.size(), 2u);
  EXPECT_EQ(a.Facts.Channels[1].Channel, 10);
  EXPECT_EQ(a.Facts.Channels[1].FirstProgram, -1);
  EXPECT_EQ(a.Facts.Channels[1].Notes, 100);
  EXPECT_FALSE(a.Error.has_value());
  EXPECT_EQ(a.Games, 1);
  EXPECT_EQ(a.BestGood, 90);
  EXPECT_EQ(a.BestMaxCombo, 44);
  EXPECT_EQ(a.LastPlayedAt, "2026-12-09T10:00:00Z");
  EXPECT_EQ(rows[2].Games, 1);  // the same song under another name (rows in path order)
  const TLibraryRow& broken = rows[1];
  EXPECT_EQ(broken.Path, (songs / "broken\xFF.mid").string());
  EXPECT_EQ(broken.Error, "not a Standard MIDI File");
  EXPECT_EQ(broken.Games, 0);
  EXPECT_TRUE(broken.LastPlayedAt.empty());

  EXPECT_EQ(store.DifficultyOf(sha), 4.5);  // the highest of its paths
  EXPECT_LT(store.DifficultyOf(std::string(64, 'b')), 0);
  int64_t size = 0, mtime = 0;
  ASSERT_TRUE(store.Stamp(a.Path, size, mtime));
  EXPECT_EQ(size, 1234);
  EXPECT_EQ(mtime, expected.MtimeNs);
  store.Remove({a.Path, broken.Path});
  EXPECT_FALSE(store.Stamp(a.Path, size, mtime));
  EXPECT_EQ(store.Paths(), std::vector<std::string>{(songs / "copy of a.mid").string()});
}

TEST_F(LibraryTest, APutThatFailsLeavesNoneOfItsRows) {
  TRecordsDatabase records(dbPath);
  TLibraryStore store(records);
  store.Put({Row("/kept.mid", "k", 1)});
  records.LimitPages(records.Connection().QueryInteger("PRAGMA page_count"));
  std::vector<TLibraryRow> many;
  for (int i = 0; i < 500; ++i) many.push_back(Row("/full/" + std::to_string(i) + ".mid", "f", 1));
  EXPECT_THROW(store.Put(many), ERecordsError);
  EXPECT_EQ(store.Paths(), std::vector<std::string>{"/kept.mid"});
}

}  // namespace
