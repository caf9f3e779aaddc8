#include "gfx/pixel_format.h"

namespace {

enum : DWORD {
  kR8G8B8 = 20, kA8R8G8B8 = 21, kX8R8G8B8 = 22, kR5G6B5 = 23, kX1R5G5B5 = 24, kA1R5G5B5 = 25,
  kA4R4G4B4 = 26, kR3G3B2 = 27, kA8 = 28, kA8R3G3B2 = 29, kX4R4G4B4 = 30, kL8 = 50, kA8L8 = 51,
  kA4L4 = 52, kV8U8 = 60, kL6V5U5 = 61, kX8L8V8U8 = 62, kQ8W8V8U8 = 63, kV16U16 = 64,
};

DWORD Bits(DWORD value, int high, int low) { return (value >> low) & ((1u << (high - low + 1)) - 1u); }

DWORD Argb(DWORD a, DWORD r, DWORD g, DWORD b) { return (a << 24) | (r << 16) | (g << 8) | b; }

}  // namespace

DWORD ScaleComponent(DWORD Value, DWORD Bits) {
  const uint64_t max = (uint64_t{1} << Bits) - 1;
  return max == 0 ? 0 : static_cast<DWORD>(uint64_t{Value} * 255u / max);
}

DWORD EncodePixel(DWORD Color, DWORD Format) {
  if (Format == kR8G8B8) return Color;  // passed on unchanged
  return EncodeARGB(Color >> 24, (Color >> 16) & 255, (Color >> 8) & 255, Color & 255, Format);
}

DWORD EncodeARGB(DWORD A, DWORD R, DWORD G, DWORD B, DWORD Format) {
  A &= 255;
  R &= 255;
  G &= 255;
  B &= 255;
  switch (Format) {
    case kR8G8B8:
    case kX8R8G8B8: return (R << 16) | (G << 8) | B;
    case kA8R8G8B8: return Argb(A, R, G, B);
    case kR5G6B5: return ((R >> 3) << 11) | ((G >> 2) << 5) | (B >> 3);
    case kX1R5G5B5: return ((R >> 3) << 10) | ((G >> 3) << 5) | (B >> 3);
    case kA1R5G5B5: return ((A >> 7) << 15) | ((R >> 3) << 10) | ((G >> 3) << 5) | (B >> 3);
    case kA4R4G4B4: return ((A >> 4) << 12) | ((R >> 4) << 8) | ((G >> 4) << 4) | (B >> 4);
    case kR3G3B2: return ((R >> 5) << 5) | ((G >> 5) << 2) | (B >> 6);
    case kA8: return A;
    case kA8R3G3B2: return (A << 8) | ((R >> 5) << 5) | ((G >> 5) << 2) | (B >> 6);
    case kX4R4G4B4: return ((R >> 4) << 8) | ((G >> 4) << 4) | (B >> 4);
    case kL8: return R;
    case kA8L8: return (A << 8) | R;
    case kA4L4: return ((A >> 4) << 4) | (R >> 4);
    case kV8U8: return Argb(A, R, G, B) & 0xFFFFu;
    case kL6V5U5: return ((R >> 2) << 10) | ((G >> 3) << 5) | (B >> 3);
    case kX8L8V8U8: return Argb(A, R, G, B) & 0xFFFFFFu;
    case kQ8W8V8U8: return Argb(A, R, G, B);
    case kV16U16: return (G << 24) | (B << 8);
    default: return 0;
  }
}

DWORD DecodePixel(DWORD Pixel, DWORD Format) {
  const DWORD p = Pixel;
  switch (Format) {
    case kR8G8B8:
    case kX8R8G8B8: return p | 0xFF000000u;
    case kA8R8G8B8: return p;
    case kR5G6B5:
      return Argb(255, ScaleComponent(Bits(p, 15, 11), 5), ScaleComponent(Bits(p, 10, 5), 6),
                  ScaleComponent(Bits(p, 4, 0), 5));
    case kX1R5G5B5:
    case kA1R5G5B5: {
      const DWORD a = Format == kX1R5G5B5 ? 255 : Bits(p, 15, 15) * 255;
      return Argb(a, ScaleComponent(Bits(p, 14, 10), 5), ScaleComponent(Bits(p, 9, 5), 5),
                  ScaleComponent(Bits(p, 4, 0), 5));
    }
    case kA4R4G4B4:
    case kX4R4G4B4: {
      const DWORD a = Format == kX4R4G4B4 ? 255 : ScaleComponent(Bits(p, 15, 12), 4);
      return Argb(a, ScaleComponent(Bits(p, 11, 8), 4), ScaleComponent(Bits(p, 7, 4), 4),
                  ScaleComponent(Bits(p, 3, 0), 4));
    }
    case kR3G3B2:
    case kA8R3G3B2: {
      const DWORD a = Format == kR3G3B2 ? 255 : Bits(p, 15, 8);
      return Argb(a, ScaleComponent(Bits(p, 7, 5), 3), ScaleComponent(Bits(p, 4, 2), 3),
                  ScaleComponent(Bits(p, 1, 0), 2));
    }
    case kA8: return (p & 255) << 24;
    case kL8: return (p & 255) << 16;
    case kA8L8: return (Bits(p, 15, 8) << 24) | (Bits(p, 7, 0) << 16);
    case kA4L4: return (ScaleComponent(Bits(p, 7, 4), 4) << 24) | (ScaleComponent(Bits(p, 3, 0), 4) << 16);
    case kV8U8:
    case kX8L8V8U8:
    case kQ8W8V8U8: return p;
    case kL6V5U5: return (Bits(p, 15, 10) << 2 << 16) | (Bits(p, 9, 5) << 3 << 8) | (Bits(p, 4, 0) << 3);
    case kV16U16: return (p & 0xFFFFu) | ((p >> 16) << 8);
    default: return 0;
  }
}
