#include "platform/d3d9/guard_band_clip.h"

#include <cmath>

namespace {

constexpr int kChannels = 4;
constexpr int kChannelBits = 8;
constexpr uint32_t kChannelMax = 255;
// Each side adds at most one vertex to a convex polygon.
constexpr int kWorkVertices = kMaxClippedVertices + 1;

// A value interpolated on screen between p (t = 0) and q (t = 1): linearly
// when the vertices share one RHW, otherwise as value * RHW over RHW, which
// is what the rasteriser's perspective-correct planes reproduce.
double Attribute(double p, double q, double pw, double qw, double rhw, double t) {
  if (pw == qw || rhw == 0.0) return p + (q - p) * t;
  return (p * pw + (q * qw - p * pw) * t) / rhw;
}

TRasterVertex Between(const TRasterVertex& p, const TRasterVertex& q, double t) {
  TRasterVertex r;
  r.X = static_cast<float>(p.X + (double(q.X) - p.X) * t);
  r.Y = static_cast<float>(p.Y + (double(q.Y) - p.Y) * t);
  r.Z = static_cast<float>(p.Z + (double(q.Z) - p.Z) * t);
  const double rhw = p.Rhw + (double(q.Rhw) - p.Rhw) * t;
  r.Rhw = static_cast<float>(rhw);
  r.U = static_cast<float>(Attribute(p.U, q.U, p.Rhw, q.Rhw, rhw, t));
  r.V = static_cast<float>(Attribute(p.V, q.V, p.Rhw, q.Rhw, rhw, t));
  r.Diffuse = 0;
  for (int k = 0; k < kChannels; ++k) {
    const int shift = kChannelBits * k;
    const double a = (p.Diffuse >> shift) & kChannelMax;
    const double b = (q.Diffuse >> shift) & kChannelMax;
    const double c = std::round(Attribute(a, b, p.Rhw, q.Rhw, rhw, t));
    const auto channel = static_cast<uint32_t>(c < 0 ? 0 : (c > kChannelMax ? kChannelMax : c));
    r.Diffuse |= channel << shift;
  }
  return r;
}

// Keeps the part of the polygon where sign * coordinate <= band.
int ClipSide(const TRasterVertex* in, int count, TRasterVertex* out, bool useY, double sign, double band) {
  int n = 0;
  const auto distance = [&](const TRasterVertex& v) { return sign * (useY ? v.Y : v.X) - band; };
  for (int i = 0; i < count; ++i) {
    const TRasterVertex& p = in[i];
    const TRasterVertex& q = in[(i + 1) % count];
    const double dp = distance(p), dq = distance(q);
    if (dp <= 0) out[n++] = p;
    if ((dp <= 0) != (dq <= 0)) out[n++] = Between(p, q, dp / (dp - dq));
  }
  return n;
}

}  // namespace

int ClipToGuardBand(const TRasterVertex& v0, const TRasterVertex& v1, const TRasterVertex& v2, double band,
                    TRasterVertex (&out)[kMaxClippedVertices]) {
  for (const TRasterVertex* v : {&v0, &v1, &v2}) {
    if (!std::isfinite(v->X) || !std::isfinite(v->Y)) return 0;
  }
  TRasterVertex a[kWorkVertices] = {v0, v1, v2};
  TRasterVertex b[kWorkVertices];
  int n = 3;
  n = ClipSide(a, n, b, false, +1.0, band);
  n = ClipSide(b, n, a, false, -1.0, band);
  n = ClipSide(a, n, b, true, +1.0, band);
  n = ClipSide(b, n, a, true, -1.0, band);
  if (n < 3) return 0;
  for (int i = 0; i < n; ++i) out[i] = a[i];
  return n;
}
