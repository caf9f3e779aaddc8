// TNQFontCache: the text writer's glyph cache. 256 buckets (by the low byte
// of the character code), each a most-recently-used list of fixed length;
// a miss renders the glyph through the platform's glyph-outline service into
// pixels of the writer's format. Main thread only. The cache owns its entries
// and their pixels; it refers to its writer without owning it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/graphics.h"
#include "platform/wintypes/wintypes.h"

class TNQTextWriter;

// One cached glyph.
struct TNQFontCacheData {
  std::vector<uint8_t> Data;  // Height rows of Pitch bytes in the writer's format; empty without pixels
  uint32_t Code = 0;          // a single byte, or lead byte x 256 + trail byte
  std::string FontName;       // face name (CP932) of the font it was rendered with
  int32_t FontHeight = 0;     // that font's height as the platform reports it
  uint8_t FontStyle = 0;      // that font's style flags
  uint32_t Width = 0;         // black-box width in pixels
  uint32_t Height = 0;        // black-box height in pixels
  uint32_t Pitch = 0;         // bytes per row of Data: (bytes per pixel x Width + 3) and not 3
  int32_t OriginX = 0;        // black box's left from the pen, pixels
  int32_t TopOffset = 0;      // black box's top row below the pen's top (ascent - origin y), pixels
  int32_t AdvanceX = 0;       // pen advance, pixels
  int32_t AdvanceY = 0;       // stored, not used
};

// Alpha of a 65-level coverage value: level x 4, except that full coverage
// (64) is fully opaque.
constexpr uint32_t GreyLevelAlpha(uint32_t level) { return level >= 64 ? 255u : level * 4u; }

// Converts a glyph bitmap as GetGlyphOutlineA returns it (grey: one byte
// per pixel, levels 0..64, rows (width + 3) and not 3 bytes apart; one bit:
// rows ((width + 7) shr 3 + 3) and not 3 bytes apart) into white pixels of
// format whose alpha is the coverage, each written as its bpp low bytes,
// rows pitch bytes apart. source must hold every row of the glyph.
void ConvertGlyphBitmap(const uint8_t* source, bool grey, uint32_t width, uint32_t height, uint32_t bpp,
                        DWORD format, uint8_t* dest, uint32_t pitch);
// Bytes a glyph bitmap of that size needs in GetGlyphOutlineA's layout.
uint32_t GlyphBitmapBytes(bool grey, uint32_t width, uint32_t height);

class TNQFontCache {
 public:
  static constexpr int kBucketCount = 256;

  TNQFontCache(TNQTextWriter* Writer, int32_t Capacity);
  TNQFontCache(const TNQFontCache&) = delete;
  TNQFontCache& operator=(const TNQFontCache&) = delete;

  // Frees every entry, then gives each bucket N empty entries.
  void SetCapacity(int32_t N);
  // The entry for (Code, Font), rendered on a miss. The reference stays
  // valid until the next Get or SetCapacity (the entry may then move).
  const TNQFontCacheData& Get(uint32_t Code, const TFont& Font);

  bool Antialiased = true;  // glyphs with grey levels (else one bit per pixel)

  int32_t Capacity() const { return m_capacity; }
  int32_t Count(int bucket) const { return m_counts[static_cast<size_t>(bucket)]; }
  // Entry i of a bucket, most recently used first.
  const TNQFontCacheData& Entry(int bucket, int i) const {
    return m_buckets[static_cast<size_t>(bucket)][static_cast<size_t>(i)];
  }
  // Glyphs rendered since creation (misses).
  uint64_t RasteriseCount() const { return m_rasterised; }

 private:
  // Entry I of bucket B goes to slot 0; entries 0..I-1 move up by one.
  void MoveToFront(int B, int I);
  void Rasterise(TNQFontCacheData& entry);

  TNQTextWriter* m_writer;  // not owned
  int32_t m_capacity = 0;
  std::array<std::vector<TNQFontCacheData>, kBucketCount> m_buckets;
  std::array<int32_t, kBucketCount> m_counts{};
  std::vector<uint8_t> m_glyphBuffer;  // the platform's bitmap, reused between glyphs
  uint64_t m_rasterised = 0;
};
