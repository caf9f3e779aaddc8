// A high-density screen (device-pixel ratio 2): the x1 window is the logical
// 640 x 480 picture shown crisp at 1280 x 960 device pixels.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include <cstdint>
#include <vector>

#include "game/view/draw_area.h"
#include "window_fixture.h"

namespace {

using HighDensityTest = WindowTest;

TEST_F(HighDensityTest, X1ShowsTheLogicalPictureCrispAtTwiceItsPixels) {
  Create();
  form->show();
  ASSERT_DOUBLE_EQ(form->devicePixelRatio(), 2.0);
  EXPECT_EQ(form->DrawArea()->size(), QSize(640, 480));
  // Every pixel a colour of its own: a 2 x 2 block of one colour each.
  std::vector<uint32_t> pixels(640 * 480);
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) pixels[static_cast<size_t>(y) * 640 + x] = 0xFF000000u | (x << 12) | y;
  }
  form->DrawArea()->PresentFrame(pixels.data(), 640, 480, 640 * 4);
  const QImage shown = form->DrawArea()->grab().toImage();
  ASSERT_EQ(shown.size(), QSize(1280, 960));
  // (The status bar lies over the last 19 logical rows.)
  for (int y = 0; y < 2 * 461; y += 7) {
    for (int x = 0; x < 1280; ++x) {
      ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFFu, pixels[static_cast<size_t>(y / 2) * 640 + x / 2] & 0xFFFFFFu)
          << x << "," << y << " of " << shown.width() << "x" << shown.height() << " dpr " << shown.devicePixelRatio();
    }
  }
  // The logical screen is 960 x 540: x2 does not fit it.
  EXPECT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(960, 540));
  EXPECT_FALSE(form->MainMenu1().Item("windowscale2")->isEnabled());
}

}  // namespace
