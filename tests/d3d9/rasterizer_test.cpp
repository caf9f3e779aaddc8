// Pixel-exact checks of the rasteriser through the device: fill convention,
// blending, modulate, alpha test, z test, viewport clipping, Gouraud colour.
#include <gtest/gtest.h>

#include <random>

#include "device_fixture.h"

namespace {

struct TBlendCase {
  DWORD src, dst;
};

uint32_t ExpectedFactor(DWORD f, uint32_t s, uint32_t d, int shift) {
  const uint32_t sc = Channel(s, shift), sa = s >> 24;
  (void)d;
  switch (f) {
    case D3DBLEND_ZERO: return 0;
    case D3DBLEND_ONE: return 255;
    case D3DBLEND_SRCCOLOR: return sc;
    case D3DBLEND_INVSRCCOLOR: return 255 - sc;
    case D3DBLEND_SRCALPHA: return sa;
    case D3DBLEND_INVSRCALPHA: return 255 - sa;
    default: return 0;
  }
}

// s * sf + d * df per channel, rounded once, clamped to 255.
uint32_t ExpectedBlend(DWORD src, DWORD dst, uint32_t s, uint32_t d) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const double exact = (Channel(s, shift) * ExpectedFactor(src, s, d, shift) +
                          Channel(d, shift) * ExpectedFactor(dst, s, d, shift)) / 255.0;
    out |= std::min<uint32_t>(static_cast<uint32_t>(std::lround(exact)), 255) << shift;
  }
  return out;
}

}  // namespace

TEST_F(SoftDeviceTest, AnIntegerRectangleCoversExactlyItsPixelCentres) {
  CreateDevice(16, 12);
  Clear(0);
  // Centres (x, y) with 2 <= x < 10 and 3 <= y < 7: top and left edges are in,
  // right and bottom edges out.
  DrawQuad(2, 3, 10, 7, 0xFFFFFFFFu);
  const auto img = ReadBackBuffer();
  for (UINT y = 0; y < 12; ++y) {
    for (UINT x = 0; x < 16; ++x) {
      const bool inside = x >= 2 && x < 10 && y >= 3 && y < 7;
      EXPECT_EQ(Pixel(img, x, y) & 0xFFFFFF, inside ? 0xFFFFFFu : 0u) << x << "," << y;
    }
  }
}

TEST_F(SoftDeviceTest, SharedEdgesDrawEveryPixelExactlyOnce) {
  // A jittered mesh reaching beyond the target, drawn additively with a
  // colour of 1: every pixel must end at exactly 1.
  CreateDevice(48, 40);
  Clear(0);
  SetBlend(D3DBLEND_ONE, D3DBLEND_ONE);
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> jitter(-2.4f, 2.4f);
  constexpr int kCols = 9, kRows = 8;
  float px[kRows][kCols], py[kRows][kCols];
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kCols; ++c) {
      const bool border = r == 0 || c == 0 || r == kRows - 1 || c == kCols - 1;
      px[r][c] = -4.0f + c * (56.0f / (kCols - 1)) + (border ? 0.0f : jitter(rng));
      py[r][c] = -4.0f + r * (48.0f / (kRows - 1)) + (border ? 0.0f : jitter(rng));
    }
  }
  // Some vertices exactly on pixel centres and half pixels, to hit the rule.
  px[3][3] = 20.0f;
  py[3][3] = 17.0f;
  px[4][5] = 31.5f;
  py[4][5] = 23.5f;
  std::vector<TTestVertex> tris;
  for (int r = 0; r + 1 < kRows; ++r) {
    for (int c = 0; c + 1 < kCols; ++c) {
      auto v = [&](int rr, int cc) { return TTestVertex{px[rr][cc], py[rr][cc], 0.5f, 1.0f, 0x01010101u, 0, 0, 0}; };
      // Alternate the diagonal and the winding.
      if ((r + c) % 2 == 0) {
        tris.insert(tris.end(), {v(r, c), v(r, c + 1), v(r + 1, c + 1), v(r, c), v(r + 1, c + 1), v(r + 1, c)});
      } else {
        tris.insert(tris.end(), {v(r, c + 1), v(r, c), v(r + 1, c), v(r, c + 1), v(r + 1, c), v(r + 1, c + 1)});
      }
    }
  }
  ASSERT_EQ(m_device->BeginScene(), D3D_OK);
  ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(tris.size() / 3), tris.data(), 32),
            D3D_OK);
  ASSERT_EQ(m_device->EndScene(), D3D_OK);
  const auto img = ReadBackBuffer();
  int wrong = 0;
  for (UINT y = 0; y < m_height; ++y) {
    for (UINT x = 0; x < m_width; ++x) {
      if ((Pixel(img, x, y) & 0xFFFFFF) != 0x010101u) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(SoftDeviceTest, SpriteQuadsCoverTheSamePixelsAsTheirTwoTriangles) {
  // A two-triangle strip forming an axis-aligned rectangle takes a shortcut;
  // it must give exactly what the two triangles give.
  CreateDevice(24, 24);
  UseModulate();
  IDirect3DTexture9* tex = MakeTexture(2, 2, D3DFMT_A8R8G8B8, {0x80FF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x40FFFFFFu});
  m_device->SetTexture(0, tex);
  SetBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  const float boxes[][4] = {{1.5f, 2.25f, 9.5f, 7.75f}, {-3.3f, 10.1f, 6.6f, 23.9f}, {20.7f, 0.5f, 12.2f, 5.5f},
                            {12.0f, 12.0f, 30.0f, 30.0f}, {5.999f, 6.001f, 6.5f, 9.0f}};
  for (const auto& b : boxes) {
    Clear(0xFF202020u);
    DrawQuad(b[0], b[1], b[2], b[3], 0xC0FFFFFFu, 0.1f, 0.2f, 1.7f, 1.3f);
    const auto strip = ReadBackBuffer();
    Clear(0xFF202020u);
    const TTestVertex v[4] = {{b[0], b[1], 0.5f, 0.5f, 0xC0FFFFFFu, 0, 0.1f, 0.2f},
                              {b[2], b[1], 0.5f, 0.5f, 0xC0FFFFFFu, 0, 1.7f, 0.2f},
                              {b[0], b[3], 0.5f, 0.5f, 0xC0FFFFFFu, 0, 0.1f, 1.3f},
                              {b[2], b[3], 0.5f, 0.5f, 0xC0FFFFFFu, 0, 1.7f, 1.3f}};
    const TTestVertex list[6] = {v[0], v[1], v[2], v[2], v[1], v[3]};
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, list, 32), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
    const auto tris = ReadBackBuffer();
    for (size_t i = 0; i < tris.size(); ++i) {
      if (tris[i] != strip[i]) {
        ADD_FAILURE() << "box at " << b[0] << "," << b[1] << ": pixel " << i % 24 << "," << i / 24 << std::hex
                      << " strip " << strip[i] << " triangles " << tris[i];
      }
    }
  }
  m_device->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(SoftDeviceTest, TriangleFanAroundACentreLeavesNoGapAndNoOverlap) {
  CreateDevice(32, 32);
  Clear(0);
  SetBlend(D3DBLEND_ONE, D3DBLEND_ONE);
  std::vector<TTestVertex> fan;
  fan.push_back({16.0f, 16.0f, 0.5f, 1.0f, 0x01010101u, 0, 0, 0});
  const float outline[][2] = {{-2, -2}, {10.5f, -2}, {34, -2}, {34, 16}, {34, 34}, {16, 34}, {-2, 34}, {-2, 16}, {-2, -2}};
  for (const auto& p : outline) fan.push_back({p[0], p[1], 0.5f, 1.0f, 0x01010101u, 0, 0, 0});
  ASSERT_EQ(m_device->BeginScene(), D3D_OK);
  ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 8, fan.data(), 32), D3D_OK);
  ASSERT_EQ(m_device->EndScene(), D3D_OK);
  const auto img = ReadBackBuffer();
  for (UINT i = 0; i < img.size(); ++i) ASSERT_EQ(img[i] & 0xFFFFFF, 0x010101u) << "pixel " << i;
}

TEST_F(SoftDeviceTest, CullingFollowsTheWinding) {
  CreateDevice(8, 8);
  Clear(0);
  m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  // Clockwise on the screen (y down): drawn.
  TTestVertex cw[3] = {{0, 0, 0, 1, 0xFFFF0000u, 0, 0, 0}, {8, 0, 0, 1, 0xFFFF0000u, 0, 0, 0}, {0, 8, 0, 1, 0xFFFF0000u, 0, 0, 0}};
  TTestVertex ccw[3] = {cw[0], cw[2], cw[1]};
  for (auto& v : ccw) v.Diffuse = 0xFF00FF00u;
  ASSERT_EQ(m_device->BeginScene(), D3D_OK);
  m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, 32);
  m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cw, 32);
  ASSERT_EQ(m_device->EndScene(), D3D_OK);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 1, 1) & 0xFFFFFF, 0xFF0000u);
  m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  ASSERT_EQ(m_device->BeginScene(), D3D_OK);
  m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, 32);
  ASSERT_EQ(m_device->EndScene(), D3D_OK);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 1, 1) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(SoftDeviceTest, BlendFactorsAreExact) {
  CreateDevice(4, 4);
  UseModulate();  // the diffuse alpha reaches the blender (the default stage takes the texture's)
  const DWORD factors[] = {D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_SRCCOLOR, D3DBLEND_INVSRCCOLOR, D3DBLEND_SRCALPHA,
                           D3DBLEND_INVSRCALPHA};
  const uint32_t sources[] = {0x80C04010u, 0xFFFFFFFFu, 0x00FF0000u, 0x3377AAEEu};
  const uint32_t dests[] = {0x00204060u, 0xFF808080u};
  for (DWORD src : factors) {
    for (DWORD dst : factors) {
      for (uint32_t s : sources) {
        for (uint32_t d : dests) {
          Clear(d);
          SetBlend(src, dst);
          DrawQuad(0, 0, 4, 4, s);
          const uint32_t got = Pixel(ReadBackBuffer(), 2, 2);
          ASSERT_EQ(got, ExpectedBlend(src, dst, s, d))
              << std::hex << "src " << src << " dst " << dst << " s " << s << " d " << d;
        }
      }
    }
  }
}

TEST_F(SoftDeviceTest, OtherBlendOperations) {
  CreateDevice(4, 4);
  UseModulate();
  Clear(0xFF508090u);
  SetBlend(D3DBLEND_ONE, D3DBLEND_ONE);
  m_device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
  DrawQuad(0, 0, 4, 4, 0x00604010u);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 1, 1), 0xFF004080u);  // dest - src, clamped at 0
  m_device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_MAX);
  DrawQuad(0, 0, 4, 4, 0x00FF1010u);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 1, 1), 0xFFFF4080u);
}

TEST_F(SoftDeviceTest, ModulateMultipliesTextureAndDiffuseColourAndAlpha) {
  CreateDevice(4, 4);
  UseModulate();
  const uint32_t texel = 0x80FF8040u;
  const uint32_t diffuse = 0xC0408020u;
  IDirect3DTexture9* tex = MakeTexture(1, 1, D3DFMT_A8R8G8B8, {texel});
  m_device->SetTexture(0, tex);
  Clear(0);
  DrawQuad(0, 0, 4, 4, diffuse);
  uint32_t expected = 0;
  for (int shift = 0; shift < 32; shift += 8) expected |= ExpectedMul(Channel(texel, shift), Channel(diffuse, shift)) << shift;
  EXPECT_EQ(Pixel(ReadBackBuffer(), 1, 2), expected);
  m_device->SetTexture(0, nullptr);
  tex->Release();
  // An unset texture counts as opaque white: the diffuse colour stays.
  DrawQuad(0, 0, 4, 4, diffuse);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 1, 2), diffuse);
}

TEST_F(SoftDeviceTest, SelectArgumentsAndDefaultStage) {
  CreateDevice(4, 4);
  IDirect3DTexture9* tex = MakeTexture(1, 1, D3DFMT_A8R8G8B8, {0x40FF0000u});
  m_device->SetTexture(0, tex);
  Clear(0);
  // The default stage: colour = texture x diffuse, alpha = texture alpha.
  DrawQuad(0, 0, 4, 4, 0xFF808080u);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 0, 0), 0x40800000u);
  m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  DrawQuad(0, 0, 4, 4, 0xFF808080u);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 0, 0), 0x40808080u);
  m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE);  // diffuse, alpha too
  DrawQuad(0, 0, 4, 4, 0x11223344u);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 0, 0), 0x11223344u);
  m_device->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(SoftDeviceTest, AlphaTestDiscardsFailingPixels) {
  CreateDevice(4, 1);
  UseModulate();
  IDirect3DTexture9* tex = MakeTexture(4, 1, D3DFMT_A8R8G8B8, {0x00FF0000u, 0x01FF0000u, 0x80FF0000u, 0xFFFF0000u});
  m_device->SetTexture(0, tex);
  m_device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);  // reference 0 by default
  Clear(0xFF0000FFu);
  DrawQuad(0, 0, 4, 1, 0xFFFFFFFFu);
  auto img = ReadBackBuffer();
  EXPECT_EQ(img[0], 0xFF0000FFu);  // alpha 0 discarded
  EXPECT_EQ(img[1], 0x01FF0000u);
  EXPECT_EQ(img[3], 0xFFFF0000u);
  m_device->SetRenderState(D3DRS_ALPHAREF, 0x80);
  m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_LESS);
  Clear(0xFF0000FFu);
  DrawQuad(0, 0, 4, 1, 0xFFFFFFFFu);
  img = ReadBackBuffer();
  EXPECT_EQ(img[0], 0x00FF0000u);
  EXPECT_EQ(img[1], 0x01FF0000u);
  EXPECT_EQ(img[2], 0xFF0000FFu);  // 0x80 < 0x80 fails
  EXPECT_EQ(img[3], 0xFF0000FFu);
  m_device->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(SoftDeviceTest, DepthTestAndWriteWithADepthBuffer) {
  CreateDevice(8, 8, /*depth=*/true);
  ASSERT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  DrawQuad(0, 0, 8, 8, 0xFFFF0000u, 0, 0, 1, 1, 0.25f);  // near
  DrawQuad(0, 0, 4, 8, 0xFF00FF00u, 0, 0, 1, 1, 0.75f);  // far: hidden
  DrawQuad(4, 0, 8, 8, 0xFF0000FFu, 0, 0, 1, 1, 0.25f);  // equal: LESSEQUAL passes
  auto img = ReadBackBuffer();
  EXPECT_EQ(img[2 * 8 + 1] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img[2 * 8 + 6] & 0xFFFFFF, 0x0000FFu);
  // Without z writes the far quad draws but leaves depth as it was.
  m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  m_device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  DrawQuad(0, 0, 8, 8, 0xFF00FF00u, 0, 0, 1, 1, 0.9f);
  m_device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  m_device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  DrawQuad(0, 0, 8, 8, 0xFFFFFFFFu, 0, 0, 1, 1, 0.5f);  // behind 0.25: hidden everywhere
  img = ReadBackBuffer();
  EXPECT_EQ(img[5 * 8 + 5] & 0xFFFFFF, 0x00FF00u);
  // ZENABLE off ignores the buffer.
  m_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  DrawQuad(0, 0, 8, 8, 0xFFFFFFFFu, 0, 0, 1, 1, 0.99f);
  EXPECT_EQ(ReadBackBuffer()[5 * 8 + 5] & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(SoftDeviceTest, ViewportClipsDrawingAndClearing) {
  CreateDevice(10, 10);
  Clear(0);
  D3DVIEWPORT9 vp{2, 3, 5, 4, 0.0f, 1.0f};
  ASSERT_EQ(m_device->SetViewport(&vp), D3D_OK);
  DrawQuad(-20, -20, 30, 30, 0xFFFFFFFFu);
  auto img = ReadBackBuffer();
  for (UINT y = 0; y < 10; ++y) {
    for (UINT x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 3 && y < 7;
      ASSERT_EQ(Pixel(img, x, y) & 0xFFFFFF, inside ? 0xFFFFFFu : 0u) << x << "," << y;
    }
  }
  Clear(0xFF0000FFu);  // the viewport only
  img = ReadBackBuffer();
  EXPECT_EQ(Pixel(img, 2, 3), 0xFF0000FFu);
  EXPECT_EQ(Pixel(img, 0, 0), 0u);
  const D3DRECT r{0, 0, 3, 4};
  ASSERT_EQ(m_device->Clear(1, &r, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
  img = ReadBackBuffer();
  EXPECT_EQ(Pixel(img, 2, 3), 0xFF00FF00u);  // inside both
  EXPECT_EQ(Pixel(img, 1, 1), 0u);           // outside the viewport
}

TEST_F(SoftDeviceTest, GouraudInterpolatesAtPixelCentres) {
  CreateDevice(16, 2);
  Clear(0);
  // Black at x = 0, white at x = 15: pixel x gets 255 * x / 15.
  DrawQuadColours(0, 0, 15, 2, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu);
  const auto img = ReadBackBuffer();
  for (UINT x = 0; x < 15; ++x) {
    const double expected = 255.0 * x / 15.0;
    EXPECT_NEAR(static_cast<double>(Channel(Pixel(img, x, 1), 8)), expected, 1.0) << x;
  }
  // Flat shading takes the first vertex's colour.
  m_device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  DrawQuadColours(0, 0, 15, 2, 0xFF204060u, 0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 1, 0), 0xFF204060u);
}

TEST_F(SoftDeviceTest, PerspectiveCorrectColourWhenRhwDiffers) {
  CreateDevice(16, 1);
  Clear(0);
  // One vertex column "near" (RHW 1) and one "far" (RHW 0.25): the colour
  // halfway across the screen leans to the near end's value.
  TTestVertex v[4] = {{0, 0, 0, 1.0f, 0xFF000000u, 0, 0, 0},
                      {16, 0, 0, 0.25f, 0xFFFFFFFFu, 0, 0, 0},
                      {0, 1, 0, 1.0f, 0xFF000000u, 0, 0, 0},
                      {16, 1, 0, 0.25f, 0xFFFFFFFFu, 0, 0, 0}};
  ASSERT_EQ(m_device->BeginScene(), D3D_OK);
  ASSERT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, 32), D3D_OK);
  ASSERT_EQ(m_device->EndScene(), D3D_OK);
  // t = 0.5 on the screen: weight of the far end = 0.5 * 0.25 / (0.5 * 1 + 0.5 * 0.25) = 0.2
  EXPECT_NEAR(static_cast<double>(Channel(ReadBackBuffer()[8], 0)), 255.0 * 0.2, 1.5);
}
