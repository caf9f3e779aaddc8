// The tutorial song as the game loads it (build/bin/dat/tutorialmid.dat): a
// General MIDI piece of the right length and density with a clear ending.
#include "smf_walk.h"
#include "tools/make_tutorial_song/tutorial_song.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr double kMinSeconds = 60.0;
constexpr double kMaxSeconds = 90.0;
constexpr double kMinNotesPerSecond = 1.0;
constexpr double kMaxNotesPerSecond = 3.0;
constexpr int kDrumChannel = 9;
constexpr int kMinFinalChordNotes = 3;

bool IsNoteOn(const WalkedEvent& e) { return (e.status & 0xF0) == 0x90 && e.data.size() == 2 && e.data[1] > 0; }
int ChannelOf(const WalkedEvent& e) { return e.status & 0x0F; }
bool IsMeta(const WalkedEvent& e, std::uint8_t type) { return e.status == 0xFF && e.metaType == type; }

std::vector<std::uint8_t> ReadSong() {
  const fs::path path = fs::path(PLUV_BIN_DIR) / "dat" / "tutorialmid.dat";
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path << " is missing beside the executable";
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class TutorialSong : public ::testing::Test {
 protected:
  void SetUp() override { m_song = WalkSmf(ReadSong()); }
  WalkedSmf m_song;
};

TEST(SmfWalk, RefusesBrokenFiles) {
  // The walker must itself catch faults, or the checks below prove nothing.
  EXPECT_THROW(WalkSmf({}), std::runtime_error);
  EXPECT_THROW(WalkSmf({'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 1, 0, 1, 0, 96}), std::runtime_error);
  // One track announced, none present.
  EXPECT_THROW(WalkSmf({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}), std::runtime_error);
  // A track whose length runs past the file.
  EXPECT_THROW(WalkSmf({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 9, 0, 0xFF}),
               std::runtime_error);
  // A five-byte delta time.
  EXPECT_THROW(WalkSmf({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 5, 0x81, 0x81,
                        0x81, 0x81, 0x01}),
               std::runtime_error);
  // Running status without a status byte before it.
  EXPECT_THROW(WalkSmf({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 3, 0, 0x3C, 0x40}),
               std::runtime_error);
}

TEST(SmfWalk, TimesFollowTheTempoMap) {
  // 96 ticks a quarter; 120 bpm for a quarter note, then 60 bpm.
  const WalkedSmf smf = WalkSmf({'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 22,
                                 0x00, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20,  // 500000 us
                                 0x60, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40,  // at tick 96: 1000000 us
                                 0x60, 0x90, 0x3C, 0x40,                 // note-on at tick 192
                                 0x00, 0xFF, 0x2F, 0x00});
  ASSERT_EQ(smf.events.size(), 4U);
  EXPECT_DOUBLE_EQ(smf.events[1].ms, 500.0);
  EXPECT_DOUBLE_EQ(smf.events[2].ms, 1500.0);
  EXPECT_DOUBLE_EQ(smf.endMs, 1500.0);
  EXPECT_TRUE(smf.trackEnded[0]);
}

TEST_F(TutorialSong, IsAFormat1FileWithEveryTrackClosed) {
  EXPECT_EQ(m_song.format, 1);
  EXPECT_GE(m_song.trackCount, 2);
  EXPECT_EQ(m_song.division, kTutorialTicksPerQuarter);
  ASSERT_EQ(m_song.trackEnded.size(), static_cast<size_t>(m_song.trackCount));
  for (bool ended : m_song.trackEnded) EXPECT_TRUE(ended);
}

TEST_F(TutorialSong, LastsBetweenOneAndOneAndAHalfMinutes) {
  const double seconds = m_song.endMs / 1000.0;
  EXPECT_GE(seconds, kMinSeconds);
  EXPECT_LE(seconds, kMaxSeconds);
}

TEST_F(TutorialSong, RainsAModerateNumberOfDrops) {
  // Every note-on of every channel falls as a drop.
  const auto notes = std::count_if(m_song.events.begin(), m_song.events.end(), IsNoteOn);
  const double perSecond = static_cast<double>(notes) / (m_song.endMs / 1000.0);
  EXPECT_GE(perSecond, kMinNotesPerSecond) << notes << " notes";
  EXPECT_LE(perSecond, kMaxNotesPerSecond) << notes << " notes";
}

TEST_F(TutorialSong, FirstDropsFallIntoView) {
  // At the normal rain speed a drop falls 100 pixels a quarter note and
  // lands about 400 pixels down: the first note must lie at least four
  // quarter notes in, or its drop starts on the bar, uncatchable.
  constexpr std::uint32_t kFallQuarters = 4;
  const auto first = std::find_if(m_song.events.begin(), m_song.events.end(), IsNoteOn);
  ASSERT_NE(first, m_song.events.end());
  EXPECT_GE(first->tick, kFallQuarters * static_cast<std::uint32_t>(m_song.division));
}

TEST_F(TutorialSong, HasMelodyBassAndDrums) {
  std::map<int, std::set<int>> keysByChannel;
  for (const WalkedEvent& e : m_song.events) {
    if (IsNoteOn(e)) keysByChannel[ChannelOf(e)].insert(e.data[0]);
  }
  EXPECT_TRUE(keysByChannel.count(kDrumChannel)) << "no drums on channel 10";
  // A melodic channel reaching above middle C and one below the bass clef's top.
  bool melody = false;
  bool bass = false;
  for (const auto& [channel, keys] : keysByChannel) {
    if (channel == kDrumChannel) continue;
    melody = melody || (keys.size() >= 5 && *keys.begin() >= 60);
    bass = bass || *keys.rbegin() < 52;
  }
  EXPECT_TRUE(melody);
  EXPECT_TRUE(bass);
}

TEST_F(TutorialSong, StartsWithTitleMetreTempoAndPrograms) {
  bool title = false;
  bool metre = false;
  bool tempo = false;
  std::set<int> programmed;
  std::set<int> played;
  for (const WalkedEvent& e : m_song.events) {
    EXPECT_NE(e.status, 0xF0) << "no system-exclusive reset is needed";
    if (IsMeta(e, 0x03) && e.track == 0 && e.tick == 0) {
      title = std::string(e.data.begin(), e.data.end()) == kTutorialSongTitle;
    }
    metre = metre || (IsMeta(e, 0x58) && e.tick == 0);
    tempo = tempo || (IsMeta(e, 0x51) && e.tick == 0);
    if ((e.status & 0xF0) == 0xC0) {
      EXPECT_EQ(e.tick, 0U) << "program change after the start on channel " << ChannelOf(e) + 1;
      programmed.insert(ChannelOf(e));
    }
    if (IsNoteOn(e)) played.insert(ChannelOf(e));
  }
  EXPECT_TRUE(title);
  EXPECT_TRUE(metre);
  EXPECT_TRUE(tempo);
  for (int channel : played) EXPECT_TRUE(programmed.count(channel)) << "channel " << channel + 1 << " has no program";
}

TEST_F(TutorialSong, EndsOnAChordThatRings) {
  std::uint32_t lastOnTick = 0;
  for (const WalkedEvent& e : m_song.events) {
    if (IsNoteOn(e)) lastOnTick = std::max(lastOnTick, e.tick);
  }
  std::set<int> finalKeys;
  for (const WalkedEvent& e : m_song.events) {
    if (IsNoteOn(e) && e.tick == lastOnTick && ChannelOf(e) != kDrumChannel) finalKeys.insert(e.data[0] % 12);
  }
  // The tonic chord (F major: F, A, C) in full.
  EXPECT_GE(finalKeys.size(), static_cast<size_t>(kMinFinalChordNotes));
  EXPECT_TRUE(finalKeys.count(5) && finalKeys.count(9) && finalKeys.count(0));
  // Every note is released before the song ends.
  std::map<std::pair<int, int>, int> sounding;
  for (const WalkedEvent& e : m_song.events) {
    if ((e.status & 0xF0) != 0x80 && (e.status & 0xF0) != 0x90) continue;
    const auto key = std::make_pair(ChannelOf(e), static_cast<int>(e.data[0]));
    sounding[key] += IsNoteOn(e) ? 1 : -1;
  }
  for (const auto& [key, count] : sounding) EXPECT_EQ(count, 0) << "channel " << key.first + 1 << " key " << key.second;
}

TEST_F(TutorialSong, FileIsWhatTheGeneratorWrites) {
  // A stale copy in the runtime folder would teach with an old song.
  EXPECT_EQ(ReadSong(), BuildTutorialSong());
}

}  // namespace
