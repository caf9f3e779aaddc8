#include "scene/rendering_queue.h"

#include <utility>

#include "gfx/texture.h"
#include "gfx/vextral.h"
#include "scene/scene.h"

namespace {

constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;
constexpr float kQuadRhw = 0.5f;  // pre-transformed vertices: any positive value serves
constexpr UINT kQuadTriangles = 2;

DWORD FilterFor(uint8_t filter) { return filter == 0 ? D3DTEXF_POINT : D3DTEXF_LINEAR; }

}  // namespace

TNQRenderingQueue::TNQRenderingQueue(TVextral* Carad, TNQScene* Scene)
    : m_carad(Carad),
      m_scene(Scene),
      m_items(kInitialCapacity),
      m_keys(kInitialCapacity),
      m_indices(kInitialCapacity) {}

void TNQRenderingQueue::AddQuad(uint8_t Filter, int32_t BlendMode, float X, float Y, float Z, TVXTexture* Texture,
                                const TNQVertex* Vertices) {
  if (m_count == m_capacity) {
    m_capacity *= 2;
    m_items.resize(static_cast<size_t>(m_capacity));
    m_keys.resize(static_cast<size_t>(m_capacity));
    m_indices.resize(static_cast<size_t>(m_capacity));
  }
  TNQQuadItem& item = m_items[static_cast<size_t>(m_count)];
  item.Filter = Filter;
  item.BlendMode = BlendMode;
  item.Texture = Texture;
  item.X = X;
  item.Y = Y;
  item.Z = Z;
  for (int v = 0; v < 4; ++v) item.Vertices[v] = Vertices[v];
  ++m_count;
}

void TNQRenderingQueue::SetCachedRenderState(uint32_t state, uint32_t value, uint32_t& cached) {
  if (cached == value) return;
  m_carad->Device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
  cached = value;
}

void TNQRenderingQueue::Flush(bool Sorted) {
  IDirect3DDevice9* device = m_carad->Device;
  if (device == nullptr) {
    // Nothing can be drawn without a device; the frame's quads are dropped
    // as a drawn frame's would be.
    m_count = 0;
    return;
  }
  device->SetTexture(0, nullptr);
  m_cache = TStateCache{};  // the current texture is none

  device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetRenderState(D3DRS_WRAP0, 0);
  m_cache.SpecularEnable = TRUE;
  m_cache.Lighting = TRUE;
  m_cache.FillMode = D3DFILL_SOLID;
  m_cache.Wrap0 = 0;
  // Mode 0 (opaque, no alpha test) is current from here on. The alpha test
  // is switched off with it, so that a cut-out quad of an earlier flush does
  // not leave later quads alpha-tested.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_ZENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  m_cache.BlendMode = kBlendOpaque;
  m_cache.FiltersSaved = false;

  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);

  if (Sorted) {
    int32_t n = 0;
    for (int32_t i = 0; i < m_count; ++i) {
      const float z = m_items[static_cast<size_t>(i)].Z;
      if (!(z >= 0.0f)) continue;  // negative (and NaN) depths are not drawn
      m_keys[static_cast<size_t>(n)] = z;
      m_indices[static_cast<size_t>(n)] = i;
      ++n;
    }
    SortItems(0, n - 1);
    for (int32_t k = 0; k < n; ++k) DrawItem(m_items[static_cast<size_t>(m_indices[static_cast<size_t>(k)])], k == 0);
  } else {
    for (int32_t i = 0; i < m_count; ++i) DrawItem(m_items[static_cast<size_t>(i)], i == 0);
  }

  if (m_cache.FiltersSaved) {
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, m_cache.SavedMagFilter);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, m_cache.SavedMinFilter);
  }
  m_count = 0;
}

void TNQRenderingQueue::ApplyBlendMode(int32_t index) {
  IDirect3DDevice9* device = m_carad->Device;
  const TNQBlendMode& m = m_scene->BlendModes()[static_cast<size_t>(index)];
  if (m.AlphaBlend) {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, m.SrcBlend);
    device->SetRenderState(D3DRS_DESTBLEND, m.DestBlend);
    if (m_scene->BlendOpSupported()) device->SetRenderState(D3DRS_BLENDOP, m.BlendOp);
  } else {
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  }
  if (m.AlphaTest) {
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, m.AlphaFunc);
  } else {
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  }
}

void TNQRenderingQueue::DrawItem(const TNQQuadItem& item, bool first) {
  IDirect3DDevice9* device = m_carad->Device;
  if (first) {
    DWORD mag = 0;
    DWORD min = 0;
    device->GetSamplerState(0, D3DSAMP_MAGFILTER, &mag);
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &min);
    m_cache.SavedMagFilter = mag;
    m_cache.SavedMinFilter = min;
    m_cache.FiltersSaved = true;
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, FilterFor(item.Filter));
    device->SetSamplerState(0, D3DSAMP_MINFILTER, FilterFor(item.Filter));
  } else if (item.Filter != m_cache.Filter) {
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, FilterFor(item.Filter));
    device->SetSamplerState(0, D3DSAMP_MINFILTER, FilterFor(item.Filter));
  }
  m_cache.Filter = item.Filter;

  if (item.BlendMode != m_cache.BlendMode) {
    ApplyBlendMode(item.BlendMode);
    m_cache.BlendMode = item.BlendMode;
  }

  if (item.Texture != m_cache.Texture) {
    device->SetTexture(0, item.Texture != nullptr ? item.Texture->Surface : nullptr);
    m_cache.Texture = item.Texture;
  }

  SetCachedRenderState(D3DRS_SPECULARENABLE, FALSE, m_cache.SpecularEnable);
  SetCachedRenderState(D3DRS_LIGHTING, FALSE, m_cache.Lighting);
  SetCachedRenderState(D3DRS_WRAP0, 0, m_cache.Wrap0);
  SetCachedRenderState(D3DRS_FILLMODE, D3DFILL_SOLID, m_cache.FillMode);

  if (!(item.Z >= 0.0f)) return;
  TNQDeviceVertex v[4];
  for (int i = 0; i < 4; ++i) {
    const TNQVertex& s = item.Vertices[i];
    v[i] = TNQDeviceVertex{item.X + s.X, item.Y + s.Y, item.Z, kQuadRhw, s.Color, 0u, s.U, s.V};
  }
  device->SetFVF(kQuadFvf);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, kQuadTriangles, v, sizeof(TNQDeviceVertex));
}

void TNQRenderingQueue::SortItems(int32_t Lo, int32_t Hi) {
  // Both halves recurse, and equal keys are swapped like any other pair:
  // the order of quads at one depth depends on exactly these steps.
  if (Lo >= Hi) return;
  const float pivot = m_keys[static_cast<size_t>((Lo + Hi) / 2)];
  int32_t i = Lo - 1;
  int32_t j = Hi + 1;
  for (;;) {
    do {
      ++i;
    } while (m_keys[static_cast<size_t>(i)] > pivot);
    do {
      --j;
    } while (m_keys[static_cast<size_t>(j)] < pivot);
    if (j <= i) break;
    std::swap(m_keys[static_cast<size_t>(i)], m_keys[static_cast<size_t>(j)]);
    std::swap(m_indices[static_cast<size_t>(i)], m_indices[static_cast<size_t>(j)]);
  }
  SortItems(Lo, i - 1);
  SortItems(j + 1, Hi);
}
