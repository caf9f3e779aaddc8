// The Windows bitmap layout (little-endian): a 14-byte file header (signature
// "BM", file size, two reserved words, offset of the pixel data), a 40-byte
// information header (size, width, height, planes, bits per pixel,
// compression, ...), for 8-bit images a palette of 256 entries (blue, green,
// red, reserved), then rows bottom-up, each padded to a multiple of 4 bytes.
#include "gfx/bitmap_loader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/debug_log.h"
#include "gfx/pixel_format.h"

namespace {

constexpr int32_t kNoDirect3DCode = 1;
constexpr DWORD kP8 = 41;

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void PutPixel(uint8_t* p, DWORD value, UINT bytes) {
  for (UINT i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Raised inside the decoder for a row that cannot be read; the decoder's
// caller turns it into the read-error line.
struct TRowReadFailure {};

// Decodes into the locked level; returns normally on every outcome.
void Decode(TStream& S, uint8_t* bits, int pitch, DWORD format, UINT levelWidth, UINT levelHeight) {
  // The pixel-data offset counts from the bitmap's first byte, which need
  // not be the stream's (a bitmap inside a larger stream).
  const int64_t bitmapStart = S.Position();
  uint8_t fileHeader[kBitmapFileHeaderSize];
  try {
    S.ReadBuffer(fileHeader, sizeof fileHeader);
  } catch (const EStreamError&) {
    DebugLog(Sjis("ビットマップの読みこみ中に、エラーが発生しました"));
    return;
  }
  if (U16(fileHeader) != kBitmapSignature) {
    DebugLog(Sjis("不正なBMPファイルです"));
    return;
  }
  const uint32_t pixelOffset = U32(fileHeader + 10);
  const std::string& readError = Sjis("LoadBMP中に、読み込みエラーが発生しました");
  uint8_t info[kBitmapInfoHeaderSize];
  try {
    S.ReadBuffer(info, sizeof info);
  } catch (const EStreamError&) {
    DebugLog(readError);
    return;
  }
  // Width and height are signed in the file; a negative one read as
  // unsigned is larger than any surface and limited below like any other.
  const uint32_t width = U32(info + 4);
  const uint32_t heightField = U32(info + 8);
  const auto height = static_cast<int32_t>(heightField);
  const uint16_t bitCount = U16(info + 14);
  // Only whole bytes per pixel can be converted: 8, 16, 24 or 32 bits.
  if (bitCount < 8 || bitCount > 32 || bitCount % 8 != 0) {
    CheckResult(kNoDirect3DCode, Sjis("色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください"));
    return;
  }
  const UINT srcBpp = bitCount / 8;
  const UINT dstBpp = FormatBitCount(format) / 8;
  uint8_t palette[kBitmapPaletteSize] = {};
  try {
    if (format == kP8) {
      if (srcBpp >= 2) {
        CheckResult(kNoDirect3DCode,
                    Sjis("8ビットパレット付きテクスチャに対して16ビット以上のBMPをロードする事は出来ません"));
        return;
      }
      S.ReadBuffer(palette, sizeof palette);  // read and ignored: rows are copied as indices
    } else if (srcBpp == 1) {
      S.ReadBuffer(palette, sizeof palette);
    }
    S.SetPosition(bitmapStart + pixelOffset);

    const uint64_t fileRow = (uint64_t{width} * srcBpp + 3) & ~uint64_t{3};
    const uint32_t rows = std::min<uint32_t>(levelHeight, heightField);
    const uint32_t pixels = std::min<uint32_t>(levelWidth, width);
    // Only the converted pixels are copied: the row's padding never
    // overwrites surface pixels right of the image.
    const uint64_t copyBytes = std::min<uint64_t>(static_cast<uint64_t>(pitch), uint64_t{pixels} * (format == kP8 ? 1 : dstBpp));
    // A row larger than what is left of the stream cannot be read: refuse
    // before allocating a buffer for it.
    if (rows > 0 && fileRow > static_cast<uint64_t>(S.Remaining())) throw TRowReadFailure{};
    if (height >= 0 && heightField > rows) {
      S.Seek(static_cast<int64_t>((heightField - rows) * fileRow), TSeekOrigin::Current);
    }
    std::vector<uint8_t> fileBuffer(static_cast<size_t>(rows > 0 ? fileRow : 0));
    std::vector<uint8_t> rowBuffer(static_cast<size_t>(copyBytes));
    for (uint32_t r = 0; r < rows; ++r) {
      uint8_t* dest = bits + static_cast<std::ptrdiff_t>(rows - 1 - r) * pitch;
      S.ReadBuffer(fileBuffer.data(), static_cast<int64_t>(fileRow));
      if (copyBytes == 0) continue;  // a zero-width image has nothing to copy
      if (format == kP8) {
        std::memcpy(dest, fileBuffer.data(), static_cast<size_t>(copyBytes));
        continue;
      }
      const uint8_t* src = fileBuffer.data();
      for (uint32_t x = 0; x < pixels && dstBpp > 0; ++x, src += srcBpp) {
        DWORD value = 0;
        switch (srcBpp) {
          case 1: {
            const uint8_t* e = palette + 4 * src[0];
            value = EncodeARGB(255, e[2], e[1], e[0], format);
            break;
          }
          case 2: {
            const uint16_t p = U16(src);
            value = EncodeARGB(255, ScaleComponent((p >> 10) & 31, 5), ScaleComponent((p >> 5) & 31, 5),
                               ScaleComponent(p & 31, 5), format);
            break;
          }
          case 3: value = EncodeARGB(255, src[2], src[1], src[0], format); break;
          default: value = EncodePixel(U32(src), format); break;
        }
        PutPixel(rowBuffer.data() + static_cast<size_t>(x) * dstBpp, value, dstBpp);
      }
      std::memcpy(dest, rowBuffer.data(), static_cast<size_t>(copyBytes));
    }
  } catch (const EStreamError&) {
    DebugLog(readError);
  } catch (const TRowReadFailure&) {
    DebugLog(readError);
  }
}

}  // namespace

void LoadBMP(IDirect3DTexture9* Texture, TStream& S) {
  D3DSURFACE_DESC desc{};
  Texture->GetLevelDesc(0, &desc);
  D3DLOCKED_RECT locked{};
  const HRESULT hr = Texture->LockRect(0, &locked, nullptr, 0);
  CheckResult(hr, Sjis("LoadBMP中にサーフェスがロックできませんでした"));
  if (FAILED(hr)) return;
  // Unlocked below whatever the decoder met; the log may raise only while
  // writing a line, so the unlock is guarded too.
  try {
    Decode(S, static_cast<uint8_t*>(locked.pBits), locked.Pitch, desc.Format, desc.Width, desc.Height);
  } catch (...) {
    Texture->UnlockRect(0);
    throw;
  }
  CheckResult(Texture->UnlockRect(0), Sjis("LoadBMP中にサーフェスがアンロックできませんでした"));
}
