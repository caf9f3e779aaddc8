// The eleven pictures as the game loads them from build/bin/bmp: valid
// Windows bitmaps of the documented kind, sized so that the screens the
// game composes from them fit, with the contrast the game's tints need.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
constexpr int kLanePitch = 5;
constexpr int kResultLeftX = 50;
constexpr int kGoodLabelY = 150;
constexpr int kBadLabelY = 200;
constexpr int kAwardRightReach = 50;  // awards end 50 px right of the rain picture's left edge
constexpr int kScenarioTop = 420;
constexpr int kStatusBarTop = 461;

struct Pixel {
  std::uint8_t r, g, b, a;
};

// A bitmap read back independently of the writer: BITMAPFILEHEADER, a
// 40-byte BITMAPINFOHEADER, BI_RGB rows bottom-up.
struct Bitmap {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::vector<Pixel> pixels;  // top row first
  const Pixel& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

std::uint32_t U32(const std::vector<std::uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }

Bitmap ParseBitmap(const std::vector<std::uint8_t>& b, const std::string& name) {
  const auto fail = [&](const std::string& what) { throw std::runtime_error(name + ": " + what); };
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') fail("no BM header");
  if (U32(b, 2) != b.size()) fail("file size field " + std::to_string(U32(b, 2)) + " differs from the file");
  if (U32(b, 14) != 40) fail("info header is not 40 bytes");
  Bitmap bmp;
  bmp.width = static_cast<std::int32_t>(U32(b, 18));
  bmp.height = static_cast<std::int32_t>(U32(b, 22));
  if (U16(b, 26) != 1) fail("planes is not 1");
  bmp.bitsPerPixel = U16(b, 28);
  if (U32(b, 30) != 0) fail("compressed");
  if (bmp.width <= 0 || bmp.height <= 0) fail("not a positive size (a bottom-up bitmap)");
  if (bmp.bitsPerPixel != 24 && bmp.bitsPerPixel != 32) fail("neither 24 nor 32 bits a pixel");
  const size_t bytesPerPixel = static_cast<size_t>(bmp.bitsPerPixel) / 8;
  const size_t row = (static_cast<size_t>(bmp.width) * bytesPerPixel + 3) / 4 * 4;
  const size_t offset = U32(b, 10);
  if (offset < 54 || offset + row * static_cast<size_t>(bmp.height) > b.size()) fail("pixel rows run past the file");
  if (U32(b, 34) != 0 && U32(b, 34) != row * static_cast<size_t>(bmp.height)) fail("image size field is wrong");
  for (int y = 0; y < bmp.height; ++y) {
    const size_t start = offset + row * static_cast<size_t>(bmp.height - 1 - y);
    for (int x = 0; x < bmp.width; ++x) {
      const size_t p = start + static_cast<size_t>(x) * bytesPerPixel;
      bmp.pixels.push_back(Pixel{b[p + 2], b[p + 1], b[p], bytesPerPixel == 4 ? b[p + 3] : std::uint8_t{255}});
    }
  }
  return bmp;
}

Bitmap LoadPicture(const std::string& name) {
  const fs::path path = fs::path(PLUV_BIN_DIR) / "bmp" / name;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path.string() + " is missing beside the executable");
  return ParseBitmap(std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()),
                     name);
}

double Luminance(const Pixel& p) { return (0.2126 * p.r + 0.7152 * p.g + 0.0722 * p.b) / 255.0; }

double MeanLuminance(const Bitmap& bmp, int x0, int y0, int x1, int y1) {
  double sum = 0.0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) sum += Luminance(bmp.At(x, y));
  }
  return sum / ((x1 - x0) * (y1 - y0));
}

TEST(PictureFiles, ParserRefusesBrokenBitmaps) {
  std::vector<std::uint8_t> tiny(54, 0);
  tiny[0] = 'B';
  tiny[1] = 'M';
  EXPECT_THROW(ParseBitmap(tiny, "tiny"), std::runtime_error);  // size field 0
  EXPECT_THROW(ParseBitmap({'B', 'M'}, "short"), std::runtime_error);
  // A valid 1x1 24-bit bitmap cut short by one byte of its row.
  std::vector<std::uint8_t> one = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                                   1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                   10, 20, 30, 0};
  const Bitmap ok = ParseBitmap(one, "one");
  EXPECT_EQ(ok.At(0, 0).r, 30);
  EXPECT_EQ(ok.At(0, 0).b, 10);
  one.pop_back();
  one[2] = 57;
  EXPECT_THROW(ParseBitmap(one, "cut"), std::runtime_error);
}

TEST(PictureFiles, EveryPictureIsABitmapOfItsKind) {
  // Opaque pictures are 24-bit; those whose alpha shapes them are 32-bit.
  const std::vector<std::pair<std::string, int>> kinds = {
      {"ball.bmp", 32},  {"flash.bmp", 24}, {"rain.bmp", 32},     {"back.bmp", 24},
      {"title.bmp", 32}, {"result.bmp", 32}, {"ready.bmp", 32},   {"good.bmp", 32},
      {"bad.bmp", 32},   {"niceplay.bmp", 32}, {"perfectplay.bmp", 32},
  };
  for (const auto& [name, bits] : kinds) {
    SCOPED_TRACE(name);
    const Bitmap bmp = LoadPicture(name);
    EXPECT_EQ(bmp.bitsPerPixel, bits);
    if (bits != 32) continue;
    // Alpha carries a shape: fully clear and fully solid pixels both occur.
    bool clear = false;
    bool solid = false;
    for (const Pixel& p : bmp.pixels) {
      clear = clear || p.a == 0;
      solid = solid || p.a == 255;
    }
    EXPECT_TRUE(clear || name == "rain.bmp") << "no transparent pixel";
    EXPECT_TRUE(solid) << "no solid pixel";
  }
}

TEST(PictureFiles, LetteringIsWhiteSoTheTintDecides) {
  // The game multiplies these by its vertex colour: any colour in them would
  // shift the tint, and a dark fringe would show at the letters' edges.
  for (const char* name : {"title.bmp", "result.bmp", "ready.bmp", "good.bmp", "bad.bmp", "niceplay.bmp",
                           "perfectplay.bmp"}) {
    SCOPED_TRACE(name);
    const Bitmap bmp = LoadPicture(name);
    for (const Pixel& p : bmp.pixels) {
      ASSERT_TRUE(p.r == 255 && p.g == 255 && p.b == 255) << "a pixel that is not white";
    }
  }
}

TEST(PictureFiles, BallIsOneLaneWideAndShapedLikeADrop) {
  const Bitmap ball = LoadPicture("ball.bmp");
  EXPECT_EQ(ball.width, kLanePitch);
  EXPECT_GT(ball.height, ball.width);
  // Round and solid at the bottom middle, a thin point at the top.
  EXPECT_EQ(ball.At(kLanePitch / 2, ball.height - 2).a, 255);
  EXPECT_LT(ball.At(0, 0).a, 64);
  EXPECT_LT(ball.At(kLanePitch - 1, 0).a, 64);
  // Light tones with a white highlight, so the cyan tint stays bright.
  int brightest = 0;
  for (const Pixel& p : ball.pixels) {
    if (p.a > 128) brightest = std::max(brightest, static_cast<int>(p.g));
  }
  EXPECT_GE(brightest, 240);
}

TEST(PictureFiles, FlashSitsOnPureWhite) {
  // White is keyed out; everything else must not be white, or holes appear.
  const Bitmap flash = LoadPicture("flash.bmp");
  const auto isWhite = [](const Pixel& p) { return p.r == 255 && p.g == 255 && p.b == 255; };
  EXPECT_TRUE(isWhite(flash.At(0, 0)));
  EXPECT_TRUE(isWhite(flash.At(flash.width - 1, 0)));
  EXPECT_TRUE(isWhite(flash.At(0, flash.height - 1)));
  EXPECT_TRUE(isWhite(flash.At(flash.width - 1, flash.height - 1)));
  int coloured = 0;
  int strong = 0;
  for (const Pixel& p : flash.pixels) {
    if (!isWhite(p)) ++coloured;
    if (Luminance(p) < 0.6) ++strong;  // visible at the splash's low alpha
  }
  EXPECT_GT(coloured, static_cast<int>(flash.pixels.size()) / 10);
  EXPECT_GT(strong, static_cast<int>(flash.pixels.size()) / 20);
  // The splash's centre is solid colour.
  EXPECT_FALSE(isWhite(flash.At(flash.width / 2, flash.height / 2)));
}

TEST(PictureFiles, BackgroundFillsTheWindowAndCarriesBothTexts) {
  const Bitmap back = LoadPicture("back.bmp");
  ASSERT_EQ(back.width, kClientWidth);
  ASSERT_EQ(back.height, kClientHeight);
  // Dark lettering at half alpha sits on the top part, the white scenario
  // line at the bottom: light above, dark below.
  EXPECT_GT(MeanLuminance(back, 40, 40, 560, 300), 0.45);
  EXPECT_LT(MeanLuminance(back, 0, kScenarioTop, kClientWidth, kStatusBarTop), 0.25);
}

TEST(PictureFiles, ResultScreenPiecesFitTheWindow) {
  const Bitmap rain = LoadPicture("rain.bmp");
  // A strip at the right edge, tall enough to stretch to 480 rows cleanly.
  EXPECT_LT(rain.width, kClientWidth / 4);
  EXPECT_GE(rain.height, kClientHeight / 2);
  const Bitmap title = LoadPicture("title.bmp");
  EXPECT_LE(kResultLeftX + title.width, kClientWidth);
  EXPECT_LE(kResultLeftX + title.height, kScenarioTop);
  // The Good label must not reach the Bad label below it.
  EXPECT_LE(kGoodLabelY + LoadPicture("good.bmp").height, kBadLabelY + 10);
  EXPECT_LE(LoadPicture("result.bmp").height, kGoodLabelY - kResultLeftX);
  for (const char* award : {"niceplay.bmp", "perfectplay.bmp"}) {
    const Bitmap bmp = LoadPicture(award);
    const int left = kClientWidth - rain.width - bmp.width + kAwardRightReach;
    EXPECT_GE(left, 0) << award << " starts left of the window";
  }
  const Bitmap ready = LoadPicture("ready.bmp");
  EXPECT_LT(ready.width, kClientWidth);
  EXPECT_LT(ready.height, kClientHeight);
}

}  // namespace
