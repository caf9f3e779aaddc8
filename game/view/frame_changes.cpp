#include "game/view/frame_changes.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kBandRows = 16;

// The first and last pixel in which two rows differ, or false.
bool ChangedSpan(const std::uint32_t* before, const std::uint32_t* after, int width, int& first, int& last) {
  int left = 0;
  while (left < width && before[left] == after[left]) ++left;
  if (left == width) return false;
  int right = width - 1;
  while (before[right] == after[right]) --right;
  first = left;
  last = right;
  return true;
}

}  // namespace

QRegion CopyFrameChanges(QImage& frame, const std::uint32_t* pixels, int pitchBytes) {
  const int width = frame.width();
  const auto rowBytes = static_cast<std::size_t>(width) * sizeof(std::uint32_t);
  const auto* source = reinterpret_cast<const uchar*>(pixels);
  QRegion changed;
  for (int bandTop = 0; bandTop < frame.height(); bandTop += kBandRows) {
    const int bandEnd = std::min(bandTop + kBandRows, frame.height());
    int left = width;
    int right = -1;
    int top = -1;
    int bottom = -1;
    for (int y = bandTop; y < bandEnd; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(source + static_cast<std::ptrdiff_t>(y) * pitchBytes);
      auto* held = reinterpret_cast<std::uint32_t*>(frame.scanLine(y));
      int first = 0;
      int last = 0;
      if (!ChangedSpan(held, row, width, first, last)) continue;
      std::memcpy(held, row, rowBytes);
      left = std::min(left, first);
      right = std::max(right, last);
      if (top < 0) top = y;
      bottom = y;
    }
    if (top >= 0) changed += QRect(QPoint(left, top), QPoint(right, bottom));
  }
  return changed;
}

QRect ShownChange(const QRect& source, QSize sourceSize, const QRect& pictureRect) {
  if (source.isEmpty() || sourceSize.isEmpty()) return {};
  const QRect grown = source.adjusted(-1, -1, 1, 1).intersected(QRect(QPoint(0, 0), sourceSize));
  // Whole target pixels around the source edges (64-bit: a 4K picture times
  // 640 stays far inside it).
  const auto mapDown = [](int value, int target, int from) {
    return static_cast<int>(static_cast<long long>(value) * target / from);
  };
  const auto mapUp = [](int value, int target, int from) {
    return static_cast<int>((static_cast<long long>(value) * target + from - 1) / from);
  };
  const int x0 = mapDown(grown.left(), pictureRect.width(), sourceSize.width());
  const int x1 = mapUp(grown.right() + 1, pictureRect.width(), sourceSize.width());
  const int y0 = mapDown(grown.top(), pictureRect.height(), sourceSize.height());
  const int y1 = mapUp(grown.bottom() + 1, pictureRect.height(), sourceSize.height());
  return QRect(pictureRect.x() + x0, pictureRect.y() + y0, x1 - x0, y1 - y0).intersected(pictureRect);
}
