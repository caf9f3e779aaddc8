// The record lines of the result screen: MAX COMBO and the difficulty
// always, BEST and NEW RECORD while records are kept, right-aligned with the Good and Bad lines
// in the rows between the award and the scenario line; every designed pixel
// outside those rows stays as it was.
#include <gtest/gtest.h>

#include "frame_fixture.h"
#include "platform/kernel/cp932.h"

namespace {

class ResultRecordsTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    PlainPictures();
    Plain(graphics->BackTexture, 640, 480, 0xFF808080u);
    Plain(graphics->ResultTexture, 100, 40, 0xFFFFFFFFu);
    Plain(graphics->GoodTexture, 50, 20, 0xFFFFFFFFu);
    Plain(graphics->BadTexture, 50, 20, 0xFFFFFFFFu);
    Plain(graphics->PerfectPlayTexture, 100, 52, 0xFFFFFFFFu);
    Plain(graphics->NicePlayTexture, 100, 52, 0xFFFFFFFFu);
    song.EndTime = 60000;
    field->ScenarioLines = {"one", "two"};
  }
  void Finish(int good, int bad, int maxCombo) {
    song.PositionMs = song.EndTime;
    song.GoodCount = good;
    song.BadCount = bad;
    song.MaxCombo = maxCombo;
    input.PlayCount = 2;
  }
  void Best(int good, int bad) {
    input.RecordsOn = true;
    input.HasBest = true;
    input.BestGood = good;
    input.BestBad = bad;
  }
  // Columns x in [0, 640) of rows [y0, y1) with a pixel other than rgb; -1 when none.
  int Rightmost(uint32_t rgb, int y0, int y1) const {
    for (int x = 639; x >= 0; --x) {
      for (int y = y0; y < y1; ++y) {
        if (capture.At(x, y) != rgb) return x;
      }
    }
    return -1;
  }
  int RightmostNear(uint32_t rgb, int y0, int y1) const {
    for (int x = 639; x >= 0; --x) {
      for (int y = y0; y < y1; ++y) {
        if (Near(capture.At(x, y), rgb, 8)) return x;
      }
    }
    return -1;
  }

  static constexpr uint32_t kGrey = 0x808080u;
  static constexpr int kRecordRowsTop = 302;     // below the 52-pixel award at 250
  static constexpr int kRecordRowsBottom = 354;  // above the roofs and the scenario line
  static constexpr int kComboTop = 302, kBestTop = 326, kLineHeight = 24;
};

TEST_F(ResultRecordsTest, TheLinesOnlyFillTheFreeRowsAndEndWithTheResultLines) {
  // Records off: the combo line alone.
  Finish(95, 5, 40);
  ASSERT_TRUE(Draw());
  const std::vector<uint32_t> recordsOff = capture.Pixels;
  EXPECT_EQ(field->ComboLineCache, "MAX COMBO 40");
  EXPECT_NE(Rightmost(kGrey, kComboTop, kComboTop + kLineHeight), -1);
  EXPECT_EQ(Rightmost(kGrey, kBestTop, kRecordRowsBottom), -1);

  // Records on with a beaten best: all three lines.
  Best(90, 10);
  Finish(95, 5, 12345);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->BestLineCache, "BEST 95%");
  EXPECT_EQ(field->NewRecordLineCache, "NEW RECORD");
  for (int y = 0; y < 480; ++y) {
    if (y >= kRecordRowsTop && y < kRecordRowsBottom) continue;
    for (int x = 0; x < 640; ++x) {
      ASSERT_EQ(capture.At(x, y), recordsOff[static_cast<size_t>(y) * 640 + x] & 0x00FFFFFFu)
          << "a designed pixel changed at " << x << ", " << y;
    }
  }
  // Right-aligned with the Good line, 50 pixels right of the rain picture.
  const int goodRight = Rightmost(kGrey, 145, 190);
  EXPECT_NEAR(Rightmost(kGrey, kComboTop, kComboTop + kLineHeight), goodRight, 3);
  EXPECT_NEAR(Rightmost(kGrey, kBestTop, kBestTop + kLineHeight), goodRight, 3);
  // NEW RECORD in the perfect-play red (0x80FF0000 over grey), on the best
  // line left of the best, and nowhere on the combo line.
  const int redRight = RightmostNear(0xBF4040u, kBestTop, kBestTop + kLineHeight);
  ASSERT_NE(redRight, -1);
  EXPECT_LT(redRight, goodRight - 60);
  EXPECT_EQ(RightmostNear(0xBF4040u, kComboTop, kBestTop), -1);
}

TEST_F(ResultRecordsTest, TheBestIsTheEarlierOneUnlessThisGameBeatIt) {
  Best(99, 1);
  Finish(97, 3, 20);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->BestLineCache, "BEST 99%");
  EXPECT_EQ(RightmostNear(0xBF4040u, kBestTop, kBestTop + kLineHeight), -1);
  // Equal is no new record.
  Finish(198, 2, 20);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->BestLineCache, "BEST 99%");
  EXPECT_EQ(RightmostNear(0xBF4040u, kBestTop, kBestTop + kLineHeight), -1);
  // A first game of the song is its best and beats nothing.
  input.HasBest = false;
  Finish(2, 1, 2);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->BestLineCache, "BEST 67%");
  EXPECT_EQ(RightmostNear(0xBF4040u, kBestTop, kBestTop + kLineHeight), -1);
}

TEST_F(ResultRecordsTest, RecordLinesAreRenderedOnlyWhenTheyChangeAndNotOnThePlayField) {
  // Their textures come with the first result screen, beside the designed set.
  const size_t designed = graphics->VX().ResourceList.size();
  EXPECT_EQ(graphics->ComboTextTexture, nullptr);
  Best(1, 1);
  Finish(10, 0, 10);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(graphics->VX().ResourceList.size(), designed + 4);
  ASSERT_NE(graphics->NewRecordTextTexture, nullptr);
  const int renders = field->RecordTextRenders();
  EXPECT_EQ(renders, 3);
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->RecordTextRenders(), renders);
  // The title screen and the play field draw none of them.
  song.PositionMs = 0;
  ASSERT_TRUE(Draw());
  EXPECT_EQ(Rightmost(kGrey, kComboTop, kRecordRowsBottom), -1);
  input.Playing = true;
  song.PositionMs = 1000;
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->RecordTextRenders(), renders);
  EXPECT_EQ(Rightmost(kWhiteRgb, kComboTop, TPlayField::kBarTopY), -1);  // white field above the bar
}

TEST_F(ResultRecordsTest, TheDifficultyStandsUnderTheLabelsOnTheComboRow) {
  Finish(95, 5, 40);
  ASSERT_TRUE(Draw());
  const std::vector<uint32_t> without = capture.Pixels;
  const int renders = field->RecordTextRenders();
  // Records off: the difficulty still shows, in the record rows from the
  // combo's top and the labels' left edge, well left of the combo line, and
  // nowhere else.
  input.DifficultyLine = Utf8ToCp932("難易度 3.4");
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->DifficultyLineCache, input.DifficultyLine);
  EXPECT_EQ(field->RecordTextRenders(), renders + 1);
  int left = 640, right = -1;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      if (capture.At(x, y) == (without[static_cast<size_t>(y) * 640 + x] & 0x00FFFFFFu)) continue;
      ASSERT_GE(y, kComboTop) << x;
      ASSERT_LT(y, kRecordRowsBottom) << x;
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  EXPECT_GE(left, 50);
  EXPECT_LT(left, 60);
  EXPECT_GT(right, left + 60);  // three kanji and the figure
  const int comboRight = Rightmost(kGrey, kComboTop, kComboTop + kLineHeight);
  EXPECT_LT(right, comboRight - 150);
  // Drawn again unchanged, it is not rendered again; a new figure is.
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->RecordTextRenders(), renders + 1);
  input.DifficultyLine = Utf8ToCp932("難易度 7.5");
  ASSERT_TRUE(Draw());
  EXPECT_EQ(field->RecordTextRenders(), renders + 2);
}

}  // namespace
