// The game as a player meets it, on a private X display: the first start,
// a game of a short tutorial song chosen from the menu by keyboard with the
// mouse moving over the rain, the unlock box after it, closing, and a restart
// that reads the play count back and offers Open. Screenshots of the title,
// the play field and the result screen are kept in build/e2e_screenshots/.
// Skipped when Xvfb, xdotool or ImageMagick's import is missing. Every wait
// is bounded; nothing depends on how fast the machine is.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "child_process.h"
#include "game_session.h"
#include "song_bytes.h"
#include "platform/kernel/cp932.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

constexpr int kGameLimitMs = 60000;
constexpr int kExitLimitMs = 30000;
constexpr int kBoxLimitMs = 10000;
// The song: one note every eighth at 120 bpm for six seconds.
constexpr int kDivision = 480;
constexpr int kEighth = kDivision / 2;
constexpr int kSongNotes = 24;
// Client area of the window and the status bar lying over its last rows.
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
constexpr int kStatusBarHeight = 19;
// Share of the drawing that must differ between the play field and the result screen.
constexpr double kResultDiffers = 0.05;

// A format-0 Standard MIDI File of about six seconds: track name, tempo,
// piano, then an arpeggio on channel 1 spread over the middle of the field.
std::vector<uint8_t> ShortSong() {
  std::vector<uint8_t> track;
  const std::string name = "e2e";
  PutVarLen(track, 0);
  track.insert(track.end(), {0xFF, 0x03, static_cast<uint8_t>(name.size())});
  track.insert(track.end(), name.begin(), name.end());
  PutVarLen(track, 0);
  track.insert(track.end(), {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500000 us per quarter
  PutVarLen(track, 0);
  track.insert(track.end(), {0xC0, 0x00});
  const uint8_t notes[] = {48, 60, 64, 67, 72, 76, 79, 84};
  for (int i = 0; i < kSongNotes; ++i) {
    const uint8_t note = notes[i % std::size(notes)];
    PutVarLen(track, i == 0 ? static_cast<uint32_t>(kDivision) : 0u);
    track.insert(track.end(), {0x90, note, 100});
    PutVarLen(track, kEighth);
    track.insert(track.end(), {0x80, note, 0});
  }
  PutVarLen(track, kDivision);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  return Format0File(track, kDivision);
}

int DistinctColours(const QImage& image, int limit) {
  std::vector<QRgb> seen;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QRgb c = image.pixel(x, y);
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) {
        seen.push_back(c);
        if (static_cast<int>(seen.size()) >= limit) return limit;
      }
    }
  }
  return static_cast<int>(seen.size());
}

double DifferingShare(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 1.0;
  int64_t differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) differing += a.pixel(x, y) != b.pixel(x, y);
  }
  return static_cast<double>(differing) / (static_cast<double>(a.width()) * a.height());
}

// The games in the records, read as any other program reads them (the
// sqlite3 command, say): its own connection, closed at once. -1 when the
// file cannot be read.
int64_t GamesInRecords(const fs::path& database) {
  sqlite3* db = nullptr;
  int64_t games = -1;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* count = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM games", -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW) {
      games = sqlite3_column_int64(count, 0);
    }
    sqlite3_finalize(count);
  }
  sqlite3_close(db);
  return games;
}

int PlayCountIn(const fs::path& settings) {
  const std::string text = ReadBytes(settings);
  const std::string key = Utf8ToCp932("プレイ回数") + "=";
  const size_t at = text.find(key);
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + key.size());
}

// Dark pixels (text) in the status bar's rows.
int DarkPixels(const QImage& image) {
  int dark = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 96;
  }
  return dark;
}

class EndToEndTest : public TGameSessionTest {
 protected:
  // The game's own folder, with a short tutorial song.
  void SetUp() override { StartSession("pluv_e2e", ShortSong()); }

  // The window's client area (the 640 x 480 drawing) from a screen shot.
  QImage Client(const QImage& screen, const std::string& window) const {
    const QRect frame = m_x.Geometry(window);
    if (frame.isNull() || screen.isNull()) return {};
    // The drawing fills the window's bottom 480 rows under the menu bar.
    return screen.copy(frame.x(), frame.y() + frame.height() - kClientHeight, kClientWidth, kClientHeight);
  }
  // Plays the loaded song from the menu without catching anything and waits
  // for the play count to reach count; an unlock box on the way is closed.
  bool PlayToTheEnd(const std::string& window, int count) {
    m_x.Focus(window);
    m_x.Keys({"alt+p", "p"});
    return WaitUntil(kGameLimitMs, [&] {
      for (const std::string& box : m_x.FindWindows("隠し機能出現")) {
        m_x.Focus(box);
        m_x.Keys({"Return"});
      }
      return PlayCountIn(m_folder / "pluvionaut.ini") >= count || !m_game.Running();
    }, 300);
  }
  // Quits from the menu; true when the game ended cleanly (exit code 0).
  bool CloseGame(const std::string& window) {
    m_x.Focus(window);
    m_x.Keys({"alt+f", "x"});
    int status = 0;
    return m_game.WaitForExit(kExitLimitMs, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

};

TEST_F(EndToEndTest, AFirstGameUnlocksOpenAndTheCountSurvivesARestart) {
  std::string window = StartGame();
  ASSERT_FALSE(window.empty()) << "no game window appeared";
  m_x.Focus(window);
  // The title screen once the first frames are in.
  QImage title;
  WaitUntil(kWindowLimitMs, [&] {
    title = Client(m_x.Screenshot(Shot("title.png")), window);
    return !title.isNull() && DistinctColours(title, 8) >= 8;
  }, 500);
  ASSERT_FALSE(title.isNull());
  EXPECT_GE(DistinctColours(title, 8), 8) << "the title screen is blank";
  EXPECT_GT(DarkPixels(title.copy(0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight)), 0)
      << "the status bar shows no text";

  // Play, from the keyboard: 再生(&P) > 再生(&P).
  m_x.Keys({"alt+p", "p"});
  const QRect frame = m_x.Geometry(window);
  const int barY = frame.y() + frame.height() - kClientHeight + 420;
  QImage playField;
  std::vector<std::string> boxes;
  int moves = 0;
  const bool ended = WaitUntil(kGameLimitMs, [&] {
    // The bar sweeps over the lanes of the song's notes.
    m_x.MoveMouse(frame.x() + 240 + (moves * 37) % 200, barY);
    ++moves;
    if (moves == 25) playField = Client(m_x.Screenshot(Shot("play_field.png")), window);
    boxes = m_x.FindWindows("隠し機能出現");
    return !boxes.empty() || !m_game.Running();
  }, 150);
  ASSERT_TRUE(m_game.Running()) << "the game ended during play";
  ASSERT_TRUE(ended) << "no unlock box after the first game";
  ASSERT_FALSE(playField.isNull());
  EXPECT_GE(DistinctColours(playField, 8), 8) << "the play field is blank";

  // The unlock box goes with Return.
  m_x.Focus(boxes.front());
  m_x.Keys({"Return"});
  EXPECT_TRUE(WaitUntil(kBoxLimitMs, [&] { return m_x.FindWindows("隠し機能出現").empty(); }))
      << "the unlock box stayed";
  m_x.Focus(window);
  QImage result;
  WaitUntil(kBoxLimitMs, [&] {
    result = Client(m_x.Screenshot(Shot("result.png")), window);
    return DifferingShare(result, playField) > kResultDiffers;
  }, 500);
  EXPECT_GT(DifferingShare(result, playField), kResultDiffers) << "the result screen looks like the play field";
  EXPECT_GE(DistinctColours(result, 8), 8);

  ASSERT_TRUE(CloseGame(window)) << "the game did not close cleanly";
  const std::string settings = ReadBytes(m_folder / "pluvionaut.ini");
  EXPECT_NE(settings.find(Utf8ToCp932("プレイ回数") + "=1\r\n"), std::string::npos) << settings;

  // The restart offers Open: its dialog comes up from the keyboard.
  window = StartGame();
  ASSERT_FALSE(window.empty()) << "no game window after the restart";
  m_x.Focus(window);
  const size_t before = m_x.WindowsOfProcess(m_game.Pid()).size();
  m_x.Keys({"alt+f", "o"});
  EXPECT_TRUE(WaitUntil(kBoxLimitMs, [&] { return m_x.WindowsOfProcess(m_game.Pid()).size() > before; }))
      << "Open brought up no dialog";
  m_x.Screenshot(Shot("open_dialog.png"));
  m_x.Keys({"Escape"});
  EXPECT_TRUE(CloseGame(window));
}

// The Open dialog lists the game's own folder, the records file among the
// rest; a game is played; another program reads the records while the game
// runs; two more games; then the game is killed. Every game must be in the
// file: nothing the dialog does to the records' files may let the outside
// reader take them for unused and fold away the journal the game writes to.
TEST_F(EndToEndTest, EveryGameSurvivesTheOpenDialogAnOutsideReaderAndAKill) {
  const fs::path records = m_folder / "pluvionaut.sqlite";
  std::ofstream(m_folder / "pluvionaut.ini", std::ios::binary)
      << Utf8ToCp932("[システムデータ]\r\nプレイ回数=1\r\n");
  const std::vector<uint8_t> song = ShortSong();
  std::ofstream(m_folder / "song.mid", std::ios::binary)
      .write(reinterpret_cast<const char*>(song.data()), static_cast<std::streamsize>(song.size()));
  std::string window = StartGame();
  ASSERT_FALSE(window.empty()) << "no game window appeared";
  ASSERT_TRUE(WaitUntil(kWindowLimitMs, [&] { return fs::exists(records); })) << "no records file";

  // File > Open, into the game's folder (listed, the records' files with it), then the song.
  m_x.Focus(window);
  const size_t before = m_x.WindowsOfProcess(m_game.Pid()).size();
  m_x.Keys({"alt+f", "o"});
  ASSERT_TRUE(WaitUntil(kBoxLimitMs, [&] { return m_x.WindowsOfProcess(m_game.Pid()).size() > before; }))
      << "Open brought up no dialog";
  m_x.XDoTool({"type", "--delay", "30", m_folder.string() + "/"});
  m_x.Keys({"Return"});
  // The folder's listing is read while the dialog shows it.
  WaitUntil(2000, [] { return false; });
  m_x.Screenshot(Shot("open_dialog_game_folder.png"));
  m_x.XDoTool({"type", "--delay", "30", "song.mid"});
  m_x.Keys({"Return"});
  ASSERT_TRUE(WaitUntil(kBoxLimitMs, [&] { return !m_x.FindWindows("^song.mid \\[e2e\\]").empty(); }))
      << "the song was not opened";

  // The play count is written as a game ends, its record a moment later:
  // the outside reader looks until it sees the game (each look its own
  // connection, opened and closed).
  ASSERT_TRUE(PlayToTheEnd(window, 2)) << "the first game did not end";
  ASSERT_TRUE(m_game.Running());
  EXPECT_TRUE(WaitUntil(kBoxLimitMs, [&] { return GamesInRecords(records) == 1; }, 200))
      << "the outside reader does not see the first game";
  ASSERT_TRUE(PlayToTheEnd(window, 3)) << "the second game did not end";
  ASSERT_TRUE(PlayToTheEnd(window, 4)) << "the third game did not end";
  ASSERT_TRUE(WaitUntil(kBoxLimitMs, [&] { return GamesInRecords(records) == 3; }, 200))
      << "the third game was not recorded";
  ASSERT_TRUE(m_game.Running());

  ASSERT_EQ(kill(m_game.Pid(), SIGKILL), 0);
  int status = 0;
  ASSERT_TRUE(m_game.WaitForExit(kExitLimitMs, status));
  EXPECT_EQ(PlayCountIn(m_folder / "pluvionaut.ini"), 4);
  EXPECT_EQ(GamesInRecords(records), 3) << "games were lost";
}

}  // namespace
