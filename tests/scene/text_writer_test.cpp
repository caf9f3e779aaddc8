// The text writer and its glyph cache: the Shift-JIS walk, span clipping,
// grey levels, the most-recently-used buckets, glyph identity by face, height
// and style, clipping at both edges, stopping at the image width, and a line
// of Japanese text drawn through the scene compared with a reference image.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/pixel_format.h"
#include "platform/kernel/cp932.h"
#include "scene/nqlib9.h"
#include "scene_fixture.h"
#include "stored_png.h"

namespace {

constexpr uint32_t kOpaqueBlue = 0xFF0000FFu;
constexpr uint32_t kTransparentWhite = 0x00FFFFFFu;
const std::string kGothic = Utf8ToCp932("ＭＳ ゴシック");

uint32_t CodeOf(const char* utf8) {
  const std::string s = Utf8ToCp932(utf8);
  size_t pos = 0;
  return ReadSjisCode(s, pos);
}

// The pixel of a glyph entry (A8R8G8B8).
uint32_t GlyphPixel(const TNQFontCacheData& e, uint32_t x, uint32_t y) {
  uint32_t p = 0;
  std::memcpy(&p, e.Data.data() + static_cast<size_t>(y) * e.Pitch + x * 4, 4);
  return p;
}

class TextWriterTest : public WrapperTest {
 protected:
  void SetUp() override {
    WrapperTest::SetUp();
    StartWrapper(320, 48);
    m_writer = std::make_unique<TNQTextWriter>(m_vx.get(), D3DFMT_A8R8G8B8, 16);
    m_writer->GetFont().SetName(kGothic);
    m_writer->GetFont().SetSize(12);
  }
  void TearDown() override {
    m_writer.reset();
    WrapperTest::TearDown();
  }
  TNQFontCache& Cache() { return m_writer->Cache(); }
  const TNQFontCacheData& Glyph(uint32_t code) { return Cache().Get(code, m_writer->GetFont()); }

  std::unique_ptr<TNQTextWriter> m_writer;
};

// ---------------------------------------------------------------------------
// The byte walk and span clipping
// ---------------------------------------------------------------------------

std::vector<uint32_t> Codes(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t pos = 0; pos < s.size();) out.push_back(ReadSjisCode(s, pos));
  return out;
}

TEST(ShiftJisWalkTest, LatinHiraganaAndHalfWidthKanaMakeThreeCharacters) {
  EXPECT_EQ(Codes("\x41\x82\xA0\xB1"), (std::vector<uint32_t>{0x41, 0x82A0, 0xB1}));
}

TEST(ShiftJisWalkTest, ATrailingLeadByteStandsAlone) {
  EXPECT_EQ(Codes("A\x82"), (std::vector<uint32_t>{0x41, 0x82}));
  EXPECT_EQ(Codes("\x9F"), (std::vector<uint32_t>{0x9F}));
}

TEST(ShiftJisWalkTest, LeadByteRanges) {
  EXPECT_EQ(Codes("\x80\x81\x40"), (std::vector<uint32_t>{0x80, 0x8140}));
  EXPECT_EQ(Codes("\xE0\x40\xDF\xA0"), (std::vector<uint32_t>{0xE040, 0xDF, 0xA0}));
  EXPECT_EQ(Codes("\xFF\x41\x9F\xFC"), (std::vector<uint32_t>{0xFF41, 0x9FFC}));
}

TEST(ClipSpanTest, SpansOutsideAreRejected) {
  int32_t pos = 100, size = 10, skip = -1;
  EXPECT_FALSE(ClipSpan(pos, size, 100, skip));
  pos = -10, size = 10;
  EXPECT_FALSE(ClipSpan(pos, size, 100, skip));
  pos = 5, size = 0;
  EXPECT_TRUE(ClipSpan(pos, size, 100, skip));  // empty but inside: nothing to copy
  EXPECT_EQ(size, 0);
  pos = 0, size = 0;
  EXPECT_FALSE(ClipSpan(pos, size, 100, skip));
}

TEST(ClipSpanTest, CutsBothEnds) {
  int32_t pos = -5, size = 12, skip = -1;
  ASSERT_TRUE(ClipSpan(pos, size, 100, skip));
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(size, 7);
  EXPECT_EQ(skip, 5);
  pos = 95, size = 12;
  ASSERT_TRUE(ClipSpan(pos, size, 100, skip));
  EXPECT_EQ(pos, 95);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(skip, 0);
  pos = -3, size = 200;
  ASSERT_TRUE(ClipSpan(pos, size, 100, skip));
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(size, 100);
  EXPECT_EQ(skip, 3);
}

// ---------------------------------------------------------------------------
// Glyph bitmaps to pixels
// ---------------------------------------------------------------------------

TEST(GlyphConversionTest, GreyLevelsBecomeAlpha) {
  EXPECT_EQ(GreyLevelAlpha(64), 255u);
  EXPECT_EQ(GreyLevelAlpha(63), 252u);
  EXPECT_EQ(GreyLevelAlpha(32), 128u);
  EXPECT_EQ(GreyLevelAlpha(0), 0u);
  // Three pixels a row: source rows 4 bytes apart, the pad byte ignored.
  const uint8_t src[8] = {64, 63, 32, 99, 0, 1, 64, 99};
  std::vector<uint8_t> out(2 * 12, 0xEE);
  ConvertGlyphBitmap(src, true, 3, 2, 4, D3DFMT_A8R8G8B8, out.data(), 12);
  const auto px = [&](int i) {
    uint32_t p;
    std::memcpy(&p, out.data() + 4 * i, 4);
    return p;
  };
  EXPECT_EQ(px(0), 0xFFFFFFFFu);
  EXPECT_EQ(px(1), 0xFCFFFFFFu);
  EXPECT_EQ(px(2), 0x80FFFFFFu);
  EXPECT_EQ(px(3), 0x00FFFFFFu);
  EXPECT_EQ(px(4), 0x04FFFFFFu);
  EXPECT_EQ(px(5), 0xFFFFFFFFu);
  EXPECT_EQ(GlyphBitmapBytes(true, 3, 2), 8u);
}

TEST(GlyphConversionTest, OneBitRowsReadFromTheHighBit) {
  // Ten pixels a row: two bytes of bits, rows padded to four bytes.
  const uint8_t src[8] = {0xA0, 0x40, 0x77, 0x77, 0x00, 0xC0, 0x77, 0x77};
  std::vector<uint8_t> out(2 * 20, 0xEE);
  ConvertGlyphBitmap(src, false, 10, 2, 2, D3DFMT_A4R4G4B4, out.data(), 20);
  const uint16_t on = static_cast<uint16_t>(EncodeARGB(255, 255, 255, 255, D3DFMT_A4R4G4B4));
  const uint16_t off = static_cast<uint16_t>(EncodeARGB(0, 255, 255, 255, D3DFMT_A4R4G4B4));
  const auto px = [&](int row, int x) {
    uint16_t p;
    std::memcpy(&p, out.data() + row * 20 + 2 * x, 2);
    return p;
  };
  EXPECT_EQ(px(0, 0), on);
  EXPECT_EQ(px(0, 1), off);
  EXPECT_EQ(px(0, 2), on);
  EXPECT_EQ(px(0, 3), off);
  EXPECT_EQ(px(0, 9), on);
  EXPECT_EQ(px(0, 8), off);
  EXPECT_EQ(px(1, 8), on);
  EXPECT_EQ(px(1, 9), on);
  EXPECT_EQ(px(1, 0), off);
  EXPECT_EQ(GlyphBitmapBytes(false, 10, 2), 8u);
}

// ---------------------------------------------------------------------------
// The cache
// ---------------------------------------------------------------------------

TEST_F(TextWriterTest, AKanjiGlyphHasInk) {
  const uint32_t rain = CodeOf("雨");
  const TNQFontCacheData& e = Glyph(rain);
  EXPECT_EQ(e.Code, rain);
  EXPECT_EQ(e.FontName, kGothic);
  EXPECT_EQ(e.FontHeight, -16);
  ASSERT_GT(e.Width, 8u);
  ASSERT_GT(e.Height, 8u);
  EXPECT_EQ(e.Pitch, e.Width * 4);
  ASSERT_EQ(e.Data.size(), static_cast<size_t>(e.Pitch) * e.Height);
  int full = 0, partial = 0;
  for (uint32_t y = 0; y < e.Height; ++y) {
    for (uint32_t x = 0; x < e.Width; ++x) {
      const uint32_t p = GlyphPixel(e, x, y);
      EXPECT_EQ(p & 0x00FFFFFFu, 0x00FFFFFFu);
      const uint32_t a = p >> 24;
      full += a == 255;
      partial += a > 0 && a < 255;
    }
  }
  EXPECT_GT(full, 10);
  EXPECT_GT(partial, 0);  // grey levels: the glyph is antialiased
  EXPECT_EQ(e.AdvanceX, m_writer->TextWidth(Utf8ToCp932("雨")));
  EXPECT_GE(e.TopOffset, 0);
}

TEST_F(TextWriterTest, ASpaceHasNoPixelsButAdvances) {
  const TNQFontCacheData& e = Glyph(0x20);
  EXPECT_TRUE(e.Data.empty());
  EXPECT_GT(e.AdvanceX, 0);
}

TEST_F(TextWriterTest, OneBitGlyphsAreFullyOpaqueOrClear) {
  Cache().Antialiased = false;
  const TNQFontCacheData& e = Glyph(CodeOf("雨"));
  ASSERT_FALSE(e.Data.empty());
  int ink = 0;
  for (uint32_t y = 0; y < e.Height; ++y) {
    for (uint32_t x = 0; x < e.Width; ++x) {
      const uint32_t a = GlyphPixel(e, x, y) >> 24;
      EXPECT_TRUE(a == 0 || a == 255) << a;
      ink += a == 255;
    }
  }
  EXPECT_GT(ink, 10);
}

TEST_F(TextWriterTest, TheSeventeenthGlyphOfABucketEvictsTheLeastRecentlyUsed) {
  // Kanji codes 0x88A0, 0x89A0, ... all fall in bucket 0xA0.
  const auto code = [](uint32_t k) { return 0x88A0u + k * 0x100u; };
  for (uint32_t k = 0; k < 16; ++k) Glyph(code(k));
  EXPECT_EQ(Cache().Count(0xA0), 16);
  EXPECT_EQ(Cache().RasteriseCount(), 16u);
  EXPECT_EQ(Cache().Entry(0xA0, 0).Code, code(15));
  EXPECT_EQ(Cache().Entry(0xA0, 15).Code, code(0));

  Glyph(code(0));  // a hit: most recently used now
  EXPECT_EQ(Cache().RasteriseCount(), 16u);
  EXPECT_EQ(Cache().Entry(0xA0, 0).Code, code(0));
  EXPECT_EQ(Cache().Entry(0xA0, 1).Code, code(15));
  EXPECT_EQ(Cache().Entry(0xA0, 15).Code, code(1));

  Glyph(code(16));  // a miss in a full bucket: code(1) goes
  EXPECT_EQ(Cache().RasteriseCount(), 17u);
  EXPECT_EQ(Cache().Count(0xA0), 16);
  EXPECT_EQ(Cache().Entry(0xA0, 0).Code, code(16));
  EXPECT_EQ(Cache().Entry(0xA0, 1).Code, code(0));
  for (int i = 0; i < 16; ++i) EXPECT_NE(Cache().Entry(0xA0, i).Code, code(1));
  Glyph(code(0));
  EXPECT_EQ(Cache().RasteriseCount(), 17u);
  Glyph(code(1));
  EXPECT_EQ(Cache().RasteriseCount(), 18u);
  EXPECT_EQ(Cache().Count(0x20), 0);  // other buckets untouched
}

TEST_F(TextWriterTest, SizeStyleAndFaceEachMakeTheirOwnEntry) {
  const uint32_t a = CodeOf("あ");
  const int bucket = static_cast<int>(a & 0xFF);
  m_writer->GetFont().SetSize(12);
  const uint32_t small = Glyph(a).Height;
  m_writer->GetFont().SetSize(15);
  const uint32_t large = Glyph(a).Height;
  ASSERT_EQ(Cache().Count(bucket), 2);
  EXPECT_EQ(Cache().Entry(bucket, 0).FontHeight, -20);
  EXPECT_EQ(Cache().Entry(bucket, 1).FontHeight, -16);
  EXPECT_GT(large, small);
  m_writer->GetFont().SetSize(12);
  Glyph(a);
  EXPECT_EQ(Cache().Count(bucket), 2);  // the size-12 glyph again
  EXPECT_EQ(Cache().Entry(bucket, 0).FontHeight, -16);
  m_writer->GetFont().SetStyle({fsBold});
  Glyph(a);
  EXPECT_EQ(Cache().Count(bucket), 3);
  EXPECT_EQ(Cache().Entry(bucket, 0).FontStyle, TFontStyles{fsBold}.Bits());
  m_writer->GetFont().SetStyle({});
  m_writer->GetFont().SetName(Utf8ToCp932("ＭＳ 明朝"));
  Glyph(a);
  EXPECT_EQ(Cache().Count(bucket), 4);
  EXPECT_EQ(Cache().RasteriseCount(), 4u);
}

TEST_F(TextWriterTest, SetCapacityEmptiesEveryBucket) {
  Glyph(0x41);
  Cache().SetCapacity(4);
  EXPECT_EQ(Cache().Capacity(), 4);
  EXPECT_EQ(Cache().Count(0x41), 0);
  for (uint32_t k = 0; k < 5; ++k) Glyph(0x8841u + k * 0x100u);
  EXPECT_EQ(Cache().Count(0x41), 4);
}

// ---------------------------------------------------------------------------
// Drawing into textures
// ---------------------------------------------------------------------------

TEST_F(TextWriterTest, DrawTextWalksTheBytes) {
  auto tex = MakeTexture(200, 20, kTransparentWhite);
  m_writer->DrawText(0, 0, "\x41\x82\xA0\xB1", tex.get());
  EXPECT_EQ(Cache().RasteriseCount(), 3u);
  ASSERT_EQ(Cache().Count(0x41), 1);
  EXPECT_EQ(Cache().Entry(0x41, 0).Code, 0x41u);
  ASSERT_EQ(Cache().Count(0xA0), 1);
  EXPECT_EQ(Cache().Entry(0xA0, 0).Code, 0x82A0u);
  ASSERT_EQ(Cache().Count(0xB1), 1);
  EXPECT_EQ(Cache().Entry(0xB1, 0).Code, 0xB1u);
  m_writer->DrawText(0, 0, "A\x82", tex.get());
  ASSERT_EQ(Cache().Count(0x82), 1);
  EXPECT_EQ(Cache().Entry(0x82, 0).Code, 0x82u);
}

TEST_F(TextWriterTest, TextStartingBeyondTheImageDrawsNothing) {
  auto tex = MakeTexture(40, 20, kOpaqueBlue);
  const auto before = ReadTexture(*tex);
  m_writer->DrawText(40, 0, "AB", tex.get());
  m_writer->DrawText(0, 20, "AB", tex.get());
  m_writer->DrawText(0, 0, "", tex.get());
  m_writer->DrawText(0, 0, "AB", nullptr);
  EXPECT_EQ(ReadTexture(*tex), before);
  EXPECT_EQ(Cache().RasteriseCount(), 0u);
}

TEST_F(TextWriterTest, GlyphPixelsReplaceTheTexturesPixels) {
  auto tex = MakeTexture(40, 24, kOpaqueBlue);
  const uint32_t rain = CodeOf("雨");
  m_writer->DrawText(2, 1, Utf8ToCp932("雨"), tex.get());
  const TNQFontCacheData e = Glyph(rain);
  const auto px = ReadTexture(*tex);
  const int gx = 2 + e.OriginX;
  const int gy = 1 + e.TopOffset;
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inBox = x >= gx && x < gx + static_cast<int>(e.Width) && y >= gy && y < gy + static_cast<int>(e.Height);
      const uint32_t want = inBox ? GlyphPixel(e, x - gx, y - gy) : kOpaqueBlue;
      ASSERT_EQ(px[static_cast<size_t>(y) * 40 + x], want) << x << "," << y;
    }
  }
}

TEST_F(TextWriterTest, ColumnsLeftOfZeroAreCutOff) {
  auto whole = MakeTexture(40, 20, kOpaqueBlue);
  auto cut = MakeTexture(40, 20, kOpaqueBlue);
  const std::string w = "W";
  m_writer->DrawText(0, 0, w, whole.get());
  m_writer->DrawText(-5, 0, w, cut.get());
  const auto a = ReadTexture(*whole);
  const auto b = ReadTexture(*cut);
  const TNQFontCacheData e = Glyph('W');
  ASSERT_GT(e.OriginX + static_cast<int>(e.Width), 5);  // the glyph reaches past the cut
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 35; ++x) EXPECT_EQ(b[static_cast<size_t>(y) * 40 + x], a[static_cast<size_t>(y) * 40 + x + 5]);
    for (int x = 35; x < 40; ++x) EXPECT_EQ(b[static_cast<size_t>(y) * 40 + x], kOpaqueBlue);
  }
}

TEST_F(TextWriterTest, AGlyphCrossingTheSurfacesRightEdgeIsCopiedUpToIt) {
  auto tex = MakeTexture(40, 20, kOpaqueBlue);
  ASSERT_EQ(tex->AllocWidth, 40u);
  const uint32_t rain = CodeOf("雨");
  const TNQFontCacheData e = Glyph(rain);
  const int x0 = 40 - static_cast<int>(e.Width) / 2 - e.OriginX;
  m_writer->DrawText(x0, 0, Utf8ToCp932("雨"), tex.get());
  const auto px = ReadTexture(*tex);
  const int gx = x0 + e.OriginX;
  for (int y = 0; y < static_cast<int>(e.Height); ++y) {
    for (int x = gx; x < 40; ++x) {
      EXPECT_EQ(px[static_cast<size_t>(y + e.TopOffset) * 40 + x], GlyphPixel(e, x - gx, y));
    }
  }
}

TEST_F(TextWriterTest, TheSurfaceNotTheImageLimitsAGlyph) {
  SoftwareD3DConfig().TexturePow2Only = true;
  m_vx->RebuildAllResources();
  auto tex = MakeTexture(36, 20, kOpaqueBlue);  // surface 64 x 32
  ASSERT_EQ(tex->AllocWidth, 64u);
  const TNQFontCacheData e = Glyph(CodeOf("雨"));
  m_writer->DrawText(30, 0, Utf8ToCp932("雨"), tex.get());
  const auto px = ReadTexture(*tex);
  const int gx = 30 + e.OriginX;
  int inkBeyondImage = 0;
  for (int y = 0; y < static_cast<int>(e.Height); ++y) {
    for (int x = std::max(gx, 36); x < gx + static_cast<int>(e.Width); ++x) {
      const uint32_t p = px[static_cast<size_t>(y + e.TopOffset) * 64 + x];
      EXPECT_EQ(p, GlyphPixel(e, x - gx, y));
      inkBeyondImage += (p >> 24) != 0;
    }
  }
  EXPECT_GT(inkBeyondImage, 0);
}

TEST_F(TextWriterTest, DrawingStopsOnceThePenReachesTheImageWidth) {
  const std::string text = "ABCDEFGHIJ";
  auto tex = MakeTexture(30, 20, kTransparentWhite);
  // The glyph whose advance brings the pen to 30 or beyond is the last one.
  size_t expected = 0;
  for (int pen = 0; expected < text.size() && pen < 30; ++expected) pen += m_writer->TextWidth(text.substr(expected, 1));
  ASSERT_LT(expected, text.size());
  m_writer->DrawText(0, 0, text, tex.get());
  EXPECT_EQ(Cache().RasteriseCount(), expected);
  EXPECT_EQ(Cache().Count(static_cast<unsigned char>(text[expected - 1])), 1);
  EXPECT_EQ(Cache().Count(static_cast<unsigned char>(text[expected])), 0);
}

TEST_F(TextWriterTest, TextWidthIsTheSumOfTheAdvances) {
  const std::string text = Utf8ToCp932("Good 雨あめ ｱ!");
  int32_t sum = 0;
  for (size_t pos = 0; pos < text.size();) sum += Glyph(ReadSjisCode(text, pos)).AdvanceX;
  EXPECT_EQ(m_writer->TextWidth(text), sum);
  EXPECT_GT(sum, 0);
}

TEST_F(TextWriterTest, ATextureOfAnotherFormatIsLeftAlone) {
  auto tex = std::make_unique<TVXTexture>(m_vx.get(), std::vector<D3DFORMAT>{D3DFMT_R5G6B5}, 0u, D3DPOOL_MANAGED,
                                          1u, "16-bit");
  tex->SetSize(40, 20);
  ASSERT_EQ(tex->Format, D3DFMT_R5G6B5);
  D3DLOCKED_RECT lr = tex->LockRect(0, RECT{0, 0, 40, 20}, D3DLOCK_READONLY);
  ASSERT_NE(lr.pBits, nullptr);
  const std::vector<uint8_t> before(static_cast<uint8_t*>(lr.pBits), static_cast<uint8_t*>(lr.pBits) + 20 * lr.Pitch);
  tex->UnlockRect();
  m_writer->DrawText(0, 0, "AB", tex.get());
  lr = tex->LockRect(0, RECT{0, 0, 40, 20}, D3DLOCK_READONLY);
  const std::vector<uint8_t> after(static_cast<uint8_t*>(lr.pBits), static_cast<uint8_t*>(lr.pBits) + 20 * lr.Pitch);
  tex->UnlockRect();
  EXPECT_EQ(before, after);
}

TEST_F(TextWriterTest, ATextureWithoutSurfaceGetsNothing) {
  SoftwareD3DConfig().MaxTextureWidth = 64;
  auto tex = MakeTexture(100, 20, kOpaqueBlue);  // too wide: the creation fails
  ASSERT_EQ(tex->Surface, nullptr);
  m_writer->DrawText(0, 0, "AB", tex.get());
  EXPECT_EQ(Cache().RasteriseCount(), 2u);  // glyphs were looked up, nothing was written
}

// ---------------------------------------------------------------------------
// A rendered line compared with its reference image
// ---------------------------------------------------------------------------

TEST_F(TextWriterTest, RenderedLinesMatchTheReferenceImage) {
  auto good = MakeTexture(320, 20, kTransparentWhite);
  auto line = MakeTexture(320, 24, kTransparentWhite);
  m_writer->GetFont().SetSize(12);
  m_writer->DrawText(0, 0, Utf8ToCp932("Good  194 / 194  (100.0%)"), good.get());
  m_writer->GetFont().SetSize(15);
  m_writer->DrawText(0, 0, Utf8ToCp932("雨粒をつかまえて音楽を奏でよう"), line.get());
  TNQScene scene(m_vx.get(), "");
  scene.DrawSprite(MakeVector2(6, 2), 0xFF2050C0u, good.get(), kBlendTranslucent, 0, false, 0.5f);
  scene.DrawSprite(MakeVector2(6, 22), 0xFF000000u, line.get(), kBlendTranslucent, 0, false, 0.5f);
  BeginFrame(0xFFFFFFFFu);
  scene.Render();
  EndFrame();
  ASSERT_EQ(m_capture.Width, 320);

  // Dark pixels in both lines: real glyphs were drawn.
  int inkTop = 0, inkBottom = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 320; ++x) (y < 22 ? inkTop : inkBottom) += ((m_capture.At(x, y) >> 16) & 0xFF) < 0x80;
  }
  EXPECT_GT(inkTop, 50);
  EXPECT_GT(inkBottom, 300);

  const std::string actualPath = std::string(PLUV_BIN_DIR) + "/../tests/scene_text_line_actual.png";
  WritePngFile(actualPath, m_capture.Pixels.data(), 320, 48, 320 * 4);
  TStoredPng ref;
  const std::string refPath = std::string(PLUV_TEST_DATA_DIR) + "/scene/text_line.png";
  ASSERT_TRUE(ReadStoredPng(refPath, ref)) << "no reference image " << refPath << "; this run drew " << actualPath;
  ASSERT_EQ(ref.Width, 320);
  ASSERT_EQ(ref.Height, 48);
  int mismatches = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 320; ++x) {
      const uint32_t got = m_capture.At(x, y);
      const uint32_t want = ref.Pixels[static_cast<size_t>(y) * 320 + x];
      for (int s = 0; s < 24; s += 8) {
        if (std::abs(static_cast<int>((got >> s) & 255) - static_cast<int>((want >> s) & 255)) > 2) {
          ++mismatches;
          break;
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "compare " << actualPath << " with " << refPath;
}

}  // namespace
