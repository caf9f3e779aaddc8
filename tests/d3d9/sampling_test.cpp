// Texture sampling: point and bilinear filters, wrap addressing, and the
// decoding of every texture format the device stores.
#include <gtest/gtest.h>

#include <cmath>

#include "device_fixture.h"

namespace {

// A 4 x 4 texture whose texel (x, y) is 0xFF000000 | x * 0x40 << 16 | y * 0x40 << 8 | 0x11.
std::vector<uint32_t> Ramp4x4() {
  std::vector<uint32_t> p(16);
  for (uint32_t y = 0; y < 4; ++y) {
    for (uint32_t x = 0; x < 4; ++x) p[y * 4 + x] = 0xFF000000u | ((x * 0x40u) << 16) | ((y * 0x40u) << 8) | 0x11u;
  }
  return p;
}

}  // namespace

TEST_F(SoftDeviceTest, PointSamplingOneToOneAndMagnified) {
  CreateDevice(16, 16);
  const auto ramp = Ramp4x4();
  IDirect3DTexture9* tex = MakeTexture(4, 4, D3DFMT_A8R8G8B8, ramp);
  m_device->SetTexture(0, tex);
  Clear(0);
  // Drawn at (3, 5) with no half-pixel offset: pixel (3 + x, 5 + y) shows texel (x, y).
  DrawQuad(3, 5, 7, 9, 0xFFFFFFFFu);
  auto img = ReadBackBuffer();
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 4; ++x) EXPECT_EQ(Pixel(img, 3 + x, 5 + y), ramp[y * 4 + x]) << x << "," << y;
  }
  EXPECT_EQ(Pixel(img, 7, 5), 0u);
  // Twice the size: every texel covers 2 x 2 pixels.
  Clear(0);
  DrawQuad(0, 0, 8, 8, 0xFFFFFFFFu);
  img = ReadBackBuffer();
  for (UINT y = 0; y < 8; ++y) {
    for (UINT x = 0; x < 8; ++x) EXPECT_EQ(Pixel(img, x, y), ramp[(y / 2) * 4 + x / 2]) << x << "," << y;
  }
  m_device->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(SoftDeviceTest, WrapAddressingRepeatsTheTexture) {
  CreateDevice(12, 4);
  const auto ramp = Ramp4x4();
  IDirect3DTexture9* tex = MakeTexture(4, 4, D3DFMT_A8R8G8B8, ramp);
  m_device->SetTexture(0, tex);
  Clear(0);
  // u from -1 to 2 across 12 pixels: three copies, also left of zero.
  DrawQuad(0, 0, 12, 4, 0xFFFFFFFFu, -1.0f, 0.0f, 2.0f, 1.0f);
  auto img = ReadBackBuffer();
  for (UINT x = 0; x < 12; ++x) EXPECT_EQ(Pixel(img, x, 2), ramp[2 * 4 + x % 4]) << x;
  // Clamp repeats the edge texels instead.
  m_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  DrawQuad(0, 0, 12, 4, 0xFFFFFFFFu, -1.0f, 0.0f, 2.0f, 1.0f);
  img = ReadBackBuffer();
  EXPECT_EQ(Pixel(img, 1, 0), ramp[0]);
  EXPECT_EQ(Pixel(img, 10, 0), ramp[3]);
  m_device->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(SoftDeviceTest, BilinearSamplingWeighsTheFourNearestTexels) {
  CreateDevice(16, 4);
  // 2 x 1: black and white. Magnified 8 times, bilinear, wrapping.
  IDirect3DTexture9* tex = MakeTexture(2, 1, D3DFMT_A8R8G8B8, {0xFF000000u, 0xFFFFFFFFu});
  m_device->SetTexture(0, tex);
  m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  Clear(0);
  DrawQuad(0, 0, 16, 4, 0xFFFFFFFFu);
  const auto img = ReadBackBuffer();
  for (UINT x = 0; x < 16; ++x) {
    // Texel space s = u * 2 - 0.5 with u = x / 16; texel centres at .5.
    const double s = x / 8.0 - 0.5;
    const double f = s - std::floor(s);
    const int i0 = static_cast<int>(std::floor(s));
    const double c0 = ((i0 % 2 + 2) % 2) == 1 ? 255.0 : 0.0;  // wraps: texel -1 is texel 1
    const double c1 = (((i0 + 1) % 2 + 2) % 2) == 1 ? 255.0 : 0.0;
    const double expected = c0 * (1.0 - f) + c1 * f;
    EXPECT_NEAR(static_cast<double>(Channel(Pixel(img, x, 1), 16)), expected, 1.0) << x;
  }
  // The magnification filter applies; a minifying draw uses MINFILTER (point).
  Clear(0);
  DrawQuad(0, 0, 1, 1, 0xFFFFFFFFu, 0.0f, 0.0f, 8.0f, 1.0f);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 0, 0) & 0xFFFFFF, 0u);  // point: texel 0 exactly
  m_device->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(SoftDeviceTest, BilinearOfEqualTexelsIsExact) {
  CreateDevice(8, 8);
  IDirect3DTexture9* tex = MakeTexture(2, 2, D3DFMT_A8R8G8B8, {0x80336699u, 0x80336699u, 0x80336699u, 0x80336699u});
  m_device->SetTexture(0, tex);
  m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  Clear(0);
  DrawQuad(0, 0, 8, 8, 0xFFFFFFFFu, 0.1f, 0.2f, 0.9f, 0.7f);
  const auto img = ReadBackBuffer();
  for (uint32_t p : img) ASSERT_EQ(p, 0x80336699u);
  m_device->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(SoftDeviceTest, EveryStoredFormatSamplesToItsArgbValue) {
  CreateDevice(2, 1);
  struct TCase {
    D3DFORMAT format;
    uint32_t raw;
    uint32_t argb;
  };
  const TCase cases[] = {
      {D3DFMT_A8R8G8B8, 0x12345678u, 0x12345678u},
      {D3DFMT_X8R8G8B8, 0x00345678u, 0xFF345678u},
      {D3DFMT_R5G6B5, 0xF800u, 0xFFFF0000u},
      {D3DFMT_R5G6B5, 0x07E0u, 0xFF00FF00u},
      {D3DFMT_R5G6B5, 0x8410u, 0xFF838183u},  // 16/31, 32/63, 16/31 widened as v * 255 / max
      {D3DFMT_X1R5G5B5, 0x7FFFu, 0xFFFFFFFFu},
      {D3DFMT_A1R5G5B5, 0x7C00u, 0x00FF0000u},
      {D3DFMT_A1R5G5B5, 0x801Fu, 0xFF0000FFu},
      {D3DFMT_A4R4G4B4, 0x8F84u, 0x88FF8844u},
      {D3DFMT_X4R4G4B4, 0x0F84u, 0xFFFF8844u},
      {D3DFMT_A8, 0x7Fu, 0x7F000000u},
  };
  for (const TCase& c : cases) {
    IDirect3DTexture9* tex = MakeTexture(1, 1, c.format, {c.raw});
    ASSERT_NE(tex, nullptr);
    m_device->SetTexture(0, tex);
    m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    Clear(0);
    DrawQuad(0, 0, 2, 1, 0xFFFFFFFFu);
    EXPECT_EQ(ReadBackBuffer()[1], c.argb) << "format " << c.format;
    m_device->SetTexture(0, nullptr);
    tex->Release();
  }
}

TEST_F(SoftDeviceTest, RewritingATextureIsSeenByTheNextDraw) {
  CreateDevice(2, 1);
  IDirect3DTexture9* tex = MakeTexture(1, 1, D3DFMT_R5G6B5, {0xF800u});
  m_device->SetTexture(0, tex);
  Clear(0);
  DrawQuad(0, 0, 2, 1, 0xFFFFFFFFu);
  EXPECT_EQ(ReadBackBuffer()[0], 0xFFFF0000u);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(tex->LockRect(0, &lr, nullptr, 0), D3D_OK);
  *static_cast<uint16_t*>(lr.pBits) = 0x001F;
  tex->UnlockRect(0);
  DrawQuad(0, 0, 2, 1, 0xFFFFFFFFu);
  EXPECT_EQ(ReadBackBuffer()[0], 0xFF0000FFu);
  m_device->SetTexture(0, nullptr);
  tex->Release();
}
