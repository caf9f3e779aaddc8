// The timing calibration's arithmetic: the nearest beat, the median, the
// outlier rule and the proposal.
#include <gtest/gtest.h>

#include "game/core/offset_calibration.h"

namespace {

TEST(OffsetCalibrationTest, ATapIsMeasuredFromTheNearestBeat) {
  constexpr double kPeriod = 600.0;
  EXPECT_DOUBLE_EQ(TOffsetCalibration::DeviationFromNearestBeat(1230.0, 0.0, kPeriod), 30.0);
  EXPECT_DOUBLE_EQ(TOffsetCalibration::DeviationFromNearestBeat(1170.0, 0.0, kPeriod), -30.0);
  EXPECT_DOUBLE_EQ(TOffsetCalibration::DeviationFromNearestBeat(1699.0, 200.0, kPeriod), 299.0);
  EXPECT_DOUBLE_EQ(TOffsetCalibration::DeviationFromNearestBeat(1701.0, 200.0, kPeriod), -299.0);
  // Before the first beat there is no earlier one to be late for.
  EXPECT_DOUBLE_EQ(TOffsetCalibration::DeviationFromNearestBeat(-500.0, 0.0, kPeriod), -500.0);
}

TEST(OffsetCalibrationTest, MedianOfOddAndEvenCountsAndOfNothing) {
  EXPECT_FALSE(TOffsetCalibration::Median({}).has_value());
  EXPECT_DOUBLE_EQ(*TOffsetCalibration::Median({5.0}), 5.0);
  EXPECT_DOUBLE_EQ(*TOffsetCalibration::Median({9.0, -1.0, 4.0}), 4.0);
  EXPECT_DOUBLE_EQ(*TOffsetCalibration::Median({9.0, -1.0, 4.0, 6.0}), 5.0);
}

TEST(OffsetCalibrationTest, TapsFarFromTheMedianAreDroppedAndEightGoodOnesMakeAProposal) {
  TOffsetCalibration calibration;
  // Seven good taps around 40 ms and two stray ones: not yet enough.
  for (double tap : {38.0, 45.0, 41.0, 250.0, 36.0, 44.0, -90.0, 40.0, 39.0}) calibration.AddTap(tap);
  EXPECT_EQ(calibration.TapCount(), 9);
  EXPECT_EQ(calibration.GoodTapCount(), 7);
  EXPECT_FALSE(calibration.Ready());
  EXPECT_FALSE(calibration.ProposedOffsetMs().has_value());
  // Exactly 80 ms from the median (40) still counts; the eighth good tap.
  calibration.AddTap(120.0);
  EXPECT_EQ(calibration.GoodTapCount(), 8);
  ASSERT_TRUE(calibration.Ready());
  // Median of 36 38 39 40 41 44 45 120: (40 + 41) / 2, rounded half away from zero.
  EXPECT_EQ(calibration.ProposedOffsetMs(), 41);
  const std::vector<double> good = calibration.GoodTaps();
  EXPECT_EQ(std::count(good.begin(), good.end(), 250.0), 0);
  EXPECT_EQ(std::count(good.begin(), good.end(), -90.0), 0);
  calibration.Clear();
  EXPECT_EQ(calibration.TapCount(), 0);
}

TEST(OffsetCalibrationTest, TheProposalStaysInsideTheSettingsRange) {
  TOffsetCalibration late;
  TOffsetCalibration early;
  for (int i = 0; i < TOffsetCalibration::kNeededTaps; ++i) {
    late.AddTap(260.0 + i);
    early.AddTap(-275.0 - i);
  }
  EXPECT_EQ(late.ProposedOffsetMs(), kOffsetMaxMs);
  EXPECT_EQ(early.ProposedOffsetMs(), kOffsetMinMs);
}

}  // namespace
