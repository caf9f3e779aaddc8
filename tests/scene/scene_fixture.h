// Test helpers: a device wrapper on a headless window with the software
// device, a presentation target that keeps the last presented frame, and
// textures filled with chosen pixels. Main thread.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "gfx/debug_log.h"
#include "gfx/texture.h"
#include "gfx/vextral.h"
#include "platform/d3d9/software_config.h"

// Keeps a copy of every presented frame (the last one wins).
class TFrameCapture : public IPresentTarget {
 public:
  void PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) override {
    Width = width;
    Height = height;
    Pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      std::memcpy(Pixels.data() + static_cast<size_t>(y) * width,
                  reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(y) * pitchBytes,
                  static_cast<size_t>(width) * 4);
    }
  }
  // The colour without the alpha byte the back buffer keeps.
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x] & 0x00FFFFFFu; }

  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
};

class WrapperTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSoftwareD3DConfig(); }
  void TearDown() override {
    if (m_vx) UnregisterPresentTarget(m_window.Handle(), &m_capture);
    m_vx.reset();
    ResetSoftwareD3DConfig();
  }

  // Starts the wrapper with the log and the halt switched off, as the game runs.
  void StartWrapper(int width = 64, int height = 48) {
    m_window = THeadlessWindow(width, height);
    m_vx = std::make_unique<TVextral>(&m_window);
    m_vx->Name = "VX";
    m_vx->SetDebugOption(TVXDebugOption{});
    m_vx->Loaded();
    ASSERT_NE(m_vx->Device, nullptr);
    RegisterPresentTarget(m_window.Handle(), &m_capture);
  }

  // A managed A8R8G8B8 texture of w x h image pixels, every pixel argb.
  std::unique_ptr<TVXTexture> MakeTexture(UINT w, UINT h, uint32_t argb) {
    auto t = std::make_unique<TVXTexture>(m_vx.get(), std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8}, 0u, D3DPOOL_MANAGED,
                                          1u, "test");
    t->FillColor = argb;
    t->SetSize(w, h);
    return t;
  }
  // Writes one pixel of a texture's level 0.
  static void PutTexel(TVXTexture& t, int x, int y, uint32_t argb) {
    const RECT r{x, y, x + 1, y + 1};
    const D3DLOCKED_RECT lr = t.LockRect(0, r, 0);
    ASSERT_NE(lr.pBits, nullptr);
    std::memcpy(lr.pBits, &argb, 4);
    t.UnlockRect();
  }
  // Reads level 0 of a texture, AllocWidth x AllocHeight pixels.
  static std::vector<uint32_t> ReadTexture(TVXTexture& t) {
    std::vector<uint32_t> out(static_cast<size_t>(t.AllocWidth) * t.AllocHeight);
    const RECT r{0, 0, static_cast<LONG>(t.AllocWidth), static_cast<LONG>(t.AllocHeight)};
    const D3DLOCKED_RECT lr = t.LockRect(0, r, D3DLOCK_READONLY);
    if (lr.pBits == nullptr) return out;
    for (UINT y = 0; y < t.AllocHeight; ++y) {
      std::memcpy(out.data() + static_cast<size_t>(y) * t.AllocWidth,
                  static_cast<const uint8_t*>(lr.pBits) + static_cast<size_t>(y) * lr.Pitch,
                  static_cast<size_t>(t.AllocWidth) * 4);
    }
    t.UnlockRect();
    return out;
  }

  void BeginFrame(uint32_t clearColour) {
    ASSERT_EQ(m_vx->Device->BeginScene(), D3D_OK);
    ASSERT_EQ(m_vx->Device->Clear(0, nullptr, D3DCLEAR_TARGET, clearColour, 1.0f, 0), D3D_OK);
  }
  void EndFrame() {
    ASSERT_EQ(m_vx->Device->EndScene(), D3D_OK);
    ASSERT_EQ(m_vx->Device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  }

  THeadlessWindow m_window{64, 48};
  std::unique_ptr<TVextral> m_vx;
  TFrameCapture m_capture;
};
