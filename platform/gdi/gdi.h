// The Windows GDI font functions that the text writer needs: logical fonts,
// memory device contexts carrying a font, glyph bitmaps (GetGlyphOutlineA),
// text metrics and text extents, over FreeType and fontconfig.
// Main thread only: fonts, faces and the FreeType library are not locked.
// The caller owns what it creates (DeleteObject / DeleteDC); a device
// context never owns the font selected into it.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/wintypes/wintypes.h"

namespace pluv::gdi {
class FontInstance;
}
// The objects behind the handles; callers treat the handles as opaque. A
// font converts to HGDIOBJ as in GDI.
struct PluvGdiObject {
  virtual ~PluvGdiObject() = default;
  int selections = 0;  // device contexts holding it
  bool stock = false;  // stock objects are never freed
};
struct PluvFont;
struct PluvDeviceContext;

using HGDIOBJ = PluvGdiObject*;
using HFONT = PluvFont*;
using HDC = PluvDeviceContext*;

inline constexpr int LF_FACESIZE = 32;

inline constexpr LONG FW_DONTCARE = 0;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;

inline constexpr BYTE DEFAULT_CHARSET = 1;
inline constexpr BYTE SHIFTJIS_CHARSET = 128;

struct LOGFONTA {
  LONG lfHeight;  // < 0: character (em) height in pixels; > 0: cell height; 0: default
  LONG lfWidth;   // ignored: glyphs keep the face's own proportions
  LONG lfEscapement;   // ignored, as lfOrientation: turn glyphs with the MAT2 of GetGlyphOutlineA
  LONG lfOrientation;
  LONG lfWeight;  // >= 600 is bold
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  char lfFaceName[LF_FACESIZE];  // CP932, zero-terminated
};

// GetGlyphOutlineA formats.
inline constexpr UINT GGO_METRICS = 0;
inline constexpr UINT GGO_BITMAP = 1;        // 1 bit per pixel, rows DWORD-aligned, top row first
inline constexpr UINT GGO_GRAY2_BITMAP = 4;  // one byte per pixel, levels 0..4
inline constexpr UINT GGO_GRAY4_BITMAP = 5;  // levels 0..16
inline constexpr UINT GGO_GRAY8_BITMAP = 6;  // levels 0..64
inline constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;

// 16.16 fixed point as GDI splits it.
struct FIXED {
  WORD fract;
  std::int16_t value;
};

struct MAT2 {
  FIXED eM11;
  FIXED eM12;
  FIXED eM21;
  FIXED eM22;
};

struct GLYPHMETRICS {
  UINT gmBlackBoxX;  // width of the inked box in pixels
  UINT gmBlackBoxY;  // its height
  POINT gmptGlyphOrigin;  // box's left from the pen; box's top above the baseline
  std::int16_t gmCellIncX;  // pen advance
  std::int16_t gmCellIncY;
};

// tmPitchAndFamily bits. As in GDI, TMPF_FIXED_PITCH set means *variable* pitch.
inline constexpr BYTE TMPF_FIXED_PITCH = 0x01;
inline constexpr BYTE TMPF_VECTOR = 0x02;
inline constexpr BYTE TMPF_TRUETYPE = 0x04;

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

struct PluvFont final : PluvGdiObject {
  explicit PluvFont(const LOGFONTA& lf);
  ~PluvFont() override;
  // Resolved and measured at first use.
  pluv::gdi::FontInstance& Instance();

  LOGFONTA logFont;
  std::unique_ptr<pluv::gdi::FontInstance> instance;
};

struct PluvDeviceContext {
  PluvFont* font = nullptr;  // not owned
};

// A new font; null when lf is null.
HFONT CreateFontIndirectA(const LOGFONTA* lf);
// A memory device context (the reference context is not needed) with the
// default font selected: "ＭＳ Ｐゴシック", 12 pixels.
HDC CreateCompatibleDC(HDC reference);
// Selects a font into dc and returns the one selected before; null on a
// null argument. The font must outlive its selection.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Frees a font. Deleting the font that a context still holds is refused
// (FALSE), as GDI refuses to delete a selected object.
BOOL DeleteObject(HGDIOBJ object);
BOOL DeleteDC(HDC dc);
// The logical font of a font object; 0 on a null font.
int GetObjectA(HGDIOBJ object, int size, void* out);

// The glyph of CP932 character code (a byte, or lead byte * 256 + trail
// byte) in dc's font. Returns the bytes the bitmap needs, or GDI_ERROR; with
// a null buffer or size 0 it only measures. A glyph without ink (space)
// needs 0 bytes and still has metrics. mat is applied to the outline (null
// or identity: none).
DWORD GetGlyphOutlineA(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* mat);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
// Width (sum of pen advances) and height (tmHeight) of a CP932 string.
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, SIZE* size);

// Windows' MulDiv: a * b / c rounded half away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);
