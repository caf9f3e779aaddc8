// The records when the file cannot serve: no way to open it, a corrupt
// file, a lock held by another connection, a full disk, a newer schema,
// and a game killed while it writes (at most that one game is lost).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sqlite3.h>

#include "records/records_database.h"
#include "records_fixture.h"

namespace {

TRecordsFailure FailureOpening(const std::string& path) {
  try {
    TRecordsDatabase records(path);
    records.SchemaVersion();
  } catch (const ERecordsError& error) {
    return error.Failure();
  }
  ADD_FAILURE() << "opening " << path << " did not fail";
  return TRecordsFailure::Other;
}

TEST_F(RecordsTest, AFolderInTheFilesPlaceCannotBeOpened) {
  // Tests run as root, who may write anywhere: a folder where the file
  // should be is what no one can open as a database.
  std::filesystem::create_directory(dbPath);
  EXPECT_EQ(FailureOpening(dbPath), TRecordsFailure::CannotOpen);
  EXPECT_EQ(FailureOpening((folder / "missing" / "folder" / "x.sqlite").string()), TRecordsFailure::CannotOpen);
}

TEST_F(RecordsTest, ACorruptFileIsRefusedAndLeftAsItWas) {
  const std::string garbage(8192, 'x');
  std::ofstream(dbPath, std::ios::binary) << garbage;
  EXPECT_EQ(FailureOpening(dbPath), TRecordsFailure::Corrupt);
  std::ifstream file(dbPath, std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(after, garbage);
}

TEST_F(RecordsTest, ALockHeldByAnotherConnectionFailsTheWriteAndLosesNothing) {
  TRecordsDatabase records(dbPath, 20);
  records.AddGame(Game("song", 1, 1, 1, "a.mid"));
  sqlite3* other = RawConnection();
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  try {
    records.AddGame(Game("song", 2, 0, 2, "a.mid"));
    ADD_FAILURE() << "the write went through a held lock";
  } catch (const ERecordsError& error) {
    EXPECT_EQ(error.Failure(), TRecordsFailure::Locked) << error.what();
  }
  // Readers still read in WAL mode while the other holds its lock.
  EXPECT_EQ(records.GameCount(), 1);
  ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
  records.AddGame(Game("song", 3, 0, 3, "a.mid"));
  EXPECT_EQ(records.GameCount(), 2);
  EXPECT_EQ(records.Song(TSha256::HexOf("song"))->Games, 2);
}

TEST_F(RecordsTest, AFullDiskFailsTheWriteAndKeepsTheEarlierGames) {
  TRecordsDatabase records(dbPath);
  records.AddGame(Game("song", 1, 1, 1, "a.mid"));
  sqlite3* other = RawConnection();
  const int64_t pages = std::stoll(RawText(other, "PRAGMA page_count"));
  sqlite3_close(other);
  records.LimitPages(pages);
  TGameRecord big = Game("song", 2, 0, 2, "a.mid");
  big.Title = std::string(64 * 1024, 't');  // needs pages the file may not have
  try {
    records.AddGame(big);
    ADD_FAILURE() << "the write went past the file's limit";
  } catch (const ERecordsError& error) {
    EXPECT_EQ(error.Failure(), TRecordsFailure::Full) << error.what();
  }
  EXPECT_EQ(records.GameCount(), 1);
  EXPECT_EQ(records.Song(TSha256::HexOf("song"))->Games, 1);
}

TEST_F(RecordsTest, RecordsOfANewerGameAreLeftAlone) {
  {
    TRecordsDatabase records(dbPath);
  }
  sqlite3* other = RawConnection();
  ASSERT_EQ(sqlite3_exec(other, "PRAGMA user_version = 99", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
  EXPECT_EQ(FailureOpening(dbPath), TRecordsFailure::NewerSchema);
  other = RawConnection();
  EXPECT_EQ(RawText(other, "PRAGMA user_version"), "99");
  sqlite3_close(other);
}

TEST_F(RecordsTest, KillingTheWriterLosesAtMostTheGameBeingWritten) {
  int acknowledgements[2];
  ASSERT_EQ(pipe(acknowledgements), 0);
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    // The child writes games as fast as it can and reports each one stored.
    close(acknowledgements[0]);
    try {
      TRecordsDatabase records(dbPath);
      for (int i = 0;; ++i) {
        records.AddGame(Game("song " + std::to_string(i % 50), i, 1, i, "s.mid"));
        const char stored = 1;
        if (write(acknowledgements[1], &stored, 1) != 1) _exit(1);
      }
    } catch (...) {
      _exit(2);
    }
  }
  close(acknowledgements[1]);
  constexpr int kStoredBeforeKill = 200;
  int stored = 0;
  char byte = 0;
  while (stored < kStoredBeforeKill && read(acknowledgements[0], &byte, 1) == 1) ++stored;
  kill(writer, SIGKILL);
  // Reports written before the kill still count: they were all committed.
  while (read(acknowledgements[0], &byte, 1) == 1) ++stored;
  close(acknowledgements[0]);
  int status = 0;
  waitpid(writer, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself: " << status;
  ASSERT_EQ(stored >= kStoredBeforeKill, true);

  TRecordsDatabase records(dbPath);
  sqlite3* check = RawConnection();
  EXPECT_EQ(RawText(check, "PRAGMA integrity_check"), "ok");
  sqlite3_close(check);
  const int64_t games = records.GameCount();
  EXPECT_GE(games, stored);
  EXPECT_LE(games, stored + 1);
  // The summaries agree with the games: no half-written game.
  int64_t summed = 0;
  for (const TSongSummary& song : records.Songs()) summed += song.Games;
  EXPECT_EQ(summed, games);
}

}  // namespace

// Another program reads the records (the sqlite3 command, say) after
// something in the game opened and closed the records' files on its own,
// as a file dialog reading the folder does; then the game is killed.
TEST_F(RecordsTest, AStrayCloseInTheGameLetsNoOtherReaderFoldAwayGamesStillToCome) {
  int steps[2];
  int go[2];
  ASSERT_EQ(pipe(steps), 0);
  ASSERT_EQ(pipe(go), 0);
  const pid_t game = fork();
  ASSERT_GE(game, 0);
  if (game == 0) {
    close(steps[0]);
    close(go[1]);
    char byte = 1;
    try {
      TRecordsDatabase records(dbPath);
      records.AddGame(Game("song", 1, 1, 1, "a.mid"));
      for (const char* companion : {"", "-wal", "-shm"}) {
        std::ifstream stray(dbPath + companion, std::ios::binary);
        stray.get();
      }
      if (write(steps[1], &byte, 1) != 1 || read(go[0], &byte, 1) != 1) _exit(1);
      records.AddGame(Game("song", 2, 0, 2, "a.mid"));
      records.AddGame(Game("song", 3, 0, 3, "a.mid"));
      if (write(steps[1], &byte, 1) != 1) _exit(1);
      pause();
    } catch (...) {
      _exit(2);
    }
  }
  close(steps[1]);
  close(go[0]);
  char byte = 0;
  ASSERT_EQ(read(steps[0], &byte, 1), 1);
  sqlite3* reader = RawConnection();
  EXPECT_EQ(RawText(reader, "SELECT count(*) FROM games"), "1");
  sqlite3_close(reader);
  ASSERT_EQ(write(go[1], &byte, 1), 1);
  ASSERT_EQ(read(steps[0], &byte, 1), 1);
  kill(game, SIGKILL);
  int status = 0;
  waitpid(game, &status, 0);
  close(steps[0]);
  close(go[1]);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the game ended by itself: " << status;

  TRecordsDatabase records(dbPath);
  EXPECT_EQ(records.GameCount(), 3);
  EXPECT_TRUE(records.HoldsPresenceLocks());
}
