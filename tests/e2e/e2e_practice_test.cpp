// Practice as a player meets it, on a private X display: 練習モード checked
// from the 再生 menu by keyboard, a game of a 30-second song, A and B set
// with [ and ] while the bar misses every drop, three passes of the loop
// seen in status panel 0 (each pass begins with its own count-in, where the
// panel stands still on "N回目: Good 0 / Bad 0"), Stop, and then the records
// hold the practice game while the play count is where it was. Shots of the
// panel at each pass go to build/e2e_screenshots/. Skipped like the other
// end-to-end tests; every wait is bounded.
#include <gtest/gtest.h>

#include <QImage>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "child_process.h"
#include "game_session.h"
#include "song_bytes.h"
#include "platform/kernel/cp932.h"
#include "records/records_database.h"
#include "records/sha256.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPassesLimitMs = 60000;
constexpr int kExitLimitMs = 30000;
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
constexpr int kStatusBarHeight = 19;
constexpr int kHintPanelWidth = 330;
// A count-in lasts a second; the drops, one every 250 ms, change the panel
// far more often than this while the song runs.
constexpr int kStandsStillMs = 600;
constexpr int kDivision = 480;
constexpr int kSixteenthTicks = kDivision / 4;  // 125 ms at 120 bpm
constexpr int kNotes = 120;                     // 30 s

// One note every 250 ms for 30 s, on pitches spread over the field.
std::vector<uint8_t> PracticeSong() {
  std::vector<uint8_t> track;
  PutVarLen(track, 0);
  track.insert(track.end(), {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500000 us per quarter
  const uint8_t notes[] = {48, 55, 60, 64, 67, 72, 76, 79};
  for (int i = 0; i < kNotes; ++i) {
    const uint8_t note = notes[i % std::size(notes)];
    PutVarLen(track, i == 0 ? static_cast<uint32_t>(kDivision) : static_cast<uint32_t>(kSixteenthTicks));
    track.insert(track.end(), {0x90, note, 100});
    PutVarLen(track, kSixteenthTicks);
    track.insert(track.end(), {0x80, note, 0});
  }
  PutVarLen(track, kDivision);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});
  return Format0File(track, kDivision);
}

class EndToEndPracticeTest : public TGameSessionTest {
 protected:
  void SetUp() override {
    m_song = PracticeSong();
    StartSession("pluv_e2e_practice", m_song);
    if (IsSkipped() || HasFatalFailure()) return;
    // A player who has finished a game and turned 練習モード on.
    WriteSettings("[システムデータ]\r\nプレイ回数=1\r\n[拡張設定]\r\n練習モード=1\r\n");
  }

  // Status panel 0 of the window from a screen shot.
  QImage HintPanel(const QImage& screen, const std::string& window) const {
    const QRect frame = m_x.Geometry(window);
    if (frame.isNull() || screen.isNull()) return {};
    const int top = frame.y() + frame.height() - kStatusBarHeight;
    return screen.copy(frame.x(), top, kHintPanelWidth, kStatusBarHeight);
  }

  std::vector<uint8_t> m_song;
};

TEST_F(EndToEndPracticeTest, ThreePassesOfALoopAreSeenAndThePracticeGameIsRecordedWithoutAPlayCount) {
  const std::string window = StartGame();
  ASSERT_FALSE(window.empty()) << "no game window appeared";
  m_x.Focus(window);
  m_x.Keys({"alt+p", "p"});
  // Every drop missed: the bar stays at the far left.
  const QRect frame = m_x.Geometry(window);
  m_x.MoveMouse(frame.x() + 1, frame.y() + frame.height() - kClientHeight + 420);
  // A a little into the song, B three seconds later.
  std::this_thread::sleep_for(std::chrono::seconds(4));
  m_x.Keys({"bracketleft"});
  std::this_thread::sleep_for(std::chrono::seconds(3));
  // The panel before B: the practice speed, standing still too.
  const QImage beforeTheLoop = HintPanel(m_x.Screenshot(""), window);
  m_x.Keys({"bracketright"});

  // The panel standing still marks the count-in of a pass; each pass shows its own number.
  std::vector<QImage> passes;
  QImage last;
  auto lastChange = std::chrono::steady_clock::now();
  bool counted = false;
  WaitUntil(kPassesLimitMs, [&] {
    const QImage panel = HintPanel(m_x.Screenshot(""), window);
    const auto now = std::chrono::steady_clock::now();
    if (panel != last) {
      last = panel;
      lastChange = now;
      counted = false;
    } else if (!counted && now - lastChange >= std::chrono::milliseconds(kStandsStillMs)) {
      counted = true;
      if (panel != beforeTheLoop && (passes.empty() || passes.back() != panel)) passes.push_back(panel);
    }
    return passes.size() >= 3 || !m_game.Running();
  }, 50);
  ASSERT_TRUE(m_game.Running()) << "the game ended during practice";
  ASSERT_GE(passes.size(), 3u) << "fewer than three passes were seen";
  for (size_t i = 0; i < passes.size(); ++i) {
    passes[i].save(QString::fromStdString(Shot("practice_pass" + std::to_string(i + 1) + ".png")));
  }
  EXPECT_NE(passes[0], passes[2]);
  m_x.Screenshot(Shot("practice.png"));

  // Stop ends the practice game; then the game closes.
  m_x.Focus(window);
  m_x.Keys({"alt+p", "s"});
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  m_x.Keys({"alt+f", "x"});
  int status = 0;
  ASSERT_TRUE(m_game.WaitForExit(kExitLimitMs, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0);

  const std::string settings = ReadBytes(m_folder / "pluvionaut.ini");
  EXPECT_NE(settings.find(Utf8ToCp932("プレイ回数") + "=1\r\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find(Utf8ToCp932("練習モード") + "=1\r\n"), std::string::npos) << settings;
  TRecordsDatabase records((m_folder / "pluvionaut.sqlite").string());
  const std::string sha = TSha256::HexOf(std::string(m_song.begin(), m_song.end()));
  const std::vector<TGameRecord> games = records.GamesOfSong(sha);
  ASSERT_EQ(games.size(), 1u);
  EXPECT_TRUE(games[0].Practice);
  EXPECT_GT(games[0].Bad, 0);
  EXPECT_GE(games[0].PracticeToMs - games[0].PracticeFromMs, 2000);
}

}  // namespace
