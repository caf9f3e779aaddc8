// The software implementation of the Direct3D 9 objects (internal to
// platform/d3d9). Main thread only. Reference counting follows COM and
// Direct3D 9: a device holds its Direct3D object; textures hold their device;
// the device's own surfaces (back buffers, depth-stencil) hold the device
// while the application holds them; texture levels share their texture's
// count; textures bound to a stage are kept alive by the device without
// showing in their count.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/rasterizer.h"

class TSoftDirect3D;
class TSoftDevice;
class TSoftTexture;

// Bytes per pixel of the formats the software device stores; 0 for others.
UINT SoftFormatBytes(D3DFORMAT format);
// One stored pixel widened to A8R8G8B8 for sampling.
uint32_t SoftDecodeTexel(const uint8_t* p, D3DFORMAT format);

class TSoftSurface final : public IDirect3DSurface9 {
 public:
  // A level of a texture (container set) or a surface of the device itself.
  TSoftSurface(TSoftDevice* device, TSoftTexture* container, const D3DSURFACE_DESC& desc, bool lockable);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect() override;

  const D3DSURFACE_DESC& Desc() const { return m_desc; }
  uint8_t* Bits() { return m_bits.data(); }
  int Pitch() const { return m_pitch; }
  size_t ByteSize() const { return m_bits.size(); }
  // Level 0 as 32-bit ARGB for the rasteriser; decoded again after a write lock.
  const TRasterTexture& SamplingImage();
  // Device-owned surfaces are freed by the device once nobody holds them.
  ULONG PublicCount() const { return m_refs; }
  ~TSoftSurface() override = default;

 private:
  TSoftDevice* m_device;
  TSoftTexture* m_container;
  D3DSURFACE_DESC m_desc;
  bool m_lockable;
  ULONG m_refs = 0;
  int m_pitch = 0;
  std::vector<uint8_t> m_bits;
  bool m_locked = false;
  bool m_decodedStale = true;
  std::vector<uint32_t> m_decoded;
  TRasterTexture m_image;
};

class TSoftTexture final : public IDirect3DTexture9 {
 public:
  TSoftTexture(TSoftDevice* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
               D3DPOOL pool);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return static_cast<DWORD>(m_levels.size()); }
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;

  // Held by the device while bound to a stage.
  void Bind() { ++m_binds; }
  void Unbind();
  const TRasterTexture& SamplingImage() { return m_levels[0]->SamplingImage(); }
  size_t ByteSize() const { return m_bytes; }

 private:
  ~TSoftTexture() override;
  void DestroyIfUnused();

  TSoftDevice* m_device;
  ULONG m_refs = 1;
  ULONG m_binds = 0;
  size_t m_bytes = 0;
  std::vector<std::unique_ptr<TSoftSurface>> m_levels;
};

class TSoftDevice final : public IDirect3DDevice9 {
 public:
  TSoftDevice(TSoftDirect3D* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
              const D3DPRESENT_PARAMETERS& params);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT GetDirect3D(IDirect3D9** ppD3D9) override;
  HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
  HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                        IDirect3DSurface9** ppBackBuffer) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) override;
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                        IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const void* pDirtyRegion) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
  HRESULT SetFVF(DWORD FVF) override;
  HRESULT GetFVF(DWORD* pFVF) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
                          UINT VertexStreamZeroStride) override;

  void TextureCreated(size_t bytes) { m_textureBytes += bytes; }
  void TextureDestroyed(size_t bytes) { m_textureBytes -= bytes; }
  // Pixels that reached the blending stage (benchmarks).
  uint64_t PixelsDrawn() const { return m_rasterizer.PixelsDrawn(); }
  DWORD BehaviorFlags() const { return m_behavior; }

 private:
  ~TSoftDevice() override;
  void ResetStates();
  TRasterState GatherRasterState();

  TSoftDirect3D* m_d3d;
  ULONG m_refs = 1;
  UINT m_adapter;
  D3DDEVTYPE m_type;
  HWND m_focusWindow;
  DWORD m_behavior;
  D3DPRESENT_PARAMETERS m_params;
  std::vector<std::unique_ptr<TSoftSurface>> m_backBuffers;
  std::unique_ptr<TSoftSurface> m_depthStencil;
  std::vector<float> m_depth;
  bool m_inScene = false;
  size_t m_textureBytes = 0;
  DWORD m_renderStates[kD3DRenderStateCount] = {};
  DWORD m_stageStates[kMaxTextureStages][kD3DTextureStageStateCount] = {};
  DWORD m_samplerStates[kMaxTextureStages][kD3DSamplerStateCount] = {};
  TSoftTexture* m_textures[kMaxTextureStages] = {};
  D3DMATRIX m_transforms[4] = {};  // world, view, projection, texture 0
  D3DVIEWPORT9 m_viewport = {};
  DWORD m_fvf = 0;
  TRasterizer m_rasterizer;
};

class TSoftDirect3D final : public IDirect3D9 {
 public:
  TSoftDirect3D() = default;
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override;
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER9* pIdentifier) override;
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                            D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
  HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                 D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override;
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

 private:
  ~TSoftDirect3D() override = default;
  ULONG m_refs = 1;
};

// The caps the configuration describes, for either device type.
D3DCAPS9 SoftDeviceCaps(D3DDEVTYPE type);
bool SoftDeviceTypeAvailable(D3DDEVTYPE type);
