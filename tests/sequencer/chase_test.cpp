// The chase: for real songs with programs, banks, controllers, bends, RPNs,
// resets and tempo changes, what a seek to t sends brings the recording
// device to the state that playing the song up to t brought it to; a jump in
// a running game releases the sounding notes, strikes none again, keeps the
// counters and lets the drops after the point be caught anew; the loop end
// stops the song clock there and tells the main thread.
#include <set>

#include "midi/song_chase.h"
#include "tests/sequencer/sequencer_fixture.h"

namespace {

::testing::Environment* const g_audio = ::testing::AddGlobalTestEnvironment(new TOfflineAudioEnvironment);

const std::string kCorpus = PLUV_CORPUS_DIR "/midi/";

// What a device that received these messages was set to.
struct TDeviceState {
  TChannelChase Channels;
  std::vector<std::vector<BYTE>> ExclusiveSinceReset;
  bool operator==(const TDeviceState&) const = default;
};

TDeviceState StateOf(const std::vector<TRecordedMidiMessage>& Messages) {
  TDeviceState state;
  for (const TRecordedMidiMessage& m : Messages) {
    if (m.Reset || m.Bytes.empty()) continue;
    if (m.Bytes[0] == 0xF0) {
      const std::vector<int32_t> bytes(m.Bytes.begin(), m.Bytes.end());
      if (IsResetExclusive(bytes)) {
        state.Channels.Reset();
        state.ExclusiveSinceReset.assign(1, m.Bytes);
      } else {
        state.ExclusiveSinceReset.push_back(m.Bytes);
      }
      continue;
    }
    uint32_t message = 0;
    for (size_t i = 0; i < m.Bytes.size() && i < 3; ++i) message |= static_cast<uint32_t>(m.Bytes[i]) << (8 * i);
    state.Channels.Apply(message);
  }
  state.Channels = state.Channels.Normalized();
  return state;
}

bool IsNoteOn(const TRecordedMidiMessage& m) {
  return !m.Reset && m.Bytes.size() == 3 && (m.Bytes[0] & 0xF0) == 0x90 && m.Bytes[2] > 0;
}

class ChaseTest : public SequencerTest {
 protected:
  void SetUp() override {
    SequencerTest::SetUp();
    // A timer that a jump enables reads this clock, which never moves.
    Player->Timer.SetTickSource([] { return DWORD{1000}; });
    HeadlessApplication().SetIdleHandler([](void*, bool& done) { done = true; });
  }

  void LoadFile(const std::string& path) {
    ASSERT_NO_THROW(Player->LoadFromFile(path)) << path;
    for (auto& on : Player->ChannelOn) on = false;  // every note simply sounds
    Player->Seek(0);
  }

  // Plays from the start until the song clock stands at Ms: everything
  // before Ms is sent, nothing from Ms on.
  void PlayTo(int32_t Ms) {
    Player->LoopEndMs = Ms;
    Player->Playing = true;
    Player->Tick(0);
    while (Player->Playing && Player->PositionMs < Ms) Player->Tick(kStepMs);
    Player->LoopEndMs = -1;
    ProcessPostedMessages();
  }
};

TEST_F(ChaseTest, ASeekSendsTheStateThatPlayingUpToThereReached) {
  const std::vector<std::string> songs = {
      "tonejs-midi/debussy/claire_de_lune.mid",                   // sustain pedal, tempo changes
      "tonejs-midi/misc/pitchBendTest.mid",                       // pitch bend
      "jazz-soft-test-midi-files/test-all-gs-sounds.mid",         // GS reset, bank select, programs
      "jazz-soft-test-midi-files/test-rpn-00-00-pitch-bend-range.mid",  // RPN data entry
      "jazz-soft-test-midi-files/test-control-00-20-bank-select.mid",
      "midly/SysExTest.mid",
  };
  int compared = 0;
  for (const std::string& name : songs) {
    const std::string path = kCorpus + name;
    if (!std::filesystem::exists(path)) continue;
    LoadFile(path);
    const int32_t end = Player->EndTime;
    for (int32_t t : {end / 3, end / 2, end * 4 / 5}) {
      if (t <= 0) continue;
      SCOPED_TRACE(name + " at " + std::to_string(t) + " ms");
      Player->Seek(0);
      m_recorder->Clear();
      PlayTo(t);
      ASSERT_EQ(Player->PositionMs, t);
      const TDeviceState played = StateOf(m_recorder->Messages());
      const int32_t playedTempo = Player->Tempo;
      Player->Stop();

      Player->Seek(t);
      m_recorder->Clear();
      Player->SendChase();
      const std::vector<TRecordedMidiMessage> chase = m_recorder->Messages();
      EXPECT_EQ(StateOf(chase), played);
      EXPECT_EQ(Player->Tempo, playedTempo);
      for (const TRecordedMidiMessage& m : chase) EXPECT_FALSE(IsNoteOn(m)) << "a note struck again";
      ++compared;
    }
  }
  if (compared == 0) GTEST_SKIP() << "corpus not present at " << kCorpus;
}

// A song of our own with what the corpus has little of: a reset after an
// exclusive message, NRPN beside RPN, Reset All Controllers, pressure.
TBytes SetUpSong() {
  TTrackBuilder track;
  track.Event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7})              // GM System On
      .Event(10, {0xB0, 91, 100})                                         // wiped by the reset below
      .Event(10, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7})  // GS reset
      .Event(200, {0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x11, 0x15, 0x02, 0x18, 0xF7})  // drum part
      .Event(10, {0xB1, 0, 8})
      .Event(0, {0xB1, 32, 1})
      .Event(0, {0xC1, 20})
      .Event(10, {0xB1, 101, 0})
      .Event(0, {0xB1, 100, 0})
      .Event(0, {0xB1, 6, 12})
      .Event(0, {0xB1, 99, 1})
      .Event(0, {0xB1, 98, 8})
      .Event(0, {0xB1, 6, 70})
      .Event(10, {0xB1, 1, 90})
      .Event(0, {0xB1, 121, 0})
      .Event(0, {0xB1, 7, 80})
      .Event(0, {0xE1, 0x10, 0x50})
      .Event(0, {0xD1, 33})
      .NoteOn(10, 1, 60, 100)
      .NoteOff(600, 1, 60)
      .Event(100, {0xB1, 7, 30})
      .EndOfTrack(200);
  return TSmfBuilder(kMsDivision, 0).Track(track).Bytes();
}

TEST_F(ChaseTest, TheLastResetAndWhatFollowsItAreSentFirstAndTheNotesAreNot) {
  Load(SetUpSong());
  for (auto& on : Player->ChannelOn) on = false;
  const int32_t t = 500;  // the note struck at 260 ms still sounds
  PlayTo(t);
  const TDeviceState played = StateOf(m_recorder->Messages());
  Player->Stop();
  Player->Seek(t);
  m_recorder->Clear();
  Player->SendChase();
  const std::vector<TRecordedMidiMessage> chase = m_recorder->Messages();
  ASSERT_GE(chase.size(), 2u);
  EXPECT_EQ(chase[0].Bytes[1], 0x41);  // the GS reset, not the GM System On before it
  EXPECT_EQ(chase[1].Bytes[6], 0x11);  // then the drum part message
  EXPECT_EQ(StateOf(chase), played);
  for (const TRecordedMidiMessage& m : chase) EXPECT_FALSE(IsNoteOn(m));
  // Before anything was sent nothing is chased.
  Player->Seek(0);
  m_recorder->Clear();
  Player->SendChase();
  EXPECT_TRUE(m_recorder->Messages().empty());
}

TEST_F(ChaseTest, AJumpReleasesTheSoundingNotesKeepsTheCountersAndJudgesAgain) {
  std::vector<TTestNote> notes;
  for (uint32_t ms = 100; ms < 3000; ms += 100) notes.push_back({ms, 0, 60 + static_cast<int>(ms / 100) % 12});
  Load(NotesSong(notes, 3200));
  SetLanes(10);
  Bar(52, 20);  // every drop caught
  Player->Playing = true;
  Player->Tick(0);
  while (Player->PositionMs < 1500) Player->Tick(kStepMs);
  const int32_t good = Player->GoodCount;
  ASSERT_GT(good, 0);
  for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) {
    if (note->Time < 1500) {
      EXPECT_TRUE(note->Caught);
    }
  }
  m_recorder->Clear();
  ASSERT_TRUE(Player->JumpTo(1000));
  EXPECT_EQ(Player->PositionMs, 1000);
  EXPECT_EQ(Player->GoodCount, good);
  EXPECT_EQ(Player->PauseState, TPauseState::None);
  for (const TRecordedMidiMessage& m : m_recorder->Messages()) EXPECT_FALSE(IsNoteOn(m));
  for (TMidiEventItemNoteOn* note : ItemsOf<TMidiEventItemNoteOn>(*Player)) {
    EXPECT_EQ(note->Caught.load(), note->Time < 1000) << note->Time;
  }
  // Missed from here on: the drops between 1000 and 1500 count again, as Bad.
  Bar(-1000, 0);
  while (Player->Playing && Player->PositionMs < 1500) Player->Tick(kStepMs);
  EXPECT_EQ(Player->GoodCount, good);
  EXPECT_EQ(Player->BadCount, 5);
  Player->Stop();
  EXPECT_FALSE(Player->JumpTo(0));  // no game runs
}

TEST_F(ChaseTest, TheLoopEndHoldsTheClockThereAndTellsTheMainThread) {
  Load(NotesSong({{100, 0, 60}, {400, 0, 62}, {500, 0, 64}, {800, 0, 65}}, 1000));
  SetLanes(10);
  Bar(-1000, 0);
  int loopEnds = 0;
  Player->OnLoopEnd = [&] { ++loopEnds; };
  Player->LoopEndMs = 500;
  Player->Playing = true;
  Player->Tick(0);
  while (Player->PositionMs < 500) Player->Tick(7);
  EXPECT_EQ(Player->PositionMs, 500);
  EXPECT_EQ(Player->BadCount, 2);  // the drop at 500 belongs to the next pass
  EXPECT_TRUE(Player->Playing);
  ProcessPostedMessages();
  EXPECT_EQ(loopEnds, 1);
}

}  // namespace
