// The bar's path under held keys and the stick: positions at every 5 ms step
// against the formula x0 + v * (t - t0), the field's edges, both keys held,
// the mouse's hand-over, the event clock's mapping.
#include <gtest/gtest.h>

#include <cmath>

#include "game/core/bar_motion.h"
#include "game/core/play_field_size.h"

namespace {

constexpr double kStepMs = 5.0;
constexpr double kOnePx = 1.0;

class BarMotionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Motion.SetClock([this] { return Now; });
  }
  double Now = 1000.0;
  TBarMotion Motion;
};

// Press at t0, release at t1: every step from before the press to well after
// the release lies within a pixel of the path.
void ExpectHeldKeyPath(TBarMotion& motion, bool dash, double t0, double t1, int x0) {
  const double speed = dash ? kDashPxPerMs : kWalkPxPerMs;
  const auto expectOnPath = [&](double t) {
    const double expected = x0 + speed * (std::min(t, t1) - t0);
    ASSERT_NEAR(motion.XAt(t), expected, kOnePx) << "at " << t - t0 << " ms";
    ASSERT_LE(std::abs(motion.BarX(-5000, t) - expected), kOnePx);
  };
  motion.Take(TBarInput::Keyboard, x0, x0, t0);
  motion.SetVelocity(KeyVelocity(false, true, dash), t0);
  // The steps while the key is held see the piece of the press...
  for (double t = t0; t < t1; t += kStepMs) expectOnPath(t);
  motion.SetVelocity(KeyVelocity(false, false, dash), t1);
  // ...and the ones after the release the bar standing where it ended.
  for (double t = t1; t <= t1 + 200.0; t += kStepMs) expectOnPath(t);
}

}  // namespace

TEST_F(BarMotionTest, AHeldKeyFollowsTheFormulaBetweenPressAndRelease) {
  ExpectHeldKeyPath(Motion, false, 1000.0, 1400.0, 20);
  ExpectHeldKeyPath(Motion, true, 5000.0, 5237.0, 100);
  // Half a second of walking: 312.5 px.
  Motion.Take(TBarInput::Keyboard, 10, 10, 9000.0);
  Motion.SetVelocity(KeyVelocity(false, true, false), 9000.0);
  EXPECT_NEAR(Motion.XAt(9500.0), 322.5, kOnePx);
}

TEST_F(BarMotionTest, PiecesJoinWhereTheLastOneBroughtTheBarAndStopAtTheEdges) {
  Motion.Take(TBarInput::Keyboard, 300, 300, 0.0);
  Motion.SetVelocity(KeyVelocity(true, false, true), 0.0);  // dash left
  EXPECT_NEAR(Motion.XAt(100.0), 175.0, kOnePx);
  EXPECT_EQ(Motion.XAt(1000.0), 0.0);  // held against the edge
  // Walking right from the edge starts at once, not from beyond it.
  Motion.SetVelocity(KeyVelocity(false, true, false), 1000.0);
  EXPECT_NEAR(Motion.XAt(1100.0), 62.5, kOnePx);
  Motion.SetVelocity(KeyVelocity(false, true, true), 1100.0);
  EXPECT_EQ(Motion.XAt(10000.0), kPlayFieldWidth - 1.0);
  // A reader a moment behind the change sees the piece's start.
  Motion.SetVelocity(KeyVelocity(true, false, false), 20000.0);
  EXPECT_EQ(Motion.XAt(19990.0), kPlayFieldWidth - 1.0);
}

TEST_F(BarMotionTest, TheStickSpeedGrowsFromTheDeadZoneToDashSpeed) {
  const double deadZone = 0.15;
  EXPECT_EQ(StickVelocity(0.15, deadZone), 0.0);
  EXPECT_EQ(StickVelocity(-0.1, deadZone), 0.0);
  EXPECT_DOUBLE_EQ(StickVelocity(1.0, deadZone), kDashPxPerMs);
  EXPECT_DOUBLE_EQ(StickVelocity(-1.0, deadZone), -kDashPxPerMs);
  EXPECT_DOUBLE_EQ(StickVelocity(0.575, deadZone), kDashPxPerMs / 2);
  double last = 0.0;
  for (double d = 0.0; d <= 1.0; d += 0.01) {
    const double v = StickVelocity(d, deadZone);
    EXPECT_GE(v, last);
    EXPECT_DOUBLE_EQ(StickVelocity(-d, deadZone), -v);
    last = v;
  }
  EXPECT_EQ(StickVelocity(std::nan(""), deadZone), 0.0);
}

TEST_F(BarMotionTest, TheMouseTakesTheBarBackWhenItMovesMoreThanFourPixels) {
  EXPECT_EQ(Motion.BarX(-30, 0.0), -30);  // the mouse's own x, wherever it is
  Motion.Take(TBarInput::Keyboard, 100, 100, 0.0);
  Motion.SetVelocity(kWalkPxPerMs, 0.0);
  EXPECT_FALSE(Motion.MouseMoved(104));
  EXPECT_FALSE(Motion.MouseMoved(96));
  EXPECT_EQ(Motion.Owner(), TBarInput::Keyboard);
  EXPECT_EQ(Motion.BarX(96, 160.0), 200);
  EXPECT_TRUE(Motion.MouseMoved(105));
  EXPECT_EQ(Motion.Owner(), TBarInput::Mouse);
  EXPECT_EQ(Motion.BarX(105, 160.0), 105);
  // Speeds set while the mouse has the bar do nothing.
  Motion.SetVelocity(kDashPxPerMs, 200.0);
  EXPECT_EQ(Motion.BarX(105, 400.0), 105);
  // A key takes it again where the player sees it.
  Motion.Take(TBarInput::Gamepad, 105, 105, 400.0);
  Motion.SetVelocity(-kDashPxPerMs, 400.0);
  EXPECT_EQ(Motion.Owner(), TBarInput::Gamepad);
  EXPECT_NEAR(Motion.XAt(440.0), 55.0, kOnePx);
}

TEST_F(BarMotionTest, EventStampsMapByTheShortestDelivery) {
  TEventTimeMap map;
  // The window system's clock runs 7000 ms behind; deliveries take 3, 1, 6 ms.
  EXPECT_DOUBLE_EQ(map.ToLocalMs(1000, 8003.0), 8003.0);
  EXPECT_DOUBLE_EQ(map.ToLocalMs(1100, 8101.0), 8101.0);
  EXPECT_DOUBLE_EQ(map.ToLocalMs(1200, 8206.0), 8201.0);
  EXPECT_DOUBLE_EQ(map.ToLocalMs(1000, 8300.0), 8300.0) << "a stamp far behind: its clock restarted";
  EXPECT_DOUBLE_EQ(map.ToLocalMs(1010, 8312.0), 8310.0);
  EXPECT_DOUBLE_EQ(map.ToLocalMs(0, 9000.0), 9000.0) << "an unstamped event counts as received now";
}

TEST_F(BarMotionTest, TheStartTimeSurvivesTheClockWrap) {
  // Eight ticks a millisecond in 32 bits wrap after about six days.
  const double sixDays = 6.3 * 24 * 3600 * 1000.0;
  Motion.Take(TBarInput::Keyboard, 0, 0, Now + sixDays);
  Motion.SetVelocity(kWalkPxPerMs, Now + sixDays);
  EXPECT_NEAR(Motion.XAt(Now + sixDays + 800.0), 500.0, kOnePx);
}
