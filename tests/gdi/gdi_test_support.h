// Test helpers for the GDI font functions: a device context with a font
// made from a UTF-8 face name, and a glyph fetched the way the text writer
// fetches it (size first, then the bitmap). Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/kernel/cp932.h"

inline const MAT2 kIdentityMatrix{{0, 1}, {0, 0}, {0, 0}, {0, 1}};

struct FontStyle {
  LONG weight = FW_NORMAL;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

class FontContext {
 public:
  FontContext(const std::string& utf8Face, LONG height, FontStyle style = {}) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = style.weight;
    lf.lfItalic = style.italic;
    lf.lfUnderline = style.underline;
    lf.lfStrikeOut = style.strikeOut;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    const std::string name = Utf8ToCp932(utf8Face);
    std::strncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    m_font = CreateFontIndirectA(&lf);
    m_dc = CreateCompatibleDC(nullptr);
    m_previous = SelectObject(m_dc, m_font);
  }
  ~FontContext() {
    SelectObject(m_dc, m_previous);
    DeleteObject(m_font);
    DeleteDC(m_dc);
  }
  FontContext(const FontContext&) = delete;
  FontContext& operator=(const FontContext&) = delete;

  HDC dc() const { return m_dc; }
  TEXTMETRICA Metrics() const {
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(m_dc, &tm));
    return tm;
  }

 private:
  HFONT m_font = nullptr;
  HDC m_dc = nullptr;
  HGDIOBJ m_previous = nullptr;
};

struct Glyph {
  DWORD size = 0;
  GLYPHMETRICS gm{};
  std::vector<std::uint8_t> data;
  DWORD pitch = 0;

  std::uint8_t Level(int x, int y) const { return data[static_cast<size_t>(y) * pitch + static_cast<size_t>(x)]; }
  bool Bit(int x, int y) const {
    return (data[static_cast<size_t>(y) * pitch + static_cast<size_t>(x >> 3)] >> (7 - (x & 7))) & 1;
  }
  long Ink() const {
    long sum = 0;
    for (std::uint8_t b : data) sum += b;
    return sum;
  }
};

inline Glyph FetchGlyph(HDC dc, unsigned code, unsigned format = GGO_GRAY8_BITMAP) {
  Glyph g;
  g.size = GetGlyphOutlineA(dc, code, format, &g.gm, 0, nullptr, &kIdentityMatrix);
  EXPECT_NE(g.size, GDI_ERROR) << std::hex << code;
  if (g.size == GDI_ERROR || g.size == 0) return g;
  g.data.assign(g.size, 0xCD);
  GLYPHMETRICS second{};
  EXPECT_EQ(GetGlyphOutlineA(dc, code, format, &second, g.size, g.data.data(), &kIdentityMatrix), g.size);
  g.pitch = g.gm.gmBlackBoxY ? g.size / g.gm.gmBlackBoxY : 0;
  return g;
}

// CP932 codes used across the tests.
inline constexpr unsigned kAme = 0x894A;         // 雨
inline constexpr unsigned kYuki = 0x90E1;        // 雪
inline constexpr unsigned kHiraganaA = 0x82A0;   // あ
inline constexpr unsigned kIdeoSpace = 0x8140;   // full-width space
inline constexpr unsigned kNakaguro = 0x8145;    // ・
