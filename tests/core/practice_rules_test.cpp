// The rules of practice games: the loop is swapped, widened and clamped and
// always lies inside the song and lasts at least 2 s (or the whole song);
// the speed stays on its 5 % grid from 50 % to 100 %; the passes count what
// each added; a click on the strip lands inside the song, in order, and on
// the column it was made on.
#include <gtest/gtest.h>

#include "game/core/practice_rules.h"

namespace {

TEST(PracticeLoopTest, TheRangeIsSwappedWidenedAndClampedAndAlwaysFitsTheSong) {
  TPracticeLoop loop;
  EXPECT_FALSE(loop.Range(60000));
  loop.SetA(30000);
  EXPECT_FALSE(loop.Range(60000));  // B not set yet
  loop.SetB(10000);
  EXPECT_EQ(loop.Range(60000), (TPracticeRange{10000, 30000}));  // swapped
  loop.SetB(30500);
  EXPECT_EQ(loop.Range(60000), (TPracticeRange{30000, 32000}));  // widened at its end
  loop.SetA(59500);
  loop.SetB(59000);
  EXPECT_EQ(loop.Range(60000), (TPracticeRange{58000, 60000}));  // widened at its start
  loop.SetB(90000);
  EXPECT_EQ(loop.Range(60000), (TPracticeRange{58000, 60000}));  // B past the end
  loop.SetA(0);
  EXPECT_EQ(loop.Range(1500), (TPracticeRange{0, 1500}));  // a short song loops whole
  // Every pair of marks, every song length: inside, ordered, long enough.
  for (int32_t end : {0, 1999, 2000, 7000, 60000}) {
    for (int32_t a = -1000; a <= 70000; a += 1700) {
      for (int32_t b = -1000; b <= 70000; b += 2300) {
        loop.SetA(a);
        loop.SetB(b);
        const TPracticeRange range = *loop.Range(end);
        EXPECT_LE(0, range.FromMs);
        EXPECT_LE(range.FromMs, range.ToMs);
        EXPECT_LE(range.ToMs, end);
        EXPECT_GE(range.ToMs - range.FromMs, std::min(end, TPracticeLoop::kShortestLoopMs));
      }
    }
  }
  loop.Clear();
  EXPECT_FALSE(loop.A());
}

TEST(PracticeSpeedTest, StepsOfFivePercentBetweenHalfAndFullSpeed) {
  TPracticeSpeed speed;
  EXPECT_EQ(speed.Percent(), 100);
  EXPECT_FALSE(speed.Faster());
  int steps = 0;
  while (speed.Slower()) ++steps;
  EXPECT_EQ(steps, 10);
  EXPECT_EQ(speed.Percent(), 50);
  EXPECT_DOUBLE_EQ(speed.Factor(), 0.5);
  EXPECT_EQ(TPracticeSpeed(7).Percent(), 50);
  EXPECT_EQ(TPracticeSpeed(83).Percent(), 80);
  EXPECT_EQ(TPracticeSpeed(400).Percent(), 100);
}

TEST(PracticePassesTest, EachPassCountsWhatItAddedToTheGame) {
  TPracticePasses passes;
  passes.Begin(5, 1);  // the game had counted before the loop began
  EXPECT_EQ(passes.Current(9, 1).Good, 4);
  const TPracticePasses::TPass first = passes.End(12, 3);
  EXPECT_EQ(first.Number, 1);
  EXPECT_EQ(first.Good, 7);
  EXPECT_EQ(first.Bad, 2);
  const TPracticePasses::TPass second = passes.End(20, 3);
  EXPECT_EQ(second.Number, 2);
  EXPECT_EQ(second.Good, 8);
  EXPECT_EQ(second.Bad, 0);
  EXPECT_EQ(passes.Completed(), 2);
  EXPECT_EQ(passes.Current(20, 3).Number, 3);
}

TEST(PracticeStripTest, AClickLandsInsideTheSongInOrderAndOnItsOwnColumn) {
  constexpr int kWidth = 640;
  for (int32_t end : {1, 999, 61234, 3600000}) {
    int32_t previous = -1;
    for (int x = -5; x < kWidth + 5; ++x) {
      const int32_t t = PracticeStrip::TimeAt(x, kWidth, end);
      EXPECT_GE(t, 0);
      EXPECT_LE(t, end);
      EXPECT_GE(t, previous);
      previous = t;
      if (x >= 0 && x < kWidth && end >= 2 * kWidth) {  // at least 2 ms per column
        EXPECT_EQ(PracticeStrip::ColumnOf(t, kWidth, end), x) << end;
      }
    }
  }
  EXPECT_EQ(PracticeStrip::TimeAt(100, kWidth, 0), 0);
  const std::vector<int> density = PracticeStrip::Density({0, 10, 30000, 59999, 60000, 70000}, kWidth, 60000);
  EXPECT_EQ(density.front(), 2);
  EXPECT_EQ(density[320], 1);
  EXPECT_EQ(density.back(), 3);  // the end, and past it
}

}  // namespace
