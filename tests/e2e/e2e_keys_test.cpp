// The bar by keyboard in the built game on a private X display: Right held
// for half a second moves the bar by about 312 px at x1, and a bar brought
// under the drops by the keys alone catches them while the pointer stays
// off the window. Skipped when Xvfb, xdotool or ImageMagick's import is
// missing. Every wait is bounded.
#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
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
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr int kStatusBarHeight = 19;
constexpr int kBarTopY = 400;
// Half a second of walking at 0.625 px/ms.
constexpr int kHeldMs = 500;
constexpr int kWalkedPx = 312;
// The key events' own delivery may add a frame or two of walking.
constexpr int kWalkSlackPx = 20;
// Every note falls in lane 63, centred at x = 63 * 5 + 2 = 317: where the
// bar stands after the walk from the pointer near the left edge.
constexpr int kNote = 63;
constexpr int kDivision = 480;
constexpr int kSongNotes = 6;
constexpr int kGoodPanelLeft = 370;
constexpr int kBadPanelLeft = 440;
constexpr int kReadoutPanelWidth = 70;

// A format-0 song: after four silent seconds, one note a quarter (120 bpm)
// on one key.
std::vector<uint8_t> OneLaneSong() {
  std::vector<uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x00,
                                0x9E, 0x00, 0x80, kNote + 1, 0};
  for (int i = 0; i < kSongNotes; ++i) {
    track.insert(track.end(), {0x83, 0x60, 0x90, kNote, 100, 0x83, 0x60, 0x80, kNote, 0});
  }
  track.insert(track.end(), {0x83, 0x60, 0xFF, 0x2F, 0x00});
  return Format0File(track, kDivision);
}

class KeyboardBarTest : public TGameSessionTest {
 protected:
  void SetUp() override {
    StartSession("pluv_e2e_keys", OneLaneSong());
    if (IsSkipped() || HasFatalFailure()) return;
    WriteSettings("[システムデータ]\r\nルフナボイス=0\r\n");
  }

};

}  // namespace

TEST_F(KeyboardBarTest, RightHeldHalfASecondWalksAbout312PixelsAndTheKeysCatchTheDrops) {
  ASSERT_TRUE(m_game.Start({(m_folder / "pluvionaut").string()}, m_x.Environment(), m_folder.string()));
  std::string window;
  WaitUntil(kWindowLimitMs, [&] {
    const std::vector<std::string> found = m_x.FindWindows("^Pluvionaut$");
    if (!found.empty()) window = found.front();
    return !window.empty() || !m_game.Running();
  });
  ASSERT_FALSE(window.empty()) << "no game window appeared";
  m_x.Focus(window);
  const QRect frame = m_x.Geometry(window);
  const QRect picture(frame.x(), frame.y() + frame.height() - kPictureHeight, kPictureWidth, kPictureHeight);
  // The pointer waits near the field's left edge, above the bar, and never
  // moves again: the keys take the bar where it stands.
  constexpr int kPointerX = 5;
  m_x.MoveMouse(picture.x() + kPointerX, picture.y() + kBarTopY - 100);
  const auto barCentre = [&](const QImage& screen) {
    int sum = 0;
    int count = 0;
    for (int x = 0; x < kPictureWidth; ++x) {
      const QColor c = screen.pixelColor(picture.x() + x, picture.y() + kBarTopY + 2);
      if (c.red() > 180 && c.green() < 90 && c.blue() < 90) {
        sum += x;
        ++count;
      }
    }
    return count > 0 ? sum / count : -1000;
  };
  const auto readouts = [&](const QImage& screen, int panelLeft) {
    return screen.copy(picture.x() + panelLeft, picture.bottom() + 1 - kStatusBarHeight, kReadoutPanelWidth,
                       kStatusBarHeight);
  };
  m_x.Keys({"alt+p", "p"});
  // The game runs: the bar is drawn under the pointer.
  int start = -1000;
  QImage before;  // Good and Bad at 0
  ASSERT_TRUE(WaitUntil(kWindowLimitMs, [&] {
    before = m_x.Screenshot(Shot("keys_playing.png"));
    start = barCentre(before);
    return start > -1000;
  }, 200)) << "the game did not start";
  // The count-in is over once the song's clock runs; the first drop is
  // seconds away. Right is held for half a second by one xdotool run (its
  // own sleep times the hold).
  m_x.XDoTool({"keydown", "Right", "sleep", "0.5", "keyup", "Right"});
  int seen = -1000;
  int last = -2000;
  WaitUntil(kWindowLimitMs, [&] {
    last = seen;
    seen = barCentre(m_x.Screenshot(Shot("keys_walked.png")));
    return seen == last;
  }, 200);
  EXPECT_NEAR(seen - start, kWalkedPx, kWalkSlackPx) << "Right held for " << kHeldMs << " ms";

  // The drops fall where the bar stands; the game ends with the unlock box.
  std::vector<std::string> boxes;
  ASSERT_TRUE(WaitUntil(kGameLimitMs, [&] {
    boxes = m_x.FindWindows("隠し機能出現");
    return !boxes.empty() || !m_game.Running();
  }, 250)) << "no unlock box after the game";
  m_x.Focus(boxes.front());
  m_x.Keys({"Return"});
  m_x.Focus(window);
  QImage after;
  WaitUntil(kWindowLimitMs, [&] {
    after = m_x.Screenshot(Shot("keys_result.png"));
    return !after.isNull() && readouts(after, kGoodPanelLeft) != readouts(before, kGoodPanelLeft);
  }, 500);
  EXPECT_NE(readouts(after, kGoodPanelLeft), readouts(before, kGoodPanelLeft)) << "no drop was caught";
  EXPECT_EQ(readouts(after, kBadPanelLeft), readouts(before, kBadPanelLeft)) << "a drop under the bar was missed";
  m_x.Keys({"alt+f", "x"});
  int status = 0;
  EXPECT_TRUE(m_game.WaitForExit(kExitLimitMs, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
