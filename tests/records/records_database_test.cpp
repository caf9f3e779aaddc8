// The records on real SQLite files: games stored with their options, the
// song summaries and bests, the recent songs, the WAL journal and the
// migration from the first schema.
#include <sqlite3.h>

#include "records/records_database.h"
#include "records/records_schema.h"
#include "records_fixture.h"

namespace {

TEST_F(RecordsTest, TheFileLiesBesideTheSettingsFile) {
  EXPECT_EQ(TRecordsDatabase::PathBesideSettings("/opt/game/bin/pluvionaut.ini"), "/opt/game/bin/pluvionaut.sqlite");
  EXPECT_EQ(TRecordsDatabase::PathBesideSettings("/copy/pluvionaut"), "/copy/pluvionaut.sqlite");
  const std::string now = TRecordsDatabase::NowIso8601();
  ASSERT_EQ(now.size(), 20u);
  EXPECT_EQ(now[4], '-');
  EXPECT_EQ(now[10], 'T');
  EXPECT_EQ(now.back(), 'Z');
}

TEST_F(RecordsTest, AGameRoundTripsWithEveryOption) {
  TGameRecord game = Game("song one", 95, 5, 40, "one.mid");
  game.Options.RainSpeed = 250;
  game.Options.Hidden = true;
  game.Options.LaneMode = kLaneModeSRandom;
  game.Options.Channels[9] = false;
  game.Options.MusicSpeed = 1.5;
  game.Options.BarHalfWidth = 2147483646;
  game.Options.OffsetMs = -30;
  game.Title = "タイトル";
  game.BarInput = kBarInputKeyboard;
  {
    TRecordsDatabase records(dbPath);
    EXPECT_EQ(records.SchemaVersion(), RecordsSchema::kNewestVersion);
    EXPECT_GT(records.AddGame(game), 0);
  }
  TRecordsDatabase reopened(dbPath);
  const std::vector<TGameRecord> games = reopened.GamesOfSong(game.SongSha256);
  ASSERT_EQ(games.size(), 1u);
  const TGameRecord& back = games[0];
  EXPECT_EQ(back.SongSha256, game.SongSha256);
  EXPECT_EQ(back.PlayedAt, game.PlayedAt);
  EXPECT_EQ(back.Path, game.Path);
  EXPECT_EQ(back.Title, "タイトル");
  EXPECT_EQ(back.Good, 95);
  EXPECT_EQ(back.Bad, 5);
  EXPECT_EQ(back.MaxCombo, 40);
  EXPECT_EQ(back.EndTimeMs, 60000);
  EXPECT_EQ(back.Options.RainSpeed, 250);
  EXPECT_TRUE(back.Options.Hidden);
  EXPECT_FALSE(back.Options.Sudden);
  EXPECT_EQ(back.Options.LaneMode, kLaneModeSRandom);
  EXPECT_EQ(back.Options.Channels, game.Options.Channels);
  EXPECT_DOUBLE_EQ(back.Options.MusicSpeed, 1.5);
  EXPECT_EQ(back.Options.BarHalfWidth, 2147483646);
  EXPECT_EQ(back.Options.OffsetMs, -30);
  EXPECT_EQ(back.BarInput, kBarInputKeyboard);
  // The journal is WAL for every connection that opens the file.
  sqlite3* raw = RawConnection();
  EXPECT_EQ(RawText(raw, "PRAGMA journal_mode"), "wal");
  sqlite3_close(raw);
}

TEST_F(RecordsTest, TheSongKeepsItsBestRatioAndCombo_UnderItsNewestName) {
  TRecordsDatabase records(dbPath);
  records.AddGame(Game("the song", 90, 10, 30, "first.mid"));
  records.AddGame(Game("the song", 97, 3, 12, "first.mid"));
  records.AddGame(Game("the song", 194, 6, 25, "renamed.mid"));  // 97 % too: the first one keeps the record
  records.AddGame(Game("another song", 1, 1, 1, "other.mid"));
  const std::optional<TSongSummary> song = records.Song(TSha256::HexOf("the song"));
  ASSERT_TRUE(song.has_value());
  EXPECT_EQ(song->Games, 3);
  EXPECT_EQ(song->BestGood, 97);
  EXPECT_EQ(song->BestBad, 3);
  EXPECT_DOUBLE_EQ(song->BestPercent(), 97.0);
  EXPECT_EQ(song->BestMaxCombo, 30);
  EXPECT_EQ(song->FileName, "renamed.mid");
  EXPECT_FALSE(records.Song(TSha256::HexOf("never played")).has_value());

  const std::vector<TSongSummary> songs = records.Songs();
  ASSERT_EQ(songs.size(), 2u);
  EXPECT_EQ(songs[0].FileName, "other.mid");  // most recently played first
  EXPECT_EQ(records.GameCount(), 4);
  const std::vector<TGameRecord> games = records.GamesOfSong(TSha256::HexOf("the song"));
  ASSERT_EQ(games.size(), 3u);
  EXPECT_EQ(games[0].Good, 194);  // newest first
  EXPECT_EQ(games[2].Good, 90);
}

TEST_F(RecordsTest, RecentSongsAreDistinctNewestFirstAndStillThere) {
  TRecordsDatabase records(dbPath);
  for (int i = 0; i < 12; ++i) {
    records.AddGame(Game("song " + std::to_string(i), 10, 0, 10, "song" + std::to_string(i) + ".mid"));
  }
  records.AddGame(Game("song 3", 5, 5, 2, "song3.mid"));  // played again: first now
  std::filesystem::remove(folder / "song11.mid");         // gone from the disk
  const std::vector<TSongSummary> recent = records.RecentSongs(8, {TSha256::HexOf("song 10")});
  ASSERT_EQ(recent.size(), 8u);
  const char* expected[] = {"song3.mid", "song9.mid", "song8.mid", "song7.mid",
                            "song6.mid", "song5.mid", "song4.mid", "song2.mid"};
  for (size_t i = 0; i < recent.size(); ++i) EXPECT_EQ(recent[i].FileName, expected[i]) << i;
}

TEST_F(RecordsTest, TheFirstSchemaIsMigratedWithItsGames) {
  {
    TSqliteConnection old(dbPath, TRecordsDatabase::kDefaultBusyTimeoutMs);
    RecordsSchema::CreateVersion1(old);
    old.Execute(
        "INSERT INTO games VALUES (1, 'aa', '2026-01-01T10:00:00Z', '/old/a.mid', 'a.mid', 'A', 1000, 8, 2, 5, 100, 0, 0, "
        "'NORMAL', '1111111111111111', 1.0, 15, 0);"
        "INSERT INTO games VALUES (2, 'aa', '2026-01-02T10:00:00Z', '/new/a2.mid', 'a2.mid', 'A', 1000, 9, 1, 3, 100, 0, 0, "
        "'NORMAL', '1111111111111111', 1.0, 15, 0);"
        "INSERT INTO games VALUES (3, 'bb', '2026-01-03T11:00:00Z', '/old/b.mid', 'b.mid', 'B', 1000, 0, 4, 0, 100, 0, 0, "
        "'MIRROR', '1111111111111111', 2.0, 30, 0);");
    EXPECT_EQ(RecordsSchema::Version(old), 1);
  }
  TRecordsDatabase records(dbPath);
  EXPECT_EQ(records.SchemaVersion(), RecordsSchema::kNewestVersion);
  const std::optional<TSongSummary> a = records.Song("aa");
  ASSERT_TRUE(a.has_value());
  EXPECT_EQ(a->Games, 2);
  EXPECT_EQ(a->BestGood, 9);
  EXPECT_EQ(a->BestBad, 1);
  EXPECT_EQ(a->BestMaxCombo, 5);
  EXPECT_EQ(a->FileName, "a2.mid");
  EXPECT_EQ(a->LastPlayedAt, "2026-01-02T10:00:00Z");
  const std::optional<TSongSummary> b = records.Song("bb");
  ASSERT_TRUE(b.has_value());
  EXPECT_EQ(b->BestGood, 0);
  EXPECT_EQ(b->BestBad, 4);
  EXPECT_EQ(records.Songs().front().SongSha256, "bb");  // played last
  // A new game goes on from the migrated summary.
  TGameRecord more = Game("ignored", 10, 0, 10, "a3.mid");
  more.SongSha256 = "aa";
  records.AddGame(more);
  EXPECT_EQ(records.Song("aa")->Games, 3);
  EXPECT_EQ(records.Song("aa")->BestMaxCombo, 10);
  EXPECT_EQ(records.GamesOfSong("aa").size(), 3u);
  // The games of before the bar's input was kept were the mouse's.
  for (const TGameRecord& game : records.GamesOfSong("bb")) EXPECT_EQ(game.BarInput, kBarInputMouse);
  for (const TGameRecord& game : records.GamesOfSong("aa")) EXPECT_FALSE(game.Practice);  // none was one
  // The song library starts empty beside the migrated games.
  EXPECT_EQ(records.Connection().QueryInteger("SELECT COUNT(*) FROM library"), 0);
}

TEST_F(RecordsTest, APracticeGameIsKeptWithItsRangeAndSpeedAndIsNeverABestOrACountedGame) {
  TRecordsDatabase records(dbPath);
  TGameRecord practised = Game("song", 40, 0, 40, "s.mid");
  practised.Practice = true;
  practised.PracticeFromMs = 12000;
  practised.PracticeToMs = 18500;
  practised.PracticeSpeed = 0.75;
  records.AddGame(practised);  // a song only practised is listed with no games
  ASSERT_TRUE(records.Song(practised.SongSha256).has_value());
  EXPECT_EQ(records.Song(practised.SongSha256)->Games, 0);
  EXPECT_EQ(records.Song(practised.SongSha256)->BestGood, 0);
  records.AddGame(Game("song", 5, 5, 3, "s.mid"));
  records.AddGame(practised);  // better than the real game, and still no best
  const std::optional<TSongSummary> song = records.Song(practised.SongSha256);
  EXPECT_EQ(song->Games, 1);
  EXPECT_EQ(song->BestGood, 5);
  EXPECT_EQ(song->BestMaxCombo, 3);
  const std::vector<TGameRecord> games = records.GamesOfSong(practised.SongSha256);
  ASSERT_EQ(games.size(), 3u);
  EXPECT_TRUE(games[0].Practice);
  EXPECT_EQ(games[0].PracticeFromMs, 12000);
  EXPECT_EQ(games[0].PracticeToMs, 18500);
  EXPECT_DOUBLE_EQ(games[0].PracticeSpeed, 0.75);
  EXPECT_FALSE(games[1].Practice);
}

TEST(RecordsRatioTest, BetterRatioComparesExactly) {
  EXPECT_TRUE(BetterRatio(97, 3, 96, 4));
  EXPECT_FALSE(BetterRatio(194, 6, 97, 3));  // equal is not better
  EXPECT_TRUE(BetterRatio(1, 0, 2147483646, 1));
  EXPECT_FALSE(BetterRatio(0, 0, 0, 5));   // nothing judged beats nothing
  EXPECT_TRUE(BetterRatio(0, 5, 0, 0));
  EXPECT_DOUBLE_EQ(GoodPercent(0, 0), 0.0);
  EXPECT_DOUBLE_EQ(GoodPercent(1, 3), 25.0);
}

}  // namespace
