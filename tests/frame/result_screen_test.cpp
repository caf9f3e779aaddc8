// The idle screens: background, title, result screen with its Good and Bad
// lines, awards and scenario line, and the caches of the text textures.
#include <gtest/gtest.h>

#include "frame_fixture.h"

namespace {

class IdleScreenTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    PlainPictures();
    Plain(graphics->BackTexture, 640, 480, 0xFF808080u);  // grey: white and half-black both show
    Plain(graphics->TitleTexture, 100, 40, 0xFFFFFFFFu);
    Plain(graphics->ResultTexture, 100, 40, 0xFFFFFFFFu);
    Plain(graphics->GoodTexture, 50, 20, 0xFFFFFFFFu);
    Plain(graphics->BadTexture, 50, 20, 0xFFFFFFFFu);
    Plain(graphics->PerfectPlayTexture, 100, 20, 0xFFFFFFFFu);
    Plain(graphics->NicePlayTexture, 100, 20, 0xFFFFFFFFu);
    song.EndTime = 60000;
    field->ScenarioLines = {"one", "two", "three"};
  }
  void Finish(int good, int bad, int playCount) {
    song.PositionMs = song.EndTime;
    song.GoodCount = good;
    song.BadCount = bad;
    input.PlayCount = playCount;
  }
  // Any pixel in [x0, x1) x [y0, y1) other than rgb.
  bool AnyOtherThan(uint32_t rgb, int x0, int x1, int y0, int y1) const {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        if (capture.At(x, y) != rgb) return true;
      }
    }
    return false;
  }
  // The rightmost column in [0, 640) x [y0, y1) whose pixel is not rgb; -1 when none.
  int RightmostOtherThan(uint32_t rgb, int y0, int y1) const {
    for (int x = 639; x >= 0; --x) {
      for (int y = y0; y < y1; ++y) {
        if (capture.At(x, y) != rgb) return x;
      }
    }
    return -1;
  }

  static constexpr uint32_t kGrey = 0x808080u;
  static constexpr uint32_t kHalfBlackOnGrey = 0x404040u;  // 0x80000000 on a white picture over grey
  static constexpr int kAwardX = 640 - static_cast<int>(kRainWidth) - 100 + 50;
};

TEST_F(IdleScreenTest, TitleUntilAGameHasJudgedADrop) {
  ASSERT_TRUE(Draw());
    EXPECT_TRUE(Near(capture.At(60, 60), kHalfBlackOnGrey));
  EXPECT_EQ(capture.At(60, 155), kGrey);  // no Good label
  EXPECT_EQ(capture.At(300, 300), kGrey);
  Finish(0, 0, 1);  // at the end, but nothing judged
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(60, 155), kGrey);
  Finish(5, 5, 1);
  song.PositionMs = song.EndTime - 1;  // stopped before the end
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(60, 155), kGrey);
  EXPECT_EQ(field->TextRenders(), 0);
}

TEST_F(IdleScreenTest, ResultLinesAreRightAlignedBesideTheRainPicture) {
  Finish(123, 6, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->GoodLineCache, "123 : 95%");
  EXPECT_EQ(field->BadLineCache, "6 :  5%");
  EXPECT_TRUE(Near(capture.At(60, 155), kHalfBlackOnGrey));  // Good label
  EXPECT_TRUE(Near(capture.At(60, 205), kHalfBlackOnGrey));  // Bad label
  // Both lines end at the same column: 50 pixels right of the rain
  // picture's left edge (540), less the pen's trailing space.
  const int goodRight = RightmostOtherThan(kGrey, 145, 190);
  const int badRight = RightmostOtherThan(kGrey, 200, 240);
  EXPECT_LE(goodRight, 589);
  EXPECT_GE(goodRight, 560);
  EXPECT_NEAR(goodRight, badRight, 1);
  // The Good line starts further left than the shorter Bad line.
  EXPECT_TRUE(AnyOtherThan(kGrey, 330, 420, 145, 190));
  EXPECT_FALSE(AnyOtherThan(kGrey, 330, 420, 205, 240));
}

TEST_F(IdleScreenTest, PerfectPlayWithoutMisses) {
  Finish(100, 0, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->GoodLineCache, "100 :100%");
  EXPECT_EQ(field->BadLineCache, "0 :  0%");
  // 0x80FF0000 over the white picture over black.
  EXPECT_TRUE(Near(capture.At(kAwardX + 10, 265), 0xBF4040u));
  EXPECT_TRUE(Near(capture.At(kAwardX + 99, 269), 0xBF4040u));
  EXPECT_EQ(capture.At(kAwardX - 1, 265), kGrey);
}

TEST_F(IdleScreenTest, NicePlayFromNinetyPercentWithMisses) {
  Finish(9, 1, 0);  // exactly 0.9
  ASSERT_TRUE(Draw());
  EXPECT_TRUE(Near(capture.At(kAwardX + 10, 265), 0x408040u));  // 0x80008000 on white over grey
  Finish(8, 1, 0);  // 0.89
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(kAwardX + 10, 265), kGrey);
}

TEST_F(IdleScreenTest, ScenarioLineFollowsThePlayCountUntilTheScriptEnds) {
  for (int game = 1; game <= 3; ++game) {
    Finish(10, 1, game);
    ASSERT_TRUE(Draw());
    EXPECT_EQ(field->ScenarioLineCache, field->ScenarioLines[static_cast<size_t>(game - 1)]) << game;
    EXPECT_TRUE(AnyOtherThan(kGrey, 15, 200, 420, 460)) << game;  // white text on grey
  }
  Finish(10, 1, 4);
  ASSERT_TRUE(Draw());
  EXPECT_FALSE(AnyOtherThan(kGrey, 15, 200, 420, 460));
}

TEST_F(IdleScreenTest, NoScenarioLineBeforeThePlayCountIsRaised) {
  Finish(10, 1, 0);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->ScenarioLineCache, "");
  EXPECT_FALSE(AnyOtherThan(kGrey, 15, 200, 420, 460));
  EXPECT_EQ(field->TextRenders(), 2);  // the Good and Bad lines only
}

TEST_F(IdleScreenTest, TextTexturesAreRenderedOnlyWhenTheirTextChanges) {
  Finish(10, 1, 1);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TextRenders(), 3);
  const std::vector<uint32_t> first = capture.Pixels;
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TextRenders(), 3);
  EXPECT_EQ(capture.Pixels, first);  // the cached textures draw the same frame
  Finish(11, 1, 1);  // both percentages change
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TextRenders(), 5);
  Finish(11, 1, 2);  // a new scenario line only
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->TextRenders(), 6);
}

TEST_F(IdleScreenTest, BackgroundLiesBehindTheOverlayWhateverTheOrder) {
  Plain(graphics->BackTexture, 640, 480, 0xFF0000FFu);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(capture.At(300, 300), 0x0000FFu);
  // The title (half black over white) is drawn over the blue background.
  EXPECT_TRUE(Near(capture.At(60, 60), 0x00007Fu));
}

}  // namespace
