// TFont, TCanvas and TBitmap, and the GDI object rules beneath them.
#include "platform/gdi/graphics.h"

#include "gdi_test_support.h"
#include "text_raster.h"

TEST(MulDiv, RoundsHalfAwayFromZeroAndRefusesZeroAndOverflow) {
  EXPECT_EQ(MulDiv(12, 96, 72), 16);
  EXPECT_EQ(MulDiv(15, 96, 72), 20);
  EXPECT_EQ(MulDiv(5, 3, 2), 8);
  EXPECT_EQ(MulDiv(-5, 3, 2), -8);
  EXPECT_EQ(MulDiv(5, -3, 2), -8);
  EXPECT_EQ(MulDiv(-16, 72, 96), -12);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 1), -1);
}

TEST(TFont, SizeInPointsIsTheNegativePixelHeightAt96Dpi) {
  TFont font;
  EXPECT_EQ(font.Name(), Utf8ToCp932("ＭＳ Ｐゴシック"));
  EXPECT_EQ(font.Height(), -12);
  EXPECT_EQ(font.Size(), 9);
  const std::uint64_t before = font.Version();
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  font.SetSize(15);
  EXPECT_EQ(font.Height(), -20);
  font.SetSize(36);
  EXPECT_EQ(font.Height(), -48);
  EXPECT_EQ(font.Size(), 36);
  EXPECT_GT(font.Version(), before);
  font.SetHeight(20);  // a cell height reads as a negative size, as in the class library
  EXPECT_EQ(font.Size(), -15);
  const std::uint64_t same = font.Version();
  font.SetHeight(20);
  font.SetColor(clWhite);
  EXPECT_EQ(font.Version(), same);
}

TEST(TFont, StylesAndNameMakeTheLogicalFont) {
  TFont font;
  font.SetStyle({fsBold, fsUnderline});
  EXPECT_EQ(font.Style().Bits(), 0b0101);
  EXPECT_TRUE(font.Style().Contains(fsBold));
  EXPECT_FALSE(font.Style().Contains(fsItalic));
  LOGFONTA lf = font.LogFont();
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfStrikeOut, 0);

  // A name too long for the field is cut before a whole character.
  std::string longName;
  for (int i = 0; i < 20; ++i) longName += Utf8ToCp932("ゴ");
  font.SetName(longName);
  lf = font.LogFont();
  EXPECT_EQ(std::string(lf.lfFaceName), longName.substr(0, 30));
  font.SetName("A" + longName);
  lf = font.LogFont();
  EXPECT_EQ(std::string(lf.lfFaceName), ("A" + longName).substr(0, 31));
}

TEST(TCanvas, TextWidthFollowsTheFont) {
  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font().SetName(Utf8ToCp932("ＭＳ ゴシック"));
  canvas.Font().SetSize(12);
  const int width12 = canvas.TextWidth("Good");
  EXPECT_EQ(width12, 4 * 8);  // monospaced: four half-width cells of 16 / 2 pixels
  SIZE extent{};
  ASSERT_TRUE(GetTextExtentPoint32A(canvas.Handle(), "Good", 4, &extent));
  EXPECT_EQ(extent.cx, width12);

  canvas.Font().SetSize(36);
  EXPECT_EQ(canvas.TextWidth("Good"), 3 * width12);
  EXPECT_EQ(canvas.TextWidth(Utf8ToCp932("雨雨")), 2 * 48);
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(canvas.Handle(), &tm));
  EXPECT_EQ(canvas.TextHeight("x"), tm.tmHeight);

  canvas.Font().SetStyle({fsBold});
  LOGFONTA lf{};
  ASSERT_TRUE(GetTextMetricsA(canvas.Handle(), &tm));
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  (void)lf;
}

TEST(TCanvas, RendersTheGameStringsWithInk) {
  TCanvas canvas;
  canvas.Font().SetName(Utf8ToCp932("ＭＳ ゴシック"));
  for (int size : {12, 15, 36}) {
    canvas.Font().SetSize(size);
    GreyImage image;
    ASSERT_TRUE(RenderLine(canvas.Handle(), Utf8ToCp932("ルフナ Good 100%"), GGO_GRAY8_BITMAP, 0, image));
    EXPECT_EQ(image.width, canvas.TextWidth(Utf8ToCp932("ルフナ Good 100%")));
    long ink = 0;
    for (std::uint8_t p : image.pixels) ink += p;
    EXPECT_GT(ink, 0) << size;
  }
}

TEST(TBitmap, TwentyFourBitRowsArePaddedToFourBytes) {
  TBitmap bitmap;
  bitmap.SetSize(4, 4);
  EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
  EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), 12);
  bitmap.SetSize(5, 2);
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), 16);
}

TEST(GdiObjects, ASelectedFontIsNotDeletedAndStockFontsSurvive) {
  LOGFONTA lf{};
  lf.lfHeight = -16;
  HFONT font = CreateFontIndirectA(&lf);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ stock = SelectObject(dc, font);
  ASSERT_NE(stock, nullptr);
  EXPECT_FALSE(DeleteObject(font));  // still selected
  LOGFONTA back{};
  EXPECT_EQ(GetObjectA(font, sizeof back, &back), static_cast<int>(sizeof back));
  EXPECT_EQ(back.lfHeight, -16);
  EXPECT_EQ(SelectObject(dc, stock), static_cast<HGDIOBJ>(font));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteObject(stock));  // a stock object: nothing is freed
  TEXTMETRICA tm{};
  EXPECT_TRUE(GetTextMetricsA(dc, &tm));  // the stock font still works
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 12);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(SelectObject(nullptr, stock), nullptr);
  EXPECT_FALSE(DeleteDC(nullptr));
}
