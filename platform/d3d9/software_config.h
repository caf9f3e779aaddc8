// What the software Direct3D claims to be: the process-wide configuration
// that tests set before CreateDevice to get a device that demands powers of
// two or squares, lacks the blend-operation cap or hardware transform and
// lighting, has no hardware device at all, or reports a lost device.
// Main thread only; read by each call, so changes apply at once.
#pragma once

#include <vector>

#include "platform/d3d9/d3d9_types.h"

struct TSoftwareD3DConfig {
  bool CreateFails = false;            // Direct3DCreate9 yields nothing
  bool HasHardwareDevice = true;       // GetDeviceCaps/CreateDevice for D3DDEVTYPE_HAL succeed
  bool HardwareTransformAndLighting = true;  // D3DDEVCAPS_HWTRANSFORMANDLIGHT
  bool TexturePow2Only = false;        // D3DPTEXTURECAPS_POW2
  bool TextureSquareOnly = false;      // D3DPTEXTURECAPS_SQUAREONLY
  bool BlendOpCap = true;              // D3DPMISCCAPS_BLENDOP
  DWORD MaxTextureWidth = 4096;
  DWORD MaxTextureHeight = 4096;
  UINT DesktopWidth = 1920;            // GetAdapterDisplayMode (headless default)
  UINT DesktopHeight = 1080;
  UINT DesktopRefreshRate = 60;
  UINT TextureMemoryBytes = 256u * 1024u * 1024u;  // the budget GetAvailableTextureMem draws from
  HRESULT CooperativeLevel = D3D_OK;   // what TestCooperativeLevel (and Present) report
  HRESULT CreateDeviceResult = D3D_OK; // a failure code makes CreateDevice fail with it
  // Depth formats that CheckDepthStencilMatch accepts with an X8R8G8B8 or
  // A8R8G8B8 render target.
  std::vector<D3DFORMAT> DepthFormats = {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D32};
  // Texture formats that CheckDeviceFormat and CreateTexture accept. P8 may
  // be added: it is stored, and sampled as grey levels (no palettes).
  std::vector<D3DFORMAT> TextureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5,
                                           D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,
                                           D3DFMT_A8,       D3DFMT_L8,       D3DFMT_A8L8,
                                           D3DFMT_X4R4G4B4};
};

// The configuration in force. Tests change it and restore it with
// ResetSoftwareD3DConfig().
TSoftwareD3DConfig& SoftwareD3DConfig();
void ResetSoftwareD3DConfig();
