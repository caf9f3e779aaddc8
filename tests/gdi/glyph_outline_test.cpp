// GetGlyphOutlineA and GetTextMetricsA with real Japanese faces: failure
// paths, buffer layout of both bitmap formats, level ranges, metrics that
// agree with each other, and scaling.
#include <algorithm>

#include "gdi_test_support.h"

namespace {
const char* const kGothic = "ＭＳ ゴシック";
}

TEST(GlyphOutline, FailuresReturnGdiError) {
  FontContext font(kGothic, -16);
  GLYPHMETRICS gm{};
  constexpr UINT kNative = 2;  // GGO_NATIVE: outlines are not offered
  constexpr UINT kGlyphIndex = 0x80;
  EXPECT_EQ(GetGlyphOutlineA(nullptr, 'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentityMatrix), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineA(font.dc(), 'A', GGO_GRAY8_BITMAP, nullptr, 0, nullptr, &kIdentityMatrix), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineA(font.dc(), 'A', kNative, &gm, 0, nullptr, &kIdentityMatrix), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineA(font.dc(), 'A', GGO_GRAY8_BITMAP | kGlyphIndex, &gm, 0, nullptr, nullptr), GDI_ERROR);
  const DWORD size = GetGlyphOutlineA(font.dc(), 'A', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &kIdentityMatrix);
  ASSERT_GT(size, 1u);
  std::vector<std::uint8_t> buffer(size);
  EXPECT_EQ(GetGlyphOutlineA(font.dc(), 'A', GGO_GRAY8_BITMAP, &gm, size - 1, buffer.data(), &kIdentityMatrix),
            GDI_ERROR);
  EXPECT_FALSE(GetTextMetricsA(nullptr, nullptr));
}

TEST(GlyphOutline, KanjiHasInkInsideItsEmSquare) {
  FontContext font(kGothic, -16);
  const Glyph ame = FetchGlyph(font.dc(), kAme);
  ASSERT_GT(ame.size, 0u);
  EXPECT_GT(ame.gm.gmBlackBoxX, 10u);
  EXPECT_LE(ame.gm.gmBlackBoxX, 17u);
  EXPECT_GT(ame.gm.gmBlackBoxY, 10u);
  EXPECT_LE(ame.gm.gmBlackBoxY, 17u);
  EXPECT_EQ(ame.gm.gmCellIncX, 16);
  EXPECT_EQ(ame.gm.gmCellIncY, 0);
  // Hinted horizontal strokes reach full coverage.
  EXPECT_EQ(*std::max_element(ame.data.begin(), ame.data.end()), 64);
  // 雨 and 雪 share the top but not the bottom: two different bitmaps.
  const Glyph yuki = FetchGlyph(font.dc(), kYuki);
  EXPECT_NE(ame.data, yuki.data);
}

TEST(GlyphOutline, GreyLevelsStayInTheirRangeAndRowsAreDwordAligned) {
  FontContext small(kGothic, -12);
  FontContext large(kGothic, -37);
  for (HDC dc : {small.dc(), large.dc()}) {
    for (unsigned code : {unsigned{'i'}, unsigned{'W'}, unsigned{'.'}, kAme, kHiraganaA, 0xB1u}) {
      for (auto [format, maxLevel] : {std::pair{GGO_GRAY8_BITMAP, 64}, std::pair{GGO_GRAY4_BITMAP, 16},
                                      std::pair{GGO_GRAY2_BITMAP, 4}}) {
        const Glyph g = FetchGlyph(dc, code, format);
        ASSERT_GT(g.size, 0u) << code;
        const DWORD pitch = (g.gm.gmBlackBoxX + 3) & ~3u;
        EXPECT_EQ(g.size, pitch * g.gm.gmBlackBoxY) << code;
        for (UINT y = 0; y < g.gm.gmBlackBoxY; ++y) {
          for (UINT x = 0; x < pitch; ++x) {
            const int level = g.Level(static_cast<int>(x), static_cast<int>(y));
            if (x >= g.gm.gmBlackBoxX) {
              EXPECT_EQ(level, 0) << "padding of " << code;
            } else {
              EXPECT_LE(level, maxLevel) << code;
            }
          }
        }
      }
    }
  }
}

TEST(GlyphOutline, OneBitRowsAreDwordAlignedWithClearPadding) {
  FontContext font(kGothic, -40);
  for (unsigned code : {unsigned{'i'}, unsigned{'M'}, kAme}) {
    const Glyph mono = FetchGlyph(font.dc(), code, GGO_BITMAP);
    ASSERT_GT(mono.size, 0u);
    const DWORD pitch = (mono.gm.gmBlackBoxX + 31) / 32 * 4;
    EXPECT_EQ(mono.size, pitch * mono.gm.gmBlackBoxY);
    int set = 0;
    for (UINT y = 0; y < mono.gm.gmBlackBoxY; ++y) {
      for (UINT x = 0; x < pitch * 8; ++x) {
        const bool bit = mono.Bit(static_cast<int>(x), static_cast<int>(y));
        if (x >= mono.gm.gmBlackBoxX) {
          EXPECT_FALSE(bit) << "padding of " << code;
        }
        set += bit;
      }
    }
    EXPECT_GT(set, 0);
    // Both formats advance the pen alike.
    EXPECT_EQ(mono.gm.gmCellIncX, FetchGlyph(font.dc(), code).gm.gmCellIncX);
  }
}

TEST(GlyphOutline, SpacesHaveNoInkButAdvance) {
  FontContext font(kGothic, -16);
  for (unsigned format : {GGO_GRAY8_BITMAP, GGO_BITMAP}) {
    GLYPHMETRICS gm{};
    EXPECT_EQ(GetGlyphOutlineA(font.dc(), ' ', format, &gm, 0, nullptr, &kIdentityMatrix), 0u);
    EXPECT_EQ(gm.gmCellIncX, 8);
    std::uint8_t untouched = 0xAB;
    EXPECT_EQ(GetGlyphOutlineA(font.dc(), kIdeoSpace, format, &gm, 1, &untouched, &kIdentityMatrix), 0u);
    EXPECT_EQ(gm.gmCellIncX, 16);
    EXPECT_EQ(untouched, 0xAB);
  }
}

TEST(GlyphOutline, BoxesLieBetweenAscentAndDescent) {
  FontContext font(kGothic, -20);
  const TEXTMETRICA tm = font.Metrics();
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_GE(tm.tmHeight, 20);
  EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 20);
  for (unsigned code : {unsigned{'A'}, unsigned{'g'}, unsigned{'|'}, kAme, 0x8169u /* （ */}) {
    const Glyph g = FetchGlyph(font.dc(), code);
    ASSERT_GT(g.size, 0u);
    EXPECT_LE(g.gm.gmptGlyphOrigin.y, tm.tmAscent) << code;
    EXPECT_GE(g.gm.gmptGlyphOrigin.y - static_cast<LONG>(g.gm.gmBlackBoxY), -tm.tmDescent) << code;
  }
  // A descender reaches below the baseline; a capital stands on it (this
  // face draws its Latin capitals a pixel above at this size).
  const Glyph g = FetchGlyph(font.dc(), 'g');
  EXPECT_LT(g.gm.gmptGlyphOrigin.y, static_cast<LONG>(g.gm.gmBlackBoxY));
  const Glyph a = FetchGlyph(font.dc(), 'A');
  const LONG aBottom = a.gm.gmptGlyphOrigin.y - static_cast<LONG>(a.gm.gmBlackBoxY);
  EXPECT_GE(aBottom, 0);
  EXPECT_LE(aBottom, 1);
}

TEST(GlyphOutline, APositiveHeightIsTheCellHeight) {
  for (LONG cell : {12L, 17L, 40L}) {
    FontContext font(kGothic, cell);
    const TEXTMETRICA tm = font.Metrics();
    EXPECT_EQ(tm.tmHeight, cell);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, cell);
    EXPECT_LT(tm.tmHeight - tm.tmInternalLeading, cell);
  }
}

TEST(GlyphOutline, GlyphsScaleWithTheHeight) {
  FontContext size12(kGothic, -16);  // 12 points
  FontContext size36(kGothic, -48);  // 36 points
  const Glyph small = FetchGlyph(size12.dc(), 'A');
  const Glyph large = FetchGlyph(size36.dc(), 'A');
  EXPECT_EQ(large.gm.gmCellIncX, 3 * small.gm.gmCellIncX);
  const double ratio = static_cast<double>(large.gm.gmBlackBoxY) / small.gm.gmBlackBoxY;
  EXPECT_GT(ratio, 2.6);
  EXPECT_LT(ratio, 3.4);
  EXPECT_GT(large.Ink(), 6 * small.Ink());
  EXPECT_EQ(size36.Metrics().tmAscent, 3 * size12.Metrics().tmAscent);
}

TEST(GlyphOutline, RenderingIsRepeatable) {
  FontContext font(kGothic, -15);
  const Glyph first = FetchGlyph(font.dc(), kAme);
  const Glyph again = FetchGlyph(font.dc(), kAme);
  EXPECT_EQ(first.data, again.data);
  EXPECT_EQ(first.gm.gmptGlyphOrigin.x, again.gm.gmptGlyphOrigin.x);
}

TEST(GlyphOutline, CodesOutsideCp932DrawTheDefaultCharacter) {
  FontContext font(kGothic, -16);
  const Glyph dot = FetchGlyph(font.dc(), kNakaguro);
  ASSERT_GT(dot.size, 0u);
  for (unsigned invalid : {0x817Fu, 0x81FFu, 0xFFFFu}) {
    const Glyph g = FetchGlyph(font.dc(), invalid);
    EXPECT_EQ(g.data, dot.data) << std::hex << invalid;
  }
}

TEST(GlyphOutline, ATransformationTurnsTheGlyph) {
  FontContext font(kGothic, -32);
  // A quarter turn anticlockwise: [x y] * M = [-y x].
  const MAT2 turn{{0, 0}, {0, 1}, {0, -1}, {0, 0}};
  GLYPHMETRICS upright{};
  GLYPHMETRICS turned{};
  ASSERT_NE(GetGlyphOutlineA(font.dc(), 'l', GGO_GRAY8_BITMAP, &upright, 0, nullptr, &kIdentityMatrix), GDI_ERROR);
  ASSERT_NE(GetGlyphOutlineA(font.dc(), 'l', GGO_GRAY8_BITMAP, &turned, 0, nullptr, &turn), GDI_ERROR);
  // A tall thin letter lies down.
  EXPECT_GT(upright.gmBlackBoxY, 2 * upright.gmBlackBoxX);
  EXPECT_GT(turned.gmBlackBoxX, 2 * turned.gmBlackBoxY);
  EXPECT_EQ(turned.gmCellIncX, 0);
  EXPECT_EQ(turned.gmCellIncY, upright.gmCellIncX);
}
