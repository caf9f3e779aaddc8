// The Direct3D object of the software device: one adapter, the desktop mode,
// capabilities and format checks from the process-wide configuration.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d9/software_objects.h"

namespace {

TSoftwareD3DConfig& ConfigInstance() {
  static TSoftwareD3DConfig config;
  return config;
}

bool IsBackBufferFormat(D3DFORMAT f) { return f == D3DFMT_X8R8G8B8 || f == D3DFMT_A8R8G8B8; }

bool IsDepthFormat(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D16:
      return true;
    default:
      return false;
  }
}

bool Contains(const std::vector<D3DFORMAT>& list, D3DFORMAT f) {
  return std::find(list.begin(), list.end(), f) != list.end();
}

}  // namespace

TSoftwareD3DConfig& SoftwareD3DConfig() { return ConfigInstance(); }
void ResetSoftwareD3DConfig() { ConfigInstance() = TSoftwareD3DConfig{}; }

bool SoftDeviceTypeAvailable(D3DDEVTYPE type) {
  if (type == D3DDEVTYPE_HAL) return SoftwareD3DConfig().HasHardwareDevice;
  return type == D3DDEVTYPE_REF;
}

D3DCAPS9 SoftDeviceCaps(D3DDEVTYPE type) {
  const TSoftwareD3DConfig& cfg = SoftwareD3DConfig();
  D3DCAPS9 caps{};
  caps.DeviceType = type;
  caps.AdapterOrdinal = 0;
  caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
  caps.DevCaps = D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_HWRASTERIZATION;
  if (cfg.HardwareTransformAndLighting) caps.DevCaps |= D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  caps.PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
  if (cfg.BlendOpCap) caps.PrimitiveMiscCaps |= D3DPMISCCAPS_BLENDOP;
  caps.ZCmpCaps = 0xFF;
  caps.AlphaCmpCaps = 0xFF;
  caps.SrcBlendCaps = 0x3FF;
  caps.DestBlendCaps = 0x3FF;
  caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
  caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
  if (cfg.TexturePow2Only) caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
  if (cfg.TextureSquareOnly) caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
  caps.TextureFilterCaps =
      D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  caps.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_CLAMP;
  caps.MaxTextureWidth = cfg.MaxTextureWidth;
  caps.MaxTextureHeight = cfg.MaxTextureHeight;
  caps.MaxTextureRepeat = 8192;
  caps.MaxTextureAspectRatio = std::max(cfg.MaxTextureWidth, cfg.MaxTextureHeight);
  caps.MaxVertexW = 1e10f;
  caps.GuardBandLeft = -16384.0f;
  caps.GuardBandTop = -16384.0f;
  caps.GuardBandRight = 16384.0f;
  caps.GuardBandBottom = 16384.0f;
  caps.FVFCaps = 8;
  caps.TextureOpCaps = 0x1F;
  caps.MaxTextureBlendStages = 1;
  caps.MaxSimultaneousTextures = 1;
  caps.MaxPointSize = 1.0f;
  caps.MaxPrimitiveCount = 0xFFFFF;
  caps.MaxVertexIndex = 0xFFFFF;
  caps.MaxStreams = 1;
  caps.MaxStreamStride = 255;
  return caps;
}

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
  if (SDKVersion != D3D_SDK_VERSION || SoftwareD3DConfig().CreateFails) return nullptr;
  return new TSoftDirect3D();
}

ULONG TSoftDirect3D::Release() {
  const ULONG left = --m_refs;
  if (left == 0) delete this;
  return left;
}

HRESULT TSoftDirect3D::GetAdapterIdentifier(UINT Adapter, DWORD, D3DADAPTER_IDENTIFIER9* pIdentifier) {
  if (Adapter != 0 || pIdentifier == nullptr) return D3DERR_INVALIDCALL;
  std::memset(pIdentifier, 0, sizeof(*pIdentifier));
  std::snprintf(pIdentifier->Driver, sizeof(pIdentifier->Driver), "%s", "pluv_soft_d3d9");
  std::snprintf(pIdentifier->Description, sizeof(pIdentifier->Description), "%s", "Pluvionaut software rasteriser");
  std::snprintf(pIdentifier->DeviceName, sizeof(pIdentifier->DeviceName), "%s", "\\\\.\\DISPLAY1");
  pIdentifier->DriverVersion.QuadPart = 0x0001000000000001LL;
  pIdentifier->VendorId = 0x0000504C;  // "PL"
  pIdentifier->DeviceId = 0x00000009;
  pIdentifier->SubSysId = 0;
  pIdentifier->Revision = 1;
  return D3D_OK;
}

HRESULT TSoftDirect3D::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
  if (Adapter != 0 || pMode == nullptr) return D3DERR_INVALIDCALL;
  const TSoftwareD3DConfig& cfg = SoftwareD3DConfig();
  pMode->Width = cfg.DesktopWidth;
  pMode->Height = cfg.DesktopHeight;
  pMode->RefreshRate = cfg.DesktopRefreshRate;
  pMode->Format = D3DFMT_X8R8G8B8;
  return D3D_OK;
}

HRESULT TSoftDirect3D::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                                         D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
  if (Adapter != 0) return D3DERR_INVALIDCALL;
  if (!SoftDeviceTypeAvailable(DeviceType)) return D3DERR_NOTAVAILABLE;
  if (!IsBackBufferFormat(AdapterFormat)) return D3DERR_NOTAVAILABLE;
  const TSoftwareD3DConfig& cfg = SoftwareD3DConfig();
  if ((Usage & D3DUSAGE_DEPTHSTENCIL) != 0) {
    return (RType == D3DRTYPE_SURFACE && Contains(cfg.DepthFormats, CheckFormat)) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if ((Usage & D3DUSAGE_RENDERTARGET) != 0) return D3DERR_NOTAVAILABLE;  // textures are never render targets here
  if (RType != D3DRTYPE_TEXTURE && RType != D3DRTYPE_SURFACE) return D3DERR_NOTAVAILABLE;
  return Contains(cfg.TextureFormats, CheckFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT TSoftDirect3D::CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                              D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) {
  if (Adapter != 0) return D3DERR_INVALIDCALL;
  if (!SoftDeviceTypeAvailable(DeviceType)) return D3DERR_NOTAVAILABLE;
  if (!IsBackBufferFormat(AdapterFormat) || !IsBackBufferFormat(RenderTargetFormat)) return D3DERR_NOTAVAILABLE;
  if (!IsDepthFormat(DepthStencilFormat)) return D3DERR_NOTAVAILABLE;
  return Contains(SoftwareD3DConfig().DepthFormats, DepthStencilFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT TSoftDirect3D::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) {
  if (Adapter != 0 || pCaps == nullptr) return D3DERR_INVALIDCALL;
  if (!SoftDeviceTypeAvailable(DeviceType)) return D3DERR_NOTAVAILABLE;
  *pCaps = SoftDeviceCaps(DeviceType);
  return D3D_OK;
}

HRESULT TSoftDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                    D3DPRESENT_PARAMETERS* pp, IDirect3DDevice9** ppDevice) {
  if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
  *ppDevice = nullptr;
  if (Adapter != 0 || pp == nullptr) return D3DERR_INVALIDCALL;
  const TSoftwareD3DConfig& cfg = SoftwareD3DConfig();
  if (!SoftDeviceTypeAvailable(DeviceType)) return D3DERR_NOTAVAILABLE;
  const DWORD vp = BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                    D3DCREATE_MIXED_VERTEXPROCESSING);
  if (vp != D3DCREATE_SOFTWARE_VERTEXPROCESSING && vp != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      vp != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  const D3DCAPS9 caps = SoftDeviceCaps(DeviceType);
  if (vp != D3DCREATE_SOFTWARE_VERTEXPROCESSING && (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) == 0) {
    return D3DERR_INVALIDCALL;
  }
  if (FAILED(cfg.CreateDeviceResult)) return cfg.CreateDeviceResult;
  D3DPRESENT_PARAMETERS params = *pp;
  if (params.hDeviceWindow == nullptr && hFocusWindow == nullptr && !params.Windowed) return D3DERR_INVALIDCALL;
  if (params.Windowed && params.BackBufferFormat == D3DFMT_UNKNOWN) params.BackBufferFormat = D3DFMT_X8R8G8B8;
  if (!IsBackBufferFormat(params.BackBufferFormat)) return D3DERR_NOTAVAILABLE;
  if (params.BackBufferWidth == 0 || params.BackBufferHeight == 0 || params.BackBufferWidth > 16384 ||
      params.BackBufferHeight > 16384) {
    return D3DERR_INVALIDCALL;
  }
  if (params.BackBufferCount == 0) params.BackBufferCount = 1;
  if (params.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return D3DERR_INVALIDCALL;
  if (params.SwapEffect < D3DSWAPEFFECT_DISCARD || params.SwapEffect > D3DSWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
  if (params.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
  if (params.EnableAutoDepthStencil &&
      CheckDepthStencilMatch(Adapter, DeviceType, params.BackBufferFormat, params.BackBufferFormat,
                             params.AutoDepthStencilFormat) != D3D_OK) {
    return D3DERR_INVALIDCALL;
  }
  if (params.Windowed) params.FullScreen_RefreshRateInHz = 0;
  auto* device = new TSoftDevice(this, Adapter, DeviceType, hFocusWindow, BehaviorFlags, params);
  *pp = params;
  *ppDevice = device;
  return D3D_OK;
}
