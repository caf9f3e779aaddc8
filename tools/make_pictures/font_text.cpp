#include "tools/make_pictures/font_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace {

constexpr int kFixedPointShift = 6;  // FreeType's 26.6 fixed-point pixels

struct GlyphPlacement {
  FT_UInt index;
  int penX;
};

}  // namespace

struct FontFace::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  std::string file;

  // Pen positions of each glyph, with kerning and tracking.
  std::vector<GlyphPlacement> Layout(std::string_view utf8, int tracking, int* advance) const {
    std::vector<GlyphPlacement> glyphs;
    int pen = 0;
    FT_UInt previous = 0;
    for (char32_t c : DecodeUtf8(utf8)) {
      const FT_UInt index = FT_Get_Char_Index(face, c);
      if (index == 0) {
        throw EFontError(file + " has no glyph for U+" + std::to_string(static_cast<unsigned>(c)));
      }
      if (previous != 0 && FT_HAS_KERNING(face)) {
        FT_Vector kerning{};
        FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kerning);
        pen += static_cast<int>(kerning.x >> kFixedPointShift);
      }
      if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) throw EFontError(file + ": a glyph failed to load");
      glyphs.push_back(GlyphPlacement{index, pen});
      pen += static_cast<int>(face->glyph->advance.x >> kFixedPointShift) + tracking;
      previous = index;
    }
    if (!glyphs.empty()) pen -= tracking;
    *advance = pen;
    return glyphs;
  }
};

std::string FindFontFile(const std::string& pattern) {
  // A configuration of our own, destroyed after the lookup, rather than
  // fontconfig's process-wide one, which is never freed.
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) throw EFontError("fontconfig could not start");
  FcPattern* request = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
  if (request == nullptr) {
    FcConfigDestroy(config);
    throw EFontError("fontconfig cannot read the pattern \"" + pattern + "\"");
  }
  FcConfigSubstitute(config, request, FcMatchPattern);
  FcDefaultSubstitute(request);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, request, &result);
  FcPatternDestroy(request);
  std::string file;
  FcChar8* path = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    file = reinterpret_cast<const char*>(path);
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcConfigDestroy(config);
  if (file.empty()) throw EFontError("no installed font matches \"" + pattern + "\"");
  return file;
}

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      c = lead & 0x07;
    } else {
      throw EFontError("broken UTF-8 in picture text");
    }
    if (i + static_cast<size_t>(extra) >= utf8.size()) throw EFontError("UTF-8 picture text ends inside a character");
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) throw EFontError("broken UTF-8 in picture text");
      c = (c << 6) | (next & 0x3F);
    }
    out.push_back(c);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

FontFace::FontFace(const std::string& file, int pixelSize) : m_impl(std::make_unique<Impl>()) {
  m_impl->file = file;
  if (FT_Init_FreeType(&m_impl->library) != 0) throw EFontError("FreeType could not start");
  if (FT_New_Face(m_impl->library, file.c_str(), 0, &m_impl->face) != 0) {
    FT_Done_FreeType(m_impl->library);
    throw EFontError("FreeType cannot open " + file);
  }
  if (FT_Set_Pixel_Sizes(m_impl->face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
    FT_Done_Face(m_impl->face);
    FT_Done_FreeType(m_impl->library);
    throw EFontError(file + " has no size " + std::to_string(pixelSize));
  }
}

FontFace::~FontFace() {
  FT_Done_Face(m_impl->face);
  FT_Done_FreeType(m_impl->library);
}

TextExtent FontFace::Measure(std::string_view utf8) const {
  TextExtent extent;
  const std::vector<GlyphPlacement> glyphs = m_impl->Layout(utf8, m_tracking, &extent.width);
  for (const GlyphPlacement& g : glyphs) {
    FT_Load_Glyph(m_impl->face, g.index, FT_LOAD_DEFAULT);
    FT_Render_Glyph(m_impl->face->glyph, FT_RENDER_MODE_NORMAL);
    const FT_GlyphSlot slot = m_impl->face->glyph;
    extent.ascent = std::max(extent.ascent, slot->bitmap_top);
    extent.descent = std::max(extent.descent, static_cast<int>(slot->bitmap.rows) - slot->bitmap_top);
    extent.width = std::max(extent.width, g.penX + slot->bitmap_left + static_cast<int>(slot->bitmap.width));
  }
  return extent;
}

AlphaMask FontFace::Render(std::string_view utf8) const {
  const TextExtent extent = Measure(utf8);
  AlphaMask mask(std::max(extent.width, 1), std::max(extent.ascent + extent.descent, 1));
  int advance = 0;
  for (const GlyphPlacement& g : m_impl->Layout(utf8, m_tracking, &advance)) {
    FT_Load_Glyph(m_impl->face, g.index, FT_LOAD_DEFAULT);
    if (FT_Render_Glyph(m_impl->face->glyph, FT_RENDER_MODE_NORMAL) != 0) throw EFontError(m_impl->file + ": a glyph failed to render");
    const FT_Bitmap& bitmap = m_impl->face->glyph->bitmap;
    const int left = g.penX + m_impl->face->glyph->bitmap_left;
    const int top = extent.ascent - m_impl->face->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = left + static_cast<int>(col);
        const int y = top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= mask.Width() || y >= mask.Height()) continue;
        const float coverage = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + col] / 255.0F;
        float& v = mask.Ref(x, y);
        v = std::min(1.0F, v + coverage);
      }
    }
  }
  return mask;
}
