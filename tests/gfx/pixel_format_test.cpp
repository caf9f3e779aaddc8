// Pixel-format conversions of every format of the table.
#include <gtest/gtest.h>

#include "gfx/pixel_format.h"
#include "platform/d3d9/d3d9_types.h"

TEST(ScaleComponent, WidensFieldsToTheFullRange) {
  EXPECT_EQ(ScaleComponent(31, 5), 255u);
  EXPECT_EQ(ScaleComponent(16, 5), 131u);
  EXPECT_EQ(ScaleComponent(15, 4), 255u);
  EXPECT_EQ(ScaleComponent(3, 2), 255u);
  EXPECT_EQ(ScaleComponent(0, 6), 0u);
  EXPECT_EQ(ScaleComponent(0xFFFFFFFFu, 32), 255u);  // 64-bit arithmetic, no overflow
  EXPECT_EQ(ScaleComponent(5, 0), 0u);
}

TEST(PixelFormats, DocumentedExamples) {
  EXPECT_EQ(EncodePixel(0x80FF8040u, D3DFMT_A4R4G4B4), 0x8F84u);
  EXPECT_EQ(DecodePixel(0x8F84u, D3DFMT_A4R4G4B4), 0x88FF8844u);
  EXPECT_EQ(EncodePixel(0x00FFFFFFu, D3DFMT_A8R8G8B8), 0x00FFFFFFu);
  EXPECT_EQ(DecodePixel(0x00123456u, D3DFMT_X8R8G8B8), 0xFF123456u);
}

TEST(PixelFormats, EncodeEveryFormat) {
  const DWORD c = 0x80FF8040u;  // A 0x80, R 0xFF, G 0x80, B 0x40
  EXPECT_EQ(EncodePixel(c, D3DFMT_R8G8B8), c);  // passed unchanged
  EXPECT_EQ(EncodeARGB(0x80, 0xFF, 0x80, 0x40, D3DFMT_R8G8B8), 0xFF8040u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_X8R8G8B8), 0xFF8040u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_R5G6B5), (31u << 11) | (32u << 5) | 8u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_X1R5G5B5), (31u << 10) | (16u << 5) | 8u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_A1R5G5B5), 0x8000u | (31u << 10) | (16u << 5) | 8u);
  EXPECT_EQ(EncodePixel(0x7FFFFFFFu, D3DFMT_A1R5G5B5) & 0x8000u, 0u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_R3G3B2), (7u << 5) | (4u << 2) | 1u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_A8), 0x80u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_A8R3G3B2), 0x8000u | (7u << 5) | (4u << 2) | 1u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_X4R4G4B4), 0x0F84u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_L8), 0xFFu);
  EXPECT_EQ(EncodePixel(c, D3DFMT_A8L8), 0x80FFu);
  EXPECT_EQ(EncodePixel(c, D3DFMT_A4L4), 0x8Fu);
  EXPECT_EQ(EncodePixel(c, D3DFMT_V8U8), 0x8040u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_L6V5U5), (63u << 10) | (16u << 5) | 8u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_X8L8V8U8), 0xFF8040u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_Q8W8V8U8), c);
  EXPECT_EQ(EncodePixel(c, D3DFMT_V16U16), 0x80004000u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_P8), 0u);
  EXPECT_EQ(EncodePixel(c, D3DFMT_DXT1), 0u);
}

TEST(PixelFormats, DecodeEveryFormat) {
  EXPECT_EQ(DecodePixel(0x00123456u, D3DFMT_R8G8B8), 0xFF123456u);
  EXPECT_EQ(DecodePixel(0x12345678u, D3DFMT_A8R8G8B8), 0x12345678u);
  EXPECT_EQ(DecodePixel(0xFFFFu, D3DFMT_R5G6B5), 0xFFFFFFFFu);
  EXPECT_EQ(DecodePixel(0x8410u, D3DFMT_R5G6B5), 0xFF838183u);
  EXPECT_EQ(DecodePixel(0x7FFFu, D3DFMT_X1R5G5B5), 0xFFFFFFFFu);
  EXPECT_EQ(DecodePixel(0x7C00u, D3DFMT_A1R5G5B5), 0x00FF0000u);
  EXPECT_EQ(DecodePixel(0x801Fu, D3DFMT_A1R5G5B5), 0xFF0000FFu);
  EXPECT_EQ(DecodePixel(0x0F84u, D3DFMT_X4R4G4B4), 0xFFFF8844u);
  EXPECT_EQ(DecodePixel(0xE5u, D3DFMT_R3G3B2), 0xFFFF2455u);  // 7, 1, 1 of 7, 7, 3
  EXPECT_EQ(DecodePixel(0x40E5u, D3DFMT_A8R3G3B2), 0x40FF2455u);
  EXPECT_EQ(DecodePixel(0x7Fu, D3DFMT_A8), 0x7F000000u);
  EXPECT_EQ(DecodePixel(0x7Fu, D3DFMT_L8), 0x007F0000u);
  EXPECT_EQ(DecodePixel(0x407Fu, D3DFMT_A8L8), 0x407F0000u);
  EXPECT_EQ(DecodePixel(0xF8u, D3DFMT_A4L4), 0xFF880000u);
  EXPECT_EQ(DecodePixel(0x12345678u, D3DFMT_V8U8), 0x12345678u);
  EXPECT_EQ(DecodePixel(0x12345678u, D3DFMT_X8L8V8U8), 0x12345678u);
  EXPECT_EQ(DecodePixel(0x12345678u, D3DFMT_Q8W8V8U8), 0x12345678u);
  EXPECT_EQ(DecodePixel((63u << 10) | (16u << 5) | 8u, D3DFMT_L6V5U5), 0x00FC8040u);
  EXPECT_EQ(DecodePixel(0x12345678u, D3DFMT_V16U16), 0x5678u | (0x1234u << 8));
  EXPECT_EQ(DecodePixel(0x12345678u, D3DFMT_P8), 0u);
}

TEST(PixelFormats, RoundTripsKeepTheFormatsPrecision) {
  for (DWORD a = 0; a < 256; a += 17) {
    for (DWORD v = 0; v < 256; v += 17) {
      const DWORD c = (a << 24) | (v << 16) | ((255 - v) << 8) | v;
      EXPECT_EQ(DecodePixel(EncodePixel(c, D3DFMT_A8R8G8B8), D3DFMT_A8R8G8B8), c);
      // 4-bit fields of multiples of 17 survive exactly.
      EXPECT_EQ(DecodePixel(EncodePixel(c, D3DFMT_A4R4G4B4), D3DFMT_A4R4G4B4), c);
    }
  }
}
