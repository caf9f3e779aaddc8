// The class library's font, canvas and bitmap over the GDI functions: TFont
// (Name, Size, Height, Style, Color), TCanvas (a memory device context that
// carries its font; TextWidth), TBitmap (a small 24-bit bitmap with a
// canvas). Main thread only. Each object owns its GDI handles.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

enum TFontStyle : std::uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

// A set of font styles, stored as the class library stores a small set: bit
// n stands for style n.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) Include(s);
  }
  constexpr bool Contains(TFontStyle s) const { return (m_bits >> s) & 1u; }
  constexpr TFontStyles& Include(TFontStyle s) {
    m_bits = static_cast<std::uint8_t>(m_bits | (1u << s));
    return *this;
  }
  constexpr TFontStyles& Exclude(TFontStyle s) {
    m_bits = static_cast<std::uint8_t>(m_bits & ~(1u << s));
    return *this;
  }
  constexpr std::uint8_t Bits() const { return m_bits; }
  constexpr bool operator==(const TFontStyles&) const = default;

 private:
  std::uint8_t m_bits = 0;
};

using TColor = std::uint32_t;  // 0x00BBGGRR
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;

// A font description. Size is in points at 96 pixels per inch: setting it
// sets Height = -MulDiv(Size, 96, 72) (a negative height is the character
// height in pixels).
class TFont {
 public:
  TFont();  // "ＭＳ Ｐゴシック", 9 points (Height -12), no style, black

  const std::string& Name() const { return m_name; }  // CP932
  void SetName(const std::string& cp932Name);
  int Height() const { return m_height; }
  void SetHeight(int height);
  int Size() const;
  void SetSize(int points);
  TFontStyles Style() const { return m_style; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return m_color; }
  void SetColor(TColor color) { m_color = color; }
  int PixelsPerInch() const { return kPixelsPerInch; }

  // The logical font these properties describe.
  LOGFONTA LogFont() const;
  // Raised by every change of the logical font.
  std::uint64_t Version() const { return m_version; }

 private:
  static constexpr int kPixelsPerInch = 96;
  std::string m_name;
  int m_height;
  TFontStyles m_style;
  TColor m_color = clBlack;
  std::uint64_t m_version = 0;
};

enum class TBrushStyle { bsSolid, bsClear };

struct TBrush {
  TColor Color = clWhite;
  TBrushStyle Style = TBrushStyle::bsSolid;
};

// A memory device context whose selected font follows Font().
class TCanvas {
 public:
  TCanvas();
  ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TFont& Font() { return m_font; }
  TBrush& Brush() { return m_brush; }
  // The device context, with a font made from Font()'s current properties.
  HDC Handle();

  // Text extent of a CP932 string in the current font (width: the sum of
  // pen advances; height: the font's cell height). 0 x 0 when the font
  // cannot be rendered.
  SIZE TextExtent(const std::string& cp932);
  int TextWidth(const std::string& cp932) { return TextExtent(cp932).cx; }
  int TextHeight(const std::string& cp932) { return TextExtent(cp932).cy; }

 private:
  HDC m_dc;
  TFont m_font;
  TBrush m_brush;
  HFONT m_selectedFont = nullptr;
  std::uint64_t m_selectedVersion = 0;
};

enum class TPixelFormat { pf24bit };

// A 24-bit bitmap (rows of blue, green, red bytes, padded to 4 bytes) with
// a canvas.
class TBitmap {
 public:
  TBitmap() = default;
  void SetSize(int width, int height);
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  TPixelFormat PixelFormat() const { return TPixelFormat::pf24bit; }
  std::uint8_t* ScanLine(int y) { return m_pixels.data() + static_cast<size_t>(y) * RowBytes(); }
  TCanvas& Canvas() { return m_canvas; }

 private:
  size_t RowBytes() const { return (static_cast<size_t>(m_width) * 3 + 3) & ~size_t{3}; }
  int m_width = 0;
  int m_height = 0;
  std::vector<std::uint8_t> m_pixels;
  TCanvas m_canvas;
};
