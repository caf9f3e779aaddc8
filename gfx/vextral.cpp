#include "gfx/vextral.h"

#include <exception>

#include "gfx/debug_log.h"
#include "gfx/fpu_control.h"

namespace {

constexpr int32_t kNoDirect3DCode = 1;  // failures without a Direct3D result

// The log indentation around a framed step: raised after its opening
// banner, lowered before its closing one.
void Indent() { ++LogIndent; }
void Outdent() { --LogIndent; }

const char* ClassNameOf(const TVXResource* r) { return r != nullptr ? r->ClassName() : "nil"; }

}  // namespace

void ApplyDebugOption(TVXDebugOption option) {
  HaltOnErrorSwitch = option.Contains(vxoHaltOnError);
  DebugMessageSwitch = option.Contains(vxoDebugMessage);
  DetailedLogSwitch = option.Contains(vxoDetailedLog);
}

TVextral::TVextral(TOwnerWindow* owner) : OwnerWindow(owner) {}

void TVextral::SetDebugOption(TVXDebugOption option) {
  m_debugOption = option;
  ApplyDebugOption(option);
}

void TVextral::Loaded() {
  Device = nullptr;
  DepthStencilSurface = nullptr;
  BackBuffers.clear();
  BackBufferCount = 0;
  ApplyDebugOption(m_debugOption);
  MaskFloatingPointExceptions();
  ResourceList.clear();
  NextResourceID = 0;

  DetailLog("");
  DetailLog(Sjis("■■■起動時の初期化をします■■■"));
  Indent();
  DetailLog(Sjis("Direct3Dを生成します"));
  Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (Direct3D == nullptr) {
    CheckResult(kNoDirect3DCode, Sjis("Direct3Dオプジェクトすら生成できません、論外"));
    Outdent();
    return;
  }
  DetailLog(Sjis("ウィンドウのクライアント領域のサイズに合わせて初期化を開始します"));
  InitWindowMode(OwnerWindow->ClientWidth(), OwnerWindow->ClientHeight(), {}, D3DPRESENT_INTERVAL_DEFAULT,
                 D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, D3DADAPTER_DEFAULT);
  Outdent();
  DetailLog(Sjis("■■■Vextral 起動しました■■■"));
  DetailLog("");
}

void TVextral::InitWindowMode(int32_t Width, int32_t Height, const std::vector<D3DFORMAT>& DepthFormats,
                              UINT PresentationInterval, int32_t SwapEffect, int32_t MultiSampleType, UINT adapter) {
  DetailLog("");
  DetailLog(Sjis("■■■Windowモードへ移行します■■■"));
  Indent();
  ReleaseDevice();
  D3DDISPLAYMODE mode = GetDisplayMode(adapter);
  mode.Width = static_cast<UINT>(Width);
  mode.Height = static_cast<UINT>(Height);
  InitScreenMode(adapter, true, mode, MultiSampleType, DepthFormats, SwapEffect, PresentationInterval);
  const int frameWidth = OwnerWindow->Width() - OwnerWindow->ClientWidth();
  const int frameHeight = OwnerWindow->Height() - OwnerWindow->ClientHeight();
  OwnerWindow->SetWindowPos(OwnerWindow->Left(), OwnerWindow->Top(), Width + frameWidth, Height + frameHeight, true);
  Outdent();
  DetailLog(Sjis("■■■Windowモードへ移行しました■■■"));
  DetailLog("");
}

void TVextral::InitScreenMode(UINT adapter, bool windowed, const D3DDISPLAYMODE& Mode, int32_t MultiSampleType,
                              const std::vector<D3DFORMAT>& DepthFormats, int32_t SwapEffect,
                              UINT PresentationInterval) {
  DetailLog("");
  DetailLog(Sjis("■■■画面モードを初期化します■■■"));
  Indent();
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = Mode.Width;
  pp.BackBufferHeight = Mode.Height;
  pp.BackBufferFormat = Mode.Format;
  pp.BackBufferCount = 0;
  pp.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(MultiSampleType);
  pp.MultiSampleQuality = 0;
  pp.SwapEffect = static_cast<D3DSWAPEFFECT>(SwapEffect);
  pp.Windowed = windowed ? TRUE : FALSE;
  pp.PresentationInterval = PresentationInterval;
  pp.Flags = 0;

  D3DADAPTER_IDENTIFIER9 id{};
  if (Direct3D != nullptr) Direct3D->GetAdapterIdentifier(adapter, 0, &id);
  DetailLog(FormatText("Driver : %s", id.Driver));
  DetailLog(FormatText("Description : %s", id.Description));
  DetailLog(FormatText("VendorID : %.8x, DeviceID : %.8x, SubSysID : %.8x, Revision : %.8x", id.VendorId, id.DeviceId,
                       id.SubSysId, id.Revision));
  if (windowed) {
    DetailLog(FormatText(Sjis("ウィンドウモード %dx%dで初期化します").c_str(), static_cast<int>(Mode.Width),
                         static_cast<int>(Mode.Height)));
  } else {
    DetailLog(FormatText(Sjis("フルスクリーンモード %dx%d %dHz %s で初期化します").c_str(), static_cast<int>(Mode.Width),
                         static_cast<int>(Mode.Height), static_cast<int>(Mode.RefreshRate),
                         FormatName(Mode.Format).c_str()));
    pp.FullScreen_RefreshRateInHz = Mode.RefreshRate;
  }
  pp.hDeviceWindow = OwnerWindow->Handle();
  pp.EnableAutoDepthStencil = DepthFormats.empty() ? FALSE : TRUE;

  D3DCAPS9 caps{};
  const bool halAvailable =
      Direct3D != nullptr && SUCCEEDED(Direct3D->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &caps));
  if (halAvailable && !UseREFDevice) {
    DetailLog(Sjis("ハードウェアアクセラレーションを利用します"));
    pp.AutoDepthStencilFormat = FindDepthStencilFormat(D3DDEVTYPE_HAL, adapter, pp, DepthFormats);
    DetailLog(Sjis("デプスステンシルサーフェスのフォーマット...") + FormatName(pp.AutoDepthStencilFormat));
    if ((caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0 && !UseSoftwareVertexProcessing) {
      DetailLog(Sjis("ハードウェアT&Lを利用します"));
      CreateDeviceObject(adapter, D3DDEVTYPE_HAL, pp, D3DCREATE_HARDWARE_VERTEXPROCESSING, OwnerWindow->Handle());
    } else {
      DetailLog(Sjis("ソフトウェアT&Lを利用します"));
      CreateDeviceObject(adapter, D3DDEVTYPE_HAL, pp, D3DCREATE_SOFTWARE_VERTEXPROCESSING, OwnerWindow->Handle());
    }
  } else {
    DetailLog(Sjis("ソフトウェアエミュレーションを利用します"));
    pp.AutoDepthStencilFormat = FindDepthStencilFormat(D3DDEVTYPE_REF, adapter, pp, DepthFormats);
    DetailLog(Sjis("デプスステンシルサーフェスのフォーマット...") + FormatName(pp.AutoDepthStencilFormat));
    CreateDeviceObject(adapter, D3DDEVTYPE_REF, pp, D3DCREATE_SOFTWARE_VERTEXPROCESSING, OwnerWindow->Handle());
  }
  Outdent();
  DetailLog(Sjis("■■■画面モードを初期化しました■■■"));
  DetailLog("");
}

D3DFORMAT TVextral::FindDepthStencilFormat(D3DDEVTYPE deviceType, UINT adapter, const D3DPRESENT_PARAMETERS& params,
                                           const std::vector<D3DFORMAT>& DepthFormats) {
  if (params.EnableAutoDepthStencil && Direct3D != nullptr) {
    for (D3DFORMAT candidate : DepthFormats) {
      if (Direct3D->CheckDepthStencilMatch(adapter, deviceType, params.BackBufferFormat, params.BackBufferFormat,
                                           candidate) == D3D_OK) {
        return candidate;
      }
    }
  }
  DetailLog(Sjis("希望のデプスステンシルサーフェスのフォーマットが見つかりませんでした"));
  return D3DFMT_UNKNOWN;
}

void TVextral::CreateDeviceObject(UINT adapter, D3DDEVTYPE deviceType, D3DPRESENT_PARAMETERS& params,
                                  DWORD BehaviorFlags, HWND FocusWindow) {
  if (Device != nullptr) {
    DetailLog(Sjis("新しいデバイスの生成の前に、全ての関連オブジェクトを解放します"));
    ReleaseDevice();
  }
  DetailLog(Sjis("Direct3DDeviceオブジェクトの生成を行います"));
  // Without a Direct3D object (its creation failed unreported) the creation
  // fails like an invalid call.
  const HRESULT hr = Direct3D != nullptr
                         ? Direct3D->CreateDevice(adapter, deviceType, FocusWindow, BehaviorFlags, &params, &Device)
                         : D3DERR_INVALIDCALL;
  CheckResult(hr, Sjis("Direct3DDeviceオブジェクトの生成に失敗しました"));
  if (FAILED(hr) || Device == nullptr) {
    Device = nullptr;
    return;
  }
  BackBufferCount = static_cast<int32_t>(params.BackBufferCount);
  BackBuffers.assign(static_cast<size_t>(BackBufferCount), nullptr);
  for (int32_t i = 0; i < BackBufferCount; ++i) {
    Device->GetBackBuffer(0, static_cast<UINT>(i), D3DBACKBUFFER_TYPE_MONO, &BackBuffers[static_cast<size_t>(i)]);
  }
  if (FAILED(Device->GetDepthStencilSurface(&DepthStencilSurface))) DepthStencilSurface = nullptr;
  PresentParameters = params;
  Adapter = adapter;
  DeviceType = deviceType;
  Windowed = params.Windowed != 0;
  ScreenWidth = params.BackBufferWidth;
  ScreenHeight = params.BackBufferHeight;
  ScreenFormat = params.BackBufferFormat;
  RebuildAllResources();
}

void TVextral::ReleaseDevice() {
  DetailLog("");
  DetailLog(Sjis("■■■Direct3Dデバイスを解放します■■■"));
  Indent();
  ReleaseAllResources();
  if (DepthStencilSurface != nullptr) {
    DetailLog(Sjis("デプスステンシルサーフェスを解放します"));
    const auto left = static_cast<int32_t>(DepthStencilSurface->Release());
    DepthStencilSurface = nullptr;
    CheckResult(left, Sjis("デプスステンシルサーフェスの解放に失敗しました"));
  }
  if (!BackBuffers.empty()) {
    DetailLog(Sjis("バックバッファを解放します"));
    for (int32_t i = 0; i < BackBufferCount && static_cast<size_t>(i) < BackBuffers.size(); ++i) {
      IDirect3DSurface9*& buffer = BackBuffers[static_cast<size_t>(i)];
      const auto left = buffer != nullptr ? static_cast<int32_t>(buffer->Release()) : 0;
      buffer = nullptr;
      CheckResult(left, Sjis("バックバッファ #") + std::to_string(i) + Sjis("　の解放に失敗しました"));
    }
    BackBuffers.clear();
  }
  if (Device != nullptr) {
    DetailLog(Sjis("Direct3DDeviceオブジェクトの解放を行います"));
    const auto left = static_cast<int32_t>(Device->Release());
    Device = nullptr;
    CheckResult(left, Sjis("Direct3DDeviceオブジェクトの解放に失敗しました"));
  }
  Outdent();
  DetailLog(Sjis("■■■Direct3Dデバイスを解放しました■■■"));
  DetailLog("");
}

D3DDISPLAYMODE TVextral::GetDisplayMode(UINT adapter) {
  D3DDISPLAYMODE mode{};
  if (Direct3D != nullptr) Direct3D->GetAdapterDisplayMode(adapter, &mode);
  return mode;
}

IDirect3DSurface9* TVextral::GetBackBuffer(int32_t Index) const {
  if (Index < 0 || static_cast<size_t>(Index) >= BackBuffers.size()) return nullptr;
  return BackBuffers[static_cast<size_t>(Index)];
}

int32_t TVextral::RegisterResource(TVXResource* Resource, const std::string& name, TVXNotifyEvent OnRelease,
                                   TVXNotifyEvent OnRebuild, TVXNotifyEvent OnDeviceLost,
                                   TVXNotifyEvent OnDeviceReset) {
  DetailLog(FormatText(Sjis("Vextralリソース(%s)を登録します ID は %d(%s) です").c_str(), ClassNameOf(Resource),
                       NextResourceID, name.c_str()));
  auto desc = std::make_unique<TVXResourceDesc>();
  desc->ID = NextResourceID;
  desc->Name = name;
  desc->Resource = Resource;
  desc->OnRelease = std::move(OnRelease);
  desc->OnRebuild = std::move(OnRebuild);
  desc->OnDeviceLost = std::move(OnDeviceLost);
  desc->OnDeviceReset = std::move(OnDeviceReset);
  ResourceList.push_back(std::move(desc));
  return NextResourceID++;
}

void TVextral::UnregisterResource(int32_t ID) {
  for (auto it = ResourceList.begin(); it != ResourceList.end(); ++it) {
    if ((*it)->ID != ID) continue;
    const std::string line = FormatText(Sjis("Vextralリソース(%s) : ID %d(%s) を登録解除します").c_str(),
                                        ClassNameOf((*it)->Resource), ID, (*it)->Name.c_str());
    // Off the list before the line is logged: a log that cannot be written
    // must not leave a resource that is being destroyed on the list.
    ResourceList.erase(it);
    DetailLog(line);
    return;
  }
  CheckResult(kNoDirect3DCode,
              FormatText(Sjis("リストに入ってないVextralリソース(ID:%d)が、UnregisterResource手続きに渡されました").c_str(), ID));
}

void TVextral::ReleaseAllResources() {
  DetailLog(Sjis("全てのVextralリソースを解放します"));
  // By position over the count taken now: hooks must not (un)register.
  const size_t count = ResourceList.size();
  for (size_t i = 0; i < count && i < ResourceList.size(); ++i) {
    if (ResourceList[i]->OnRelease) ResourceList[i]->OnRelease();
  }
}

void TVextral::RebuildAllResources() {
  DetailLog(Sjis("全てのVextralリソースを再構築します"));
  const size_t count = ResourceList.size();
  for (size_t i = 0; i < count && i < ResourceList.size(); ++i) {
    if (ResourceList[i]->OnRebuild) ResourceList[i]->OnRebuild();
  }
}

TVextral::~TVextral() {
  try {
    Destroy();
  } catch (const std::exception&) {
    // The log became unwritable while shutting down: finish without it.
    ReleaseEverythingQuietly();
  }
}

void TVextral::Destroy() {
  DetailLog("");
  DetailLog(Sjis("■■■お別れの時がやってまいりました■■■"));
  Indent();
  while (!ResourceList.empty()) {
    const TVXResourceDesc& first = *ResourceList.front();
    const int32_t id = first.ID;
    DetailLog(FormatText(Sjis("ID %d(%s) のVextralリソースは、明示的に解放されていません").c_str(), id,
                         first.Name.c_str()));
    delete first.Resource;  // its destructor unregisters it
    // A resource that did not unregister itself would hold the loop forever.
    if (!ResourceList.empty() && ResourceList.front()->ID == id) ResourceList.erase(ResourceList.begin());
  }
  DetailLog(Sjis("Vextralオブジェクトの解放に伴い、全ての関連オブジェクトを解放します"));
  ReleaseDevice();
  DetailLog(Sjis("Direct3Dオブジェクトの解放を行います"));
  if (Direct3D != nullptr) {
    const auto left = static_cast<int32_t>(Direct3D->Release());
    Direct3D = nullptr;
    CheckResult(left, Sjis("Direct3Dオブジェクトの解放に失敗しました"));
  }
  ResourceList.clear();
  Outdent();
  DetailLog(Sjis("■■■それではごきげんよう■■■"));
  DetailLog("");
}

void TVextral::ReleaseEverythingQuietly() {
  while (!ResourceList.empty()) {
    const int32_t id = ResourceList.front()->ID;
    TVXResource* resource = ResourceList.front()->Resource;
    try {
      delete resource;
    } catch (...) {
    }
    if (!ResourceList.empty() && ResourceList.front()->ID == id) ResourceList.erase(ResourceList.begin());
  }
  if (DepthStencilSurface != nullptr) DepthStencilSurface->Release();
  DepthStencilSurface = nullptr;
  for (IDirect3DSurface9* b : BackBuffers) {
    if (b != nullptr) b->Release();
  }
  BackBuffers.clear();
  if (Device != nullptr) Device->Release();
  Device = nullptr;
  if (Direct3D != nullptr) Direct3D->Release();
  Direct3D = nullptr;
}
