#include "scene/text_writer.h"

#include <algorithm>
#include <cstring>

#include "gfx/debug_log.h"
#include "gfx/texture.h"

namespace {

constexpr int kFontBitmapSize = 4;  // the bitmap only carries the font
constexpr unsigned char kLastSingleByte = 0x80;
constexpr unsigned char kFirstHalfWidthKana = 0xA0;
constexpr unsigned char kLastHalfWidthKana = 0xDF;

}  // namespace

uint32_t ReadSjisCode(const std::string& text, size_t& pos) {
  const auto c = static_cast<unsigned char>(text[pos]);
  const bool single =
      c <= kLastSingleByte || (c >= kFirstHalfWidthKana && c <= kLastHalfWidthKana) || pos + 1 >= text.size();
  if (single) {
    pos += 1;
    return c;
  }
  const auto trail = static_cast<unsigned char>(text[pos + 1]);
  pos += 2;
  return static_cast<uint32_t>(c) * 256u + trail;
}

bool ClipSpan(int32_t& Pos, int32_t& Size, int32_t Limit, int32_t& Skip) {
  // 64-bit sums: a glyph box far off the texture must not wrap around.
  if (Pos >= Limit || int64_t{Pos} + Size <= 0) return false;
  if (Pos < 0) {
    Skip = -Pos;
    Size += Pos;
    Pos = 0;
  } else {
    Skip = 0;
  }
  if (int64_t{Pos} + Size > Limit) Size = Limit - Pos;
  return true;
}

TNQTextWriter::TNQTextWriter(TVextral* Carad, D3DFORMAT Format, int32_t CacheSize)
    : m_carad(Carad), m_format(Format) {
  static_cast<void>(m_carad);
  m_cache = std::make_unique<TNQFontCache>(this, CacheSize);
  m_bitmap = std::make_unique<TBitmap>();
  m_bitmap->SetSize(kFontBitmapSize, kFontBitmapSize);
  m_bitmap->Canvas().Font().SetColor(clWhite);
  m_bitmap->Canvas().Brush() = TBrush{clBlack, TBrushStyle::bsSolid};
}

TNQTextWriter::~TNQTextWriter() {
  m_bitmap.reset();
  m_cache.reset();
}

int32_t TNQTextWriter::TextWidth(const std::string& Text) { return m_bitmap->Canvas().TextWidth(Text); }

int32_t TNQTextWriter::DrawnWidth(const std::string& Text) {
  const TFont& font = GetFont();
  int64_t penX = 0;
  int64_t right = 0;
  size_t pos = 0;
  while (pos < Text.size()) {
    const TNQFontCacheData& entry = m_cache->Get(ReadSjisCode(Text, pos), font);
    if (!entry.Data.empty()) right = std::max<int64_t>(right, penX + entry.OriginX + entry.Width);
    penX += entry.AdvanceX;
  }
  return static_cast<int32_t>(std::max(right, penX));
}

void TNQTextWriter::DrawText(int32_t X, int32_t Y, const std::string& Text, TVXTexture* Texture) {
  if (Texture == nullptr) return;
  if (int64_t{X} >= int64_t{Texture->Width} || int64_t{Y} >= int64_t{Texture->Height}) return;
  // Glyph rows are copied without conversion: a texture of another pixel
  // size would be written past its rows, so it gets nothing.
  if (Texture->Surface != nullptr && Texture->Format != m_format) return;
  // The allocated surface is the clipping limit. Without a surface the
  // texture's own lock reports the missing surface.
  int32_t surfW = static_cast<int32_t>(Texture->AllocWidth);
  int32_t surfH = static_cast<int32_t>(Texture->AllocHeight);
  if (Texture->Surface != nullptr) {
    D3DSURFACE_DESC desc{};
    if (SUCCEEDED(Texture->Surface->GetLevelDesc(0, &desc))) {
      surfW = static_cast<int32_t>(desc.Width);
      surfH = static_cast<int32_t>(desc.Height);
    }
  }
  const uint32_t bpp = FormatBitCount(m_format) / 8;
  const TFont& font = GetFont();
  int32_t penX = X;
  const int32_t penY = Y;
  size_t pos = 0;
  while (pos < Text.size()) {
    const uint32_t code = ReadSjisCode(Text, pos);
    const TNQFontCacheData& entry = m_cache->Get(code, font);
    int32_t gx = penX + entry.OriginX;
    int32_t gy = penY + entry.TopOffset;
    auto gw = static_cast<int32_t>(entry.Width);
    auto gh = static_cast<int32_t>(entry.Height);
    int32_t skipX = 0;
    int32_t skipY = 0;
    if (!entry.Data.empty() && ClipSpan(gx, gw, surfW, skipX) && ClipSpan(gy, gh, surfH, skipY)) {
      const RECT box{gx, gy, gx + gw, gy + gh};
      const D3DLOCKED_RECT locked = Texture->LockRect(0, box, 0);
      if (locked.pBits != nullptr) {
        auto* dest = static_cast<uint8_t*>(locked.pBits);
        const size_t rowBytes = static_cast<size_t>(gw) * bpp;
        for (int32_t r = 0; r < gh; ++r) {
          const uint8_t* src = entry.Data.data() + static_cast<size_t>(skipY + r) * entry.Pitch +
                               static_cast<size_t>(skipX) * bpp;
          std::memcpy(dest + static_cast<ptrdiff_t>(r) * locked.Pitch, src, rowBytes);
        }
        Texture->UnlockRect();
      }
    }
    penX += entry.AdvanceX;
    if (int64_t{penX} >= int64_t{Texture->Width}) break;
  }
}
