// Test helpers: a software device with a readable back buffer, vertices of the
// pre-transformed format, and quad drawing. Main thread.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"

struct TTestVertex {  // FVF 0x1C4, stride 32
  float X, Y, Z, Rhw;
  DWORD Diffuse, Specular;
  float U, V;
};
static_assert(sizeof(TTestVertex) == 32);

inline constexpr DWORD kTestFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// Rounded a * b / 255, computed independently of the rasteriser.
inline uint32_t ExpectedMul(uint32_t a, uint32_t b) { return static_cast<uint32_t>(std::lround(a * b / 255.0)); }

inline uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 255; }

class SoftDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSoftwareD3DConfig();
    m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(m_d3d, nullptr);
  }
  void TearDown() override {
    if (m_device != nullptr) {
      m_device->SetTexture(0, nullptr);
      EXPECT_EQ(m_device->Release(), 0u);
    }
    EXPECT_EQ(m_d3d->Release(), 0u);
    ResetSoftwareD3DConfig();
  }

  void CreateDevice(UINT width, UINT height, bool depth = false) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.EnableAutoDepthStencil = depth ? TRUE : FALSE;
    pp.AutoDepthStencilFormat = depth ? D3DFMT_D24S8 : D3DFMT_UNKNOWN;
    ASSERT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &m_device),
              D3D_OK);
    m_width = width;
    m_height = height;
    m_device->SetFVF(kTestFvf);
    m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }

  // The back buffer's pixels, row-major (alpha byte as stored).
  std::vector<uint32_t> ReadBackBuffer() {
    IDirect3DSurface9* bb = nullptr;
    EXPECT_EQ(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(bb->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<uint32_t> out(static_cast<size_t>(m_width) * m_height);
    for (UINT y = 0; y < m_height; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(lr.pBits) + y * lr.Pitch);
      for (UINT x = 0; x < m_width; ++x) out[y * m_width + x] = row[x];
    }
    bb->UnlockRect();
    bb->Release();
    return out;
  }
  uint32_t Pixel(const std::vector<uint32_t>& img, UINT x, UINT y) const { return img[y * m_width + x]; }

  void Clear(D3DCOLOR colour) { ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK); }

  // Draws an axis-aligned quad as a two-triangle strip, vertex order as the
  // scene sends it: top-left, top-right, bottom-left, bottom-right.
  void DrawQuad(float x0, float y0, float x1, float y1, DWORD colour, float u0 = 0, float v0 = 0, float u1 = 1,
                float v1 = 1, float z = 0.5f) {
    DrawQuadColours(x0, y0, x1, y1, colour, colour, colour, colour, u0, v0, u1, v1, z);
  }
  void DrawQuadColours(float x0, float y0, float x1, float y1, DWORD c00, DWORD c10, DWORD c01, DWORD c11,
                       float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1, float z = 0.5f) {
    TTestVertex v[4] = {{x0, y0, z, 0.5f, c00, 0, u0, v0},
                        {x1, y0, z, 0.5f, c10, 0, u1, v0},
                        {x0, y1, z, 0.5f, c01, 0, u0, v1},
                        {x1, y1, z, 0.5f, c11, 0, u1, v1}};
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TTestVertex)), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
  }

  // A texture of the given format whose level 0 holds the given raw pixels
  // (row-major, bytes per pixel from the format).
  IDirect3DTexture9* MakeTexture(UINT w, UINT h, D3DFORMAT format, const std::vector<uint32_t>& pixels) {
    IDirect3DTexture9* tex = nullptr;
    EXPECT_EQ(m_device->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    if (tex == nullptr) return nullptr;
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
    const int bpp = format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 ? 4 : (format == D3DFMT_A8 ? 1 : 2);
    for (UINT y = 0; y < h; ++y) {
      auto* row = static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch;
      for (UINT x = 0; x < w; ++x) {
        const uint32_t p = pixels[y * w + x];
        for (int b = 0; b < bpp; ++b) row[x * bpp + b] = static_cast<uint8_t>(p >> (8 * b));
      }
    }
    EXPECT_EQ(tex->UnlockRect(0), D3D_OK);
    return tex;
  }

  void SetBlend(DWORD src, DWORD dst) {
    m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRS_SRCBLEND, src);
    m_device->SetRenderState(D3DRS_DESTBLEND, dst);
  }
  void UseModulate() {
    m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  }

  IDirect3D9* m_d3d = nullptr;
  IDirect3DDevice9* m_device = nullptr;
  UINT m_width = 0;
  UINT m_height = 0;
};
