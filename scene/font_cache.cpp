#include "scene/font_cache.h"

#include <algorithm>
#include <cstring>

#include "gfx/debug_log.h"
#include "gfx/pixel_format.h"
#include "scene/text_writer.h"

namespace {

constexpr uint32_t kCodeBucketMask = 0xFF;
constexpr DWORD kOpaque = 255;
constexpr DWORD kWhiteChannel = 255;

uint32_t RowStride(bool grey, uint32_t width) {
  return grey ? (width + 3) & ~3u : (((width + 7) >> 3) + 3) & ~3u;
}

// GDI's identity transformation: both diagonal elements 1.0.
MAT2 IdentityMat2() {
  MAT2 m{};
  m.eM11.value = 1;
  m.eM22.value = 1;
  return m;
}

}  // namespace

uint32_t GlyphBitmapBytes(bool grey, uint32_t width, uint32_t height) { return RowStride(grey, width) * height; }

void ConvertGlyphBitmap(const uint8_t* source, bool grey, uint32_t width, uint32_t height, uint32_t bpp,
                        DWORD format, uint8_t* dest, uint32_t pitch) {
  const uint32_t stride = RowStride(grey, width);
  // The two pixels a one-bit glyph can have, and the 65 a grey one can.
  DWORD greyPixels[65];
  if (grey) {
    for (uint32_t level = 0; level <= 64; ++level) {
      greyPixels[level] = EncodeARGB(GreyLevelAlpha(level), kWhiteChannel, kWhiteChannel, kWhiteChannel, format);
    }
  }
  const DWORD inked = EncodeARGB(kOpaque, kWhiteChannel, kWhiteChannel, kWhiteChannel, format);
  const DWORD clear = EncodeARGB(0, kWhiteChannel, kWhiteChannel, kWhiteChannel, format);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* src = source + static_cast<size_t>(y) * stride;
    uint8_t* out = dest + static_cast<size_t>(y) * pitch;
    for (uint32_t x = 0; x < width; ++x) {
      DWORD pixel;
      if (grey) {
        pixel = src[x] >= 64 ? greyPixels[64] : greyPixels[src[x]];
      } else {
        pixel = (src[x >> 3] >> (7 - (x & 7))) & 1u ? inked : clear;
      }
      for (uint32_t b = 0; b < bpp; ++b) out[x * bpp + b] = static_cast<uint8_t>(pixel >> (8 * b));
    }
  }
}

TNQFontCache::TNQFontCache(TNQTextWriter* Writer, int32_t Capacity) : m_writer(Writer) {
  SetCapacity(Capacity);
  Antialiased = true;
}

void TNQFontCache::SetCapacity(int32_t N) {
  m_capacity = std::max(N, 1);  // a bucket needs a slot for the glyph being drawn
  for (size_t b = 0; b < m_buckets.size(); ++b) {
    m_buckets[b].clear();
    m_buckets[b].resize(static_cast<size_t>(m_capacity));
    m_counts[b] = 0;
  }
}

void TNQFontCache::MoveToFront(int B, int I) {
  if (I <= 0) return;
  auto& bucket = m_buckets[static_cast<size_t>(B)];
  std::rotate(bucket.begin(), bucket.begin() + I, bucket.begin() + I + 1);
}

const TNQFontCacheData& TNQFontCache::Get(uint32_t Code, const TFont& Font) {
  const int b = static_cast<int>(Code & kCodeBucketMask);
  auto& bucket = m_buckets[static_cast<size_t>(b)];
  int32_t& count = m_counts[static_cast<size_t>(b)];
  const std::string& name = Font.Name();
  const int32_t height = Font.Height();
  const uint8_t style = Font.Style().Bits();
  for (int i = 0; i < count; ++i) {
    const TNQFontCacheData& e = bucket[static_cast<size_t>(i)];
    if (e.Code == Code && e.FontName == name && e.FontHeight == height && e.FontStyle == style) {
      MoveToFront(b, i);
      return bucket[0];
    }
  }
  if (count == m_capacity) {
    MoveToFront(b, m_capacity - 1);  // the least recently used entry is reused
  } else {
    MoveToFront(b, count);
    ++count;
  }
  TNQFontCacheData& entry = bucket[0];
  entry.Data.clear();
  entry.Code = Code;
  entry.FontName = name;
  entry.FontHeight = height;
  entry.FontStyle = style;
  Rasterise(entry);
  return entry;
}

void TNQFontCache::Rasterise(TNQFontCacheData& entry) {
  ++m_rasterised;
  HDC dc = m_writer->FontDC();
  const bool grey = Antialiased;
  const UINT format = grey ? GGO_GRAY8_BITMAP : GGO_BITMAP;
  const MAT2 identity = IdentityMat2();
  GLYPHMETRICS gm{};
  DWORD size = GetGlyphOutlineA(dc, entry.Code, format, &gm, 0, nullptr, &identity);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  if (size == GDI_ERROR) {
    // A code the platform cannot render at all: an empty glyph that does not
    // move the pen (its metrics are not to be trusted).
    gm = GLYPHMETRICS{};
    size = 0;
  }
  const uint32_t bpp = FormatBitCount(m_writer->Format()) / 8;
  entry.Width = gm.gmBlackBoxX;
  entry.Height = gm.gmBlackBoxY;
  entry.Pitch = (bpp * entry.Width + 3) & ~3u;
  entry.OriginX = gm.gmptGlyphOrigin.x;
  entry.TopOffset = tm.tmAscent - gm.gmptGlyphOrigin.y;
  entry.AdvanceX = gm.gmCellIncX;
  entry.AdvanceY = gm.gmCellIncY;
  if (size == 0) {
    entry.Data.clear();
    return;
  }
  // Never read past what the platform wrote: a short bitmap counts as none.
  if (size < GlyphBitmapBytes(grey, entry.Width, entry.Height)) {
    entry.Data.clear();
    return;
  }
  m_glyphBuffer.resize(size);
  if (GetGlyphOutlineA(dc, entry.Code, format, &gm, size, m_glyphBuffer.data(), &identity) == GDI_ERROR) {
    entry.Data.clear();
    return;
  }
  entry.Data.assign(static_cast<size_t>(entry.Pitch) * entry.Height, 0);
  ConvertGlyphBitmap(m_glyphBuffer.data(), grey, entry.Width, entry.Height, bpp, m_writer->Format(),
                     entry.Data.data(), entry.Pitch);
}
