// The Direct3D 9 object model of the software device: reference counts,
// creation rules, caps from the configuration, locking, presentation.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "device_fixture.h"

namespace {

class RecordingTarget : public IPresentTarget {
 public:
  void PresentFrame(const uint32_t* pixels, int width, int height, int pitchBytes) override {
    ++frames;
    lastWidth = width;
    lastHeight = height;
    lastPitch = pitchBytes;
    firstPixel = pixels[0] & 0xFFFFFF;
  }
  int frames = 0, lastWidth = 0, lastHeight = 0, lastPitch = 0;
  uint32_t firstPixel = 0;
};

D3DPRESENT_PARAMETERS WindowedParams(UINT w, UINT h) {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = w;
  pp.BackBufferHeight = h;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  return pp;
}

}  // namespace

TEST(Direct3DCreate, RefusesOtherSdkVersionsAndAConfiguredFailure) {
  ResetSoftwareD3DConfig();
  EXPECT_EQ(Direct3DCreate9(32), nullptr);
  SoftwareD3DConfig().CreateFails = true;
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
  ResetSoftwareD3DConfig();
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  EXPECT_EQ(d3d->AddRef(), 2u);
  EXPECT_EQ(d3d->Release(), 1u);
  EXPECT_EQ(d3d->Release(), 0u);
}

TEST_F(SoftDeviceTest, DisplayModeIsTheConfiguredDesktopInX8R8G8B8) {
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(m_d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 1920u);
  EXPECT_EQ(mode.Height, 1080u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  SoftwareD3DConfig().DesktopWidth = 800;
  SoftwareD3DConfig().DesktopHeight = 600;
  ASSERT_EQ(m_d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 800u);
  EXPECT_EQ(mode.Height, 600u);
  EXPECT_EQ(m_d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
  D3DADAPTER_IDENTIFIER9 id{};
  ASSERT_EQ(m_d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
  EXPECT_GT(std::string(id.Description).size(), 0u);
}

TEST_F(SoftDeviceTest, CapsFollowTheConfiguration) {
  D3DCAPS9 caps{};
  ASSERT_EQ(m_d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_NE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
  EXPECT_NE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP, 0u);
  EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY), 0u);

  TSoftwareD3DConfig& cfg = SoftwareD3DConfig();
  cfg.HardwareTransformAndLighting = false;
  cfg.BlendOpCap = false;
  cfg.TexturePow2Only = true;
  cfg.TextureSquareOnly = true;
  cfg.MaxTextureWidth = 512;
  ASSERT_EQ(m_d3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3D_OK);
  EXPECT_EQ(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
  EXPECT_EQ(caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP, 0u);
  EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY),
            D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY);
  EXPECT_EQ(caps.MaxTextureWidth, 512u);

  cfg.HasHardwareDevice = false;
  EXPECT_EQ(m_d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(m_d3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3D_OK);
}

TEST_F(SoftDeviceTest, FormatChecks) {
  EXPECT_EQ(m_d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
            D3D_OK);
  EXPECT_EQ(m_d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(m_d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);
  SoftwareD3DConfig().DepthFormats = {D3DFMT_D16};
  EXPECT_EQ(m_d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24S8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(m_d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8),
            D3DERR_NOTAVAILABLE);
}

TEST_F(SoftDeviceTest, CreateDeviceValidatesAndAdjustsTheParameters) {
  D3DPRESENT_PARAMETERS pp = WindowedParams(64, 32);
  IDirect3DDevice9* dev = nullptr;
  // Hardware vertex processing needs the T&L cap.
  SoftwareD3DConfig().HardwareTransformAndLighting = false;
  EXPECT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(dev, nullptr);
  // Exactly one vertex-processing flag.
  EXPECT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev), D3DERR_INVALIDCALL);
  // An automatic depth buffer needs a matching format.
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
  EXPECT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_INVALIDCALL);
  pp.EnableAutoDepthStencil = FALSE;
  SoftwareD3DConfig().HasHardwareDevice = false;
  EXPECT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_NOTAVAILABLE);
  SoftwareD3DConfig().CreateDeviceResult = D3DERR_OUTOFVIDEOMEMORY;
  EXPECT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev),
            D3DERR_OUTOFVIDEOMEMORY);
  SoftwareD3DConfig().CreateDeviceResult = D3D_OK;

  // Back-buffer count 0 becomes 1; the device holds the Direct3D object.
  ASSERT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_REF, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
  EXPECT_EQ(pp.BackBufferCount, 1u);
  EXPECT_EQ(m_d3d->AddRef(), 3u);  // test + device + this
  m_d3d->Release();
  IDirect3DSurface9* ds = reinterpret_cast<IDirect3DSurface9*>(1);
  EXPECT_EQ(dev->GetDepthStencilSurface(&ds), D3DERR_NOTFOUND);
  EXPECT_EQ(ds, nullptr);
  EXPECT_EQ(dev->Release(), 0u);
}

TEST_F(SoftDeviceTest, SurfacesAndTexturesHoldTheDeviceUntilReleased) {
  D3DPRESENT_PARAMETERS pp = WindowedParams(32, 32);
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  pp.BackBufferCount = 2;
  ASSERT_EQ(m_d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &m_device),
            D3D_OK);
  IDirect3DSurface9* bb0 = nullptr;
  IDirect3DSurface9* bb1 = nullptr;
  IDirect3DSurface9* ds = nullptr;
  ASSERT_EQ(m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb0), D3D_OK);
  ASSERT_EQ(m_device->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &bb1), D3D_OK);
  EXPECT_EQ(m_device->GetBackBuffer(0, 2, D3DBACKBUFFER_TYPE_MONO, &bb1), D3DERR_INVALIDCALL);
  ASSERT_EQ(m_device->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &bb1), D3D_OK);
  ASSERT_EQ(m_device->GetDepthStencilSurface(&ds), D3D_OK);
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(m_device->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
  EXPECT_EQ(tex->GetLevelCount(), 5u);  // 16, 8, 4, 2, 1

  // A released device stays alive while its objects hold it.
  EXPECT_EQ(m_device->Release(), 4u);  // bb0, bb1, ds, texture
  EXPECT_EQ(ds->Release(), 0u);
  EXPECT_EQ(bb1->Release(), 1u);  // asked for twice
  EXPECT_EQ(bb1->Release(), 0u);
  EXPECT_EQ(bb0->Release(), 0u);
  // A level shares its texture's count.
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(tex->GetSurfaceLevel(1, &level), D3D_OK);
  EXPECT_EQ(level->Release(), 1u);
  EXPECT_EQ(tex->Release(), 0u);  // frees the texture and, last, the device
  m_device = nullptr;
}

TEST_F(SoftDeviceTest, ABoundTextureLivesUntilUnbound) {
  CreateDevice(8, 8);
  IDirect3DTexture9* tex = MakeTexture(1, 1, D3DFMT_A8R8G8B8, {0xFF00FF00u});
  ASSERT_EQ(m_device->SetTexture(0, tex), D3D_OK);
  EXPECT_EQ(tex->Release(), 0u);  // the binding does not show in the count
  Clear(0);
  DrawQuad(0, 0, 8, 8, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(ReadBackBuffer(), 3, 3) & 0xFFFFFF, 0x00FF00u);  // still sampled
  ASSERT_EQ(m_device->SetTexture(0, nullptr), D3D_OK);
}

TEST_F(SoftDeviceTest, TextureCreationFollowsTheCaps) {
  TSoftwareD3DConfig& cfg = SoftwareD3DConfig();
  cfg.TexturePow2Only = true;
  cfg.MaxTextureWidth = 256;
  CreateDevice(8, 8);
  IDirect3DTexture9* tex = nullptr;
  EXPECT_EQ(m_device->CreateTexture(100, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(m_device->CreateTexture(512, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(m_device->CreateTexture(0, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(m_device->CreateTexture(64, 64, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &tex, nullptr), D3DERR_INVALIDCALL);
  cfg.TextureSquareOnly = true;
  EXPECT_EQ(m_device->CreateTexture(128, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
            D3DERR_INVALIDCALL);
  const UINT before = m_device->GetAvailableTextureMem();
  ASSERT_EQ(m_device->CreateTexture(128, 128, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
  EXPECT_EQ(before - m_device->GetAvailableTextureMem(), 128u * 128u * 4u);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(tex->GetLevelDesc(0, &desc), D3D_OK);
  EXPECT_EQ(desc.Width, 128u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(tex->GetLevelDesc(1, &desc), D3DERR_INVALIDCALL);
  EXPECT_EQ(tex->Release(), 0u);
  EXPECT_EQ(m_device->GetAvailableTextureMem(), before);
}

TEST_F(SoftDeviceTest, LockRectGivesPitchAndTheRectanglesFirstPixel) {
  CreateDevice(8, 8);
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(m_device->CreateTexture(10, 6, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
  D3DLOCKED_RECT whole{}, part{};
  ASSERT_EQ(tex->LockRect(0, &whole, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(whole.Pitch, 20);
  EXPECT_EQ(tex->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
  ASSERT_EQ(tex->UnlockRect(0), D3D_OK);
  EXPECT_EQ(tex->UnlockRect(0), D3DERR_INVALIDCALL);
  const RECT r{3, 2, 7, 5};
  ASSERT_EQ(tex->LockRect(0, &part, &r, 0), D3D_OK);
  EXPECT_EQ(static_cast<uint8_t*>(part.pBits) - static_cast<uint8_t*>(whole.pBits), 2 * 20 + 3 * 2);
  ASSERT_EQ(tex->UnlockRect(0), D3D_OK);
  const RECT outside{3, 2, 11, 5};
  EXPECT_EQ(tex->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);
  const RECT empty{3, 2, 3, 5};
  EXPECT_EQ(tex->LockRect(0, &part, &empty, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(tex->Release(), 0u);

  // Video-memory textures are not lockable unless dynamic.
  ASSERT_EQ(m_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &tex, nullptr), D3D_OK);
  EXPECT_EQ(tex->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(tex->Release(), 0u);
  ASSERT_EQ(m_device->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &tex, nullptr),
            D3D_OK);
  EXPECT_EQ(tex->LockRect(0, &part, nullptr, 0), D3D_OK);
  tex->UnlockRect(0);
  EXPECT_EQ(tex->Release(), 0u);
}

TEST_F(SoftDeviceTest, StatesHaveDirect3DDefaultsAndReadBack) {
  CreateDevice(8, 8);
  DWORD v = 0;
  m_device->GetRenderState(D3DRS_ZENABLE, &v);
  EXPECT_EQ(v, DWORD{D3DZB_FALSE});  // no depth buffer
  m_device->GetRenderState(D3DRS_SRCBLEND, &v);
  EXPECT_EQ(v, DWORD{D3DBLEND_ONE});
  m_device->GetRenderState(D3DRS_ALPHAREF, &v);
  EXPECT_EQ(v, 0u);
  m_device->GetSamplerState(0, D3DSAMP_MAGFILTER, &v);
  EXPECT_EQ(v, DWORD{D3DTEXF_POINT});
  m_device->GetTextureStageState(0, D3DTSS_COLOROP, &v);
  EXPECT_EQ(v, DWORD{D3DTOP_MODULATE});
  m_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  m_device->GetSamplerState(0, D3DSAMP_MINFILTER, &v);
  EXPECT_EQ(v, DWORD{D3DTEXF_LINEAR});
  EXPECT_EQ(m_device->SetSamplerState(8, D3DSAMP_MINFILTER, 0), D3DERR_INVALIDCALL);
  D3DVIEWPORT9 vp{0, 0, 9, 8, 0, 1};
  EXPECT_EQ(m_device->SetViewport(&vp), D3DERR_INVALIDCALL);  // wider than the target
  D3DMATRIX m{};
  m._11 = 2.0f;
  ASSERT_EQ(m_device->SetTransform(D3DTS_PROJECTION, &m), D3D_OK);
  D3DMATRIX back{};
  ASSERT_EQ(m_device->GetTransform(D3DTS_PROJECTION, &back), D3D_OK);
  EXPECT_EQ(back._11, 2.0f);
}

TEST_F(SoftDeviceTest, SceneBracketsAndDrawingRules) {
  CreateDevice(8, 8);
  TTestVertex v[3] = {};
  EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 32), D3DERR_INVALIDCALL);  // outside a scene
  EXPECT_EQ(m_device->EndScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(m_device->BeginScene(), D3D_OK);
  EXPECT_EQ(m_device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 16), D3DERR_INVALIDCALL);  // stride too small
  EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_LINELIST, 1, v, 32), D3DERR_INVALIDCALL);
  m_device->SetFVF(D3DFVF_XYZ);
  EXPECT_EQ(m_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, 32), D3DERR_INVALIDCALL);
  EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);  // inside a scene
  ASSERT_EQ(m_device->EndScene(), D3D_OK);
  EXPECT_EQ(m_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);  // no depth buffer
}

TEST_F(SoftDeviceTest, PresentHandsTheBackBufferToTheWindowsTarget) {
  CreateDevice(6, 4);
  RecordingTarget target, other;
  HWND window = reinterpret_cast<HWND>(&target);
  HWND otherWindow = reinterpret_cast<HWND>(&other);
  RegisterPresentTarget(window, &target);
  RegisterPresentTarget(otherWindow, &other);
  Clear(0xFF123456u);
  // No window: presented nowhere, still a success.
  EXPECT_EQ(m_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  ASSERT_EQ(m_device->Present(nullptr, nullptr, window, nullptr), D3D_OK);
  EXPECT_EQ(target.frames, 1);
  EXPECT_EQ(target.lastWidth, 6);
  EXPECT_EQ(target.lastHeight, 4);
  EXPECT_EQ(target.lastPitch, 24);
  EXPECT_EQ(target.firstPixel, 0x123456u);
  EXPECT_EQ(other.frames, 0);
  // A lost device presents nothing.
  SoftwareD3DConfig().CooperativeLevel = D3DERR_DEVICELOST;
  EXPECT_EQ(m_device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(m_device->Present(nullptr, nullptr, window, nullptr), D3DERR_DEVICELOST);
  EXPECT_EQ(target.frames, 1);
  SoftwareD3DConfig().CooperativeLevel = D3D_OK;
  UnregisterPresentTarget(window, &other);  // not its target: stays
  EXPECT_EQ(FindPresentTarget(window), &target);
  UnregisterPresentTarget(window);
  UnregisterPresentTarget(otherWindow);
  EXPECT_EQ(FindPresentTarget(window), nullptr);
}

TEST_F(SoftDeviceTest, DumpTargetWritesPngAndBmpFiles) {
  CreateDevice(5, 3);
  Clear(0xFF0080FFu);
  const std::string prefix = ::testing::TempDir() + "pluv_dump_";
  TImageDumpTarget png(prefix, TImageDumpTarget::TKind::Png);
  TImageDumpTarget bmp(prefix, TImageDumpTarget::TKind::Bmp);
  HWND window = reinterpret_cast<HWND>(&png);
  RegisterPresentTarget(window, &png);
  ASSERT_EQ(m_device->Present(nullptr, nullptr, window, nullptr), D3D_OK);
  RegisterPresentTarget(window, &bmp);
  ASSERT_EQ(m_device->Present(nullptr, nullptr, window, nullptr), D3D_OK);
  UnregisterPresentTarget(window);
  EXPECT_EQ(png.FramesWritten(), 1);
  EXPECT_EQ(bmp.FramesWritten(), 1);
  std::ifstream pngFile(prefix + "0.png", std::ios::binary);
  std::string head(8, '\0');
  pngFile.read(head.data(), 8);
  EXPECT_EQ(head, std::string("\x89PNG\r\n\x1a\n", 8));
  std::ifstream bmpFile(prefix + "0.bmp", std::ios::binary);
  std::string bmpBytes((std::istreambuf_iterator<char>(bmpFile)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bmpBytes.size(), 54u + 3u * 16u);  // rows of 15 bytes padded to 16
  EXPECT_EQ(static_cast<uint8_t>(bmpBytes[54]), 0xFF);  // blue
  EXPECT_EQ(static_cast<uint8_t>(bmpBytes[55]), 0x80);  // green
  EXPECT_EQ(static_cast<uint8_t>(bmpBytes[56]), 0x00);  // red
  std::remove((prefix + "0.png").c_str());
  std::remove((prefix + "0.bmp").c_str());
}
