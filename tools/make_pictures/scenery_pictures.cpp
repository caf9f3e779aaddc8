#include "tools/make_pictures/pictures.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

// --- ball -----------------------------------------------------------------
constexpr int kBallWidth = 5;  // must equal the lane pitch of the play field
constexpr int kBallHeight = 8;
constexpr int kBallSamples = 8;

// --- flash ----------------------------------------------------------------
constexpr int kFlashSize = 64;

// --- rain strip -----------------------------------------------------------
constexpr int kRainWidth = 120;
constexpr int kRainHeight = 480;
constexpr int kRainFadeWidth = 30;  // soft left edge, where result text may reach

// --- background -----------------------------------------------------------
constexpr int kBackWidth = 640;
constexpr int kBackHeight = 480;
constexpr int kWaterLine = 398;

float SmoothStep(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0F, 1.0F);
  return t * t * (3.0F - 2.0F * t);
}

// A colour from a list of (position, colour) stops.
Rgba Gradient(const std::vector<std::pair<float, Rgba>>& stops, float at) {
  if (at <= stops.front().first) return stops.front().second;
  for (size_t i = 1; i < stops.size(); ++i) {
    if (at <= stops[i].first) {
      const float t = (at - stops[i - 1].first) / (stops[i].first - stops[i - 1].first);
      return Mix(stops[i - 1].second, stops[i].second, t);
    }
  }
  return stops.back().second;
}

Canvas RotatedHalfTurn(const Canvas& in) {
  Canvas out(in.Width(), in.Height());
  for (int y = 0; y < in.Height(); ++y) {
    for (int x = 0; x < in.Width(); ++x) out.Ref(in.Width() - 1 - x, in.Height() - 1 - y) = in.At(x, y);
  }
  return out;
}

// A drop of water on glass: a translucent body, a darker lower rim and a
// bright spot up left.
void DrawGlassDrop(Canvas& canvas, double cx, double cy, double r, float strength) {
  canvas.FillEllipse(cx, cy + r * 0.15, r, r * 1.1, Hex(0x0E1630, 0.35F * strength));
  canvas.FillEllipse(cx, cy, r * 0.92, r, Hex(0x9CCBF5, 0.45F * strength));
  canvas.FillEllipse(cx - r * 0.3, cy - r * 0.35, r * 0.32, r * 0.32, Hex(0xFFFFFF, 0.85F * strength));
}

// Slanted rain streaks over the whole canvas.
void DrawStreaks(Canvas& canvas, PictureRandom& random, int count, double minLength, double maxLength, double slant,
                 const Rgba& colour, float minAlpha, float maxAlpha, double width) {
  for (int i = 0; i < count; ++i) {
    const double x = random.Range(-20.0, canvas.Width() + 20.0);
    const double y = random.Range(-30.0, canvas.Height());
    const double length = random.Range(minLength, maxLength);
    Rgba c = colour;
    c.a = static_cast<float>(random.Range(minAlpha, maxAlpha));
    canvas.StrokeLine(x, y, x + slant * length, y + length, width, c);
  }
}

}  // namespace

Canvas DrawBall() {
  Canvas ball(kBallWidth, kBallHeight, Rgba{1.0F, 1.0F, 1.0F, 0.0F});
  const double cx = kBallWidth / 2.0;
  const double tipY = 0.2;
  const double radius = 2.45;
  const double circleY = kBallHeight - radius - 0.05;
  const auto inside = [=](double x, double y) {
    const double dx = x - cx;
    if (dx * dx + (y - circleY) * (y - circleY) <= radius * radius) return true;
    if (y < tipY || y > circleY) return false;
    // The point narrows towards the top along a gentle curve.
    const double t = (y - tipY) / (circleY - tipY);
    return std::fabs(dx) <= radius * std::pow(t, 0.75);
  };
  // Grey body (tinted to a deeper cyan), lighter towards a white gloss spot
  // up left, darker on the lower right rim.
  const auto shade = [=](double x, double y) {
    const double hx = x - (cx - 0.9);
    const double hy = y - (circleY - 0.9);
    const double gloss = std::exp(-(hx * hx + hy * hy) / 1.1);
    const double rim = std::clamp(((x - cx) * 0.35 + (y - circleY) * 0.45) / radius, 0.0, 1.0);
    const float v = static_cast<float>(std::clamp(0.78 + 0.22 * gloss - 0.3 * rim, 0.0, 1.0));
    return Rgba{v, v, v, 1.0F};
  };
  ball.FillShapeShaded(0, 0, kBallWidth, kBallHeight, inside, shade, kBallSamples);
  return ball;
}

Canvas DrawFlash() {
  // Drawn the way it shows on screen, then turned; the splash centre lies
  // three pixels above the bar, so the crown rises from the middle and only
  // a flat ripple reaches below.
  Canvas flash(kFlashSize, kFlashSize, Hex(0xFFFFFF));
  const double c = kFlashSize / 2.0;
  const Rgba deep = Hex(0x1565C0);
  const Rgba mid = Hex(0x1E88E5);
  const Rgba light = Hex(0x4FB3F6);

  // Ripple ring on the surface.
  const auto ring = [&](double rx, double ry, double width, const Rgba& colour) {
    flash.FillShape(0, 0, kFlashSize, kFlashSize,
                    [=](double x, double y) {
                      // Distance to the ellipse, to first order: the level
                      // value's excess over its gradient's length.
                      const double u = (x - c) / rx;
                      const double v = (y - c - 1.0) / ry;
                      const double d = std::sqrt(u * u + v * v);
                      if (d == 0.0) return false;
                      const double gradient = std::sqrt(u * u / (rx * rx) + v * v / (ry * ry)) / d;
                      return std::fabs(d - 1.0) / gradient <= width / 2.0;
                    },
                    colour);
  };
  ring(27.0, 6.5, 1.6, light);
  ring(19.0, 4.6, 2.4, mid);

  // Crown: spikes fanning upward, each ending in a round drop.
  const int spikes = 9;
  for (int i = 0; i < spikes; ++i) {
    const double t = (i + 0.5) / spikes;
    const double angle = kPi + kPi * (0.08 + 0.84 * t);  // from left, over the top, to right
    const double reach = 17.0 + 7.0 * std::sin(kPi * t);
    const double bx = c + 9.0 * std::cos(angle);
    const double by = c - 1.0;
    const double ex = c + reach * std::cos(angle);
    const double ey = c + reach * std::sin(angle) * 0.95;
    flash.StrokeLine(bx, by, ex, ey, 2.6 - 1.2 * std::fabs(t - 0.5), mid);
    const double dx = c + (reach + 5.5) * std::cos(angle);
    const double dy = c + (reach + 5.5) * std::sin(angle) * 0.95;
    flash.FillEllipse(dx, dy, 1.9, 2.2, (i % 2 == 0) ? deep : light);
  }
  // The water column in the middle and its base.
  flash.FillEllipse(c, c - 4.0, 4.0, 7.0, deep);
  flash.FillEllipse(c, c, 10.0, 3.0, mid);
  return RotatedHalfTurn(flash);
}

Canvas DrawRain() {
  Canvas rain(kRainWidth, kRainHeight);
  const std::vector<std::pair<float, Rgba>> stops = {
      {0.0F, Hex(0x1A2850)}, {0.55F, Hex(0x24396C)}, {1.0F, Hex(0x121B38)}};
  for (int y = 0; y < kRainHeight; ++y) {
    const Rgba base = Gradient(stops, static_cast<float>(y) / kRainHeight);
    for (int x = 0; x < kRainWidth; ++x) {
      // A faint band of light from the left, as through a wet window.
      const float glow = 0.10F * std::exp(-static_cast<float>(x - kRainFadeWidth) / 25.0F);
      Rgba p = Mix(base, Hex(0x6FA8E8), std::clamp(glow, 0.0F, 0.2F));
      p.a = 1.0F;
      rain.Ref(x, y) = p;
    }
  }
  PictureRandom random(7);
  DrawStreaks(rain, random, 160, 14.0, 46.0, 0.06, Hex(0xBFE3FF), 0.18F, 0.55F, 1.1);
  DrawStreaks(rain, random, 40, 30.0, 70.0, 0.06, Hex(0xE6F4FF), 0.35F, 0.7F, 1.5);
  for (int i = 0; i < 30; ++i) {
    DrawGlassDrop(rain, random.Range(kRainFadeWidth, kRainWidth - 4.0), random.Range(6.0, kRainHeight - 6.0),
                  random.Range(1.4, 3.4), static_cast<float>(random.Range(0.6, 1.0)));
  }
  // The soft left edge: alpha rises from 0 to 1.
  for (int y = 0; y < kRainHeight; ++y) {
    for (int x = 0; x < kRainFadeWidth; ++x) {
      rain.Ref(x, y).a *= SmoothStep(0.0F, static_cast<float>(kRainFadeWidth), x + 0.5F);
    }
  }
  return rain;
}

Canvas DrawBack() {
  Canvas back(kBackWidth, kBackHeight);
  // Sky: pale mist at the top where the dark lettering goes, deepening to
  // the night over the town.
  const std::vector<std::pair<float, Rgba>> sky = {
      {0.0F, Hex(0xB4C2DA)}, {180.0F, Hex(0xA0B0CC)}, {300.0F, Hex(0x7A8AAF)}, {360.0F, Hex(0x4B5881)},
      {480.0F, Hex(0x232B4C)}};
  for (int y = 0; y < kBackHeight; ++y) {
    const Rgba base = Gradient(sky, static_cast<float>(y));
    for (int x = 0; x < kBackWidth; ++x) {
      // Soft rain clouds, strongest high up.
      const double n = FractalNoise(x / 150.0, y / 60.0, 11, 5);
      const float cloud = static_cast<float>(n - 0.5) * 0.55F * (1.0F - SmoothStep(120.0F, 340.0F, static_cast<float>(y)));
      Rgba p = cloud > 0.0F ? Mix(base, Hex(0xDCE3EF), cloud) : Mix(base, Hex(0x5E6C93), -cloud);
      p.a = 1.0F;
      back.Ref(x, y) = p;
    }
  }

  PictureRandom random(2024);
  // Far hills and buildings in the mist.
  {
    const Rgba far = Hex(0x68769C);
    back.FillShape(0, 300, kBackWidth, kWaterLine,
                   [](double x, double y) { return y > 345.0 + 12.0 * std::sin(x / 90.0) + 6.0 * std::sin(x / 23.0); }, far);
    double x = -10.0;
    while (x < kBackWidth) {
      const double w = random.Range(18.0, 46.0);
      const double h = random.Range(12.0, 48.0);
      back.FillRect(x, 350.0 - h, x + w - 2.0, kWaterLine, far);
      x += w + random.Range(4.0, 26.0);
    }
  }
  // The near town, dark, with a few warm windows.
  struct Window {
    double x, y;
  };
  std::vector<Window> windows;
  {
    const Rgba nearColour = Hex(0x2A3358);
    double x = -6.0;
    while (x < kBackWidth) {
      const double w = random.Range(26.0, 64.0);
      const double h = random.Range(18.0, 62.0);
      const double top = kWaterLine - h;
      back.FillRect(x, top, x + w, kWaterLine, nearColour);
      if (random.Next() < 0.45) {  // a pitched roof
        const double peak = random.Range(6.0, 14.0);
        const double left = x;
        const double right = x + w;
        back.FillShape(static_cast<int>(left), static_cast<int>(top - peak), static_cast<int>(right) + 1,
                       static_cast<int>(top) + 1,
                       [=](double px, double py) {
                         const double mid = (left + right) / 2.0;
                         const double half = (right - left) / 2.0;
                         return py >= top - peak * (1.0 - std::fabs(px - mid) / half) && py <= top + 1.0;
                       },
                       nearColour);
      }
      for (double wy = top + 6.0; wy < kWaterLine - 8.0; wy += 9.0) {
        for (double wx = x + 5.0; wx < x + w - 6.0; wx += 9.0) {
          if (random.Next() < 0.16) windows.push_back(Window{wx, wy});
        }
      }
      x += w + random.Range(0.0, 10.0);
    }
  }
  for (const Window& w : windows) {
    back.FillEllipse(w.x + 2.0, w.y + 2.5, 7.0, 7.0, Hex(0xFFC870, 0.10F));
    back.FillRect(w.x, w.y, w.x + 4.0, w.y + 5.0, Hex(0xFFD58A));
  }

  // Water: dark, with the windows' light trembling in it and rain rings.
  back.FillRect(0, kWaterLine, kBackWidth, kBackHeight, Hex(0x1B2242));
  back.FillRect(0, kWaterLine, kBackWidth, kWaterLine + 1.5, Hex(0x3A4674, 0.8F));
  for (const Window& w : windows) {
    const double mirrorY = 2.0 * kWaterLine - w.y;
    for (double y = kWaterLine + 2.0; y < std::min(mirrorY + 14.0, static_cast<double>(kBackHeight)); y += 3.0) {
      const double fade = 1.0 - (y - kWaterLine) / 90.0;
      if (fade <= 0.0) break;
      const double wobble = random.Range(-2.0, 2.0);
      back.FillRect(w.x + wobble - 1.0, y, w.x + wobble + 5.0, y + 1.2, Hex(0xFFC870, static_cast<float>(0.28 * fade)));
    }
  }
  for (int i = 0; i < 26; ++i) {
    const double cx = random.Range(10.0, kBackWidth - 10.0);
    const double cy = random.Range(kWaterLine + 8.0, kBackHeight - 4.0);
    const double rx = random.Range(5.0, 14.0);
    const double ry = rx * 0.28;
    back.FillShape(static_cast<int>(cx - rx - 2), static_cast<int>(cy - ry - 2), static_cast<int>(cx + rx + 3),
                   static_cast<int>(cy + ry + 3),
                   [=](double x, double y) {
                     const double u = (x - cx) / rx;
                     const double v = (y - cy) / ry;
                     const double d = std::sqrt(u * u + v * v);
                     return d > 0.8 && d < 1.0;
                   },
                   Hex(0x8FA6D6, 0.22F));
  }

  // Rain over everything: fine far streaks and a few bolder near ones.
  DrawStreaks(back, random, 650, 8.0, 22.0, 0.12, Hex(0xFFFFFF), 0.10F, 0.24F, 1.0);
  DrawStreaks(back, random, 120, 20.0, 40.0, 0.12, Hex(0xEAF2FF), 0.20F, 0.40F, 1.4);

  // A gentle vignette keeps the eye in the middle.
  for (int y = 0; y < kBackHeight; ++y) {
    for (int x = 0; x < kBackWidth; ++x) {
      const double u = (x - kBackWidth / 2.0) / (kBackWidth / 2.0);
      const double v = (y - kBackHeight / 2.0) / (kBackHeight / 2.0);
      const float dark = static_cast<float>(0.16 * std::clamp((u * u + v * v - 0.5) / 1.5, 0.0, 1.0));
      Rgba& p = back.Ref(x, y);
      p.r *= 1.0F - dark;
      p.g *= 1.0F - dark;
      p.b *= 1.0F - dark;
      p.a = 1.0F;
    }
  }
  return back;
}
