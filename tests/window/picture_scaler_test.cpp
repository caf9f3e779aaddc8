// The crisp magnifier against the plain rule it implements: inside the
// picture and the clip, each target pixel is the source pixel under its
// centre made opaque; outside, nothing is touched. Odd offsets and widths
// reach the unaligned starts and ends of the stored rows.
#include "game/window/picture_scaler.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr uint32_t kUntouched = 0x12345678u;

TEST(PictureScaler, EveryPixelInsideIsItsSourcePixelAndNothingOutsideIsWritten) {
  std::mt19937 random(7);
  QImage source(640, 480, QImage::Format_RGB32);
  for (int y = 0; y < source.height(); ++y) {
    auto* line = reinterpret_cast<uint32_t*>(source.scanLine(y));
    for (int x = 0; x < source.width(); ++x) line[x] = static_cast<uint32_t>(random()) & 0x00FFFFFFu;
  }
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

}  // namespace
