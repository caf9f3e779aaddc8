// One logical font made real: the installed face chosen for its name and
// style, its pixel size, its text metrics, and the glyphs it renders
// (with per-glyph fallback, synthetic bold and italic, underline and
// strike-out). Main thread only: the faces it uses are shared.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gdi/face_cache.h"
#include "platform/gdi/font_matcher.h"
#include "platform/gdi/gdi.h"

namespace pluv::gdi {

// A rendered glyph: coverage 0..255 per pixel (0 or 255 when rendered in
// one bit), top row first, in a box placed relative to the pen on the
// baseline: Left pixels to the right, Top pixels above.
struct GlyphImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int advanceX = 0;
  int advanceY = 0;
  std::vector<std::uint8_t> coverage;  // width * height
};

class FontInstance {
 public:
  explicit FontInstance(const LOGFONTA& font);

  // False when no face could be found or opened: every call then fails.
  bool Valid() const { return m_face != nullptr; }
  const TEXTMETRICA& Metrics() const { return m_metrics; }
  int PixelsPerEm() const { return m_pixelsPerEm; }

  // Renders the character (Unicode); oneBit asks for a bilevel image.
  // transform is a 16.16 matrix in y-up glyph space, or null.
  bool Render(char32_t ch, bool oneBit, const FT_Matrix* transform, GlyphImage& out);
  // Only the pen advance of the character, as Render would give it.
  bool Advance(char32_t ch, int& advanceX);

 private:
  struct LoadedGlyph {
    FT_GlyphSlot slot = nullptr;
    FT_Vector advance{};  // 26.6 pixels
  };
  bool Load(char32_t ch, const FT_Matrix* transform, LoadedGlyph& out);
  bool RenderUncached(char32_t ch, bool oneBit, const FT_Matrix* transform, GlyphImage& out);
  void ComputeMetrics(const LOGFONTA& font);
  void AddLines(GlyphImage& image) const;

  // The writer asks for a glyph's size and then for its bitmap: the second
  // call reuses the first one's image.
  struct LastRender {
    bool valid = false;
    char32_t ch = 0;
    bool oneBit = false;
    bool transformed = false;
    FT_Matrix transform{};
    GlyphImage image;
  };

  LastRender m_last;
  LOGFONTA m_font{};
  ResolvedFace m_resolved;
  FT_Face m_face = nullptr;
  int m_pixelsPerEm = 0;
  bool m_bold = false;
  bool m_italic = false;
  FT_Pos m_emboldenStrength = 0;  // 26.6 pixels added to every glyph's width
  TEXTMETRICA m_metrics{};
};

}  // namespace pluv::gdi
