// TVXTexture: a 2D Direct3D 9 texture managed by the device wrapper. It sizes
// a surface for any image the device accepts (powers of two or squares when
// the device demands them), loads bitmaps from files, archive entries and
// streams, gives the CPU its pixels through LockRect, and remembers where its
// contents came from so that it can restore them after the device is
// re-created. Main thread only. Owns its Direct3D texture (one reference) and
// its saved contents; registered with the wrapper from creation to
// destruction.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/stream.h"
#include "gfx/vextral.h"

enum class TVXTextureSource : uint8_t { None = 0, File = 1, Archive = 2, Contents = 3 };

class TVXTexture;
// Returns the new value of one pixel (in the surface's format).
using TVXPixelCallback = DWORD (*)(TVXTexture* Texture, DWORD Pixel, int32_t X, int32_t Y, void* UserData);

class TVXTexture : public TVXResource {
 public:
  TVXTexture(TVextral* Carad, std::vector<D3DFORMAT> Formats, DWORD Usage, D3DPOOL Pool, UINT Levels,
             const std::string& Name);
  ~TVXTexture() override;
  TVXTexture(const TVXTexture&) = delete;
  TVXTexture& operator=(const TVXTexture&) = delete;
  const char* ClassName() const override { return "TVXTexture"; }

  // An empty surface for an image of W x H pixels.
  void SetSize(UINT W, UINT H);
  void CreateSurface(UINT AW, UINT AH);
  D3DFORMAT ChooseFormat();
  // A bitmap file ("bmp\ball.bmp" style names work); with an archive name,
  // FileName is the entry ID inside that archive.
  void LoadFromFile(const std::string& FileName, const std::string& ArchiveName = "");
  // The bitmap that starts at the stream's position.
  void LoadFromStream(TStream& S);
  // The image as a 32-bit bitmap.
  void SaveToStream(TStream& S);
  // Pitch and first pixel of Rect on Level ({0, nullptr} when it fails).
  D3DLOCKED_RECT LockRect(UINT Level, const RECT& Rect, DWORD Flags);
  // Unlocks level 0.
  void UnlockRect();
  void Fill(const RECT& Rect, DWORD Color, bool KeepAlpha);
  void ForEachPixel(const RECT& Rect, TVXPixelCallback Callback, void* UserData);
  void SetColorKey(const RECT& Rect, DWORD Color);

  // The four registry hooks.
  void ReleaseSurface();
  void Rebuild();
  void DeviceLost();
  void DeviceReset();

  // Fields of the design.
  int32_t Id = -1;
  std::string Name;
  TVextral* Carad;  // not owned
  D3DFORMAT Format = D3DFMT_UNKNOWN;
  std::vector<D3DFORMAT> Formats;
  UINT Width = 0, Height = 0;
  UINT AllocWidth = 0, AllocHeight = 0;
  float MaxU = 0.0f, MaxV = 0.0f;
  IDirect3DTexture9* Surface = nullptr;  // one reference, owned
  DWORD Usage;
  D3DPOOL Pool;
  DWORD FillColor = 0;
  bool Locked = false;
  int32_t LockedPitch = 0;
  void* LockedBits = nullptr;
  RECT LockedRect{};
  UINT BytesPerPixel = 0;
  UINT Levels;
  bool Managed;
  TVXTextureSource Source = TVXTextureSource::None;
  std::string FileName;
  std::string ArchiveName, EntryID;
  std::unique_ptr<TMemoryStream> SavedContents;
  bool Rebuilding = false;

 private:
  // Reads the information header at the stream's position + 14, sizes the
  // surface for it, and decodes the bitmap from the stream's position.
  void LoadBitmapFrom(TStream& S);
  DWORD ReadPixel(const uint8_t* p) const;
  void WritePixel(uint8_t* p, DWORD value) const;
};
