// Surfaces and textures of the software device: memory layout, locking,
// reference counts, and the decoding of stored pixels for sampling.
#include <algorithm>

#include "platform/d3d9/software_objects.h"

namespace {

// Widens an n-bit field to 0..255 the way the bitmap code does (v * 255 / max).
inline uint32_t Widen(uint32_t v, int bits) { return v * 255u / ((1u << bits) - 1u); }

inline uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return (a << 24) | (r << 16) | (g << 8) | b; }

}  // namespace

UINT SoftFormatBytes(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8:
      return 2;
    case D3DFMT_A8:
    case D3DFMT_L8:
    case D3DFMT_P8:
      return 1;
    default:
      return 0;
  }
}

uint32_t SoftDecodeTexel(const uint8_t* p, D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    case D3DFMT_X8R8G8B8:
      return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | 0xFF000000u;
    case D3DFMT_R5G6B5: {
      const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8);
      return Argb(255, Widen(v >> 11, 5), Widen((v >> 5) & 63, 6), Widen(v & 31, 5));
    }
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5: {
      const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8);
      const uint32_t a = format == D3DFMT_X1R5G5B5 ? 255 : ((v >> 15) ? 255 : 0);
      return Argb(a, Widen((v >> 10) & 31, 5), Widen((v >> 5) & 31, 5), Widen(v & 31, 5));
    }
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4: {
      const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8);
      const uint32_t a = format == D3DFMT_X4R4G4B4 ? 255 : Widen(v >> 12, 4);
      return Argb(a, Widen((v >> 8) & 15, 4), Widen((v >> 4) & 15, 4), Widen(v & 15, 4));
    }
    case D3DFMT_A8:
      return uint32_t(p[0]) << 24;
    case D3DFMT_L8:
    case D3DFMT_P8:
      return Argb(255, p[0], p[0], p[0]);
    case D3DFMT_A8L8:
      return Argb(p[1], p[0], p[0], p[0]);
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------
// TSoftSurface
// ---------------------------------------------------------------------------
TSoftSurface::TSoftSurface(TSoftDevice* device, TSoftTexture* container, const D3DSURFACE_DESC& desc, bool lockable)
    : m_device(device), m_container(container), m_desc(desc), m_lockable(lockable) {
  const UINT bytes = SoftFormatBytes(desc.Format);
  // Rows start on 4-byte boundaries, as Direct3D's pitch usually does.
  m_pitch = static_cast<int>((desc.Width * std::max<UINT>(bytes, 1) + 3u) & ~3u);
  m_bits.assign(static_cast<size_t>(m_pitch) * desc.Height, 0);
}

ULONG TSoftSurface::AddRef() {
  if (m_container != nullptr) return m_container->AddRef();
  if (m_refs++ == 0) m_device->AddRef();
  return m_refs;
}

ULONG TSoftSurface::Release() {
  if (m_container != nullptr) return m_container->Release();
  if (m_refs == 0) return 0;
  const ULONG left = --m_refs;
  if (left == 0) m_device->Release();  // may free the device and this surface: touch nothing after
  return left;
}

HRESULT TSoftSurface::GetDevice(IDirect3DDevice9** ppDevice) {
  if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
  m_device->AddRef();
  *ppDevice = m_device;
  return D3D_OK;
}

HRESULT TSoftSurface::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (pDesc == nullptr) return D3DERR_INVALIDCALL;
  *pDesc = m_desc;
  return D3D_OK;
}

HRESULT TSoftSurface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (pLockedRect == nullptr || !m_lockable || m_locked) return D3DERR_INVALIDCALL;
  RECT r{0, 0, static_cast<LONG>(m_desc.Width), static_cast<LONG>(m_desc.Height)};
  if (pRect != nullptr) {
    if (pRect->left < 0 || pRect->top < 0 || pRect->left >= pRect->right || pRect->top >= pRect->bottom ||
        pRect->right > r.right || pRect->bottom > r.bottom) {
      return D3DERR_INVALIDCALL;
    }
    r = *pRect;
  }
  const UINT bytes = SoftFormatBytes(m_desc.Format);
  pLockedRect->Pitch = m_pitch;
  pLockedRect->pBits = m_bits.data() + static_cast<size_t>(r.top) * m_pitch + static_cast<size_t>(r.left) * bytes;
  m_locked = true;
  if ((Flags & D3DLOCK_READONLY) == 0) m_decodedStale = true;
  return D3D_OK;
}

HRESULT TSoftSurface::UnlockRect() {
  if (!m_locked) return D3DERR_INVALIDCALL;
  m_locked = false;
  return D3D_OK;
}

const TRasterTexture& TSoftSurface::SamplingImage() {
  const auto w = static_cast<int>(m_desc.Width);
  const auto h = static_cast<int>(m_desc.Height);
  if (m_desc.Format == D3DFMT_A8R8G8B8) {
    // Sampled in place: no copy for the common format.
    m_image.Pixels = reinterpret_cast<const uint32_t*>(m_bits.data());
    m_image.PitchPixels = m_pitch / 4;
  } else {
    if (m_decodedStale) {
      m_decoded.resize(static_cast<size_t>(w) * h);
      const UINT bytes = SoftFormatBytes(m_desc.Format);
      for (int y = 0; y < h; ++y) {
        const uint8_t* row = m_bits.data() + static_cast<size_t>(y) * m_pitch;
        uint32_t* out = m_decoded.data() + static_cast<size_t>(y) * w;
        for (int x = 0; x < w; ++x) out[x] = SoftDecodeTexel(row + static_cast<size_t>(x) * bytes, m_desc.Format);
      }
    }
    m_image.Pixels = m_decoded.data();
    m_image.PitchPixels = w;
  }
  m_decodedStale = false;
  m_image.Width = w;
  m_image.Height = h;
  return m_image;
}

// ---------------------------------------------------------------------------
// TSoftTexture
// ---------------------------------------------------------------------------
TSoftTexture::TSoftTexture(TSoftDevice* device, UINT width, UINT height, UINT levels, DWORD usage,
                           D3DFORMAT format, D3DPOOL pool)
    : m_device(device) {
  // Default-pool textures are video memory: the CPU may lock them only when
  // they were created dynamic.
  const bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC) != 0;
  UINT w = width, h = height;
  for (UINT i = 0; i < levels; ++i) {
    D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0, w, h};
    m_levels.push_back(std::make_unique<TSoftSurface>(device, this, desc, lockable));
    m_bytes += m_levels.back()->ByteSize();
    w = std::max<UINT>(1, w / 2);
    h = std::max<UINT>(1, h / 2);
  }
  m_device->AddRef();
  m_device->TextureCreated(m_bytes);
}

TSoftTexture::~TSoftTexture() = default;

ULONG TSoftTexture::AddRef() { return ++m_refs; }

ULONG TSoftTexture::Release() {
  if (m_refs == 0) return 0;
  const ULONG left = --m_refs;
  if (left == 0) DestroyIfUnused();
  return left;
}

void TSoftTexture::Unbind() {
  if (m_binds > 0 && --m_binds == 0) DestroyIfUnused();
}

void TSoftTexture::DestroyIfUnused() {
  if (m_refs != 0 || m_binds != 0) return;
  TSoftDevice* device = m_device;
  device->TextureDestroyed(m_bytes);
  delete this;
  device->Release();
}

HRESULT TSoftTexture::GetDevice(IDirect3DDevice9** ppDevice) {
  if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
  m_device->AddRef();
  *ppDevice = m_device;
  return D3D_OK;
}

HRESULT TSoftTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (Level >= m_levels.size()) return D3DERR_INVALIDCALL;
  return m_levels[Level]->GetDesc(pDesc);
}

HRESULT TSoftTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  if (ppSurfaceLevel == nullptr || Level >= m_levels.size()) return D3DERR_INVALIDCALL;
  AddRef();
  *ppSurfaceLevel = m_levels[Level].get();
  return D3D_OK;
}

HRESULT TSoftTexture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (Level >= m_levels.size()) return D3DERR_INVALIDCALL;
  return m_levels[Level]->LockRect(pLockedRect, pRect, Flags);
}

HRESULT TSoftTexture::UnlockRect(UINT Level) {
  if (Level >= m_levels.size()) return D3DERR_INVALIDCALL;
  return m_levels[Level]->UnlockRect();
}
