// Finding what changed between two frames: random frames with changes of
// every shape (a pixel, a sprite, a whole row, nothing), and what a change
// touches on a magnified picture.
#include "game/view/frame_changes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPitchPixels = 704;  // the device's rows are wider than the picture

// After every frame the copy holds exactly the new pixels, every pixel that
// changed lies in the region, and each of the region's rectangles is tight:
// its first and last rows and columns hold a change.
TEST(FrameChangesTest, TheRegionCoversEveryChangeTightlyAndTheCopyIsTheNewFrame) {
  std::mt19937 random(20261209);
  std::vector<uint32_t> device(static_cast<size_t>(kPitchPixels) * kHeight);
  for (auto& pixel : device) pixel = random();
  QImage frame(kWidth, kHeight, QImage::Format_RGB32);
  frame.fill(0u);
  CopyFrameChanges(frame, device.data(), kPitchPixels * 4);
  for (int round = 0; round < 60; ++round) {
    std::vector<uint32_t> before = device;
    const int changes = round % 10 == 0 ? 0 : round % 6;
    for (int c = 0; c < changes; ++c) {
      const int w = round % 7 == 0 ? kWidth : 1 + static_cast<int>(random() % 40);
      const int h = 1 + static_cast<int>(random() % 40);
      const int x0 = static_cast<int>(random() % static_cast<unsigned>(kWidth - w + 1));
      const int y0 = static_cast<int>(random() % static_cast<unsigned>(kHeight - h + 1));
      for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) device[static_cast<size_t>(y) * kPitchPixels + x] ^= 1u + random() % 255;
      }
    }
    const QRegion changed = CopyFrameChanges(frame, device.data(), kPitchPixels * 4);
    const auto differs = [&](int x, int y) {
      return before[static_cast<size_t>(y) * kPitchPixels + x] != device[static_cast<size_t>(y) * kPitchPixels + x];
    };
    int differing = 0;
    for (int y = 0; y < kHeight; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(frame.constScanLine(y));
      for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(row[x], device[static_cast<size_t>(y) * kPitchPixels + x]) << round << ": " << x << "," << y;
        if (!differs(x, y)) continue;
        ++differing;
        ASSERT_TRUE(changed.contains(QPoint(x, y))) << round << ": " << x << "," << y;
      }
    }
    EXPECT_EQ(changed.isEmpty(), differing == 0) << round;
    for (const QRect& part : changed) {
      bool top = false, bottom = false, left = false, right = false;
      for (int x = part.left(); x <= part.right(); ++x) {
        top = top || differs(x, part.top());
        bottom = bottom || differs(x, part.bottom());
      }
      for (int y = part.top(); y <= part.bottom(); ++y) {
        left = left || differs(part.left(), y);
        right = right || differs(part.right(), y);
      }
      EXPECT_TRUE(top && bottom && left && right) << round;
    }
  }
}

// A change of one pixel at x3, and at the fractional scale of a full-HD full
// screen: the target pixels it covers, and its neighbours' for the filter,
// all within the picture even at the picture's edges.
TEST(FrameChangesTest, AChangeTouchesItsMagnifiedPixelsAndTheirNeighboursWithinThePicture) {
  const QSize source(kWidth, kHeight);
  EXPECT_EQ(ShownChange(QRect(10, 20, 1, 1), source, QRect(0, 0, 1920, 1440)), QRect(27, 57, 9, 9));
  const QRect fullScreen(240, 0, 1440, 1080);
  const QRect shown = ShownChange(QRect(100, 200, 3, 2), source, fullScreen);
  EXPECT_TRUE(shown.contains(QRect(240 + 225, 450, 7, 5))) << shown.x() << "," << shown.y();
  EXPECT_TRUE(fullScreen.contains(ShownChange(QRect(0, 0, 1, 1), source, fullScreen)));
  EXPECT_EQ(ShownChange(QRect(639, 479, 1, 1), source, fullScreen).bottomRight(), fullScreen.bottomRight());
  EXPECT_TRUE(ShownChange(QRect(), source, fullScreen).isEmpty());
}

}  // namespace
