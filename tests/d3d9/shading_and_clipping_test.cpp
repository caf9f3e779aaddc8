// Flat shading takes Direct3D 9's vertex for each triangle of a strip or a
// fan, and triangles reaching far outside the viewport are clipped and their
// visible part drawn.
#include <gtest/gtest.h>

#include "device_fixture.h"

namespace {

constexpr DWORD kColours[6] = {0xFF100000u, 0xFF002000u, 0xFF000030u, 0xFF404000u, 0xFF005050u, 0xFF600060u};

class ShadingAndClippingTest : public SoftDeviceTest {
 protected:
  void Draw(D3DPRIMITIVETYPE type, UINT count, const TTestVertex* v) {
    ASSERT_EQ(m_device->BeginScene(), D3D_OK);
    ASSERT_EQ(m_device->DrawPrimitiveUP(type, count, v, sizeof(TTestVertex)), D3D_OK);
    ASSERT_EQ(m_device->EndScene(), D3D_OK);
  }
  static TTestVertex At(float x, float y, DWORD colour) { return TTestVertex{x, y, 0, 0.5f, colour, 0, 0, 0}; }
};

}  // namespace

TEST_F(ShadingAndClippingTest, FlatStripTriangleITakesVertexI) {
  CreateDevice(8, 16);
  m_device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  // A strip down the target: triangle i covers the pixel listed for it.
  const TTestVertex strip[6] = {At(0, 0, kColours[0]), At(8, 0, kColours[1]),  At(0, 8, kColours[2]),
                                At(8, 8, kColours[3]), At(0, 16, kColours[4]), At(8, 16, kColours[5])};
  const UINT inside[4][2] = {{2, 2}, {6, 6}, {2, 10}, {6, 14}};
  for (UINT count : {2u, 4u}) {  // two triangles take the device's quad path
    Clear(0);
    Draw(D3DPT_TRIANGLESTRIP, count, strip);
    const auto img = ReadBackBuffer();
    for (UINT i = 0; i < count; ++i) {
      EXPECT_EQ(Pixel(img, inside[i][0], inside[i][1]), kColours[i]) << "triangle " << i << " of " << count;
    }
  }
}

TEST_F(ShadingAndClippingTest, FlatFanTriangleITakesVertexIPlusOne) {
  CreateDevice(16, 16);
  m_device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  Clear(0);
  const TTestVertex fan[4] = {At(0, 0, kColours[0]), At(16, 0, kColours[1]), At(16, 16, kColours[2]),
                              At(0, 16, kColours[3])};
  Draw(D3DPT_TRIANGLEFAN, 2, fan);
  const auto img = ReadBackBuffer();
  EXPECT_EQ(Pixel(img, 12, 4), kColours[1]);
  EXPECT_EQ(Pixel(img, 4, 12), kColours[2]);
  // Gouraud shading is unchanged: the centre vertex's colour blends in.
  m_device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  Draw(D3DPT_TRIANGLEFAN, 2, fan);
  EXPECT_NE(Pixel(ReadBackBuffer(), 12, 4), kColours[1]);
}

TEST_F(ShadingAndClippingTest, TrianglesFarOutsideTheViewportDrawTheirVisiblePart) {
  CreateDevice(16, 12);
  Clear(0);
  // Two million pixels out on three sides; the bottom edge crosses the
  // target at y = 6, which as a bottom edge keeps its centres out.
  const TTestVertex far[3] = {At(-2e6f, 6, 0xFFFFFFFFu), At(0, -2e6f, 0xFFFFFFFFu), At(2e6f, 6, 0xFFFFFFFFu)};
  Draw(D3DPT_TRIANGLELIST, 1, far);
  auto img = ReadBackBuffer();
  for (UINT y = 0; y < 12; ++y) {
    for (UINT x = 0; x < 16; ++x) EXPECT_EQ(Pixel(img, x, y) & 0xFFFFFF, y < 6 ? 0xFFFFFFu : 0u) << x << "," << y;
  }
  // Culling still sees the triangle's own winding.
  m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  Clear(0);
  Draw(D3DPT_TRIANGLELIST, 1, far);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 4, 2), 0u);
  m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

TEST_F(ShadingAndClippingTest, AClippedGradientShadesLikeTheWholeTriangle) {
  CreateDevice(16, 4);
  // Black along y = 0 from two million pixels left to two million right,
  // white at (0, 16): the colour at every centre is 255 * y / 16, which the
  // clipped part must reproduce.
  const TTestVertex wide[3] = {At(-2e6f, 0, 0xFF000000u), At(2e6f, 0, 0xFF000000u), At(0, 16, 0xFFFFFFFFu)};
  Clear(0xFFFF0000u);
  Draw(D3DPT_TRIANGLELIST, 1, wide);
  const auto img = ReadBackBuffer();
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 16; ++x) {
      const double expected = 255.0 * y / 16.0;
      EXPECT_NEAR(static_cast<double>(Channel(Pixel(img, x, y), 8)), expected, 1.0) << x << "," << y;
      EXPECT_EQ(Channel(Pixel(img, x, y), 8), Channel(Pixel(img, x, y), 0)) << "grey, not the clear colour";
    }
  }
  // Fully outside: nothing drawn.
  const TTestVertex gone[3] = {At(3e6f, 3e6f, 0xFFFFFFFFu), At(4e6f, 3e6f, 0xFFFFFFFFu), At(3e6f, 4e6f, 0xFFFFFFFFu)};
  Clear(0);
  Draw(D3DPT_TRIANGLELIST, 1, gone);
  for (uint32_t pixel : ReadBackBuffer()) EXPECT_EQ(pixel, 0u);
}
