#include "gfx/texture.h"

#include <algorithm>
#include <stdexcept>

#include "gfx/bitmap_loader.h"
#include "gfx/debug_log.h"
#include "gfx/pixel_format.h"
#include "gfx/vha_archive.h"
#include "platform/kernel/paths.h"

namespace {

constexpr int32_t kNoDirect3DCode = 1;
constexpr double kBytesPerMegabyte = 1048576.0;
constexpr uint32_t kRgbMask = 0x00FFFFFFu;
constexpr uint32_t kAlphaMask = 0xFF000000u;

// The smallest power of two not below v (0 gives 1); v <= 2^31.
UINT RoundUpToPowerOfTwo(UINT v) {
  UINT p = 1;
  while (p < v) p <<= 1;
  return p;
}

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

TVXTexture::TVXTexture(TVextral* carad, std::vector<D3DFORMAT> formats, DWORD usage, D3DPOOL pool, UINT levels,
                       const std::string& name)
    : Name(name), Carad(carad), Formats(std::move(formats)), Usage(usage), Pool(pool), Levels(levels),
      Managed(pool != D3DPOOL_DEFAULT) {
  Id = Carad->RegisterResource(
      this, Name, [this] { ReleaseSurface(); }, [this] { Rebuild(); }, [this] { DeviceLost(); },
      [this] { DeviceReset(); });
}

TVXTexture::~TVXTexture() {
  LogInDestructor([] { DetailLog(Sjis("テクスチャオブジェクトを解放します")); });
  if (Surface != nullptr) {
    const auto left = static_cast<int32_t>(Surface->Release());
    Surface = nullptr;
    LogInDestructor([left] { CheckResult(left, Sjis("テクスチャの解放に失敗しました")); });
  }
  SavedContents.reset();
  LogInDestructor([this] { Carad->UnregisterResource(Id); });
  Formats.clear();
}

void TVXTexture::SetSize(UINT W, UINT H) {
  Width = W;
  Height = H;
  D3DCAPS9 caps{};
  if (Carad->Direct3D != nullptr) Carad->Direct3D->GetDeviceCaps(Carad->Adapter, Carad->DeviceType, &caps);
  const bool tooLarge = W > caps.MaxTextureWidth || H > caps.MaxTextureHeight;
  if (tooLarge) {
    DetailLog(FormatText(Sjis("要求されたテクスチャのサイズは大きすぎます。%d x %d 以内にして下さい").c_str(),
                         static_cast<int>(caps.MaxTextureWidth), static_cast<int>(caps.MaxTextureHeight)));
  }
  UINT aw = W, ah = H;
  // A size beyond the maximum is not rounded (it may not fit 32 bits once
  // rounded); its creation fails below and is reported there.
  if (!tooLarge) {
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) aw = ah = std::max(aw, ah);
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
      aw = RoundUpToPowerOfTwo(aw);
      ah = RoundUpToPowerOfTwo(ah);
    }
  }
  AllocWidth = aw;
  AllocHeight = ah;
  MaxU = aw != 0 ? static_cast<float>(static_cast<double>(W) / aw) : 0.0f;
  MaxV = ah != 0 ? static_cast<float>(static_cast<double>(H) / ah) : 0.0f;
  CreateSurface(aw, ah);
  if (Pool != D3DPOOL_DEFAULT) {
    Fill(RECT{0, 0, static_cast<LONG>(AllocWidth), static_cast<LONG>(AllocHeight)}, FillColor, false);
  }
  if (!Rebuilding) {
    SavedContents.reset();
    Source = TVXTextureSource::Contents;
  }
}

void TVXTexture::CreateSurface(UINT AW, UINT AH) {
  if (Surface != nullptr) {
    DetailLog(Sjis("テクスチャの再生成に伴い、以前のテクスチャを解放します"));
    const auto left = static_cast<int32_t>(Surface->Release());
    Surface = nullptr;
    CheckResult(left, Sjis("テクスチャの解放に失敗しました"));
  }
  Format = ChooseFormat();
  DetailLog(FormatText(Sjis("使用されるフォーマットは %s です").c_str(), FormatName(Format).c_str()));
  // Without a device (its creation failed unreported) the creation fails
  // like one on an invalid device.
  const HRESULT hr = Carad->Device != nullptr
                         ? Carad->Device->CreateTexture(AW, AH, Levels, Usage, Format, Pool, &Surface, nullptr)
                         : D3DERR_INVALIDDEVICE;
  if (FAILED(hr)) Surface = nullptr;
  CheckResult(hr, Sjis("テクスチャの生成に失敗しました"));
  if (Carad->Device != nullptr) {
    // Printed with two decimals, as the class library's %f does.
    DetailLog(FormatText(Sjis("残りテクスチャ容量は、約%.2fメガです").c_str(),
                         Carad->Device->GetAvailableTextureMem() / kBytesPerMegabyte));
  }
  BytesPerPixel = FormatBitCount(Format) / 8;
}

D3DFORMAT TVXTexture::ChooseFormat() {
  D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
  if (IDirect3DSurface9* bb = Carad->GetBackBuffer(0)) {
    D3DSURFACE_DESC desc{};
    bb->GetDesc(&desc);
    backBufferFormat = desc.Format;
  }
  if (Carad->Direct3D != nullptr) {
    for (D3DFORMAT f : Formats) {
      if (Carad->Direct3D->CheckDeviceFormat(Carad->Adapter, Carad->DeviceType, backBufferFormat, Usage,
                                             D3DRTYPE_TEXTURE, f) == D3D_OK) {
        return f;
      }
    }
  }
  return backBufferFormat;
}

void TVXTexture::LoadBitmapFrom(TStream& S) {
  const int64_t start = S.Position();
  S.Seek(kBitmapFileHeaderSize, TSeekOrigin::Current);
  uint8_t info[kBitmapInfoHeaderSize];
  S.ReadBuffer(info, sizeof info);
  // The signed fields taken as unsigned: a top-down bitmap's negative height
  // becomes a size beyond every device's maximum, which SetSize logs as too
  // large before its creation fails; the load then finds no surface.
  const uint32_t w = U32(info + 4), h = U32(info + 8);
  SetSize(w, h);
  S.SetPosition(start);
  if (Surface == nullptr) throw std::runtime_error("no surface to load into");
  LoadBMP(Surface, S);
}

void TVXTexture::LoadFromFile(const std::string& fileName, const std::string& archiveName) {
  if (archiveName.empty()) {
    DetailLog(FormatText(Sjis("ID %d(%s) のテクスチャに、%s を読み込みます").c_str(), Id, Name.c_str(),
                         fileName.c_str()));
    try {
      TFileStream file(TranslatePath(fileName), TFileStream::TMode::OpenRead);
      LoadBitmapFrom(file);
    } catch (const std::runtime_error&) {
      CheckResult(kNoDirect3DCode, fileName + Sjis("からの、読み込みエラー"));
    }
    Source = TVXTextureSource::File;
    FileName = fileName;
    return;
  }
  DetailLog(FormatText(Sjis("ID %d(%s) のテクスチャに、VHAファイル%s から ID %s を読み込みます").c_str(), Id,
                       Name.c_str(), archiveName.c_str(), fileName.c_str()));
  try {
    std::unique_ptr<TMemoryStream> entry = LoadFromVHAFile(TranslatePath(archiveName), fileName);
    LoadBitmapFrom(*entry);
  } catch (const std::runtime_error&) {
    CheckResult(kNoDirect3DCode, fileName + Sjis(" ＠ ") + archiveName + Sjis("からの、読み込みエラー"));
  }
  Source = TVXTextureSource::Archive;
  ArchiveName = archiveName;
  EntryID = fileName;
}

void TVXTexture::LoadFromStream(TStream& S) {
  DetailLog(FormatText(Sjis("ID %d のテクスチャに、ストリームから読み込みます").c_str(), Id));
  try {
    LoadBitmapFrom(S);
    Source = TVXTextureSource::Contents;
  } catch (const std::runtime_error&) {
    CheckResult(kNoDirect3DCode, Sjis("ストリームからの、読み込みエラー"));
  }
}

void TVXTexture::SaveToStream(TStream& S) {
  const uint32_t imageBytes = Width * Height * 4;
  std::vector<uint8_t> head;
  PutU16(head, kBitmapSignature);
  PutU32(head, imageBytes + kBitmapFileHeaderSize + kBitmapInfoHeaderSize);
  PutU16(head, 0);
  PutU16(head, 0);
  PutU32(head, kBitmapFileHeaderSize + kBitmapInfoHeaderSize);
  PutU32(head, kBitmapInfoHeaderSize);
  PutU32(head, Width);
  PutU32(head, Height);
  PutU16(head, 1);
  PutU16(head, 32);
  PutU32(head, 0);
  PutU32(head, imageBytes);
  for (int i = 0; i < 4; ++i) PutU32(head, 0);
  S.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
  if (Width == 0 || Height == 0) return;
  const D3DLOCKED_RECT lr =
      LockRect(0, RECT{0, 0, static_cast<LONG>(Width), static_cast<LONG>(Height)}, D3DLOCK_READONLY);
  if (lr.pBits == nullptr) return;
  std::vector<uint8_t> row(static_cast<size_t>(Width) * 4);
  for (UINT y = Height; y-- > 0;) {
    const auto* src = static_cast<const uint8_t*>(lr.pBits) + static_cast<std::ptrdiff_t>(y) * lr.Pitch;
    for (UINT x = 0; x < Width; ++x) {
      const DWORD argb = DecodePixel(ReadPixel(src + static_cast<size_t>(x) * BytesPerPixel), Format);
      for (int b = 0; b < 4; ++b) row[static_cast<size_t>(x) * 4 + b] = static_cast<uint8_t>(argb >> (8 * b));
    }
    S.WriteBuffer(row.data(), static_cast<int64_t>(row.size()));
  }
  UnlockRect();
}

D3DLOCKED_RECT TVXTexture::LockRect(UINT Level, const RECT& Rect, DWORD Flags) {
  Locked = true;
  if ((Flags & D3DLOCK_READONLY) == 0 && Source != TVXTextureSource::None) Source = TVXTextureSource::Contents;
  if (Surface == nullptr) {
    CheckResult(kNoDirect3DCode,
                Sjis("テクスチャが確保されていません。LockRectの前にSetSizeするか、BMPを読み込んでください"));
    LockedBits = nullptr;
    return {0, nullptr};
  }
  LockedRect = Rect;
  D3DLOCKED_RECT lr{};
  const HRESULT hr = Surface->LockRect(Level, &lr, &Rect, Flags);
  if (FAILED(hr)) lr = {0, nullptr};
  LockedPitch = lr.Pitch;
  LockedBits = lr.pBits;
  CheckResult(hr, Sjis("LockRectに失敗しました"));
  return lr;
}

void TVXTexture::UnlockRect() {
  const HRESULT hr = Surface != nullptr ? Surface->UnlockRect(0) : D3DERR_INVALIDCALL;
  CheckResult(hr, Sjis("アンロックに失敗しました"));
  Locked = false;
}

DWORD TVXTexture::ReadPixel(const uint8_t* p) const {
  DWORD v = 0;
  for (UINT i = 0; i < BytesPerPixel && i < 4; ++i) v |= DWORD{p[i]} << (8 * i);
  return v;
}

void TVXTexture::WritePixel(uint8_t* p, DWORD value) const {
  for (UINT i = 0; i < BytesPerPixel && i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

void TVXTexture::Fill(const RECT& Rect, DWORD Color, bool KeepAlpha) {
  const D3DLOCKED_RECT lr = LockRect(0, Rect, 0);
  if (lr.pBits == nullptr) return;
  const auto width = static_cast<size_t>(Rect.right - Rect.left);
  const auto height = static_cast<size_t>(Rect.bottom - Rect.top);
  auto* bits = static_cast<uint8_t*>(lr.pBits);
  if (!KeepAlpha) {
    const DWORD pixel = EncodePixel(Color, Format);
    for (size_t x = 0; x < width; ++x) WritePixel(bits + x * BytesPerPixel, pixel);
    for (size_t y = 1; y < height; ++y) std::copy_n(bits, width * BytesPerPixel, bits + y * static_cast<size_t>(lr.Pitch));
  } else {
    for (size_t y = 0; y < height; ++y) {
      uint8_t* row = bits + y * static_cast<size_t>(lr.Pitch);
      for (size_t x = 0; x < width; ++x) {
        uint8_t* p = row + x * BytesPerPixel;
        WritePixel(p, EncodePixel((DecodePixel(ReadPixel(p), Format) & kAlphaMask) | (Color & kRgbMask), Format));
      }
    }
  }
  UnlockRect();
}

void TVXTexture::ForEachPixel(const RECT& Rect, TVXPixelCallback Callback, void* UserData) {
  const D3DLOCKED_RECT lr = LockRect(0, Rect, 0);
  if (lr.pBits == nullptr) return;
  for (LONG y = Rect.top; y < Rect.bottom; ++y) {
    uint8_t* row = static_cast<uint8_t*>(lr.pBits) + static_cast<std::ptrdiff_t>(y - Rect.top) * lr.Pitch;
    for (LONG x = Rect.left; x < Rect.right; ++x) {
      uint8_t* p = row + static_cast<size_t>(x - Rect.left) * BytesPerPixel;
      WritePixel(p, Callback(this, ReadPixel(p), x, y, UserData));
    }
  }
  UnlockRect();
}

void TVXTexture::SetColorKey(const RECT& Rect, DWORD Color) {
  // The key is compared in decoded form: the colour as this surface can hold
  // it, so that keys work for the 16-bit formats as for the 32-bit ones.
  DWORD key = DecodePixel(EncodePixel(Color, Format), Format) & kRgbMask;
  ForEachPixel(
      Rect,
      [](TVXTexture* t, DWORD pixel, int32_t, int32_t, void* data) -> DWORD {
        const DWORD rgb = DecodePixel(pixel, t->Format) & kRgbMask;
        const DWORD k = *static_cast<DWORD*>(data);
        return EncodePixel(rgb == k ? rgb : (rgb | kAlphaMask), t->Format);
      },
      &key);
}

void TVXTexture::ReleaseSurface() {
  if (Surface == nullptr) return;
  if (Source == TVXTextureSource::Contents && Managed) {
    auto saved = std::make_unique<TMemoryStream>();
    SaveToStream(*saved);
    saved->SetPosition(0);
    SavedContents = std::move(saved);
  }
  Surface->Release();
  Surface = nullptr;
}

void TVXTexture::Rebuild() {
  Rebuilding = true;
  if (Managed) {
    switch (Source) {
      case TVXTextureSource::File: LoadFromFile(FileName, ""); break;
      case TVXTextureSource::Archive: LoadFromFile(EntryID, ArchiveName); break;
      case TVXTextureSource::Contents:
        if (SavedContents) {
          std::unique_ptr<TMemoryStream> saved = std::move(SavedContents);
          LoadFromStream(*saved);
        } else {
          SetSize(Width, Height);
        }
        break;
      default: SetSize(Width, Height); break;
    }
  } else {
    SetSize(Width, Height);
  }
  Rebuilding = false;
}

void TVXTexture::DeviceLost() {
  if (Pool == D3DPOOL_DEFAULT) ReleaseSurface();
}

void TVXTexture::DeviceReset() {
  if (Pool == D3DPOOL_DEFAULT) SetSize(Width, Height);
}
