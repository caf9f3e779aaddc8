// One small scene drawn with every feature the game uses, compared pixel by
// pixel with a stored reference image (tests/data/gfx/reference_scene.bmp).
// Set PLUV_UPDATE_REFERENCE=1 to write a new reference (and a PNG beside it
// in the test's temporary folder to look at).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "device_fixture.h"

namespace {

const std::string kReferencePath = std::string(PLUV_TEST_DATA_DIR) + "/gfx/reference_scene.bmp";

// A 24-bit bottom-up BMP as written by WriteBmpFile; empty on any mismatch.
std::vector<uint32_t> ReadBmp24(const std::string& path, int width, int height) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  if (bytes.size() != 54 + rowBytes * height || bytes[0] != 'B' || bytes[1] != 'M') return {};
  std::vector<uint32_t> out(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const size_t row = 54 + rowBytes * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + row + 3 * static_cast<size_t>(x));
      out[static_cast<size_t>(y) * width + x] = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    }
  }
  return out;
}

// 8 x 8: a disc of opaque orange with a soft rim on a transparent field.
std::vector<uint32_t> SpriteTexels() {
  std::vector<uint32_t> t(64);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const double dx = x - 3.5, dy = y - 3.5;
      const double d = std::sqrt(dx * dx + dy * dy);
      const int a = d < 2.5 ? 255 : (d < 3.6 ? 128 : 0);
      t[static_cast<size_t>(y) * 8 + x] = (uint32_t(a) << 24) | 0xFF8020u;
    }
  }
  return t;
}

}  // namespace

TEST_F(SoftDeviceTest, SmallSceneMatchesTheReferenceImage) {
  constexpr int kW = 64, kH = 48;
  CreateDevice(kW, kH);
  m_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);  // as the game leaves it
  UseModulate();
  IDirect3DTexture9* sprite = MakeTexture(8, 8, D3DFMT_A8R8G8B8, SpriteTexels());
  IDirect3DTexture9* stripes = MakeTexture(4, 4, D3DFMT_A4R4G4B4,
                                           {0xF00Fu, 0xFFFFu, 0xF00Fu, 0xFFFFu, 0xFFFFu, 0xF00Fu, 0xFFFFu, 0xF00Fu,
                                            0xF00Fu, 0xFFFFu, 0xF00Fu, 0xFFFFu, 0xFFFFu, 0xF00Fu, 0xFFFFu, 0xF00Fu});
  Clear(0xFF101830u);
  // Background: untextured, Gouraud from dark blue to teal.
  DrawQuadColours(0, 0, 64, 48, 0xFF102040u, 0xFF104060u, 0xFF206080u, 0xFF30A0A0u);
  // A stripe quad, magnified, bilinear, translucent.
  m_device->SetTexture(0, stripes);
  m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  SetBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  DrawQuad(4, 28, 28, 44, 0xA0FFFFFFu);
  // Sprites: translucent (mode 2), point sampled, tinted.
  m_device->SetTexture(0, sprite);
  m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  const DWORD tints[] = {0xFFFFFFFFu, 0xC0FF4040u, 0x8040FF40u, 0xFF4040FFu};
  for (int i = 0; i < 4; ++i) DrawQuad(4.0f + 12 * i, 4.0f + 3 * i, 12.0f + 12 * i, 12.0f + 3 * i, tints[i]);
  // A scaled sprite at a fractional position, bilinear.
  m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  DrawQuad(36.5f, 20.25f, 60.5f, 44.25f, 0xFFFFFFFFu);
  // Additive (mode 1) and multiply (mode 4) untextured quads.
  m_device->SetTexture(0, nullptr);
  SetBlend(D3DBLEND_SRCALPHA, D3DBLEND_ONE);
  DrawQuad(30, 2, 62, 14, 0x80FF0000u);
  SetBlend(D3DBLEND_ZERO, D3DBLEND_SRCCOLOR);
  DrawQuad(0, 16, 20, 24, 0xFF80FF80u);
  // Cut-out (mode 5): opaque, alpha-tested.
  m_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  m_device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  m_device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  m_device->SetTexture(0, sprite);
  m_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  DrawQuad(22, 30, 38, 46, 0xFFFFFFFFu);
  m_device->SetTexture(0, nullptr);
  sprite->Release();
  stripes->Release();

  std::vector<uint32_t> img = ReadBackBuffer();
  for (uint32_t& p : img) p &= 0xFFFFFF;
  const char* update = std::getenv("PLUV_UPDATE_REFERENCE");
  if (update != nullptr && std::string(update) == "1") {
    ASSERT_TRUE(WriteBmpFile(kReferencePath, img.data(), kW, kH, kW * 4));
    ASSERT_TRUE(WritePngFile(::testing::TempDir() + "reference_scene.png", img.data(), kW, kH, kW * 4));
  }
  const std::vector<uint32_t> reference = ReadBmp24(kReferencePath, kW, kH);
  ASSERT_EQ(reference.size(), img.size()) << "missing or malformed " << kReferencePath;
  int differing = 0;
  for (size_t i = 0; i < img.size(); ++i) differing += img[i] != reference[i] ? 1 : 0;
  EXPECT_EQ(differing, 0);
}
