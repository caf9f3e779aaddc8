// The colour and vector makers the game builds its quads with (unit
// s_MathPack): 32-bit ARGB colours, draw positions and quad vertices.
// Plain values and pure functions; any thread.
#pragma once

#include <cstdint>

// One vertex of a quad as the game builds it, offsets in pixels from the
// quad's draw position (y downwards).
struct TNQVertex {
  float X;
  float Y;
  uint32_t Color;  // ARGB: alpha in bits 31-24, red 23-16, green 15-8, blue 7-0
  float U;         // 0 at the texture's left edge
  float V;         // 0 at the texture's top edge
};

// A draw position in back-buffer pixels.
struct TVector2 {
  float X;
  float Y;
};

// Packs four channels; only the low byte of each argument counts.
constexpr uint32_t MakeARGB(int32_t A, int32_t R, int32_t G, int32_t B) {
  return (static_cast<uint32_t>(A) & 0xFFu) << 24 | (static_cast<uint32_t>(R) & 0xFFu) << 16 |
         (static_cast<uint32_t>(G) & 0xFFu) << 8 | (static_cast<uint32_t>(B) & 0xFFu);
}

constexpr TVector2 MakeVector2(float X, float Y) { return TVector2{X, Y}; }

constexpr TNQVertex MakeVertex(float X, float Y, uint32_t Color, float U, float V) {
  return TNQVertex{X, Y, Color, U, V};
}
