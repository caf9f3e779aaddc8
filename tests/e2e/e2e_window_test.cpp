// The game on today's desktops, on a private X display: the x2 window (its
// size, the bar under the pointer at the magnified place, drops caught
// there), full screen with black bars and back with F11, a second close
// request during the farewell, and the game installed with cmake --install
// started from an unrelated folder. Skipped when Xvfb, xdotool or
// ImageMagick's import is missing. Every wait is bounded.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "child_process.h"
#include "game_session.h"
#include "song_bytes.h"
#include "platform/kernel/cp932.h"
#include "x_close_request.h"
#include "x_session.h"

namespace fs = std::filesystem;

namespace {

constexpr int kGameLimitMs = 60000;
constexpr int kExitLimitMs = 30000;
constexpr int kInstallLimitMs = 120000;
constexpr int kScale = 2;
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;
constexpr int kStatusBarHeight = 19;
constexpr int kBarTopY = 400;
// Every note of the test song falls in lane 60, centred at x = 60 * 5 + 2.
constexpr int kNote = 60;
constexpr int kLaneCentreX = kNote * 5 + 2;
constexpr int kDivision = 480;
constexpr int kSongNotes = 8;
// Status panels (x1 pixels): Good at 370..439, Bad at 440..509.
constexpr int kGoodPanelLeft = 370;
constexpr int kBadPanelLeft = 440;
constexpr int kReadoutPanelWidth = 70;
constexpr int kTitleColours = 1000;
// A full-HD desktop: room for the x2 window.
const char* const kDesktopScreen = "1920x1080x24";

// A format-0 song: after four silent seconds, one note a quarter (120 bpm)
// on one key, so every drop falls where the pointer waits.
std::vector<uint8_t> OneLaneSong() {
  // Tempo 500000 us a quarter, piano, then a rest of 8 quarters (3840 ticks)
  // ended by a note-off on another key.
  std::vector<uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xC0, 0x00,
                                0x9E, 0x00, 0x80, kNote + 1, 0};
  for (int i = 0; i < kSongNotes; ++i) {
    // Delta times of 480 and 0 ticks as variable-length numbers.
    track.insert(track.end(), {0x83, 0x60, 0x90, kNote, 100, 0x83, 0x60, 0x80, kNote, 0});
  }
  track.insert(track.end(), {0x83, 0x60, 0xFF, 0x2F, 0x00});
  return Format0File(track, kDivision);
}

int DistinctColours(const QImage& image) {
  std::vector<QRgb> seen;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QRgb c = image.pixel(x, y);
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
      if (static_cast<int>(seen.size()) >= kTitleColours) return kTitleColours;
    }
  }
  return static_cast<int>(seen.size());
}

class DesktopTest : public TGameSessionTest {
 protected:
  void SetUp() override { StartSession("pluv_e2e_desktop", OneLaneSong(), kDesktopScreen); }
  std::string Start(const std::string& exe, const std::string& folder, const TEnvironment& more = {}) {
    return StartGame(exe, folder, more);
  }
  // The picture (the window's client below the menu bar) at scale s.
  QRect PictureOnScreen(const std::string& window, int scale) const {
    const QRect frame = m_x.Geometry(window);
    return {frame.x(), frame.y() + frame.height() - kPictureHeight * scale, kPictureWidth * scale,
            kPictureHeight * scale};
  }
  bool Exited(int limitMs) {
    int status = 0;
    return m_game.WaitForExit(limitMs, status) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

};

TEST_F(DesktopTest, AtX2TheBarFollowsThePointerAtTheMagnifiedPlaceAndCatchesThere) {
  WriteSettings("[拡張設定]\r\nウィンドウ倍率=2\r\n[システムデータ]\r\nルフナボイス=0\r\n");
  const std::string window = Start((m_folder / "pluvionaut").string(), m_folder.string());
  ASSERT_FALSE(window.empty()) << "no game window appeared";
  WaitUntil(kWindowLimitMs, [&] { return m_x.Geometry(window).width() == kPictureWidth * kScale; });
  const QRect frame = m_x.Geometry(window);
  EXPECT_EQ(frame.width(), kPictureWidth * kScale);
  EXPECT_GT(frame.height(), kPictureHeight * kScale);
  const QRect picture = PictureOnScreen(window, kScale);
  const auto readouts = [&](const QImage& screen, int panelLeft) {
    return screen.copy(picture.x() + panelLeft * kScale, picture.bottom() + 1 - kStatusBarHeight * kScale,
                       kReadoutPanelWidth * kScale, kStatusBarHeight * kScale);
  };
  QImage before;
  WaitUntil(kWindowLimitMs, [&] {
    before = m_x.Screenshot(Shot("x2_title.png"));
    return !before.isNull() && DistinctColours(before.copy(picture)) >= kTitleColours;
  }, 500);
  ASSERT_GE(DistinctColours(before.copy(picture)), kTitleColours) << "the x2 title screen is blank";

  // The bar is red: its columns in the bar's rows, in play-field pixels.
  const auto barCentre = [&](const QImage& screen) {
    int sum = 0;
    int count = 0;
    for (int x = 0; x < kPictureWidth * kScale; ++x) {
      const QColor c = screen.pixelColor(picture.x() + x, picture.y() + (kBarTopY + 2) * kScale);
      if (c.red() > 180 && c.green() < 90 && c.blue() < 90) {
        sum += x;
        ++count;
      }
    }
    return count > 0 ? sum / count / kScale : -1000;
  };
  const int barY = picture.y() + (kBarTopY + 2) * kScale;
  const int leftX = 150;
  const int rightX = 480;
  // The bar follows the pointer to two places (the first drop falls only
  // after both).
  m_x.MoveMouse(picture.x() + leftX * kScale + 1, barY);
  m_x.Keys({"alt+p", "p"});
  int seen = 0;
  WaitUntil(kWindowLimitMs, [&] {
    seen = barCentre(m_x.Screenshot(Shot("x2_bar_left.png")));
    return std::abs(seen - leftX) <= 2;
  }, 200);
  EXPECT_NEAR(seen, leftX, 2) << "the bar is not under the pointer";
  m_x.MoveMouse(picture.x() + rightX * kScale + 1, barY);
  WaitUntil(kWindowLimitMs, [&] {
    seen = barCentre(m_x.Screenshot(Shot("x2_bar_right.png")));
    return std::abs(seen - rightX) <= 2;
  }, 200);
  EXPECT_NEAR(seen, rightX, 2) << "the bar did not follow the pointer";
  // Then it waits where every drop falls.
  m_x.MoveMouse(picture.x() + kLaneCentreX * kScale + 1, barY);

  // The game ends (the unlock box); every drop fell under the pointer.
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
    after = m_x.Screenshot(Shot("x2_result.png"));
    return !after.isNull() && readouts(after, kGoodPanelLeft) != readouts(before, kGoodPanelLeft);
  }, 500);
  EXPECT_NE(readouts(after, kGoodPanelLeft), readouts(before, kGoodPanelLeft)) << "no drop was caught";
  EXPECT_EQ(readouts(after, kBadPanelLeft), readouts(before, kBadPanelLeft)) << "a drop under the pointer was missed";
  m_x.Keys({"alt+f", "x"});
  EXPECT_TRUE(Exited(kExitLimitMs));
}

TEST_F(DesktopTest, FullScreenLetterboxesThePictureAndF11ReturnsToTheWindow) {
  WriteSettings("[拡張設定]\r\nフルスクリーン=1\r\n[システムデータ]\r\nルフナボイス=0\r\n");
  const std::string window = Start((m_folder / "pluvionaut").string(), m_folder.string());
  ASSERT_FALSE(window.empty());
  WaitUntil(kWindowLimitMs, [&] { return m_x.Geometry(window) == QRect(0, 0, 1920, 1080); });
  EXPECT_EQ(m_x.Geometry(window), QRect(0, 0, 1920, 1080));
  QImage shot;
  WaitUntil(kWindowLimitMs, [&] {
    shot = m_x.Screenshot(Shot("full_screen.png"));
    return !shot.isNull() && DistinctColours(shot.copy(600, 300, 700, 500)) >= kTitleColours;
  }, 500);
  ASSERT_FALSE(shot.isNull());
  EXPECT_GE(DistinctColours(shot.copy(600, 300, 700, 500)), kTitleColours) << "no picture in full screen";
  for (int y = 200; y < 1000; y += 100) {
    EXPECT_EQ(qGray(shot.pixel(20, y)), 0) << "left bar at " << y;
    EXPECT_EQ(qGray(shot.pixel(1899, y)), 0) << "right bar at " << y;
  }
  m_x.Keys({"F11"});
  EXPECT_TRUE(WaitUntil(5000, [&] { return m_x.Geometry(window).width() == kPictureWidth; }))
      << "F11 left the window at " << m_x.Geometry(window).width();
  m_x.Keys({"alt+f", "x"});
  EXPECT_TRUE(Exited(kExitLimitMs));
  std::ifstream in(m_folder / "pluvionaut.ini", std::ios::binary);
  const std::string settings((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(settings.find(Utf8ToCp932("フルスクリーン=0")), std::string::npos);
}

TEST_F(DesktopTest, ASecondCloseRequestDuringTheFarewellDoesNotCutItShort) {
  // The voice on and the tutorial loaded: closing says goodbye for six seconds.
  const std::string window = Start((m_folder / "pluvionaut").string(), m_folder.string());
  ASSERT_FALSE(window.empty());
  ASSERT_TRUE(SendCloseRequest(m_x.Display(), window));
  if (WaitUntil(1000, [&] { return !m_game.Running(); }, 100)) {
    GTEST_SKIP() << "the farewell was not played (no voice line): nothing to wait for";
  }
  ASSERT_TRUE(SendCloseRequest(m_x.Display(), window));
  // Still there a moment later, window and all: the second request joined
  // the first...
  EXPECT_FALSE(WaitUntil(1500, [&] { return !m_game.Running() || m_x.FindWindows("^Pluvionaut$").empty(); }, 100))
      << "the second close took the window away at once";
  // ...which ends the game cleanly when the line is over.
  EXPECT_TRUE(Exited(kExitLimitMs));
}

TEST_F(DesktopTest, TheInstalledGameStartsFromAnyFolder) {
  const fs::path prefix = m_folder / "prefix";
  const TCommandResult install =
      RunCommand({PLUV_CMAKE_COMMAND, "--install", PLUV_BUILD_DIR, "--prefix", prefix.string()}, EnvironmentWith({}),
                 kInstallLimitMs);
  ASSERT_TRUE(install.Finished && install.ExitCode == 0) << install.Output;
  for (const char* file : {"bin/pluvionaut", "share/pluvionaut/dat/tutorialmid.dat", "share/pluvionaut/bmp/title.bmp",
                           "share/pluvionaut/translations/pluvionaut_en.qm",
                           "share/applications/org.pluvionaut.Pluvionaut.desktop",
                           "share/metainfo/org.pluvionaut.Pluvionaut.metainfo.xml",
                           "share/icons/hicolor/16x16/apps/org.pluvionaut.Pluvionaut.png",
                           "share/icons/hicolor/256x256/apps/org.pluvionaut.Pluvionaut.png"}) {
    EXPECT_TRUE(fs::exists(prefix / file)) << file;
  }
  const fs::path elsewhere = m_folder / "elsewhere";
  fs::create_directories(elsewhere);
  for (const fs::path& exe : {prefix / "bin" / "pluvionaut", prefix / "libexec" / "pluvionaut" / "pluvionaut"}) {
    const std::string window =
        Start(exe.string(), elsewhere.string(), {"XDG_CONFIG_HOME=" + (m_folder / "config").string()});
    ASSERT_FALSE(window.empty()) << exe;
    const QRect picture = PictureOnScreen(window, 1);
    QImage title;
    WaitUntil(kWindowLimitMs, [&] {
      title = m_x.Screenshot(Shot("installed_title.png")).copy(picture);
      return DistinctColours(title) >= kTitleColours;
    }, 500);
    EXPECT_GE(DistinctColours(title), kTitleColours) << exe << " drew no title screen";
    m_x.Keys({"alt+f", "x"});
    EXPECT_TRUE(Exited(kExitLimitMs)) << exe;
  }
}

}  // namespace
