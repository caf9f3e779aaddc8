// The judgement with the bar under the keys: the step that judges a drop
// reads the held keys' path at its own moment, so drops laid along the path
// are caught and drops where the bar stood a few steps before are missed,
// while the mouse never moves.
#include <gtest/gtest.h>

#include <cmath>

#include "game/core/bar_motion.h"
#include "tests/sequencer/sequencer_fixture.h"

namespace {

constexpr int kHalfWidth = 10;
constexpr int kStartX = 100;
constexpr int kMouseX = kStartX;

int LaneAt(double x) { return static_cast<int>(std::lround((x - 2.0) / 5.0)); }

class BarPathJudgementTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    Motion.SetClock([this] { return static_cast<double>(Player->PositionMs.load()); });
    Player->BarMotion = &Motion;
  }
  TBarMotion Motion;
};

}  // namespace

TEST_F(BarPathJudgementTest, DropsOnTheHeldKeysPathAreCaughtAndDropsBehindItAreMissed) {
  // Right held from 0 to 400 ms, then dash left from 600 ms on.
  const double walk = kWalkPxPerMs;
  const auto pathAt = [&](double t) {
    if (t <= 400.0) return kStartX + walk * t;
    if (t <= 600.0) return kStartX + walk * 400.0;
    return std::max(0.0, kStartX + walk * 400.0 - kDashPxPerMs * (t - 600.0));
  };
  struct TDrop {
    uint32_t TimeMs;
    double X;
    bool Caught;
  };
  // On the path at the judging step (the first one past the drop's time),
  // and 30 px behind it: where the bar was some 50 ms earlier, as a frame
  // drawn before a key change would have it.
  const std::vector<TDrop> drops = {
      {100, pathAt(105), true},      {200, pathAt(205) - 30, false}, {300, pathAt(305), true},
      {500, pathAt(505), true},      {700, pathAt(705), true},       {800, pathAt(805) + 30, false},
      {900, pathAt(905), true},
  };
  std::vector<TTestNote> notes;
  for (const TDrop& d : drops) notes.push_back({d.TimeMs, 0, 60});
  Load(NotesSong(notes, 1200));
  Bar(kMouseX, kHalfWidth);
  const std::vector<TMidiEventItemNoteOn*> items = ItemsOf<TMidiEventItemNoteOn>(*Player);
  ASSERT_EQ(items.size(), drops.size());
  for (size_t i = 0; i < drops.size(); ++i) items[i]->Lane = LaneAt(drops[i].X);

  Motion.Take(TBarInput::Keyboard, kStartX, kMouseX, 0.0);
  Motion.SetVelocity(KeyVelocity(false, true, false), 0.0);
  // The key changes happen between steps, as the window's events do.
  Player->Playing = true;
  Player->Tick(0);
  while (Player->Playing) {
    const int32_t at = Player->PositionMs.load();
    if (at == 400) Motion.SetVelocity(KeyVelocity(false, false, false), 400.0);
    if (at == 600) Motion.SetVelocity(KeyVelocity(true, false, true), 600.0);
    Player->Tick(kStepMs);
  }
  for (size_t i = 0; i < drops.size(); ++i) {
    EXPECT_EQ(items[i]->Caught.load(), drops[i].Caught) << "drop at " << drops[i].TimeMs << " ms";
  }
  EXPECT_EQ(Player->GoodCount, 5);
  EXPECT_EQ(Player->BadCount, 2);
}

