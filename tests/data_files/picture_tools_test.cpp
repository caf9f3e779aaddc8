// The drawing pieces behind the pictures: compositing, supersampled
// coverage, the bitmap encoder and the FreeType lettering.
#include "tools/make_pictures/bmp_writer.h"
#include "tools/make_pictures/font_text.h"
#include "tools/make_pictures/picture_canvas.h"
#include "tools/make_pictures/pictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(PictureTools, BrokenTextAndMissingGlyphsAreRefused) {
  EXPECT_THROW(DecodeUtf8("\xE3\x81"), EFontError);   // ends inside a character
  EXPECT_THROW(DecodeUtf8("\x80"), EFontError);       // stray continuation byte
  EXPECT_THROW(DecodeUtf8("\xE3\x41\x41"), EFontError);
  EXPECT_THROW(FontFace("/nonexistent/font.ttf", 20), EFontError);
  // DejaVu Sans has no kanji: the lettering must fail loudly, not draw boxes.
  const PictureFonts fonts = FindPictureFonts();
  FontFace latin(fonts.latinBold, 20);
  EXPECT_THROW(latin.Render("雨"), EFontError);
}

TEST(PictureTools, DecodesUtf8) {
  EXPECT_EQ(DecodeUtf8("A\xC3\xA9\xE9\x9B\xA8\xF0\x9F\x8C\xA7"), (std::u32string{U'A', U'é', U'雨', U'\U0001F327'}));
  EXPECT_TRUE(DecodeUtf8("").empty());
}

TEST(PictureTools, FindsInstalledFonts) {
  const PictureFonts fonts = FindPictureFonts();
  EXPECT_TRUE(std::filesystem::is_regular_file(fonts.latinBold)) << fonts.latinBold;
  EXPECT_TRUE(std::filesystem::is_regular_file(fonts.japanese)) << fonts.japanese;
  FontFace japanese(fonts.japanese, 22);
  const AlphaMask mask = japanese.Render("ルフナ");
  EXPECT_GT(mask.Width(), 3 * 15);  // three full-width glyphs at 22 px
  float ink = 0.0F;
  for (int y = 0; y < mask.Height(); ++y) {
    for (int x = 0; x < mask.Width(); ++x) ink += mask.At(x, y);
  }
  EXPECT_GT(ink, 50.0F);
}

TEST(PictureTools, TrackingWidensText) {
  const PictureFonts fonts = FindPictureFonts();
  FontFace face(fonts.latinBold, 40);
  const int plain = face.Measure("READY").width;
  face.SetTracking(6);
  EXPECT_EQ(face.Measure("READY").width, plain + 4 * 6);  // between five letters
  EXPECT_GT(face.Measure("READY").ascent, 20);
}

TEST(PictureTools, BlendCompositesOver) {
  Canvas canvas(2, 1, Rgba{0.0F, 0.0F, 0.0F, 1.0F});
  canvas.Blend(0, 0, Rgba{1.0F, 1.0F, 1.0F, 1.0F}, 0.5F);
  EXPECT_NEAR(canvas.At(0, 0).r, 0.5F, 1e-6);
  EXPECT_NEAR(canvas.At(0, 0).a, 1.0F, 1e-6);
  // Over a clear pixel the colour stays itself and only alpha is partial.
  Canvas clear(1, 1);
  clear.Blend(0, 0, Rgba{0.2F, 0.4F, 0.6F, 1.0F}, 0.25F);
  EXPECT_NEAR(clear.At(0, 0).g, 0.4F, 1e-6);
  EXPECT_NEAR(clear.At(0, 0).a, 0.25F, 1e-6);
  // Points outside are ignored rather than written past the pixels.
  canvas.Blend(-1, 0, Rgba{1, 1, 1, 1}, 1.0F);
  canvas.Blend(2, 0, Rgba{1, 1, 1, 1}, 1.0F);
  EXPECT_EQ(canvas.At(1, 0).r, 0.0F);
}

TEST(PictureTools, ShapesAreSupersampled) {
  Canvas canvas(4, 1);
  // A rectangle covering the left half of pixel 1 and all of pixel 0.
  canvas.FillRect(0.0, 0.0, 1.5, 1.0, Rgba{1, 1, 1, 1});
  EXPECT_NEAR(canvas.At(0, 0).a, 1.0F, 1e-6);
  EXPECT_NEAR(canvas.At(1, 0).a, 0.5F, 1e-6);
  EXPECT_EQ(canvas.At(2, 0).a, 0.0F);
}

TEST(PictureTools, BlurKeepsTheInkAndSpreadsIt) {
  AlphaMask mask(21, 21);
  mask.Ref(10, 10) = 1.0F;
  const AlphaMask blurred = mask.Blurred(2);
  float sum = 0.0F;
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 21; ++x) sum += blurred.At(x, y);
  }
  EXPECT_NEAR(sum, 1.0F, 1e-4);
  EXPECT_GT(blurred.At(12, 10), 0.0F);
  EXPECT_LT(blurred.At(10, 10), 0.5F);
  EXPECT_EQ(mask.Dilated(2).At(12, 10), 1.0F);
  EXPECT_EQ(mask.Dilated(2).At(12, 12), 0.0F);  // outside the disc of radius 2
}

TEST(PictureTools, EncodesBottomUpRowsPaddedToFourBytes) {
  Canvas canvas(3, 2);
  canvas.Ref(0, 0) = Rgba{1.0F, 0.0F, 0.0F, 1.0F};  // top left red
  canvas.Ref(2, 1) = Rgba{0.0F, 0.0F, 1.0F, 0.5F};  // bottom right half-clear blue
  const std::vector<std::uint8_t> bmp24 = EncodeBmp(canvas, BmpKind::Opaque24);
  ASSERT_EQ(bmp24.size(), 54U + 2 * 12);  // 9 bytes of pixels padded to 12 per row
  EXPECT_EQ(bmp24[0], 'B');
  EXPECT_EQ(bmp24[2], 78);   // file size
  EXPECT_EQ(bmp24[10], 54);  // pixel offset
  EXPECT_EQ(bmp24[14], 40);  // info header size
  EXPECT_EQ(bmp24[28], 24);
  // The first stored row is the bottom one: its last pixel is blue (BGR).
  EXPECT_EQ(bmp24[54 + 6], 255);
  EXPECT_EQ(bmp24[54 + 8], 0);
  // The second stored row is the top one: red first.
  EXPECT_EQ(bmp24[54 + 12 + 2], 255);
  EXPECT_EQ(bmp24[54 + 12 + 0], 0);

  const std::vector<std::uint8_t> bmp32 = EncodeBmp(canvas, BmpKind::Alpha32);
  ASSERT_EQ(bmp32.size(), 54U + 2 * 12);
  EXPECT_EQ(bmp32[28], 32);
  EXPECT_EQ(bmp32[54 + 8 + 3], 128);  // alpha 0.5 rounds to 128
  EXPECT_EQ(ChannelByte(-1.0F), 0);
  EXPECT_EQ(ChannelByte(2.0F), 255);
}

TEST(PictureTools, RandomSequenceIsFixed) {
  // The pictures must come out the same on every machine.
  PictureRandom a(7);
  PictureRandom b(7);
  for (int i = 0; i < 100; ++i) {
    const double v = a.Next();
    EXPECT_EQ(v, b.Next());
    EXPECT_GE(v, 0.0);
    EXPECT_LT(v, 1.0);
  }
  const double n = FractalNoise(3.3, 4.4, 11, 5);
  EXPECT_EQ(n, FractalNoise(3.3, 4.4, 11, 5));
  EXPECT_GE(n, 0.0);
  EXPECT_LE(n, 1.0);
}

}  // namespace
