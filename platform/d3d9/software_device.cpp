// The software device: Direct3D 9's state defaults, scene brackets, clearing,
// presentation, resource creation and the draw call that feeds the
// rasteriser.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9/software_objects.h"

namespace {

constexpr int kWorldIndex = 0, kViewIndex = 1, kProjectionIndex = 2, kTexture0Index = 3;

int TransformIndex(D3DTRANSFORMSTATETYPE state) {
  switch (state) {
    case D3DTS_WORLD: return kWorldIndex;
    case D3DTS_VIEW: return kViewIndex;
    case D3DTS_PROJECTION: return kProjectionIndex;
    case D3DTS_TEXTURE0: return kTexture0Index;
    default: return -1;
  }
}

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

// Byte offsets of the parts of a pre-transformed vertex.
struct TVertexLayout {
  bool valid = false;
  UINT size = 0;
  int diffuse = -1;
  int texture = -1;
};

TVertexLayout LayoutOf(DWORD fvf) {
  TVertexLayout layout;
  constexpr DWORD kKnown = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | 0xF00;
  if ((fvf & 0x00E) != D3DFVF_XYZRHW || (fvf & ~kKnown) != 0) return layout;
  UINT offset = 16;
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuse = static_cast<int>(offset);
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) offset += 4;
  const DWORD texCount = (fvf >> 8) & 0xF;
  if (texCount > 0) layout.texture = static_cast<int>(offset);
  offset += texCount * 8;
  layout.size = offset;
  layout.valid = true;
  return layout;
}

TRasterVertex ReadVertex(const uint8_t* p, const TVertexLayout& layout) {
  TRasterVertex v{};
  std::memcpy(&v.X, p, 16);
  v.Diffuse = 0xFFFFFFFFu;
  if (layout.diffuse >= 0) std::memcpy(&v.Diffuse, p + layout.diffuse, 4);
  if (layout.texture >= 0) {
    std::memcpy(&v.U, p + layout.texture, 4);
    std::memcpy(&v.V, p + layout.texture + 4, 4);
  }
  return v;
}

}  // namespace

TSoftDevice::TSoftDevice(TSoftDirect3D* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         const D3DPRESENT_PARAMETERS& params)
    : m_d3d(d3d),
      m_adapter(adapter),
      m_type(type),
      m_focusWindow(focusWindow),
      m_behavior(behaviorFlags),
      m_params(params),
      m_rasterizer(static_cast<int>(params.BackBufferWidth)) {
  m_d3d->AddRef();
  const bool lockable = (params.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
  for (UINT i = 0; i < params.BackBufferCount; ++i) {
    D3DSURFACE_DESC desc{params.BackBufferFormat, D3DRTYPE_SURFACE, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT,
                         D3DMULTISAMPLE_NONE, 0, params.BackBufferWidth, params.BackBufferHeight};
    m_backBuffers.push_back(std::make_unique<TSoftSurface>(this, nullptr, desc, lockable));
  }
  if (params.EnableAutoDepthStencil) {
    D3DSURFACE_DESC desc{params.AutoDepthStencilFormat, D3DRTYPE_SURFACE, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                         D3DMULTISAMPLE_NONE, 0, params.BackBufferWidth, params.BackBufferHeight};
    m_depthStencil = std::make_unique<TSoftSurface>(this, nullptr, desc, false);
    m_depth.assign(static_cast<size_t>(params.BackBufferWidth) * params.BackBufferHeight, 1.0f);
  }
  ResetStates();
}

TSoftDevice::~TSoftDevice() {
  // Nothing is bound here: a bound texture keeps its device alive.
  m_d3d->Release();
}

void TSoftDevice::ResetStates() {
  // Direct3D 9's documented defaults.
  std::fill(std::begin(m_renderStates), std::end(m_renderStates), 0u);
  m_renderStates[D3DRS_ZENABLE] = m_params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  m_renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
  m_renderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  m_renderStates[D3DRS_ZWRITEENABLE] = TRUE;
  m_renderStates[D3DRS_LASTPIXEL] = TRUE;
  m_renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  m_renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  m_renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
  m_renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  m_renderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  m_renderStates[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  m_renderStates[D3DRS_CLIPPING] = TRUE;
  m_renderStates[D3DRS_LIGHTING] = TRUE;
  m_renderStates[D3DRS_COLORVERTEX] = TRUE;
  m_renderStates[D3DRS_DIFFUSEMATERIALSOURCE] = 1;
  m_renderStates[D3DRS_COLORWRITEENABLE] = 0xF;
  m_renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  for (DWORD s = 0; s < kMaxTextureStages; ++s) {
    DWORD* st = m_stageStates[s];
    st[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    st[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    st[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    st[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    st[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    st[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    st[D3DTSS_TEXCOORDINDEX] = s;
    st[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    st[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    st[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    DWORD* sm = m_samplerStates[s];
    sm[D3DSAMP_ADDRESSU] = sm[D3DSAMP_ADDRESSV] = sm[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    sm[D3DSAMP_MAGFILTER] = sm[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    sm[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    sm[D3DSAMP_MAXANISOTROPY] = 1;
  }
  for (auto& m : m_transforms) m = Identity();
  m_viewport = {0, 0, m_params.BackBufferWidth, m_params.BackBufferHeight, 0.0f, 1.0f};
}

ULONG TSoftDevice::AddRef() { return ++m_refs; }

ULONG TSoftDevice::Release() {
  if (m_refs == 0) return 0;
  const ULONG left = --m_refs;
  if (left == 0) delete this;
  return left;
}

HRESULT TSoftDevice::TestCooperativeLevel() { return SoftwareD3DConfig().CooperativeLevel; }

UINT TSoftDevice::GetAvailableTextureMem() {
  const size_t budget = SoftwareD3DConfig().TextureMemoryBytes;
  return static_cast<UINT>(budget > m_textureBytes ? budget - m_textureBytes : 0);
}

HRESULT TSoftDevice::GetDirect3D(IDirect3D9** ppD3D9) {
  if (ppD3D9 == nullptr) return D3DERR_INVALIDCALL;
  m_d3d->AddRef();
  *ppD3D9 = m_d3d;
  return D3D_OK;
}

HRESULT TSoftDevice::GetDeviceCaps(D3DCAPS9* pCaps) {
  if (pCaps == nullptr) return D3DERR_INVALIDCALL;
  *pCaps = SoftDeviceCaps(m_type);
  return D3D_OK;
}

HRESULT TSoftDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                   IDirect3DSurface9** ppBackBuffer) {
  if (ppBackBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppBackBuffer = nullptr;
  if (iSwapChain != 0 || iBackBuffer >= m_backBuffers.size() || Type != D3DBACKBUFFER_TYPE_MONO) {
    return D3DERR_INVALIDCALL;
  }
  m_backBuffers[iBackBuffer]->AddRef();
  *ppBackBuffer = m_backBuffers[iBackBuffer].get();
  return D3D_OK;
}

HRESULT TSoftDevice::GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) {
  if (ppZStencilSurface == nullptr) return D3DERR_INVALIDCALL;
  *ppZStencilSurface = nullptr;
  if (!m_depthStencil) return D3DERR_NOTFOUND;
  m_depthStencil->AddRef();
  *ppZStencilSurface = m_depthStencil.get();
  return D3D_OK;
}

HRESULT TSoftDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                   IDirect3DTexture9** ppTexture, HANDLE*) {
  if (ppTexture == nullptr) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  const D3DCAPS9 caps = SoftDeviceCaps(m_type);
  if (Width == 0 || Height == 0 || Width > caps.MaxTextureWidth || Height > caps.MaxTextureHeight) {
    return D3DERR_INVALIDCALL;
  }
  const auto isPow2 = [](UINT v) { return (v & (v - 1)) == 0; };
  if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) && (!isPow2(Width) || !isPow2(Height))) return D3DERR_INVALIDCALL;
  if ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && Width != Height) return D3DERR_INVALIDCALL;
  if (Pool > D3DPOOL_SCRATCH || (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0) {
    return D3DERR_INVALIDCALL;
  }
  if (m_d3d->CheckDeviceFormat(m_adapter, m_type, m_params.BackBufferFormat, 0, D3DRTYPE_TEXTURE, Format) != D3D_OK ||
      SoftFormatBytes(Format) == 0) {
    return D3DERR_INVALIDCALL;
  }
  UINT fullChain = 1;
  for (UINT s = std::max(Width, Height); s > 1; s /= 2) ++fullChain;
  const UINT levels = (Levels == 0 || Levels > fullChain) ? fullChain : Levels;
  if (Levels > fullChain) return D3DERR_INVALIDCALL;
  // Level 0 dominates; the whole chain is at most 4/3 of it.
  const uint64_t estimate = uint64_t{Width} * Height * SoftFormatBytes(Format) * 4 / 3;
  if (Pool == D3DPOOL_DEFAULT && estimate > GetAvailableTextureMem()) return D3DERR_OUTOFVIDEOMEMORY;
  *ppTexture = new TSoftTexture(this, Width, Height, levels, Usage, Format, Pool);
  return D3D_OK;
}

HRESULT TSoftDevice::BeginScene() {
  if (m_inScene) return D3DERR_INVALIDCALL;
  m_inScene = true;
  return D3D_OK;
}

HRESULT TSoftDevice::EndScene() {
  if (!m_inScene) return D3DERR_INVALIDCALL;
  m_inScene = false;
  return D3D_OK;
}

HRESULT TSoftDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD) {
  if ((Flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0) return D3DERR_INVALIDCALL;
  if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && !m_depthStencil) return D3DERR_INVALIDCALL;
  if (Count > 0 && pRects == nullptr) return D3DERR_INVALIDCALL;
  TSoftSurface& target = *m_backBuffers[0];
  auto* pixels = reinterpret_cast<uint32_t*>(target.Bits());
  const int pitch = target.Pitch() / 4;
  const int width = static_cast<int>(m_params.BackBufferWidth);
  // Direct3D 9 clears the viewport, or the given rectangles inside it.
  const D3DRECT viewport{static_cast<LONG>(m_viewport.X), static_cast<LONG>(m_viewport.Y),
                         static_cast<LONG>(m_viewport.X + m_viewport.Width),
                         static_cast<LONG>(m_viewport.Y + m_viewport.Height)};
  const DWORD rectCount = Count == 0 ? 1 : Count;
  for (DWORD i = 0; i < rectCount; ++i) {
    D3DRECT r = Count == 0 ? viewport : pRects[i];
    r.x1 = std::max(r.x1, viewport.x1);
    r.y1 = std::max(r.y1, viewport.y1);
    r.x2 = std::min(r.x2, viewport.x2);
    r.y2 = std::min(r.y2, viewport.y2);
    if (r.x1 >= r.x2 || r.y1 >= r.y2) continue;
    for (LONG y = r.y1; y < r.y2; ++y) {
      if (Flags & D3DCLEAR_TARGET) {
        std::fill_n(pixels + static_cast<std::ptrdiff_t>(y) * pitch + r.x1, r.x2 - r.x1, Color);
      }
      if (Flags & D3DCLEAR_ZBUFFER) {
        std::fill_n(m_depth.data() + static_cast<std::ptrdiff_t>(y) * width + r.x1, r.x2 - r.x1, Z);
      }
    }
  }
  return D3D_OK;
}

HRESULT TSoftDevice::Present(const RECT* pSourceRect, const RECT*, HWND hDestWindowOverride, const void*) {
  const HRESULT level = TestCooperativeLevel();
  if (FAILED(level)) return level;
  if (m_inScene) return D3DERR_INVALIDCALL;
  HWND window = hDestWindowOverride != nullptr ? hDestWindowOverride
                : m_params.hDeviceWindow != nullptr ? m_params.hDeviceWindow
                                                    : m_focusWindow;
  IPresentTarget* target = FindPresentTarget(window);
  if (target == nullptr) return D3D_OK;  // a window nobody shows
  TSoftSurface& buffer = *m_backBuffers[0];
  RECT r{0, 0, static_cast<LONG>(m_params.BackBufferWidth), static_cast<LONG>(m_params.BackBufferHeight)};
  if (pSourceRect != nullptr) {
    r.left = std::max(r.left, pSourceRect->left);
    r.top = std::max(r.top, pSourceRect->top);
    r.right = std::min(r.right, pSourceRect->right);
    r.bottom = std::min(r.bottom, pSourceRect->bottom);
    if (r.left >= r.right || r.top >= r.bottom) return D3DERR_INVALIDCALL;
  }
  const auto* pixels = reinterpret_cast<const uint32_t*>(buffer.Bits()) +
                       static_cast<std::ptrdiff_t>(r.top) * (buffer.Pitch() / 4) + r.left;
  target->PresentFrame(pixels, r.right - r.left, r.bottom - r.top, buffer.Pitch());
  return D3D_OK;
}

HRESULT TSoftDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  const int i = TransformIndex(State);
  if (i < 0 || pMatrix == nullptr) return D3DERR_INVALIDCALL;
  m_transforms[i] = *pMatrix;
  return D3D_OK;
}

HRESULT TSoftDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  const int i = TransformIndex(State);
  if (i < 0 || pMatrix == nullptr) return D3DERR_INVALIDCALL;
  *pMatrix = m_transforms[i];
  return D3D_OK;
}

HRESULT TSoftDevice::SetViewport(const D3DVIEWPORT9* pViewport) {
  if (pViewport == nullptr) return D3DERR_INVALIDCALL;
  const D3DVIEWPORT9& v = *pViewport;
  if (v.Width == 0 || v.Height == 0 || uint64_t{v.X} + v.Width > m_params.BackBufferWidth ||
      uint64_t{v.Y} + v.Height > m_params.BackBufferHeight || !(v.MinZ >= 0.0f && v.MaxZ <= 1.0f) ||
      !(v.MinZ <= v.MaxZ)) {
    return D3DERR_INVALIDCALL;
  }
  m_viewport = v;
  return D3D_OK;
}

HRESULT TSoftDevice::GetViewport(D3DVIEWPORT9* pViewport) {
  if (pViewport == nullptr) return D3DERR_INVALIDCALL;
  *pViewport = m_viewport;
  return D3D_OK;
}

HRESULT TSoftDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  if (State >= kD3DRenderStateCount) return D3DERR_INVALIDCALL;
  m_renderStates[State] = Value;
  return D3D_OK;
}

HRESULT TSoftDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  if (State >= kD3DRenderStateCount || pValue == nullptr) return D3DERR_INVALIDCALL;
  *pValue = m_renderStates[State];
  return D3D_OK;
}

HRESULT TSoftDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  if (Stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
  // Every texture of this device is one of ours.
  auto* texture = static_cast<TSoftTexture*>(static_cast<IDirect3DTexture9*>(pTexture));
  if (texture != nullptr) {
    IDirect3DDevice9* owner = nullptr;
    texture->GetDevice(&owner);
    owner->Release();
    if (owner != this) return D3DERR_INVALIDCALL;
    texture->Bind();
  }
  if (m_textures[Stage] != nullptr) m_textures[Stage]->Unbind();
  m_textures[Stage] = texture;
  return D3D_OK;
}

HRESULT TSoftDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
  if (Stage >= kMaxTextureStages || ppTexture == nullptr) return D3DERR_INVALIDCALL;
  *ppTexture = m_textures[Stage];
  if (m_textures[Stage] != nullptr) m_textures[Stage]->AddRef();
  return D3D_OK;
}

HRESULT TSoftDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (Stage >= kMaxTextureStages || Type >= kD3DTextureStageStateCount) return D3DERR_INVALIDCALL;
  m_stageStates[Stage][Type] = Value;
  return D3D_OK;
}

HRESULT TSoftDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
  if (Stage >= kMaxTextureStages || Type >= kD3DTextureStageStateCount || pValue == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  *pValue = m_stageStates[Stage][Type];
  return D3D_OK;
}

HRESULT TSoftDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  if (Sampler >= kMaxTextureStages || Type >= kD3DSamplerStateCount) return D3DERR_INVALIDCALL;
  m_samplerStates[Sampler][Type] = Value;
  return D3D_OK;
}

HRESULT TSoftDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  if (Sampler >= kMaxTextureStages || Type >= kD3DSamplerStateCount || pValue == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  *pValue = m_samplerStates[Sampler][Type];
  return D3D_OK;
}

HRESULT TSoftDevice::SetFVF(DWORD FVF) {
  m_fvf = FVF;
  return D3D_OK;
}

HRESULT TSoftDevice::GetFVF(DWORD* pFVF) {
  if (pFVF == nullptr) return D3DERR_INVALIDCALL;
  *pFVF = m_fvf;
  return D3D_OK;
}

TRasterState TSoftDevice::GatherRasterState() {
  TRasterState s;
  const DWORD* rs = m_renderStates;
  s.ClipLeft = static_cast<int>(m_viewport.X);
  s.ClipTop = static_cast<int>(m_viewport.Y);
  s.ClipRight = static_cast<int>(m_viewport.X + m_viewport.Width);
  s.ClipBottom = static_cast<int>(m_viewport.Y + m_viewport.Height);
  s.CullMode = rs[D3DRS_CULLMODE];
  s.ShadeMode = rs[D3DRS_SHADEMODE];
  s.ZEnable = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
  s.ZWriteEnable = rs[D3DRS_ZWRITEENABLE] != 0;
  s.ZFunc = rs[D3DRS_ZFUNC];
  s.AlphaTestEnable = rs[D3DRS_ALPHATESTENABLE] != 0;
  s.AlphaFunc = rs[D3DRS_ALPHAFUNC];
  s.AlphaRef = rs[D3DRS_ALPHAREF];
  s.AlphaBlendEnable = rs[D3DRS_ALPHABLENDENABLE] != 0;
  s.SrcBlend = rs[D3DRS_SRCBLEND];
  s.DestBlend = rs[D3DRS_DESTBLEND];
  s.BlendOp = rs[D3DRS_BLENDOP];
  s.TextureFactor = rs[D3DRS_TEXTUREFACTOR];
  const DWORD* st = m_stageStates[0];
  s.ColorOp = st[D3DTSS_COLOROP];
  s.ColorArg1 = st[D3DTSS_COLORARG1];
  s.ColorArg2 = st[D3DTSS_COLORARG2];
  s.AlphaOp = st[D3DTSS_ALPHAOP];
  s.AlphaArg1 = st[D3DTSS_ALPHAARG1];
  s.AlphaArg2 = st[D3DTSS_ALPHAARG2];
  const DWORD* sm = m_samplerStates[0];
  s.MagFilter = sm[D3DSAMP_MAGFILTER];
  s.MinFilter = sm[D3DSAMP_MINFILTER];
  s.AddressU = sm[D3DSAMP_ADDRESSU];
  s.AddressV = sm[D3DSAMP_ADDRESSV];
  s.Texture = m_textures[0] != nullptr ? &m_textures[0]->SamplingImage() : nullptr;
  return s;
}

HRESULT TSoftDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                     const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  if (!m_inScene || pVertexStreamZeroData == nullptr) return D3DERR_INVALIDCALL;
  const TVertexLayout layout = LayoutOf(m_fvf);
  if (!layout.valid || VertexStreamZeroStride < layout.size) return D3DERR_INVALIDCALL;
  if (PrimitiveType != D3DPT_TRIANGLELIST && PrimitiveType != D3DPT_TRIANGLESTRIP &&
      PrimitiveType != D3DPT_TRIANGLEFAN) {
    return D3DERR_INVALIDCALL;  // points and lines are not drawn by this device
  }
  if (PrimitiveCount == 0) return D3D_OK;
  if (m_renderStates[D3DRS_FILLMODE] != D3DFILL_SOLID) return D3D_OK;  // only solid fill is drawn

  TSoftSurface& buffer = *m_backBuffers[0];
  TRasterTarget target;
  target.Pixels = reinterpret_cast<uint32_t*>(buffer.Bits());
  target.PitchPixels = buffer.Pitch() / 4;
  target.Width = static_cast<int>(m_params.BackBufferWidth);
  target.Height = static_cast<int>(m_params.BackBufferHeight);
  target.Depth = m_depth.empty() ? nullptr : m_depth.data();
  m_rasterizer.Prepare(GatherRasterState(), target);

  const auto* base = static_cast<const uint8_t*>(pVertexStreamZeroData);
  const auto vertex = [&](UINT i) { return ReadVertex(base + static_cast<size_t>(i) * VertexStreamZeroStride, layout); };
  if (PrimitiveType == D3DPT_TRIANGLESTRIP && PrimitiveCount == 2) {
    m_rasterizer.DrawStripQuad(vertex(0), vertex(1), vertex(2), vertex(3));
    return D3D_OK;
  }
  for (UINT p = 0; p < PrimitiveCount; ++p) {
    switch (PrimitiveType) {
      case D3DPT_TRIANGLELIST:
        m_rasterizer.DrawTriangle(vertex(3 * p), vertex(3 * p + 1), vertex(3 * p + 2));
        break;
      case D3DPT_TRIANGLESTRIP:
        // Odd triangles are taken in swapped order so that all keep one
        // winding; flat shading still takes strip vertex p.
        if ((p & 1) == 0) {
          m_rasterizer.DrawTriangle(vertex(p), vertex(p + 1), vertex(p + 2));
        } else {
          const TRasterVertex first = vertex(p);
          m_rasterizer.DrawTriangle(vertex(p + 1), first, vertex(p + 2), first.Diffuse);
        }
        break;
      default: {
        // Fan triangle p: flat shading takes fan vertex p + 1.
        const TRasterVertex second = vertex(p + 1);
        m_rasterizer.DrawTriangle(vertex(0), second, vertex(p + 2), second.Diffuse);
        break;
      }
    }
  }
  return D3D_OK;
}
