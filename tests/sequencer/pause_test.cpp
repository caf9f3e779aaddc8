// Pause and resume: a whole song paused again and again ends with the same
// counters, catches and struck notes as the same game played through; a pause
// releases exactly the sounding notes and held pedals and a resume puts the
// pedals back without striking anything again; pauses are refused where no
// game can pause, and Stop and a second pause work during the count-in of a
// resume. Tick is driven by hand; the timer a resume enables reads a frozen
// clock, so its own steps move nothing.
#include <set>
#include <tuple>

#include "tests/sequencer/sequencer_fixture.h"

namespace {

::testing::Environment* const g_audio = ::testing::AddGlobalTestEnvironment(new TOfflineAudioEnvironment);

struct TLongNote {
  uint32_t TimeMs;
  uint32_t LengthMs;
  int Channel;
  int Note;
};

// A one-track song on the 1 ms grid with notes that last, a program change
// and the sustain pedal held on channel 2 from the start.
TBytes LongNotesSong(const std::vector<TLongNote>& notes, uint32_t endMs) {
  struct TTimed {
    uint32_t Ms;
    int Order;  // note-offs before note-ons of the same moment
    std::vector<uint8_t> Bytes;
  };
  std::vector<TTimed> events{{0, 0, {0xC0, 5}}, {0, 0, {0xB1, 64, 127}}};
  for (const TLongNote& n : notes) {
    events.push_back({n.TimeMs, 1, {static_cast<uint8_t>(0x90 | n.Channel), static_cast<uint8_t>(n.Note), 100}});
    events.push_back({n.TimeMs + n.LengthMs, 0, {static_cast<uint8_t>(0x80 | n.Channel), static_cast<uint8_t>(n.Note), 64}});
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const TTimed& a, const TTimed& b) { return std::tie(a.Ms, a.Order) < std::tie(b.Ms, b.Order); });
  TBytes body;
  uint32_t at = 0;
  for (const TTimed& e : events) {
    AppendVarLen(body, e.Ms - at);
    body.insert(body.end(), e.Bytes.begin(), e.Bytes.end());
    at = e.Ms;
  }
  TTrackBuilder track;
  track.RawBytes(body).EndOfTrack(endMs - at);
  return TSmfBuilder(kMsDivision, 0).Track(track).Bytes();
}

// A pseudo-random song: overlapping notes on two channels, chords now and then.
std::vector<TLongNote> SomeNotes() {
  std::vector<TLongNote> notes;
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  uint32_t at = 50;
  for (int i = 0; i < 120; ++i) {
    const int note = 30 + static_cast<int>(next() % 70);
    notes.push_back({at, 40 + next() % 400, static_cast<int>(next() % 2), note});
    if (next() % 5 == 0) notes.push_back({at, 200, 0, note + 7 > 127 ? note - 7 : note + 7});
    at += 20 + next() % 90;
  }
  return notes;
}

// The bar sweeps to and fro across the field as the song goes on.
int BarX(int32_t positionMs) {
  const int32_t phase = positionMs / 3 % 1280;
  return phase < 640 ? phase : 1279 - phase;
}

struct TGameResult {
  int32_t Good;
  int32_t Bad;
  std::vector<bool> Caught;
  std::vector<std::pair<int, int>> NoteOns;
};

class PauseTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    Load(LongNotesSong(SomeNotes(), 12000));
    for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) note->Lane = note->Data1;
    Player->BarHalfWidth = 15;
    // The timer a resume enables reads this clock, which never moves: its
    // steps advance nothing, the test's own steps move the song.
    Player->Timer.SetTickSource([] { return DWORD{1000}; });
    HeadlessApplication().SetIdleHandler([this](void*, bool& done) {
      ++m_countInFrames;
      m_statesSeen.insert(Player->PauseState.load());
      done = true;
    });
  }

  // The song from its start to its end in 5 ms steps, the bar following
  // BarX; pauseAt(step) says where to pause (and resume at once).
  TGameResult Play(const std::function<bool(int step)>& pauseAt) {
    Player->Seek(0);
    ClearCaught();
    m_recorder->Clear();
    Player->Playing = true;
    Player->Tick(0);
    for (int step = 0; step < 100000 && Player->Playing; ++step) {
      if (pauseAt(step)) PauseAndResume();
      Application().PublishCursorClientX(BarX(Player->PositionMs));
      Player->Tick(kStepMs);
    }
    EXPECT_FALSE(Player->Playing) << "the song did not end";
    TGameResult result{Player->GoodCount, Player->BadCount, {}, SentNoteOns()};
    for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) result.Caught.push_back(note->Caught);
    return result;
  }

  // Notes struck and not released so far, by the recorder's messages, as (channel, note).
  std::set<std::pair<int, int>> Sounding() const {
    std::set<std::pair<int, int>> sounding;
    for (const TRecordedMidiMessage& m : m_recorder->Messages()) {
      if (m.Reset || m.Bytes.size() != 3) continue;
      const int kind = m.Bytes[0] & 0xF0;
      const int channel = m.Bytes[0] & 0x0F;
      if (kind == 0x90 && m.Bytes[2] > 0) sounding.insert({channel, m.Bytes[1]});
      if (kind == 0x80 || (kind == 0x90 && m.Bytes[2] == 0)) sounding.erase({channel, m.Bytes[1]});
      if (kind == 0xB0 && m.Bytes[1] >= 123) sounding.clear();
    }
    return sounding;
  }

  void PauseAndResume() {
    const int32_t position = Player->PositionMs;
    const int32_t good = Player->GoodCount;
    const int32_t bad = Player->BadCount;
    const std::set<std::pair<int, int>> sounding = Sounding();
    const size_t before = m_recorder->Messages().size();
    ASSERT_TRUE(Player->Pause());
    EXPECT_EQ(Player->PauseState, TPauseState::Paused);
    EXPECT_EQ(Player->Timer.TimerId, 0u);
    EXPECT_TRUE(Player->Playing);

    // Exactly one note-off for each sounding note, then the held pedal let go.
    const std::vector<TRecordedMidiMessage> messages = m_recorder->Messages();
    std::set<std::pair<int, int>> released;
    bool pedalReleased = false;
    for (size_t i = before; i < messages.size(); ++i) {
      const TRecordedMidiMessage& m = messages[i];
      ASSERT_FALSE(m.Reset) << "a pause is no reset";
      ASSERT_EQ(m.Bytes.size(), 3u);
      if ((m.Bytes[0] & 0xF0) == 0x80) {
        EXPECT_TRUE(released.insert({m.Bytes[0] & 0x0F, m.Bytes[1]}).second) << "released twice";
      } else {
        EXPECT_EQ(m.Bytes[0], 0xB1);
        EXPECT_EQ(m.Bytes[1], 64);
        EXPECT_EQ(m.Bytes[2], 0);
        pedalReleased = true;
      }
    }
    EXPECT_EQ(released, sounding);
    EXPECT_TRUE(pedalReleased);
    m_released += released.size();

    // Paused: the song stands still.
    EXPECT_FALSE(Player->Pause());
    const size_t pausedAt = m_recorder->Messages().size();
    m_countInFrames = 0;
    ASSERT_TRUE(Player->Resume());
    EXPECT_EQ(m_countInFrames, TMidiPlayV::kCountInFrames);
    EXPECT_EQ(Player->PauseState, TPauseState::None);
    EXPECT_NE(Player->Timer.TimerId, 0u);
    // Nothing moved, nothing was struck again; the pedal is down again.
    EXPECT_EQ(Player->PositionMs, position);
    EXPECT_EQ(Player->GoodCount, good);
    EXPECT_EQ(Player->BadCount, bad);
    const std::vector<TRecordedMidiMessage> resumed = m_recorder->Messages();
    ASSERT_EQ(resumed.size(), pausedAt + 1);
    EXPECT_EQ(resumed.back().Bytes, (std::vector<BYTE>{0xB1, 64, 127}));
  }

  int m_countInFrames = 0;
  std::set<TPauseState> m_statesSeen;
  size_t m_released = 0;
};

TEST_F(PauseTest, AWholeSongPausedOftenCountsAndSoundsLikeTheSameGamePlayedThrough) {
  const TGameResult straight = Play([](int) { return false; });
  ASSERT_GT(straight.Good, 10);
  ASSERT_GT(straight.Bad, 10);
  m_statesSeen.clear();
  // Every 37th step, and twice in a row once.
  const TGameResult paused = Play([](int step) { return step % 37 == 5 || step == 401; });
  EXPECT_EQ(paused.Good, straight.Good);
  EXPECT_EQ(paused.Bad, straight.Bad);
  EXPECT_EQ(paused.Caught, straight.Caught);
  EXPECT_EQ(paused.NoteOns, straight.NoteOns);
  EXPECT_GT(m_released, 5u) << "the pauses fell where notes were sounding";
  // The count-in frames saw the resuming state only.
  EXPECT_EQ(m_statesSeen, (std::set<TPauseState>{TPauseState::Resuming}));
  EXPECT_EQ(Player->PauseState, TPauseState::None);
  EXPECT_EQ(Player->Timer.TimerId, 0u);  // the end of the song stopped it
}

TEST_F(PauseTest, NoPauseWithoutAGameNorDuringTheCountInOfStart) {
  EXPECT_FALSE(Player->Pause());
  EXPECT_FALSE(Player->Resume());
  bool refused = false;
  HeadlessApplication().SetIdleHandler([&](void*, bool& done) {
    ++m_countInFrames;
    if (m_countInFrames == 3) refused = !Player->Pause();
    done = true;
  });
  EXPECT_TRUE(Player->Start());
  EXPECT_TRUE(refused);
  EXPECT_EQ(m_countInFrames, TMidiPlayV::kCountInFrames);
  EXPECT_EQ(Player->PauseState, TPauseState::None);
  EXPECT_FALSE(Player->Resume());  // not paused
  EXPECT_TRUE(Player->Stop());
}

TEST_F(PauseTest, APauseDuringTheCountInOfAResumeStaysPausedAndStopEndsIt) {
  Player->Playing = true;
  Player->Tick(0);
  for (int i = 0; i < 200; ++i) Player->Tick(kStepMs);
  const int32_t position = Player->PositionMs;
  ASSERT_TRUE(Player->Pause());
  HeadlessApplication().SetIdleHandler([&](void*, bool& done) {
    ++m_countInFrames;
    if (m_countInFrames == 5) {
      EXPECT_TRUE(Player->Pause());
    }
    done = true;
  });
  EXPECT_FALSE(Player->Resume());
  EXPECT_EQ(m_countInFrames, 5);
  EXPECT_EQ(Player->PauseState, TPauseState::Paused);
  EXPECT_EQ(Player->Timer.TimerId, 0u);
  EXPECT_EQ(Player->PositionMs, position);

  // Stop during the next count-in: the game is over, no timer, no pause.
  m_countInFrames = 0;
  HeadlessApplication().SetIdleHandler([&](void*, bool& done) {
    if (++m_countInFrames == 2) Player->Stop();
    done = true;
  });
  EXPECT_FALSE(Player->Resume());
  EXPECT_FALSE(Player->Playing);
  EXPECT_EQ(Player->PauseState, TPauseState::None);
  EXPECT_EQ(Player->Timer.TimerId, 0u);
  EXPECT_FALSE(Player->Resume());
}

// ===== The sounding-notes table on its own =====

TEST(SoundingNotesTest, ReleasesWhatSoundsOncePerNoteAndPutsPedalsBack) {
  TSoundingNotes notes;
  auto* a = reinterpret_cast<HMIDIOUT>(0x10);
  auto* b = reinterpret_cast<HMIDIOUT>(0x20);
  notes.Sent(a, 0x00643C90);  // C4 on channel 1
  notes.Sent(a, 0x00643C90);  // struck twice: still one note-off
  notes.Sent(a, 0x00643E90);
  notes.Sent(a, 0x00003E90);  // velocity 0: released
  notes.Sent(b, 0x00502899);  // channel 10 on the second output
  notes.Sent(b, 0x007F40B3);  // pedal down on channel 4
  notes.Sent(a, 0x007F40B0);  // pedal down on channel 1 ...
  notes.Sent(a, 0x000040B0);  // ... and up again
  notes.Sent(a, 0x00644191);
  notes.Sent(a, 0x00007BB1);  // all notes off on channel 2
  EXPECT_EQ(notes.Count(), 2);
  const auto released = notes.ReleaseMessages();
  ASSERT_EQ(released.size(), 3u);
  EXPECT_EQ(released[0].Output, a);
  EXPECT_EQ(released[0].Message, 0x00403C80u);
  EXPECT_EQ(released[1].Output, b);
  EXPECT_EQ(released[1].Message, 0x00402889u);
  EXPECT_EQ(released[2].Message, 0x000040B3u);  // pedal up
  EXPECT_EQ(notes.Count(), 0);
  EXPECT_TRUE(notes.ReleaseMessages().size() == 1u);  // only the pedal, still held
  const auto pedals = notes.PedalMessages();
  ASSERT_EQ(pedals.size(), 1u);
  EXPECT_EQ(pedals[0].Output, b);
  EXPECT_EQ(pedals[0].Message, 0x007F40B3u);
  EXPECT_TRUE(notes.PedalMessages().empty());
  notes.Sent(b, 0x000079B3);  // reset all controllers: no pedal any more
  EXPECT_TRUE(notes.ReleaseMessages().empty());
}

}  // namespace
