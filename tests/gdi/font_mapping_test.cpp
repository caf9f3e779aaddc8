// Windows face names on the installed faces: the monospaced and proportional
// Gothic stand-ins, unknown names, per-glyph fallback, styles, and text
// extents that add up the advances.
#include <cmath>

#include "gdi_test_support.h"

namespace {

int Advance(HDC dc, unsigned code) {
  GLYPHMETRICS gm{};
  EXPECT_NE(GetGlyphOutlineA(dc, code, GGO_METRICS, &gm, 0, nullptr, &kIdentityMatrix), GDI_ERROR);
  return gm.gmCellIncX;
}

SIZE Extent(HDC dc, const std::string& cp932) {
  SIZE size{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32A(dc, cp932.data(), static_cast<int>(cp932.size()), &size));
  return size;
}

}  // namespace

TEST(FontMapping, MsGothicIsAMonospacedJapaneseFace) {
  for (const char* name : {"ＭＳ ゴシック", "MS Gothic", "ms gothic"}) {
    FontContext font(name, -16);
    EXPECT_EQ(Advance(font.dc(), 'i'), Advance(font.dc(), 'W')) << name;
    EXPECT_EQ(Advance(font.dc(), kHiraganaA), 2 * Advance(font.dc(), 'A')) << name;
    EXPECT_EQ(Advance(font.dc(), kAme), 16) << name;
    EXPECT_EQ(font.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << name;  // set means variable pitch
    EXPECT_GT(FetchGlyph(font.dc(), kAme).Ink(), 0) << name;
  }
}

TEST(FontMapping, MsPGothicIsAProportionalJapaneseFace) {
  for (const char* name : {"ＭＳ Ｐゴシック", "MS PGothic"}) {
    FontContext font(name, -16);
    EXPECT_LT(Advance(font.dc(), 'i'), Advance(font.dc(), 'W')) << name;
    EXPECT_NE(font.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << name;
    EXPECT_GT(FetchGlyph(font.dc(), kHiraganaA).Ink(), 0) << name;
  }
}

TEST(FontMapping, UnknownAndEmptyNamesStillRenderJapanese) {
  for (const char* name : {"No Such Face 1234", "", "存在しない書体"}) {
    FontContext font(name, -16);
    const Glyph ame = FetchGlyph(font.dc(), kAme);
    const Glyph yuki = FetchGlyph(font.dc(), kYuki);
    ASSERT_GT(ame.size, 0u) << name;
    EXPECT_NE(ame.data, yuki.data) << name;  // real glyphs, not one box twice
    EXPECT_GT(font.Metrics().tmAscent, 0) << name;
  }
}

TEST(FontMapping, ALatinFaceBorrowsJapaneseGlyphsFromAnotherFace) {
  // A Latin-only face when installed; a Japanese one otherwise. Either way
  // kanji come out as themselves.
  FontContext latin("DejaVu Sans", -16);
  FontContext gothic("ＭＳ Ｐゴシック", -16);
  const Glyph ame = FetchGlyph(latin.dc(), kAme);
  const Glyph yuki = FetchGlyph(latin.dc(), kYuki);
  ASSERT_GT(ame.size, 0u);
  EXPECT_NE(ame.data, yuki.data);
  EXPECT_EQ(ame.gm.gmBlackBoxX, FetchGlyph(gothic.dc(), kAme).gm.gmBlackBoxX);
  EXPECT_GT(FetchGlyph(latin.dc(), 'A').Ink(), 0);
}

TEST(FontMapping, BoldInksMoreAndItalicLeansRight) {
  FontContext regular("ＭＳ ゴシック", -32);
  FontContext bold("ＭＳ ゴシック", -32, {.weight = FW_BOLD});
  FontContext italic("ＭＳ ゴシック", -32, {.italic = true});
  EXPECT_GT(FetchGlyph(bold.dc(), kAme).Ink(), FetchGlyph(regular.dc(), kAme).Ink() * 11 / 10);
  EXPECT_GE(Advance(bold.dc(), 'A'), Advance(regular.dc(), 'A'));
  EXPECT_EQ(bold.Metrics().tmWeight, FW_BOLD);

  // The ink of the upright bar '|' sits further right at its top than at its bottom.
  const Glyph l = FetchGlyph(italic.dc(), '|');
  ASSERT_GT(l.size, 0u);
  auto centre = [&](int y) {
    double sum = 0;
    double weighted = 0;
    for (UINT x = 0; x < l.gm.gmBlackBoxX; ++x) {
      sum += l.Level(static_cast<int>(x), y);
      weighted += l.Level(static_cast<int>(x), y) * static_cast<double>(x);
    }
    return sum > 0 ? weighted / sum : 0.0;
  };
  const int rows = static_cast<int>(l.gm.gmBlackBoxY);
  EXPECT_GT(centre(1), centre(rows - 2) + 2.0);
  EXPECT_GT(l.gm.gmBlackBoxX, FetchGlyph(regular.dc(), '|').gm.gmBlackBoxX);
  EXPECT_NE(italic.Metrics().tmItalic, 0);
}

TEST(FontMapping, UnderlineAndStrikeOutAreDrawnAlongTheAdvance) {
  FontContext underlined("ＭＳ ゴシック", -24, {.underline = true});
  FontContext struck("ＭＳ ゴシック", -24, {.strikeOut = true});
  const TEXTMETRICA tm = underlined.Metrics();
  EXPECT_NE(tm.tmUnderlined, 0);

  // Even a space gets its line.
  const Glyph under = FetchGlyph(underlined.dc(), ' ');
  ASSERT_GT(under.size, 0u);
  EXPECT_EQ(under.gm.gmBlackBoxX, 12u);
  EXPECT_LE(under.gm.gmptGlyphOrigin.y, 0);  // below the baseline
  EXPECT_GE(under.gm.gmptGlyphOrigin.y - static_cast<LONG>(under.gm.gmBlackBoxY), -tm.tmDescent);
  for (UINT x = 0; x < under.gm.gmBlackBoxX; ++x) EXPECT_EQ(under.Level(static_cast<int>(x), 0), 64);

  const Glyph strike = FetchGlyph(struck.dc(), ' ');
  ASSERT_GT(strike.size, 0u);
  EXPECT_GT(strike.gm.gmptGlyphOrigin.y, 0);  // above the baseline
  EXPECT_LT(strike.gm.gmptGlyphOrigin.y, struck.Metrics().tmAscent);

  // A letter keeps its own ink inside the widened box.
  const Glyph plainA = FetchGlyph(FontContext("ＭＳ ゴシック", -24).dc(), 'A');
  const Glyph underA = FetchGlyph(underlined.dc(), 'A');
  EXPECT_GT(underA.gm.gmBlackBoxY, plainA.gm.gmBlackBoxY);
  EXPECT_GT(underA.Ink(), plainA.Ink());
}

TEST(FontMapping, TextExtentIsTheSumOfAdvances) {
  FontContext font("ＭＳ Ｐゴシック", -20);
  const SIZE good = Extent(font.dc(), "Good");
  EXPECT_EQ(good.cx, Advance(font.dc(), 'G') + 2 * Advance(font.dc(), 'o') + Advance(font.dc(), 'd'));
  EXPECT_EQ(good.cy, font.Metrics().tmHeight);

  const std::string mixed = Utf8ToCp932("雨A\xEF\xBD\xB1");  // 雨, A, half-width ｱ
  ASSERT_EQ(mixed.size(), 4u);
  EXPECT_EQ(Extent(font.dc(), mixed).cx, Advance(font.dc(), kAme) + Advance(font.dc(), 'A') + Advance(font.dc(), 0xB1));

  // A lead byte at the very end is a character by itself.
  const std::string lone = std::string("A") + '\x82';
  EXPECT_EQ(Extent(font.dc(), lone).cx, Advance(font.dc(), 'A') + Advance(font.dc(), 0x82));

  EXPECT_EQ(Extent(font.dc(), "").cx, 0);
  SIZE size{};
  EXPECT_FALSE(GetTextExtentPoint32A(font.dc(), "A", 1, nullptr));
  EXPECT_FALSE(GetTextExtentPoint32A(font.dc(), "A", -1, &size));
  EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "A", 1, &size));
}
