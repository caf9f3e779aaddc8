#include "tools/make_pictures/picture_canvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kByteMax = 255.0F;

float Clamp01(float v) { return std::clamp(v, 0.0F, 1.0F); }

// A 32-bit integer hash (from the "lowbias32" family) for the noise lattice.
std::uint32_t Hash(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352DU;
  x ^= x >> 15;
  x *= 0x846CA68BU;
  x ^= x >> 16;
  return x;
}

double Lattice(int x, int y, std::uint32_t seed) {
  const std::uint32_t h = Hash(static_cast<std::uint32_t>(x) * 73856093U ^ static_cast<std::uint32_t>(y) * 19349663U ^ seed);
  return (h & 0xFFFFFF) / static_cast<double>(0x1000000);
}

double SmoothStep(double t) { return t * t * (3.0 - 2.0 * t); }

double ValueNoise(double x, double y, std::uint32_t seed) {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  const double tx = SmoothStep(x - fx);
  const double ty = SmoothStep(y - fy);
  const double top = Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * tx;
  const double bottom = Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * tx;
  return top + (bottom - top) * ty;
}

}  // namespace

Rgba Hex(std::uint32_t rgb, float alpha) {
  return Rgba{((rgb >> 16) & 0xFF) / kByteMax, ((rgb >> 8) & 0xFF) / kByteMax, (rgb & 0xFF) / kByteMax, alpha};
}

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
  return Rgba{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

float AlphaMask::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0.0F;
  return m_values[static_cast<size_t>(y) * m_width + x];
}

void AlphaMask::AddMax(const AlphaMask& other, int dx, int dy) {
  for (int y = 0; y < other.Height(); ++y) {
    for (int x = 0; x < other.Width(); ++x) {
      const int tx = x + dx;
      const int ty = y + dy;
      if (tx < 0 || ty < 0 || tx >= m_width || ty >= m_height) continue;
      float& v = Ref(tx, ty);
      v = std::min(1.0F, v + other.At(x, y));
    }
  }
}

AlphaMask AlphaMask::Blurred(int radius) const {
  AlphaMask current = *this;
  if (radius <= 0) return current;
  const float scale = 1.0F / static_cast<float>(2 * radius + 1);
  for (int pass = 0; pass < 3; ++pass) {
    AlphaMask horizontal(m_width, m_height);
    for (int y = 0; y < m_height; ++y) {
      for (int x = 0; x < m_width; ++x) {
        float sum = 0.0F;
        for (int k = -radius; k <= radius; ++k) sum += current.At(x + k, y);
        horizontal.Ref(x, y) = sum * scale;
      }
    }
    for (int y = 0; y < m_height; ++y) {
      for (int x = 0; x < m_width; ++x) {
        float sum = 0.0F;
        for (int k = -radius; k <= radius; ++k) sum += horizontal.At(x, y + k);
        current.Ref(x, y) = sum * scale;
      }
    }
  }
  return current;
}

AlphaMask AlphaMask::Dilated(int radius) const {
  AlphaMask out(m_width, m_height);
  for (int y = 0; y < m_height; ++y) {
    for (int x = 0; x < m_width; ++x) {
      float best = 0.0F;
      for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
          if (dx * dx + dy * dy > radius * radius) continue;
          best = std::max(best, At(x + dx, y + dy));
        }
      }
      out.Ref(x, y) = best;
    }
  }
  return out;
}

Canvas::Canvas(int width, int height, const Rgba& fill)
    : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width) * height, fill) {}

void Canvas::Clear(const Rgba& colour) { std::fill(m_pixels.begin(), m_pixels.end(), colour); }

void Canvas::Blend(int x, int y, const Rgba& colour, float coverage) {
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
  const float sa = Clamp01(colour.a * coverage);
  if (sa <= 0.0F) return;
  Rgba& d = Ref(x, y);
  const float outA = sa + d.a * (1.0F - sa);
  if (outA <= 0.0F) return;
  const float dw = d.a * (1.0F - sa);
  d.r = (colour.r * sa + d.r * dw) / outA;
  d.g = (colour.g * sa + d.g * dw) / outA;
  d.b = (colour.b * sa + d.b * dw) / outA;
  d.a = outA;
}

void Canvas::FillShapeShaded(int x0, int y0, int x1, int y1, const ShapeTest& inside,
                             const std::function<Rgba(double, double)>& shade, int samplesPerAxis) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, m_width);
  y1 = std::min(y1, m_height);
  const int samples = samplesPerAxis * samplesPerAxis;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      int hits = 0;
      for (int sy = 0; sy < samplesPerAxis; ++sy) {
        for (int sx = 0; sx < samplesPerAxis; ++sx) {
          if (inside(x + (sx + 0.5) / samplesPerAxis, y + (sy + 0.5) / samplesPerAxis)) ++hits;
        }
      }
      if (hits > 0) Blend(x, y, shade(x + 0.5, y + 0.5), static_cast<float>(hits) / static_cast<float>(samples));
    }
  }
}

void Canvas::FillShape(int x0, int y0, int x1, int y1, const ShapeTest& inside, const Rgba& colour, int samplesPerAxis) {
  FillShapeShaded(x0, y0, x1, y1, inside, [&colour](double, double) { return colour; }, samplesPerAxis);
}

void Canvas::FillEllipse(double cx, double cy, double rx, double ry, const Rgba& colour) {
  if (rx <= 0.0 || ry <= 0.0) return;
  FillShape(static_cast<int>(std::floor(cx - rx)), static_cast<int>(std::floor(cy - ry)),
            static_cast<int>(std::ceil(cx + rx)) + 1, static_cast<int>(std::ceil(cy + ry)) + 1,
            [=](double x, double y) {
              const double u = (x - cx) / rx;
              const double v = (y - cy) / ry;
              return u * u + v * v <= 1.0;
            },
            colour);
}

void Canvas::StrokeLine(double x0, double y0, double x1, double y1, double width, const Rgba& colour) {
  const double half = width / 2.0;
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  const double lengthSquared = dx * dx + dy * dy;
  FillShape(static_cast<int>(std::floor(std::min(x0, x1) - half)), static_cast<int>(std::floor(std::min(y0, y1) - half)),
            static_cast<int>(std::ceil(std::max(x0, x1) + half)) + 1,
            static_cast<int>(std::ceil(std::max(y0, y1) + half)) + 1,
            [=](double x, double y) {
              double t = lengthSquared > 0.0 ? ((x - x0) * dx + (y - y0) * dy) / lengthSquared : 0.0;
              t = std::clamp(t, 0.0, 1.0);
              const double ex = x - (x0 + t * dx);
              const double ey = y - (y0 + t * dy);
              return ex * ex + ey * ey <= half * half;
            },
            colour);
}

void Canvas::FillRect(double x0, double y0, double x1, double y1, const Rgba& colour) {
  FillShape(static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0)), static_cast<int>(std::ceil(x1)),
            static_cast<int>(std::ceil(y1)),
            [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }, colour);
}

void Canvas::BlendMask(const AlphaMask& mask, int dx, int dy, const Rgba& colour) {
  for (int y = 0; y < mask.Height(); ++y) {
    for (int x = 0; x < mask.Width(); ++x) {
      const float coverage = mask.At(x, y);
      if (coverage > 0.0F) Blend(x + dx, y + dy, colour, coverage);
    }
  }
}

double FractalNoise(double x, double y, std::uint32_t seed, int octaves) {
  double sum = 0.0;
  double amplitude = 0.5;
  double norm = 0.0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 1013U);
    norm += amplitude;
    x *= 2.0;
    y *= 2.0;
    amplitude *= 0.5;
  }
  return sum / norm;
}

double PictureRandom::Next() {
  // xorshift32: small, fast and the same everywhere.
  m_state ^= m_state << 13;
  m_state ^= m_state >> 17;
  m_state ^= m_state << 5;
  return (m_state >> 8) / static_cast<double>(1U << 24);
}
