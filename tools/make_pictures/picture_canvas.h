// A small floating-point RGBA canvas for drawing the game's pictures:
// straight (not premultiplied) alpha, "over" compositing, supersampled
// shapes, gradients, blur and value noise. Build-time tool code; any thread;
// a Canvas owns its pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Rgba {
  float r = 0.0F;
  float g = 0.0F;
  float b = 0.0F;
  float a = 0.0F;
};

// A colour from 0xRRGGBB and an alpha 0..1.
Rgba Hex(std::uint32_t rgb, float alpha = 1.0F);
// Linear mix of two colours (all four channels), t in 0..1.
Rgba Mix(const Rgba& a, const Rgba& b, float t);

// One coverage value (0..1) per pixel, row by row from the top.
class AlphaMask {
 public:
  AlphaMask(int width, int height) : m_width(width), m_height(height), m_values(static_cast<size_t>(width) * height) {}
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  float At(int x, int y) const;  // 0 outside the mask
  float& Ref(int x, int y) { return m_values[static_cast<size_t>(y) * m_width + x]; }
  // Adds another mask at an offset, clamping each value to 1.
  void AddMax(const AlphaMask& other, int dx, int dy);
  // Box blur of the given radius, run three times (close to a Gaussian).
  AlphaMask Blurred(int radius) const;
  // Grows shapes by radius pixels (maximum over a disc): outlines and bold strokes.
  AlphaMask Dilated(int radius) const;

 private:
  int m_width;
  int m_height;
  std::vector<float> m_values;
};

// A point-in-shape test in pixel coordinates (pixel (x, y) covers the square
// x..x+1, y..y+1).
using ShapeTest = std::function<bool(double x, double y)>;

class Canvas {
 public:
  Canvas(int width, int height, const Rgba& fill = Rgba{});

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  const Rgba& At(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
  Rgba& Ref(int x, int y) { return m_pixels[static_cast<size_t>(y) * m_width + x]; }

  // Composites colour over pixel (x, y) with its alpha scaled by coverage;
  // ignores points outside the canvas.
  void Blend(int x, int y, const Rgba& colour, float coverage);

  // Fills a shape, anti-aliased by testing samplesPerAxis^2 points in each
  // pixel of the box [x0, x1) x [y0, y1).
  void FillShape(int x0, int y0, int x1, int y1, const ShapeTest& inside, const Rgba& colour, int samplesPerAxis = 4);
  // Same, with the colour chosen per pixel centre.
  void FillShapeShaded(int x0, int y0, int x1, int y1, const ShapeTest& inside,
                       const std::function<Rgba(double x, double y)>& shade, int samplesPerAxis = 4);
  void FillEllipse(double cx, double cy, double rx, double ry, const Rgba& colour);
  // A line with round ends (a capsule) of the given width.
  void StrokeLine(double x0, double y0, double x1, double y1, double width, const Rgba& colour);
  void FillRect(double x0, double y0, double x1, double y1, const Rgba& colour);
  // Composites a coverage mask, placed with its top left at (dx, dy).
  void BlendMask(const AlphaMask& mask, int dx, int dy, const Rgba& colour);

  // Sets every pixel to colour (no blending).
  void Clear(const Rgba& colour);

 private:
  int m_width;
  int m_height;
  std::vector<Rgba> m_pixels;
};

// Smooth value noise in 0..1 with several octaves, repeatable for a seed.
double FractalNoise(double x, double y, std::uint32_t seed, int octaves);

// Repeatable pseudo-random numbers whose sequence does not depend on the
// standard library (the distributions of <random> may differ between
// implementations; the pictures must not).
class PictureRandom {
 public:
  explicit PictureRandom(std::uint32_t seed) : m_state(seed * 2654435761U + 1U) {
    if (m_state == 0) m_state = 1;  // xorshift never leaves zero
  }
  // Uniform in [0, 1).
  double Next();
  double Range(double lo, double hi) { return lo + (hi - lo) * Next(); }

 private:
  std::uint32_t m_state;
};
