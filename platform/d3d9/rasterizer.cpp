// Software rasteriser.
//
// Index:
//   1. Fixed-point helpers and the incremental floor division of edge bounds
//   2. Texel addressing and fetching (point, bilinear; wrap, mirror, clamp)
//   3. Span shading routines (templates over texture mode, Gouraud, multiply)
//   4. Blending routines (templates over the common factor pairs, a generic one)
//   5. TRasterizer: state preparation, triangle set-up, span loop, tests
//
// Rules followed (Direct3D 9): a pixel is covered when its centre, the point
// at integer coordinates (x, y), lies inside the triangle; centres exactly on
// an edge belong to the triangle only for top and left edges. Vertex
// positions are snapped to 1/256 pixel. Attributes are interpolated at pixel
// centres, perspective-correct when the vertices' RHW differ.
#include "platform/d3d9/rasterizer.h"

#include "platform/d3d9/guard_band_clip.h"

#include <algorithm>
#include <cstddef>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// ---------------------------------------------------------------------------
// 1. Fixed point
// ---------------------------------------------------------------------------
constexpr int kSubPixelBits = 8;
constexpr int64_t kSubPixelOne = int64_t{1} << kSubPixelBits;
// Vertices farther out than this (pixels) are not rasterised directly: it
// keeps every edge product inside 64 bits. A triangle reaching beyond it is
// first clipped to the smaller square below, and its visible part drawn.
constexpr double kGuardBandPixels = 1 << 20;
constexpr double kClipBandPixels = 1 << 19;
constexpr int kFrac = 16;  // 16.16 fixed point for colours and texel coordinates
constexpr double kFracOne = 65536.0;

int64_t FloorDiv(int64_t n, int64_t d) {  // d > 0
  int64_t q = n / d;
  if ((n % d) != 0 && n < 0) --q;
  return q;
}

// floor(K(y) / d) for K growing by k per row, without a division per row.
struct TFloorStepper {
  int64_t q = 0, r = 0, d = 1, qk = 0, rk = 0;
  void Init(int64_t k0, int64_t divisor, int64_t kStep) {
    d = divisor;
    q = FloorDiv(k0, d);
    r = k0 - q * d;
    qk = FloorDiv(kStep, d);
    rk = kStep - qk * d;
  }
  void Step() {
    q += qk;
    r += rk;
    if (r >= d) {
      ++q;
      r -= d;
    }
  }
};

struct TPlane {
  double A = 0, B = 0, C = 0;  // value = A * x + B * y + C
  double At(double x, double y) const { return A * x + B * y + C; }
};

#if defined(__SSE2__)
// Rounded x / 255 in every 16-bit lane, for x <= 65025.
inline __m128i Div255Epu16(__m128i x) {
  const __m128i t = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
}
#endif

// The product of two colours, channel by channel: rounded x * y / 255.
inline uint32_t Mul4(uint32_t x, uint32_t y) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i a = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(x)), zero);
  const __m128i b = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(y)), zero);
  const __m128i p = Div255Epu16(_mm_mullo_epi16(a, b));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(p, zero)));
#else
  return (Mul255(x >> 24, y >> 24) << 24) | (Mul255((x >> 16) & 255, (y >> 16) & 255) << 16) |
         (Mul255((x >> 8) & 255, (y >> 8) & 255) << 8) | Mul255(x & 255, y & 255);
#endif
}

// ---------------------------------------------------------------------------
// 2. Texels
// ---------------------------------------------------------------------------
inline int AddressIndex(int i, int n, DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_CLAMP:
    case D3DTADDRESS_BORDER:
      return i < 0 ? 0 : (i >= n ? n - 1 : i);
    case D3DTADDRESS_MIRROR: {
      int m = i % (2 * n);
      if (m < 0) m += 2 * n;
      return m < n ? m : 2 * n - 1 - m;
    }
    default: {
      int m = i % n;
      return m < 0 ? m + n : m;
    }
  }
}

#if !defined(__SSE2__)
// Weighted mix of two ARGB values, f in 0..255 the weight of b in 1/256.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
  const uint32_t g = 256 - f;
  const uint32_t rb = (((a & 0xFF00FFu) * g + (b & 0xFF00FFu) * f) >> 8) & 0xFF00FFu;
  const uint32_t ag = ((((a >> 8) & 0xFF00FFu) * g + ((b >> 8) & 0xFF00FFu) * f) >> 8) & 0xFF00FFu;
  return rb | (ag << 8);
}
#endif

}  // namespace

// Everything a span routine needs, set up per row.
struct TSpanSetup {
  // texture
  const uint32_t* tex = nullptr;
  int texW = 0, texH = 0, texPitch = 0;
  DWORD addressU = D3DTADDRESS_WRAP, addressV = D3DTADDRESS_WRAP;
  bool inside = false;  // every tap of the span lies inside the texture: no addressing needed
  // Spans along a texel row (v constant, inside): the rows and the vertical weight.
  const uint32_t* row0 = nullptr;
  const uint32_t* row1 = nullptr;
  uint32_t fy = 0;
  // affine: 16.16 texel coordinates and colours
  int64_t u = 0, du = 0, v = 0, dv = 0;
  int32_t c[4] = {}, dc[4] = {};  // a, r, g, b
  // perspective: plain floats (values times RHW, and RHW)
  float pu = 0, pdu = 0, pv = 0, pdv = 0, pw = 0, pdw = 0;
  float pc[4] = {}, pdc[4] = {};
  // stage 0 combination
  uint32_t xT = 0, xD = 0, xK = 0, yT = 0, yD = 0, yK = 0;
};

struct TTriangleSetup {
  int yMin = 0, yMax = -1;
  int xClipMin = 0, xClipMax = -1;
  TFloorStepper edges[3];
  int edgeKind[3] = {};  // -1: lower bound, +1: upper bound, 0: horizontal
  int64_t horizontalK[3] = {};
  int64_t horizontalStep[3] = {};
  double x0 = 0, y0 = 0;
  TPlane z, w, u, v, c[4];
  bool perspective = false;
  bool gouraud = false;
  int texMode = 0;  // 0 none, 1 point, 2 bilinear
  TSpanSetup span;  // constant parts; per-row parts filled by DrawSpans
  using TShadeFn = void (*)(const TSpanSetup&, uint32_t*, int);
  TShadeFn shade = nullptr;
  TShadeFn shadeRow = nullptr;  // the variant for spans along one texel row
};

namespace {

// ---------------------------------------------------------------------------
// 3. Span shading
// ---------------------------------------------------------------------------
inline uint32_t FetchPoint(const TSpanSetup& s, int64_t fu, int64_t fv) {
  int iu = static_cast<int>(fu >> kFrac);
  int iv = static_cast<int>(fv >> kFrac);
  if (!s.inside) {
    iu = AddressIndex(iu, s.texW, s.addressU);
    iv = AddressIndex(iv, s.texH, s.addressV);
  }
  return s.tex[static_cast<std::ptrdiff_t>(iv) * s.texPitch + iu];
}

inline uint32_t FetchBilinear(const TSpanSetup& s, int64_t fu, int64_t fv) {
  // Texel centres sit at half-integer texel coordinates.
  const int64_t su = fu - (int64_t{1} << (kFrac - 1));
  const int64_t sv = fv - (int64_t{1} << (kFrac - 1));
  int u0 = static_cast<int>(su >> kFrac);
  int v0 = static_cast<int>(sv >> kFrac);
  const uint32_t fx = static_cast<uint32_t>((su >> (kFrac - 8)) & 255);
  const uint32_t fy = static_cast<uint32_t>((sv >> (kFrac - 8)) & 255);
  int u1 = u0 + 1;
  int v1 = v0 + 1;
  if (!s.inside) {
    u0 = AddressIndex(u0, s.texW, s.addressU);
    u1 = AddressIndex(u1, s.texW, s.addressU);
    v0 = AddressIndex(v0, s.texH, s.addressV);
    v1 = AddressIndex(v1, s.texH, s.addressV);
  }
  const uint32_t* r0 = s.tex + static_cast<std::ptrdiff_t>(v0) * s.texPitch;
  const uint32_t* r1 = s.tex + static_cast<std::ptrdiff_t>(v1) * s.texPitch;
#if defined(__SSE2__)
  // Each row's two texels in eight 16-bit lanes, weighted 256 - fx and fx,
  // then the two rows weighted 256 - fy and fy (every sum stays below 65536).
  const __m128i zero = _mm_setzero_si128();
  const __m128i top = _mm_unpacklo_epi8(
      _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(r0[u0])), _mm_cvtsi32_si128(static_cast<int>(r0[u1]))),
      zero);
  const __m128i bottom = _mm_unpacklo_epi8(
      _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(r1[u0])), _mm_cvtsi32_si128(static_cast<int>(r1[u1]))),
      zero);
  const auto wx0 = static_cast<short>(256 - fx), wx1 = static_cast<short>(fx);
  const __m128i wx = _mm_set_epi16(wx1, wx1, wx1, wx1, wx0, wx0, wx0, wx0);
  const __m128i pt = _mm_mullo_epi16(top, wx);
  const __m128i pb = _mm_mullo_epi16(bottom, wx);
  const __m128i rowTop = _mm_srli_epi16(_mm_add_epi16(pt, _mm_srli_si128(pt, 8)), 8);
  const __m128i rowBottom = _mm_srli_epi16(_mm_add_epi16(pb, _mm_srli_si128(pb, 8)), 8);
  const __m128i vy = _mm_add_epi16(_mm_mullo_epi16(rowTop, _mm_set1_epi16(static_cast<short>(256 - fy))),
                                   _mm_mullo_epi16(rowBottom, _mm_set1_epi16(static_cast<short>(fy))));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_srli_epi16(vy, 8), zero)));
#else
  return Lerp(Lerp(r0[u0], r0[u1], fx), Lerp(r1[u0], r1[u1], fx), fy);
#endif
}

// A tap on a span with constant v that stays inside the texture.
inline uint32_t FetchPointRow(const TSpanSetup& s, int64_t fu) { return s.row0[fu >> kFrac]; }

inline uint32_t FetchBilinearRow(const TSpanSetup& s, int64_t fu) {
  const int64_t su = fu - (int64_t{1} << (kFrac - 1));
  const auto u0 = static_cast<int>(su >> kFrac);
  const auto fx = static_cast<uint32_t>((su >> (kFrac - 8)) & 255);
#if defined(__SSE2__)
  // Both columns blended vertically at once, then the two columns.
  const __m128i zero = _mm_setzero_si128();
  const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s.row0 + u0)), zero);
  const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s.row1 + u0)), zero);
  const __m128i vert = _mm_srli_epi16(
      _mm_add_epi16(_mm_mullo_epi16(a, _mm_set1_epi16(static_cast<short>(256 - s.fy))),
                    _mm_mullo_epi16(b, _mm_set1_epi16(static_cast<short>(s.fy)))),
      8);
  const auto wx0 = static_cast<short>(256 - fx), wx1 = static_cast<short>(fx);
  const __m128i p = _mm_mullo_epi16(vert, _mm_set_epi16(wx1, wx1, wx1, wx1, wx0, wx0, wx0, wx0));
  const __m128i h = _mm_srli_epi16(_mm_add_epi16(p, _mm_srli_si128(p, 8)), 8);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(h, zero)));
#else
  return Lerp(Lerp(s.row0[u0], s.row0[u0 + 1], fx), Lerp(s.row1[u0], s.row1[u0 + 1], fx), s.fy);
#endif
}

inline uint32_t ClampChannel(int32_t fixed) {
  const int32_t v = (fixed + (1 << (kFrac - 1))) >> kFrac;
  return static_cast<uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

template <int TexMode, bool Gouraud, bool Multiply>
void ShadeAffine(const TSpanSetup& s, uint32_t* out, int count) {
  int64_t u = s.u, v = s.v;
  int32_t ca = s.c[0], cr = s.c[1], cg = s.c[2], cb = s.c[3];
  for (int i = 0; i < count; ++i) {
    uint32_t t = 0;
    if constexpr (TexMode == 1) t = FetchPoint(s, u, v);
    if constexpr (TexMode == 2) t = FetchBilinear(s, u, v);
    if constexpr (TexMode == 3) t = FetchPointRow(s, u);
    if constexpr (TexMode == 4) t = FetchBilinearRow(s, u);
    uint32_t c = 0;
    if constexpr (Gouraud) {
      c = (ClampChannel(ca) << 24) | (ClampChannel(cr) << 16) | (ClampChannel(cg) << 8) | ClampChannel(cb);
      ca += s.dc[0];
      cr += s.dc[1];
      cg += s.dc[2];
      cb += s.dc[3];
    }
    const uint32_t x = (t & s.xT) | (c & s.xD) | s.xK;
    if constexpr (Multiply) {
      const uint32_t y = (t & s.yT) | (c & s.yD) | s.yK;
      out[i] = Mul4(x, y);
    } else {
      out[i] = x;
    }
    if constexpr (TexMode != 0) {
      u += s.du;
      v += s.dv;
    }
  }
}

inline uint32_t ChannelFromFloat(float f) {
  const int v = static_cast<int>(f + 0.5f);
  return static_cast<uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

template <int TexMode, bool Multiply>
void ShadePerspective(const TSpanSetup& s, uint32_t* out, int count) {
  float pu = s.pu, pv = s.pv, pw = s.pw;
  float pc[4] = {s.pc[0], s.pc[1], s.pc[2], s.pc[3]};
  for (int i = 0; i < count; ++i) {
    const float w = pw != 0.0f ? 1.0f / pw : 0.0f;
    uint32_t t = 0;
    if constexpr (TexMode != 0) {
      const auto fu = static_cast<int64_t>(std::floor(static_cast<double>(pu * w) * kFracOne));
      const auto fv = static_cast<int64_t>(std::floor(static_cast<double>(pv * w) * kFracOne));
      t = TexMode == 1 ? FetchPoint(s, fu, fv) : FetchBilinear(s, fu, fv);
    }
    const uint32_t c = (ChannelFromFloat(pc[0] * w) << 24) | (ChannelFromFloat(pc[1] * w) << 16) |
                       (ChannelFromFloat(pc[2] * w) << 8) | ChannelFromFloat(pc[3] * w);
    const uint32_t x = (t & s.xT) | (c & s.xD) | s.xK;
    if constexpr (Multiply) {
      out[i] = Mul4(x, (t & s.yT) | (c & s.yD) | s.yK);
    } else {
      out[i] = x;
    }
    pu += s.pdu;
    pv += s.pdv;
    pw += s.pdw;
    for (int k = 0; k < 4; ++k) pc[k] += s.pdc[k];
  }
}

using TShadeFn = TTriangleSetup::TShadeFn;

constexpr TShadeFn kShadeAffine[5][2][2] = {
    {{ShadeAffine<0, false, false>, ShadeAffine<0, false, true>},
     {ShadeAffine<0, true, false>, ShadeAffine<0, true, true>}},
    {{ShadeAffine<1, false, false>, ShadeAffine<1, false, true>},
     {ShadeAffine<1, true, false>, ShadeAffine<1, true, true>}},
    {{ShadeAffine<2, false, false>, ShadeAffine<2, false, true>},
     {ShadeAffine<2, true, false>, ShadeAffine<2, true, true>}},
    {{ShadeAffine<3, false, false>, ShadeAffine<3, false, true>},
     {ShadeAffine<3, true, false>, ShadeAffine<3, true, true>}},
    {{ShadeAffine<4, false, false>, ShadeAffine<4, false, true>},
     {ShadeAffine<4, true, false>, ShadeAffine<4, true, true>}},
};
constexpr TShadeFn kShadePerspective[3][2] = {
    {ShadePerspective<0, false>, ShadePerspective<0, true>},
    {ShadePerspective<1, false>, ShadePerspective<1, true>},
    {ShadePerspective<2, false>, ShadePerspective<2, true>},
};

// ---------------------------------------------------------------------------
// 4. Blending
// ---------------------------------------------------------------------------
// The blend factor for one channel (0..255); ch is the channel's shift.
inline uint32_t Factor(DWORD f, uint32_t s, uint32_t d, int ch) {
  switch (f) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 255;
    case D3DBLEND_SRCCOLOR: return (s >> ch) & 255;
    case D3DBLEND_INVSRCCOLOR: return 255 - ((s >> ch) & 255);
    case D3DBLEND_SRCALPHA: return s >> 24;
    case D3DBLEND_INVSRCALPHA: return 255 - (s >> 24);
    case D3DBLEND_DESTALPHA: return d >> 24;
    case D3DBLEND_INVDESTALPHA: return 255 - (d >> 24);
    case D3DBLEND_DESTCOLOR: return (d >> ch) & 255;
    case D3DBLEND_INVDESTCOLOR: return 255 - ((d >> ch) & 255);
    default: return 0;
  }
}

// One channel of s * sf + d * df, rounded once and clamped.
template <DWORD Src, DWORD Dst>
inline uint32_t BlendChannel(uint32_t s, uint32_t d, int ch) {
  const uint32_t sum = ((s >> ch) & 255) * Factor(Src, s, d, ch) + ((d >> ch) & 255) * Factor(Dst, s, d, ch);
  const uint32_t r = (sum + 127) / 255;
  return r > 255 ? 255 : r;
}

template <DWORD Src, DWORD Dst>
inline uint32_t BlendAddPixel(uint32_t s, uint32_t d) {
  return BlendChannel<Src, Dst>(s, d, 0) | (BlendChannel<Src, Dst>(s, d, 8) << 8) |
         (BlendChannel<Src, Dst>(s, d, 16) << 16) | (BlendChannel<Src, Dst>(s, d, 24) << 24);
}

template <DWORD Src, DWORD Dst>
void BlendAdd(const TRasterState&, const uint32_t* src, const uint8_t* mask, uint32_t* dst, int count) {
  if (mask == nullptr) {
    for (int i = 0; i < count; ++i) dst[i] = BlendAddPixel<Src, Dst>(src[i], dst[i]);
  } else {
    for (int i = 0; i < count; ++i) {
      if (mask[i]) dst[i] = BlendAddPixel<Src, Dst>(src[i], dst[i]);
    }
  }
}

// The source-alpha blend every translucent sprite uses.
void BlendSrcAlphaInvSrcAlpha(const TRasterState&, const uint32_t* src, const uint8_t* mask, uint32_t* dst,
                              int count) {
  int i = 0;
#if defined(__SSE2__)
  if (mask == nullptr) {
    // Two pixels per 128-bit half: s * a + d * (255 - a) <= 65025 fits a lane.
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    for (; i + 4 <= count; i += 4) {
      const __m128i s4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i d4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
      __m128i out[2];
      for (int half = 0; half < 2; ++half) {
        const __m128i s = half == 0 ? _mm_unpacklo_epi8(s4, zero) : _mm_unpackhi_epi8(s4, zero);
        const __m128i d = half == 0 ? _mm_unpacklo_epi8(d4, zero) : _mm_unpackhi_epi8(d4, zero);
        const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
        const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(s, a), _mm_mullo_epi16(d, _mm_sub_epi16(full, a)));
        out[half] = Div255Epu16(sum);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(out[0], out[1]));
    }
  }
#endif
  for (; i < count; ++i) {
    if (mask != nullptr && !mask[i]) continue;
    dst[i] = BlendAddPixel<D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA>(src[i], dst[i]);
  }
}

void BlendGeneric(const TRasterState& st, const uint32_t* src, const uint8_t* mask, uint32_t* dst, int count) {
  for (int i = 0; i < count; ++i) {
    if (mask != nullptr && !mask[i]) continue;
    const uint32_t s = src[i];
    const uint32_t d = dst[i];
    uint32_t out = 0;
    for (int ch = 0; ch < 32; ch += 8) {
      const auto a = static_cast<int32_t>(((s >> ch) & 255) * Factor(st.SrcBlend, s, d, ch));
      const auto b = static_cast<int32_t>(((d >> ch) & 255) * Factor(st.DestBlend, s, d, ch));
      int32_t r;
      switch (st.BlendOp) {
        case D3DBLENDOP_SUBTRACT: r = (a - b + (a >= b ? 127 : -127)) / 255; break;
        case D3DBLENDOP_REVSUBTRACT: r = (b - a + (b >= a ? 127 : -127)) / 255; break;
        case D3DBLENDOP_MIN: r = static_cast<int32_t>(std::min((s >> ch) & 255, (d >> ch) & 255)); break;
        case D3DBLENDOP_MAX: r = static_cast<int32_t>(std::max((s >> ch) & 255, (d >> ch) & 255)); break;
        default: r = (a + b + 127) / 255; break;
      }
      out |= static_cast<uint32_t>(std::clamp(r, 0, 255)) << ch;
    }
    dst[i] = out;
  }
}

void WriteOpaque(const TRasterState&, const uint32_t* src, const uint8_t* mask, uint32_t* dst, int count) {
  if (mask == nullptr) {
    std::memcpy(dst, src, static_cast<size_t>(count) * sizeof(uint32_t));
    return;
  }
  for (int i = 0; i < count; ++i) {
    if (mask[i]) dst[i] = src[i];
  }
}

// Index of a factor among the six that have their own routine, -1 otherwise.
int CommonFactorIndex(DWORD f) { return (f >= D3DBLEND_ZERO && f <= D3DBLEND_INVSRCALPHA) ? int(f) - 1 : -1; }

template <DWORD Src>
constexpr TRasterizer::TBlendFn kRow[6] = {BlendAdd<Src, 1>, BlendAdd<Src, 2>, BlendAdd<Src, 3>,
                                            BlendAdd<Src, 4>, BlendAdd<Src, 5>, BlendAdd<Src, 6>};
constexpr const TRasterizer::TBlendFn* kBlendTable[6] = {kRow<1>, kRow<2>, kRow<3>, kRow<4>, kRow<5>, kRow<6>};

bool Compare(DWORD func, float a, float b) {
  switch (func) {
    case D3DCMP_NEVER: return false;
    case D3DCMP_LESS: return a < b;
    case D3DCMP_EQUAL: return a == b;
    case D3DCMP_LESSEQUAL: return a <= b;
    case D3DCMP_GREATER: return a > b;
    case D3DCMP_NOTEQUAL: return a != b;
    case D3DCMP_GREATEREQUAL: return a >= b;
    default: return true;
  }
}

// Adds the source of one texture argument to an operand's masks.
void AddArgument(DWORD arg, uint32_t channels, uint32_t tfactor, uint32_t& texMask, uint32_t& diffMask,
                 uint32_t& constBits) {
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE: texMask |= channels; break;
    case D3DTA_DIFFUSE:
    case D3DTA_CURRENT: diffMask |= channels; break;
    case D3DTA_TFACTOR: constBits |= tfactor & channels; break;
    default: break;  // specular and temporaries: zero
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// 5. TRasterizer
// ---------------------------------------------------------------------------
TRasterizer::TRasterizer(int maxWidth)
    : m_src(static_cast<size_t>(std::max(maxWidth, 1))), m_mask(static_cast<size_t>(std::max(maxWidth, 1))) {}

void TRasterizer::Prepare(const TRasterState& state, const TRasterTarget& target) {
  m_state = state;
  m_target = target;
  m_depthActive = state.ZEnable && target.Depth != nullptr;
  m_testsActive = m_depthActive || (state.AlphaTestEnable && state.AlphaFunc != D3DCMP_ALWAYS);

  // Stage 0: colour channels and alpha channel each take X = arg1 and
  // Y = arg2 (MODULATE), or X = the selected argument and Y = white.
  constexpr uint32_t kRgb = 0x00FFFFFFu;
  constexpr uint32_t kAlpha = 0xFF000000u;
  m_xTexMask = m_xDiffMask = m_xConst = 0;
  m_yTexMask = m_yDiffMask = m_yConst = 0;
  auto setup = [&](DWORD op, DWORD arg1, DWORD arg2, uint32_t channels) {
    switch (op) {
      case D3DTOP_DISABLE:
        AddArgument(D3DTA_DIFFUSE, channels, state.TextureFactor, m_xTexMask, m_xDiffMask, m_xConst);
        m_yConst |= channels;
        break;
      case D3DTOP_SELECTARG1:
        AddArgument(arg1, channels, state.TextureFactor, m_xTexMask, m_xDiffMask, m_xConst);
        m_yConst |= channels;
        break;
      case D3DTOP_SELECTARG2:
        AddArgument(arg2, channels, state.TextureFactor, m_xTexMask, m_xDiffMask, m_xConst);
        m_yConst |= channels;
        break;
      default:  // MODULATE; other operations are drawn as MODULATE
        AddArgument(arg1, channels, state.TextureFactor, m_xTexMask, m_xDiffMask, m_xConst);
        AddArgument(arg2, channels, state.TextureFactor, m_yTexMask, m_yDiffMask, m_yConst);
        break;
    }
  };
  setup(state.ColorOp, state.ColorArg1, state.ColorArg2, kRgb);
  // A disabled colour operation disables the stage, alpha included.
  const DWORD alphaOp = state.ColorOp == D3DTOP_DISABLE ? DWORD{D3DTOP_DISABLE} : state.AlphaOp;
  setup(alphaOp, state.AlphaArg1, state.AlphaArg2, kAlpha);
  if (state.Texture == nullptr || state.Texture->Pixels == nullptr) {
    // An unset texture samples as opaque white.
    m_xConst |= m_xTexMask;
    m_yConst |= m_yTexMask;
    m_xTexMask = m_yTexMask = 0;
  }

  if (!state.AlphaBlendEnable) {
    m_blend = WriteOpaque;
  } else if (state.BlendOp == D3DBLENDOP_ADD && state.SrcBlend == D3DBLEND_SRCALPHA &&
             state.DestBlend == D3DBLEND_INVSRCALPHA) {
    m_blend = BlendSrcAlphaInvSrcAlpha;
  } else {
    const int s = CommonFactorIndex(state.SrcBlend);
    const int d = CommonFactorIndex(state.DestBlend);
    m_blend = (state.BlendOp == D3DBLENDOP_ADD && s >= 0 && d >= 0) ? kBlendTable[s][d] : BlendGeneric;
  }
}

void TRasterizer::DrawTriangle(const TRasterVertex& a, const TRasterVertex& b, const TRasterVertex& c) {
  DrawTriangle(a, b, c, a.Diffuse);
}

void TRasterizer::DrawTriangle(const TRasterVertex& a, const TRasterVertex& b, const TRasterVertex& c,
                               uint32_t flatDiffuse) {
  const auto inside = [](const TRasterVertex& p) {
    return std::fabs(p.X) < kGuardBandPixels && std::fabs(p.Y) < kGuardBandPixels;
  };
  if (inside(a) && inside(b) && inside(c)) {
    DrawTriangleOrRectangle(a, b, c, false, flatDiffuse);
    return;
  }
  // Far outside the viewport: the part inside the clip band, as a fan in
  // the triangle's own winding (so culling sees the same orientation).
  TRasterVertex clipped[kMaxClippedVertices];
  const int n = ClipToGuardBand(a, b, c, kClipBandPixels, clipped);
  for (int i = 1; i + 1 < n; ++i) DrawTriangleOrRectangle(clipped[0], clipped[i], clipped[i + 1], false, flatDiffuse);
}

void TRasterizer::DrawStripQuad(const TRasterVertex& v0, const TRasterVertex& v1, const TRasterVertex& v2,
                                const TRasterVertex& v3) {
  // An axis-aligned rectangle whose attributes form one plane (a sprite) is
  // drawn as one shape: the two triangles' union under the fill convention is
  // exactly the centres in [left, right) x [top, bottom), and one set-up and
  // one span per row replace two.
  const auto snap = [](float f) { return std::llround(static_cast<double>(f) * kSubPixelOne); };
  const bool aligned = snap(v0.Y) == snap(v1.Y) && snap(v2.Y) == snap(v3.Y) && snap(v0.X) == snap(v2.X) &&
                       snap(v1.X) == snap(v3.X);
  const bool planar = v0.Diffuse == v1.Diffuse && v1.Diffuse == v2.Diffuse && v2.Diffuse == v3.Diffuse &&
                      v0.Rhw == v1.Rhw && v1.Rhw == v2.Rhw && v2.Rhw == v3.Rhw && v0.Z == v1.Z && v1.Z == v2.Z &&
                      v2.Z == v3.Z && v3.U == v1.U + v2.U - v0.U && v3.V == v1.V + v2.V - v0.V;
  if (aligned && planar && std::fabs(v0.X) < kGuardBandPixels && std::fabs(v3.X) < kGuardBandPixels &&
      std::fabs(v0.Y) < kGuardBandPixels && std::fabs(v3.Y) < kGuardBandPixels) {
    DrawTriangleOrRectangle(v0, v1, v2, true, v0.Diffuse);
    return;
  }
  // Strip triangle 1 takes its flat colour from strip vertex 1.
  DrawTriangle(v0, v1, v2, v0.Diffuse);
  DrawTriangle(v2, v1, v3, v1.Diffuse);
}

void TRasterizer::DrawTriangleOrRectangle(const TRasterVertex& a, const TRasterVertex& b, const TRasterVertex& c,
                                          bool rectangle, uint32_t flatDiffuse) {
  const TRasterVertex* v[3] = {&a, &b, &c};
  for (const TRasterVertex* p : v) {
    if (!(std::fabs(p->X) < kGuardBandPixels) || !(std::fabs(p->Y) < kGuardBandPixels)) return;
  }
  int64_t fx[3], fy[3];
  for (int i = 0; i < 3; ++i) {
    fx[i] = std::llround(static_cast<double>(v[i]->X) * kSubPixelOne);
    fy[i] = std::llround(static_cast<double>(v[i]->Y) * kSubPixelOne);
  }
  int64_t area = (fx[1] - fx[0]) * (fy[2] - fy[0]) - (fy[1] - fy[0]) * (fx[2] - fx[0]);
  if (area == 0) return;
  // With y pointing down, a positive area is a clockwise triangle.
  if ((m_state.CullMode == D3DCULL_CCW && area < 0) || (m_state.CullMode == D3DCULL_CW && area > 0)) return;
  const uint32_t flatColour = flatDiffuse;
  if (area < 0) {
    std::swap(v[1], v[2]);
    std::swap(fx[1], fx[2]);
    std::swap(fy[1], fy[2]);
    area = -area;
  }

  TTriangleSetup tri;
  // Rows whose centres can be inside, clipped.
  const int64_t minY = std::min({fy[0], fy[1], fy[2]});
  const int64_t maxY = std::max({fy[0], fy[1], fy[2]});
  const int64_t minX = std::min({fx[0], fx[1], fx[2]});
  const int64_t maxX = std::max({fx[0], fx[1], fx[2]});
  tri.yMin = static_cast<int>(std::max<int64_t>(-FloorDiv(-minY, kSubPixelOne), m_state.ClipTop));
  // A rectangle covers [min, max): its last row and column are the centres below max.
  const int64_t lastY = rectangle ? -FloorDiv(-maxY, kSubPixelOne) - 1 : FloorDiv(maxY, kSubPixelOne);
  const int64_t lastX = rectangle ? -FloorDiv(-maxX, kSubPixelOne) - 1 : FloorDiv(maxX, kSubPixelOne);
  tri.yMax = static_cast<int>(std::min<int64_t>(lastY, m_state.ClipBottom - 1));
  tri.xClipMin = static_cast<int>(std::max<int64_t>(-FloorDiv(-minX, kSubPixelOne), m_state.ClipLeft));
  tri.xClipMax = static_cast<int>(std::min<int64_t>(lastX, m_state.ClipRight - 1));
  if (tri.yMin > tri.yMax || tri.xClipMin > tri.xClipMax) return;

  // Edge a->b: E(P) = dx * (Py - ay) - dy * (Px - ax), interior E > 0; the
  // centres on a top edge (horizontal, dx > 0) or a left edge (dy < 0) count.
  for (int e = 0; e < 3; ++e) {
    const int i = e, j = (e + 1) % 3;
    const int64_t dx = fx[j] - fx[i];
    const int64_t dy = fy[j] - fy[i];
    const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
    const int64_t bias = topLeft ? 0 : 1;
    // K(py) = dx * (py * 256 - ay) + dy * ax - bias; inside when K - dy * 256 * px >= 0.
    const int64_t k0 = dx * (int64_t{tri.yMin} * kSubPixelOne - fy[i]) + dy * fx[i] - bias;
    const int64_t kStep = dx * kSubPixelOne;
    if (rectangle) {
      tri.edgeKind[e] = 0;  // the bounds above are the whole coverage
      tri.horizontalK[e] = 0;
      tri.horizontalStep[e] = 0;
    } else if (dy == 0) {
      tri.edgeKind[e] = 0;
      tri.horizontalK[e] = k0;
      tri.horizontalStep[e] = kStep;
    } else if (dy < 0) {
      tri.edgeKind[e] = -1;  // px >= -floor(K / d)
      tri.edges[e].Init(k0, -dy * kSubPixelOne, kStep);
    } else {
      tri.edgeKind[e] = +1;  // px <= floor(K / d)
      tri.edges[e].Init(k0, dy * kSubPixelOne, kStep);
    }
  }

  // Attribute planes over the snapped positions.
  const double x0 = static_cast<double>(fx[0]) / kSubPixelOne, y0 = static_cast<double>(fy[0]) / kSubPixelOne;
  const double x1 = static_cast<double>(fx[1]) / kSubPixelOne - x0, y1 = static_cast<double>(fy[1]) / kSubPixelOne - y0;
  const double x2 = static_cast<double>(fx[2]) / kSubPixelOne - x0, y2 = static_cast<double>(fy[2]) / kSubPixelOne - y0;
  const double det = x1 * y2 - x2 * y1;
  auto plane = [&](double f0, double f1, double f2) {
    TPlane p;
    p.A = ((f1 - f0) * y2 - (f2 - f0) * y1) / det;
    p.B = ((f2 - f0) * x1 - (f1 - f0) * x2) / det;
    p.C = f0 - p.A * x0 - p.B * y0;
    return p;
  };
  tri.z = plane(v[0]->Z, v[1]->Z, v[2]->Z);

  const TRasterTexture* tex = m_state.Texture;
  const bool usesTexture = (m_xTexMask | m_yTexMask) != 0;
  const bool usesDiffuse = (m_xDiffMask | m_yDiffMask) != 0;
  TSpanSetup& s = tri.span;
  s.xT = m_xTexMask;
  s.xD = m_xDiffMask;
  s.xK = m_xConst;
  s.yT = m_yTexMask;
  s.yD = m_yDiffMask;
  s.yK = m_yConst;

  tri.gouraud = usesDiffuse && m_state.ShadeMode != D3DSHADE_FLAT &&
                !(v[0]->Diffuse == v[1]->Diffuse && v[1]->Diffuse == v[2]->Diffuse);
  if (usesDiffuse && !tri.gouraud) {
    // A constant colour joins the constant bits.
    const uint32_t col = m_state.ShadeMode == D3DSHADE_FLAT ? flatColour : v[0]->Diffuse;
    s.xK |= col & s.xD;
    s.yK |= col & s.yD;
    s.xD = s.yD = 0;
  }
  const bool multiply = !(s.yT == 0 && s.yD == 0 && s.yK == 0xFFFFFFFFu);

  tri.perspective = !(v[0]->Rhw == v[1]->Rhw && v[1]->Rhw == v[2]->Rhw) && (usesTexture || tri.gouraud);
  if (usesTexture) {
    s.tex = tex->Pixels;
    s.texW = tex->Width;
    s.texH = tex->Height;
    s.texPitch = tex->PitchPixels;
    s.addressU = m_state.AddressU;
    s.addressV = m_state.AddressV;
    tri.u = plane(double(v[0]->U) * s.texW, double(v[1]->U) * s.texW, double(v[2]->U) * s.texW);
    tri.v = plane(double(v[0]->V) * s.texH, double(v[1]->V) * s.texH, double(v[2]->V) * s.texH);
    const double rho = std::max({std::fabs(tri.u.A), std::fabs(tri.u.B), std::fabs(tri.v.A), std::fabs(tri.v.B)});
    const DWORD filter = rho > 1.0 ? m_state.MinFilter : m_state.MagFilter;
    tri.texMode = filter >= D3DTEXF_LINEAR ? 2 : 1;
  }
  if (tri.gouraud) {
    for (int k = 0; k < 4; ++k) {
      const int shift = 24 - 8 * k;
      tri.c[k] = plane((v[0]->Diffuse >> shift) & 255, (v[1]->Diffuse >> shift) & 255, (v[2]->Diffuse >> shift) & 255);
    }
  }
  if (tri.perspective) {
    const double w0 = v[0]->Rhw, w1 = v[1]->Rhw, w2 = v[2]->Rhw;
    tri.w = plane(w0, w1, w2);
    if (usesTexture) {
      tri.u = plane(double(v[0]->U) * s.texW * w0, double(v[1]->U) * s.texW * w1, double(v[2]->U) * s.texW * w2);
      tri.v = plane(double(v[0]->V) * s.texH * w0, double(v[1]->V) * s.texH * w1, double(v[2]->V) * s.texH * w2);
    }
    for (int k = 0; k < 4; ++k) {
      const int shift = 24 - 8 * k;
      const uint32_t constant = (s.xK >> shift) & 255;  // unused channels: any value
      const auto ch = [&](const TRasterVertex* p) {
        return tri.gouraud ? double((p->Diffuse >> shift) & 255) : double(constant);
      };
      tri.c[k] = plane(ch(v[0]) * w0, ch(v[1]) * w1, ch(v[2]) * w2);
    }
    tri.shade = kShadePerspective[tri.texMode][multiply ? 1 : 0];
  } else {
    tri.shade = kShadeAffine[tri.texMode][tri.gouraud ? 1 : 0][multiply ? 1 : 0];
    if (tri.texMode != 0) tri.shadeRow = kShadeAffine[tri.texMode + 2][tri.gouraud ? 1 : 0][multiply ? 1 : 0];
  }
  DrawSpans(tri);
}

void TRasterizer::DrawSpans(const TTriangleSetup& triIn) {
  TTriangleSetup tri = triIn;
  TSpanSetup s = tri.span;
  for (int y = tri.yMin; y <= tri.yMax; ++y) {
    int64_t lo = tri.xClipMin, hi = tri.xClipMax;
    bool empty = false;
    for (int e = 0; e < 3; ++e) {
      switch (tri.edgeKind[e]) {
        case -1: lo = std::max<int64_t>(lo, -tri.edges[e].q); tri.edges[e].Step(); break;
        case +1: hi = std::min<int64_t>(hi, tri.edges[e].q); tri.edges[e].Step(); break;
        default:
          if (tri.horizontalK[e] < 0) empty = true;
          tri.horizontalK[e] += tri.horizontalStep[e];
          break;
      }
    }
    if (empty || lo > hi) continue;
    const int x0 = static_cast<int>(lo);
    const int count = static_cast<int>(hi - lo + 1);
    const double fxStart = x0, fyRow = y;

    if (tri.perspective) {
      s.pw = static_cast<float>(tri.w.At(fxStart, fyRow));
      s.pdw = static_cast<float>(tri.w.A);
      s.pu = static_cast<float>(tri.u.At(fxStart, fyRow));
      s.pdu = static_cast<float>(tri.u.A);
      s.pv = static_cast<float>(tri.v.At(fxStart, fyRow));
      s.pdv = static_cast<float>(tri.v.A);
      for (int k = 0; k < 4; ++k) {
        s.pc[k] = static_cast<float>(tri.c[k].At(fxStart, fyRow));
        s.pdc[k] = static_cast<float>(tri.c[k].A);
      }
      s.inside = false;
    } else {
      // Fixed-point values are anchored at column 0 of the row, so a pixel
      // gets the same value whichever span (triangle, clipped part) it is in.
      if (tri.texMode != 0) {
        s.du = std::llround(tri.u.A * kFracOne);
        s.dv = std::llround(tri.v.A * kFracOne);
        s.u = std::llround(tri.u.At(0.0, fyRow) * kFracOne) + s.du * x0;
        s.v = std::llround(tri.v.At(0.0, fyRow) * kFracOne) + s.dv * x0;
        // The taps of the first and the last pixel bound those between.
        const int64_t uLast = s.u + s.du * (count - 1), vLast = s.v + s.dv * (count - 1);
        const int64_t half = tri.texMode == 2 ? (int64_t{1} << (kFrac - 1)) : 0;
        const int64_t uLo = (std::min(s.u, uLast) - half) >> kFrac, uHi = (std::max(s.u, uLast) - half) >> kFrac;
        const int64_t vLo = (std::min(s.v, vLast) - half) >> kFrac, vHi = (std::max(s.v, vLast) - half) >> kFrac;
        const int extra = tri.texMode == 2 ? 1 : 0;
        s.inside = uLo >= 0 && uHi + extra < s.texW && vLo >= 0 && vHi + extra < s.texH;
      }
      if (tri.gouraud) {
        for (int k = 0; k < 4; ++k) {
          const int64_t step = std::llround(tri.c[k].A * kFracOne);
          s.dc[k] = static_cast<int32_t>(step);
          s.c[k] = static_cast<int32_t>(std::llround(tri.c[k].At(0.0, fyRow) * kFracOne) + step * x0);
        }
      }
    }
    if (tri.shadeRow != nullptr && s.dv == 0) {
      ShadeAlongRow(tri, s, count);
    } else {
      tri.shade(s, m_src.data(), count);
    }
    const uint8_t* mask = nullptr;
    if (m_testsActive) {
      if (RunDepthAndAlphaTests(tri, y, x0, count) == 0) continue;
      mask = m_mask.data();
    }
    uint32_t* dst = m_target.Pixels + static_cast<std::ptrdiff_t>(y) * m_target.PitchPixels + x0;
    m_blend(m_state, m_src.data(), mask, dst, count);
    m_pixelsDrawn += static_cast<uint64_t>(count);
  }
}

void TRasterizer::ShadeAlongRow(const TTriangleSetup& tri, TSpanSetup s, int count) {
  // v is constant: when its taps are inside the texture, the pixels whose u
  // taps are inside too take the row routine, the rest the general one.
  const bool bilinear = tri.texMode == 2;
  const int64_t half = bilinear ? (int64_t{1} << (kFrac - 1)) : 0;
  const int64_t sv = s.v - half;
  const int64_t lastTap = bilinear ? 1 : 0;
  if ((sv >> kFrac) < 0 || (sv >> kFrac) + lastTap >= s.texH) {
    tri.shade(s, m_src.data(), count);
    return;
  }
  // Pixel i is inside when 0 <= u + i * du - half < (texW - lastTap) << 16.
  const int64_t lo = half - s.u;                                        // need i * du >= lo
  const int64_t hi = ((int64_t{s.texW} - lastTap) << kFrac) + half - s.u;  // need i * du < hi
  int64_t first = 0, last = count - 1;
  if (s.du > 0) {
    first = std::max<int64_t>(0, -FloorDiv(-lo, s.du));
    last = std::min<int64_t>(last, FloorDiv(hi - 1, s.du));
  } else if (s.du < 0) {
    first = std::max<int64_t>(0, -FloorDiv(hi - 1, -s.du));
    last = std::min<int64_t>(last, FloorDiv(-lo, -s.du));
  } else if (lo > 0 || hi <= 0) {
    first = count;
  }
  if (first > last) {
    tri.shade(s, m_src.data(), count);
    return;
  }
  const auto f = static_cast<int>(first), l = static_cast<int>(last);
  if (f > 0) tri.shade(s, m_src.data(), f);
  TSpanSetup row = s;
  row.u = s.u + s.du * f;
  row.row0 = s.tex + static_cast<std::ptrdiff_t>(sv >> kFrac) * s.texPitch;
  row.row1 = row.row0 + (bilinear ? s.texPitch : 0);
  row.fy = static_cast<uint32_t>((sv >> (kFrac - 8)) & 255);
  if (tri.gouraud) {
    for (int k = 0; k < 4; ++k) row.c[k] = s.c[k] + s.dc[k] * f;
  }
  tri.shadeRow(row, m_src.data() + f, l - f + 1);
  if (l + 1 < count) {
    TSpanSetup rest = s;
    rest.u = s.u + s.du * (l + 1);
    if (tri.gouraud) {
      for (int k = 0; k < 4; ++k) rest.c[k] = s.c[k] + s.dc[k] * (l + 1);
    }
    tri.shade(rest, m_src.data() + l + 1, count - l - 1);
  }
}

int TRasterizer::RunDepthAndAlphaTests(const TTriangleSetup& tri, int y, int x0, int count) {
  const bool alphaTest = m_state.AlphaTestEnable && m_state.AlphaFunc != D3DCMP_ALWAYS;
  const float alphaRef = static_cast<float>(m_state.AlphaRef & 255);
  float* depth = m_depthActive ? m_target.Depth + static_cast<std::ptrdiff_t>(y) * m_target.Width + x0 : nullptr;
  const bool zWrite = m_state.ZWriteEnable;
  double z = tri.z.At(x0, y);
  int passed = 0;
  for (int i = 0; i < count; ++i, z += tri.z.A) {
    bool pass = true;
    if (alphaTest) pass = Compare(m_state.AlphaFunc, static_cast<float>(m_src[i] >> 24), alphaRef);
    if (pass && depth != nullptr) {
      const auto zf = static_cast<float>(z);
      pass = Compare(m_state.ZFunc, zf, depth[i]);
      if (pass && zWrite) depth[i] = zf;
    }
    m_mask[static_cast<size_t>(i)] = pass ? 1 : 0;
    passed += pass ? 1 : 0;
  }
  return passed;
}
