#include "platform/gdi/font_instance.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstring>

namespace pluv::gdi {
namespace {

constexpr LONG kDefaultHeight = -12;         // a height of 0 asks for the default size
constexpr long long kMaxPixelsPerEm = 2048;  // larger requests are clamped: a glyph stays a few MB at most
constexpr LONG kBoldWeight = 600;            // FW_SEMIBOLD and heavier render bold
constexpr FT_Fixed kObliqueShear = 0x0366A;  // about 12 degrees, FreeType's own oblique slant
constexpr int kEmboldenDivisor = 24;         // FreeType's emboldening widens by 1/24 em
constexpr int kOnePixel = 64;                // 26.6 fixed point
constexpr LONG kScreenDpi = 96;
constexpr BYTE kFirstChar = 0x20;
constexpr BYTE kLastChar = 0xFC;
constexpr BYTE kDefaultChar = 0x1F;
constexpr BYTE kBreakChar = 0x20;
constexpr BYTE kFamilyModern = 0x30;  // FF_MODERN: fixed-pitch faces
constexpr BYTE kFamilySwiss = 0x20;   // FF_SWISS: proportional sans-serif faces
constexpr int kPanoseProportion = 3;
constexpr int kPanoseMonospaced = 9;
constexpr std::uint8_t kFullCoverage = 255;

// a / b rounded half away from zero; b > 0.
long long RoundDiv(long long a, long long b) { return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b); }

// 26.6 to whole pixels, rounded.
int RoundPixels(FT_Pos v) { return static_cast<int>(RoundDiv(v, kOnePixel)); }

// Windows' win metrics decide ascent and descent; faces without them use
// the font-wide ascender and descender.
void VerticalExtent(FT_Face face, long long& ascent, long long& descent) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
    return;
  }
  ascent = face->ascender;
  descent = -face->descender;
  if (ascent + descent <= 0) {
    ascent = face->units_per_EM;
    descent = 0;
  }
}

bool IsFixedPitch(FT_Face face) {
  if (FT_IS_FIXED_WIDTH(face)) return true;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  return os2 && os2->version != 0xFFFF && os2->panose[kPanoseProportion] == kPanoseMonospaced;
}

}  // namespace

FontInstance::FontInstance(const LOGFONTA& font) : m_font(font) {
  m_bold = font.lfWeight >= kBoldWeight;
  m_italic = font.lfItalic != 0;
  const std::string name(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
  const std::optional<ResolvedFace> resolved = ResolveFace(name, m_bold, m_italic);
  if (!resolved) return;
  m_resolved = *resolved;
  m_face = OpenFace(m_resolved.source);
  if (!m_face || m_face->units_per_EM == 0) {
    m_face = nullptr;
    return;
  }
  ComputeMetrics(font);
}

void FontInstance::ComputeMetrics(const LOGFONTA& font) {
  const long long upem = m_face->units_per_EM;
  long long winAscent = 0;
  long long winDescent = 0;
  VerticalExtent(m_face, winAscent, winDescent);
  const long long cellUnits = winAscent + winDescent;

  const long long height = font.lfHeight == 0 ? kDefaultHeight : font.lfHeight;
  long long ascent = 0;
  long long descent = 0;
  if (height < 0) {
    // The character height: the em square in pixels.
    m_pixelsPerEm = static_cast<int>(std::clamp(-height, 1LL, kMaxPixelsPerEm));
    ascent = RoundDiv(winAscent * m_pixelsPerEm, upem);
    descent = RoundDiv(winDescent * m_pixelsPerEm, upem);
  } else {
    // The cell height: ascent plus descent, which the em square fits into.
    long long cell = std::min(height, kMaxPixelsPerEm * cellUnits / upem);
    m_pixelsPerEm = static_cast<int>(std::clamp(RoundDiv(cell * upem, cellUnits), 1LL, kMaxPixelsPerEm));
    cell = std::max(cell, 1LL);
    ascent = RoundDiv(winAscent * cell, cellUnits);
    descent = cell - ascent;
  }
  if (m_resolved.syntheticBold) {
    m_emboldenStrength = std::max<FT_Pos>(1, RoundDiv(m_pixelsPerEm, kEmboldenDivisor)) * kOnePixel;
  }

  TEXTMETRICA& tm = m_metrics;
  tm.tmAscent = static_cast<LONG>(ascent);
  tm.tmDescent = static_cast<LONG>(descent);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - m_pixelsPerEm);
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(m_face, FT_SFNT_HHEA));
  if (hhea) {
    const long long lineUnits = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
    tm.tmExternalLeading = static_cast<LONG>(std::max(0LL, RoundDiv((lineUnits - cellUnits) * m_pixelsPerEm, upem)));
  }
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(m_face, FT_SFNT_OS2));
  tm.tmAveCharWidth = os2 && os2->version != 0xFFFF ? static_cast<LONG>(RoundDiv(os2->xAvgCharWidth * m_pixelsPerEm, upem))
                                                     : m_pixelsPerEm / 2;
  tm.tmMaxCharWidth = static_cast<LONG>(RoundDiv(m_face->max_advance_width * m_pixelsPerEm, upem) +
                                        m_emboldenStrength / kOnePixel);
  tm.tmWeight = font.lfWeight == FW_DONTCARE ? FW_NORMAL : font.lfWeight;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = kScreenDpi;
  tm.tmDigitizedAspectY = kScreenDpi;
  tm.tmFirstChar = kFirstChar;
  tm.tmLastChar = kLastChar;
  tm.tmDefaultChar = kDefaultChar;
  tm.tmBreakChar = kBreakChar;
  tm.tmItalic = m_italic ? 1 : 0;
  tm.tmUnderlined = font.lfUnderline ? 1 : 0;
  tm.tmStruckOut = font.lfStrikeOut ? 1 : 0;
  const bool fixed = IsFixedPitch(m_face);
  tm.tmPitchAndFamily = static_cast<BYTE>(TMPF_VECTOR | TMPF_TRUETYPE | (fixed ? 0 : TMPF_FIXED_PITCH) |
                                          (fixed ? kFamilyModern : kFamilySwiss));
  tm.tmCharSet = SHIFTJIS_CHARSET;
}

bool FontInstance::Load(char32_t ch, const FT_Matrix* transform, LoadedGlyph& out) {
  if (!m_face) return false;
  FT_Face face = m_face;
  FT_UInt index = FT_Get_Char_Index(face, ch);
  bool syntheticBold = m_resolved.syntheticBold;
  bool syntheticItalic = m_resolved.syntheticItalic;
  constexpr char32_t kFirstPrintable = 0x20;
  if (index == 0 && ch >= kFirstPrintable) {
    // The face lacks the character: borrow it from a face that has it, in
    // the same size and style, rather than draw an empty box.
    if (const std::optional<FaceSource> fallback = FallbackFaceFor(ch)) {
      FT_Face other = OpenFace(*fallback);
      const FT_UInt otherIndex = other ? FT_Get_Char_Index(other, ch) : 0;
      if (otherIndex != 0) {
        face = other;
        index = otherIndex;
        syntheticBold = m_bold;
        syntheticItalic = m_italic;
      }
    }
  }
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(m_pixelsPerEm)) != 0) return false;
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  out.slot = slot;
  out.advance = slot->advance;
  if (syntheticItalic) {
    const FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
    FT_Outline_Transform(&slot->outline, &shear);
  }
  if (syntheticBold) {
    const FT_Pos strength = std::max<FT_Pos>(1, RoundDiv(m_pixelsPerEm, kEmboldenDivisor)) * kOnePixel;
    FT_Outline_EmboldenXY(&slot->outline, strength, 0);
    out.advance.x += strength;
  }
  if (transform) {
    FT_Outline_Transform(&slot->outline, transform);
    FT_Vector_Transform(&out.advance, transform);
  }
  return true;
}

bool FontInstance::Render(char32_t ch, bool oneBit, const FT_Matrix* transform, GlyphImage& out) {
  const bool transformed = transform != nullptr;
  if (m_last.valid && m_last.ch == ch && m_last.oneBit == oneBit && m_last.transformed == transformed &&
      (!transformed || std::memcmp(&m_last.transform, transform, sizeof(FT_Matrix)) == 0)) {
    out = m_last.image;
    return true;
  }
  m_last.valid = false;
  if (!RenderUncached(ch, oneBit, transform, out)) return false;
  m_last = LastRender{true, ch, oneBit, transformed, transformed ? *transform : FT_Matrix{}, out};
  return true;
}

bool FontInstance::RenderUncached(char32_t ch, bool oneBit, const FT_Matrix* transform, GlyphImage& out) {
  LoadedGlyph glyph;
  if (!Load(ch, transform, glyph)) return false;
  out = GlyphImage{};
  out.advanceX = RoundPixels(glyph.advance.x);
  out.advanceY = RoundPixels(glyph.advance.y);
  // A glyph without contours (a space) has no ink; the one-bit renderer
  // would still hand back an empty 1 x 1 bitmap.
  if (glyph.slot->outline.n_contours == 0) {
    AddLines(out);
    return true;
  }
  if (FT_Render_Glyph(glyph.slot, oneBit ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bitmap = glyph.slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;
  out.width = static_cast<int>(bitmap.width);
  out.height = static_cast<int>(bitmap.rows);
  out.left = glyph.slot->bitmap_left;
  out.top = glyph.slot->bitmap_top;
  out.coverage.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), 0);
  const int rowStep = std::abs(bitmap.pitch);
  for (int y = 0; y < out.height; ++y) {
    // A negative pitch stores the bottom row first.
    const int sourceRow = bitmap.pitch >= 0 ? y : out.height - 1 - y;
    const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(sourceRow) * rowStep;
    std::uint8_t* target = out.coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(out.width);
    for (int x = 0; x < out.width; ++x) {
      if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
        target[x] = row[x];
      } else {
        target[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? kFullCoverage : 0;
      }
    }
  }
  AddLines(out);
  return true;
}

bool FontInstance::Advance(char32_t ch, int& advanceX) {
  LoadedGlyph glyph;
  if (!Load(ch, nullptr, glyph)) return false;
  advanceX = RoundPixels(glyph.advance.x);
  return true;
}

// Underline and strike-out run along the pen advance as GDI draws them with
// the text, in the face's own position and thickness.
void FontInstance::AddLines(GlyphImage& image) const {
  if ((!m_font.lfUnderline && !m_font.lfStrikeOut) || image.advanceX <= 0) return;
  const long long upem = m_face->units_per_EM;
  struct Band {
    int top;  // top edge, pixels above the baseline
    int rows;
  };
  std::vector<Band> bands;
  if (m_font.lfUnderline) {
    const int thickness = static_cast<int>(std::max(1LL, RoundDiv(m_face->underline_thickness * m_pixelsPerEm, upem)));
    // underline_position is the line's centre, negative below the baseline.
    const long long centreBelow = RoundDiv(-static_cast<long long>(m_face->underline_position) * m_pixelsPerEm, upem);
    int firstRow = static_cast<int>(std::max(0LL, centreBelow - thickness / 2));
    if (firstRow + thickness > m_metrics.tmDescent) firstRow = std::max(0, static_cast<int>(m_metrics.tmDescent) - thickness);
    bands.push_back({-firstRow, thickness});
  }
  if (m_font.lfStrikeOut) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(m_face, FT_SFNT_OS2));
    int thickness = std::max(1, m_pixelsPerEm / 16);
    int top = m_pixelsPerEm * 3 / 10 + thickness;
    if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
      thickness = static_cast<int>(std::max(1LL, RoundDiv(os2->yStrikeoutSize * m_pixelsPerEm, upem)));
      top = static_cast<int>(RoundDiv(os2->yStrikeoutPosition * m_pixelsPerEm, upem));
    }
    bands.push_back({top, thickness});
  }

  const bool hasInk = image.width > 0 && image.height > 0;
  int left = hasInk ? std::min(image.left, 0) : 0;
  int right = hasInk ? std::max(image.left + image.width, image.advanceX) : image.advanceX;
  int top = hasInk ? image.top : bands.front().top;
  int bottom = hasInk ? image.top - image.height : bands.front().top - bands.front().rows;
  for (const Band& band : bands) {
    top = std::max(top, band.top);
    bottom = std::min(bottom, band.top - band.rows);
  }
  GlyphImage lined;
  lined.left = left;
  lined.top = top;
  lined.width = right - left;
  lined.height = top - bottom;
  lined.advanceX = image.advanceX;
  lined.advanceY = image.advanceY;
  lined.coverage.assign(static_cast<size_t>(lined.width) * static_cast<size_t>(lined.height), 0);
  auto at = [&](int x, int y) -> std::uint8_t& {
    return lined.coverage[static_cast<size_t>(y) * static_cast<size_t>(lined.width) + static_cast<size_t>(x)];
  };
  for (int y = 0; y < image.height && hasInk; ++y) {
    for (int x = 0; x < image.width; ++x) {
      at(x + image.left - left, y + top - image.top) =
          image.coverage[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
    }
  }
  for (const Band& band : bands) {
    for (int r = 0; r < band.rows; ++r) {
      for (int x = 0; x < image.advanceX; ++x) at(x - left, top - band.top + r) = kFullCoverage;
    }
  }
  image = std::move(lined);
}

}  // namespace pluv::gdi
