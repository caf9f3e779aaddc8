// The song library as a player meets it, on a private X display: a folder
// of three corpus songs set in 拡張設定 is scanned at start-up into the
// records database with the lengths and note counts smfdump reports; the
// 曲ライブラリ window (Ctrl+L) narrows them with a filter, and Enter opens
// the one left, whose name the caption then shows. Skipped like the other
// end-to-end tests; every wait is bounded.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "child_process.h"
#include "game_session.h"
#include "song_bytes.h"
#include "x_session.h"
#include "tests/support/corpus.h"

namespace fs = std::filesystem;

namespace {

constexpr int kScanLimitMs = 60000;
constexpr int kExitLimitMs = 30000;

struct TListed {
  long long LengthMs = -1;
  long long Notes = -1;
};

// The playable rows of the library, by file name; empty while the database
// or its table is not there yet.
std::map<std::string, TListed> ListedSongs(const fs::path& database) {
  std::map<std::string, TListed> listed;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return listed;
  }
  sqlite3_busy_timeout(db, 2000);
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT path, length_ms, notes FROM library WHERE error IS NULL", -1, &statement,
                         nullptr) == SQLITE_OK) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      const auto* path = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
      listed[fs::path(path != nullptr ? path : "").filename().string()] = {sqlite3_column_int64(statement, 1),
                                                                         sqlite3_column_int64(statement, 2)};
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return listed;
}

// endtime= and notes= of smfdump's summary of the file.
TListed Summary(const fs::path& song) {
  const TCommandResult run = RunCommand({std::string(PLUV_BIN_DIR) + "/smfdump", "--summary", song.string()},
                                        EnvironmentWith({}), 30000);
  TListed summary;
  const size_t end = run.Output.find("endtime=");
  const size_t notes = run.Output.find("notes=");
  if (end != std::string::npos) summary.LengthMs = std::stoll(run.Output.substr(end + 8));
  if (notes != std::string::npos) summary.Notes = std::stoll(run.Output.substr(notes + 6));
  return summary;
}

// The tutorial song of the folder: one note.
std::vector<uint8_t> OneNoteSong() {
  std::vector<uint8_t> track;
  PutVarLen(track, 0);
  track.insert(track.end(), {0x90, 60, 100});
  PutVarLen(track, 480);
  track.insert(track.end(), {0x80, 60, 0});
  PutVarLen(track, 0);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  return Format0File(track, 480);
}

class EndToEndLibraryTest : public TGameSessionTest {};

TEST_F(EndToEndLibraryTest, TheScannedFolderIsListedFilteredAndItsSongOpened) {
  PLUV_SKIP_WITHOUT_CORPUS();
  StartSession("pluv_e2e_library", OneNoteSong());
  if (IsSkipped() || HasFatalFailure()) return;
  const fs::path songs = m_folder / "songs";
  fs::create_directories(songs / "piano");
  const fs::path corpus = PLUV_CORPUS_DIR "/midi";
  fs::copy_file(corpus / "tonejs-midi/bach/bach_846.mid", songs / "piano/bach_846.mid");
  fs::copy_file(corpus / "midly/Clementi.mid", songs / "Clementi.mid");
  fs::copy_file(corpus / "jazz-soft-test-midi-files/test-c-major-scale.mid", songs / "test-c-major-scale.mid");
  // A player who has finished a game, so Open and the library are there.
  WriteSettings("[システムデータ]\r\nプレイ回数=1\r\n[拡張設定]\r\n曲フォルダ=" + songs.string() + "\r\n");

  const std::string window = StartGame();
  ASSERT_FALSE(window.empty()) << "no game window appeared";

  // The start-up refresh fills the table without the window being asked for.
  std::map<std::string, TListed> listed;
  WaitUntil(kScanLimitMs, [&] {
    listed = ListedSongs(m_folder / "pluvionaut.sqlite");
    return listed.size() >= 3 || !m_game.Running();
  }, 250);
  ASSERT_EQ(listed.size(), 3u) << "the start-up scan did not list the folder's songs";
  for (const char* name : {"bach_846.mid", "Clementi.mid", "test-c-major-scale.mid"}) {
    const fs::path file = name == std::string("bach_846.mid") ? songs / "piano" / name : songs / name;
    const TListed summary = Summary(file);
    ASSERT_GT(summary.Notes, 0) << name;
    EXPECT_EQ(listed[name].LengthMs, summary.LengthMs) << name;
    EXPECT_EQ(listed[name].Notes, summary.Notes) << name;
  }

  m_x.Focus(window);
  m_x.Keys({"ctrl+l"});
  std::vector<std::string> library;
  WaitUntil(kWindowLimitMs, [&] {
    library = m_x.FindWindows("^曲ライブラリ$");
    return !library.empty();
  });
  ASSERT_FALSE(library.empty()) << "the song-select window did not appear";
  m_x.Screenshot(Shot("library.png"));
  // The filter box has the keyboard when the window opens; bach's prelude is
  // the only one of the three with over a thousand notes.
  m_x.Focus(library.front());
  m_x.XDoTool({"type", "--delay", "20", "notes>1000"});
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  m_x.Screenshot(Shot("library_filtered.png"));
  m_x.Keys({"Return"});
  std::vector<std::string> opened;
  WaitUntil(kWindowLimitMs, [&] {
    opened = m_x.FindWindows("^bach_846\\.mid \\[");
    return !opened.empty();
  });
  EXPECT_FALSE(opened.empty()) << "the caption does not show the opened song";
  EXPECT_TRUE(m_x.FindWindows("^曲ライブラリ$").empty()) << "the window stayed open";

  m_x.Focus(window);
  m_x.Keys({"alt+f", "x"});
  int status = 0;
  ASSERT_TRUE(m_game.WaitForExit(kExitLimitMs, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
