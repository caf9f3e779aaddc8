// The software rasteriser behind the Direct3D 9 device: pre-transformed
// triangles with Direct3D 9's rules (pixel centres at integer coordinates,
// top-left fill convention), Gouraud colour, one texture stage, alpha test,
// z test, alpha blending. Main thread only; the device owns one rasteriser and
// the memory it draws into.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9_types.h"

// A 32-bit ARGB image the rasteriser samples from (level 0 of a texture,
// decoded when its format is not A8R8G8B8).
struct TRasterTexture {
  const uint32_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  int PitchPixels = 0;
};

struct TRasterTarget {
  uint32_t* Pixels = nullptr;  // X8R8G8B8 / A8R8G8B8
  int PitchPixels = 0;
  int Width = 0;
  int Height = 0;
  float* Depth = nullptr;  // Width x Height, row-major; null when the device has no depth buffer
};

struct TRasterVertex {
  float X, Y, Z, Rhw;
  uint32_t Diffuse;
  float U, V;
};

// The device states that matter to one draw call, gathered by the device.
struct TRasterState {
  // Pixels outside [ClipLeft, ClipRight) x [ClipTop, ClipBottom) are not drawn.
  int ClipLeft = 0, ClipTop = 0, ClipRight = 0, ClipBottom = 0;
  DWORD CullMode = D3DCULL_CCW;
  DWORD ShadeMode = D3DSHADE_GOURAUD;
  bool ZEnable = false;
  bool ZWriteEnable = true;
  DWORD ZFunc = D3DCMP_LESSEQUAL;
  bool AlphaTestEnable = false;
  DWORD AlphaFunc = D3DCMP_ALWAYS;
  DWORD AlphaRef = 0;
  bool AlphaBlendEnable = false;
  DWORD SrcBlend = D3DBLEND_ONE;
  DWORD DestBlend = D3DBLEND_ZERO;
  DWORD BlendOp = D3DBLENDOP_ADD;
  DWORD TextureFactor = 0xFFFFFFFF;
  // Texture stage 0
  const TRasterTexture* Texture = nullptr;  // null: samples count as opaque white
  DWORD ColorOp = D3DTOP_MODULATE, ColorArg1 = D3DTA_TEXTURE, ColorArg2 = D3DTA_CURRENT;
  DWORD AlphaOp = D3DTOP_SELECTARG1, AlphaArg1 = D3DTA_TEXTURE, AlphaArg2 = D3DTA_CURRENT;
  DWORD MagFilter = D3DTEXF_POINT, MinFilter = D3DTEXF_POINT;
  DWORD AddressU = D3DTADDRESS_WRAP, AddressV = D3DTADDRESS_WRAP;
};

// Rounded a * b / 255 for a, b in 0..255: the product of two colour channels.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
  const uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

struct TTriangleSetup;
struct TSpanSetup;

class TRasterizer {
 public:
  // Sizes the span buffers for targets up to maxWidth pixels wide; the only
  // allocation the rasteriser makes.
  explicit TRasterizer(int maxWidth);

  // Takes the states and target for the following DrawTriangle calls.
  void Prepare(const TRasterState& state, const TRasterTarget& target);
  // Draws one triangle; its vertices in the order the primitive gives them
  // (the first one supplies the colour under flat shading).
  void DrawTriangle(const TRasterVertex& v0, const TRasterVertex& v1, const TRasterVertex& v2);
  // The same with the flat-shading colour given: Direct3D 9 takes it from the
  // primitive's vertex of the triangle (strip triangle i: vertex i; fan
  // triangle i: vertex i + 1), which the winding order may have moved.
  // A triangle reaching far outside the viewport is clipped (guard band)
  // and its visible part drawn.
  void DrawTriangle(const TRasterVertex& v0, const TRasterVertex& v1, const TRasterVertex& v2, uint32_t flatDiffuse);

  // A two-triangle strip (v0 v1 v2, then v2 v1 v3), as a quad is drawn.
  void DrawStripQuad(const TRasterVertex& v0, const TRasterVertex& v1, const TRasterVertex& v2,
                     const TRasterVertex& v3);

  // Pixels that reached the blending stage since construction (benchmarks).
  uint64_t PixelsDrawn() const { return m_pixelsDrawn; }

  using TBlendFn = void (*)(const TRasterState& state, const uint32_t* src, const uint8_t* mask, uint32_t* dst,
                            int count);

 private:
  void DrawTriangleOrRectangle(const TRasterVertex& a, const TRasterVertex& b, const TRasterVertex& c,
                               bool rectangle, uint32_t flatDiffuse);
  void DrawSpans(const TTriangleSetup& tri);
  void ShadeAlongRow(const TTriangleSetup& tri, TSpanSetup s, int count);
  // Fills m_mask for the span; returns how many pixels pass.
  int RunDepthAndAlphaTests(const TTriangleSetup& tri, int y, int x0, int count);

  TRasterState m_state;
  TRasterTarget m_target;
  // Stage-0 combination: result = Mul(X, Y), each operand assembled from the
  // texel, the diffuse colour and constant bits by channel masks.
  uint32_t m_xTexMask = 0, m_xDiffMask = 0, m_xConst = 0;
  uint32_t m_yTexMask = 0, m_yDiffMask = 0, m_yConst = 0;
  bool m_depthActive = false;
  bool m_testsActive = false;
  TBlendFn m_blend = nullptr;
  std::vector<uint32_t> m_src;
  std::vector<uint8_t> m_mask;
  uint64_t m_pixelsDrawn = 0;
};
