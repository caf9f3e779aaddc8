// Writes a Canvas as a Windows bitmap: BITMAPFILEHEADER, a 40-byte
// BITMAPINFOHEADER, uncompressed bottom-up rows. Build-time tool code; any
// thread.
#pragma once

#include "tools/make_pictures/picture_canvas.h"

#include <cstdint>
#include <vector>

enum class BmpKind {
  Opaque24,  // BGR, rows padded to four bytes; alpha is dropped
  Alpha32,   // BGRA: the fourth byte carries the picture's alpha
};

// The bitmap file's bytes. Colour channels are rounded from 0..1 to 0..255.
std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas, BmpKind kind);

// One colour channel value 0..1 as a byte, rounded to nearest.
std::uint8_t ChannelByte(float value);
