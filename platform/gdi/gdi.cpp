// The Windows-shaped GDI functions over the font instances.
#include "platform/gdi/gdi.h"

#include <cstring>
#include <limits>
#include <unordered_map>

#include "platform/gdi/gdi_objects.h"
#include "platform/kernel/cp932.h"

namespace pluv::gdi {
namespace {

constexpr LONG kDefaultFontHeight = -12;
// "ＭＳ Ｐゴシック" in CP932: the default face of a Japanese system.
constexpr char kDefaultFaceName[] = "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
// Windows draws a code that CP932 does not define as its default character, "・".
constexpr char32_t kDefaultCharacter = U'\u30FB';
constexpr UINT kGlyphIndexFlag = 0x80;  // GGO_GLYPH_INDEX: codes are glyph indices (not supported)
constexpr int kFixedOne = 0x10000;

char32_t CodeToUnicode(UINT code) {
  static std::unordered_map<UINT, char32_t> cache;
  auto it = cache.find(code);
  if (it != cache.end()) return it->second;
  char32_t ch = code == 0 ? U'\0' : Cp932CodeToUnicode(code);
  if (ch == 0 && code != 0) ch = kDefaultCharacter;
  cache.emplace(code, ch);
  return ch;
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

FT_Fixed ToFixed(const FIXED& f) { return static_cast<FT_Fixed>(f.value) * kFixedOne + f.fract; }

// GDI multiplies row vectors, [x y] * M; FreeType multiplies column vectors.
bool ToMatrix(const MAT2* mat, FT_Matrix& out) {
  if (!mat) return false;
  out.xx = ToFixed(mat->eM11);
  out.xy = ToFixed(mat->eM21);
  out.yx = ToFixed(mat->eM12);
  out.yy = ToFixed(mat->eM22);
  return !(out.xx == kFixedOne && out.yy == kFixedOne && out.xy == 0 && out.yx == 0);
}

DWORD RowBytes(UINT format, int width) {
  const auto w = static_cast<DWORD>(width);
  return format == GGO_BITMAP ? (w + 31) / 32 * 4 : (w + 3) & ~DWORD{3};
}

int MaxLevel(UINT format) {
  switch (format) {
    case GGO_GRAY2_BITMAP: return 4;
    case GGO_GRAY4_BITMAP: return 16;
    default: return 64;
  }
}

PluvFont* FontOf(HDC dc) { return dc ? dc->font : nullptr; }

}  // namespace

PluvFont* DefaultFont() {
  static PluvFont* const font = [] {
    LOGFONTA lf{};
    lf.lfHeight = kDefaultFontHeight;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    std::memcpy(lf.lfFaceName, kDefaultFaceName, sizeof kDefaultFaceName);
    auto* f = new PluvFont(lf);
    f->stock = true;
    return f;
  }();
  return font;
}

}  // namespace pluv::gdi

using pluv::gdi::FontInstance;
using pluv::gdi::GlyphImage;

PluvFont::PluvFont(const LOGFONTA& lf) : logFont(lf) {}

PluvFont::~PluvFont() = default;

FontInstance& PluvFont::Instance() {
  if (!instance) instance = std::make_unique<FontInstance>(logFont);
  return *instance;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long product = static_cast<long long>(a) * b;
  const bool negative = (product < 0) != (c < 0);
  const long long absProduct = product < 0 ? -product : product;
  const long long absC = c < 0 ? -static_cast<long long>(c) : c;
  const long long q = (absProduct + absC / 2) / absC;
  if (q > std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(negative ? -q : q);
}

HFONT CreateFontIndirectA(const LOGFONTA* lf) {
  if (!lf) return nullptr;
  LOGFONTA copy = *lf;
  copy.lfFaceName[LF_FACESIZE - 1] = '\0';
  return new PluvFont(copy);
}

HDC CreateCompatibleDC(HDC /*reference*/) {
  auto* dc = new PluvDeviceContext;
  dc->font = pluv::gdi::DefaultFont();
  ++dc->font->selections;
  return dc;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  auto* font = dynamic_cast<PluvFont*>(object);
  if (!dc || !font) return nullptr;
  PluvFont* previous = dc->font;
  if (previous) --previous->selections;
  dc->font = font;
  ++font->selections;
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!object) return FALSE;
  if (object->stock) return TRUE;
  if (object->selections > 0) return FALSE;
  delete object;
  return TRUE;
}

BOOL DeleteDC(HDC dc) {
  if (!dc) return FALSE;
  if (dc->font) --dc->font->selections;
  delete dc;
  return TRUE;
}

int GetObjectA(HGDIOBJ object, int size, void* out) {
  auto* font = dynamic_cast<PluvFont*>(object);
  if (!font) return 0;
  if (!out) return static_cast<int>(sizeof(LOGFONTA));
  const size_t n = std::min(static_cast<size_t>(std::max(size, 0)), sizeof(LOGFONTA));
  std::memcpy(out, &font->logFont, n);
  return static_cast<int>(n);
}

DWORD GetGlyphOutlineA(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* mat) {
  PluvFont* font = pluv::gdi::FontOf(dc);
  if (!font || !metrics || (format & pluv::gdi::kGlyphIndexFlag)) return GDI_ERROR;
  if (format != GGO_METRICS && format != GGO_BITMAP && format != GGO_GRAY2_BITMAP &&
      format != GGO_GRAY4_BITMAP && format != GGO_GRAY8_BITMAP) {
    return GDI_ERROR;
  }
  FontInstance& instance = font->Instance();
  if (!instance.Valid()) return GDI_ERROR;
  FT_Matrix matrix{};
  const bool transformed = pluv::gdi::ToMatrix(mat, matrix);
  GlyphImage image;
  if (!instance.Render(pluv::gdi::CodeToUnicode(code), format == GGO_BITMAP, transformed ? &matrix : nullptr, image)) {
    return GDI_ERROR;
  }

  const bool inked = image.width > 0 && image.height > 0;
  // As GDI does, a glyph without ink reports a 1 x 1 box at the pen.
  metrics->gmBlackBoxX = inked ? static_cast<UINT>(image.width) : 1;
  metrics->gmBlackBoxY = inked ? static_cast<UINT>(image.height) : 1;
  metrics->gmptGlyphOrigin = inked ? POINT{image.left, image.top} : POINT{0, 0};
  metrics->gmCellIncX = static_cast<std::int16_t>(image.advanceX);
  metrics->gmCellIncY = static_cast<std::int16_t>(image.advanceY);
  if (format == GGO_METRICS || !inked) return 0;

  const DWORD pitch = pluv::gdi::RowBytes(format, image.width);
  const DWORD needed = pitch * static_cast<DWORD>(image.height);
  if (!buffer || bufferSize == 0) return needed;
  if (bufferSize < needed) return GDI_ERROR;
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::memset(out, 0, needed);
  const int maxLevel = pluv::gdi::MaxLevel(format);
  for (int y = 0; y < image.height; ++y) {
    std::uint8_t* row = out + static_cast<size_t>(y) * pitch;
    const std::uint8_t* src = image.coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
    for (int x = 0; x < image.width; ++x) {
      if (format == GGO_BITMAP) {
        if (src[x] >= 128) row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
      } else {
        row[x] = static_cast<std::uint8_t>((src[x] * maxLevel + 127) / 255);
      }
    }
  }
  return needed;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
  PluvFont* font = pluv::gdi::FontOf(dc);
  if (!font || !metrics) return FALSE;
  FontInstance& instance = font->Instance();
  if (!instance.Valid()) return FALSE;
  *metrics = instance.Metrics();
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size) {
  PluvFont* font = pluv::gdi::FontOf(dc);
  if (!font || !size || length < 0 || (!text && length > 0)) return FALSE;
  FontInstance& instance = font->Instance();
  if (!instance.Valid()) return FALSE;
  LONG width = 0;
  for (int i = 0; i < length;) {
    const auto c = static_cast<unsigned char>(text[i]);
    UINT code = c;
    if (pluv::gdi::IsLeadByte(c) && i + 1 < length) {
      code = c * 256u + static_cast<unsigned char>(text[i + 1]);
      i += 2;
    } else {
      ++i;
    }
    int advance = 0;
    if (!instance.Advance(pluv::gdi::CodeToUnicode(code), advance)) return FALSE;
    width += advance;
  }
  size->cx = width;
  size->cy = instance.Metrics().tmHeight;
  return TRUE;
}
