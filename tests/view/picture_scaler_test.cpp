// The magnifier against the plain rules it implements: inside the picture
// and the clip, a crisp target pixel is the source pixel under its centre
// made opaque, and a smooth one the bilinear mix of the four source pixels
// around its centre; outside, nothing is touched.
#include "game/view/picture_scaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

namespace {

constexpr uint32_t kUntouched = 0x12345678u;

QImage NoiseFrame(std::mt19937& random) {
  QImage source(640, 480, QImage::Format_RGB32);
  for (int y = 0; y < source.height(); ++y) {
    auto* line = reinterpret_cast<uint32_t*>(source.scanLine(y));
    for (int x = 0; x < source.width(); ++x) line[x] = static_cast<uint32_t>(random()) & 0x00FFFFFFu;
  }
  return source;
}

TEST(PictureScaler, EveryPixelInsideIsItsSourcePixelAndNothingOutsideIsWritten) {
  std::mt19937 random(7);
  const QImage source = NoiseFrame(random);
  TPictureScaler scaler;
  const QRect pictures[] = {QRect(0, 0, 640, 480), QRect(3, 1, 1280, 960), QRect(0, 0, 1920, 1440),
                            QRect(267, 0, 1386, 1040), QRect(5, 7, 641, 481)};
  for (const QRect& picture : pictures) {
    QImage target(picture.right() + 9, picture.bottom() + 5, QImage::Format_ARGB32_Premultiplied);
    for (int round = 0; round < 3; ++round) {
      target.fill(kUntouched);
      const QRect clip = round == 0 ? target.rect()
                                    : QRect(static_cast<int>(random() % 97), static_cast<int>(random() % 89),
                                            static_cast<int>(random() % 700) + 1, static_cast<int>(random() % 500) + 1);
      scaler.Draw(source, target, picture, clip);
      const QRect drawn = picture.intersected(clip);
      for (int y = 0; y < target.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(target.constScanLine(y));
        for (int x = 0; x < target.width(); ++x) {
          uint32_t expected = kUntouched;
          if (drawn.contains(x, y)) {
            const int sx = static_cast<int>((2LL * (x - picture.left()) + 1) * 640 / (2LL * picture.width()));
            const int sy = static_cast<int>((2LL * (y - picture.top()) + 1) * 480 / (2LL * picture.height()));
            expected = source.pixel(sx, sy) | 0xFF000000u;
          }
          ASSERT_EQ(line[x], expected) << "picture " << picture.x() << "," << picture.y() << " " << picture.width()
                                       << "x" << picture.height() << " at " << x << "," << y;
        }
      }
    }
  }
}

// The bilinear value of one channel at a target pixel, in floating point.
double Bilinear(const QImage& source, const QRect& picture, int x, int y, int shift) {
  const auto along = [](int i, int start, int targetLength, int sourceLength, int& first, int& second) {
    const double u = std::clamp((i - start + 0.5) * sourceLength / targetLength - 0.5, 0.0, sourceLength - 1.0);
    first = static_cast<int>(std::floor(u));
    second = std::min(first + 1, sourceLength - 1);
    return u - first;
  };
  int x0, x1, y0, y1;
  const double fx = along(x, picture.left(), picture.width(), source.width(), x0, x1);
  const double fy = along(y, picture.top(), picture.height(), source.height(), y0, y1);
  const auto channel = [&](int sx, int sy) { return static_cast<double>((source.pixel(sx, sy) >> shift) & 0xFF); };
  const double upper = channel(x0, y0) * (1 - fx) + channel(x1, y0) * fx;
  const double lower = channel(x0, y1) * (1 - fx) + channel(x1, y1) * fx;
  return upper * (1 - fy) + lower * fy;
}

TEST(PictureScaler, SmoothPixelsAreTheBilinearMixAndTheUnscaledFrameComesBackAsItIs) {
  std::mt19937 random(11);
  const QImage source = NoiseFrame(random);
  TPictureScaler scaler;
  // Unscaled, every centre falls on a source pixel.
  QImage same(640, 480, QImage::Format_RGB32);
  scaler.Draw(source, same, same.rect(), same.rect(), true);
  EXPECT_EQ(same, source);
  const QRect pictures[] = {QRect(0, 0, 1920, 1440), QRect(267, 0, 1386, 1040), QRect(5, 7, 641, 481)};
  for (const QRect& picture : pictures) {
    QImage target(picture.right() + 9, picture.bottom() + 5, QImage::Format_ARGB32_Premultiplied);
    target.fill(kUntouched);
    const QRect clip(static_cast<int>(random() % 97), static_cast<int>(random() % 89), 700, 500);
    scaler.Draw(source, target, picture, clip, true);
    const QRect drawn = picture.intersected(clip);
    for (int y = 0; y < target.height(); ++y) {
      const auto* line = reinterpret_cast<const uint32_t*>(target.constScanLine(y));
      for (int x = 0; x < target.width(); ++x) {
        if (!drawn.contains(x, y)) {
          ASSERT_EQ(line[x], kUntouched) << x << "," << y;
          continue;
        }
        ASSERT_EQ(line[x] >> 24, 0xFFu);
        // Weights of 1/256 in two passes: within two steps of the exact mix.
        for (int shift : {0, 8, 16}) {
          ASSERT_NEAR(static_cast<double>((line[x] >> shift) & 0xFF), Bilinear(source, picture, x, y, shift), 2.0)
              << "picture " << picture.width() << "x" << picture.height() << " at " << x << "," << y;
        }
      }
    }
  }
}

}  // namespace
