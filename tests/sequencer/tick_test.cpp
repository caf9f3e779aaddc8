// The timer step driven by hand: the song clock and its rounding, the tick
// position, the catch judgement, waits, due times and a song of one event.
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "tests/sequencer/sequencer_fixture.h"

namespace {

::testing::Environment* const g_audio = ::testing::AddGlobalTestEnvironment(new TOfflineAudioEnvironment);

using TickClock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// ===== The song clock =====

class ClockTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    Load(NotesSong({{5000, 0, 60}}, 6000));
  }
  int32_t After(double speed, std::initializer_list<int32_t> elapsed) {
    Player->Seek(0);
    Player->SetPlaySpeed(speed);
    for (int32_t ms : elapsed) Player->Tick(ms);
    return Player->PositionMs;
  }
};

TEST_F(ClockTest, OneStepRoundsHalfwayToEven) {
  EXPECT_EQ(After(1.5, {7}), 10);  // 10.5
  EXPECT_EQ(After(0.5, {5}), 2);   // 2.5
  EXPECT_EQ(After(1.5, {3}), 4);   // 4.5
  EXPECT_EQ(After(1.5, {9}), 14);  // 13.5
  EXPECT_EQ(After(1.0, {0}), 0);
}

TEST_F(ClockTest, TheRoundedOffFractionIsCarriedSoHalfAndOneAndAHalfSpeedKeepTheirPace) {
  // Rounding every 5 ms step on its own would give 2, 2, 2, 2 (0.4 times) and 8, 8, 8, 8.
  EXPECT_EQ(After(0.5, {5, 5, 5, 5}), 10);
  EXPECT_EQ(After(1.5, {5, 5, 5, 5}), 30);
  EXPECT_EQ(After(0.5, {0, 5, 5, 5}), 7);  // 2.5 -> 2, 5.0 -> 5, 7.5 -> 8 - 0.5 carried: 7
}

TEST_F(ClockTest, SeekForgetsTheCarriedFraction) {
  Player->SetPlaySpeed(0.5);
  Player->Tick(5);  // 2, 0.5 carried
  Player->Seek(0);
  Player->Tick(5);
  EXPECT_EQ(Player->PositionMs, 2);
}

TEST_F(ClockTest, UnusableSpeedsPlayAtNormalSpeed) {
  for (double factor : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
    Player->SetPlaySpeed(factor);
    EXPECT_EQ(Player->PlaySpeed, 1.0) << factor;
  }
  Player->SetPlaySpeed(2.0);
  EXPECT_EQ(Player->PlaySpeed, 2.0);
}

TEST_F(ClockTest, AnAbsurdElapsedTimeStaysInsideTheIntegerRange) {
  Player->PlaySpeed = 1e300;  // written directly, past SetPlaySpeed's check
  Player->Tick(5);
  EXPECT_EQ(Player->PositionMs, Player->EndTime);  // the end came at once
  EXPECT_FALSE(Player->Playing);
}

// ===== The tick position =====

TEST_F(SequencerTest, TickPositionIsInterpolatedBackFromTheNextEvent) {
  Load(NotesSong({{1000, 0, 60}}, 2000));
  Player->Seek(600);  // next: the note at 1000 ms (the beat of that tick comes after it)
  const TMidiEventItemStanderd* next = Player->Events[Player->NextIndex];
  ASSERT_EQ(next->Time, 1000);
  Player->Tick(10);  // 610 ms: 1000 + (610 - 1000) * 500 * 1000 div 500000 = 1000 - 390
  EXPECT_EQ(Player->PositionTicks, 610);
}

TEST_F(SequencerTest, TickPositionWrapsLikeThirtyTwoBitIntegers) {
  // 16 s per quarter note at division 960: the next event lies 16 s ahead, and
  // (-15990 ms) * 960 * 1000 leaves the 32-bit range.
  TTrackBuilder track;
  track.Tempo(0, 16000000).NoteOn(960, 0, 60, 100).NoteOff(10, 0, 60).EndOfTrack(0);
  ASSERT_TRUE(LoadBytes(*Player, TSmfBuilder(960, 0).Track(track).Bytes()));
  Player->Seek(0);
  Player->Tick(0);
  Player->Tick(5);  // performs the tempo and the first beat; next is the note
  Player->Tick(5);
  const TMidiEventItemStanderd* next = Player->Events[Player->NextIndex];
  ASSERT_EQ(next->Tick, 960);
  const int64_t exact = (10LL - next->Time) * 960 * 1000;
  ASSERT_LT(exact, INT32_MIN) << "the product must leave the 32-bit range";
  const int32_t wrapped = static_cast<int32_t>(static_cast<uint32_t>(exact & 0xFFFFFFFFLL));
  EXPECT_EQ(Player->PositionTicks, 960 + wrapped / 16000000);
  EXPECT_NE(Player->PositionTicks, 960 + exact / 16000000);
}

TEST_F(SequencerTest, ATempoOfZeroNeverDividesByZero) {
  Load(NotesSong({{100, 0, 60}}, 200));
  double announced = -1.0;
  Player->OnTempo = [&](TMidiPlayV*, double bpm) { announced = bpm; };
  Player->DoTempo(0);
  EXPECT_EQ(announced, 0.0);
  EXPECT_EQ(Player->CurrentBpm(), 0.0);
  Player->Tick(0);
  Player->Tick(kStepMs);  // performs the first beat; next is the note at 100 ms
  Player->Tick(kStepMs);
  EXPECT_EQ(Player->PositionTicks, 100);  // held at the next event instead of dividing
  PlayToEnd();
  Player->DoTempo(500000);
  EXPECT_EQ(announced, 120.0);
  EXPECT_EQ(Player->CurrentBpm(), 120.0);
}

// ===== Catch judgement =====

TEST_F(SequencerTest, OneLaneUnderTheBarCatchesTheWholeChord) {
  Load(NotesSong({{100, 0, 60}, {100, 0, 64}, {100, 0, 67}, {101, 0, 72}}, 300));
  const auto notes = ItemsOf<TMidiEventItemNoteOn>(*Player);
  ASSERT_EQ(notes.size(), 4u);
  notes[0]->Lane = 10;
  notes[1]->Lane = 60;
  notes[2]->Lane = 120;
  notes[3]->Lane = 10;  // 1 ms later: another moment, another drop
  Bar(60 * 5 + 2, 10);
  Player->Tick(0);
  while (Player->PositionMs <= 101) Player->Tick(kStepMs);
  EXPECT_TRUE(notes[0]->Caught);
  EXPECT_TRUE(notes[1]->Caught);
  EXPECT_TRUE(notes[2]->Caught);
  EXPECT_FALSE(notes[3]->Caught);
  EXPECT_EQ(Player->GoodCount, 3);
  EXPECT_EQ(Player->BadCount, 1);
  EXPECT_EQ(SentNoteOns(), (std::vector<std::pair<int, int>>{{0x90, 60}, {0x90, 64}, {0x90, 67}}));
}

TEST_F(SequencerTest, TheBarEdgeCatchesTheDropsOutermostPixel) {
  Load(NotesSong({{3, 0, 60}}, 100));
  SetLanes(20);  // centre x 102, pixels 100..104
  for (int x : {84, 85, 119, 120}) {
    Player->Seek(0);
    ClearCaught();
    Bar(x, 15);
    Player->Tick(0);
    Player->Tick(kStepMs);
    const bool inside = x >= 85 && x <= 119;
    EXPECT_EQ(Player->GoodCount, inside ? 1 : 0) << "x " << x;
    EXPECT_EQ(Player->BadCount, inside ? 0 : 1) << "x " << x;
  }
}

TEST_F(SequencerTest, AMouseFarOutsideTheWindowIsJudgedWithoutOverflow) {
  Load(NotesSong({{3, 0, 60}}, 100));
  SetLanes(127);
  auto judge = [&](int x, int halfWidth) {
    Player->Seek(0);
    ClearCaught();
    Bar(x, halfWidth);
    Player->Tick(0);
    Player->Tick(kStepMs);
    return Player->GoodCount == 1;
  };
  EXPECT_TRUE(judge(-100000, 2147483646));  // the infinite bar reaches every lane
  EXPECT_TRUE(judge(100000, 2147483646));
  EXPECT_FALSE(judge(INT32_MIN, 15));
  EXPECT_FALSE(judge(INT32_MAX, 15));
  EXPECT_FALSE(judge(INT32_MIN, 2147483646));  // 2^31 + 637 pixels away: beyond even that bar
}

TEST_F(SequencerTest, NotesOfChannelsThatDoNotRainAreSentAndNotJudged) {
  Load(NotesSong({{3, 1, 50}, {3, 0, 60}}, 100));
  Player->ChannelOn[1] = false;
  Bar(-1000, 15);  // far from every lane
  Player->Tick(0);
  Player->Tick(kStepMs);
  EXPECT_EQ(Player->GoodCount, 0);
  EXPECT_EQ(Player->BadCount, 1);  // the channel-0 drop, missed and silent
  EXPECT_EQ(SentNoteOns(), (std::vector<std::pair<int, int>>{{0x91, 50}}));
  for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) EXPECT_FALSE(note->Caught);
}

// ===== Waits =====

TEST_F(SequencerTest, DuringAWaitTheClockRunsButNothingIsJudgedOrSent) {
  TTrackBuilder track;
  track.Sysex(0, {0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7})  // GS reset: 100 ms
      .NoteOn(10, 0, 60, 100)
      .NoteOn(10, 0, 62, 100)
      .NoteOn(30, 0, 64, 100)
      .NoteOn(250, 0, 70, 100)
      .EndOfTrack(200);
  ASSERT_TRUE(LoadBytes(*Player, TSmfBuilder(kMsDivision, 0).Track(track).Bytes()));
  Player->Seek(0);
  m_recorder->Clear();
  SetLanes(0);
  Bar(2, 5);  // over every drop while the wait lasts
  Player->Tick(0);
  Player->Tick(kStepMs);  // 5 ms: the reset goes out
  ASSERT_EQ(Player->WaitRemaining, 100);
  while (Player->PositionMs < 100) {
    Player->Tick(kStepMs);
    EXPECT_EQ(Player->PositionMs - 5, 100 - Player->WaitRemaining);
  }
  EXPECT_EQ(Player->WaitRemaining, 5);
  EXPECT_TRUE(SentNoteOns().empty());
  for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) EXPECT_FALSE(note->Caught);
  EXPECT_EQ(Player->GoodCount + Player->BadCount, 0);

  Bar(600, 5);   // the bar leaves before the wait is over
  Player->Tick(kStepMs);  // 105 ms: the wait ends and the three due drops go in one burst
  EXPECT_EQ(Player->WaitRemaining, 0);
  EXPECT_EQ(Player->BadCount, 3);
  EXPECT_EQ(Player->GoodCount, 0);
  EXPECT_TRUE(SentNoteOns().empty());
  EXPECT_EQ(Player->Events[Player->NextIndex]->Time, 300);
  EXPECT_EQ(Player->PositionMs, 105);  // still playing: the end was not reached
}

TEST_F(SequencerTest, SeekDropsAWaitLeftFromWhereTheSongStood) {
  Load(NotesSong({{50, 0, 60}}, 100));
  Player->WaitRemaining = 40;
  Player->Seek(0);
  EXPECT_EQ(Player->WaitRemaining, 0);
}

// ===== Ends and notifications =====

TEST_F(SequencerTest, ASongOfOneEventEndsAtTheFirstTickWithoutCounting) {
  TTrackBuilder track;
  track.EndOfTrack(0);
  ASSERT_TRUE(LoadBytes(*Player, TSmfBuilder(kMsDivision, 0).Track(track).Bytes()));
  ASSERT_EQ(Player->Events.Count(), 1);
  Player->Seek(0);
  int stops = 0;
  Player->OnStop = [&](TMidiPlayV* sender) {
    EXPECT_EQ(sender, Player.get());
    ++stops;
  };
  Player->VoiceOn = true;
  TPlayedSoundRecorder sounds;
  Player->Playing = true;
  Player->Tick(0);
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(Player->Playing);
  EXPECT_EQ(Player->PositionMs, Player->EndTime);
  EXPECT_EQ(Player->PlayCount, 0);
  EXPECT_TRUE(sounds.Names().empty());
  EXPECT_FALSE(std::filesystem::exists(Settings()));
}

TEST_F(SequencerTest, AnEmptySongEndsWithoutReadingAnyEvent) {
  Player->Events.Clear();
  Player->Playing = true;
  EXPECT_NO_THROW(Player->Tick(5));
  EXPECT_FALSE(Player->Playing);
}

TEST_F(SequencerTest, AnErrorInsideTheStepEndsTheGameInsteadOfEscaping) {
  TTrackBuilder track;
  track.EndOfTrack(0);
  ASSERT_TRUE(LoadBytes(*Player, TSmfBuilder(kMsDivision, 0).Track(track).Bytes()));
  Player->OnStop = [](TMidiPlayV*) { throw std::runtime_error("a handler failed"); };
  Player->Playing = true;
  EXPECT_NO_THROW(Player->Tick(0));
  EXPECT_FALSE(Player->Playing);
}

TEST_F(SequencerTest, NotificationsKeepTheValueAndTellTheirHandlers) {
  std::vector<std::string> told;
  Player->OnLyric = [&](TMidiPlayV*, const std::string& s) { told.push_back("lyric " + s); };
  Player->OnLcdStr = [&](TMidiPlayV*, const std::string& s) { told.push_back("lcd " + s); };
  Player->OnLcdDot = [&](TMidiPlayV*, const TListIntItems& d) { told.push_back("dots " + std::to_string(d.Count())); };
  Player->OnRhythm = [&](TMidiPlayV*, int32_t n, int32_t d, int32_t c) {
    told.push_back("rhythm " + std::to_string(n) + "/" + std::to_string(d) + " " + std::to_string(c));
  };
  Player->OnVibrant = [&](TMidiPlayV*, int32_t bar, int32_t beat) {
    told.push_back("beat " + std::to_string(bar) + "-" + std::to_string(beat));
  };
  Player->DoLyric("la");
  Player->DoLcdStr("HELLO");
  TListIntItems dots;
  dots.Add(1);
  dots.Add(0);
  Player->DoLcdDot(dots);
  TMidiEventItemRhythm rhythm;
  rhythm.Bunshi = 6;
  rhythm.Bunbo = 8;
  rhythm.ClickClocks = 36;
  Player->DoRhythm(&rhythm);
  TMidiEventItemVibrant beat;
  beat.Vibrant = 3;
  beat.Rhythm = 2;
  Player->DoVibrant(&beat);
  EXPECT_EQ(told, (std::vector<std::string>{"lyric la", "lcd HELLO", "dots 2", "rhythm 6/8 36", "beat 3-2"}));
  EXPECT_EQ(Player->CurrentLyric, "la");
  EXPECT_EQ(Player->LcdText, "HELLO");
  EXPECT_EQ(Player->LcdDots, dots);
  EXPECT_EQ(Player->CurrentRhythm, &rhythm);
  EXPECT_EQ(Player->CurrentBeat, &beat);
  Player->CurrentRhythm = nullptr;
  Player->CurrentBeat = nullptr;
}

// ===== Seek, title, due times =====

TEST_F(SequencerTest, SeekClampsAndFindsTheNextEventWithoutTouchingCaught) {
  TTrackBuilder track;
  track.MetaText(0, 0x03, "Rain Song").NoteOn(100, 0, 60, 100).NoteOff(100, 0, 60).EndOfTrack(100);
  ASSERT_TRUE(LoadBytes(*Player, TSmfBuilder(kMsDivision, 0).Track(track).Bytes()));
  EXPECT_EQ(Player->TrackTitle(), "Rain Song");
  auto* note = ItemsOf<TMidiEventItemNoteOn>(*Player).front();
  note->Caught = true;
  Player->GoodCount = 4;
  Player->BadCount = 5;
  Player->Seek(-50);
  EXPECT_EQ(Player->PositionMs, 0);
  EXPECT_EQ(Player->GoodCount + Player->BadCount, 0);
  Player->Seek(100);
  EXPECT_EQ(Player->Events[Player->NextIndex]->Time, 100);
  EXPECT_EQ(Player->NextIndex, note->Index);
  EXPECT_EQ(Player->PositionTicks, 100);
  EXPECT_EQ(Player->Tempo, 500000);  // no tempo event
  Player->Seek(1000000);
  EXPECT_EQ(Player->PositionMs, 300);
  EXPECT_TRUE(Player->IsAtEnd(Player->NextIndex));
  EXPECT_TRUE(note->Caught);
}

TEST_F(SequencerTest, ASongWithoutTracksHasNoTitle) { EXPECT_EQ(Player->TrackTitle(), ""); }

TEST_F(SequencerTest, EveryMessageCarriesTheMomentItWasDue) {
  Load(NotesSong({{3, 0, 60}, {9, 0, 62}}, 100));
  const TickClock::time_point start = TickClock::time_point() + std::chrono::hours(1);
  TickClock::time_point now = start;
  Player->SetClock([&] { return now; });
  Player->SetPlaySpeed(2.0);
  Bar(2, 2147483646);
  Player->Tick(0);
  now += milliseconds(kStepMs);
  Player->Tick(kStepMs);  // song clock 10 ms: both notes and the first note-off are due
  const auto messages = m_recorder->Messages();
  ASSERT_EQ(messages.size(), 3u);
  // Song time t plays t / 2 ms after the start at double speed.
  EXPECT_EQ(messages[0].Due, start + std::chrono::microseconds(1500));
  EXPECT_EQ(messages[1].Due, start + std::chrono::microseconds(2000));  // note-off at 4 ms
  EXPECT_EQ(messages[2].Due, start + std::chrono::microseconds(4500));
}

TEST_F(SequencerTest, DueTimesFollowTheSongClockBeforeItsRounding) {
  Load(NotesSong({{1, 0, 60}, {4, 0, 62}, {500, 0, 64}}, 1000));
  const TickClock::time_point start = TickClock::time_point() + std::chrono::hours(1);
  TickClock::time_point now = start;
  Player->SetClock([&] { return now; });
  Player->SetPlaySpeed(0.5);
  Bar(2, 2147483646);
  Player->Tick(0);
  for (int step = 0; step < 4; ++step) {  // song clock 2.5, 5, 7.5, 10 ms; PositionMs 2, 5, 8, 10
    now += milliseconds(kStepMs);
    Player->Tick(kStepMs);
  }
  const auto messages = m_recorder->Messages();
  ASSERT_EQ(messages.size(), 4u);
  // Song time t is due 2t ms after the start at half speed, to the microsecond.
  EXPECT_EQ(messages[0].Due, start + milliseconds(2));
  EXPECT_EQ(messages[1].Due, start + milliseconds(4));
  EXPECT_EQ(messages[2].Due, start + milliseconds(8));
  EXPECT_EQ(messages[3].Due, start + milliseconds(10));
}

}  // namespace
