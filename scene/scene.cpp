#include "scene/scene.h"

#include <cmath>

#include "gfx/debug_log.h"
#include "gfx/texture.h"

namespace {

constexpr float kDefaultFovY = 1.5707964f;  // pi / 2 as a single
constexpr float kDefaultNear = 0.01f;
constexpr float kDefaultFar = 10000.0f;
constexpr size_t kQuadVertices = 4;

D3DMATRIX IdentityMatrix() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

}  // namespace

TNQScene::TNQScene(TVextral* Carad, const std::string& Name) : m_carad(Carad), m_name(Name) {
  m_opaqueQueue = std::make_unique<TNQRenderingQueue>(Carad, this);
  m_sortedQueue = std::make_unique<TNQRenderingQueue>(Carad, this);
  m_overlayQueue = std::make_unique<TNQRenderingQueue>(Carad, this);
  m_stateRestorer = std::make_unique<TNQStateRestorer>(Carad);
  m_resourceId = Carad->RegisterResource(
      this, m_name, nullptr, [this] { RestoreDeviceState(); }, nullptr, [this] { RestoreDeviceState(); });
  for (const TNQBlendMode& mode : kDefaultBlendModes) AddBlendMode(mode);
  m_sort = true;
  const int32_t width = Carad->OwnerWindow->ClientWidth();
  const int32_t height = Carad->OwnerWindow->ClientHeight();
  SetViewport(0, 0, width, height);
  SetProjection(kDefaultFovY, static_cast<float>(height) / static_cast<float>(width), kDefaultNear, kDefaultFar);
  ReadBlendOpSupported();
}

TNQScene::~TNQScene() {
  LogInDestructor([this] { m_carad->UnregisterResource(m_resourceId); });
  m_stateRestorer.reset();
  m_sortedQueue.reset();
  m_opaqueQueue.reset();
  m_overlayQueue.reset();
}

void TNQScene::Clear(uint32_t Flags, uint32_t Color, float Z, uint32_t Stencil) {
  if (m_carad->Device == nullptr) return;
  m_carad->Device->Clear(0, nullptr, Flags, Color, Z, Stencil);
}

void TNQScene::QueueQuad(TVector2 P, const TNQVertex* Vertices, TVXTexture* Texture, int32_t BlendMode,
                         uint8_t Filter, bool Overlay, float Z) {
  // An index outside the table would be read by the flush; such a quad is
  // dropped here instead.
  if (BlendMode < 0 || static_cast<size_t>(BlendMode) >= m_blendModes.size()) return;
  if (Overlay) {
    m_overlayQueue->AddQuad(Filter, BlendMode, P.X, P.Y, 0.0f, Texture, Vertices);
  } else if (m_blendModes[static_cast<size_t>(BlendMode)].Sorted) {
    m_sortedQueue->AddQuad(Filter, BlendMode, P.X, P.Y, Z, Texture, Vertices);
  } else {
    m_opaqueQueue->AddQuad(Filter, BlendMode, P.X, P.Y, Z, Texture, Vertices);
  }
}

void TNQScene::DrawQuad(TVector2 P, std::span<const TNQVertex> Vertices, TVXTexture* Texture, int32_t BlendMode,
                        uint8_t Filter, bool Overlay, float Z) {
  if (Vertices.size() < kQuadVertices) return;
  QueueQuad(P, Vertices.data(), Texture, BlendMode, Filter, Overlay, Z);
}

void TNQScene::DrawSprite(TVector2 P, uint32_t Color, TVXTexture* Texture, int32_t BlendMode, uint8_t Filter,
                          bool Overlay, float Z) {
  if (Texture == nullptr) return;
  const auto w = static_cast<float>(Texture->Width);
  const auto h = static_cast<float>(Texture->Height);
  const float maxU = Texture->MaxU;
  const float maxV = Texture->MaxV;
  const TNQVertex v[kQuadVertices] = {MakeVertex(0, 0, Color, 0, 0), MakeVertex(w, 0, Color, maxU, 0),
                                      MakeVertex(0, h, Color, 0, maxV), MakeVertex(w, h, Color, maxU, maxV)};
  QueueQuad(P, v, Texture, BlendMode, Filter, Overlay, Z);
}

void TNQScene::Render() {
  IDirect3DDevice9* device = m_carad->Device;
  if (device != nullptr) {
    const D3DMATRIX identity = IdentityMatrix();
    device->SetTransform(D3DTS_VIEW, &identity);
  }
  m_opaqueQueue->Flush(false);
  m_sortedQueue->Flush(m_sort);
  if (device != nullptr) {
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  }
  m_overlayQueue->Flush(false);
  if (device != nullptr) {
    device->SetRenderState(D3DRS_ZENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetTexture(0, nullptr);
  }
}

void TNQScene::SetViewport(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  m_viewport.X = static_cast<DWORD>(Left);
  m_viewport.Y = static_cast<DWORD>(Top);
  m_viewport.Width = static_cast<DWORD>(Right - Left);
  m_viewport.Height = static_cast<DWORD>(Bottom - Top);
  m_viewport.MinZ = 0.0f;
  m_viewport.MaxZ = 1.0f;
  if (m_carad->Device != nullptr) m_carad->Device->SetViewport(&m_viewport);
}

void TNQScene::SetProjection(float FovY, float Aspect, float Near, float Far) {
  const float cot = std::cos(FovY / 2) / std::sin(FovY / 2);
  D3DMATRIX m = IdentityMatrix();
  m._11 = Aspect * cot;
  m._22 = cot;
  m._33 = Far / (Far - Near);
  m._34 = 1.0f;
  m._43 = -Near * Far / (Far - Near);
  m._44 = 0.0f;
  m_projection = m;
  if (m_carad->Device != nullptr) m_carad->Device->SetTransform(D3DTS_PROJECTION, &m_projection);
  m_far = Far;
  m_near = Near;
  m_fovY = FovY;
  m_fovX = std::atan(1.0f / m._11);
  m_aspect = Aspect;
}

void TNQScene::AddBlendMode(const TNQBlendMode& Mode) { m_blendModes.push_back(Mode); }

void TNQScene::RestoreDeviceState() {
  if (m_carad->Device != nullptr) {
    m_carad->Device->SetViewport(&m_viewport);
    m_carad->Device->SetTransform(D3DTS_PROJECTION, &m_projection);
  }
  ReadBlendOpSupported();
}

void TNQScene::ReadBlendOpSupported() {
  D3DCAPS9 caps{};
  // Without a Direct3D object (or when the query fails) the capability
  // counts as missing: BLENDOP is then never written.
  if (m_carad->Direct3D == nullptr ||
      FAILED(m_carad->Direct3D->GetDeviceCaps(m_carad->Adapter, m_carad->DeviceType, &caps))) {
    m_blendOpSupported = false;
    return;
  }
  m_blendOpSupported = (caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP) != 0;
}
