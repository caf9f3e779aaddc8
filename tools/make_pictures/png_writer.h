// PNG encoding of a canvas with its alpha (8-bit RGBA, zlib-compressed), for
// the desktop icons. Build-time tool code; any thread.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/make_pictures/picture_canvas.h"

// The whole file; straight alpha as the canvas holds it.
std::vector<std::uint8_t> EncodePng(const Canvas& canvas);
