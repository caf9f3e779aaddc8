// Conversions between 32-bit ARGB colours (alpha in bits 31-24) and the pixel
// layouts of Direct3D 9 formats. Pure functions; any thread.
#pragma once

#include <cstdint>

#include "platform/wintypes/wintypes.h"

// Value * 255 div (2^Bits - 1), computed in 64 bits: widens an n-bit field.
DWORD ScaleComponent(DWORD Value, DWORD Bits);
// A pixel of Format for an ARGB colour; 0 for formats without a layout.
DWORD EncodePixel(DWORD Color, DWORD Format);
// The same for the four components (0..255).
DWORD EncodeARGB(DWORD A, DWORD R, DWORD G, DWORD B, DWORD Format);
// The ARGB colour of a pixel of Format; 0 for formats without a layout.
DWORD DecodePixel(DWORD Pixel, DWORD Format);
