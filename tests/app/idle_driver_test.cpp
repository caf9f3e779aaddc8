#include "game/app/idle_driver.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include "tests/support/qt_test_app.h"

namespace {

using namespace std::chrono_literals;
using TClock = TFramePacer::TClock;

TEST(FramePacerTest, WaitsOnePeriodAfterTheFirstFrame) {
  TFramePacer pacer(16'666'667ns);
  const TClock::time_point t0{};
  EXPECT_EQ(pacer.NextDelay(t0 + 1s), 17ms);  // rounded up to whole milliseconds
}

TEST(FramePacerTest, KeepsTheFramesOnTheirPeriodWithoutDrift) {
  TFramePacer pacer(10ms);
  const TClock::time_point t0 = TClock::time_point{} + 5s;
  EXPECT_EQ(pacer.NextDelay(t0), 10ms);
  // The frame drawn 3 ms late waits only for the rest of its period.
  EXPECT_EQ(pacer.NextDelay(t0 + 13ms), 7ms);
  EXPECT_EQ(pacer.NextDelay(t0 + 20ms), 10ms);
  EXPECT_EQ(pacer.NextDelay(t0 + 30ms), 10ms);
}

TEST(FramePacerTest, ALateFrameIsDueAtOnceAndAVeryLateOneRestarts) {
  TFramePacer pacer(10ms);
  const TClock::time_point t0 = TClock::time_point{} + 5s;
  EXPECT_EQ(pacer.NextDelay(t0), 10ms);
  // Due at t0+10, drawn at t0+19: the next one at t0+20 comes 1 ms later.
  EXPECT_EQ(pacer.NextDelay(t0 + 19ms), 1ms);
  // More than a period behind: no burst of catch-up frames, a fresh start.
  EXPECT_EQ(pacer.NextDelay(t0 + 100ms), 10ms);
  EXPECT_EQ(pacer.NextDelay(t0 + 110ms), 10ms);
  pacer.Reset();
  EXPECT_EQ(pacer.NextDelay(t0 + 111ms), 10ms);
}

class IdleDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    QCoreApplication::processEvents();
  }
};

TEST_F(IdleDriverTest, ADoneHandlerRunsOnceAndThenWaitsForAnEvent) {
  int calls = 0;
  TIdleDriver driver([&](bool& done) {
    ++calls;
    EXPECT_TRUE(done);  // starts True
  });
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(driver.Waiting());
  // Nothing happened: it does not spin.
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  // Any event wakes it, once.
  QObject target;
  QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(driver.Waiting());
}

TEST_F(IdleDriverTest, AHandlerThatDrewStaysScheduled) {
  int calls = 0;
  bool keepDrawing = true;
  TIdleDriver driver([&](bool& done) {
    ++calls;
    if (keepDrawing) done = false;
  });
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(driver.Waiting());
  // Run it directly, as the count-in does: the schedule stays as it is.
  keepDrawing = false;
  EXPECT_TRUE(driver.RunIdleHandler());
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(driver.Waiting());
}

TEST_F(IdleDriverTest, WakeAfterWaitingRunsTheHandlerAgain) {
  int calls = 0;
  TIdleDriver driver([&](bool&) { ++calls; });
  QCoreApplication::processEvents();
  ASSERT_TRUE(driver.Waiting());
  driver.Wake();
  EXPECT_FALSE(driver.Waiting());
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(driver.RunCount(), 2);
}

TEST_F(IdleDriverTest, AHandlerThatRunsTheLoopItselfIsNotReentered) {
  int calls = 0;
  int depth = 0;
  int maxDepth = 0;
  TIdleDriver* self = nullptr;
  TIdleDriver driver([&](bool&) {
    ++calls;
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    if (calls == 1) self->RunIdleHandler();
    --depth;
  });
  self = &driver;
  QCoreApplication::processEvents();
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(calls, 1);
}

}  // namespace
