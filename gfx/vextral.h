// TVextral: the Direct3D 9 device wrapper of the main window. Creates and
// keeps the Direct3D object and the device, chooses hardware or reference
// rasterisation and vertex processing, and keeps the registry of
// device-dependent resources (textures, scenes) that are freed before a
// device goes away and rebuilt after a new one exists. Main thread only. The
// wrapper owns the Direct3D object, the device, its surface references and
// the registry entries; it frees resources still registered when destroyed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gfx/debug_option.h"
#include "platform/d3d9/d3d9.h"
#include "platform/ui/owner_window.h"

// The common base of everything the registry can hold, so that the wrapper
// can free a resource left registered at its destruction. A resource's
// destructor unregisters it.
class TVXResource {
 public:
  virtual ~TVXResource() = default;
  // The class name shown in log lines ("TVXTexture", "TNQScene", ...).
  virtual const char* ClassName() const = 0;
};

// A bound procedure without arguments; may be empty.
using TVXNotifyEvent = std::function<void()>;

// One registration.
class TVXResourceDesc {
 public:
  int32_t ID = 0;
  std::string Name;
  TVXResource* Resource = nullptr;  // not owned by the entry
  TVXNotifyEvent OnRelease;         // frees the resource's device objects
  TVXNotifyEvent OnRebuild;         // re-creates them on the current device
  TVXNotifyEvent OnDeviceLost;      // frees what does not survive a reset
  TVXNotifyEvent OnDeviceReset;     // re-creates that after a reset
};

class TVextral {
 public:
  // Nothing is created here; Loaded starts the device.
  explicit TVextral(TOwnerWindow* owner);
  ~TVextral();
  TVextral(const TVextral&) = delete;
  TVextral& operator=(const TVextral&) = delete;

  // Start-up, once the properties are set: the Direct3D object and a first
  // device the size of the owner's client area.
  void Loaded();
  void InitWindowMode(int32_t Width, int32_t Height, const std::vector<D3DFORMAT>& DepthFormats,
                      UINT PresentationInterval, int32_t SwapEffect, int32_t MultiSampleType, UINT Adapter);
  void InitScreenMode(UINT Adapter, bool Windowed, const D3DDISPLAYMODE& Mode, int32_t MultiSampleType,
                      const std::vector<D3DFORMAT>& DepthFormats, int32_t SwapEffect, UINT PresentationInterval);
  // The first of DepthFormats that matches the back-buffer format of params
  // for the device type; D3DFMT_UNKNOWN when none does or the automatic
  // depth-stencil is off.
  D3DFORMAT FindDepthStencilFormat(D3DDEVTYPE DeviceType, UINT Adapter, const D3DPRESENT_PARAMETERS& Params,
                                   const std::vector<D3DFORMAT>& DepthFormats);
  void CreateDeviceObject(UINT Adapter, D3DDEVTYPE DeviceType, D3DPRESENT_PARAMETERS& PresentParameters,
                          DWORD BehaviorFlags, HWND FocusWindow);
  void ReleaseDevice();
  // The adapter's current display mode (zeros without a Direct3D object);
  // the result of the call is not checked.
  D3DDISPLAYMODE GetDisplayMode(UINT Adapter);
  // Back buffer Index (below BackBufferCount); no reference is added.
  IDirect3DSurface9* GetBackBuffer(int32_t Index) const;

  int32_t RegisterResource(TVXResource* Resource, const std::string& Name, TVXNotifyEvent OnRelease,
                           TVXNotifyEvent OnRebuild, TVXNotifyEvent OnDeviceLost, TVXNotifyEvent OnDeviceReset);
  void UnregisterResource(int32_t ID);
  void ReleaseAllResources();
  void RebuildAllResources();

  TVXDebugOption DebugOption() const { return m_debugOption; }
  // Stores the set and applies it to the log switches at once.
  void SetDebugOption(TVXDebugOption option);

  // Fields of the design, in its order.
  std::string Name;  // the component's name ("VX")
  IDirect3D9* Direct3D = nullptr;
  IDirect3DDevice9* Device = nullptr;
  std::vector<IDirect3DSurface9*> BackBuffers;
  IDirect3DSurface9* DepthStencilSurface = nullptr;
  int32_t BackBufferCount = 0;
  bool UseREFDevice = false;
  bool UseSoftwareVertexProcessing = false;
  bool Windowed = false;
  D3DFORMAT ScreenFormat = D3DFMT_UNKNOWN;
  UINT ScreenWidth = 0;
  UINT ScreenHeight = 0;
  TOwnerWindow* OwnerWindow;  // not owned
  D3DPRESENT_PARAMETERS PresentParameters{};
  UINT Adapter = 0;
  D3DDEVTYPE DeviceType = static_cast<D3DDEVTYPE>(0);
  int32_t NextResourceID = 0;
  std::vector<std::unique_ptr<TVXResourceDesc>> ResourceList;

 private:
  void Destroy();
  void ReleaseEverythingQuietly();

  TVXDebugOption m_debugOption = kAllDebugOptions;
};
