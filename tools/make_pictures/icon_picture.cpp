// The desktop icon: a raindrop falling onto the catching bar over a
// night-blue rounded square, drawn at any size from the same shapes (so
// every size is sharp, not a scaled copy). Build-time tool code.
#include "tools/make_pictures/pictures.h"

#include <algorithm>
#include <cmath>

namespace {

// Shapes in units of the icon's side (0..1).
constexpr double kCornerRadius = 0.18;
constexpr double kMargin = 0.04;
constexpr double kDropX = 0.5;
constexpr double kDropTipY = 0.16;
constexpr double kDropBellyY = 0.52;
constexpr double kDropRadius = 0.17;
constexpr double kBarY = 0.80;
constexpr double kBarHalfLength = 0.26;
constexpr double kBarThickness = 0.075;
constexpr double kStreakWidth = 0.018;

bool InRoundedSquare(double x, double y, double lo, double hi, double r) {
  const double cx = std::clamp(x, lo + r, hi - r);
  const double cy = std::clamp(y, lo + r, hi - r);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// A drop: a circle with a pointed top (the tangents from the tip).
bool InDrop(double x, double y) {
  const double dx = x - kDropX;
  const double dy = y - kDropBellyY;
  if (dx * dx + dy * dy <= kDropRadius * kDropRadius) return true;
  if (y < kDropTipY || y > kDropBellyY) return false;
  const double d = kDropBellyY - kDropTipY;
  const double halfAngle = std::asin(kDropRadius / d);
  const double halfWidth = (y - kDropTipY) * std::tan(halfAngle);
  const double tangentY = kDropTipY + std::cos(halfAngle) * std::cos(halfAngle) * d;
  return y <= tangentY && std::fabs(dx) <= halfWidth;
}

}  // namespace

Canvas DrawIcon(int size) {
  Canvas icon(size, size);
  const double s = size;
  const Rgba top = Hex(0x2A3C6E);
  const Rgba bottom = Hex(0x0E1630);
  icon.FillShapeShaded(
      0, 0, size, size,
      [&](double x, double y) { return InRoundedSquare(x / s, y / s, kMargin, 1.0 - kMargin, kCornerRadius); },
      [&](double, double y) { return Mix(top, bottom, static_cast<float>(y / s)); });
  // A few streaks of rain behind the drop, where there is room for them.
  if (size >= 32) {
    const Rgba streak = Hex(0xA8C8F0, 0.45F);
    for (const double x : {0.22, 0.36, 0.70, 0.82}) {
      icon.StrokeLine(x * s, 0.14 * s, (x - 0.05) * s, 0.44 * s, std::max(1.0, kStreakWidth * s), streak);
    }
  }
  const Rgba water = Hex(0x9CCBF5);
  const Rgba shine = Hex(0xE8F4FF);
  icon.FillShapeShaded(
      0, 0, size, size, [&](double x, double y) { return InDrop(x / s, y / s); },
      [&](double x, double y) { return Mix(shine, water, static_cast<float>(std::clamp((x / s - 0.38) * 3.0 + (y / s - 0.3), 0.0, 1.0))); });
  icon.FillEllipse((kDropX - 0.06) * s, (kDropBellyY - 0.06) * s, 0.035 * s, 0.05 * s, Hex(0xFFFFFF, 0.8F));
  const double half = kBarThickness * s / 2.0;
  icon.StrokeLine((0.5 - kBarHalfLength) * s, kBarY * s, (0.5 + kBarHalfLength) * s, kBarY * s,
                  std::max(1.5, 2.0 * half), Hex(0xF2F2F2));
  return icon;
}
