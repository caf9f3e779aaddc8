// Test helper: draws one line of CP932 text through GetGlyphOutlineA the way
// the text writer places glyphs (pen on the top-left, box top at ascent -
// origin y), into a grey image that can be written as PGM. Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // 0 (no ink) .. 255 (full ink), top row first

  std::uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
};

// The CP932 character codes of text (a byte, or lead * 256 + trail).
std::vector<unsigned> Cp932Codes(const std::string& cp932);

// Renders text in dc's font with format GGO_GRAY8_BITMAP or GGO_BITMAP,
// margin pixels around it. Returns false when a glyph call fails.
bool RenderLine(HDC dc, const std::string& cp932, unsigned format, int margin, GreyImage& out);

// Writes a binary PGM (P5) with ink dark on white, for viewing.
bool WritePgm(const std::string& path, const GreyImage& image);
