// TNQTextWriter: draws one line of Shift-JIS text into a texture by copying
// cached glyph bitmaps (white, coverage in alpha) into the texture's pixels;
// the sprite's vertex colour gives the text its colour. Main thread only.
// The writer owns its glyph cache and the small bitmap whose canvas carries
// the font; it refers to the device wrapper and to the textures it draws
// into without owning them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/d3d9/d3d9_types.h"
#include "platform/gdi/graphics.h"
#include "scene/font_cache.h"

class TVextral;
class TVXTexture;

// The character code at pos of a Shift-JIS string, advancing pos past it:
// bytes up to $80, $A0-$DF and a string's last byte stand alone; any other
// byte is a lead byte whose code is byte x 256 + the next byte.
uint32_t ReadSjisCode(const std::string& text, size_t& pos);

// Clips the span [Pos, Pos + Size) to [0, Limit). False when it lies wholly
// outside; otherwise Pos and Size describe the visible part and Skip how
// many leading units were cut off.
bool ClipSpan(int32_t& Pos, int32_t& Size, int32_t Limit, int32_t& Skip);

class TNQTextWriter {
 public:
  // Format: the glyph pixel format, which must be the format of every
  // texture drawn into; CacheSize: glyphs per bucket.
  TNQTextWriter(TVextral* Carad, D3DFORMAT Format, int32_t CacheSize);
  ~TNQTextWriter();
  TNQTextWriter(const TNQTextWriter&) = delete;
  TNQTextWriter& operator=(const TNQTextWriter&) = delete;

  // The font glyph rendering and measuring use; the caller changes it directly.
  TFont& GetFont() { return m_bitmap->Canvas().Font(); }
  // Writes the glyphs of Text into Texture with the pen's top-left at (X, Y).
  // One line: Y never advances. Glyph pixels replace the texture's.
  void DrawText(int32_t X, int32_t Y, const std::string& Text, TVXTexture* Texture);
  // Width in pixels of Text in the current font, as the platform measures it.
  int32_t TextWidth(const std::string& Text);
  // Pixels from the pen's start to the right end of what DrawText draws for
  // Text: the pen after its last advance or the last ink, whichever is
  // farther right.
  int32_t DrawnWidth(const std::string& Text);

  D3DFORMAT Format() const { return m_format; }
  TNQFontCache& Cache() { return *m_cache; }
  // The device context carrying the current font.
  HDC FontDC() { return m_bitmap->Canvas().Handle(); }

 private:
  TVextral* m_carad;  // not owned; kept for the owner's sake
  D3DFORMAT m_format;
  std::unique_ptr<TNQFontCache> m_cache;
  std::unique_ptr<TBitmap> m_bitmap;  // declared last: freed before the cache
};
