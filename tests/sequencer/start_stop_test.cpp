// Start with its count-in, Stop, and the real timer: a game stopped or
// restarted during the count-in never gets a timer, the timer's own step ends
// the game, and stopping waits for a step in progress. The timer tests
// synchronise with latches; nothing here measures time.
#include <atomic>
#include <future>
#include <thread>

#include "game/sequencer/game_cues.h"
#include "tests/sequencer/sequencer_fixture.h"

namespace {

using std::chrono::seconds;

// Generous: only a broken sequencer makes a test wait this long.
constexpr seconds kLivenessLimit{60};

class StartTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    Load(NotesSong({{3, 0, 60}, {5000, 0, 62}}, 6000));
    Bar(-1000, 15);  // nothing is caught by accident
  }

  // Every frame of the count-in runs this (after counting it).
  void OnFrame(std::function<void(int frame)> action) {
    HeadlessApplication().SetIdleHandler([this, action](void* sender, bool& done) {
      EXPECT_EQ(sender, Player.get());
      ++m_frames;
      if (action) action(m_frames);
      done = true;
    });
  }

  int m_frames = 0;
};

TEST_F(StartTest, TheCountInShowsReadyFramesThenTheTimerRuns) {
  for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) note->Caught = true;
  Player->VoiceOn = true;
  TPlayedSoundRecorder sounds;
  bool timerOffDuringCountIn = true;
  bool positionZeroDuringCountIn = true;
  bool playingDuringCountIn = true;
  OnFrame([&](int) {
    timerOffDuringCountIn = timerOffDuringCountIn && Player->Timer.TimerId == 0u;
    positionZeroDuringCountIn = positionZeroDuringCountIn && Player->PositionMs == 0;
    playingDuringCountIn = playingDuringCountIn && Player->Playing;
  });
  EXPECT_TRUE(Player->Start());
  EXPECT_EQ(m_frames, TMidiPlayV::kCountInFrames);
  EXPECT_TRUE(timerOffDuringCountIn);
  EXPECT_TRUE(positionZeroDuringCountIn);
  EXPECT_TRUE(playingDuringCountIn);
  EXPECT_NE(Player->Timer.TimerId, 0u);
  for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) EXPECT_FALSE(note->Caught);
  ASSERT_EQ(sounds.Names().size(), 1u);
  EXPECT_TRUE(sounds.Names()[0] == "wav\\HajimeC@08.wav" || sounds.Names()[0] == "wav\\IkuyoA@08.wav");
  const auto messages = m_recorder->Messages();
  ASSERT_FALSE(messages.empty());
  EXPECT_TRUE(messages.front().Reset);  // the ports are reset before the count-in

  EXPECT_TRUE(Player->Stop());
  EXPECT_EQ(Player->Timer.TimerId, 0u);
  EXPECT_FALSE(Player->Playing);
}

TEST_F(StartTest, StopDuringTheCountInLeavesTheTimerOff) {
  OnFrame([&](int frame) {
    if (frame == 3) Player->Stop();
  });
  EXPECT_FALSE(Player->Start());
  EXPECT_EQ(m_frames, 3);
  EXPECT_EQ(Player->Timer.TimerId, 0u);
  EXPECT_FALSE(Player->Timer.Enabled);
  EXPECT_FALSE(Player->Playing);
}

TEST_F(StartTest, ClosingDuringTheCountInLeavesTheTimerOff) {
  OnFrame([&](int frame) {
    if (frame == 1) Player->ClosePorts();
  });
  EXPECT_FALSE(Player->Start());
  EXPECT_EQ(m_frames, 1);
  EXPECT_EQ(Player->Timer.TimerId, 0u);
}

TEST_F(StartTest, PlayAgainDuringTheCountInStartsOneGameWithOneTimer) {
  bool nestedStarted = false;
  OnFrame([&](int frame) {
    if (frame != 5) return;
    // What the Play handler does: stop, rewind, start afresh.
    Player->Stop();
    Player->Seek(0);
    nestedStarted = Player->Start();
  });
  EXPECT_FALSE(Player->Start());  // the first game was replaced
  EXPECT_TRUE(nestedStarted);
  EXPECT_EQ(m_frames, 5 + TMidiPlayV::kCountInFrames);  // the outer count-in did not go on
  EXPECT_NE(Player->Timer.TimerId, 0u);
  EXPECT_TRUE(Player->Playing);
  EXPECT_TRUE(Player->Stop());
  EXPECT_EQ(Player->Timer.TimerId, 0u);
}

TEST_F(StartTest, TheTimersOwnStepEndsTheGameAndStopsItsTimer) {
  Load(NotesSong({{3, 0, 60}, {6, 0, 64}}, 30));
  Bar(2, 2147483646);
  std::promise<void> stopped;
  Player->OnStop = [&](TMidiPlayV*) { stopped.set_value(); };
  ASSERT_TRUE(Player->Start());
  ASSERT_EQ(stopped.get_future().wait_for(kLivenessLimit), std::future_status::ready);
  // OnStop comes first in the end step; Stop waits for the rest of it.
  Player->Stop();
  EXPECT_EQ(Player->Timer.TimerId, 0u);
  EXPECT_FALSE(Player->Playing);
  EXPECT_EQ(Player->PositionMs, Player->EndTime);
  EXPECT_EQ(Player->GoodCount, 2);
  EXPECT_EQ(Player->PlayCount, 1);
  EXPECT_EQ(SequencerCues::ReadPlayCount(Settings()), 1);
  EXPECT_EQ(SentNoteOns().size(), 2u);
}

// A sequencer whose end-of-game notification stops the timer from inside
// its own step (as the end step does) and then holds the step until released.
class THeldAtStopPlayer : public TMidiPlayV {
 public:
  using TMidiPlayV::TMidiPlayV;
  void DoStop() override {
    Timer.SetEnabled(false);
    entered.set_value();
    release.get_future().wait();
    finished = true;
  }
  std::promise<void> entered;
  std::promise<void> release;
  std::atomic<bool> finished{false};
};

TEST_F(StartTest, StopWaitsForAStepThatStoppedItsOwnTimer) {
  Player->ClosePorts();
  auto held = std::make_unique<THeldAtStopPlayer>(nullptr, Settings());
  held->AddPlayDevice(static_cast<int32_t>(m_recorder->DeviceId()));
  held->OpenPorts();
  held->SetCountInSleep([](DWORD) {});
  TTrackBuilder track;
  track.EndOfTrack(0);  // one event: the first step ends the game
  ASSERT_TRUE(LoadBytes(*held, TSmfBuilder(kMsDivision, 0).Track(track).Bytes()));
  held->Seek(0);
  ASSERT_TRUE(held->Start());
  ASSERT_EQ(held->entered.get_future().wait_for(kLivenessLimit), std::future_status::ready);

  std::atomic<bool> stopCalled{false};
  bool stepFinishedWhenStopReturned = false;
  std::thread stopper([&] {
    stopCalled = true;
    held->Stop();
    stepFinishedWhenStopReturned = held->finished;
  });
  while (!stopCalled) std::this_thread::yield();
  held->release.set_value();
  stopper.join();
  EXPECT_TRUE(stepFinishedWhenStopReturned);
  held->ClosePorts();
  held.reset();  // the step's thread has let go of the timer: nothing is left to touch it
}

}  // namespace
